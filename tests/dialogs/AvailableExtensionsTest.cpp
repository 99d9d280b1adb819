#include "dialogs/AvailableExtensions.h"

#include "dialogs/Dialogs.h"
#include "fakes/ScriptedDialogs.h"
#include "fixtures/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList listed(const frmAvailableExtensions& w)
{
    QStringList items;
    for (int i = 0; i < w.listAvailableExtensions->count(); ++i)
        items << w.listAvailableExtensions->item(i)->text();
    return items;
}

QString found(int count)
{
    return QStringLiteral(" %1 extensions found available in that range").arg(count);
}

class PaintCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

class AvailableExtensionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A second office of the same dialing domain uses 2011; one of another domain uses 2012.
        f.site.exec("INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000A}', 'Harbour Office', "
                    "'brightwater.local');"
                    "INSERT INTO GlobalLocation VALUES ('{00000000-0000-0000-0000-00000000000B}', 'Partner Site', 'partner.local');"
                    "INSERT INTO GlobalSubscriber VALUES ('{00000000-0000-0000-0000-0000000000A1}', 'harbour', 'Harbour Desk', "
                    "'{00000000-0000-0000-0000-00000000000A}');"
                    "INSERT INTO GlobalSubscriber VALUES ('{00000000-0000-0000-0000-0000000000B1}', 'partner', 'Partner Desk', "
                    "'{00000000-0000-0000-0000-00000000000B}');"
                    "INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) "
                    "VALUES ('2011', '{00000000-0000-0000-0000-0000000000A1}', 1, 1);"
                    "INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) "
                    "VALUES ('2012', '{00000000-0000-0000-0000-0000000000B1}', 1, 1);");
        ASSERT_TRUE(f.load());
        f.prompts.messages.clear();
    }

    void search(frmAvailableExtensions& w, const QString& start, const QString& end)
    {
        w.txtStartRange->setText(start);
        w.txtEndRange->setText(end);
        w.cmdSearch->click();
    }

    MainWindowFixture f;
};

TEST_F(AvailableExtensionsTest, ListsTheNumbersNoObjectOfTheDialingDomainUses)
{
    frmAvailableExtensions w(*f.state);
    EXPECT_EQ(w.windowTitle(), "Find Available Extensions");
    EXPECT_FALSE(w.ProgressBar->isVisible());
    EXPECT_EQ(w.txtStartRange->maxLength(), 15);
    struct Case {
        const char* start;
        const char* end;
        QStringList free;
    };
    const std::vector<Case> cases = {
        {"2000", "2013", {"2000", "2012", "2013"}},   // subscribers here and at the harbour office
        {"108", "112", {"108", "109", "111", "112"}}, // a call handler
        {"298", "302", {"298", "299", "301", "302"}}, // an interview handler
        {"400", "400", {}},                           // a directory handler
        {"499", "502", {"499", "502"}},               // distribution lists
        {"7998", "8000", {"7998", "8000"}},           // the location
        {"4999", "5001", {"4999", "5001"}},           // a subscriber's second extension
        {"0109", "00111", {"109", "111"}},            // no leading zeros reach the search
        {"999999999999998", "999999999999999", {"999999999999998", "999999999999999"}}, // 15 digits exactly
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        f.prompts.messages.clear();
        search(w, c.start, c.end);
        EXPECT_EQ(listed(w), c.free);
        EXPECT_EQ(f.prompts.messages, QStringList({found(int(c.free.size()))}));
        EXPECT_FALSE(w.ProgressBar->isVisible());
        EXPECT_TRUE(w.cmdSearch->isEnabled());
        EXPECT_TRUE(w.cmdExport->isEnabled());
    }
    EXPECT_EQ(w.ProgressBar->maximum(), 2);
    EXPECT_EQ(w.ProgressBar->value(), 2);
}

