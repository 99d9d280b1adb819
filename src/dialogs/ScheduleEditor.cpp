#include "dialogs/ScheduleEditor.h"

#include "data/SharedState.h"
#include "db/Query.h"
#include "db/Recordset.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "widgets/Named.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTableView>
#include <QWindowStateChangeEvent>
#include <optional>

namespace {

const QString kNotFound = QStringLiteral("Error! Could not load selected schedule!  Please contact QSD for help.");
// What the editor shows of a schedule; what Save replaces must still be what this read.
const QString kShownColumns = QStringLiteral("Select IgnoreHolidays, Monday, Tuesday, Wednesday, Thursday, Friday, Saturday, "
                                             "Sunday from Schedule where DisplayName = ?1");
const QString kForm = QStringLiteral("frmSchedules");

// The window's fixed width and smallest height, and the rule's margins, as outer sizes.
constexpr double kWidth = 9720;
constexpr double kMinimumHeight = 4000;
constexpr double kBelowScreen = 400;
constexpr double kGridMargin = 510;
constexpr double kButtonsMargin = 870;
// Borders and caption an undecorated window is taken to have (offscreen, no window manager).
constexpr double kFrameWidth = 120;
constexpr double kFrameHeight = 465;
constexpr int kMorningRow = 28; // 07:00

StepErrors errorsIn(const char* procedure)
{
    return StepErrors::shownAs(inProcedure(QString::fromLatin1(procedure), QStringLiteral("Form"), kForm));
}

[[noreturn]] void noCurrentRecord()
{
    throwError(ErrorNumber::NoCurrentRecord, QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                                            "Requested operation requires a current record."));
}

double outerWidthTwips(const QWidget* w)
{
    return Twips::outerWidth(w, kFrameWidth);
}

double outerHeightTwips(const QWidget* w)
{
    return Twips::outerHeight(w, kFrameHeight);
}

} // namespace

const QStringList ScheduleGridModel::kColumnKeys = {
    QStringLiteral("Time"),     QStringLiteral("Monday"), QStringLiteral("Tuesday"),  QStringLiteral("Wednesday"),
    QStringLiteral("Thursday"), QStringLiteral("Friday"), QStringLiteral("Saturday"), QStringLiteral("Sunday")};

ScheduleGridModel::ScheduleGridModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

int ScheduleGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kQuarterHours;
}

int ScheduleGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(kColumnKeys.size());
}

QVariant ScheduleGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int r = index.row(), c = index.column();
    if (c == 0)
        return role == Qt::DisplayRole || role == Qt::AccessibleTextRole ? QVariant(m_labels[size_t(r)]) : QVariant();
    switch (role) {
    case Qt::CheckStateRole:
        return isTicked(r, c) ? Qt::Checked : Qt::Unchecked;
    case Qt::AccessibleTextRole:
        // A check cell has no text of its own: a screen reader says which quarter hour it is.
        return kColumnKeys[c] + QLatin1Char(' ') + m_labels[size_t(r)];
    default:
        return {};
    }
}

