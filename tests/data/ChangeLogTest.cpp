#include "data/ChangeLog.h"

#include "data/WorkStationInfo.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/ScriptedPrompts.h"
#include "runtime/RuntimeError.h"
#include "system/Clock.h"
#include "system/SharedFileSystem.h"
#include "system/SystemIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>

namespace {

const QDateTime startOfRun(QDate(2004, 2, 2), QTime(9, 5, 3));
const QString logName = QStringLiteral("TWR_040202_09_05_03.txt");

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QDateTime& modified)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write("old log\r\n");
    ASSERT_TRUE(f.flush());
    ASSERT_TRUE(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

// What the code under test writes to standard error while it lives.
class StandardErrorCapture {
public:
    StandardErrorCapture()
        : m_previous(std::cerr.rdbuf(m_text.rdbuf()))
    {
    }
    ~StandardErrorCapture() { std::cerr.rdbuf(m_previous); }
    QString text() const { return QString::fromLocal8Bit(m_text.str()); }

private:
    std::ostringstream m_text;
    std::streambuf* m_previous;
};

QString stoppedLogMessage(const QString& fileName, const QString& reason)
{
    return QStringLiteral("Changes are no longer being written to the change log %1 (%2). Edits still go to the server, but "
                          "without a record in the log.")
        .arg(fileName, reason);
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// One run's collaborators on a fresh program folder.
class ChangeLogTest : public ::testing::Test {
protected:
    QString logs() const { return home.filePath("logs"); }

    QTemporaryDir home;
    FakeFileSystem fileSystem; // the real one until a test makes its writes fail
    FixedClock clock{startOfRun};
    FixedSystemIdentity identity{"TALVOSRV", "CORP", "jsmith"};
    WorkStationInfo workStation{identity};
    ScriptedPrompts prompts;
    ChangeLog log{ProgramFolder(home.path()), fileSystem, clock, workStation, "4.1.15", prompts};
};

} // namespace

TEST_F(ChangeLogTest, NamesTheLogAfterTheStartMomentAndCreatesTheFolder)
{
    const std::pair<QDateTime, QString> cases[] = {
        {startOfRun, logName},
        {QDateTime(QDate(2003, 11, 13), QTime(14, 5, 9)), "TWR_031113_14_05_09.txt"},
        {QDateTime(QDate(2010, 12, 31), QTime(23, 59, 59)), "TWR_101231_23_59_59.txt"},
    };
    for (const auto& [moment, name] : cases) {
        clock.set(moment);
        EXPECT_EQ(log.GenerateNewLogFileName(), logs() + "/" + name);
    }
    EXPECT_TRUE(QFileInfo(logs()).isDir());
    EXPECT_TRUE(filesIn(logs()).isEmpty()) << "naming the log does not create it";
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(ChangeLogTest, StartUpDeletesFilesLastChangedMoreThanTenCalendarDaysAgo)
{
    ASSERT_TRUE(QDir(home.path()).mkdir("logs"));
    const QDate today = startOfRun.date();
    writeFile(logs() + "/TWR_040123_23_59_59.txt", QDateTime(today.addDays(-10), QTime(0, 0, 1)));
    writeFile(logs() + "/TWR_040123_late.txt", QDateTime(today.addDays(-10), QTime(23, 59, 59)));
    writeFile(logs() + "/TWR_040122_00_00_01.txt", QDateTime(today.addDays(-11), QTime(23, 59, 59)));
    writeFile(logs() + "/notes.dat", QDateTime(today.addDays(-11), QTime(0, 0, 1)));
    writeFile(logs() + "/.hidden", QDateTime(today.addDays(-40), QTime(12, 0)));
    writeFile(logs() + "/readonly.txt", QDateTime(today.addDays(-30), QTime(12, 0)));
    ASSERT_TRUE(QFile::setPermissions(logs() + "/readonly.txt", QFileDevice::ReadOwner));
    writeFile(logs() + "/today.txt", startOfRun);
    writeFile(logs() + "/future.txt", startOfRun.addDays(20));
    ASSERT_TRUE(QDir(logs()).mkdir("archive"));

    log.GenerateNewLogFileName();

    EXPECT_EQ(filesIn(logs()), QStringList({"TWR_040123_23_59_59.txt", "TWR_040123_late.txt", "future.txt", "today.txt"}));
    EXPECT_TRUE(QFileInfo(logs() + "/archive").isDir()) << "folders are not files of the folder";
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(ChangeLogTest, CleanupReportsAFileWhoseDateCannotBeReadAndGoesOn)
{
    ASSERT_TRUE(QDir(home.path()).mkdir("logs"));
    ASSERT_TRUE(QFile::link(home.filePath("nowhere"), logs() + "/a-dangling-link.txt"));
    writeFile(logs() + "/b-old.txt", startOfRun.addDays(-20));

    log.CleanupLogFiles();

    EXPECT_EQ(prompts.messages, QStringList({"(error):53 (File not found) in procedure CleanupLogFiles of Module Module1"}));
    EXPECT_EQ(prompts.buttons, QList<int>({Buttons::OKOnly}));
    EXPECT_EQ(filesIn(logs()), QStringList({"a-dangling-link.txt"}));
}

TEST(ChangeLogLine, FieldsFollowTheLinesOrderAndTurnValuesIntoText)
{
    struct Case {
        const char* what;
        QString action;
        LogArg table, alias, parentTable, parentAlias, column, value;
        QString expected;
    };
    const QString at = QStringLiteral("2/2/2004 9:05:03 AM, ");
    const Case cases[] = {
        {"all fields", "UPDATE", "MessagingRule", "Standard", "CallHandler", "openinggreetingch", "StreamPath", "mr_x.wav",
         at + "UPDATE, CallHandler, openinggreetingch, MessagingRule, Standard, StreamPath, mr_x.wav"},
        {"empty value", "UPDATE", "MessagingRule", "Standard", "CallHandler", "openinggreetingch", "StreamPath", "",
         at + "UPDATE, CallHandler, openinggreetingch, MessagingRule, Standard, StreamPath, (NULL)"},
        {"Null value", "UPDATE", "MessagingRule", "Standard", "CallHandler", "openinggreetingch", "StreamPath", Variant::null(),
         at + "UPDATE, CallHandler, openinggreetingch, MessagingRule, Standard, StreamPath, (NULL)"},
        {"never-set value", "UPDATE", "MenuEntry", "5", "CallHandler", "ch", "Action", Variant(),
         at + "UPDATE, CallHandler, ch, MenuEntry, 5, Action, (NULL)"},
        {"value left out", "UPDATE", "MessagingRule", "Standard", "CallHandler", "openinggreetingch", "StreamPath", std::nullopt,
         at + "UPDATE, CallHandler, openinggreetingch, MessagingRule, Standard, StreamPath, "},
        {"action only", "(error) in findAllDTMFIDMatches routine looking for ID=1234 error description=Boom", std::nullopt,
         std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
         at + "(error) in findAllDTMFIDMatches routine looking for ID=1234 error description=Boom, , , , , , "},
        {"new object, middle fields left out", "NEW", "InterviewHandler", "ih_sales", std::nullopt, std::nullopt, std::nullopt,
         "{6F2D9A40-0B1C-4E55-9A1D-3C2B1A0F9E11}",
         at + "NEW, , , InterviewHandler, ih_sales, , {6F2D9A40-0B1C-4E55-9A1D-3C2B1A0F9E11}"},
        {"value holding a separator", "UPDATE", "CallHandler", "sales", std::nullopt, std::nullopt, "TextName", "Sales, East",
         at + "UPDATE, , , CallHandler, sales, TextName, Sales, East"},
        {"Null and empty keys stay empty", "UPDATE", Variant::null(), "", Variant::null(), Variant(), "Locked", 0,
         at + "UPDATE, , , , , Locked, 0"},
        {"number turned into text keeps its blank", "UPDATE", "ContactRule", "Standard", "CallHandler", "ch", "TransferRings", " 4",
         at + "UPDATE, CallHandler, ch, ContactRule, Standard, TransferRings,  4"},
        {"numbers", "UPDATE", "CallHandler", 12, "CallHandler", qint64(-3), "MaxMsgLen", 2.5,
         at + "UPDATE, CallHandler, -3, CallHandler, 12, MaxMsgLen, 2.5"},
        {"Boolean", "UPDATE", "MessagingRule", "Busy", "CallHandler", "ch", "Enabled", false,
         at + "UPDATE, CallHandler, ch, MessagingRule, Busy, Enabled, False"},
        {"date", "UPDATE", "ContactRule", "Alternate", "CallHandler", "ch", "TimeExpires",
         QDateTime(QDate(1993, 1, 2), QTime(13, 5, 9)),
         at + "UPDATE, CallHandler, ch, ContactRule, Alternate, TimeExpires, 1/2/1993 1:05:09 PM"},
        {"text kept as given", "UPDATE", "CallHandler", " padded ", std::nullopt, std::nullopt, "TextName", "Zoë's Desk ",
         at + "UPDATE, , , CallHandler,  padded , TextName, Zoë's Desk "},
        {"line breaks in fields shown, not written", "UPDATE", "CallHandler", "sales\n2/2/2004 9:06:00 AM, DELETE", "Call\rHandler",
         std::nullopt, "Text\r\nName", QString::fromUtf8("one\u2028two\u0085three\u2029four\vfive\fsix"),
         at
             + QString::fromUtf8("UPDATE, Call\u240DHandler, , CallHandler, sales\u240A2/2/2004 9:06:00 AM, DELETE, "
                                 "Text\u240D\u240AName, one\u2424two\u2424three\u2424four\u240Bfive\u240Csix")},
        {"other control characters shown, tabs kept", "UPDATE", "CallHandler", "sales", std::nullopt, std::nullopt, "TextName",
         QString::fromUtf8("a\tb\x1b[1Ac\x7f") + QChar(0),
         at + QString::fromUtf8("UPDATE, , , CallHandler, sales, TextName, a\tb\u241B[1Ac\u2421\u2400")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            ChangeLogLine(startOfRun, c.action, c.table, c.alias, c.parentTable, c.parentAlias, c.column, c.value).toStdString(),
            c.expected.toStdString())
            << c.what;
    }
}

TEST_F(ChangeLogTest, ScriptedRunWritesTheGoldenLog)
{
    const QString fileName = log.GenerateNewLogFileName();
    log.OpenSessionLog(fileName);
    clock.advanceSeconds(67);
    log.LogChange("UPDATE", "MessagingRule", "Standard", "CallHandler", "openinggreetingch", "StreamPath", "mr_x.wav");
    log.LogChange("UPDATE", "MenuEntry", "3", "CallHandler", "openinggreetingch", "Action", QString::number(2));
    clock.advanceSeconds(3 * 3600);
    log.LogChange("UPDATE", "CallHandler", "sales", "CallHandler", "sales", "TextName", "Zoë's Desk, East");
    log.LogChange("UPDATE", "MenuEntry", "*", "CallHandler", "sales", "DestinationObjectID", Variant::null());
    log.LogChange("NEW", "InterviewHandler", "ih_sales", std::nullopt, std::nullopt, std::nullopt,
                  "{6F2D9A40-0B1C-4E55-9A1D-3C2B1A0F9E11}");
    log.LogChange("(error) Could not find menu entry referenced in database.  Missing menu#: 7\n"
                  "     Skipping this menu entry and moving to the next.  Please contact Pellworth Labs support");
    clock.advanceSeconds(5 * 3600 + 57);
    log.CloseSessionLog();

    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(fileName, logs() + "/" + logName);
    // The golden file is kept with plain line feeds; the log itself ends every line with CR LF.
    QByteArray expected = readFile(QStringLiteral(TW_TEST_SOURCE_DIR "/golden/ChangeLogSession.txt"));
    ASSERT_FALSE(expected.contains('\r'));
    expected.replace("\n", "\r\n");
    EXPECT_EQ(readFile(fileName).toStdString(), expected.toStdString());
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(ChangeLogTest, EachLineIsInTheFileAsSoonAsItIsWritten)
{
    const QString fileName = log.GenerateNewLogFileName();
    log.OpenSessionLog(fileName);
    log.LogChange("UPDATE", "CallHandler", "sales", std::nullopt, std::nullopt, "MaxMsgLen", 300);
    EXPECT_TRUE(readFile(fileName).endsWith("2/2/2004 9:05:03 AM, UPDATE, , , CallHandler, sales, MaxMsgLen, 300\r\n"));
}

TEST_F(ChangeLogTest, AValueWithLineBreaksStaysOneChangeLine)
{
    const QString fileName = log.GenerateNewLogFileName();
    log.OpenSessionLog(fileName);
    log.LogChange("UPDATE", "CallHandler", "sales\r\n12/10/2026 9:31:00 AM, DELETE, , , CallHandler, ceo, , \n", std::nullopt,
                  std::nullopt, "TextName", "Sales");
    const QList<QByteArray> lines = readFile(fileName).split('\n');
    ASSERT_EQ(lines.size(), 9) << "seven header lines, one change and the end";
    EXPECT_EQ(lines.at(7),
              QString::fromUtf8("2/2/2004 9:05:03 AM, UPDATE, , , CallHandler, sales\u240D\u240A12/10/2026 9:31:00 AM, "
                                "DELETE, , , CallHandler, ceo, , \u240A, TextName, Sales\r")
                  .toUtf8());
}

TEST_F(ChangeLogTest, HeaderNamesWhoRunsItOnOneLine)
{
    const struct {
        const char* user;
        QByteArray expected;
    } cases[] = {
        {"", "User logged in on computer named: TALVOSRV in domain=CORP as user with alias=\r"},
        {"j\nsmith", "User logged in on computer named: TALVOSRV in domain=CORP as user with alias=j\u240Asmith\r"},
    };
    for (const auto& c : cases) {
        identity.set("TALVOSRV", "CORP", c.user);
        workStation.Refresh();
        QFile::remove(home.filePath("header.txt"));
        log.OpenSessionLog(home.filePath("header.txt"));
        const QList<QByteArray> lines = readFile(home.filePath("header.txt")).split('\n');
        ASSERT_EQ(lines.size(), 8) << c.user;
        EXPECT_EQ(lines.at(3), c.expected);
    }
}

TEST(ChangeLogWithoutAFolder, TheRunGoesOnWithoutALogAndSaysSo)
{
    QTemporaryDir home;
    QFile blocker(home.filePath("logs"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.write("not a folder");
    blocker.close();
    const std::pair<QString, QString> cases[] = {
        {home.path(), "(error):58 (File already exists) in procedure GenerateNewLogFileName of Module Module1"},
        {home.filePath("missing-home"), "(error):76 (Path not found) in procedure GenerateNewLogFileName of Module Module1"},
    };
    StandardErrorCapture standardError;
    for (const auto& [folder, message] : cases) {
        SharedFileSystem fileSystem;
        FixedClock clock(startOfRun);
        FixedSystemIdentity identity("TALVOSRV", "CORP", "jsmith");
        WorkStationInfo workStation(identity);
        ScriptedPrompts prompts;
        ChangeLog log(ProgramFolder(folder), fileSystem, clock, workStation, "4.1.15", prompts);

        const QString fileName = log.GenerateNewLogFileName();
        EXPECT_EQ(fileName, folder + "/logs/" + logName);
        log.OpenSessionLog(fileName);
        log.LogChange("UPDATE", "CallHandler", "sales", std::nullopt, std::nullopt, "TextName", "Sales");
        EXPECT_FALSE(log.isOpen());
        try {
            log.CloseSessionLog();
            ADD_FAILURE() << "closing a log that never opened raised nothing";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 52);
            EXPECT_EQ(e.description(), QStringLiteral("Bad file name or number"));
        }
        EXPECT_EQ(prompts.messages, QStringList({message, stoppedLogMessage(fileName, "Path not found")}));
    }
    EXPECT_EQ(filesIn(home.path()), QStringList({"logs"}));
    QFile check(home.filePath("logs"));
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("not a folder"));
}

TEST_F(ChangeLogTest, AFullDiskIsToldOnceAndTheCloseReportsIt)
{
    if (!QFileInfo::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    StandardErrorCapture standardError;
    log.OpenSessionLog("/dev/full");
    log.LogChange("UPDATE", "CallHandler", "sales", std::nullopt, std::nullopt, "TextName", "Sales");
    try {
        log.CloseSessionLog();
        ADD_FAILURE() << "a failed trailer raised nothing";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 61);
        EXPECT_EQ(e.description(), QStringLiteral("Disk full"));
    }
    const QString message = stoppedLogMessage("/dev/full", "Disk full");
    EXPECT_EQ(prompts.messages, QStringList({message}));
    EXPECT_EQ(prompts.buttons, QList<int>({Buttons::OKOnly | Buttons::Exclamation}));
    EXPECT_EQ(standardError.text(), message + "\n");
}

TEST_F(ChangeLogTest, ADiskThatFillsUpStopsTheLogWithOneWarningAndTheEditsGoOn)
{
    StandardErrorCapture standardError;
    const QString fileName = log.GenerateNewLogFileName();
    log.OpenSessionLog(fileName);
    log.LogChange("UPDATE", "CallHandler", "sales", std::nullopt, std::nullopt, "TextName", "Before");
    fileSystem.failWritesIn(logs(), ENOSPC);
    log.LogChange("UPDATE", "CallHandler", "sales", std::nullopt, std::nullopt, "TextName", "Lost");
    log.LogChange("UPDATE", "CallHandler", "sales", std::nullopt, std::nullopt, "TextName", "Lost too");
    const QString message = stoppedLogMessage(fileName, "Disk full");
    EXPECT_EQ(prompts.messages, QStringList({message}));
    EXPECT_EQ(standardError.text(), message + "\n");

    // Space again: the log stays stopped, as the message said, but ends with its trailer.
    fileSystem.failWritesIn(QString(), 0);
    log.LogChange("UPDATE", "CallHandler", "sales", std::nullopt, std::nullopt, "TextName", "After");
    log.CloseSessionLog();
    const QByteArray text = readFile(fileName);
    EXPECT_TRUE(text.contains("TextName, Before\r\n\r\n====")) << text.toStdString();
    EXPECT_FALSE(text.contains("Lost"));
    EXPECT_FALSE(text.contains("After"));
    EXPECT_EQ(prompts.messages.size(), 1);
}

TEST_F(ChangeLogTest, AFullDiskLeavesAnEmptyLogAndSaysSoAtStartUp)
{
    ASSERT_TRUE(QDir(home.path()).mkdir("logs"));
    fileSystem.failWritesIn(logs(), ENOSPC);
    StandardErrorCapture standardError;

    const QString fileName = log.GenerateNewLogFileName();
    log.OpenSessionLog(fileName);
    EXPECT_EQ(prompts.messages, QStringList({stoppedLogMessage(fileName, "Disk full")})) << "told before any edit";
    log.LogChange("UPDATE", "CallHandler", "sales", std::nullopt, std::nullopt, "TextName", "Sales");
    EXPECT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(standardError.text().count("no longer being written"), 1);
    EXPECT_EQ(readFile(fileName), QByteArray());
}

TEST_F(ChangeLogTest, ARunStartedInTheSameSecondKeepsTheFirstRunsLines)
{
    FixedClock secondClock(startOfRun);
    ChangeLog second(ProgramFolder(home.path()), fileSystem, secondClock, workStation, "4.1.15", prompts);
    const QString fileName = log.GenerateNewLogFileName();
    ASSERT_EQ(second.GenerateNewLogFileName(), fileName);

    log.OpenSessionLog(fileName);
    second.OpenSessionLog(fileName);
    log.LogChange("UPDATE", "CallHandler", "first", std::nullopt, std::nullopt, "TextName", "One");
    second.LogChange("UPDATE", "CallHandler", "second", std::nullopt, std::nullopt, "TextName", "Two");
    log.CloseSessionLog();
    second.CloseSessionLog();

    const QByteArray text = readFile(fileName);
    EXPECT_TRUE(text.contains("CallHandler, first, TextName, One\r\n"));
    EXPECT_TRUE(text.contains("CallHandler, second, TextName, Two\r\n"));
    EXPECT_EQ(text.count("Session started at: "), 2);
    EXPECT_EQ(text.count("Session ended at +"), 2);
}

TEST_F(ChangeLogTest, AReadOnlyLogsFolderReportsEachOldFileAndLeavesTheRunWithoutALog)
{
    ASSERT_TRUE(QDir(home.path()).mkdir("logs"));
    writeFile(logs() + "/TWR_031201_08_00_00.txt", startOfRun.addDays(-60));
    writeFile(logs() + "/TWR_031202_08_00_00.txt", startOfRun.addDays(-59));
    fileSystem.failWritesIn(logs(), EACCES);
    StandardErrorCapture standardError;

    log.OpenSessionLog(log.GenerateNewLogFileName());
    log.LogChange("UPDATE", "CallHandler", "sales", std::nullopt, std::nullopt, "TextName", "Sales");

    const QString denied = QStringLiteral("(error):70 (Permission denied) in procedure CleanupLogFiles of Module Module1");
    const QString stopped = stoppedLogMessage(logs() + "/" + logName, "Permission denied");
    EXPECT_EQ(prompts.messages, QStringList({denied, denied, stopped}));
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(filesIn(logs()), QStringList({"TWR_031201_08_00_00.txt", "TWR_031202_08_00_00.txt"}));
}