// A refused search leaves no list of an earlier range behind, as if it were this range's, and so
// nothing of it to export.
TEST_F(AvailableExtensionsTest, RangesOutOfOrderOrWiderThan5001NumbersAreRefusedAndTheListCleared)
{
    frmAvailableExtensions w(*f.state);
    const struct {
        const char* start;
        const char* end;
        const char* message;
    } cases[] = {
        {"2002", "2001", "Please make sure the start of your range is smaller than the end"},
        {"1000", "6001", "The range includes more than 5,000 values.  Please choose a smaller range."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        search(w, "2000", "2001");
        ASSERT_EQ(listed(w), QStringList({"2000"}));
        f.prompts.messages.clear();
        search(w, c.start, c.end);
        EXPECT_EQ(f.prompts.messages, QStringList({c.message}));
        EXPECT_EQ(listed(w), QStringList());
        f.prompts.messages.clear();
        w.cmdExport->click();
        EXPECT_EQ(f.prompts.messages, QStringList({"No extensions to export"}));
        EXPECT_TRUE(f.fileDialogs.requests.empty());
    }

    f.prompts.messages.clear();
    search(w, "1000", "6000");
    EXPECT_EQ(w.ProgressBar->maximum(), 5001);
    EXPECT_EQ(w.ProgressBar->value(), 5001);
    ASSERT_EQ(f.prompts.messages.size(), 1);
    EXPECT_EQ(f.prompts.messages[0], found(5001 - 12)); // 2001 to 2011 and 5000 are taken
}

TEST_F(AvailableExtensionsTest, AnEmptyOrRefusedBoxStopsTheSearchWithTheBoxMessageAndClearsTheList)
{
    frmAvailableExtensions w(*f.state);
    const struct {
        const char* start;
        const char* end;
        const char* startAfter;
        const char* endAfter;
    } cases[] = {
        {"", "", "", ""},
        {"", "2001", "", "2001"},
        {"2000", "", "2000", ""},
        {"   ", "2001", "", "2001"},  // blanks are no number
        {"2000", "20x1", "2000", ""}, // typed, and Search pressed before the box was left
        {"-5", "2001", "", "2001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " to " + c.end);
        search(w, "2000", "2001");
        ASSERT_EQ(listed(w), QStringList({"2000"}));
        f.prompts.messages.clear();
        search(w, c.start, c.end);
        EXPECT_EQ(f.prompts.messages, QStringList({"Please enter only numbers"}));
        EXPECT_EQ(listed(w), QStringList());
        EXPECT_EQ(w.txtStartRange->text(), c.startAfter);
        EXPECT_EQ(w.txtEndRange->text(), c.endAfter);
        EXPECT_EQ(w.ProgressBar->value(), 2) << "no scan began";
    }
}

TEST_F(AvailableExtensionsTest, ABoxRefusedOnTheWayToSearchStopsTheSearchAndIsReportedOnce)
{
    frmAvailableExtensions w(*f.state);
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    search(w, "2000", "2001");
    f.prompts.messages.clear();

    w.txtStartRange->setFocus(Qt::TabFocusReason);
    w.txtStartRange->clear();
    QTest::keyClicks(w.txtStartRange, "20o0");
    QTest::mouseClick(w.cmdSearch, Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), w.cmdSearch);
    EXPECT_EQ(f.prompts.messages, QStringList({"Please enter only numbers"}));
    EXPECT_EQ(w.txtStartRange->text(), "");
    EXPECT_EQ(listed(w), QStringList());

    // Pressed again with the box still empty: said again, and still no search.
    f.prompts.messages.clear();
    QTest::mouseClick(w.cmdSearch, Qt::LeftButton);
    EXPECT_EQ(f.prompts.messages, QStringList({"Please enter only numbers"}));
    EXPECT_EQ(listed(w), QStringList());

    f.prompts.messages.clear();
    QTest::keyClicks(w.txtStartRange, "2000");
    QTest::mouseClick(w.cmdSearch, Qt::LeftButton);
    EXPECT_EQ(f.prompts.messages, QStringList({found(1)}));
    EXPECT_EQ(listed(w), QStringList({"2000"}));
}

TEST_F(AvailableExtensionsTest, TheRangeBoxesTakeOnlyDigits)
{
    frmAvailableExtensions w(*f.state);
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    for (const char* bad : {"12a", "-5", "1.5", "1e3"}) {
        SCOPED_TRACE(bad);
        f.prompts.messages.clear();
        w.txtStartRange->setFocus(Qt::TabFocusReason);
        w.txtStartRange->setText(QString::fromLatin1(bad));
        w.txtEndRange->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(f.prompts.messages, QStringList({"Please enter only numbers"}));
        EXPECT_EQ(w.txtStartRange->text(), "");
        // The focus is not held.
        EXPECT_EQ(QApplication::focusWidget(), w.txtEndRange);
    }
    f.prompts.messages.clear();
    w.txtEndRange->setText(QStringLiteral(" 120 "));
    w.txtStartRange->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.prompts.messages, QStringList());
    EXPECT_EQ(w.txtEndRange->text(), " 120 ");
}

