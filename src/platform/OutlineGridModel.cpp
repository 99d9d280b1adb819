#include "platform/OutlineGridModel.h"

#include "platform/OutlineGrid.h"
#include "platform/OutlineGridImageList.h"

#include <QIcon>
#include <QMap>
#include <algorithm>
#include <climits>

// --- shape -----------------------------------------------------------------------------------

void OutlineGridModel::Shape::derive()
{
    const int n = size();
    parent.assign(n, -1);
    childPos.assign(n, 0);
    childBegin.assign(n + 2, 0);
    childList.assign(n, 0);
    posOfId.clear();
    posOfId.reserve(n);

    // Ancestors of the current row, deepest last.
    std::vector<int> chain;
    for (int i = 0; i < n; ++i) {
        while (!chain.empty() && levels[chain.back()] >= levels[i])
            chain.pop_back();
        parent[i] = chain.empty() ? -1 : chain.back();
        chain.push_back(i);
        posOfId.insert(ids[i], i);
    }
    // Children of position p are childList[childBegin[p] .. childBegin[p + 1]); the top level
    // is kept as position n.
    auto slot = [n](int p) { return p < 0 ? n : p; };
    for (int i = 0; i < n; ++i)
        ++childBegin[slot(parent[i]) + 1];
    for (int p = 0; p <= n; ++p)
        childBegin[p + 1] += childBegin[p];
    std::vector<int> fill(childBegin.begin(), childBegin.end() - 1);
    for (int i = 0; i < n; ++i) {
        const int p = slot(parent[i]);
        childPos[i] = fill[p] - childBegin[p];
        childList[fill[p]++] = i;
    }
}

int OutlineGridModel::Shape::childCount(int pos) const
{
    const int p = pos < 0 ? size() : pos;
    return childBegin[p + 1] - childBegin[p];
}

int OutlineGridModel::Shape::child(int pos, int n) const
{
    const int p = pos < 0 ? size() : pos;
    return childList[childBegin[p] + n];
}

// --- model -----------------------------------------------------------------------------------

OutlineGridModel::OutlineGridModel(OutlineGrid& grid, QObject* parent)
    : QAbstractItemModel(parent), m_grid(grid)
{
    resetShape();
    connect(&m_grid, &OutlineGrid::shapeChanged, this, &OutlineGridModel::onShapeChanged);
    connect(&m_grid, &OutlineGrid::cellChanged, this, &OutlineGridModel::onCellChanged);
    connect(&m_grid, &OutlineGrid::redrawChanged, this, &OutlineGridModel::onRedrawChanged);
    connect(&m_grid, &OutlineGrid::columnsChanged, this, &OutlineGridModel::onColumnsChanged);
}

OutlineGridModel::~OutlineGridModel() = default;

