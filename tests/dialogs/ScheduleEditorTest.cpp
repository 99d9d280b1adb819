#include "dialogs/ScheduleEditor.h"

#include "dialogs/Dialogs.h"
#include "dialogs/ScheduleBits.h"
#include "fakes/ScriptedDialogs.h"
#include "fixtures/MainWindowFixture.h"
#include "widgets/Twips.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kNotFound = QStringLiteral("Error! Could not load selected schedule!  Please contact QSD for help.");

TEST(ScheduleBitsTest, PowersBitTextsAndTheirEdges)
{
    EXPECT_EQ(Power2(0), 1);
    EXPECT_EQ(Power2(30), 1073741824);
    EXPECT_EQ(Power2(31), -2147483647 - 1);
    for (int bad : {-1, 32}) {
        try {
            Power2(bad);
            ADD_FAILURE() << bad;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 9);
            EXPECT_EQ(e.description(), "Subscript out of range");
        }
    }

    EXPECT_EQ(DecToBin(5), QString(29, '0') + "101");
    EXPECT_EQ(DecToBin(0), QString(32, '0'));
    EXPECT_EQ(DecToBin(-1), QString(32, '1'));
    EXPECT_EQ(DecToBin(-2147483647 - 1), "1" + QString(31, '0'));
    EXPECT_EQ(DecToBin(255).right(8), "11111111");

    ScriptedPrompts prompts;
    struct Case {
        QString text;
        qint32 value;
    };
    const std::vector<Case> cases = {
        {"", 0},
        {"101", 5},
        {"11111111", 255},
        {"00000001", 1},
        {"1" + QString(31, '0'), -2147483647 - 1},
        {QString(32, '1'), -1},
        {"0" + QString(31, '1'), 2147483647},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BinToDec(prompts, c.text), c.value) << c.text.toStdString();
        EXPECT_EQ(DecToBin(c.value).right(qMax<int>(c.text.size(), 1)), c.text.isEmpty() ? "0" : c.text);
    }
    EXPECT_EQ(prompts.messages, QStringList());

    // One message per stray character; the rest still counts.
    EXPECT_EQ(BinToDec(prompts, "1a0"), 4);
    EXPECT_EQ(BinToDec(prompts, "2 "), 0);
    EXPECT_EQ(prompts.messages, QStringList({"Error! Invalid string passed to BinToDec function:1a0",
                                             "Error! Invalid string passed to BinToDec function:2 ",
                                             "Error! Invalid string passed to BinToDec function:2 "}));
    try {
        BinToDec(prompts, "1" + QString(32, '0'));
        ADD_FAILURE();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 9);
    }
    EXPECT_EQ(BinToDec(prompts, QString(40, '0')), 0);

    // Stored days of other lengths read as padded or cut; Null as all clear.
    EXPECT_EQ(dayBitsFromStored(QByteArray()), QString(96, '0'));
    EXPECT_EQ(dayBitsFromStored(QByteArray::fromHex("ff")), QString(8, '1') + QString(88, '0'));
    EXPECT_EQ(dayBitsFromStored(QByteArray::fromHex("000000000000000000000001ffff")), QString(95, '0') + "1");
}

class ScheduleEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        f.site.exec("INSERT INTO Schedule (ScheduleObjectID, DisplayName, IgnoreHolidays, Monday, Tuesday) "
                    "VALUES ('{S-QUOTE}', 'O''Brien''s Hours', NULL, x'800000000000000000000001', x'ffffff')");
        f.site.exec("INSERT INTO Schedule (ScheduleObjectID, DisplayName, IgnoreHolidays, Monday, Sunday) "
                    "VALUES ('{S-LONG}', 'Long Days', 1, x'ffffffffffffffffffffffff0f0f', x'')");
        ASSERT_TRUE(f.load());
        f.prompts.messages.clear();
    }

    QString hexOf(const QString& name, const QString& day) const
    {
        return f.site.scalar("SELECT hex(" + day + ") FROM Schedule WHERE DisplayName = ?1", {name}).textOrEmpty();
    }
    // The ticked quarter hours of one day, as their labels.
    static QStringList ticked(const frmSchedules& w, const QString& day)
    {
        QStringList labels;
        const int c = w.times->column(day);
        for (int r = 0; r < kQuarterHours; ++r)
            if (w.times->isTicked(r, c))
                labels << w.times->index(r, 0).data().toString();
        return labels;
    }
    // Every schedule row but the named one.
    QString otherRows(const QString& name) const
    {
        QStringList lines = f.site.tableText("Schedule").split('\n');
        lines.removeIf([&](const QString& line) { return line.contains(name); });
        return lines.join('\n');
    }
    static void choose(frmSchedules& w, const QString& name)
    {
        const int i = w.cmbSchedules->findText(name);
        ASSERT_GE(i, 0) << name.toStdString();
        w.cmbSchedules->setCurrentIndex(i);
    }
    static void setDay(frmSchedules& w, const QString& day, int first, int last)
    {
        const int c = w.times->column(day);
        for (int r = 0; r < kQuarterHours; ++r)
            w.times->setData(w.times->index(r, c), r >= first && r <= last ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    }

    MainWindowFixture f;
};

