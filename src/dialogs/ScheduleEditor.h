#pragma once

#include "dialogs/ScheduleBits.h"
#include "runtime/Variant.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QWidget>
#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTableView;
class SharedState;

// The quarter hours of a week as a table: column 0 ("Time") labels each quarter hour with its
// start, columns 1 to 7 are check cells, one per weekday. The column titles are the keys by which
// the editor finds a column.
class ScheduleGridModel : public QAbstractTableModel {
public:
    static const QStringList kColumnKeys; // "Time", "Monday", ..., "Sunday"

    explicit ScheduleGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The column of a key, compared without regard to case; -1 when there is none.
    int column(const QString& key) const;
    // Row r (0 to 95) is quarter hour r.
    bool isTicked(int row, int column) const;
    void setTicked(int row, int column, bool ticked);
    void setTimeLabel(int row, const QString& label);
    // Every check cell clear.
    void clearTicks();

private:
    std::array<QString, kQuarterHours> m_labels;
    std::array<std::array<bool, kQuarterHours>, 7> m_ticks{};
};

// "Schedules": one existing schedule of the server as quarter hours by weekday, written back by
// Save. A modeless tool window; it keeps its ticks until Save and writes no change-log line.
class frmSchedules : public QWidget {
    Q_OBJECT
public:
    explicit frmSchedules(SharedState& state, QWidget* parent = nullptr);
    ~frmSchedules() override;

    void cmbSchedules_Click();
    void cmdSave_Click();
    void cmdExit_Click();
    void Form_Resize();

    QComboBox* cmbSchedules;
    QCheckBox* chkObserveHolidays;
    QTableView* gridTimes;
    QPushButton* cmdSave;
    QPushButton* cmdExit;
    ScheduleGridModel* times;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    // Reads the named schedule from the database into the check box and the grid; false when it
    // is not there (the message is shown and both keep what they showed).
    bool loadSchedule(const QString& name);
    void FillDayColumn(const QString& day, const QString& bits);
    void scrollToMorning();

    SharedState& m_state;
    bool m_loaded = false;
    // The schedule whose ticks the grid holds: Save writes the grid to no other one.
    QString m_shownName;
    // Its row as read: holidays flag and the seven days.
    std::vector<Variant> m_shownRow;
    bool m_fullHeightPending = false;
    bool m_resizing = false;
    bool m_morningPending = true;
};
