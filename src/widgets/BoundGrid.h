#pragma once

#include "runtime/TextTable.h"
#include "runtime/Variant.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QTableView>
#include <vector>

// The rows of a query as a read-only table: column 0 is the grid's fixed first column (empty,
// usually hidden), the query's columns follow from column 1, as the program numbers them.
// Columns carry a key by which code finds them wherever the user dragged them.
class BoundGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using Row = std::vector<Variant>;

    using QAbstractTableModel::QAbstractTableModel;

    // Replaces every row; the captions start as the query's column names.
    void bind(TextTable rows);
    void bind(const QStringList& columnNames, const std::vector<Row>& rows);
    // Keeps the columns, drops every row.
    void clearRows();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    void setCaption(int col, const QString& caption);
    void setKey(int col, const QString& key);
    int colIndex(const QString& key) const; // -1 when no column has the key
    // A cell by the program's column number (0 the fixed column, which is always Null).
    Variant cell(int row, int col) const;

private:
    QStringList m_captions; // index 0: the fixed column
    QStringList m_keys;
    TextTable m_rows;
};

// The view: whole rows are selected, nothing is edited, a click on a header sorts, columns may
// be dragged to another place.
class BoundGrid : public QTableView {
    Q_OBJECT
public:
    explicit BoundGrid(QWidget* parent = nullptr);

    BoundGridModel& rows() const { return *m_model; }
    // The data row the user or the code made current, -1 for none (the header row).
    int currentDataRow() const;
    void setCurrentDataRow(int row);
    // The key column's value in the current data row; Null when there is none.
    Variant currentValue(const QString& key) const;

    // Columns, by the program's numbering, that stay hidden through every binding.
    void keepColumnsHidden(const QList<int>& columns);
    // A right click leaves the current row where it was (the popup acts on it).
    void setRightClickKeepsCurrentRow(bool keep) { m_rightClickKeepsCurrentRow = keep; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

signals:
    // The user sorted by a header click; the current row has gone back to the header row.
    void sortedByUser();
    // A mouse button went down over the rows; the position is global.
    void gridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& globalPos);
    // A double click anywhere over the rows, below the last one included.
    void gridDblClick();
    // A double click on a data row.
    void dataRowDoubleClicked(int row);
    // The focus came from another control of the window, not back from another window.
    void gotFocus();

private:
    void hideKeptColumns();

    BoundGridModel* m_model;
    QList<int> m_keptHidden;
    bool m_rightClickKeepsCurrentRow = false;
};
