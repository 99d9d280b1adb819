#include "audio/WavFile.h"
#include "environment/LanguageCodes.h"
#include "fixtures/PaneFixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>

namespace {

const QString kMissing = "{0BADBEEF-0000-0000-0000-000000000000}";
const QString kPast = "1993-01-02 00:00:00";
const QString kFuture = "2030-01-01 00:00:00";
const QStringList kWatched = {"CallHandler", "MessagingRule", "ContactRule", "DTMFAccessID", "Subscriber"};

struct CallHandlerPaneSite : PaneFixture {
    QString tables() const { return tablesText(kWatched); }
};

class CallHandlerPane : public ::testing::Test, public CallHandlerPaneSite {};

TEST_F(CallHandlerPane, EachCodeAndNullIsShownAsItsControlCanAndTheLoadWritesNothing)
{
    nameEveryGreetingFile();
    const QString operatorId = handlerId("operatorch");
    const QString feedback = idOf("InterviewHandler", "InterviewHandlerObjectID", "customerfeedback");
    const QString team = idOf("DistributionList", "SystemDListObjectID", "supportteam");
    exec("UPDATE CallHandler SET AdministratorObjectID = ?, RecipientObjectID = NULL, Language = 1031, "
         "ScheduleObjectName = 'weekdays', MaxMsgLen = 120, EditMsg = NULL, SendUrgentMsg = 7, AfterMessageAction = 1, "
         "AfterMessageConversation = NULL, AfterMessageObjectID = NULL WHERE CallHandlerObjectID = $H",
         "goodbyech", {team});
    exec("UPDATE ContactRule SET SwitchID = 1 WHERE ParentObjectID = $H", "goodbyech");
    exec("UPDATE ContactRule SET Action = 1, TransferType = 0, TransferRings = 6, Extension = '190,,#', TimeExpires = NULL "
         "WHERE ParentObjectID = $H AND Alias = 'Standard'",
         "goodbyech");
    exec("UPDATE ContactRule SET Action = 1, Extension = '555', TimeExpires = ? WHERE ParentObjectID = $H AND Alias = 'Off Hours'",
         "goodbyech", {kPast});
    exec("UPDATE ContactRule SET Action = NULL, TransferType = NULL, TransferRings = NULL, Extension = NULL, TimeExpires = NULL "
         "WHERE ParentObjectID = $H AND Alias = 'Alternate'",
         "goodbyech");
    exec("UPDATE MessagingRule SET IgnoreDigits = 1, PlayWhat = 2, Reprompts = 9 WHERE ParentObjectID = $H AND Alias = 'Standard'",
         "goodbyech");
    exec("UPDATE MessagingRule SET TimeExpires = ?, IgnoreDigits = NULL, PlayWhat = NULL, Reprompts = 10, StreamPath = '   ' "
         "WHERE ParentObjectID = $H AND Alias = 'Off Hours'",
         "goodbyech", {kFuture});
    exec("UPDATE MessagingRule SET TimeExpires = ?, PlayWhat = 3, Reprompts = 2, StreamPath = 'C:\\Talvo\\busy.wav', "
         "Action = 2, ConversationName = 'PHTransfer', DestinationObjectID = ? WHERE ParentObjectID = $H AND Alias = 'Busy'",
         "goodbyech", {kPast, operatorId});
    exec("UPDATE MessagingRule SET Action = NULL, Reprompts = NULL WHERE ParentObjectID = $H AND Alias = 'Alternate'", "goodbyech");
    exec("DELETE FROM MessagingRule WHERE ParentObjectID = $H AND Alias = 'Internal'", "goodbyech");
    exec("UPDATE MessagingRule SET Action = 2, ConversationName = 'CHInterview', DestinationObjectID = ?, PlayWhat = 1 "
         "WHERE ParentObjectID = $H AND Alias = 'Error'",
         "goodbyech", {feedback});

    exec("UPDATE CallHandler SET RecipientObjectID = ?, Language = NULL, ScheduleObjectName = 'Nights', SendUrgentMsg = 0, "
         "EditMsg = 1 WHERE CallHandlerObjectID = $H",
         "operatorch", {kMissing});
    exec("UPDATE ContactRule SET SwitchID = 5 WHERE ParentObjectID = $H", "operatorch");
    exec("UPDATE ContactRule SET TransferType = 5 WHERE ParentObjectID = $H AND Alias = 'Standard'", "operatorch");
    exec("DELETE FROM ContactRule WHERE ParentObjectID = $H AND Alias = 'Off Hours'", "operatorch");

    exec("UPDATE CallHandler SET AdministratorObjectID = NULL, SendUrgentMsg = 1, ScheduleObjectName = NULL "
         "WHERE CallHandlerObjectID = $H",
         "supportch");

    const QString before = tables();
    start();
    EXPECT_EQ(tables(), before) << "the start-up shows the opening greeting and writes nothing";

    // Goodbye: an owner that is a list, no recipient, German, a schedule written in another case,
    // a release rule, a switched-off rule, a rule with Nulls; greetings with codes the lists lack,
    // a missing one.
    f.prompts.messages.clear();
    show("goodbyech");
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in LoadTabInfo, could not find messaging rule"});
    EXPECT_EQ(control<QLabel>("lblCurrentObjectDisplayName")->text(), "Goodbye");
    const QString standard = greetingColumn("goodbyech", "Standard", "StreamPath").toText();
    expectShown({
        {"txtHandlerProfileDisplayName", "Goodbye"},
        {"txtHandlerProfileAlias", "goodbyech"},
        {"txtHandlerProfileOwner", "Support Team"},
        {"txtHandlerProfileExtension", "190"},
        {"txtHandlerProfileLanguage", LanguageCodes::GetLanguageNameFromCode("DEU")},
        {"cmbHandlerProfileSchedule", "Weekdays"},
        {"txtHandlerProfileSwitch", "Branch SIP Gateway"},
        // Standard: rings a phone by release.
        {"chkHandlerTransferEnabled_0", "[x]"},
        {"optHandlerTransferAttemptRingPhone_0", "(o)"},
        {"optHandlerTransferSendToGreeting_0", "( )"},
        {"cmbHandlerTransferType_0", "Release"},
        {"txtHandlerTransferRingstoWait_0", "6"},
        {"txtHandlerTransferString_0", "190,,#"},
        // Off Hours: switched off, its action shown for when it is switched on again.
        {"chkHandlerTransferEnabled_1", "[ ]"},
        {"optHandlerTransferAttemptRingPhone_1", "(o)"},
        {"optHandlerTransferSendToGreeting_1", "( )"},
        {"cmbHandlerTransferType_1", "Supervised"},
        {"txtHandlerTransferRingstoWait_1", "4"},
        {"txtHandlerTransferString_1", "555"},
        // Alternate: on, every column Null.
        {"chkHandlerTransferEnabled_2", "[x]"},
        {"optHandlerTransferAttemptRingPhone_2", "( )"},
        {"optHandlerTransferSendToGreeting_2", "(o)"},
        {"cmbHandlerTransferType_2", "Supervised"},
        {"txtHandlerTransferRingstoWait_2", ""},
        {"txtHandlerTransferString_2", ""},
        // Greetings.
        {"txtHandlerGreetingsAfterGreetingAction_0", "Hang Up"},
        {"chkHandlerGreetingEnabled_0", "[x]"},
        {"chkHandlerGreetingAllowUserInput_0", "[ ]"},
        {"cmbHandlerGreetingSource_0", "Blank"},
        {"cmbHandlerGreetingRepeat_0", "9 times"},
        {"txtHandlerGreetingStreamPath_0", standard},
        {"txtHandlerGreetingObjectID_0", greetingColumn("goodbyech", "Standard", "MessagingRuleObjectID").toText()},
        {"txtHandlerGreetingsAfterGreetingAction_1", "Hang Up"},
        {"chkHandlerGreetingEnabled_1", "[x]"},
        {"chkHandlerGreetingAllowUserInput_1", "[x]"},
        {"cmbHandlerGreetingSource_1", "(none)"},
        {"cmbHandlerGreetingRepeat_1", "(none)"},
        {"txtHandlerGreetingStreamPath_1", "   "},
        {"txtHandlerGreetingsAfterGreetingAction_2", "Ring phone for: Operator"},
        {"chkHandlerGreetingEnabled_2", "[ ]"},
        {"cmbHandlerGreetingSource_2", "(none)"},
        {"cmbHandlerGreetingRepeat_2", "2 times"},
        {"txtHandlerGreetingStreamPath_2", "C:\\Talvo\\busy.wav"},
        {"txtHandlerGreetingsAfterGreetingAction_3", ""},
        {"chkHandlerGreetingEnabled_3", "[ ]"},
        {"cmbHandlerGreetingRepeat_3", "(none)"},
        {"txtHandlerGreetingsAfterGreetingAction_4", ""},
        {"chkHandlerGreetingEnabled_4", "[ ]"},
        {"chkHandlerGreetingAllowUserInput_4", "[ ]"},
        {"cmbHandlerGreetingSource_4", "(none)"},
        {"txtHandlerGreetingStreamPath_4", ""},
        {"txtHandlerGreetingObjectID_4", ""},
        {"txtHandlerGreetingsAfterGreetingAction_5", "Send to interviewer: Customer Feedback"},
        {"cmbHandlerGreetingSource_5", "Recording"},
        // Messages.
        {"txtHandlerMessagesRecipient", ""},
        {"txtHandlerMessagesMaxMessageLength", "120"},
        {"chkHandlerMessagesCanEditMessages", "[ ]"},
        {"cmbHandlerMessagesCanMarkUrgent", "Ask Caller"},
        {"txtHandlerMessagesAfterMessageAction", "Hang Up"},
    });
    expectEnabled({"optHandlerTransferAttemptRingPhone_0", "cmbHandlerTransferType_0", "txtHandlerTransferRingstoWait_0",
                   "txtHandlerTransferString_0", "optHandlerTransferSendToGreeting_2", "chkHandlerGreetingAllowUserInput_1",
                   "cmbHandlerGreetingSource_1", "txtHandlerGreetingsAfterGreetingAction_5"},
                  true);
    expectEnabled({"optHandlerTransferAttemptRingPhone_1", "optHandlerTransferSendToGreeting_1", "cmbHandlerTransferType_1",
                   "txtHandlerTransferRingstoWait_1", "txtHandlerTransferString_1", "cmbHandlerTransferType_2",
                   "txtHandlerTransferRingstoWait_2", "txtHandlerTransferString_2", "txtHandlerGreetingsAfterGreetingAction_2",
                   "chkHandlerGreetingAllowUserInput_2", "cmbHandlerGreetingChangeAfterGreetingAction_2",
                   "cmbHandlerGreetingSource_2", "cmbHandlerGreetingRepeat_2"},
                  false);
    EXPECT_FALSE(control("chkHandlerGreetingEnabled_0")->isVisibleTo(pane));
    EXPECT_FALSE(control("chkHandlerTransferEnabled_0")->isVisibleTo(pane));
    const QMap<QString, QString> goodbye = callHandlerPage();

    // Operator after it: what goodbye showed does not stay where the operator has nothing.
    f.prompts.messages.clear();
    show("operatorch");
    EXPECT_EQ(f.prompts.messages,
              QStringList({"This call handler is set for a schedule that doesn't exist on the system: Nights. Please choose one "
                           "of the listed schedules.",
                           "Error in LoadTabInfo.  Could not find contact rule: 1",
                           "Error in LoadTabInfo.  Could not find recipient for handler.  ObjectID=" + kMissing}));
    expectShown({
        {"txtHandlerProfileOwner", "Alice Moreno"},
        {"txtHandlerProfileLanguage", LanguageCodes::GetLanguageNameFromCode("ENU")},
        {"cmbHandlerProfileSchedule", "(none)"},
        {"txtHandlerProfileSwitch", ""},
        {"cmbHandlerTransferType_0", "Supervised"},
        {"optHandlerTransferAttemptRingPhone_0", "(o)"},
        {"txtHandlerTransferString_0", "2001"},
        {"chkHandlerTransferEnabled_1", "[ ]"},
        {"txtHandlerTransferString_1", ""},
        {"txtHandlerTransferRingstoWait_1", ""},
        {"cmbHandlerTransferType_1", "(none)"},
        {"txtHandlerMessagesRecipient", ""},
        {"chkHandlerMessagesCanEditMessages", "[x]"},
        {"cmbHandlerMessagesCanMarkUrgent", "Never"},
        {"txtHandlerMessagesAfterMessageAction", "Send to greeting for: Goodbye"},
    });

    // Support: no owner, a list as recipient, no schedule.
    f.prompts.messages.clear();
    show("supportch");
    EXPECT_EQ(f.prompts.messages, QStringList{"Error, could not find owner for handler.  Please assign a subscriber or "
                                              "distribution list as the owner of this call handler."});
    expectShown({{"txtHandlerProfileOwner", ""},
                 {"txtHandlerMessagesRecipient", "Support Team"},
                 {"cmbHandlerProfileSchedule", "(none)"},
                 {"cmbHandlerMessagesCanMarkUrgent", "Always"},
                 {"txtHandlerMessagesAfterMessageAction", "Route to Alpha Directory"}});

    // A handler already on the row's path loads as any other.
    show("goodbyech", 98);
    EXPECT_EQ(callHandlerPage(), goodbye);
    EXPECT_EQ(f.state->cache.rsCallHandler.field("Alias").toText(), "goodbyech");

    EXPECT_EQ(tables(), before) << "no load wrote a code back";
    EXPECT_TRUE(updateLines().isEmpty()) << changeLog().toStdString();
}

TEST_F(CallHandlerPane, ARowChangeWhileALoadWaitsOnAMessageShowsTheSecondHandlerAlone)
{
    nameEveryGreetingFile();
    // Operator's load stops part-way on a message box about its schedule.
    exec("UPDATE CallHandler SET ScheduleObjectName = 'Nights' WHERE CallHandlerObjectID = $H", "operatorch");
    start();
    show("goodbyech");
    const QMap<QString, QString> goodbye = callHandlerPage();
    show("operatorch");
    ASSERT_FALSE(f.prompts.messages.isEmpty());

    // The same, with goodbye asked for while operator's first message is up.
    f.prompts.whileShown = [&](const QString&) {
        f.prompts.whileShown = nullptr;
        show("goodbyech");
    };
    show("operatorch");
    EXPECT_EQ(callHandlerPage(), goodbye);
    EXPECT_EQ(shown("txtHandlerProfileAlias"), "goodbyech");
}

TEST_F(CallHandlerPane, AnIdWithoutHandlerSaysSoAndLeavesNothingOfTheObjectShownBefore)
{
    start();
    show("operatorch");
    f.prompts.messages.clear();
    pane->LoadTabInfo(kMissing, 3);
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in LoadTabInfo. could not find handler reference:" + kMissing});
    for (const char* name : {"txtHandlerProfileDisplayName", "txtHandlerTransferString_0", "txtHandlerGreetingObjectID_0"})
        EXPECT_EQ(shown(name), "") << name;
    EXPECT_EQ(control<QLabel>("lblCurrentObjectDisplayName")->text(), "");
    EXPECT_TRUE(pane->ShownCallHandlerID(EditorPage::CallHandler).isEmpty());
}

TEST_F(CallHandlerPane, AGreetingWithoutFileGetsACopyOfTheSilentGreetingNamedAfterItsHandler)
{
    // The generated file: one second of telephone-format silence.
    const WavData silence = readWavFile(TW_EMPTY_WAV_PATH);
    EXPECT_EQ(silence.format.sampleRate, 8000);
    EXPECT_EQ(silence.format.channels, 1);
    EXPECT_EQ(silence.samples, QByteArray(16000, '\0'));

    nameEveryGreetingFile();
    exec("UPDATE MessagingRule SET StreamPath = NULL WHERE ParentObjectID = $H AND Alias IN ('Standard', 'Busy', 'Error')",
         "salesch");
    exec("UPDATE MessagingRule SET StreamPath = '' WHERE ParentObjectID = $H AND Alias = 'Off Hours'", "salesch");
    f.installEmptyWav();
    start();
    const QStringList filesBefore = QDir(f.site.streamFilesPath()).entryList(QDir::Files);
    show("salesch");

    QFile empty(QDir(f.programFolder.path()).filePath("empty.wav"));
    ASSERT_TRUE(empty.open(QIODevice::ReadOnly));
    const QByteArray silent = empty.readAll();
    QStringList expectedLog, made;
    const QStringList repaired = {"Standard", "Off Hours", "Busy", "Error"};
    for (int i = 0; i < 6; ++i) {
        const QString alias = GreetingAlias[size_t(i)];
        const QString name = greetingColumn("salesch", alias, "StreamPath").toText();
        EXPECT_EQ(shown(QString("txtHandlerGreetingStreamPath_%1").arg(i)), name);
        if (!repaired.contains(alias))
            continue;
        const QRegularExpression pattern("^mr_salesch_" + QRegularExpression::escape(alias) + "_(\\d{1,5})\\.wav$");
        EXPECT_TRUE(pattern.match(name).hasMatch()) << name.toStdString();
        QFile file(f.site.streamFilesPath() + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_EQ(file.readAll(), silent);
        expectedLog << logLine("MessagingRule", alias, "salesch", "StreamPath", name);
        made << name;
    }
    EXPECT_EQ(updateLines(), expectedLog);
    made.sort();
    QStringList filesAfter = QDir(f.site.streamFilesPath()).entryList(QDir::Files);
    for (const QString& file : filesBefore)
        filesAfter.removeOne(file);
    EXPECT_EQ(filesAfter, made);

    // Repaired once: the next load writes nothing.
    const QString log = changeLog();
    show("salesch");
    EXPECT_EQ(changeLog(), log);
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

// Another program empties a greeting's file name after the page has shown the handler: showing it
// again repairs the greeting as a first showing does.
TEST_F(CallHandlerPane, AGreetingEmptiedElsewhereAfterAShowingIsRepairedWhenShownAgain)
{
    for (const char* emptied : {"''", "NULL"}) {
        SCOPED_TRACE(emptied);
        CallHandlerPaneSite t;
        t.nameEveryGreetingFile();
        t.f.installEmptyWav();
        t.start();
        t.show("salesch");
        t.show("operatorch");
        t.exec(QString("UPDATE MessagingRule SET StreamPath = %1 WHERE ParentObjectID = $H AND Alias = 'Off Hours'").arg(emptied),
               "salesch");
        t.show("salesch");
        const QString name = t.greetingColumn("salesch", "Off Hours", "StreamPath").toText();
        EXPECT_TRUE(name.startsWith("mr_salesch_Off Hours_")) << name.toStdString();
        EXPECT_EQ(t.shown("txtHandlerGreetingStreamPath_1"), name);
        EXPECT_TRUE(QFile::exists(t.f.site.streamFilesPath() + name));
        EXPECT_EQ(t.updateLines(), QStringList{t.logLine("MessagingRule", "Off Hours", "salesch", "StreamPath", name)});
        EXPECT_TRUE(t.f.prompts.messages.isEmpty()) << t.f.prompts.messages.join('|').toStdString();
    }
}

TEST_F(CallHandlerPane, TheRepairNeverOverwritesAFileOfTheNameItDrew)
{
    nameEveryGreetingFile();
    exec("UPDATE MessagingRule SET StreamPath = NULL WHERE ParentObjectID = $H AND Alias = 'Busy'", "salesch");
    f.installEmptyWav();
    start();
    // The name the run's generator draws next is taken already.
    f.state->random.seed(7);
    QRandomGenerator probe(7);
    const QString taken = QString("mr_salesch_Busy_%1.wav").arg(int(probe.generateDouble() * 100000));
    QFile existing(f.site.streamFilesPath() + taken);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("somebody's greeting");
    existing.close();

    show("salesch");
    const QString name = greetingColumn("salesch", "Busy", "StreamPath").toText();
    EXPECT_NE(name, taken);
    EXPECT_TRUE(name.startsWith("mr_salesch_Busy_")) << name.toStdString();
    EXPECT_TRUE(QFile::exists(f.site.streamFilesPath() + name));
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), "somebody's greeting");
    EXPECT_EQ(updateLines(), QStringList{logLine("MessagingRule", "Busy", "salesch", "StreamPath", name)});
}

TEST_F(CallHandlerPane, ARepairThatCannotFinishLeavesRowLogAndFolderAsTheyWere)
{
    const struct {
        const char* what;
        std::function<void(CallHandlerPaneSite&)> breakIt;
    } cases[] = {
        {"no empty.wav beside the program",
         [](CallHandlerPaneSite& t) { QFile::remove(QDir(t.f.programFolder.path()).filePath("empty.wav")); }},
        {"the stream-files folder is a file",
         [](CallHandlerPaneSite& t) {
             const QString folder = t.f.site.streamFilesPath().chopped(1);
             ASSERT_TRUE(QDir(folder).removeRecursively());
             QFile file(folder);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
         }},
        {"the database refuses the row",
         [](CallHandlerPaneSite& t) {
             t.f.site.exec("CREATE TRIGGER refuse BEFORE UPDATE OF StreamPath ON MessagingRule "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CallHandlerPaneSite t;
        t.nameEveryGreetingFile();
        t.exec("UPDATE MessagingRule SET StreamPath = NULL WHERE ParentObjectID = $H AND Alias = 'Busy'", "salesch");
        t.f.installEmptyWav();
        t.start();
        const QStringList files = QDir(t.f.site.streamFilesPath()).entryList(QDir::Files);
        c.breakIt(t);
        const QString before = t.tables();
        t.show("salesch");
        EXPECT_EQ(t.tables(), before);
        EXPECT_TRUE(t.updateLines().isEmpty()) << t.changeLog().toStdString();
        EXPECT_EQ(t.shown("txtHandlerGreetingStreamPath_2"), "");
        EXPECT_TRUE(t.f.prompts.messages.isEmpty()) << t.f.prompts.messages.join('|').toStdString();
        if (QFileInfo(t.f.site.streamFilesPath()).isDir()) {
            EXPECT_EQ(QDir(t.f.site.streamFilesPath()).entryList(QDir::Files), files) << "no file is left behind";
        }
    }
}

} // namespace
