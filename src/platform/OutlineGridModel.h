#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QSet>
#include <vector>

class OutlineGrid;
class OutlineGridImageList;

// The outline grid's flat rows as a Qt tree model, so that views, keyboard navigation and
// accessibility tools see an ordinary tree: a row's children are its children in the outline.
//
// The model keeps its own copy of the outline's shape (row ids and levels), which is what it
// presents. While the grid's redraw is on, every change of rows is applied to that copy at once
// with the matching remove and insert signals; while redraw is off the copy stays as it was (the
// model never presents a half-built state) and catches up in one step when redraw comes back on.
// Text and picture changes are gathered and reported once control returns to the event loop, so
// that rewriting thousands of row texts costs one repaint.
class OutlineGridModel : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit OutlineGridModel(OutlineGrid& grid, QObject* parent = nullptr);
    ~OutlineGridModel() override;

    OutlineGrid& grid() const { return m_grid; }
    void setImageList(const OutlineGridImageList* images);

    // The grid row an index shows (-1 for an invalid index or a row that is gone), and the index
    // that shows a grid row (invalid when the model does not present that row yet).
    int gridRow(const QModelIndex& index) const;
    QModelIndex indexForRow(int row, int column = 0) const;
    // True while the model presents exactly the grid's rows.
    bool inStep() const { return m_inStep; }
    // True while the model is applying a change of rows (between its begin and end signals).
    bool isSyncing() const { return m_syncing; }
    // Reports the gathered text and picture changes now instead of from the event loop.
    void flushCellChanges();

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The model has caught up with the grid's rows (after a change of rows or a reset).
    void synced();

private:
    // The presented shape: rows in grid order with their ids and levels, and the tree derived
    // from the levels (a row's parent is the nearest row above with a lower level).
    struct Shape {
        std::vector<quint64> ids;
        std::vector<int> levels;
        std::vector<int> parent;     // position of the parent row, -1 at the top
        std::vector<int> childPos;   // position among the parent's children
        std::vector<int> childBegin; // offsets into childList; entry n is the top level
        std::vector<int> childList;
        QHash<quint64, int> posOfId;

        int size() const { return static_cast<int>(ids.size()); }
        void derive();
        int childCount(int pos) const; // pos -1: the top level
        int child(int pos, int n) const;
    };

    void onShapeChanged();
    void onCellChanged(int row, int col);
    void onRedrawChanged(bool on);
    void onColumnsChanged();
    void catchUp();
    void resetShape();
    QModelIndex indexAt(const Shape& shape, int pos, int column) const;
    int posOf(const QModelIndex& index) const;
    void scheduleCellFlush();

    OutlineGrid& m_grid;
    const OutlineGridImageList* m_images = nullptr;
    Shape m_shape;
    bool m_inStep = true;
    bool m_syncing = false;
    bool m_changedWhileSyncing = false;
    QSet<quint64> m_changedRows;
    bool m_flushScheduled = false;
};
