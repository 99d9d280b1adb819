#include "widgets/OutlineGridModel.h"

#include "widgets/OutlineGrid.h"
#include "widgets/OutlineGridImageList.h"

#include <QIcon>
#include <QMap>
#include <algorithm>
#include <climits>
#include <unordered_set>

OutlineGridModel::OutlineGridModel(OutlineGrid& grid, QObject* parent)
    : QAbstractItemModel(parent),
      m_grid(grid)
{
    rebuild();
    connect(&m_grid, &OutlineGrid::rowsInserted, this, &OutlineGridModel::onRowsInserted);
    connect(&m_grid, &OutlineGrid::rowsRemoved, this, &OutlineGridModel::onRowsRemoved);
    connect(&m_grid, &OutlineGrid::levelChanged, this, &OutlineGridModel::onLevelChanged);
    connect(&m_grid, &OutlineGrid::cellChanged, this, &OutlineGridModel::onCellChanged);
    connect(&m_grid, &OutlineGrid::redrawChanged, this, &OutlineGridModel::onRedrawChanged);
    connect(&m_grid, &OutlineGrid::columnsChanged, this, &OutlineGridModel::onColumnsChanged);
}

OutlineGridModel::~OutlineGridModel() = default;

void OutlineGridModel::setImageList(const OutlineGridImageList* images)
{
    m_images = images;
    // Every row's picture may have changed: one report per parent.
    auto report = [this](quint64 id, const Item& item) {
        if (item.children.empty())
            return;
        const QModelIndex parent = indexOf(id, 0);
        emit dataChanged(index(0, 0, parent), index(static_cast<int>(item.children.size()) - 1, 0, parent), {Qt::DecorationRole});
    };
    report(0, m_top);
    for (const auto& [id, item] : m_items)
        report(id, item);
}

// --- the presented tree ----------------------------------------------------------------------

const OutlineGridModel::Item* OutlineGridModel::find(quint64 id) const
{
    const auto it = m_items.find(id);
    return it == m_items.end() ? nullptr : &it->second;
}

quint64 OutlineGridModel::idOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return 0;
    const quint64 id = index.internalId();
    return find(id) ? id : 0;
}

// Walks down by subtree sizes: a few children per level of the outline.
quint64 OutlineGridModel::idAtRow(int row) const
{
    const Item* node = &m_top;
    int remaining = row;
    for (;;) {
        bool descended = false;
        for (quint64 child : node->children) {
            const Item& item = m_items.at(child);
            if (remaining < item.size) {
                if (remaining == 0)
                    return child;
                --remaining;
                node = &item;
                descended = true;
                break;
            }
            remaining -= item.size;
        }
        if (!descended)
            return 0;
    }
}

int OutlineGridModel::rowOfItem(quint64 id) const
{
    int row = 0;
    for (;;) {
        const Item& item = m_items.at(id);
        const Item& parent = at(item.parent);
        for (int k = 0; k < item.pos; ++k)
            row += m_items.at(parent.children[k]).size;
        if (item.parent == 0)
            return row;
        ++row;
        id = item.parent;
    }
}

quint64 OutlineGridModel::nextInOrder(quint64 id) const
{
    const Item& item = m_items.at(id);
    if (!item.children.empty())
        return item.children.front();
    while (id != 0) {
        const Item& i = m_items.at(id);
        const Item& parent = at(i.parent);
        if (i.pos + 1 < static_cast<int>(parent.children.size()))
            return parent.children[i.pos + 1];
        id = i.parent;
    }
    return 0;
}

QModelIndex OutlineGridModel::indexOf(quint64 id, int column) const
{
    if (id == 0)
        return QModelIndex();
    return createIndex(m_items.at(id).pos, column, static_cast<quintptr>(id));
}

int OutlineGridModel::eraseSubtree(quint64 id)
{
    const auto it = m_items.find(id);
    const int rows = it->second.size;
    for (quint64 child : it->second.children)
        eraseSubtree(child);
    m_items.erase(it);
    return rows;
}

