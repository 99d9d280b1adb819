#pragma once

#include "runtime/Variant.h"

#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <vector>

class OutlineGridModel;

// The outline grid behind the call-flow tree: a flat list of rows, each with one cell per column,
// an outline level, a node flag, a collapsed state and a height. The outline follows the levels:
// a row's parent is the nearest row above it with a lower level, and a row's subtree is every row
// below it up to the next row whose level is not higher. It holds no widget; OutlineGridModel and
// OutlineGridView show it.
//
// The rows are kept once, as the tree the levels describe: every row knows its parent, its
// children and the size of its subtree, so a row is found by its number, and its parent, children
// and siblings by their numbers, in a few steps per outline level, however long the grid. The
// grid's model reads this tree directly.
//
// Row numbers fit the 16-bit integers the tree keeps them in: the grid never holds more than
// MaxRows rows, and an insert that would pass the limit fails instead of wrapping a number.
//
// Errors are thrown as RuntimeError: InvalidIndex for a row, column or column key that does not
// exist, InvalidPropertyValue for a negative count or level, Overflow for more than MaxRows rows.
class OutlineGrid : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxRows = 32767;
    static constexpr int InvalidIndex = 381;
    static constexpr int InvalidPropertyValue = 380;

    // The state argument of the collapse events: what the row is about to become.
    enum OutlineState { Expanded = 0, Collapsed = 2 };

    struct Column {
        QString key;
        int widthTwips = 960;
        bool hidden = false;
    };

    explicit OutlineGrid(QObject* parent = nullptr);
    ~OutlineGrid() override;
    OutlineGrid(const OutlineGrid&) = delete;
    OutlineGrid& operator=(const OutlineGrid&) = delete;

    // Columns. Keys are matched without regard to letter case, as the tree's callers spell them
    // both ways ("ChildAlias", "Childalias"). Replacing the columns keeps the rows and resizes
    // their cells.
    void setColumns(const QList<Column>& columns);
    int colCount() const { return static_cast<int>(m_columns.size()); }
    int colIndex(const QString& key) const; // -1 when no column has the key
    QString colKey(int col) const;
    int colWidth(int col) const; // twips
    bool colHidden(int col) const;
    void setColHidden(int col, bool hidden);

    // Rows.
    int rowCount() const { return m_top.size - 1; }
    // Shrinking drops the last rows; growing appends empty rows at level 0.
    void setRowCount(int count);
    bool canAddRows(int count) const;
    // Inserts a row at position row (rowCount() appends) whose first cell holds firstText. The
    // new row takes the level of the row it is inserted before (0 at the end), so no other row
    // changes parent; it is no node, open, and of default height. False, and nothing changes,
    // when the grid already holds MaxRows rows.
    bool insertRow(int row, const QString& firstText = QString());
    // Removes the row together with its subtree.
    void removeSubtree(int row);

    // Cells, by column index or by column key. Text is what the cell shows, data a value kept
    // with it and never shown, picture the key of an image in the view's image list.
    QString cellText(int row, int col) const;
    QString cellText(int row, const QString& key) const;
    void setCellText(int row, int col, const QString& text);
    void setCellText(int row, const QString& key, const QString& text);
    Variant cellData(int row, int col) const;
    Variant cellData(int row, const QString& key) const;
    void setCellData(int row, int col, const Variant& data);
    void setCellData(int row, const QString& key, const Variant& data);
    QString cellPicture(int row, int col) const;
    QString cellPicture(int row, const QString& key) const;
    void setCellPicture(int row, int col, const QString& imageKey);
    void setCellPicture(int row, const QString& key, const QString& imageKey);

    // Per-row outline attributes.
    bool isNode(int row) const;
    void setIsNode(int row, bool node);
    int outlineLevel(int row) const;
    // Moves the row in the outline: it, and the rows after it whose parent the new level
    // changes, take their parents as the levels now say.
    void setOutlineLevel(int row, int level);
    int rowHeight(int row) const; // twips; -1 means the view's default height
    void setRowHeight(int row, int twips);
    bool isCollapsed(int row) const;
    // A change of state raises beforeCollapse, which may cancel it, then afterCollapse. The
    // handlers may change rows; the change then applies to the same row wherever it moved.
    void setCollapsed(int row, bool collapsed);
    // Opens every node row above level and collapses every node row at or below it; raises no
    // collapse events.
    void showOutline(int level);

    // Outline navigation by row number; -1 where there is none.
    int parentRow(int row) const;
    int firstChildRow(int row) const;
    int nextSiblingRow(int row) const;
    int childCount(int row) const;
    int subtreeEnd(int row) const; // first row after the row's subtree

    // A node row as an object, the way the tree walks the outline. A relative that is not a node
    // row is an invalid node. It names a row number, so it stays meaningful only until rows are
    // inserted or removed above it.
    class Node {
    public:
        Node() = default;
        bool isValid() const { return m_grid != nullptr; }
        int row() const { return m_row; }
        QString text() const;
        bool isOpen() const;
        int level() const;
        Node parent() const;
        Node firstChild() const;
        Node nextSibling() const;
        int childCount() const;

    private:
        friend class OutlineGrid;
        Node(const OutlineGrid* grid, int row)
            : m_grid(grid),
              m_row(row)
        {
        }
        const OutlineGrid* m_grid = nullptr;
        int m_row = -1;
    };
    // The node of a row; invalid when the row does not exist or is not a node row.
    Node node(int row) const;

    // The current cell (the grid's Row and Col). -1 means no current row. Setting a different
    // row or column raises afterRowColChange. The current row follows its row when rows are
    // inserted or removed above it; when it is removed the grid has no current row and says so
    // with afterRowColChange(old, col, -1, col).
    int row() const { return m_currentRow; }
    void setRow(int row);
    int col() const { return m_currentCol; }
    void setCol(int col);

    // The row under the mouse pointer, kept by the view; -1 when the pointer is over no row.
    int mouseRow() const { return m_mouseRow; }
    void setMouseRow(int row);

    // The redraw switch. While it is off the view does not paint; code that changes many rows
    // turns it off, and the tree reads it as the mark that code, not the user, is changing rows.
    bool redraw() const { return m_redraw; }
    void setRedraw(bool on);

    // Turns redraw off for a scope and back to what it found at its end, on every path out. The
    // guards nest: an operation that builds rows inside another leaves drawing off until the
    // outermost one ends, so the view draws once and the tree's mark holds throughout.
    class RedrawOff {
    public:
        explicit RedrawOff(OutlineGrid& grid)
            : m_grid(grid),
              m_wasOn(grid.redraw())
        {
            m_grid.setRedraw(false);
        }
        ~RedrawOff() { m_grid.setRedraw(m_wasOn); }
        RedrawOff(const RedrawOff&) = delete;
        RedrawOff& operator=(const RedrawOff&) = delete;

    private:
        OutlineGrid& m_grid;
        bool m_wasOn;
    };

