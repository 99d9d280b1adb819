#pragma once

#include "db/RecordsetPosition.h"
#include "tree/TreeOperations.h"
#include "widgets/OutlineGridImageList.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class OutlineGrid;
class OutlineGridView;
class QAction;
class QWidget;
class SharedState;
class UserPrompts;

// The call-flow tree in the main window's outline grid: the root with its first level, the lazy
// expansion of call handler and subscriber rows, the wording of every row and the redraw of rows
// after the objects they show have changed. It reads the cached recordsets and moves them the way
// the editors expect (rsCallHandler is always put back where it stood).
//
// Row numbers are 16-bit, so the tree holds at most 32767 rows: an expansion that would pass that
// stops adding rows and says so.
class CallFlowTree : public TreeOperations {
public:
    // Sets up the grid's columns and the view's pictures. cursorWindow (may be null) shows the hourglass while rows are built,
    // view (may be null) gets the pictures.
    CallFlowTree(SharedState& state, OutlineGrid& grid, const TreeDisplayOptions& options, QWidget* cursorWindow = nullptr,
                 OutlineGridView* view = nullptr);
    ~CallFlowTree() override;
    CallFlowTree(const CallFlowTree&) = delete;
    CallFlowTree& operator=(const CallFlowTree&) = delete;

    void AddNewNode(const QString& strHandlerObjectID, qint16 iNodeType) override;
    void ExpandRow(qint16 iRow) override;
    void PopulateRowInfo(qint16 iRow, qint16 iAction, const QString& strConversationName) override;
    void UpdateRowText(qint16 iRow) override;
    void UpdateAllInstancesOfOBjectInTree(const QString& strObjectID) override;
    void RefreshAllRowText() override;
    void RemoveChildren(qint16 iRow) override;
    bool bIsAncestor(const QString& strObjectID, qint16 iRow) override;
    void ClearTree() override;
    QString TreeRootObjectID() const override { return m_treeRootObjectID; }
    qint16 TreeRootNodeType() const override { return m_treeRootNodeType; }
    void setTreeRoot(const QString& strObjectID, qint16 iNodeType) override;
    bool ExpandAllInProgress() const override { return m_expandAllInProgress; }
    // Set for the length of an expand-all walk.
    void setExpandAllInProgress(bool inProgress) { m_expandAllInProgress = inProgress; }

    // What the user is told when an expansion stops at the row limit.
    static QString rowLimitMessage();
    // The most rows one ExpandRow adds: a row for each of the 19 links, each with its placeholder.
    static constexpr int MostRowsOfOneExpansion = 2 * 19;

private:
    struct Link;
    struct Placement;

    void buildLinks(const QString& handlerId, int level, int& insertAt, bool& limitReached,
                    std::optional<RecordsetPosition>& callHandlerBefore);
    bool readLink(int position, const Variant& handlerId, Link& link);
    Placement classify(const Link& link);
    int insertLinkRow(int at, int level, int position, const Placement& placement);
    void addPlaceholder(int row);
    void tellRowLimit();
    bool checked(const QAction* option) const;

    // The description of a link, the text after "alias: ".
    QString describeLink(qint16 action, const QString& conversation, const QString& objectId, bool bareName);
    QString handlerName(const QString& handlerId, bool bareName);
    QString namedObject(Recordset& rs, const QString& keyColumn, const QString& objectId, const QString& missingMessage);
    bool isPlaceholder(int row) const;
    void setHourglass(bool on);

    // Runs one step of a procedure that handles its own errors: invalid use of Null passes
    // silently, any other error shows the procedure's message, and the procedure goes on.
    // False when the step failed.
    bool rowStep(const QString& prefix, const std::function<void()>& step);

    SharedState& m_state;
    UserPrompts& m_prompts;
    OutlineGrid& m_grid;
    TreeDisplayOptions m_options;
    QPointer<QWidget> m_cursorWindow;
    QPointer<OutlineGridView> m_view;
    OutlineGridImageList m_pictures;
    QString m_treeRootObjectID;
    qint16 m_treeRootNodeType = 0;
    bool m_expandAllInProgress = false;
    // Expand all opens row after row; at the limit every one of them would stop, and the user
    // hears of it once per walk.
    bool m_limitToldDuringExpandAll = false;
};