void OutlineGridModel::addToSizes(quint64 id, int delta)
{
    for (; id != 0; id = m_items.at(id).parent)
        m_items.at(id).size += delta;
    m_top.size += delta;
}

// Creates the items of grid rows [first, end), linked among themselves; the rows whose parent
// lies before first (found on the ancestor chain of the row above first) are returned in tops,
// with their parent set but not yet listed as its children.
void OutlineGridModel::buildItems(int first, int end, quint64 prefixRow, std::vector<quint64>& tops)
{
    std::vector<quint64> chain; // ancestors among the new rows, deepest last
    std::vector<quint64> order;
    std::vector<bool> top;
    order.reserve(end - first);
    top.reserve(end - first);
    for (int r = first; r < end; ++r) {
        const quint64 id = m_grid.rowId(r);
        const int level = m_grid.outlineLevel(r);
        while (!chain.empty() && m_items.at(chain.back()).level >= level)
            chain.pop_back();
        Item item;
        item.level = level;
        if (!chain.empty()) {
            Item& parent = m_items.at(chain.back());
            item.parent = chain.back();
            item.pos = static_cast<int>(parent.children.size());
            parent.children.push_back(id);
        } else {
            quint64 parent = prefixRow;
            while (parent != 0 && m_items.at(parent).level >= level)
                parent = m_items.at(parent).parent;
            item.parent = parent;
            tops.push_back(id);
        }
        top.push_back(chain.empty());
        m_items.emplace(id, std::move(item));
        chain.push_back(id);
        order.push_back(id);
    }
    for (int i = static_cast<int>(order.size()) - 1; i >= 0; --i) {
        const Item& item = m_items.at(order[i]);
        if (!top[i])
            m_items.at(item.parent).size += item.size;
    }
}

void OutlineGridModel::rebuild()
{
    m_items.clear();
    m_top = Item();
    m_top.size = 0;
    std::vector<quint64> tops;
    buildItems(0, m_grid.rowCount(), 0, tops);
    for (quint64 id : tops) {
        Item& item = m_items.at(id);
        item.pos = static_cast<int>(m_top.children.size());
        m_top.children.push_back(id);
        m_top.size += item.size;
    }
    m_dirtyFirst = INT_MAX;
    m_cleanTail = INT_MAX;
    m_inStep = true;
}

// --- following the grid ----------------------------------------------------------------------

void OutlineGridModel::rowsChanged(int first, int cleanTail)
{
    m_dirtyFirst = std::min(m_dirtyFirst, first);
    m_cleanTail = std::min(m_cleanTail, cleanTail);
    m_inStep = false;
    if (m_syncing)
        m_changedWhileSyncing = true;
    else if (m_grid.redraw())
        catchUp();
}

void OutlineGridModel::onRowsInserted(int first, int count)
{
    rowsChanged(first, m_grid.rowCount() - first - count);
}

void OutlineGridModel::onRowsRemoved(int first, int)
{
    rowsChanged(first, m_grid.rowCount() - first);
}

void OutlineGridModel::onLevelChanged(int row)
{
    rowsChanged(row, m_grid.rowCount() - row - 1);
}

void OutlineGridModel::onRedrawChanged(bool on)
{
    if (!on || m_syncing)
        return;
    if (!m_inStep)
        catchUp();
    else
        emit synced(0, 0);
}

void OutlineGridModel::onColumnsChanged()
{
    m_syncing = true;
    beginResetModel();
    rebuild();
    endResetModel();
    m_syncing = false;
    m_changedRows.clear();
    emit synced(0, m_grid.rowCount());
}

