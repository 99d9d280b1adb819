#include "fixtures/MainWindowFixture.h"
#include "tree/CallFlowTree.h"
#include "widgets/BoundGrid.h"
#include "widgets/OutlineGrid.h"
#include "widgets/OutlineGridView.h"
#include "widgets/SonotropeCtrl.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

const QString kMustRun = "Talvo must be running.  Please start Talvo and try again.";
const QString kTooOld = "Talvo version earlier than 4.0(1) detected... this application only runs on Talvo 4.0(1) or later.";
const QString kTooNew = "This version of Treewright has not been tested with versions of Talvo greater than 4.x.  Please obtain an "
                        "updated version of TWR.";

TEST(frmMainStartup, AStoppedServerIsRefusedBeforeAnythingIsOpened)
{
    for (const int state : {0, 31, -1}) {
        MainWindowFixture f;
        f.serverState.value = state;
        EXPECT_FALSE(f.load());
        EXPECT_EQ(f.prompts.messages, QStringList{kMustRun});
        EXPECT_TRUE(f.logFiles().isEmpty()) << "a refused start leaves no log";
        EXPECT_FALSE(f.state->cache.rsCallHandler.isOpen());
    }
}

TEST(frmMainStartup, ServerVersionsOutsideFourPointXAreRefused)
{
    struct Case {
        const char* version;
        quint32 versionNumber, buildNumber;
        QString refusal; // empty: starts
    };
    const Case cases[] = {
        {"4.0(0.999)", 0x00040000, 0x000003E7, kTooOld},
        {"4.0(1.0)", 0x00040000, 0x00010000, {}},
        {"4.5(9.9)", 0x00040005, 0x00090009, {}},
        {"5.0(1.0)", 0x00050000, 0x00010000, kTooNew},
        {"missing values", 0, 0, kTooOld},
    };
    for (const Case& c : cases) {
        MainWindowFixture f;
        f.setVersion(c.versionNumber, c.buildNumber);
        const bool started = f.load();
        EXPECT_EQ(started, c.refusal.isEmpty()) << c.version;
        if (!c.refusal.isEmpty()) {
            EXPECT_EQ(f.prompts.messages, QStringList{c.refusal}) << c.version;
            EXPECT_TRUE(f.logFiles().isEmpty()) << c.version;
        } else {
            EXPECT_TRUE(f.prompts.messages.isEmpty()) << c.version << ": " << f.prompts.messages.join('|').toStdString();
        }
    }
}

TEST(frmMainStartup, TheWordSchedulesAnywhereOnTheCommandLineShowsTheScheduleEditor)
{
    const std::pair<QStringList, bool> cases[] = {
        {{"treewright", "Schedules"}, true},
        {{"treewright", "SCHEDULES"}, true},
        {{"treewright", "/schedules"}, true},
        {{"treewright", "-Schedules"}, true},
        {{"treewright", "mySchedulesToo"}, true},
        {{"treewright"}, false},
        {{"treewright", "Schedule"}, false},
        // The program's own path is no argument, whatever folder it lies in.
        {{"/opt/Schedules/treewright"}, false},
        {{"/home/ops/schedules-tools/treewright", "-v"}, false},
        {{"/opt/Schedules/treewright", "schedules"}, true},
    };
    for (const auto& [commandLine, shown] : cases) {
        MainWindowFixture f;
        ASSERT_TRUE(f.load(commandLine));
        EXPECT_EQ(f.control<QAction>("mnuSchedules")->isVisible(), shown) << commandLine.join(' ').toStdString();
    }
}

TEST(frmMainStartup, AMissingOpeningGreetingEndsTheRunWithItsLogClosed)
{
    MainWindowFixture f;
    f.site.exec("UPDATE CallHandler SET Alias = 'notthegreeting' WHERE Alias = 'openinggreetingch'");
    EXPECT_FALSE(f.load());
    EXPECT_EQ(f.prompts.messages, QStringList{"Error! Could not locate opening greeting handler.  Exiting"});
    const QString log = f.changeLogText();
    EXPECT_TRUE(log.contains("Running Treewright version 1.0.0"));
    EXPECT_TRUE(log.contains("Session ended at +"));
    EXPECT_FALSE(f.state->cache.rsCallHandler.isOpen());
}

TEST(frmMainStartup, AMissingDatabaseEndsTheRunAsAMissingOpeningGreeting)
{
    MainWindowFixture f;
    QFile::remove(f.site.databasePath());
    EXPECT_FALSE(f.load());
    const QString closed = "error in form load routine:Operation is not allowed when the object is closed.";
    // Choosing the first list kind loads the object list, whose query cannot be opened either.
    const QString noList = "Error in LoadGridView:Cannot open database \"TalvoDb\" requested by the login. The login failed.";
    EXPECT_EQ(f.prompts.messages,
              QStringList({noList, closed, closed, closed, "Error! Could not locate opening greeting handler.  Exiting"}));
    EXPECT_TRUE(f.changeLogText().contains("Session ended at +"));
}