void OutlineGridModel::setImageList(const OutlineGridImageList* images)
{
    m_images = images;
    if (m_shape.size() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void OutlineGridModel::resetShape()
{
    const int n = m_grid.rowCount();
    m_shape.ids.resize(n);
    m_shape.levels.resize(n);
    for (int r = 0; r < n; ++r) {
        m_shape.ids[r] = m_grid.rowId(r);
        m_shape.levels[r] = m_grid.outlineLevel(r);
    }
    m_shape.derive();
    m_inStep = true;
}

void OutlineGridModel::onShapeChanged()
{
    m_inStep = false;
    if (m_syncing)
        m_changedWhileSyncing = true;
    else if (m_grid.redraw())
        catchUp();
}

void OutlineGridModel::onRedrawChanged(bool on)
{
    if (!on || m_syncing)
        return;
    if (!m_inStep)
        catchUp();
    else
        emit synced();
}

void OutlineGridModel::onColumnsChanged()
{
    beginResetModel();
    resetShape();
    endResetModel();
    m_changedRows.clear();
    emit synced();
}

// Brings the presented shape to the grid's. Rows before the first difference and after the last
// keep their place and parent; the rows between (widened to take in following rows whose parent
// could lie among them) are removed as they were and inserted as they are now, parent by parent,
// so every signal describes a consistent tree.
void OutlineGridModel::catchUp()
{
    Shape next;
    const int n = m_grid.rowCount();
    next.ids.resize(n);
    next.levels.resize(n);
    for (int r = 0; r < n; ++r) {
        next.ids[r] = m_grid.rowId(r);
        next.levels[r] = m_grid.outlineLevel(r);
    }
    next.derive();

    const int oldN = m_shape.size();
    auto same = [&](int o, int x) { return m_shape.ids[o] == next.ids[x] && m_shape.levels[o] == next.levels[x]; };
    int p = 0;
    while (p < oldN && p < n && same(p, p))
        ++p;
    int s = 0;
    while (s < std::min(oldN, n) - p && same(oldN - 1 - s, n - 1 - s))
        ++s;
    int oldEnd = oldN - s;
    int newEnd = n - s;

    if (oldEnd > p || newEnd > p) {
        int lowest = INT_MAX;
        for (int i = p; i < oldEnd; ++i)
            lowest = std::min(lowest, m_shape.levels[i]);
        for (int i = p; i < newEnd; ++i)
            lowest = std::min(lowest, next.levels[i]);
        // A following row deeper than every changed row may have had, or now have, its parent
        // among them.
        while (oldEnd < oldN && m_shape.levels[oldEnd] > lowest) {
            ++oldEnd;
            ++newEnd;
        }

        m_syncing = true;
        if (p == 0 && oldEnd == oldN) {
            beginResetModel();
            m_shape = std::move(next);
            endResetModel();
        } else {
            struct Group {
                int parent;     // position of the common parent, -1 at the top
                int begin, end; // flat range of the group's rows and their subtrees
            };
            // The top rows of a range are those whose parent lies before it; the top rows under
            // one parent are consecutive, so each parent makes one group.
            auto groupsOf = [p](const Shape& shape, int end) {
                std::vector<Group> groups;
                for (int i = p; i < end; ++i) {
                    if (shape.parent[i] >= p)
                        continue;
                    if (!groups.empty() && groups.back().parent == shape.parent[i])
                        continue;
                    if (!groups.empty())
                        groups.back().end = i;
                    groups.push_back({shape.parent[i], i, end});
                }
                return groups;
            };

            const std::vector<Group> removed = groupsOf(m_shape, oldEnd);
            for (auto g = removed.rbegin(); g != removed.rend(); ++g) {
                int tops = 0;
                for (int i = g->begin; i < g->end; ++i)
                    tops += m_shape.parent[i] == g->parent ? 1 : 0;
                const int first = m_shape.childPos[g->begin];
                beginRemoveRows(indexAt(m_shape, g->parent, 0), first, first + tops - 1);
                m_shape.ids.erase(m_shape.ids.begin() + g->begin, m_shape.ids.begin() + g->end);
                m_shape.levels.erase(m_shape.levels.begin() + g->begin, m_shape.levels.begin() + g->end);
                m_shape.derive();
                endRemoveRows();
            }

            const std::vector<Group> inserted = groupsOf(next, newEnd);
            int at = p;
            for (const Group& g : inserted) {
                int tops = 0;
                for (int i = g.begin; i < g.end; ++i)
                    tops += next.parent[i] == g.parent ? 1 : 0;
                const int first = next.childPos[g.begin];
                beginInsertRows(indexAt(m_shape, g.parent, 0), first, first + tops - 1);
                m_shape.ids.insert(m_shape.ids.begin() + at, next.ids.begin() + g.begin, next.ids.begin() + g.end);
                m_shape.levels.insert(m_shape.levels.begin() + at, next.levels.begin() + g.begin,
                                      next.levels.begin() + g.end);
                at += g.end - g.begin;
                m_shape.derive();
                endInsertRows();
            }
            Q_ASSERT(m_shape.ids == next.ids && m_shape.levels == next.levels);
        }
        m_syncing = false;
    }

    m_inStep = true;
    // A handler of the signals above may have changed rows again.
    if (m_changedWhileSyncing) {
        m_changedWhileSyncing = false;
        onShapeChanged();
        return;
    }
    flushCellChanges();
    emit synced();
}

QModelIndex OutlineGridModel::indexAt(const Shape& shape, int pos, int column) const
{
    if (pos < 0 || pos >= shape.size())
        return QModelIndex();
    return createIndex(shape.childPos[pos], column, static_cast<quintptr>(shape.ids[pos]));
}

int OutlineGridModel::posOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    return m_shape.posOfId.value(static_cast<quint64>(index.internalId()), -1);
}

int OutlineGridModel::gridRow(const QModelIndex& index) const
{
    const int pos = posOf(index);
    if (pos < 0)
        return -1;
    return m_inStep ? pos : m_grid.rowOfId(m_shape.ids[pos]);
}

QModelIndex OutlineGridModel::indexForRow(int row, int column) const
{
    if (row < 0 || row >= m_grid.rowCount() || column < 0 || column >= columnCount())
        return QModelIndex();
    const int pos = m_inStep ? row : m_shape.posOfId.value(m_grid.rowId(row), -1);
    return indexAt(m_shape, pos, column);
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
    QMap<int, std::pair<int, int>> spans; // parent position -> first and last changed child
    for (quint64 id : std::as_const(m_changedRows)) {
        const int pos = m_shape.posOfId.value(id, -1);
        if (pos < 0)
            continue;
        const int child = m_shape.childPos[pos];
        auto it = spans.find(m_shape.parent[pos]);
        if (it == spans.end())
            spans.insert(m_shape.parent[pos], {child, child});
        else
            *it = {std::min(it->first, child), std::max(it->second, child)};
    }
    m_changedRows.clear();
    const int lastCol = columnCount() - 1;
    for (auto it = spans.cbegin(); it != spans.cend(); ++it) {
        const QModelIndex parent = indexAt(m_shape, it.key(), 0);
        emit dataChanged(index(it->first, 0, parent), index(it->second, lastCol, parent));
    }
}

// --- QAbstractItemModel ----------------------------------------------------------------------

QModelIndex OutlineGridModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column >= columnCount() || row < 0)
        return QModelIndex();
    int parentPos = -1;
    if (parent.isValid()) {
        if (parent.column() != 0)
            return QModelIndex();
        parentPos = posOf(parent);
        if (parentPos < 0)
            return QModelIndex();
    }
    if (row >= m_shape.childCount(parentPos))
        return QModelIndex();
    return indexAt(m_shape, m_shape.child(parentPos, row), column);
}

QModelIndex OutlineGridModel::parent(const QModelIndex& child) const
{
    const int pos = posOf(child);
    if (pos < 0)
        return QModelIndex();
    return indexAt(m_shape, m_shape.parent[pos], 0);
}

int OutlineGridModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return m_shape.childCount(-1);
    if (parent.column() != 0)
        return 0;
    const int pos = posOf(parent);
    return pos < 0 ? 0 : m_shape.childCount(pos);
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
