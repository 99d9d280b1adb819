#include "widgets/OutlineGridView.h"

#include "widgets/OutlineGrid.h"
#include "widgets/OutlineGridModel.h"
#include "widgets/Twips.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Rows take the grid's height (in twips) where one is set.
class RowHeightDelegate : public QStyledItemDelegate {
public:
    RowHeightDelegate(OutlineGridView* view)
        : QStyledItemDelegate(view),
          m_view(view)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const int twips = m_view->gridModel().rowHeightTwips(index);
        if (twips >= 0)
            size.setHeight(Twips::toPixelsY(twips, m_view));
        return size;
    }

private:
    OutlineGridView* m_view;
};

} // namespace

OutlineGridView::OutlineGridView(OutlineGrid& grid, QWidget* parent)
    : QTreeView(parent),
      m_grid(grid),
      m_model(new OutlineGridModel(grid, this))
{
    setModel(m_model);
    setItemDelegate(new RowHeightDelegate(this));
    setHeaderHidden(true);
    header()->setStretchLastSection(true);
    // Every row has the same height, which lets the view lay out tens of thousands of rows
    // without measuring each one.
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(false);
    setAnimated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    setIconSize(QSize(16, 16));
    // The view paints its own background (paintEvent), so that a paint held back while redraw is
    // off leaves the previous picture in place instead of an empty one.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

    connect(m_model, &QAbstractItemModel::rowsInserted, this, &OutlineGridView::openAsTheGrid);
    connect(m_model, &QAbstractItemModel::modelReset, this, &OutlineGridView::applyAllCollapsed);
    connect(&m_grid, &OutlineGrid::columnsChanged, this, &OutlineGridView::applyColumns);
    connect(&m_grid, &OutlineGrid::collapsedChanged, this, [this](int row) {
        if (row < 0)
            applyAllCollapsed();
        else
            applyCollapsed(row);
    });
    connect(&m_grid, &OutlineGrid::afterRowColChange, this, &OutlineGridView::scheduleCurrentRow);
    connect(&m_grid, &OutlineGrid::redrawChanged, this, &OutlineGridView::onRedrawChanged);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) { onViewExpandedOrCollapsed(index, true); });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) { onViewExpandedOrCollapsed(index, false); });

    applyColumns();
    applyAllCollapsed();
    scheduleCurrentRow();
}

OutlineGridView::~OutlineGridView() = default;

void OutlineGridView::setImageList(const OutlineGridImageList* images)
{
    m_model->setImageList(images);
}

int OutlineGridView::gridRowAt(const QPoint& viewportPos) const
{
    return m_model->gridRow(indexAt(viewportPos));
}

QRect OutlineGridView::gridRowRect(int row) const
{
    return visualRect(m_model->indexForRow(row));
}

// --- following the grid ----------------------------------------------------------------------

void OutlineGridView::setExpandedAsTheGrid(const QModelIndex& index, bool open)
{
    if (isExpanded(index) == open)
        return;
    const bool applying = m_applying;
    m_applying = true;
    setExpanded(index, open);
    m_applying = applying;
}

// Rows new to the view start closed; open those the grid holds open, with the open rows below
// them that came along.
void OutlineGridView::openAsTheGrid(const QModelIndex& parent, int first, int last)
{
    // An open row that had no children shows its first ones.
    if (parent.isValid() && m_model->isOpen(parent))
        setExpandedAsTheGrid(parent, true);
    std::vector<QModelIndex> open;
    std::vector<QModelIndex> stack;
    for (int r = first; r <= last; ++r)
        stack.push_back(m_model->index(r, 0, parent));
    while (!stack.empty()) {
        const QModelIndex index = stack.back();
        stack.pop_back();
        const int children = m_model->rowCount(index);
        if (children == 0 || !m_model->isOpen(index))
            continue;
        open.push_back(index);
        for (int r = 0; r < children; ++r)
            stack.push_back(m_model->index(r, 0, index));
    }
    // Lay out once afterwards instead of once per opened row.
    if (open.size() > 16)
        scheduleDelayedItemsLayout();
    for (const QModelIndex& index : open)
        setExpandedAsTheGrid(index, true);
    // The current row may be among the new ones.
    if (!currentIndex().isValid() && m_grid.row() >= 0)
        scheduleCurrentRow();
}

void OutlineGridView::applyCollapsed(int row)
{
    const QModelIndex index = m_model->indexForRow(row);
    if (index.isValid())
        setExpandedAsTheGrid(index, m_model->isOpen(index) && m_model->rowCount(index) > 0);
}

void OutlineGridView::applyAllCollapsed()
{
    scheduleDelayedItemsLayout();
    std::vector<QModelIndex> stack{QModelIndex()};
    while (!stack.empty()) {
        const QModelIndex parent = stack.back();
        stack.pop_back();
        const int children = m_model->rowCount(parent);
        if (parent.isValid())
            setExpandedAsTheGrid(parent, children > 0 && m_model->isOpen(parent));
        for (int r = 0; r < children; ++r)
            stack.push_back(m_model->index(r, 0, parent));
    }
}