TEST_F(ScheduleEditorTest, OpensOnTheFirstScheduleScrolledToSevenInTheMorning)
{
    frmSchedules w(*f.state);
    EXPECT_EQ(w.windowTitle(), "Schedules");
    EXPECT_EQ(w.cmbSchedules->count(), 5);
    EXPECT_EQ(w.cmbSchedules->itemText(0), "Weekdays");
    EXPECT_EQ(w.cmbSchedules->itemText(3), "O'Brien's Hours");
    EXPECT_TRUE(w.chkObserveHolidays->isChecked());
    EXPECT_EQ(w.times->rowCount(), 96);
    EXPECT_EQ(w.times->columnCount(), 8);
    const QStringList titles = {"Time", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    for (int c = 0; c < titles.size(); ++c) {
        EXPECT_EQ(w.times->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
        EXPECT_EQ(w.times->column(titles[c].toUpper()), c);
    }
    EXPECT_EQ(w.times->index(0, 0).data().toString(), "00:00");
    EXPECT_EQ(w.times->index(1, 0).data().toString(), "00:15");
    EXPECT_EQ(w.times->index(28, 0).data().toString(), "07:00");
    EXPECT_EQ(w.times->index(95, 0).data().toString(), "23:45");
    // Weekdays: 08:00 to 16:45 Monday to Friday.
    const QStringList monday = ticked(w, "Monday");
    ASSERT_EQ(monday.size(), 36);
    EXPECT_EQ(monday.first(), "08:00");
    EXPECT_EQ(monday.last(), "16:45");
    EXPECT_EQ(ticked(w, "Saturday"), QStringList());

    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.gridTimes->rowAt(0), 28);
    EXPECT_EQ(f.prompts.messages, QStringList());
}

TEST_F(ScheduleEditorTest, SaveWritesTheShownTicksExactlyAndOnlyIntoTheChosenSchedule)
{
    const QString others = otherRows("Extended Hours");
    frmSchedules w(*f.state);
    w.show();
    choose(w, "Extended Hours");
    ASSERT_EQ(ticked(w, "Saturday").size(), 16); // 09:00 to 12:45
    setDay(w, "Monday", 32, 67);
    setDay(w, "Tuesday", 0, 95);
    setDay(w, "Wednesday", -1, -1);
    setDay(w, "Sunday", 0, 0);
    w.chkObserveHolidays->setChecked(false);
    w.cmdSave->click();
    EXPECT_EQ(f.prompts.messages, QStringList());
    EXPECT_EQ(hexOf("Extended Hours", "Monday"), "00000000FFFFFFFFF0000000");
    EXPECT_EQ(hexOf("Extended Hours", "Tuesday"), QString(24, 'F'));
    EXPECT_EQ(hexOf("Extended Hours", "Wednesday"), QString(24, '0'));
    EXPECT_EQ(hexOf("Extended Hours", "Saturday"), "000000000FFFF00000000000");
    EXPECT_EQ(hexOf("Extended Hours", "Sunday"), "800000000000000000000000");
    EXPECT_EQ(f.site.scalar("SELECT IgnoreHolidays FROM Schedule WHERE DisplayName = 'Extended Hours'").toInt32(), 1);
    w.chkObserveHolidays->setChecked(true);
    w.cmdSave->click();
    EXPECT_EQ(f.site.scalar("SELECT IgnoreHolidays FROM Schedule WHERE DisplayName = 'Extended Hours'").toInt32(), 0);
    // The other schedules are untouched, and nothing went to the change log or a file beside the program.
    EXPECT_EQ(otherRows("Extended Hours"), others);
    EXPECT_FALSE(QFile::exists(QDir(f.programFolder.path()).filePath("Temp.bin")));
    EXPECT_FALSE(f.changeLogText().contains("Schedule")) << f.changeLogText().toStdString();
}

TEST_F(ScheduleEditorTest, WithNoScheduleTheWindowOpensEmptyAndSavesNothing)
{
    f.site.exec("DELETE FROM Schedule");
    frmSchedules w(*f.state);
    const QString noRecord = "(error):3021 (Either BOF or EOF is True, or the current record has been deleted. Requested "
                             "operation requires a current record.) in procedure Form_Load of Form frmSchedules";
    EXPECT_EQ(f.prompts.messages, QStringList({noRecord, noRecord}));
    EXPECT_EQ(w.cmbSchedules->count(), 0);
    EXPECT_EQ(w.times->index(95, 0).data().toString(), "23:45");
    f.prompts.messages.clear();
    w.cmdSave->click();
    EXPECT_EQ(f.prompts.messages, QStringList({kNotFound}));
    EXPECT_EQ(f.site.scalar("SELECT count(*) FROM Schedule").toInt32(), 0);
}

TEST_F(ScheduleEditorTest, EachChoiceReadsTheDatabaseSoNoStaleOrLeftoverTickIsSavedBack)
{
    frmSchedules w(*f.state);
    w.show();
    // Saved ticks come back when the schedule is chosen again; a second Save writes them unchanged.
    setDay(w, "Monday", 40, 41);
    w.cmdSave->click();
    choose(w, "All Hours");
    EXPECT_EQ(ticked(w, "Monday").size(), 96);
    choose(w, "Weekdays");
    EXPECT_EQ(ticked(w, "Monday"), QStringList({"10:00", "10:15"}));
    w.cmdSave->click();
    EXPECT_EQ(hexOf("Weekdays", "Monday"), "0000000000C0000000000000");

    // A change made elsewhere shows on the next choice, and unsaved ticks are dropped.
    setDay(w, "Friday", 0, 95);
    f.site.exec("UPDATE Schedule SET Friday = x'000000000000000000000003', IgnoreHolidays = 1 WHERE DisplayName = 'Weekdays'");
    choose(w, "All Hours");
    choose(w, "Weekdays");
    EXPECT_EQ(ticked(w, "Friday"), QStringList({"23:30", "23:45"}));
    EXPECT_FALSE(w.chkObserveHolidays->isChecked());

    // Short, long, empty and Null days leave nothing of the all-ticked schedule shown before.
    choose(w, "All Hours");
    choose(w, "O'Brien's Hours");
    EXPECT_FALSE(w.chkObserveHolidays->isChecked()); // Null
    EXPECT_EQ(ticked(w, "Monday"), QStringList({"00:00", "23:45"}));
    EXPECT_EQ(ticked(w, "Tuesday").size(), 24);
    EXPECT_EQ(ticked(w, "Wednesday"), QStringList());
    choose(w, "All Hours");
    choose(w, "Long Days");
    EXPECT_EQ(ticked(w, "Monday").size(), 96);
    EXPECT_EQ(ticked(w, "Sunday"), QStringList());
    w.cmdSave->click();
    EXPECT_EQ(hexOf("Long Days", "Monday"), QString(24, 'F'));
    EXPECT_EQ(hexOf("Long Days", "Sunday"), QString(24, '0'));
    EXPECT_EQ(hexOf("Long Days", "Tuesday"), QString(24, '0'));
    EXPECT_EQ(f.prompts.messages, QStringList());
}

TEST_F(ScheduleEditorTest, ANameWithAnApostropheLoadsAndSavesOnlyItself)
{
    const QString others = otherRows("O'Brien");
    frmSchedules w(*f.state);
    w.show();
    choose(w, "O'Brien's Hours");
    setDay(w, "Saturday", 95, 95);
    w.chkObserveHolidays->setChecked(true);
    w.cmdSave->click();
    EXPECT_EQ(f.prompts.messages, QStringList());
    EXPECT_EQ(hexOf("O'Brien's Hours", "Saturday"), "000000000000000000000001");
    EXPECT_EQ(hexOf("O'Brien's Hours", "Tuesday"), "FFFFFF000000000000000000"); // padded to 12 bytes
    EXPECT_EQ(f.site.scalar("SELECT IgnoreHolidays FROM Schedule WHERE ScheduleObjectID = '{S-QUOTE}'").toInt32(), 0);
    EXPECT_EQ(otherRows("O'Brien"), others);
}

TEST_F(ScheduleEditorTest, AScheduleGoneFromTheDatabaseIsNeitherShownNorWritten)
{
    frmSchedules w(*f.state);
    w.show();
    f.site.exec("DELETE FROM Schedule WHERE DisplayName = 'All Hours'");
    const QString before = f.site.tableText("Schedule");
    setDay(w, "Monday", 0, 3);
    choose(w, "All Hours");
    EXPECT_EQ(f.prompts.messages, QStringList({kNotFound}));
    // The grid keeps what it showed, but it belongs to Weekdays: it is never saved as All Hours.
    EXPECT_EQ(ticked(w, "Monday"), QStringList({"00:00", "00:15", "00:30", "00:45"}));
    w.cmdSave->click();
    EXPECT_EQ(f.prompts.messages, QStringList({kNotFound, kNotFound}));
    EXPECT_EQ(f.site.tableText("Schedule"), before);

    // Removed after it was shown: Save finds nothing to write.
    choose(w, "Weekdays");
    f.site.exec("DELETE FROM Schedule WHERE DisplayName = 'Weekdays'");
    f.prompts.messages.clear();
    w.cmdSave->click();
    EXPECT_EQ(f.prompts.messages, QStringList({kNotFound}));
}

TEST_F(ScheduleEditorTest, AFailedSaveWritesNoDayAndSaysWhy)
{
    f.site.exec("CREATE TRIGGER no_holidays BEFORE UPDATE OF IgnoreHolidays ON Schedule "
                "BEGIN SELECT RAISE(ABORT, 'locked by the server'); END");
    const QString before = f.site.tableText("Schedule");
    frmSchedules w(*f.state);
    w.show();
    setDay(w, "Monday", 0, 95);
    w.cmdSave->click();
    ASSERT_EQ(f.prompts.messages.size(), 1);
    EXPECT_TRUE(f.prompts.messages[0].startsWith("(error):")) << f.prompts.messages[0].toStdString();
    EXPECT_TRUE(f.prompts.messages[0].contains("locked by the server"));
    EXPECT_TRUE(f.prompts.messages[0].endsWith(") in procedure cmdSave_Click of Form frmSchedules"));
    EXPECT_EQ(f.site.tableText("Schedule"), before);
    // The next Save works once the server lets it.
    f.site.exec("DROP TRIGGER no_holidays");
    w.cmdSave->click();
    EXPECT_EQ(hexOf("Weekdays", "Monday"), QString(24, 'F'));
}

TEST_F(ScheduleEditorTest, AChangeMadeElsewhereSinceTheLoadIsNotOverwrittenAndTheGridShowsIt)
{
    const QString rowChanged = "(error):-2147217864 (Row cannot be located for updating. Some values may have been changed "
                               "since it was last read.) in procedure cmdSave_Click of Form frmSchedules";
    struct Case {
        const char* what;
        const char* elsewhere; // run by another program while the editor shows Weekdays
        QString friday;        // the first and last Friday tick shown after the refused Save
        bool observeHolidays;
    };
    const std::vector<Case> cases = {
        {"a day", "UPDATE Schedule SET Friday = x'000000000000000000000003' WHERE DisplayName = 'Weekdays'", "23:30-23:45", true},
        {"the holidays", "UPDATE Schedule SET IgnoreHolidays = 1 WHERE DisplayName = 'Weekdays'", "08:00-16:45", false},
    };
    const QStringList files = QDir(f.site.streamFilesPath()).entryList(QDir::Files);
    // A search in the main window between the load and the save reads the change into the cache,
    // not into the editor.
    for (const bool searched : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what + std::string(searched ? ", a search since" : ""));
            f.site.exec("UPDATE Schedule SET IgnoreHolidays = 0, Monday = x'00000000ffffffffF0000000', "
                        "Friday = x'00000000ffffffffF0000000' WHERE DisplayName = 'Weekdays'");
            f.prompts.messages.clear();
            frmSchedules w(*f.state);
            w.show();
            setDay(w, "Monday", 0, 3);
            f.site.exec(c.elsewhere);
            if (searched)
                f.searchSubscribersAndCancel();
            const QString stored = f.site.tableText("Schedule");
            w.cmdSave->click();
            EXPECT_EQ(f.prompts.messages, QStringList{rowChanged});
            EXPECT_EQ(f.site.tableText("Schedule"), stored);
            // The grid was read again: the other program's change shows, the ticks made here are gone.
            const QStringList friday = ticked(w, "Friday");
            ASSERT_FALSE(friday.isEmpty());
            EXPECT_EQ(friday.first() + "-" + friday.last(), c.friday);
            EXPECT_EQ(ticked(w, "Monday").size(), 36);
            EXPECT_EQ(w.chkObserveHolidays->isChecked(), c.observeHolidays);

            // Ticked again over what is now stored, the Save goes through.
            setDay(w, "Monday", 0, 3);
            w.cmdSave->click();
            EXPECT_EQ(f.prompts.messages, QStringList{rowChanged});
            EXPECT_EQ(hexOf("Weekdays", "Monday"), "F00000000000000000000000");
            EXPECT_EQ(f.site.scalar("SELECT IgnoreHolidays FROM Schedule WHERE DisplayName = 'Weekdays'").toInt32(),
                      c.observeHolidays ? 0 : 1);
        }
    EXPECT_EQ(QDir(f.site.streamFilesPath()).entryList(QDir::Files), files);
    EXPECT_FALSE(QFile::exists(QDir(f.programFolder.path()).filePath("Temp.bin")));
    EXPECT_FALSE(f.changeLogText().contains("Schedule")) << f.changeLogText().toStdString();
}