TEST(frmMainStartup, ARunStartsOnTheOpeningGreetingWithItsControlsAndState)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.load());
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    SharedState& s = *f.state;
    EXPECT_EQ(f.process.nicenessSet, QList<int>{5});
    EXPECT_EQ(s.ServerName, "TALVOSRV");
    EXPECT_EQ(s.ConnectionString,
              "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=TalvoDb;"
              "Data Source=TALVOSRV");
    EXPECT_TRUE(s.StreamFilesPath.endsWith("Stream Files\\"));
    EXPECT_EQ(f.tree().TreeRootNodeType(), 3);
    EXPECT_EQ(s.cache.rsCallHandler.field("Alias").toText(), "openinggreetingch");
    EXPECT_EQ(f.tree().TreeRootObjectID(), s.cache.rsCallHandler.field("CallHandlerObjectID").toText());
    EXPECT_FALSE(f.control<QTabWidget>("tabDirectoryHandlerInfo")->isTabVisible(1));
    EXPECT_TRUE(f.control<QTabWidget>("tabDirectoryHandlerInfo")->isTabVisible(2));
    EXPECT_EQ(f.control<QComboBox>("cmbShowObjectType")->currentText(), "Call Handlers");

    struct Control {
        SonotropeCtrl* control;
        const char* name;
        const char* frame;
        const char* temp;
    };
    const Control controls[] = {
        {f.control<SonotropeCtrl>("SotrHandlerGreeting"), "SotrHandlerGreeting", "frameSonotropeHandlerGreeting",
         "TempHandlerWavFile.wav"},
        {f.control<SonotropeCtrl>("SotrsubscriberGreeting"), "SotrsubscriberGreeting", "frameSonotropeSubscriberGreeting",
         "TempSubscriberWavFile.wav"},
        {f.control<SonotropeCtrl>("SotrInterviewerQuestion"), "SotrInterviewerQuestion", "frameSonotropeInterviewQuestions",
         "TempInterviewerWavFile.wav"},
    };
    for (const Control& c : controls) {
        ASSERT_NE(c.control, nullptr) << c.name;
        EXPECT_EQ(c.control->objectName(), c.name);
        EXPECT_EQ(c.control->parentWidget()->objectName(), c.frame);
        EXPECT_EQ(c.control->TempRecordingFile(), QDir(f.programFolder.path()).filePath(c.temp));
        EXPECT_NE(c.control->ControlActive(), 0);
    }
    // The opening greeting is shown: its standard greeting is bound; the other two controls
    // have no sound yet.
    const QString standard = f.site
                                 .scalar("SELECT StreamPath FROM MessagingRule WHERE Alias = 'Standard' AND ParentObjectID = "
                                         "(SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'openinggreetingch')")
                                 .toText();
    EXPECT_EQ(controls[0].control->SoundFile(), f.site.streamFilesPath() + standard);
    for (const Control& c : {controls[1], controls[2]}) {
        EXPECT_TRUE(c.control->SoundFile().isEmpty()) << c.name;
    }
}

TEST(frmMainStartup, ExitWritesTheTrailerClosesTheCacheAndEndsTheProcess)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.load());
    f.clock.set(QDateTime(QDate(2026, 12, 10), QTime(17, 45, 0)));
    EXPECT_THROW(f.window->Exit_Click(), ProcessEnded);
    EXPECT_TRUE(f.changeLogText().endsWith("\r\n\r\n" + QString(64, '=') + "\r\nSession ended at +12/10/2026 5:45:00 PM\r\n"));
    EXPECT_FALSE(f.state->cache.rsCallHandler.isOpen());
    EXPECT_TRUE(f.prompts.messages.isEmpty());
}

