#include "widgets/OutlineGridView.h"

#include "widgets/OutlineGrid.h"
#include "widgets/OutlineGridModel.h"
#include "widgets/Twips.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
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
        const int row = m_view->gridModel().gridRow(index);
        if (row >= 0) {
            const int twips = m_view->grid().rowHeight(row);
            if (twips >= 0)
                size.setHeight(Twips::toPixelsY(twips, m_view));
        }
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

    connect(m_model, &OutlineGridModel::synced, this, &OutlineGridView::onSynced);
    connect(&m_grid, &OutlineGrid::columnsChanged, this, &OutlineGridView::applyColumns);
    connect(&m_grid, &OutlineGrid::collapsedChanged, this, [this](int row) {
        if (!m_model->inStep()) {
            if (row < 0)
                m_pendingAllCollapsed = true;
            else
                m_pendingCollapsed.insert(m_grid.rowId(row));
        } else if (row < 0) {
            applyCollapsedRows(0, m_grid.rowCount());
        } else {
            applyCollapsed(row);
        }
    });
    connect(&m_grid, &OutlineGrid::afterRowColChange, this, &OutlineGridView::scheduleCurrentRow);
    connect(&m_grid, &OutlineGrid::redrawChanged, this, [this](bool on) { viewport()->setUpdatesEnabled(on); });
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) { onViewExpandedOrCollapsed(index, true); });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) { onViewExpandedOrCollapsed(index, false); });

    viewport()->setUpdatesEnabled(m_grid.redraw());
    applyColumns();
    onSynced(0, m_grid.rowCount());
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

// Rows new to the model start closed in the view; give them, and the rows that opened or closed
// meanwhile, the grid's state.
void OutlineGridView::onSynced(int first, int count)
{
    if (!m_model->inStep())
        return;
    if (m_pendingAllCollapsed) {
        first = 0;
        count = m_grid.rowCount();
    }
    applyCollapsedRows(first, count);
    for (quint64 id : std::as_const(m_pendingCollapsed)) {
        const int row = m_model->gridRowOfId(id);
        if (row >= 0)
            applyCollapsed(row);
    }
    m_pendingCollapsed.clear();
    m_pendingAllCollapsed = false;
    scheduleCurrentRow();
}

void OutlineGridView::applyCollapsedRows(int first, int count)
{
    const std::vector<QModelIndex> indexes = m_model->indexesForRows(first, count);
    if (indexes.empty())
        return;
    m_applying = true;
    // Lay out once afterwards instead of once per opened row.
    if (indexes.size() > 100)
        scheduleDelayedItemsLayout();
    for (size_t k = 0; k < indexes.size(); ++k) {
        const int row = first + static_cast<int>(k);
        if (m_grid.firstChildRow(row) < 0)
            continue;
        const bool open = !m_grid.isCollapsed(row);
        if (isExpanded(indexes[k]) != open)
            setExpanded(indexes[k], open);
    }
    m_applying = false;
}

void OutlineGridView::applyCollapsed(int row)
{
    if (!m_model->inStep())
        return;
    const QModelIndex index = m_model->indexForRow(row);
    const bool open = !m_grid.isCollapsed(row);
    if (!index.isValid() || isExpanded(index) == open)
        return;
    m_applying = true;
    setExpanded(index, open);
    m_applying = false;
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
    if (!m_model->inStep())
        return;
    const QModelIndex index = m_model->indexForRow(m_grid.row());
    if (index == currentIndex())
        return;
    m_applying = true;
    if (index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        selectionModel()->clearSelection();
        selectionModel()->clearCurrentIndex();
    }
    m_applying = false;
}

void OutlineGridView::applyColumns()
{
    for (int col = 0; col < m_grid.colCount(); ++col) {
        setColumnHidden(col, m_grid.colHidden(col));
        if (!m_grid.colHidden(col))
            setColumnWidth(col, Twips::toPixelsX(m_grid.colWidth(col), this));
    }
}

// --- the user's actions ----------------------------------------------------------------------

void OutlineGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    if (m_applying || m_model->isSyncing() || !m_model->inStep())
        return;
    const int row = m_model->gridRow(current);
    if (row != m_grid.row())
        m_grid.setRow(row);
}

// The view has already opened or closed the row; the grid decides whether that stands.
void OutlineGridView::onViewExpandedOrCollapsed(const QModelIndex& index, bool expanded)
{
    if (m_applying || m_model->isSyncing())
        return;
    const int row = m_model->gridRow(index);
    if (row < 0 || m_grid.isCollapsed(row) != expanded)
        return;
    const QPersistentModelIndex kept(index);
    m_grid.setCollapsed(row, !expanded);
    // Cancelled, or changed again by the handlers: show what the grid holds.
    const int now = m_model->gridRow(kept);
    if (now >= 0)
        applyCollapsed(now);
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
