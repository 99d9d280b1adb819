#include "widgets/BoundGrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

void BoundGridModel::bind(const QStringList& columnNames, std::vector<Row> rows)
{
    beginResetModel();
    m_captions = QStringList{QString()} + columnNames;
    m_keys = m_captions;
    m_rows = std::move(rows);
    endResetModel();
}

void BoundGridModel::clearRows()
{
    if (m_rows.empty())
        return;
    beginRemoveRows(QModelIndex(), 0, int(m_rows.size()) - 1);
    m_rows.clear();
    endRemoveRows();
}

int BoundGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int BoundGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_captions.size());
}

Variant BoundGridModel::cell(int row, int col) const
{
    if (row < 0 || row >= int(m_rows.size()) || col <= 0 || col > int(m_rows[size_t(row)].size()))
        return Variant();
    return m_rows[size_t(row)][size_t(col - 1)];
}

QVariant BoundGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    const Variant value = cell(index.row(), index.column());
    return value.isNull() ? QVariant() : QVariant(value.textOrEmpty());
}

QVariant BoundGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_captions.size())
        return m_captions[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

void BoundGridModel::sort(int column, Qt::SortOrder order)
{
    if (column <= 0 || column >= m_captions.size())
        return;
    const size_t c = size_t(column - 1);
    emit layoutAboutToBeChanged();
    // Numbers before texts, Null first, texts without regard to case: what an administrator
    // expects of extensions and names alike.
    auto less = [c](const Row& a, const Row& b) {
        const Variant& x = a[c];
        const Variant& y = b[c];
        if (x.isNull() || y.isNull())
            return x.isNull() && !y.isNull();
        const QString tx = x.textOrEmpty(), ty = y.textOrEmpty();
        bool nx = false, ny = false;
        const double dx = tx.toDouble(&nx), dy = ty.toDouble(&ny);
        if (nx && ny)
            return dx < dy;
        if (nx != ny)
            return nx;
        return tx.compare(ty, Qt::CaseInsensitive) < 0;
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(m_rows.begin(), m_rows.end(), less);
    else
        std::stable_sort(m_rows.begin(), m_rows.end(), [&](const Row& a, const Row& b) { return less(b, a); });
    emit layoutChanged();
}

void BoundGridModel::setCaption(int col, const QString& caption)
{
    if (col < 0 || col >= m_captions.size())
        return;
    m_captions[col] = caption;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

void BoundGridModel::setKey(int col, const QString& key)
{
    if (col >= 0 && col < m_keys.size())
        m_keys[col] = key;
}

int BoundGridModel::colIndex(const QString& key) const
{
    for (int c = 0; c < m_keys.size(); ++c)
        if (m_keys[c].compare(key, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

BoundGrid::BoundGrid(QWidget* parent)
    : QTableView(parent),
      m_model(new BoundGridModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false); // sorting is by the header's click below, never on binding
    verticalHeader()->hide();
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        const Qt::SortOrder order =
            horizontalHeader()->sortIndicatorSection() == section && horizontalHeader()->sortIndicatorOrder() == Qt::AscendingOrder
                ? Qt::DescendingOrder
                : Qt::AscendingOrder;
        horizontalHeader()->setSortIndicator(section, order);
        m_model->sort(section, order);
        setCurrentDataRow(-1);
        emit sortedByUser();
    });
}

void BoundGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    // The row under the mouse, not the row a press made current: a double click on the header
    // or below the last row does nothing.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        setCurrentDataRow(index.row());
        emit dataRowDoubleClicked(index.row());
    }
}

int BoundGrid::currentDataRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void BoundGrid::setCurrentDataRow(int row)
{
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clear();
        setCurrentIndex(QModelIndex());
        return;
    }
    selectRow(row);
}

Variant BoundGrid::currentValue(const QString& key) const
{
    return m_model->cell(currentDataRow(), m_model->colIndex(key));
}
