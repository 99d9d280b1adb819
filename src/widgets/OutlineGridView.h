#pragma once

#include <QPoint>
#include <QRegion>
#include <QTreeView>

class OutlineGrid;
class OutlineGridImageList;
class OutlineGridModel;

// The outline grid on screen: a tree view over OutlineGridModel that follows the grid's collapsed
// states, current row, hidden columns and redraw switch, and hands the user's actions to the
// grid. Opening or closing a row with the mouse goes through the grid's setCollapsed, so the
// grid's beforeCollapse handler can build the row's children first or cancel; a click selects
// through the grid's current row, which raises afterRowColChange. The row-change and collapse
// events are the grid's (code raises them too); the mouse and key events are the view's. When
// code moves the grid's current row, the view's selection follows once control returns to the
// event loop, so code that selects row after row lays the view out once. A current row inside a
// closed branch stays hidden: the view opens rows only as the grid does.
//
// While the grid's redraw is off the view keeps the picture it had: what it would have painted
// is painted once redraw is on again, and nothing more.
//
// Only the left button selects and opens rows; right and middle presses are reported and change
// nothing. A double click and the Left, Right, "+", "-" and "*" keys are reported and not acted
// on here: what they open or close is the tree's decision.
class OutlineGridView : public QTreeView {
    Q_OBJECT

public:
    explicit OutlineGridView(OutlineGrid& grid, QWidget* parent = nullptr);
    ~OutlineGridView() override;

    OutlineGrid& grid() const { return m_grid; }
    OutlineGridModel& gridModel() const { return *m_model; }
    // Not owned; must outlive the view.
    void setImageList(const OutlineGridImageList* images);

    // The grid row at a point of the viewport, -1 where there is none.
    int gridRowAt(const QPoint& viewportPos) const;
    // The viewport rectangle of a grid row (empty while the row is hidden in a closed branch).
    QRect gridRowRect(int row) const;

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    // The grid's row under the mouse is already set when these are emitted.
    void gridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& viewportPos);
    void gridClick();
    void gridDblClick();
    void gridKeyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void openAsTheGrid(const QModelIndex& parent, int first, int last);
    void applyCollapsed(int row);
    void applyAllCollapsed();
    void setExpandedAsTheGrid(const QModelIndex& index, bool open);
    void scheduleCurrentRow();
    void applyCurrentRow();
    void applyColumns();
    void onRedrawChanged(bool on);
    void onViewExpandedOrCollapsed(const QModelIndex& index, bool expanded);
    bool onBranch(const QPoint& viewportPos) const;
    bool hiddenInClosedBranch(const QModelIndex& index) const;

    OutlineGrid& m_grid;
    OutlineGridModel* m_model;
    bool m_applying = false;
    bool m_currentRowScheduled = false;
    bool m_leftPressed = false;
    // What the view was asked to paint while redraw was off.
    QRegion m_heldPaint;
};
