#include "widgets/OutlineGridModel.h"

#include "widgets/OutlineGridImageList.h"

#include <QIcon>
#include <algorithm>
#include <stdexcept>

OutlineGridModel::OutlineGridModel(OutlineGrid& grid, QObject* parent)
    : QAbstractItemModel(parent),
      m_grid(grid)
{
    // The presented state lives in the grid's rows, so there is room for one model.
    if (m_grid.m_model)
        throw std::logic_error("an outline grid has one model");
    m_grid.m_model = this;
    Row& top = m_grid.m_top;
    top.shown = true;
    top.fetched = true;
    for (Row* r : top.children)
        present(r);
    top.shownChildren = static_cast<int>(top.children.size());
}

OutlineGridModel::~OutlineGridModel()
{
    Row& top = m_grid.m_top;
    for (Row* r = &top; r; r = !r->children.empty() ? r->children.front() : m_grid.afterSubtree(r)) {
        r->shown = r->fetched = false;
        r->shownChildren = 0;
        r->pendingSlot = r->changedSlot = -1;
    }
    m_grid.m_model = nullptr;
}

void OutlineGridModel::setImageList(const OutlineGridImageList* images)
{
    m_images = images;
    // Every presented row's picture may have changed: one report per parent.
    std::vector<const Row*> parents{&m_grid.m_top};
    while (!parents.empty()) {
        const Row* p = parents.back();
        parents.pop_back();
        if (!presentsChildren(p) || p->shownChildren == 0)
            continue;
        const QModelIndex parent = indexOf(p, 0);
        emit dataChanged(index(0, 0, parent), index(p->shownChildren - 1, 0, parent), {Qt::DecorationRole});
        for (const Row* c : p->children)
            parents.push_back(c);
    }
}

// --- the presented rows ----------------------------------------------------------------------

// A row the model now presents, with its subtree as far as it is open.
void OutlineGridModel::present(Row* row)
{
    auto presentOne = [this](Row* r) {
        stopWaiting(r);
        r->shown = true;
        r->fetched = !r->collapsed;
        r->shownChildren = r->fetched ? static_cast<int>(r->children.size()) : 0;
        return r->fetched && !r->children.empty();
    };
    if (!presentOne(row))
        return;
    std::vector<Row*> stack(row->children.begin(), row->children.end());
    while (!stack.empty()) {
        Row* r = stack.back();
        stack.pop_back();
        if (presentOne(r))
            stack.insert(stack.end(), r->children.begin(), r->children.end());
    }
}

// A row the model no longer presents, with its subtree.
void OutlineGridModel::forget(Row* row)
{
    std::vector<Row*> stack{row};
    while (!stack.empty()) {
        Row* r = stack.back();
        stack.pop_back();
        r->shown = false;
        r->fetched = false;
        r->shownChildren = 0;
        for (Row* c : r->children) {
            if (c->shown)
                stack.push_back(c);
        }
    }
}

void OutlineGridModel::showRows(Row* parent, int first, int count)
{
    // Mostly these are the parent's only rows not yet presented.
    const int unshown = static_cast<int>(parent->children.size()) - parent->shownChildren;
    const int at = unshown == count ? first : shownBefore(parent, first);
    beginChange();
    beginInsertRows(indexOf(parent, 0), at, at + count - 1);
    for (int i = first; i < first + count; ++i)
        present(parent->children[i]);
    parent->shownChildren += count;
    endInsertRows();
    endChange();
}

// A reader that fetches rows while it hears of a change (Qt's model tester does) gets them once
// every reader has heard of it: no change is reported inside another.
void OutlineGridModel::endChange()
{
    if (--m_changing > 0)
        return;
    while (!m_fetchAfterChange.empty()) {
        Row* row = m_fetchAfterChange.back();
        m_fetchAfterChange.pop_back();
        if (row->shown && !row->fetched)
            fetch(row);
    }
}

void OutlineGridModel::wait(Row* row)
{
    if (row->pendingSlot >= 0)
        return;
    row->pendingSlot = static_cast<int>(m_pending.size());
    m_pending.push_back(row);
}

void OutlineGridModel::stopWaiting(Row* row)
{
    if (row->pendingSlot < 0)
        return;
    m_pending[row->pendingSlot] = nullptr;
    row->pendingSlot = -1;
}