signals:
    // Events for the tree.
    void beforeCollapse(int row, int state, bool& cancel);
    void afterCollapse(int row, int state);
    void afterRowColChange(int oldRow, int oldCol, int newRow, int newCol);

    // Notifications for the view. The model is told of every change of rows directly, before
    // these are emitted.
    void columnsChanged();
    void collapsedChanged(int row); // row -1: any number of rows
    void redrawChanged(bool on);

private:
    friend class OutlineGridModel;

    struct Cell {
        QString text;
        Variant data;
        QString picture;
    };
    // One row, and the subtree below it. The grid's top is a row of its own that holds the rows
    // of level 0 (and deeper rows with no parent) as its children and is never counted.
    struct Row {
        Row* parent = nullptr;
        std::vector<Row*> children; // owned
        int pos = 0;                // index among the parent's children
        int size = 1;               // rows in the subtree, this one included
        int level = 0;
        int heightTwips = -1;
        bool node = false;
        bool collapsed = false;
        std::vector<Cell> cells;
        // Kept by the model: whether it presents the row, whether it presents the row's
        // children and how many of them; where the row is in the model's list of rows waiting
        // for redraw to be shown, and in its list of rows whose text, picture or height waits to
        // be reported (-1: in none).
        bool shown = false;
        bool fetched = false;
        int shownChildren = 0;
        int pendingSlot = -1;
        int changedSlot = -1;
    };
    // Rows found lately by number: the tree reads and writes the same few rows many times.
    struct Found {
        int row = -1;
        Row* at = nullptr;
    };

    Row* makeRow(int level);
    void destroy(Row* row);
    void checkRow(int row) const;
    int checkCol(int col) const;
    int keyCol(const QString& key) const;
    Row* rowAt(int row) const; // row must exist
    int rowOf(const Row* row) const;
    const Cell& cell(int row, int col) const;
    Cell& cell(int row, int col);
    void cellChanged(Row* row);

    // Structure. Every change of rows goes through these, which keep sizes, the found rows, the
    // current row and the model in step.
    void link(Row* parent, int pos, const std::vector<Row*>& rows);
    void link(Row* parent, int pos, Row* row);
    void unlink(Row* parent, int first, int count, bool destroyRows);
    void addToSizes(Row* from, int delta);
    void renumber(Row* parent, int from);
    Row* afterSubtree(Row* row) const; // the row after row's subtree, nullptr at the end
    void rowsInserted(int first, int count);
    void rowsRemoved(int first, int count);
    void shapeChanging()
    {
        ++m_shapeVersion;
        m_mouseRow = -1;
    }

    std::vector<Column> m_columns;
    Row m_top;
    mutable std::array<Found, 4> m_found;
    mutable unsigned m_nextFound = 0;
    // Rows that a collapse handler must not lose sight of: a removed row is cleared here.
    std::vector<Row**> m_watched;
    OutlineGridModel* m_model = nullptr;
    quint64 m_shapeVersion = 0;
    int m_currentRow = -1;
    int m_currentCol = 0;
    int m_mouseRow = -1;
    bool m_redraw = true;
};
