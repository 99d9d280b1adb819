#pragma once

#include <QString>
#include <functional>

class QAction;

// What the call-flow tree offers the main window and the editors.
class TreeOperations {
public:
    virtual ~TreeOperations() = default;
    virtual void AddNewNode(const QString& strHandlerObjectID, qint16 iNodeType) = 0;
    virtual void ExpandRow(qint16 iRow) = 0;
    virtual void PopulateRowInfo(qint16 iRow, qint16 iAction, const QString& strConversationName) = 0;
    virtual void UpdateRowText(qint16 iRow) = 0;
    virtual void UpdateAllInstancesOfOBjectInTree(const QString& strObjectID) = 0;
    virtual void RefreshAllRowText() = 0;
    virtual void RemoveChildren(qint16 iRow) = 0;
    virtual bool bIsAncestor(const QString& strObjectID, qint16 iRow) = 0;
    // Empties the tree (no rows). Drawing is left alone: only an operation that builds rows turns
    // it off, and that operation turns it back on when it ends.
    virtual void ClearTree() = 0;

    // The object the tree is built from, with its node type: a rebuild starts there again.
    virtual QString TreeRootObjectID() const = 0;
    virtual qint16 TreeRootNodeType() const = 0;
    virtual void setTreeRoot(const QString& strObjectID, qint16 iNodeType) = 0;
    // True while "Expand All Nodes" opens row after row; the rows it makes current on the way
    // load nothing.
    virtual bool ExpandAllInProgress() const = 0;
};

// The object list of the grid view tab.
class ObjectListOperations {
public:
    virtual ~ObjectListOperations() = default;
    virtual void LoadGridView() = 0;
    // Chooses an entry of the object-type list, which loads the list like a user's choice does.
    virtual void ChooseObjectType(int index) = 0;
    // Starts reading the list of that kind now, beside whatever this thread does next, for the
    // loads of that kind that follow while its tables stay unchanged. The connection string is set.
    virtual void readListAhead(int index) = 0;
};

// The references panel beside the tree.
class ReferencesOperations {
public:
    virtual ~ReferencesOperations() = default;
    // Both reference grids down to their header row.
    virtual void ClearReferences() = 0;
    virtual void LoadReferencesInfo(const QString& strObjectID, qint16 iNodeType) = 0;
    // Loads asked for while `body` runs wait for the panel's first paint, the window on screen:
    // the last of them is done then, unless another load came first. The start-up shows its tree
    // without waiting for the opening greeting's references.
    virtual void DeferLoadsDuring(const std::function<void()>& body) = 0;
};

// Re-rooting from the tree's own row: what the action popup's "Set As New Tree Root" calls.
class TreeRootCommands {
public:
    virtual ~TreeRootCommands() = default;
    // Makes the call handler or subscriber of the current tree row the root of a new tree.
    virtual void PopUpSetAsTreeRoot_Click() = 0;
};

// The tree's row selection: what the editors call to show the current row again.
class TreeSelection {
public:
    virtual ~TreeSelection() = default;
    // Every caller passes the grid's current row as NewRow.
    virtual void ATTree_AfterRowColChange(int OldRow, int OldCol, int NewRow, int NewCol) = 0;
};

// What the tree's parts need of the window that hosts them.
class TreeWindow {
public:
    virtual ~TreeWindow() = default;
    // "Tree View" to the front of TabTreeGrid.
    virtual void ShowTreeTab() = 0;
    virtual bool GridViewInFront() const = 0;
    // The hourglass while a handler works.
    virtual void setBusy(bool busy) = 0;
};

// The hourglass for a scope, taken down on every way out; a missing window shows nothing.
class TreeWindowBusy {
public:
    explicit TreeWindowBusy(TreeWindow* window)
        : m_window(window)
    {
        if (m_window)
            m_window->setBusy(true);
    }
    ~TreeWindowBusy()
    {
        if (m_window)
            m_window->setBusy(false);
    }
    TreeWindowBusy(const TreeWindowBusy&) = delete;
    TreeWindowBusy& operator=(const TreeWindowBusy&) = delete;

private:
    TreeWindow* m_window;
};

// The Options menu items whose check marks decide which links get rows; the window owns them.
struct TreeDisplayOptions {
    const QAction* ShowIgnoreKey = nullptr;
    const QAction* ShowNoLeafs = nullptr;
    const QAction* ShowAfterMessageLinks = nullptr;
    const QAction* ShowAfterGreetingLinks = nullptr;
};

// The menu items whose commands change what the tree shows as a whole; the window owns them.
struct TreeCommandItems {
    QAction* ShowIgnoreKey = nullptr;
    QAction* ShowNoLeafs = nullptr;
    QAction* ShowAfterMessageLinks = nullptr;
    QAction* ShowAfterGreetingLinks = nullptr;
    QAction* ExpandAllNodes = nullptr;
    QAction* CollapseNodes = nullptr;
    QAction* RefreshDatabase = nullptr;
    QAction* SearchForSubscriber = nullptr;
    QAction* CreateNewCallHandler = nullptr;
};