TEST_F(ScheduleEditorTest, CheckCellsWorkFromTheKeyboardAndNameThemselves)
{
    frmSchedules w(*f.state);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.gridTimes->setFocus();
    const QModelIndex saturdayAtSeven = w.times->index(28, w.times->column("Saturday"));
    w.gridTimes->setCurrentIndex(saturdayAtSeven);
    QTest::keyClick(w.gridTimes, Qt::Key_Space);
    EXPECT_EQ(ticked(w, "Saturday"), QStringList({"07:00"}));
    QTest::keyClick(w.gridTimes, Qt::Key_Down);
    QTest::keyClick(w.gridTimes, Qt::Key_Space);
    QTest::keyClick(w.gridTimes, Qt::Key_Up);
    QTest::keyClick(w.gridTimes, Qt::Key_Space);
    EXPECT_EQ(ticked(w, "Saturday"), QStringList({"07:15"}));
    // A screen reader finds each cell by its weekday and time, and hears whether it is ticked.
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(w.gridTimes);
    ASSERT_TRUE(grid && grid->tableInterface());
    QAccessibleInterface* cell = grid->tableInterface()->cellAt(29, w.times->column("Saturday"));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), "Saturday 07:15");
    EXPECT_TRUE(cell->state().checkable);
    EXPECT_TRUE(cell->state().checked);
    EXPECT_FALSE(grid->tableInterface()->cellAt(28, w.times->column("Saturday"))->state().checked);
    EXPECT_FALSE(w.times->flags(w.times->index(28, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_EQ(f.site.scalar("SELECT hex(Saturday) FROM Schedule WHERE DisplayName = 'Weekdays'").toText(), QString(24, '0'));
}

TEST_F(ScheduleEditorTest, KeepsItsWidthAndMaximizesToScreenHeightAtTheTop)
{
    frmSchedules w(*f.state);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto outerHeight = [&] { return Twips::outerHeight(&w, 465); };
    auto outerWidth = [&] { return Twips::outerWidth(&w, 120); };
    const double pixel = Twips::fromPixelsY(1, &w);
    EXPECT_NEAR(outerWidth(), 9720, pixel);

    w.resize(w.width() + 200, Twips::toPixelsY(1000, &w));
    EXPECT_NEAR(outerWidth(), 9720, pixel);
    EXPECT_NEAR(outerHeight(), 4000, pixel);
    // The grid and the buttons follow the height.
    EXPECT_NEAR(Twips::fromPixelsY(w.gridTimes->geometry().bottom() + 1, &w), 4000 - 510, pixel);
    EXPECT_NEAR(Twips::fromPixelsY(w.cmdExit->y(), &w), 4000 - 870, pixel);
    EXPECT_EQ(w.cmdSave->y(), w.cmdExit->y());

    w.showMaximized();
    QApplication::processEvents();
    EXPECT_FALSE(w.isMaximized());
    const QRect screen = w.screen()->geometry();
    EXPECT_NEAR(outerHeight(), Twips::fromPixelsY(screen.height(), &w) - 400, 2 * pixel);
    EXPECT_EQ(w.frameGeometry().top(), screen.top());
    EXPECT_NEAR(outerWidth(), 9720, pixel);
}

TEST(ScheduleMenuTest, TheMenuItemOpensTheEditorOnlyWithTheCommandLineWord)
{
    // The program's path comes first, as for any program.
    for (const QStringList& line : {QStringList({"treewright"}), QStringList({"treewright", "-schedules"})}) {
        MainWindowFixture f;
        ASSERT_TRUE(f.load(line));
        QAction* item = f.control<QAction>("mnuSchedules");
        EXPECT_EQ(item->isVisible(), line.size() > 1);
    }
    MainWindowFixture f;
    ScriptedDialogs scripted;
    f.dialogs = &scripted;
    ASSERT_TRUE(f.load({"treewright", "/SCHEDULES"}));
    f.control<QAction>("mnuSchedules")->trigger();
    EXPECT_EQ(scripted.shown, QStringList({"frmSchedules"}));
}

TEST_F(ScheduleEditorTest, OneWindowAtATimeKeepsItsTicksUntilClosed)
{
    QWidget parent;
    Dialogs dialogs(*f.state, &parent);
    dialogs.frmSchedules();
    auto* w = parent.findChild<frmSchedules*>();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->isWindow());
    choose(*w, "All Hours");
    dialogs.frmSchedules();
    EXPECT_EQ(parent.findChildren<frmSchedules*>().size(), 1);
    EXPECT_EQ(w->cmbSchedules->currentText(), "All Hours");

    const QPointer<frmSchedules> closed = w;
    const QString before = f.site.tableText("Schedule");
    setDay(*w, "Monday", 0, 0);
    w->cmdExit->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
    EXPECT_EQ(f.site.tableText("Schedule"), before);
    dialogs.frmSchedules();
    ASSERT_EQ(parent.findChildren<frmSchedules*>().size(), 1);
    EXPECT_EQ(parent.findChild<frmSchedules*>()->cmbSchedules->currentText(), "Weekdays");
    EXPECT_EQ(f.prompts.messages, QStringList());
}

} // namespace
