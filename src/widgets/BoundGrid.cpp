#include "widgets/BoundGrid.h"

#include <QFocusEvent>
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
    // Numbers before texts, Null first, texts without regard to case: what an administrator
    // expects of extensions and names alike. Each cell's key is made once, not per comparison.
    struct Key {
        int rank; // 0 Null, 1 number, 2 text
        double number;
        QString text;
    };
    const size_t n = m_rows.size();
    std::vector<Key> keys(n);
    for (size_t r = 0; r < n; ++r) {
        const Variant& v = c < m_rows[r].size() ? m_rows[r][c] : Variant::null();
        Key& k = keys[r];
        if (v.isNull()) {
            k = {0, 0, QString()};
            continue;
        }
        k.text = v.textOrEmpty();
        bool numeric = false;
        k.number = k.text.toDouble(&numeric);
        k.rank = numeric ? 1 : 2;
    }
    auto less = [&keys](size_t a, size_t b) {
        const Key& x = keys[a];
        const Key& y = keys[b];
        if (x.rank != y.rank)
            return x.rank < y.rank;
        if (x.rank == 1)
            return x.number < y.number;
        return x.rank == 2 && x.text.compare(y.text, Qt::CaseInsensitive) < 0;
    };
    std::vector<size_t> perm(n);
    for (size_t r = 0; r < n; ++r)
        perm[r] = r;
    if (order == Qt::AscendingOrder)
        std::stable_sort(perm.begin(), perm.end(), less);
    else
        std::stable_sort(perm.begin(), perm.end(), [&](size_t a, size_t b) { return less(b, a); });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(n);
    std::vector<Row> sorted;
    sorted.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        newRowOf[perm[i]] = int(i);
        sorted.push_back(std::move(m_rows[perm[i]]));
    }
    m_rows = std::move(sorted);
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