TEST_F(AvailableExtensionsTest, AFailedSearchIsReportedAndNothingIsListedAsFree)
{
    frmAvailableExtensions w(*f.state);
    search(w, "2000", "2001");
    f.site.exec("DROP TABLE GlobalSubscriber");
    f.prompts.messages.clear();
    search(w, "2010", "2020");
    ASSERT_EQ(f.prompts.messages.size(), 1);
    EXPECT_TRUE(f.prompts.messages[0].startsWith("(error):")) << f.prompts.messages[0].toStdString();
    EXPECT_TRUE(f.prompts.messages[0].endsWith(") in procedure cmdSearch_Click of Form frmAvailableExtensions"));
    EXPECT_EQ(listed(w), QStringList());
    EXPECT_TRUE(w.cmdSearch->isEnabled());
    EXPECT_FALSE(w.ProgressBar->isVisible());
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(AvailableExtensionsTest, ExportWritesTheListLineByLineAndSaysSoOnlyWhenComplete)
{
    frmAvailableExtensions w(*f.state);
    w.cmdExport->click();
    EXPECT_EQ(f.prompts.messages, QStringList({"No extensions to export"}));
    EXPECT_TRUE(f.fileDialogs.requests.empty());

    QTemporaryDir out;
    const QString file = QDir(out.path()).filePath("free.txt");
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older and longer export that must go\r\n");
    old.close();
    search(w, "2000", "2013");
    f.prompts.messages.clear();
    f.fileDialogs.chooseNext(file);
    w.cmdExport->click();
    ASSERT_EQ(f.fileDialogs.requests.size(), 1u);
    EXPECT_EQ(f.fileDialogs.requests[0].title, "Export extension range to text file");
    EXPECT_EQ(f.fileDialogs.requests[0].folder, QDir::homePath());
    EXPECT_EQ(f.fileDialogs.requests[0].fileName, "AvailableExtensions.txt");
    EXPECT_EQ(f.prompts.messages, QStringList({"Output complete"}));
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("2000\r\n2012\r\n2013\r\n"));

    // Cancel in the dialog: nothing; a file that cannot be written: an error, not "complete".
    f.prompts.messages.clear();
    w.cmdExport->click();
    EXPECT_EQ(f.prompts.messages, QStringList());
    f.fileDialogs.chooseNext(QDir(out.path()).filePath("missing/free.txt"));
    w.cmdExport->click();
    ASSERT_EQ(f.prompts.messages.size(), 1);
    EXPECT_TRUE(f.prompts.messages[0].startsWith("(error):")) << f.prompts.messages[0].toStdString();
    EXPECT_TRUE(f.prompts.messages[0].endsWith(") in procedure cmdExport_Click of Form frmAvailableExtensions"));
    EXPECT_FALSE(QFile::exists(QDir(out.path()).filePath("missing/free.txt")));
}

TEST_F(AvailableExtensionsTest, ASearchRepaintsItsProgressTakesNoOtherInputAndStopsOnExit)
{
    QWidget parent;
    Dialogs dialogs(*f.state, &parent);
    dialogs.frmAvailableExtensions();
    QPointer<frmAvailableExtensions> w = parent.findChild<frmAvailableExtensions*>();
    ASSERT_TRUE(w);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QPushButton elsewhere(QStringLiteral("another window's button"));
    elsewhere.show();
    int elsewhereClicks = 0;
    QObject::connect(&elsewhere, &QPushButton::clicked, [&] { ++elsewhereClicks; });

    PaintCounter paints;
    w->ProgressBar->installEventFilter(&paints);
    bool sawBusy = false;
    bool clicked = false;
    QObject::connect(w->ProgressBar, &QProgressBar::valueChanged, w, [&](int value) {
        // Once the bar has been painted with some progress, the administrator clicks around.
        if (clicked || value < 100 || paints.count == 0)
            return;
        clicked = true;
        sawBusy = w->ProgressBar->isVisible() && !w->cmdSearch->isEnabled() && !w->cmdExport->isEnabled()
                  && w->cursor().shape() == Qt::WaitCursor && w->searching();
        QTest::mouseClick(&elsewhere, Qt::LeftButton);
        elsewhere.close();
        QTest::mouseClick(w->listAvailableExtensions->viewport(), Qt::LeftButton);
        w->cmdSearch_Click(); // a second search does not start inside the first
        QTest::mouseClick(w->cmdExit, Qt::LeftButton);
    });
    w->txtStartRange->setText(QStringLiteral("1000"));
    w->txtEndRange->setText(QStringLiteral("6000"));
    w->cmdSearch->click();
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(sawBusy);
    EXPECT_EQ(elsewhereClicks, 0);
    EXPECT_TRUE(elsewhere.isVisible());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull()); // Exit closed the window once the scan had stopped
    EXPECT_EQ(f.prompts.messages, QStringList());
    // The next showing starts empty.
    dialogs.frmAvailableExtensions();
    auto* next = parent.findChild<frmAvailableExtensions*>();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->txtStartRange->text(), "");
    EXPECT_EQ(next->listAvailableExtensions->count(), 0);
    // Input reaches every control again.
    QTest::mouseClick(&elsewhere, Qt::LeftButton);
    EXPECT_EQ(elsewhereClicks, 1);

    // The close box stops a search the same way, and the window goes once the scan has stopped.
    const QPointer<frmAvailableExtensions> second = next;
    int lastValue = 0;
    QObject::connect(next->ProgressBar, &QProgressBar::valueChanged, next, [&](int value) {
        lastValue = value;
        if (value == 10) {
            second->close();
            EXPECT_TRUE(second->isVisible());
        }
    });
    next->txtStartRange->setText(QStringLiteral("1000"));
    next->txtEndRange->setText(QStringLiteral("6000"));
    next->cmdSearch->click();
    EXPECT_EQ(lastValue, 10);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(f.prompts.messages, QStringList());
}

TEST(AvailableExtensionsMenuTest, TheMenuItemShowsTheFinder)
{
    MainWindowFixture f;
    ScriptedDialogs scripted;
    f.dialogs = &scripted;
    ASSERT_TRUE(f.load());
    f.control<QAction>("mnuFindAvailable")->trigger();
    EXPECT_EQ(scripted.shown, QStringList({"frmAvailableExtensions"}));
}

} // namespace
