#include "widgets/OutlineGrid.h"

#include "runtime/RuntimeError.h"

#include <climits>

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
}

OutlineGrid::~OutlineGrid() = default;

// --- columns ---------------------------------------------------------------------------------

void OutlineGrid::setColumns(const QList<Column>& columns)
{
    m_columns.assign(columns.begin(), columns.end());
    for (int r = 0; r < rowCount(); ++r)
        m_rows[r].cells.resize(m_columns.size());
    if (m_currentCol >= colCount())
        m_currentCol = 0;
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

// --- rows ------------------------------------------------------------------------------------

OutlineGrid::Row OutlineGrid::makeRow(int level)
{
    Row r;
    r.id = m_nextId++;
    r.level = level;
    r.cells.resize(m_columns.size());
    return r;
}

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
    if (count > old) {
        shapeChanging();
        for (int i = old; i < count; ++i)
            m_rows.insert(i, makeRow(0));
        emit rowsInserted(old, count - old);
        return;
    }
    shapeChanging();
    m_rows.erase(count, old);
    afterRemoval(count, old - count);
}

bool OutlineGrid::insertRow(int row, const QString& firstText)
{
    if (row < 0 || row > rowCount())
        invalidIndex();
    if (!canAddRows(1))
        return false;
    Row r = makeRow(row < rowCount() ? m_rows[row].level : 0);
    if (!r.cells.empty())
        r.cells[0].text = firstText;
    shapeChanging();
    m_rows.insert(row, std::move(r));
    if (m_currentRow >= row)
        ++m_currentRow;
    emit rowsInserted(row, 1);
    return true;
}

void OutlineGrid::removeSubtree(int row)
{
    checkRow(row);
    const int end = subtreeEnd(row);
    shapeChanging();
    m_rows.erase(row, end);
    afterRemoval(row, end - row);
}

// Rows first..first+count-1 are already gone: tell the model, then move the current row.
void OutlineGrid::afterRemoval(int first, int count)
{
    const int oldRow = m_currentRow;
    bool lost = false;
    if (m_currentRow >= first + count)
        m_currentRow -= count;
    else if (m_currentRow >= first) {
        m_currentRow = -1;
        lost = true;
    }
    emit rowsRemoved(first, count);
    if (lost)
        emit afterRowColChange(oldRow, m_currentCol, -1, m_currentCol);
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

quint64 OutlineGrid::rowId(int row) const
{
    checkRow(row);
    return m_rows[row].id;
}

int OutlineGrid::rowOfId(quint64 id) const
{
    if (!m_idIndexValid) {
        m_rowOfId.clear();
        m_rowOfId.reserve(rowCount());
        for (int r = 0; r < rowCount(); ++r)
            m_rowOfId.insert(m_rows[r].id, r);
        m_idIndexValid = true;
    }
    return m_rowOfId.value(id, -1);
}

// --- cells -----------------------------------------------------------------------------------

const OutlineGrid::Cell& OutlineGrid::cell(int row, int col) const
{
    checkRow(row);
    return m_rows[row].cells[checkCol(col)];
}

OutlineGrid::Cell& OutlineGrid::cell(int row, int col)
{
    checkRow(row);
    return m_rows[row].cells[checkCol(col)];
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
    emit cellChanged(row, col);
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
    emit cellChanged(row, col);
}

void OutlineGrid::setCellPicture(int row, const QString& key, const QString& imageKey)
{
    setCellPicture(row, keyCol(key), imageKey);
}

// --- outline attributes ----------------------------------------------------------------------

bool OutlineGrid::isNode(int row) const
{
    checkRow(row);
    return m_rows[row].node;
}

void OutlineGrid::setIsNode(int row, bool node)
{
    checkRow(row);
    m_rows[row].node = node;
}

int OutlineGrid::outlineLevel(int row) const
{
    checkRow(row);
    return m_rows[row].level;
}

void OutlineGrid::setOutlineLevel(int row, int level)
{
    checkRow(row);
    if (level < 0)
        invalidValue();
    if (m_rows[row].level == level)
        return;
    shapeChanging();
    m_rows[row].level = level;
    emit levelChanged(row);
}

int OutlineGrid::rowHeight(int row) const
{
    checkRow(row);
    return m_rows[row].heightTwips;
}

void OutlineGrid::setRowHeight(int row, int twips)
{
    checkRow(row);
    if (twips < -1)
        invalidValue();
    if (m_rows[row].heightTwips == twips)
        return;
    m_rows[row].heightTwips = twips;
    emit cellChanged(row, -1);
}

bool OutlineGrid::isCollapsed(int row) const
{
    checkRow(row);
    return m_rows[row].collapsed;
}

void OutlineGrid::setCollapsed(int row, bool collapsed)
{
    checkRow(row);
    if (m_rows[row].collapsed == collapsed)
        return;
    const quint64 id = m_rows[row].id;
    const quint64 shape = m_shapeVersion;
    const int state = collapsed ? Collapsed : Expanded;
    bool cancel = false;
    emit beforeCollapse(row, state, cancel);
    if (cancel)
        return;
    // The handler may have built or removed rows (opening a row builds its children).
    if (shape != m_shapeVersion)
        row = rowOfId(id);
    if (row < 0 || m_rows[row].collapsed == collapsed)
        return;
    m_rows[row].collapsed = collapsed;
    emit collapsedChanged(row);
    emit afterCollapse(row, state);
}

void OutlineGrid::showOutline(int level)
{
    if (level < 0)
        invalidValue();
    for (int i = 0; i < rowCount(); ++i) {
        Row& r = m_rows[i];
        if (r.node)
            r.collapsed = r.level >= level;
    }
    emit collapsedChanged(-1);
}

// --- navigation ------------------------------------------------------------------------------

int OutlineGrid::parentRow(int row) const
{
    checkRow(row);
    const int level = m_rows[row].level;
    for (int r = row - 1; r >= 0; --r) {
        if (m_rows[r].level < level)
            return r;
    }
    return -1;
}

int OutlineGrid::subtreeEnd(int row) const
{
    checkRow(row);
    const int level = m_rows[row].level;
    int r = row + 1;
    while (r < rowCount() && m_rows[r].level > level)
        ++r;
    return r;
}

int OutlineGrid::firstChildRow(int row) const
{
    checkRow(row);
    return row + 1 < rowCount() && m_rows[row + 1].level > m_rows[row].level ? row + 1 : -1;
}

// Siblings share the parent even where the levels skip: the row after the subtree is a sibling
// when the parent's level is below its own.
int OutlineGrid::nextSiblingRow(int row) const
{
    const int next = subtreeEnd(row);
    if (next >= rowCount())
        return -1;
    const int parent = parentRow(row);
    if (parent >= 0 && m_rows[parent].level >= m_rows[next].level)
        return -1;
    return next;
}

int OutlineGrid::childCount(int row) const
{
    const int end = subtreeEnd(row);
    int count = 0;
    int lowest = INT_MAX; // lowest level seen so far in the subtree
    for (int r = row + 1; r < end; ++r) {
        if (m_rows[r].level <= lowest) {
            ++count;
            lowest = m_rows[r].level;
        }
    }
    return count;
}

OutlineGrid::Node OutlineGrid::node(int row) const
{
    if (row < 0 || row >= rowCount() || !m_rows[row].node)
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
    emit redrawChanged(on);
}