// Brings the presented rows to the grid's. Rows before the first change and after the last keep
// their place and parent; the rows between (widened to take in following rows whose parent could
// lie among them) are removed as they were and inserted as they are now, parent by parent, so
// every signal describes a consistent tree.
void OutlineGridModel::catchUp()
{
    const int n = m_grid.rowCount();
    const int oldN = m_top.size;
    const int p = std::min({m_dirtyFirst, n, oldN});
    const int s = std::min({m_cleanTail, n - p, oldN - p});
    int oldEnd = oldN - s;
    int newEnd = n - s;
    m_dirtyFirst = INT_MAX;
    m_cleanTail = INT_MAX;
    m_syncing = true;

    if (oldEnd > p || newEnd > p) {
        std::vector<quint64> removed; // the old rows between, in order
        int lowest = INT_MAX;
        quint64 next = p < oldN ? idAtRow(p) : 0;
        for (int r = p; r < oldEnd; ++r) {
            removed.push_back(next);
            lowest = std::min(lowest, m_items.at(next).level);
            next = nextInOrder(next);
        }
        for (int r = p; r < newEnd; ++r)
            lowest = std::min(lowest, m_grid.outlineLevel(r));
        // A following row deeper than every changed row may have had, or now has, its parent
        // among them. Following rows are the same in the grid and here.
        while (newEnd < n && m_grid.outlineLevel(newEnd) > lowest) {
            removed.push_back(next);
            next = nextInOrder(next);
            ++oldEnd;
            ++newEnd;
        }

        if (p == 0 && oldEnd == oldN) {
            beginResetModel();
            rebuild();
            endResetModel();
        } else {
            // The top rows of the old range: those whose parent lies before it. Top rows under
            // one parent are consecutive, so each parent gives one signal.
            struct Group {
                quint64 parent;
                int first, count;
            };
            std::vector<Group> groups;
            std::unordered_set<quint64> inRange;
            for (quint64 id : removed) {
                inRange.insert(id);
                const Item& item = m_items.at(id);
                if (inRange.count(item.parent))
                    continue;
                if (!groups.empty() && groups.back().parent == item.parent)
                    ++groups.back().count;
                else
                    groups.push_back({item.parent, item.pos, 1});
            }
            for (auto g = groups.rbegin(); g != groups.rend(); ++g) {
                beginRemoveRows(indexOf(g->parent, 0), g->first, g->first + g->count - 1);
                Item& parent = at(g->parent);
                int rows = 0;
                for (int k = g->first; k < g->first + g->count; ++k)
                    rows += eraseSubtree(parent.children[k]);
                parent.children.erase(parent.children.begin() + g->first, parent.children.begin() + g->first + g->count);
                for (int k = g->first; k < static_cast<int>(parent.children.size()); ++k)
                    m_items.at(parent.children[k]).pos = k;
                addToSizes(g->parent, -rows);
                endRemoveRows();
            }

            std::vector<quint64> tops;
            buildItems(p, newEnd, p > 0 ? idAtRow(p - 1) : 0, tops);
            const quint64 following = newEnd < n ? m_grid.rowId(newEnd) : 0;
            for (size_t t = 0; t < tops.size();) {
                const quint64 parentId = m_items.at(tops[t]).parent;
                size_t e = t;
                int rows = 0;
                while (e < tops.size() && m_items.at(tops[e]).parent == parentId)
                    rows += m_items.at(tops[e++]).size;
                Item& parent = at(parentId);
                // New children go before the parent's first child that follows the range.
                int at = static_cast<int>(parent.children.size());
                if (following != 0 && m_items.at(following).parent == parentId)
                    at = m_items.at(following).pos;
                beginInsertRows(indexOf(parentId, 0), at, at + static_cast<int>(e - t) - 1);
                parent.children.insert(parent.children.begin() + at, tops.begin() + t, tops.begin() + e);
                for (int k = at; k < static_cast<int>(parent.children.size()); ++k)
                    m_items.at(parent.children[k]).pos = k;
                addToSizes(parentId, rows);
                endInsertRows();
                t = e;
            }
        }
    }
    m_syncing = false;
    m_inStep = true;
    // A handler of the signals above may have changed rows again.
    if (m_changedWhileSyncing) {
        m_changedWhileSyncing = false;
        rowsChanged(0, 0);
        return;
    }
    flushCellChanges();
    emit synced(p, newEnd - p);
}

// --- mapping between grid rows and indexes ---------------------------------------------------

int OutlineGridModel::gridRow(const QModelIndex& index) const
{
    return gridRowOfId(idOf(index));
}