bool ScheduleGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() == 0 || role != Qt::CheckStateRole)
        return false;
    setTicked(index.row(), index.column(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags ScheduleGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == 0)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

QVariant ScheduleGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumnKeys.size())
        return kColumnKeys[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

int ScheduleGridModel::column(const QString& key) const
{
    for (int c = 0; c < kColumnKeys.size(); ++c)
        if (kColumnKeys[c].compare(key, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

bool ScheduleGridModel::isTicked(int row, int column) const
{
    return m_ticks.at(size_t(column - 1)).at(size_t(row));
}

void ScheduleGridModel::setTicked(int row, int column, bool ticked)
{
    bool& cell = m_ticks.at(size_t(column - 1)).at(size_t(row));
    if (cell == ticked)
        return;
    cell = ticked;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at, {Qt::CheckStateRole});
}

void ScheduleGridModel::setTimeLabel(int row, const QString& label)
{
    m_labels.at(size_t(row)) = label;
    const QModelIndex at = index(row, 0);
    emit dataChanged(at, at, {Qt::DisplayRole});
}

void ScheduleGridModel::clearTicks()
{
    for (auto& day : m_ticks)
        day.fill(false);
    emit dataChanged(index(0, 1), index(kQuarterHours - 1, columnCount() - 1), {Qt::CheckStateRole});
}

frmSchedules::frmSchedules(SharedState& state, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_state(state)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("Schedules"));
    // The window is measured for an 8-point face, as the main window is: a larger one would not
    // fit the weekdays over their columns.
    QFont face = font();
    face.setPointSize(8);
    setFont(face);

    times = new ScheduleGridModel(this);
    gridTimes = named(new QTableView(this), "gridTimes");
    gridTimes->setModel(times);
    gridTimes->verticalHeader()->hide();
    gridTimes->setSelectionMode(QAbstractItemView::SingleSelection);
    gridTimes->setAccessibleName(QStringLiteral("Quarter hours of the week"));
    // The week fits the grid's width; a row is one line of text high.
    gridTimes->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    gridTimes->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    gridTimes->verticalHeader()->setDefaultSectionSize(gridTimes->fontMetrics().height() + 6);
    cmbSchedules = named(new QComboBox(this), "cmbSchedules");
    cmbSchedules->setEditable(false);
    cmbSchedules->setAccessibleName(QStringLiteral("Schedule"));
    chkObserveHolidays = named(new QCheckBox(QStringLiteral("Observe &Holidays"), this), "chkObserveHolidays");
    cmdSave = named(new QPushButton(QStringLiteral("&Save"), this), "cmdSave");
    cmdExit = named(new QPushButton(QStringLiteral("E&xit"), this), "cmdExit");
    for (QPushButton* b : {cmdSave, cmdExit})
        b->setAutoDefault(false);
    setTabOrder(cmbSchedules, chkObserveHolidays);
    setTabOrder(chkObserveHolidays, gridTimes);
    setTabOrder(gridTimes, cmdSave);
    setTabOrder(cmdSave, cmdExit);

    Twips::place(gridTimes, 0, 0, 7425, 5000);
    Twips::place(cmbSchedules, 7530, 120, 1980, 315);
    Twips::place(chkObserveHolidays, 7530, 600, 1980, 255);
    resize(Twips::toPixelsX(kWidth - kFrameWidth, this), Twips::toPixelsY(7200 - kFrameHeight, this));

    UserPrompts& prompts = state.prompts;
    connectGuarded(prompts, cmbSchedules, &QComboBox::currentIndexChanged, this, [this] { cmbSchedules_Click(); });
    connectGuarded(prompts, cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connectGuarded(prompts, cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    Form_Load();
    Form_Resize();
}

frmSchedules::~frmSchedules() = default;

void frmSchedules::Form_Load()
{
    UserPrompts& prompts = m_state.prompts;
    const StepErrors errors = errorsIn("Form_Load");
    auto step = [&](auto&& body) { return runStep(prompts, errors, body); };

    // The names only: every schedule is read anew when it is shown, so the list never goes stale.
    QStringList names;
    step([&] {
        const QueryResult rows =
            runQuery(m_state.connections.open(m_state.ConnectionString)->db(), QStringLiteral("Select * from Schedule"));
        const int name = int(rows.columns.indexOf(QStringLiteral("DisplayName")));
        for (const auto& row : rows.rows)
            names << row.at(size_t(name)).toText();
    });
    step([&] {
        int hours = 0, minutes = 0;
        for (int r = 0; r < kQuarterHours; ++r) {
            times->setTimeLabel(r,
                                QStringLiteral("%1:%2").arg(hours, 2, 10, QLatin1Char('0')).arg(minutes, 2, 10, QLatin1Char('0')));
            minutes += 15;
            if (minutes == 60) {
                hours += 1;
                minutes = 0;
            }
        }
    });
    step([&] {
        cmbSchedules->clear();
        cmbSchedules->addItems(names);
        if (names.isEmpty())
            noCurrentRecord();
        cmbSchedules->setCurrentIndex(0);
    });
    if (!names.isEmpty())
        step([&] { loadSchedule(names.first()); });
    else
        step([&] { noCurrentRecord(); });
    m_loaded = true;
}

bool frmSchedules::loadSchedule(const QString& name)
{
    const QueryResult rows = runQuery(m_state.connections.open(m_state.ConnectionString)->db(), kShownColumns, {name});
    if (rows.rows.empty()) {
        m_state.prompts.msgBox(kNotFound, Buttons::OKOnly);
        return false;
    }
    const std::vector<Variant>& row = rows.rows.front();
    // Nothing of the schedule shown before may stay behind to be saved into this one.
    m_shownName.clear();
    m_shownRow.clear();
    times->clearTicks();
    const Variant ignore = row.at(0);
    chkObserveHolidays->setChecked(!ignore.isNull() && ignore.isNumeric() && ignore.toInt32() == 0);
    for (int d = 1; d <= 7; ++d) {
        const Variant stored = row.at(size_t(d));
        FillDayColumn(ScheduleGridModel::kColumnKeys[d], dayBitsFromStored(stored.isNull() ? QByteArray() : stored.toBytes()));
    }
    m_shownName = name;
    m_shownRow = row;
    return true;
}

void frmSchedules::FillDayColumn(const QString& day, const QString& bits)
{
    const int c = times->column(day);
    for (int i = 0; i < bits.size() && i < kQuarterHours; ++i)
        times->setTicked(i, c, bits.at(i) == QLatin1Char('1'));
}

void frmSchedules::cmbSchedules_Click()
{
    if (!m_loaded)
        return;
    runStep(m_state.prompts, errorsIn("cmbSchedules_Click"), [&] { loadSchedule(cmbSchedules->currentText()); });
}

void frmSchedules::cmdSave_Click()
{
    UserPrompts& prompts = m_state.prompts;
    const QString name = cmbSchedules->currentText();
    // A grid that does not hold the named schedule (its load failed) is never written into it.
    if (name.isEmpty() || name != m_shownName) {
        prompts.msgBox(kNotFound, Buttons::OKOnly);
        return;
    }
    std::vector<Variant> values;
    for (int d = 1; d <= 7; ++d) {
        const int c = times->column(ScheduleGridModel::kColumnKeys[d]);
        QString bits;
        bits.reserve(kQuarterHours);
        for (int r = 0; r < kQuarterHours; ++r)
            bits += times->isTicked(r, c) ? QLatin1Char('1') : QLatin1Char('0');
        values.emplace_back(dayBytesFromBits(prompts, bits));
    }
    values.emplace_back(chkObserveHolidays->isChecked() ? 0 : 1);
    values.emplace_back(name);

    bool found = false;
    bool changedMeanwhile = false;
    // The seven days and the holiday flag land together or not at all, and only over the
    // schedule as it was shown: another program's change since is not overwritten.
    const bool saved = runStep(prompts, errorsIn("cmdSave_Click"), [&] {
        auto connection = m_state.connections.open(m_state.ConnectionString);
        ScopedTransaction transaction(*connection);
        const QueryResult stored = runQuery(connection->db(), kShownColumns, {name});
        found = stored.rows.size() == 1;
        if (!found)
            return;
        if (stored.rows.front() != m_shownRow) {
            changedMeanwhile = true;
            rowCannotBeLocated();
        }
        connection->db().execute(QStringLiteral("UPDATE Schedule SET Monday = ?1, Tuesday = ?2, Wednesday = ?3, "
                                                "Thursday = ?4, Friday = ?5, Saturday = ?6, Sunday = ?7, "
                                                "IgnoreHolidays = ?8 WHERE DisplayName = ?9"),
                                 values);
        transaction.commit();
    });
    if (changedMeanwhile) {
        // The grid shows the schedule as it now is; the ticks made here are gone.
        runStep(prompts, errorsIn("cmdSave_Click"), [&] { loadSchedule(name); });
        return;
    }
    if (!saved)
        return;
    if (!found) {
        prompts.msgBox(kNotFound, Buttons::OKOnly);
        return;
    }
    // What is shown is what the database now holds.
    runStep(prompts, errorsIn("cmdSave_Click"), [&] { loadSchedule(name); });
}

void frmSchedules::cmdExit_Click()
{
    close();
}

void frmSchedules::scrollToMorning()
{
    gridTimes->scrollTo(times->index(kMorningRow, 0), QAbstractItemView::PositionAtTop);
}

void frmSchedules::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Only a laid-out view can scroll; the load's scroll happens when the window first appears.
    if (m_morningPending) {
        m_morningPending = false;
        guarded(m_state.prompts, [this] { scrollToMorning(); });
    }
}

void frmSchedules::Form_Resize()
{
    if (m_resizing)
        return;
    m_resizing = true;
    const auto done = qScopeGuard([this] { m_resizing = false; });
    const QRect screen = this->screen() ? this->screen()->geometry() : QRect();
    if (m_fullHeightPending) {
        m_fullHeightPending = false;
        const double target = Twips::fromPixelsY(screen.height(), this) - kBelowScreen;
        resize(width(), height() + Twips::toPixelsY(target - outerHeightTwips(this), this));
        move(x(), screen.top());
    }
    if (isMinimized())
        return;
    if (isMaximized()) {
        m_fullHeightPending = true;
        showNormal();
        m_resizing = false;
        Form_Resize();
        return;
    }
    const double outerWidth = outerWidthTwips(this);
    double outerHeight = outerHeightTwips(this);
    const int dw = Twips::toPixelsX(kWidth - outerWidth, this);
    const int dh = outerHeight < kMinimumHeight ? Twips::toPixelsY(kMinimumHeight - outerHeight, this) : 0;
    if (dw != 0 || dh != 0) {
        resize(width() + dw, height() + dh);
        outerHeight = std::max(outerHeight, kMinimumHeight);
    }
    const QRect g = gridTimes->geometry();
    Twips::place(gridTimes, Twips::fromPixelsX(g.x(), this), Twips::fromPixelsY(g.y(), this), Twips::fromPixelsX(g.width(), this),
                 outerHeight - kGridMargin);
    Twips::place(cmdSave, 7530, outerHeight - kButtonsMargin, 945, 375);
    Twips::place(cmdExit, 8565, outerHeight - kButtonsMargin, 945, 375);
}

void frmSchedules::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    guarded(m_state.prompts, [this] { Form_Resize(); });
}

void frmSchedules::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        guarded(m_state.prompts, [this] { Form_Resize(); });
}