// Moving the view's current item lays out every shown row, so a run of code that opens and
// selects row after row (expanding a whole tree) is shown once, when control returns to the
// event loop.
void OutlineGridView::scheduleCurrentRow()
{
    if (m_currentRowScheduled)
        return;
    m_currentRowScheduled = true;
    QMetaObject::invokeMethod(this, &OutlineGridView::applyCurrentRow, Qt::QueuedConnection);
}

void OutlineGridView::applyCurrentRow()
{
    m_currentRowScheduled = false;
    const QModelIndex index = m_model->indexForRow(m_grid.row());
    // The view makes a row current by itself, unselected, when it gets the focus without a
    // current row (a re-rooted tree brought to the front): that row is not shown as the grid's
    // yet.
    if (index == currentIndex() && (!index.isValid() || selectionModel()->isSelected(index)))
        return;
    m_applying = true;
    if (index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        // No row, or one inside a branch the view has never shown.
        selectionModel()->clearSelection();
        selectionModel()->clearCurrentIndex();
    }
    m_applying = false;
}

bool OutlineGridView::hiddenInClosedBranch(const QModelIndex& index) const
{
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) {
        if (!isExpanded(p))
            return true;
    }
    return false;
}

// The tree view would open every closed row above the index to show it; here the grid alone
// opens rows, so a row inside a closed branch is not scrolled to.
void OutlineGridView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (index.isValid() && hiddenInClosedBranch(index))
        return;
    QTreeView::scrollTo(index, hint);
}

void OutlineGridView::applyColumns()
{
    for (int col = 0; col < m_grid.colCount(); ++col) {
        setColumnHidden(col, m_grid.colHidden(col));
        if (!m_grid.colHidden(col))
            setColumnWidth(col, Twips::toPixelsX(m_grid.colWidth(col), this));
    }
}

void OutlineGridView::onRedrawChanged(bool on)
{
    if (on && !m_heldPaint.isEmpty()) {
        viewport()->update(m_heldPaint);
        m_heldPaint = QRegion();
    }
}

void OutlineGridView::paintEvent(QPaintEvent* event)
{
    if (!m_grid.redraw()) {
        m_heldPaint += event->region();
        return;
    }
    {
        QPainter painter(viewport());
        const QBrush background = viewport()->palette().brush(viewport()->backgroundRole());
        for (const QRect& rect : event->region())
            painter.fillRect(rect, background);
    }
    QTreeView::paintEvent(event);
}

// --- the user's actions ----------------------------------------------------------------------

void OutlineGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    // The view moves its current item itself when rows go; the grid says where its row went.
    if (m_applying || m_model->isChanging())
        return;
    const int row = m_model->gridRow(current);
    if (row != m_grid.row())
        m_grid.setRow(row);
}

// The view has already opened or closed the row; the grid decides whether that stands.
void OutlineGridView::onViewExpandedOrCollapsed(const QModelIndex& index, bool expanded)
{
    if (m_applying || m_model->isChanging())
        return;
    const int row = m_model->gridRow(index);
    if (row < 0 || m_grid.isCollapsed(row) != expanded)
        return;
    const QPersistentModelIndex kept(index);
    m_grid.setCollapsed(row, !expanded);
    // Cancelled, or changed again by the handlers: show what the grid holds.
    if (kept.isValid())
        setExpandedAsTheGrid(kept, m_model->isOpen(kept) && m_model->rowCount(kept) > 0);
}

bool OutlineGridView::onBranch(const QPoint& viewportPos) const
{
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid())
        return false;
    const QRect item = visualRect(index.siblingAtColumn(0));
    return viewportPos.x() < item.left() && viewportPos.x() >= item.left() - indentation();
}

void OutlineGridView::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    m_grid.setMouseRow(gridRowAt(pos));
    emit gridMouseDown(event->button(), event->modifiers(), pos);
    if (event->button() == Qt::LeftButton) {
        m_leftPressed = true;
        QTreeView::mousePressEvent(event);
    } else {
        event->accept();
    }
}

void OutlineGridView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && m_leftPressed) {
        m_leftPressed = false;
        emit gridClick();
    }
}

void OutlineGridView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    m_grid.setMouseRow(gridRowAt(pos));
    // A double click on a row's open/close mark already acted as two clicks on it.
    if (event->button() == Qt::LeftButton && !onBranch(pos))
        emit gridDblClick();
    if (event->button() == Qt::LeftButton)
        QTreeView::mouseDoubleClickEvent(event);
    else
        event->accept();
}

void OutlineGridView::keyPressEvent(QKeyEvent* event)
{
    emit gridKeyDown(event->key(), event->modifiers());
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Plus:
    case Qt::Key_Minus:
    case Qt::Key_Asterisk:
        event->accept();
        return;
    default:
        QTreeView::keyPressEvent(event);
    }
}
