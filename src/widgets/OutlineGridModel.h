#pragma once

#include <QAbstractItemModel>
#include <QSet>
#include <unordered_map>
#include <vector>

class OutlineGrid;
class OutlineGridImageList;

// The outline grid's flat rows as a Qt tree model, so that views, keyboard navigation and
// accessibility tools see an ordinary tree: a row's children are its children in the outline.
//
// The model keeps its own tree of the rows it presents, by row id. While the grid's redraw is on,
// every change of rows is applied to it at once with the matching remove and insert signals;
// while redraw is off the model goes on presenting the rows as they were (never a half-built
// state) and catches up in one step when redraw comes back on. Only the rows between the first
// and the last change are compared and moved, so opening one row of a large tree costs about as
// much as the rows it adds. Text and picture changes are gathered and reported once control
// returns to the event loop, so that rewriting thousands of row texts costs one repaint.
class OutlineGridModel : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit OutlineGridModel(OutlineGrid& grid, QObject* parent = nullptr);
    ~OutlineGridModel() override;

    OutlineGrid& grid() const { return m_grid; }
    void setImageList(const OutlineGridImageList* images);

    // The grid row an index shows (-1 for an invalid index or a row that is gone), and the index
    // that shows a grid row (invalid when the model does not present that row).
    int gridRow(const QModelIndex& index) const;
    QModelIndex indexForRow(int row, int column = 0) const;
    int gridRowOfId(quint64 id) const; // by the grid's row id; -1 when not presented
    // The indexes (column 0) of count grid rows from first on, in order; for a model in step.
    std::vector<QModelIndex> indexesForRows(int first, int count) const;
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
    // The model has caught up with the grid: grid rows first to first + count - 1 are new to it
    // (every row after a reset).
    void synced(int first, int count);

private:
    // A presented row; id 0 is the invisible top of the tree.
    struct Item {
        quint64 parent = 0;
        int pos = 0; // position among the parent's children
        int level = 0;
        int size = 1; // rows in its subtree, itself included
        std::vector<quint64> children;
    };

    void onRowsInserted(int first, int count);
    void onRowsRemoved(int first, int count);
    void onLevelChanged(int row);
    void onCellChanged(int row, int col);
    void onRedrawChanged(bool on);
    void onColumnsChanged();
    void rowsChanged(int first, int cleanTail);
    void catchUp();
    void rebuild();
    void buildItems(int first, int end, quint64 prefixRow, std::vector<quint64>& tops);
    int eraseSubtree(quint64 id);
    void addToSizes(quint64 id, int delta);

    const Item* find(quint64 id) const;
    Item& at(quint64 id) { return id == 0 ? m_top : m_items.at(id); }
    const Item& at(quint64 id) const { return id == 0 ? m_top : m_items.at(id); }
    quint64 idOf(const QModelIndex& index) const; // 0 when the index is not presented
    quint64 idAtRow(int row) const;
    int rowOfItem(quint64 id) const;
    quint64 nextInOrder(quint64 id) const;
    QModelIndex indexOf(quint64 id, int column) const;
    void scheduleCellFlush();

    OutlineGrid& m_grid;
    const OutlineGridImageList* m_images = nullptr;
    std::unordered_map<quint64, Item> m_items;
    Item m_top;
    // The grid's rows changed since the model was last in step only from m_dirtyFirst on and
    // before its last m_cleanTail rows.
    int m_dirtyFirst = 0;
    int m_cleanTail = 0;
    bool m_inStep = true;
    bool m_syncing = false;
    bool m_changedWhileSyncing = false;
    QSet<quint64> m_changedRows;
    bool m_flushScheduled = false;
};