void OutlineGridModel::fetch(Row* row)
{
    row->fetched = true;
    row->shownChildren = 0;
    const int count = static_cast<int>(row->children.size());
    if (count == 0)
        return;
    if (m_grid.m_redraw) {
        showRows(row, 0, count);
    } else {
        for (Row* c : row->children)
            wait(c);
    }
}

// Presents the rows that waited for redraw, each run of neighbours under one parent at once.
// Rows whose parent is no longer presented wait no more: they come with their parent's children.
void OutlineGridModel::flushPending()
{
    for (size_t i = 0; i < m_pending.size(); ++i) {
        Row* start = m_pending[i];
        if (!start)
            continue;
        if (start->shown || !presentsChildren(start->parent)) {
            stopWaiting(start);
            continue;
        }
        Row* parent = start->parent;
        auto waits = [parent](int pos) {
            return pos >= 0 && pos < static_cast<int>(parent->children.size()) && parent->children[pos]->pendingSlot >= 0
                   && !parent->children[pos]->shown;
        };
        int first = start->pos;
        int last = start->pos;
        while (waits(first - 1))
            --first;
        while (waits(last + 1))
            ++last;
        showRows(parent, first, last - first + 1);
    }
    m_pending.clear();
}

// --- told by the grid ------------------------------------------------------------------------

void OutlineGridModel::rowsLinked(Row* parent, int first, int count)
{
    if (!parent->shown)
        return;
    if (!parent->fetched) {
        // Only whether the closed row has children shows.
        rowChanged(parent);
        return;
    }
    if (m_grid.m_redraw) {
        showRows(parent, first, count);
    } else {
        for (int i = first; i < first + count; ++i)
            wait(parent->children[i]);
    }
}

// Waiting rows among them stay marked: they are deleted (and forgotten) or linked again, and
// the flush checks where they are.
void OutlineGridModel::rowsUnlinking(Row* parent, int first, int count)
{
    if (!parent->shown)
        return;
    if (!parent->fetched) {
        rowChanged(parent);
        return;
    }
    int shown = 0;
    for (int i = first; i < first + count; ++i)
        shown += parent->children[i]->shown;
    if (shown == 0)
        return;
    const int at = shownBefore(parent, first);
    beginChange();
    beginRemoveRows(indexOf(parent, 0), at, at + shown - 1);
    for (int i = first; i < first + count; ++i) {
        if (parent->children[i]->shown)
            forget(parent->children[i]);
    }
    parent->shownChildren -= shown;
    endRemoveRows();
    endChange();
}

void OutlineGridModel::rowOpened(Row* row)
{
    if (row->shown && !row->fetched)
        fetch(row);
}

void OutlineGridModel::rowChanged(Row* row)
{
    if (!row->shown || row->changedSlot >= 0 || !row->parent)
        return;
    row->changedSlot = static_cast<int>(m_changed.size());
    m_changed.push_back(row);
    scheduleCellFlush();
}

void OutlineGridModel::rowDestroyed(Row* row)
{
    stopWaiting(row);
    if (row->changedSlot >= 0)
        m_changed[row->changedSlot] = nullptr;
}

void OutlineGridModel::redrawOn()
{
    flushPending();
}

void OutlineGridModel::columnsAboutToChange()
{
    beginChange();
    beginResetModel();
}

void OutlineGridModel::columnsChanged()
{
    endResetModel();
    endChange();
}

// --- cell changes ----------------------------------------------------------------------------

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

// A few changed rows are reported one by one, so that a view repaints just them; many are
// reported as one span per parent, so that a view repaints once.
void OutlineGridModel::flushCellChanges()
{
    m_flushScheduled = false;
    // Rows in their parents' order: (parent, row among its presented children).
    std::vector<std::pair<const Row*, int>> rows;
    rows.reserve(m_changed.size());
    for (Row* r : m_changed) {
        if (!r)
            continue;
        r->changedSlot = -1;
        if (r->shown)
            rows.push_back({r->parent, modelRow(r)});
    }
    m_changed.clear();
    const int lastCol = columnCount() - 1;
    if (rows.empty() || lastCol < 0)
        return;
    if (rows.size() <= 16) {
        for (const auto& [parent, row] : rows) {
            const QModelIndex p = indexOf(parent, 0);
            emit dataChanged(index(row, 0, p), index(row, lastCol, p));
        }
        return;
    }
    std::sort(rows.begin(), rows.end());
    for (size_t i = 0; i < rows.size();) {
        size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1].first == rows[i].first)
            ++j;
        const QModelIndex parent = indexOf(rows[i].first, 0);
        emit dataChanged(index(rows[i].second, 0, parent), index(rows[j].second, lastCol, parent));
        i = j + 1;
    }
}

