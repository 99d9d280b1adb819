#include "widgets/OutlineGrid.h"

#include "runtime/RuntimeError.h"
#include "widgets/OutlineGridModel.h"

#include <algorithm>

namespace {
[[noreturn]] void invalidIndex()
{
    throwError(OutlineGrid::InvalidIndex, QStringLiteral("Invalid property array index"));
}

[[noreturn]] void invalidValue()
{
    throwError(OutlineGrid::InvalidPropertyValue, QStringLiteral("Invalid property value"));
}
} // namespace

OutlineGrid::OutlineGrid(QObject* parent)
    : QObject(parent)
{
    // The top stands above every level, so any row can be its child.
    m_top.level = -1;
}

OutlineGrid::~OutlineGrid()
{
    for (Row* r : m_top.children)
        destroy(r);
}

// --- columns ---------------------------------------------------------------------------------

void OutlineGrid::setColumns(const QList<Column>& columns)
{
    if (m_model)
        m_model->columnsAboutToChange();
    m_columns.assign(columns.begin(), columns.end());
    for (Row* r = m_top.children.empty() ? nullptr : m_top.children.front(); r;
         r = r->children.empty() ? afterSubtree(r) : r->children.front())
        r->cells.resize(m_columns.size());
    if (m_currentCol >= colCount())
        m_currentCol = 0;
    if (m_model)
        m_model->columnsChanged();
    emit columnsChanged();
}

