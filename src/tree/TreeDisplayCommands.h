#pragma once

#include "tree/TreeOperations.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class CallFlowTree;
class DialogOperations;
class OutlineGrid;
class QWidget;
class SharedState;

// What "Expand all nodes" shows while it walks the tree.
class ExpandAllProgress {
public:
    virtual ~ExpandAllProgress() = default;
    // The walk has passed `walked` of the tree's `rows` rows so far; false once the user has
    // asked it to stop.
    virtual bool update(int walked, int rows) = 0;
};
using ExpandAllProgressFactory = std::function<std::unique_ptr<ExpandAllProgress>()>;

// The commands that change what the call-flow tree shows as a whole: the display options of the
// Options menu, "Expand all nodes" and "Collapse all nodes", File > "Refresh database", and
// re-rooting from a tree row or from File > "Load new tree starting with...". All but expand
// all end by building the tree again from a root.
class TreeDisplayCommands : public QObject, public TreeRootCommands {
    Q_OBJECT
public:
    TreeDisplayCommands(SharedState& state, OutlineGrid& grid, CallFlowTree& tree);
    ~TreeDisplayCommands() override;

    // Connects the menu items to their commands. Any part may be missing; without dialogs the
    // two "Load new tree starting with..." commands do nothing. progressParent (may be null)
    // carries the progress dialog of expand all.
    void connectTo(const TreeCommandItems& items, TreeSelection* selection, ObjectListOperations* objectList, TreeWindow* window,
                   DialogOperations* dialogs, QWidget* progressParent);
    // Replaces the progress dialog of expand all.
    void setExpandAllProgress(ExpandAllProgressFactory factory) { m_progress = std::move(factory); }

    // A checkable item has inverted its check mark by the time its handler runs.
    void ShowIgnoreKey_Click();
    void ShowNoLeafs_Click();
    void ShowAfterMessageLinks_Click();
    void ShowAfterGreetingLinks_Click();
    void ExpandAllNodes_Click();
    void CollapseNodes_Click();
    void RefreshDatabase_Click();
    void SearchForSubscriber_Click();
    void CreateNewCallHandler_Click();
    void PopUpSetAsTreeRoot_Click() override;

    // What the user is told when expand all stops at the tree's row limit.
    static QString expandAllLimitMessage();

private:
    // Empties the tree and builds it again from its root.
    void rebuild();
    // The tree's first row made current, then the row change run for it and the tree in front.
    void showNewRoot();

    SharedState& m_state;
    OutlineGrid& m_grid;
    CallFlowTree& m_tree;
    TreeCommandItems m_items;
    TreeSelection* m_selection = nullptr;
    ObjectListOperations* m_objectList = nullptr;
    TreeWindow* m_window = nullptr;
    DialogOperations* m_dialogs = nullptr;
    QPointer<QWidget> m_progressParent;
    ExpandAllProgressFactory m_progress;
};
