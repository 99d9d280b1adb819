#pragma once

#include "widgets/OutlineGrid.h"

#include <QAbstractItemModel>
#include <vector>

class OutlineGridImageList;

// The outline grid's rows as a Qt tree model, so that views, keyboard navigation and
// accessibility tools see an ordinary tree: a row's children are its children in the outline.
// It reads the grid's own rows; a grid has at most one model, and outlives it.
//
// Like any large lazily built tree it presents a row's children once the row has been open: a
// closed row that was never opened reports that it has children and hands them out through
// canFetchMore/fetchMore, so building rows below closed rows (as the call-flow tree does when a
// row is opened, all the way down when every row is built) costs the model nothing. Rows added
// under a presented row while the grid's redraw is off are presented together when it comes on,
// each run of neighbours in one insertion; rows removed leave at once. Text, picture and height
// changes are gathered and reported once control returns to the event loop, so that rewriting
// thousands of row texts costs one repaint.
class OutlineGridModel : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit OutlineGridModel(OutlineGrid& grid, QObject* parent = nullptr);
    ~OutlineGridModel() override;

    OutlineGrid& grid() const { return m_grid; }
    void setImageList(const OutlineGridImageList* images);

    // The grid row an index shows (-1 for an invalid index), and the index that shows a grid row
    // (invalid when the model does not present that row).
    int gridRow(const QModelIndex& index) const;
    QModelIndex indexForRow(int row, int column = 0) const;
    // What the grid holds for the row an index shows.
    bool isOpen(const QModelIndex& index) const;
    int rowHeightTwips(const QModelIndex& index) const; // -1: the view's default
    // True while the model reports a change of rows (between its begin and end signals).
    bool isChanging() const { return m_changing > 0; }
    // Reports the gathered text and picture changes now instead of from the event loop.
    void flushCellChanges();

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    friend class OutlineGrid;
    using Row = OutlineGrid::Row;

    // Told by the grid, which calls these around each change of its rows: before rows leave and
    // after rows arrive, so that every signal describes a tree the model can answer for.
    void rowsLinked(Row* parent, int first, int count);
    void rowsUnlinking(Row* parent, int first, int count);
    void rowOpened(Row* row);
    void rowChanged(Row* row);
    void rowDestroyed(Row* row);
    void redrawOn();
    void columnsAboutToChange();
    void columnsChanged();

    static bool presentsChildren(const Row* row) { return row->shown && row->fetched; }
    void present(Row* row);
    void forget(Row* row);
    void fetch(Row* row);
    void showRows(Row* parent, int first, int count);
    void wait(Row* row);
    void stopWaiting(Row* row);
    void flushPending();
    void beginChange() { ++m_changing; }
    void endChange();
    void scheduleCellFlush();

    Row* rowFor(const QModelIndex& index) const;
    const Row* parentFor(const QModelIndex& parent) const;
    static int modelRow(const Row* row);
    static int shownBefore(const Row* parent, int pos);
    static Row* shownChild(const Row* parent, int modelRow);
    QModelIndex indexOf(const Row* row, int column) const;

    OutlineGrid& m_grid;
    const OutlineGridImageList* m_images = nullptr;
    // Rows waiting for redraw to be presented, and presented rows whose text, picture or height
    // changed; each row knows its slot, which is emptied when the row is deleted.
    std::vector<Row*> m_pending;
    std::vector<Row*> m_changed;
    // Rows a reader asked to fetch while a change was being reported: they follow it.
    std::vector<Row*> m_fetchAfterChange;
    int m_changing = 0;
    bool m_flushScheduled = false;
};
