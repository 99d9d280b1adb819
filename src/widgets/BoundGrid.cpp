#include "widgets/BoundGrid.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

void BoundGridModel::bind(TextTable rows)
{
    beginResetModel();
    m_captions = QStringList{QString()} + rows.columns();
    m_keys = m_captions;
    m_rows = std::move(rows);
    endResetModel();
}

void BoundGridModel::bind(const QStringList& columnNames, const std::vector<Row>& rows)
{
    bind(TextTable::fromRows(columnNames, rows));
}

void BoundGridModel::clearRows()
{
    if (m_rows.rowCount() == 0)
        return;
    beginRemoveRows(QModelIndex(), 0, m_rows.rowCount() - 1);
    m_rows = TextTable(m_rows.columns());
    endRemoveRows();
}

int BoundGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.rowCount();
}

int BoundGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_captions.size());
}

Variant BoundGridModel::cell(int row, int col) const
{
    if (row < 0 || row >= m_rows.rowCount() || col <= 0 || col > m_rows.columnCount())
        return Variant();
    return m_rows.value(row, col - 1);
}

QVariant BoundGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    const int row = index.row(), col = index.column();
    if (row >= m_rows.rowCount() || col <= 0 || col > m_rows.columnCount() || m_rows.isNull(row, col - 1))
        return QVariant();
    return QVariant(m_rows.text(row, col - 1));
}

QVariant BoundGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_captions.size())
        return m_captions[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

void BoundGridModel::sort(int column, Qt::SortOrder order)
{
    if (column <= 0 || column >= m_captions.size() || column > m_rows.columnCount())
        return;
    const int c = column - 1;
    // Numbers before texts, Null first, texts without regard to case: what an administrator
    // expects of extensions and names alike. Each cell's key is made once, not per comparison.
    struct Key {
        int rank; // 0 Null, 1 number, 2 text
        double number;
        QString text;
    };
    const int n = m_rows.rowCount();
    std::vector<Key> keys(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        Key& k = keys[size_t(r)];
        if (m_rows.isNull(r, c)) {
            k = {0, 0, QString()};
            continue;
        }
        k.text = m_rows.text(r, c);
        bool numeric = false;
        k.number = k.text.toDouble(&numeric);
        k.rank = numeric ? 1 : 2;
    }
    auto less = [&keys](int a, int b) {
        const Key& x = keys[size_t(a)];
        const Key& y = keys[size_t(b)];
        if (x.rank != y.rank)
            return x.rank < y.rank;
        if (x.rank == 1)
            return x.number < y.number;
        return x.rank == 2 && x.text.compare(y.text, Qt::CaseInsensitive) < 0;
    };
    std::vector<int> perm(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r)
        perm[size_t(r)] = r;
    if (order == Qt::AscendingOrder)
        std::stable_sort(perm.begin(), perm.end(), less);
    else
        std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) { return less(b, a); });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        newRowOf[size_t(perm[size_t(i)])] = i;
    m_rows.reorder(perm);
    const QModelIndexList persistent = persistentIndexList();
    for (const QModelIndex& from : persistent)
        changePersistentIndex(from, index(newRowOf[size_t(from.row())], from.column()));
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
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
        // The header has turned its indicator already: up for a new column, over for the same.
        QHeaderView* header = horizontalHeader();
        if (header->sortIndicatorSection() != section)
            header->setSortIndicator(section, Qt::AscendingOrder);
        m_model->sort(section, header->sortIndicatorOrder());
        setCurrentDataRow(-1);
        emit sortedByUser();
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, &BoundGrid::hideKeptColumns);
}

void BoundGrid::keepColumnsHidden(const QList<int>& columns)
{
    m_keptHidden = columns;
    hideKeptColumns();
}

void BoundGrid::hideKeptColumns()
{
    for (int c : m_keptHidden)
        setColumnHidden(c, true);
}

void BoundGrid::mousePressEvent(QMouseEvent* event)
{
    emit gridMouseDown(event->button(), event->modifiers(), event->globalPosition().toPoint());
    if (event->button() == Qt::RightButton && m_rightClickKeepsCurrentRow) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void BoundGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit gotFocus();
}

void BoundGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    emit gridDblClick();
    // The row under the mouse, not the row a press made current: a double click on the header
    // or below the last row is no double click on a row.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) {
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
