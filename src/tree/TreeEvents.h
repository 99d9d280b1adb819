#pragma once

#include "tree/TreeOperations.h"

#include <QObject>
#include <QPoint>

class ActionOperations;
class OutlineGrid;
class OutlineGridView;
class PaneOperations;
class SharedState;

// What the administrator does to the call-flow tree `ATTree`: selecting a row shows its object in
// the property pane and its references, a right click opens the action popup for the row under
// the mouse, opening a row for the first time builds its children, a double click and the Left
// and Right keys close and open rows.
class TreeEvents : public QObject, public TreeSelection {
    Q_OBJECT
public:
    TreeEvents(SharedState& state, OutlineGrid& grid, OutlineGridView& view, TreeOperations& tree);

    // Any of them may be missing; their steps are then left out.
    void connectTo(PaneOperations* pane, ReferencesOperations* references, ActionOperations* actions, TreeWindow* window);

    void ATTree_AfterRowColChange(int OldRow, int OldCol, int NewRow, int NewCol) override;
    void ATTree_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, const QPoint& viewportPos);
    void ATTree_Click() {}
    void ATTree_BeforeCollapse(int Row, int State, bool& Cancel);
    void ATTree_DblClick();
    void ATTree_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);

private:
    SharedState& m_state;
    OutlineGrid& m_grid;
    OutlineGridView& m_view;
    TreeOperations& m_tree;
    PaneOperations* m_pane = nullptr;
    ReferencesOperations* m_references = nullptr;
    ActionOperations* m_actions = nullptr;
    TreeWindow* m_window = nullptr;
};