// --- mapping between rows and indexes --------------------------------------------------------

OutlineGridModel::Row* OutlineGridModel::rowFor(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<Row*>(index.internalPointer());
}

// The row whose children an index's children are: the top for the invalid index.
const OutlineGridModel::Row* OutlineGridModel::parentFor(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return &m_grid.m_top;
    return parent.column() == 0 ? rowFor(parent) : nullptr;
}

int OutlineGridModel::shownBefore(const Row* parent, int pos)
{
    if (parent->shownChildren == static_cast<int>(parent->children.size()))
        return pos;
    int n = 0;
    for (int i = 0; i < pos; ++i)
        n += parent->children[i]->shown;
    return n;
}

int OutlineGridModel::modelRow(const Row* row)
{
    return shownBefore(row->parent, row->pos);
}

OutlineGridModel::Row* OutlineGridModel::shownChild(const Row* parent, int modelRow)
{
    if (parent->shownChildren == static_cast<int>(parent->children.size()))
        return parent->children[modelRow];
    for (Row* c : parent->children) {
        if (c->shown && modelRow-- == 0)
            return c;
    }
    return nullptr;
}

QModelIndex OutlineGridModel::indexOf(const Row* row, int column) const
{
    if (!row->parent)
        return QModelIndex();
    return createIndex(modelRow(row), column, row);
}

int OutlineGridModel::gridRow(const QModelIndex& index) const
{
    const Row* r = rowFor(index);
    return r && r->shown ? m_grid.rowOf(r) : -1;
}

QModelIndex OutlineGridModel::indexForRow(int row, int column) const
{
    if (row < 0 || row >= m_grid.rowCount() || column < 0 || column >= columnCount())
        return QModelIndex();
    const Row* r = m_grid.rowAt(row);
    return r->shown ? indexOf(r, column) : QModelIndex();
}

bool OutlineGridModel::isOpen(const QModelIndex& index) const
{
    const Row* r = rowFor(index);
    return r && !r->collapsed;
}

int OutlineGridModel::rowHeightTwips(const QModelIndex& index) const
{
    const Row* r = rowFor(index);
    return r ? r->heightTwips : -1;
}

// --- QAbstractItemModel ----------------------------------------------------------------------

QModelIndex OutlineGridModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= columnCount())
        return QModelIndex();
    const Row* p = parentFor(parent);
    if (!p || !presentsChildren(p) || row >= p->shownChildren)
        return QModelIndex();
    return createIndex(row, column, shownChild(p, row));
}

QModelIndex OutlineGridModel::parent(const QModelIndex& child) const
{
    const Row* r = rowFor(child);
    return r ? indexOf(r->parent, 0) : QModelIndex();
}

int OutlineGridModel::rowCount(const QModelIndex& parent) const
{
    const Row* p = parentFor(parent);
    return p && presentsChildren(p) ? p->shownChildren : 0;
}

int OutlineGridModel::columnCount(const QModelIndex&) const
{
    return m_grid.colCount();
}

bool OutlineGridModel::hasChildren(const QModelIndex& parent) const
{
    const Row* p = parentFor(parent);
    if (!p || columnCount() == 0)
        return false;
    return p->fetched ? p->shownChildren > 0 : !p->children.empty();
}

bool OutlineGridModel::canFetchMore(const QModelIndex& parent) const
{
    const Row* p = parentFor(parent);
    return p && p->shown && !p->fetched && !p->children.empty();
}

void OutlineGridModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    Row* row = const_cast<Row*>(parentFor(parent));
    if (isChanging())
        m_fetchAfterChange.push_back(row);
    else
        fetch(row);
}

QVariant OutlineGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::DecorationRole && role != Qt::AccessibleTextRole)
        return QVariant();
    const Row* r = rowFor(index);
    if (!r || index.column() >= static_cast<int>(r->cells.size()))
        return QVariant();
    const auto& cell = r->cells[index.column()];
    if (role == Qt::DecorationRole) {
        if (cell.picture.isEmpty() || !m_images)
            return QVariant();
        const QIcon icon = m_images->icon(cell.picture);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    return cell.text;
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
