#pragma once

#include "tree/TreeOperations.h"

#include <QGroupBox>
#include <optional>

class BoundGrid;
class OutlineGrid;
class QAction;
class QLabel;
class SharedState;

// The references panel `frameLinks`: the subscribers and the application call handlers that send
// callers to the selected object, through a key, a greeting, the after-message action or (for a
// subscriber) its conversation exit. A double click on one makes it the root of a new tree.
class ReferencesPanel : public QGroupBox, public ReferencesOperations {
    Q_OBJECT
public:
    ReferencesPanel(SharedState& state, OutlineGrid& treeGrid, QWidget* parent = nullptr);

    // The Options menu item `ShowReferences`, the tree it re-roots and the window that shows it.
    void connectTo(QAction* showReferences, TreeOperations* tree, TreeWindow* window);

    void ClearReferences() override;
    void LoadReferencesInfo(const QString& strObjectID, qint16 iNodeType) override;
    void DeferLoadsDuring(const std::function<void()>& body) override;

    void ShowReferences_Click();
    void gridCallHandlerReferences_DblClick();
    void gridSubscriberReferences_DblClick();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void startTreeAt(BoundGrid* grid, qint16 nodeType);
    void loadDeferred();

    SharedState& m_state;
    OutlineGrid& m_treeGrid;
    QAction* m_showReferences = nullptr;
    TreeOperations* m_tree = nullptr;
    TreeWindow* m_window = nullptr;
    QLabel* lblSubscriberReferences;
    BoundGrid* gridSubscriberReferences;
    QLabel* lblCallHandlerReferences;
    BoundGrid* gridCallHandlerReferences;
    bool m_deferring = false;
    struct Load {
        QString objectId;
        qint16 nodeType;
    };
    std::optional<Load> m_deferred; // waits for the first paint
    bool m_deferredQueued = false;
};
