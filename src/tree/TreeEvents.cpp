#include "tree/TreeEvents.h"

#include "actions/ActionOperations.h"
#include "data/SharedState.h"
#include "pane/PaneOperations.h"
#include "runtime/SlotGuard.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"
#include "widgets/OutlineGridView.h"

TreeEvents::TreeEvents(SharedState& state, OutlineGrid& grid, OutlineGridView& view, TreeOperations& tree)
    : m_state(state),
      m_grid(grid),
      m_view(view),
      m_tree(tree)
{
    UserPrompts& prompts = m_state.prompts;
    connectGuarded(prompts, &m_grid, &OutlineGrid::afterRowColChange, this, [this](int oldRow, int oldCol, int newRow, int newCol) {
        ATTree_AfterRowColChange(oldRow, oldCol, newRow, newCol);
    });
    // The grid hands Cancel by reference; a guarded handler that fails leaves it as it was.
    connect(&m_grid, &OutlineGrid::beforeCollapse, this, [this, &prompts](int row, int state, bool& cancel) {
        guarded(prompts, [&] { ATTree_BeforeCollapse(row, state, cancel); });
    });
    connectGuarded(prompts, &m_view, &OutlineGridView::gridMouseDown, this,
                   [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& pos) {
                       ATTree_MouseDown(button, modifiers, pos);
                   });
    connectGuarded(prompts, &m_view, &OutlineGridView::gridClick, this, [this] { ATTree_Click(); });
    connectGuarded(prompts, &m_view, &OutlineGridView::gridDblClick, this, [this] { ATTree_DblClick(); });
    connectGuarded(prompts, &m_view, &OutlineGridView::gridKeyDown, this,
                   [this](int key, Qt::KeyboardModifiers modifiers) { ATTree_KeyDown(key, modifiers); });
}

void TreeEvents::connectTo(PaneOperations* pane, ReferencesOperations* references, ActionOperations* actions, TreeWindow* window)
{
    m_pane = pane;
    m_references = references;
    m_actions = actions;
    m_window = window;
}

void TreeEvents::ATTree_AfterRowColChange(int, int, int NewRow, int)
{
    // Emptying the grid reports a move to no row; there is nothing to show then.
    if (NewRow < 0 || NewRow >= m_grid.rowCount())
        return;
    // Expand all makes each row it builds current on the way and shows row 0 when it is done:
    // neither the pane nor the references are loaded meanwhile, so a requery of the whole
    // cache for every built row would buy nothing.
    if (m_tree.ExpandAllInProgress())
        return;
    if (m_actions)
        m_actions->resetLinkFromTab();
    if (m_window)
        m_window->setBusy(true);
    const qint16 type = m_grid.cellData(NewRow, TreeColumn::NodeType).toInt16();
    if (m_pane && !m_pane->ShowNodeTypeTab(type))
        m_state.prompts.msgBox(QStringLiteral("Error! Invalid node type!"));
    m_state.cache.RequeryAllRecordsets();
    const int current = m_grid.row();
    const QString objectId = current >= 0 ? m_grid.cellText(current, TreeColumn::ObjectID) : QString();
    if (m_references)
        m_references->LoadReferencesInfo(objectId, type);
    if (m_actions)
        m_actions->AdjustMenuSettings();
    if (m_pane)
        m_pane->LoadTabInfo(objectId, type);
    if (m_window)
        m_window->setBusy(false);
}

void TreeEvents::ATTree_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers, const QPoint& viewportPos)
{
    if (m_actions)
        m_actions->resetLinkFromTab();
    const int row = m_grid.mouseRow();
    if (Button != Qt::RightButton || row < 1)
        return;
    if (row != m_grid.row())
        m_grid.setRow(row);
    // The popup's items and the link it acts on are set for this row now, also when the row was
    // already current: what the last run set may belong to another row or be out of date.
    if (m_actions)
        m_actions->AdjustMenuSettings();
    if (m_actions)
        m_actions->PopUpLinkMenu(m_view.viewport()->mapToGlobal(viewportPos));
}

void TreeEvents::ATTree_BeforeCollapse(int Row, int State, bool& Cancel)
{
    // Code that changes rows turns drawing off and does its own expansion.
    if (!m_grid.redraw())
        return;
    if (Row < 0) {
        Cancel = true;
        return;
    }
    if (State == OutlineGrid::Collapsed)
        return;
    // A row still holding its placeholder child is opened for the first time: its links are
    // built in the placeholder's place. Built children open without any work.
    if (Row + 1 < m_grid.rowCount() && m_grid.isNode(Row) && m_grid.cellText(Row + 1, TreeColumn::Main).isEmpty()) {
        m_grid.removeSubtree(Row + 1);
        m_tree.ExpandRow(static_cast<qint16>(Row));
    }
}

void TreeEvents::ATTree_DblClick()
{
    const int row = m_grid.row();
    if (m_grid.mouseRow() < 0 || row < 0)
        return;
    m_grid.setCollapsed(row, !m_grid.isCollapsed(row));
}

void TreeEvents::ATTree_KeyDown(int KeyCode, Qt::KeyboardModifiers)
{
    const int row = m_grid.row();
    if (row < 0)
        return;
    if (KeyCode == Qt::Key_Left)
        m_grid.setCollapsed(row, true);
    else if (KeyCode == Qt::Key_Right)
        m_grid.setCollapsed(row, false);
}