TEST(frmMainLayout, PanesFollowTheWindowAndTheMinimumSizeHolds)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.load());
    frmMain& w = *f.window;
    w.show();
    const QWidget* unit = &w;
    auto tw = [&](int px) { return Twips::fromPixelsX(px, unit); };
    auto th = [&](int px) { return Twips::fromPixelsY(px, unit); };
    const double tolerance = 2 * 15 + 1; // two pixels of rounding
    QWidget* tabInfoTab = f.control<QWidget>("tabInfoTab");
    QWidget* frameLinks = f.control<QWidget>("frameLinks");
    QWidget* gridSubscriberReferences = f.control<QWidget>("gridSubscriberReferences");
    QWidget* gridCallHandlerReferences = f.control<QWidget>("gridCallHandlerReferences");
    QWidget* lblCallHandlerReferences = f.control<QWidget>("lblCallHandlerReferences");
    QWidget* TabTreeGrid = f.control<QWidget>("TabTreeGrid");
    QWidget* gridObjects = f.control<QWidget>("gridObjects");

    for (const QSize size : {QSize(400, 300), QSize(1000, 700), QSize(1600, 1100)}) {
        w.resize(size);
        w.Form_Resize();
        const double width = w.outerWidthTwips(), height = w.outerHeightTwips();
        EXPECT_GE(width, 11280 - tolerance);
        EXPECT_GE(height, 8175 - tolerance);
        const QRect pane = tabInfoTab->geometry();
        EXPECT_NEAR(tw(pane.x()), width - tw(pane.width()) - 100, tolerance);
        EXPECT_NEAR(tw(frameLinks->x()), tw(pane.x()), tolerance);
        EXPECT_NEAR(th(frameLinks->y()), th(pane.height()) + 100, tolerance);
        EXPECT_NEAR(th(frameLinks->height()), height - th(frameLinks->y()) - 700, tolerance);
        const QRect upper = gridSubscriberReferences->geometry(), lower = gridCallHandlerReferences->geometry();
        EXPECT_EQ(upper.height(), lower.height());
        EXPECT_NEAR(th(upper.height()), th(frameLinks->height()) / 2 - 400, tolerance);
        EXPECT_NEAR(th(lower.y()), th(upper.y() + upper.height()) + 250, tolerance);
        EXPECT_NEAR(th(lblCallHandlerReferences->y()), th(lower.y()) - 200, tolerance);
        EXPECT_NEAR(th(TabTreeGrid->height()), height - 830, tolerance);
        EXPECT_NEAR(tw(TabTreeGrid->width()), tw(pane.x()) - 100, tolerance);
        EXPECT_NEAR(tw(gridObjects->width()), tw(TabTreeGrid->width()) - 100, tolerance);
    }
}

TEST(frmMainLayout, TheShownWindowPaintsTheOpeningGreetingAsTheTreesRoot)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.load());
    f.window->show();
    f.window->Form_Resize();
    QApplication::processEvents();
    auto* tree = f.control<OutlineGridView>("ATTree");
    ASSERT_TRUE(tree->isVisible());
    const QModelIndex root = tree->model()->index(0, 0);
    EXPECT_EQ(root.data().toString(), "Opening Greeting");
    const QRect rootRow = tree->visualRect(root);
    ASSERT_FALSE(rootRow.isEmpty());
    ASSERT_TRUE(tree->viewport()->rect().contains(rootRow.topLeft()));
    const QImage painted = tree->viewport()->grab(rootRow).toImage();
    QSet<QRgb> colours;
    for (int x = 0; x < painted.width(); ++x)
        for (int y = 0; y < painted.height(); ++y)
            colours.insert(painted.pixel(x, y));
    EXPECT_GT(colours.size(), 2) << "the root row's picture and text are painted";
}

// The window comes up with its tree before the opening greeting's references are filled; they
// follow once the window is on screen, the same as a row change gives them, unless the user
// chose another row first.
TEST(frmMainStartup, TheOpeningGreetingsReferencesFollowTheFirstPaint)
{
    const auto ids = [](BoundGrid* grid) {
        QStringList out;
        for (int r = 0; r < grid->rows().rowCount(); ++r)
            out << grid->rows().cell(r, grid->rows().colIndex("CallHandlerObjectID")).toText();
        return out;
    };
    for (const bool otherRowFirst : {false, true}) {
        SCOPED_TRACE(otherRowFirst);
        MainWindowFixture f;
        ASSERT_TRUE(f.load());
        auto* subscribers = f.control<BoundGrid>("gridSubscriberReferences");
        auto* handlers = f.control<BoundGrid>("gridCallHandlerReferences");
        EXPECT_EQ(subscribers->rows().rowCount() + handlers->rows().rowCount(), 0) << "nothing is filled before the window shows";
        if (otherRowFirst)
            f.treeGrid().setRow(1);
        const QStringList before = ids(handlers);
        f.window->show();
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        const QStringList shown = ids(handlers) + ids(subscribers);
        if (otherRowFirst) {
            EXPECT_EQ(ids(handlers), before) << "the chosen row's references stay";
            continue;
        }
        EXPECT_FALSE(shown.isEmpty());
        f.treeGrid().setRow(1);
        f.treeGrid().setRow(0);
        EXPECT_EQ(ids(handlers) + ids(subscribers), shown);
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    }
}

} // namespace
