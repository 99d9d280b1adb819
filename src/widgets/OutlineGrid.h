#pragma once

#include "runtime/Variant.h"
#include "widgets/OutlineGridGapBuffer.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <vector>

// The outline grid behind the call-flow tree: a flat list of rows, each with one cell per column,
// an outline level, a node flag, a collapsed state and a height. The outline follows the levels:
// a row's parent is the nearest row above it with a lower level, and a row's subtree is every row
// below it up to the next row whose level is not higher. It holds no widget; OutlineGridModel and
// OutlineGridView show it.
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
    int rowCount() const { return m_rows.size(); }
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

    // The redraw switch. While it is off the view neither paints nor follows the rows; code that
    // changes many rows turns it off, and the tree reads it as the mark that code, not the user,
    // is changing rows.
    bool redraw() const { return m_redraw; }
    void setRedraw(bool on);

    // Turns redraw off for a scope and on again at its end, on every path out.
    class RedrawOff {
    public:
        explicit RedrawOff(OutlineGrid& grid)
            : m_grid(grid)
        {
            m_grid.setRedraw(false);
        }
        ~RedrawOff() { m_grid.setRedraw(true); }
        RedrawOff(const RedrawOff&) = delete;
        RedrawOff& operator=(const RedrawOff&) = delete;

    private:
        OutlineGrid& m_grid;
    };

    // Stable identity of a row for the item model: never reused within a grid.
    quint64 rowId(int row) const;
    int rowOfId(quint64 id) const; // -1 when the row is gone

signals:
    // Events for the tree.
    void beforeCollapse(int row, int state, bool& cancel);
    void afterCollapse(int row, int state);
    void afterRowColChange(int oldRow, int oldCol, int newRow, int newCol);

    // Notifications for the model and the view.
    void columnsChanged();
    void rowsInserted(int first, int count);
    void rowsRemoved(int first, int count);
    void levelChanged(int row);
    void cellChanged(int row, int col); // col -1: the row's height
    void collapsedChanged(int row);     // row -1: any number of rows
    void redrawChanged(bool on);

private:
    struct Cell {
        QString text;
        Variant data;
        QString picture;
    };
    struct Row {
        quint64 id = 0;
        int level = 0;
        int heightTwips = -1;
        bool node = false;
        bool collapsed = false;
        std::vector<Cell> cells;
    };

    Row makeRow(int level);
    void checkRow(int row) const;
    int checkCol(int col) const;
    int keyCol(const QString& key) const;
    const Cell& cell(int row, int col) const;
    Cell& cell(int row, int col);
    void afterRemoval(int first, int count);
    void shapeChanging()
    {
        m_idIndexValid = false;
        ++m_shapeVersion;
        m_mouseRow = -1;
    }

    std::vector<Column> m_columns;
    OutlineGridGapBuffer<Row> m_rows;
    quint64 m_nextId = 1;
    quint64 m_shapeVersion = 0;
    int m_currentRow = -1;
    int m_currentCol = 0;
    int m_mouseRow = -1;
    bool m_redraw = true;
    mutable QHash<quint64, int> m_rowOfId;
    mutable bool m_idIndexValid = false;
};