int OutlineGrid::colIndex(const QString& key) const
{
    for (int c = 0; c < colCount(); ++c) {
        if (m_columns[c].key.compare(key, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

QString OutlineGrid::colKey(int col) const
{
    return m_columns[checkCol(col)].key;
}

int OutlineGrid::colWidth(int col) const
{
    return m_columns[checkCol(col)].widthTwips;
}

bool OutlineGrid::colHidden(int col) const
{
    return m_columns[checkCol(col)].hidden;
}

void OutlineGrid::setColHidden(int col, bool hidden)
{
    m_columns[checkCol(col)].hidden = hidden;
    emit columnsChanged();
}

// --- the tree of rows ------------------------------------------------------------------------

OutlineGrid::Row* OutlineGrid::makeRow(int level)
{
    Row* r = new Row;
    r->level = level;
    r->cells.resize(m_columns.size());
    return r;
}

// Deletes a row with its subtree; the row is already unlinked.
void OutlineGrid::destroy(Row* row)
{
    std::vector<Row*> stack{row};
    while (!stack.empty()) {
        Row* r = stack.back();
        stack.pop_back();
        for (Row** watched : m_watched) {
            if (*watched == r)
                *watched = nullptr;
        }
        if (m_model && (r->pendingSlot >= 0 || r->changedSlot >= 0))
            m_model->rowDestroyed(r);
        stack.insert(stack.end(), r->children.begin(), r->children.end());
        delete r;
    }
}

void OutlineGrid::renumber(Row* parent, int from)
{
    for (int i = from; i < static_cast<int>(parent->children.size()); ++i)
        parent->children[i]->pos = i;
}

void OutlineGrid::addToSizes(Row* from, int delta)
{
    for (Row* r = from; r; r = r->parent)
        r->size += delta;
}

// Puts rows (each with its subtree) among parent's children at pos.
void OutlineGrid::link(Row* parent, int pos, const std::vector<Row*>& rows)
{
    int added = 0;
    for (Row* r : rows) {
        r->parent = parent;
        added += r->size;
    }
    parent->children.insert(parent->children.begin() + pos, rows.begin(), rows.end());
    renumber(parent, pos);
    addToSizes(parent, added);
}

void OutlineGrid::link(Row* parent, int pos, Row* row)
{
    row->parent = parent;
    parent->children.insert(parent->children.begin() + pos, row);
    renumber(parent, pos);
    addToSizes(parent, row->size);
}

// Takes count of parent's children from first on out of the tree, deleting them or not.
void OutlineGrid::unlink(Row* parent, int first, int count, bool destroyRows)
{
    int removed = 0;
    for (int i = first; i < first + count; ++i) {
        Row* r = parent->children[i];
        removed += r->size;
        r->parent = nullptr;
        if (destroyRows)
            destroy(r);
    }
    parent->children.erase(parent->children.begin() + first, parent->children.begin() + first + count);
    renumber(parent, first);
    addToSizes(parent, -removed);
}

OutlineGrid::Row* OutlineGrid::afterSubtree(Row* row) const
{
    for (Row* r = row; r->parent; r = r->parent) {
        if (r->pos + 1 < static_cast<int>(r->parent->children.size()))
            return r->parent->children[r->pos + 1];
    }
    return nullptr;
}

// Walks from the nearest row found lately (or from the top) by subtree sizes: down into the
// subtree that holds the row, or on past whole subtrees.
OutlineGrid::Row* OutlineGrid::rowAt(int row) const
{
    Row* at = const_cast<Row*>(&m_top);
    int r = -1;
    for (const Found& f : m_found) {
        if (f.row == row)
            return f.at;
        if (f.row < row && f.row > r) {
            at = f.at;
            r = f.row;
        }
    }
    while (r != row) {
        if (row < r + at->size) {
            ++r;
            for (Row* child : at->children) {
                if (row < r + child->size) {
                    at = child;
                    break;
                }
                r += child->size;
            }
        } else {
            r += at->size;
            while (at->pos + 1 >= static_cast<int>(at->parent->children.size()))
                at = at->parent;
            at = at->parent->children[at->pos + 1];
        }
    }
    m_found[m_nextFound++ % m_found.size()] = {row, at};
    return at;
}

int OutlineGrid::rowOf(const Row* row) const
{
    for (const Found& f : m_found) {
        if (f.at == row)
            return f.row;
    }
    int r = -1;
    for (const Row* x = row; x->parent; x = x->parent) {
        r += 1;
        for (int i = 0; i < x->pos; ++i)
            r += x->parent->children[i]->size;
    }
    return r;
}

// Rows first..first+count-1 are new: rows found lately and the current row move down.
void OutlineGrid::rowsInserted(int first, int count)
{
    for (Found& f : m_found) {
        if (f.at && f.row >= first)
            f.row += count;
    }
    if (m_currentRow >= first)
        m_currentRow += count;
}

// Rows first..first+count-1 are gone: the current row follows, or is lost and says so.
void OutlineGrid::rowsRemoved(int first, int count)
{
    m_found.fill(Found());
    const int oldRow = m_currentRow;
    bool lost = false;
    if (m_currentRow >= first + count) {
        m_currentRow -= count;
    } else if (m_currentRow >= first) {
        m_currentRow = -1;
        lost = true;
    }
    if (lost)
        emit afterRowColChange(oldRow, m_currentCol, -1, m_currentCol);
}

// --- rows ------------------------------------------------------------------------------------

bool OutlineGrid::canAddRows(int count) const
{
    return count >= 0 && count <= MaxRows - rowCount();
}

void OutlineGrid::setRowCount(int count)
{
    if (count < 0)
        invalidValue();
    if (count > MaxRows)
        throwError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    const int old = rowCount();
    if (count == old)
        return;
    shapeChanging();
    if (count > old) {
        std::vector<Row*> rows;
        for (int i = old; i < count; ++i)
            rows.push_back(makeRow(0));
        const int pos = static_cast<int>(m_top.children.size());
        link(&m_top, pos, rows);
        rowsInserted(old, count - old);
        if (m_model)
            m_model->rowsLinked(&m_top, pos, count - old);
        return;
    }
    // The last rows are the row at count with its later siblings, and the later siblings of each
    // of its ancestors.
    struct Cut {
        Row* parent;
        int first;
        int count;
    };
    std::vector<Cut> cuts;
    Row* first = rowAt(count);
    for (Row* r = first; r->parent; r = r->parent) {
        const int from = r == first ? r->pos : r->pos + 1;
        const int n = static_cast<int>(r->parent->children.size()) - from;
        if (n > 0)
            cuts.push_back({r->parent, from, n});
    }
    if (m_model) {
        for (const Cut& c : cuts)
            m_model->rowsUnlinking(c.parent, c.first, c.count);
    }
    for (const Cut& c : cuts)
        unlink(c.parent, c.first, c.count, true);
    rowsRemoved(count, old - count);
}

bool OutlineGrid::insertRow(int row, const QString& firstText)
{
    if (row < 0 || row > rowCount())
        invalidIndex();
    if (!canAddRows(1))
        return false;
    Row* before = row < rowCount() ? rowAt(row) : nullptr;
    Row* parent = before ? before->parent : &m_top;
    const int pos = before ? before->pos : static_cast<int>(m_top.children.size());
    Row* r = makeRow(before ? before->level : 0);
    if (!r->cells.empty())
        r->cells[0].text = firstText;
    shapeChanging();
    link(parent, pos, r);
    rowsInserted(row, 1);
    m_found[m_nextFound++ % m_found.size()] = {row, r};
    if (m_model)
        m_model->rowsLinked(parent, pos, 1);
    return true;
}

void OutlineGrid::removeSubtree(int row)
{
    checkRow(row);
    Row* r = rowAt(row);
    Row* parent = r->parent;
    const int pos = r->pos;
    const int count = r->size;
    shapeChanging();
    if (m_model)
        m_model->rowsUnlinking(parent, pos, 1);
    unlink(parent, pos, 1, true);
    rowsRemoved(row, count);
}

void OutlineGrid::checkRow(int row) const
{
    if (row < 0 || row >= rowCount())
        invalidIndex();
}

int OutlineGrid::checkCol(int col) const
{
    if (col < 0 || col >= colCount())
        invalidIndex();
    return col;
}

int OutlineGrid::keyCol(const QString& key) const
{
    const int c = colIndex(key);
    if (c < 0)
        invalidIndex();
    return c;
}

// --- cells -----------------------------------------------------------------------------------

const OutlineGrid::Cell& OutlineGrid::cell(int row, int col) const
{
    checkRow(row);
    checkCol(col);
    return rowAt(row)->cells[col];
}

OutlineGrid::Cell& OutlineGrid::cell(int row, int col)
{
    checkRow(row);
    checkCol(col);
    return rowAt(row)->cells[col];
}

void OutlineGrid::cellChanged(Row* row)
{
    if (m_model)
        m_model->rowChanged(row);
}

QString OutlineGrid::cellText(int row, int col) const
{
    return cell(row, col).text;
}

QString OutlineGrid::cellText(int row, const QString& key) const
{
    return cellText(row, keyCol(key));
}

void OutlineGrid::setCellText(int row, int col, const QString& text)
{
    Cell& c = cell(row, col);
    if (c.text == text)
        return;
    c.text = text;
    cellChanged(rowAt(row));
}

void OutlineGrid::setCellText(int row, const QString& key, const QString& text)
{
    setCellText(row, keyCol(key), text);
}

Variant OutlineGrid::cellData(int row, int col) const
{
    return cell(row, col).data;
}

Variant OutlineGrid::cellData(int row, const QString& key) const
{
    return cellData(row, keyCol(key));
}

// Data is never shown, so a change needs no redraw.
void OutlineGrid::setCellData(int row, int col, const Variant& data)
{
    cell(row, col).data = data;
}

void OutlineGrid::setCellData(int row, const QString& key, const Variant& data)
{
    setCellData(row, keyCol(key), data);
}

QString OutlineGrid::cellPicture(int row, int col) const
{
    return cell(row, col).picture;
}

QString OutlineGrid::cellPicture(int row, const QString& key) const
{
    return cellPicture(row, keyCol(key));
}

void OutlineGrid::setCellPicture(int row, int col, const QString& imageKey)
{
    Cell& c = cell(row, col);
    if (c.picture == imageKey)
        return;
    c.picture = imageKey;
    cellChanged(rowAt(row));
}

void OutlineGrid::setCellPicture(int row, const QString& key, const QString& imageKey)
{
    setCellPicture(row, keyCol(key), imageKey);
}

// --- outline attributes ----------------------------------------------------------------------

bool OutlineGrid::isNode(int row) const
{
    checkRow(row);
    return rowAt(row)->node;
}

void OutlineGrid::setIsNode(int row, bool node)
{
    checkRow(row);
    rowAt(row)->node = node;
}

int OutlineGrid::outlineLevel(int row) const
{
    checkRow(row);
    return rowAt(row)->level;
}

// The rows whose parent a new level can change are the row's subtree and the rows after it that
// lie deeper than the lower of the two levels; together they are whole subtrees. They are taken
// out, the row takes its level, and they are linked again by their levels, below the row just
// above them or one of that row's ancestors. No row changes its number.
void OutlineGrid::setOutlineLevel(int row, int level)
{
    checkRow(row);
    if (level < 0)
        invalidValue();
    Row* moved = rowAt(row);
    if (moved->level == level)
        return;
    const int low = std::min(moved->level, level);
    shapeChanging();

    // Most often a row just inserted takes its level: it alone moves, to the row above it or to
    // one of that row's ancestors, right after that ancestor's child on the way.
    Row* next = afterSubtree(moved);
    if (moved->children.empty() && (!next || next->level <= low)) {
        Row* parent = row > 0 ? rowAt(row - 1) : &m_top;
        Row* onTheWay = nullptr;
        while (parent->parent && parent->level >= level) {
            onTheWay = parent;
            parent = parent->parent;
        }
        const int pos = onTheWay ? onTheWay->pos + 1 : 0;
        if (m_model)
            m_model->rowsUnlinking(moved->parent, moved->pos, 1);
        unlink(moved->parent, moved->pos, 1, false);
        moved->level = level;
        link(parent, pos, moved);
        if (m_model)
            m_model->rowsLinked(parent, pos, 1);
        return;
    }

    struct Run {
        Row* parent;
        int first;
        int count;
    };
    std::vector<Run> cut;
    for (Row* top = moved; top && (top == moved || top->level > low); top = afterSubtree(top)) {
        if (!cut.empty() && cut.back().parent == top->parent)
            ++cut.back().count;
        else
            cut.push_back({top->parent, top->pos, 1});
    }
    std::vector<Row*> region; // in row order
    for (const Run& run : cut) {
        for (int i = run.first; i < run.first + run.count; ++i) {
            std::vector<Row*> stack{run.parent->children[i]};
            while (!stack.empty()) {
                Row* r = stack.back();
                stack.pop_back();
                region.push_back(r);
                stack.insert(stack.end(), r->children.rbegin(), r->children.rend());
            }
        }
    }

    // The rows that can take rows of the region as children: the row above it and its ancestors,
    // each right after its children above the region (none for the row above itself).
    struct Open {
        Row* row;
        int next; // where the next child goes; -1 for a row of the region, which appends
    };
    std::vector<Open> open;
    for (Row* a = row > 0 ? rowAt(row - 1) : &m_top; a; a = a->parent)
        open.push_back({a, 0});
    std::reverse(open.begin(), open.end());
    for (size_t i = 0; i + 1 < open.size(); ++i)
        open[i].next = open[i + 1].row->pos + 1;

    if (m_model) {
        for (const Run& run : cut)
            m_model->rowsUnlinking(run.parent, run.first, run.count);
    }
    for (auto run = cut.rbegin(); run != cut.rend(); ++run)
        unlink(run->parent, run->first, run->count, false);
    for (Row* r : region)
        r->children.clear();
    moved->level = level;

    std::vector<Run> linked;
    for (Row* r : region) {
        while (open.size() > 1 && open.back().row->level >= r->level)
            open.pop_back();
        Open& parent = open.back();
        r->parent = parent.row;
        if (parent.next < 0) {
            r->pos = static_cast<int>(parent.row->children.size());
            parent.row->children.push_back(r);
        } else {
            parent.row->children.insert(parent.row->children.begin() + parent.next, r);
            if (!linked.empty() && linked.back().parent == parent.row)
                ++linked.back().count;
            else
                linked.push_back({parent.row, parent.next, 1});
            ++parent.next;
        }
        open.push_back({r, -1});
    }
    for (auto r = region.rbegin(); r != region.rend(); ++r) {
        (*r)->size = 1;
        for (Row* child : (*r)->children)
            (*r)->size += child->size;
    }
    for (const Run& run : linked) {
        renumber(run.parent, run.first);
        int added = 0;
        for (int i = run.first; i < run.first + run.count; ++i)
            added += run.parent->children[i]->size;
        addToSizes(run.parent, added);
    }
    if (m_model) {
        for (const Run& run : linked)
            m_model->rowsLinked(run.parent, run.first, run.count);
    }
}

int OutlineGrid::rowHeight(int row) const
{
    checkRow(row);
    return rowAt(row)->heightTwips;
}

void OutlineGrid::setRowHeight(int row, int twips)
{
    checkRow(row);
    if (twips < -1)
        invalidValue();
    Row* r = rowAt(row);
    if (r->heightTwips == twips)
        return;
    r->heightTwips = twips;
    cellChanged(r);
}

bool OutlineGrid::isCollapsed(int row) const
{
    checkRow(row);
    return rowAt(row)->collapsed;
}

void OutlineGrid::setCollapsed(int row, bool collapsed)
{
    checkRow(row);
    Row* r = rowAt(row);
    if (r->collapsed == collapsed)
        return;
    const quint64 shape = m_shapeVersion;
    const int state = collapsed ? Collapsed : Expanded;
    bool cancel = false;
    {
        // The handler may build or remove rows (opening a row builds its children), this one too.
        struct Watch {
            OutlineGrid& grid;
            Watch(OutlineGrid& g, Row** slot)
                : grid(g)
            {
                grid.m_watched.push_back(slot);
            }
            ~Watch() { grid.m_watched.pop_back(); }
        } watch(*this, &r);
        emit beforeCollapse(row, state, cancel);
    }
    if (cancel || !r || r->collapsed == collapsed)
        return;
    if (shape != m_shapeVersion)
        row = rowOf(r);
    r->collapsed = collapsed;
    if (!collapsed && m_model)
        m_model->rowOpened(r);
    emit collapsedChanged(row);
    emit afterCollapse(row, state);
}

void OutlineGrid::showOutline(int level)
{
    if (level < 0)
        invalidValue();
    std::vector<Row*> opened;
    for (Row* r = m_top.children.empty() ? nullptr : m_top.children.front(); r;
         r = r->children.empty() ? afterSubtree(r) : r->children.front()) {
        if (!r->node)
            continue;
        const bool collapsed = r->level >= level;
        if (r->collapsed && !collapsed)
            opened.push_back(r);
        r->collapsed = collapsed;
    }
    // Parents first, every state already set: an opened row shows its opened children with it.
    if (m_model) {
        for (Row* r : opened)
            m_model->rowOpened(r);
    }
    emit collapsedChanged(-1);
}

// --- navigation ------------------------------------------------------------------------------

int OutlineGrid::parentRow(int row) const
{
    checkRow(row);
    const Row* r = rowAt(row);
    Row* parent = r->parent;
    if (!parent->parent)
        return -1;
    int p = row - 1;
    for (int i = 0; i < r->pos; ++i)
        p -= parent->children[i]->size;
    // The tree walks up from here, parent after parent.
    m_found[m_nextFound++ % m_found.size()] = {p, parent};
    return p;
}

int OutlineGrid::subtreeEnd(int row) const
{
    checkRow(row);
    return row + rowAt(row)->size;
}

int OutlineGrid::firstChildRow(int row) const
{
    checkRow(row);
    return rowAt(row)->children.empty() ? -1 : row + 1;
}

int OutlineGrid::nextSiblingRow(int row) const
{
    checkRow(row);
    const Row* r = rowAt(row);
    return r->pos + 1 < static_cast<int>(r->parent->children.size()) ? row + r->size : -1;
}

int OutlineGrid::childCount(int row) const
{
    checkRow(row);
    return static_cast<int>(rowAt(row)->children.size());
}

OutlineGrid::Node OutlineGrid::node(int row) const
{
    if (row < 0 || row >= rowCount() || !rowAt(row)->node)
        return Node();
    return Node(this, row);
}

QString OutlineGrid::Node::text() const
{
    return m_grid && m_grid->colCount() > 0 ? m_grid->cellText(m_row, 0) : QString();
}

bool OutlineGrid::Node::isOpen() const
{
    return m_grid && !m_grid->isCollapsed(m_row);
}

int OutlineGrid::Node::level() const
{
    return m_grid ? m_grid->outlineLevel(m_row) : -1;
}

OutlineGrid::Node OutlineGrid::Node::parent() const
{
    return m_grid ? m_grid->node(m_grid->parentRow(m_row)) : Node();
}

OutlineGrid::Node OutlineGrid::Node::firstChild() const
{
    return m_grid ? m_grid->node(m_grid->firstChildRow(m_row)) : Node();
}

OutlineGrid::Node OutlineGrid::Node::nextSibling() const
{
    return m_grid ? m_grid->node(m_grid->nextSiblingRow(m_row)) : Node();
}

int OutlineGrid::Node::childCount() const
{
    return m_grid ? m_grid->childCount(m_row) : 0;
}

// --- current cell, mouse, redraw -------------------------------------------------------------

void OutlineGrid::setRow(int row)
{
    if (row < -1 || row >= rowCount())
        invalidIndex();
    if (row == m_currentRow)
        return;
    const int old = m_currentRow;
    m_currentRow = row;
    emit afterRowColChange(old, m_currentCol, row, m_currentCol);
}

void OutlineGrid::setCol(int col)
{
    checkCol(col);
    if (col == m_currentCol)
        return;
    const int old = m_currentCol;
    m_currentCol = col;
    emit afterRowColChange(m_currentRow, old, m_currentRow, col);
}

void OutlineGrid::setMouseRow(int row)
{
    m_mouseRow = row >= 0 && row < rowCount() ? row : -1;
}

void OutlineGrid::setRedraw(bool on)
{
    if (m_redraw == on)
        return;
    m_redraw = on;
    if (on && m_model)
        m_model->redrawOn();
    emit redrawChanged(on);
}