int OutlineGridModel::gridRowOfId(quint64 id) const
{
    if (!find(id))
        return -1;
    return m_inStep ? rowOfItem(id) : m_grid.rowOfId(id);
}

QModelIndex OutlineGridModel::indexForRow(int row, int column) const
{
    if (row < 0 || row >= m_grid.rowCount() || column < 0 || column >= columnCount())
        return QModelIndex();
    const quint64 id = m_inStep ? idAtRow(row) : m_grid.rowId(row);
    return find(id) ? indexOf(id, column) : QModelIndex();
}

std::vector<QModelIndex> OutlineGridModel::indexesForRows(int first, int count) const
{
    std::vector<QModelIndex> indexes;
    if (count <= 0 || !m_inStep)
        return indexes;
    indexes.reserve(count);
    for (quint64 id = idAtRow(first); id != 0 && static_cast<int>(indexes.size()) < count; id = nextInOrder(id))
        indexes.push_back(indexOf(id, 0));
    return indexes;
}

// --- cell changes ----------------------------------------------------------------------------

void OutlineGridModel::onCellChanged(int row, int)
{
    m_changedRows.insert(m_grid.rowId(row));
    scheduleCellFlush();
}

void OutlineGridModel::scheduleCellFlush()
{
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_flushScheduled)
                flushCellChanges();
        },
        Qt::QueuedConnection);
}

// One change report per parent, spanning its changed children: a view repaints once for it.
void OutlineGridModel::flushCellChanges()
{
    if (!m_inStep)
        return;
    m_flushScheduled = false;
    if (m_changedRows.isEmpty())
        return;
    QMap<quint64, std::pair<int, int>> spans; // parent -> first and last changed child
    for (quint64 id : std::as_const(m_changedRows)) {
        const Item* item = find(id);
        if (!item)
            continue;
        auto it = spans.find(item->parent);
        if (it == spans.end())
            spans.insert(item->parent, {item->pos, item->pos});
        else
            *it = {std::min(it->first, item->pos), std::max(it->second, item->pos)};
    }
    m_changedRows.clear();
    const int lastCol = columnCount() - 1;
    for (auto it = spans.cbegin(); it != spans.cend(); ++it) {
        const QModelIndex parent = indexOf(it.key(), 0);
        emit dataChanged(index(it->first, 0, parent), index(it->second, lastCol, parent));
    }
}

// --- QAbstractItemModel ----------------------------------------------------------------------

QModelIndex OutlineGridModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column >= columnCount() || row < 0)
        return QModelIndex();
    quint64 parentId = 0;
    if (parent.isValid()) {
        parentId = idOf(parent);
        if (parentId == 0 || parent.column() != 0)
            return QModelIndex();
    }
    const Item& item = at(parentId);
    if (row >= static_cast<int>(item.children.size()))
        return QModelIndex();
    return createIndex(row, column, static_cast<quintptr>(item.children[row]));
}

QModelIndex OutlineGridModel::parent(const QModelIndex& child) const
{
    const quint64 id = idOf(child);
    if (id == 0)
        return QModelIndex();
    return indexOf(m_items.at(id).parent, 0);
}

int OutlineGridModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return static_cast<int>(m_top.children.size());
    const quint64 id = idOf(parent);
    if (id == 0 || parent.column() != 0)
        return 0;
    return static_cast<int>(m_items.at(id).children.size());
}

int OutlineGridModel::columnCount(const QModelIndex&) const
{
    return m_grid.colCount();
}

bool OutlineGridModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0 && columnCount() > 0;
}

QVariant OutlineGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::DecorationRole && role != Qt::AccessibleTextRole)
        return QVariant();
    const int row = gridRow(index);
    if (row < 0 || index.column() >= m_grid.colCount())
        return QVariant();
    if (role == Qt::DecorationRole) {
        const QString key = m_grid.cellPicture(row, index.column());
        if (key.isEmpty() || !m_images)
            return QVariant();
        const QIcon icon = m_images->icon(key);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    return m_grid.cellText(row, index.column());
}

QVariant OutlineGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QVariant();
    return m_grid.colKey(section);
}

Qt::ItemFlags OutlineGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
