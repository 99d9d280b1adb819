#include "data/ChangeLog.h"
#include "dialogs/GetHandlerDialog.h"
#include "fakes/ScriptedDialogs.h"
#include "fixtures/MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kNewLine = QStringLiteral("\r\n");
const QString kSales = QString::fromLatin1(DemoSite::Sales);

// The creations driven through the Get dialogs on the demo site.
class HandlerCreationTest : public ::testing::Test {
protected:
    void start(quint32 build = 0x00020077) // 4.0(2.119)
    {
        f.setVersion(0x00040000, build);
        f.installEmptyWav();
        ASSERT_TRUE(f.load());
        f.prompts.messages.clear();
    }

    QString id(const QString& table, const QString& alias)
    {
        return f.site.scalar(QStringLiteral("SELECT %1ObjectID FROM %1 WHERE Alias = ?1").arg(table), {alias}).textOrEmpty();
    }

    // One line per row a handler owns, in alias order, of the columns given (Null as "-").
    QString rows(const QString& table, const QString& parentId, const QStringList& columns)
    {
        QStringList cells;
        for (const QString& c : columns)
            cells << QStringLiteral("coalesce(%1, '-')").arg(c);
        return f.site
            .scalar(QStringLiteral("SELECT group_concat(line, char(10)) FROM (SELECT Alias || '|' || %1 AS line FROM %2 "
                                   "WHERE ParentObjectID = ?1 ORDER BY Alias)")
                        .arg(cells.join(QStringLiteral(" || '|' || ")), table),
                    {parentId})
            .textOrEmpty();
    }

    QString row(const QString& table, const QString& key, const QString& id, const QStringList& columns)
    {
        QStringList cells;
        for (const QString& c : columns)
            cells << QStringLiteral("coalesce(%1, '-')").arg(c);
        return f.site
            .scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1").arg(cells.join(QStringLiteral(" || '|' || ")), table, key),
                    {id})
            .textOrEmpty();
    }

    QStringList streamFiles() const { return QDir(f.site.streamFilesPath()).entryList(QDir::Files, QDir::Name); }

    // Everything a creation may touch.
    QString snapshot() const
    {
        QString text;
        for (const char* table : {"CallHandler", "MenuEntry", "MessagingRule", "ContactRule", "DTMFAccessID", "InterviewHandler",
                                  "InterviewQuestion", "NameLookupHandler"})
            text += f.site.tableText(QString::fromLatin1(table));
        return text + streamFiles().join(',');
    }

    // The NEW lines of the change log, without their time.
    QStringList newLines() const
    {
        QStringList lines;
        for (const QString& line : f.changeLogText().split(kNewLine))
            if (line.contains(QStringLiteral(", NEW, ")))
                lines << line.section(QStringLiteral(", "), 1);
        return lines;
    }

    // Get Call Handler on its create tab, the template shown being the given one.
    std::unique_ptr<frmMakeNewCallHandler> callHandlerDialog(const QString& templateAlias)
    {
        strTemplateObjectID = id(QStringLiteral("CallHandler"), templateAlias);
        auto dialog = std::make_unique<frmMakeNewCallHandler>(*f.state, searches, result, strTemplateObjectID);
        dialog->tabs->setCurrentIndex(0);
        dialog->startShowing();
        return dialog;
    }

    MainWindowFixture f;
    ScriptedDialogs searches;
    DialogOperations::GetHandlerResult result;
    QString strTemplateObjectID;
};

const QStringList kKeyColumns = {"Action", "ConversationName", "DestinationObjectID", "DestinationObjectIDType", "Locked"};
const QStringList kGreetingColumns = {"Action",       "ConversationName", "DestinationObjectID", "DestinationObjectIDType",
                                      "IgnoreDigits", "PlayWhat",         "Reprompts",           "RepromptDelay",
                                      "TimeExpires"};
const QStringList kTransferColumns = {"PlayWhat", "RNAAction", "TimeExpires", "TransferRings", "TransferType", "SwitchID"};
const QStringList kProfileColumns = {"AdministratorObjectID",
                                     "AdministratorObjectIDType",
                                     "RecipientObjectID",
                                     "RecipientObjectIDType",
                                     "AfterMessageAction",
                                     "AfterMessageConversation",
                                     "AfterMessageObjectID",
                                     "AfterMessageObjectIDType",
                                     "MaxMsgLen",
                                     "EditMsg",
                                     "SendUrgentMsg",
                                     "ScheduleObjectName",
                                     "Language",
                                     "OneKeyDelay"};

class CallHandlerVersions : public HandlerCreationTest, public ::testing::WithParamInterface<quint32> {};

TEST_P(CallHandlerVersions, ACreatedCallHandlerCopiesItsTemplateColumnByColumnAndRowByRow)
{
    // A rule that rings somewhere and one that goes straight to the greeting; a locked key.
    f.site.exec("UPDATE ContactRule SET Action = 1, Extension = '120' WHERE Alias = 'Standard' AND ParentObjectID = "
                "(SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'salesch');"
                "UPDATE ContactRule SET Action = 1, Extension = NULL WHERE Alias = 'Off Hours' AND ParentObjectID = "
                "(SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'salesch');"
                "UPDATE MenuEntry SET Locked = 1 WHERE Alias = '5' AND ParentObjectID = "
                "(SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'salesch');");
    start(GetParam());
    const QStringList filesBefore = streamFiles();
    auto dialog = callHandlerDialog(kSales);
    EXPECT_EQ(dialog->txtHandlerTemplateDisplayName->text(), "Sales");
    dialog->txtHandlerName->setText(QStringLiteral("Night Desk"));
    dialog->txtHandlerExtension->setText(QStringLiteral("4711"));
    dialog->cmdCreateHandler->click();

    EXPECT_EQ(f.prompts.messages, QStringList());
    const QString newId = id(QStringLiteral("CallHandler"), QStringLiteral("NightDesk"));
    const QString templateId = id(QStringLiteral("CallHandler"), kSales);
    ASSERT_FALSE(newId.isEmpty());
    EXPECT_FALSE(result.bCancel);
    EXPECT_EQ(result.strObjectID, newId);
    EXPECT_EQ(row("vw_CallHandler", "CallHandlerObjectID", newId, {"TextName", "DTMFAccessID", "IsPrimary", "Undeletable"}),
              "Night Desk|4711|0|0");
    EXPECT_EQ(row("CallHandler", "CallHandlerObjectID", newId, kProfileColumns),
              row("CallHandler", "CallHandlerObjectID", templateId, kProfileColumns));
    EXPECT_EQ(rows("MenuEntry", newId, kKeyColumns), rows("MenuEntry", templateId, kKeyColumns));
    EXPECT_EQ(rows("MessagingRule", newId, kGreetingColumns), rows("MessagingRule", templateId, kGreetingColumns));
    EXPECT_EQ(rows("ContactRule", newId, kTransferColumns), rows("ContactRule", templateId, kTransferColumns));
    // A ringing rule rings the new extension; one without a number goes to the greeting.
    EXPECT_EQ(rows("ContactRule", newId, {"Action", "Extension"}), "Alternate|0|-\nOff Hours|0|-\nStandard|1|4711");

    // Six fresh silent greetings, one file each.
    const QStringList paths = rows("MessagingRule", newId, {"StreamPath"}).split('\n');
    ASSERT_EQ(paths.size(), 6);
    QStringList added = streamFiles();
    for (const QString& f : filesBefore)
        added.removeOne(f);
    QStringList named;
    for (const QString& p : paths) {
        const QString alias = p.section('|', 0, 0);
        const QString file = p.section('|', 1);
        EXPECT_TRUE(file.startsWith(QStringLiteral("mr_NightDesk_") + alias + "_") && file.endsWith(".wav")) << file.toStdString();
        named << file;
    }
    named.sort();
    EXPECT_EQ(added, named);
    EXPECT_EQ(newLines(), QStringList({"NEW, , , CallHandler, NightDesk, , " + newId}));
}

INSTANTIATE_TEST_SUITE_P(OnBothSidesOfTheGate, CallHandlerVersions,
                         ::testing::Values(0x00020063u, 0x00020062u)); // 4.0(2.99), 4.0(2.98)

TEST_F(HandlerCreationTest, TemplateNullsStayNullAndNoExtensionMakesNoExtensionRow)
{
    f.site.exec(
        "UPDATE CallHandler SET AdministratorObjectID = NULL, AdministratorObjectIDType = NULL, RecipientObjectID = NULL, "
        "RecipientObjectIDType = NULL, AfterMessageAction = NULL, AfterMessageConversation = NULL, AfterMessageObjectID = '', "
        "AfterMessageObjectIDType = NULL, MaxMsgLen = NULL, EditMsg = NULL, SendUrgentMsg = NULL, ScheduleObjectName = NULL, "
        "Language = NULL, OneKeyDelay = NULL WHERE Alias = 'salesch'");
    start();
    auto dialog = callHandlerDialog(kSales);
    dialog->txtHandlerName->setText(QStringLiteral("Bare"));
    dialog->cmdCreateHandler->click();
    const QString newId = id(QStringLiteral("CallHandler"), QStringLiteral("Bare"));
    ASSERT_FALSE(newId.isEmpty()) << f.prompts.messages.join('\n').toStdString();
    EXPECT_EQ(
        row("CallHandler", "CallHandlerObjectID", newId,
            {"AdministratorObjectID", "AdministratorObjectIDType", "RecipientObjectID", "RecipientObjectIDType",
             "AfterMessageObjectID", "AfterMessageObjectIDType", "AfterMessageConversation", "ScheduleObjectName", "Language"}),
        "-|-|-|-|-|-|-|-|-");
    EXPECT_EQ(f.site.scalar("SELECT count(*) FROM DTMFAccessID WHERE ParentObjectID = ?1", {newId}).toInt32(), 0);
}

TEST_F(HandlerCreationTest, AStopInTheMiddleLeavesDatabaseFilesAndLogAsTheyWere)
{
    // The template has a greeting the new handler lacks: the rules copy stops at it, after the
    // transfer rules, the keys and the first greeting files are done.
    f.site.exec("INSERT INTO MessagingRule (ParentObjectID, Alias, Action) "
                "SELECT CallHandlerObjectID, 'Zholiday', 4 FROM CallHandler WHERE Alias = 'salesch'");
    start();
    const QString before = snapshot();
    const QString logBefore = f.changeLogText();
    auto dialog = callHandlerDialog(kSales);
    dialog->txtHandlerName->setText(QStringLiteral("Half Made"));
    dialog->cmdCreateHandler->click();

    EXPECT_EQ(f.prompts.messages, QStringList({"error in cmbCreatCallHandler - target messaging rules missing alias=Zholiday"}));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(f.changeLogText(), logBefore);
    EXPECT_TRUE(result.bCancel);
    EXPECT_NE(dialog->result(), QDialog::Accepted);

    // A database failure on the way is undone the same way; the retry then gets the plain alias.
    f.site.exec("DELETE FROM MessagingRule WHERE Alias = 'Zholiday';"
                "CREATE TRIGGER failing BEFORE UPDATE OF StreamPath ON MessagingRule WHEN NEW.StreamPath LIKE 'mr_HalfMade_Error%' "
                "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END;");
    const QString beforeSecond = snapshot();
    f.prompts.messages.clear();
    dialog->cmdCreateHandler->click();
    EXPECT_EQ(f.prompts.messages, QStringList({"error in cmdCreateHandler_Click:disk trouble"}));
    EXPECT_EQ(snapshot(), beforeSecond);

    f.site.exec("DROP TRIGGER failing");
    f.prompts.messages.clear();
    dialog->cmdCreateHandler->click();
    EXPECT_EQ(f.prompts.messages, QStringList());
    EXPECT_FALSE(id(QStringLiteral("CallHandler"), QStringLiteral("HalfMade")).isEmpty());
    EXPECT_EQ(f.site.scalar("SELECT count(*) FROM CallHandler WHERE Alias LIKE 'HalfMade%'").toInt32(), 1);
}

TEST_F(HandlerCreationTest, BadNamesAndExtensionsAreRefusedBeforeAnythingIsWritten)
{
    start();
    const QString before = snapshot();
    struct Case {
        const char* name;
        const char* extension;
        QStringList messages;
    };
    const QString inUse = QStringLiteral("That extension is in use by the following objects:\r\n"
                                         "    Call Handler with alias=salesch and a display name=Sales\r\n");
    const std::vector<Case> cases = {
        {"", "", {"You must enter a name for the new call handler!"}},
        {" ' '' ", "", {"You must enter a name for the new call handler!"}},
        {"Lobby", "12a", {"Only numbers are allowed for the extension number"}},
        {"Lobby", "1 2", {"Only numbers are allowed for the extension number"}},
        {"Lobby", "-5", {"Extensions must be positive numbers only"}},
        {"Lobby", "120", {inUse}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + std::string("/") + c.extension);
        auto dialog = callHandlerDialog(kSales);
        dialog->txtHandlerName->setText(QString::fromUtf8(c.name));
        dialog->txtHandlerExtension->setText(QString::fromUtf8(c.extension));
        f.prompts.messages.clear();
        // Create is pressed without the extension box ever being left.
        dialog->cmdCreateHandler->click();
        EXPECT_EQ(f.prompts.messages, c.messages);
        EXPECT_TRUE(result.bCancel);
    }
    auto dialog = callHandlerDialog(kSales);
    dialog->txtHandlerTemplateObjectID->setText(QStringLiteral("x"));
    f.prompts.messages.clear();
    dialog->cmdCreateHandler->click();
    EXPECT_EQ(f.prompts.messages, QStringList({"No handler selected for template!"}));
    dialog->txtHandlerTemplateObjectID->setText(QStringLiteral("{GONE}"));
    dialog->txtHandlerName->setText(QStringLiteral("Lobby"));
    f.prompts.messages.clear();
    dialog->cmdCreateHandler->click();
    EXPECT_EQ(f.prompts.messages,
              QStringList({"Error in cmdCreateHandler - the user selected CallHandler template could not be found:{GONE}"}));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(HandlerCreationTest, AnExtensionGivenOutElsewhereWhileTheDialogIsOpenIsRefusedAtCreate)
{
    start();
    const QString inUse = QStringLiteral("That extension is in use by the following objects:\r\n"
                                         "    Call Handler with alias=salesch and a display name=Sales\r\n");
    struct Case {
        const char* kind;
        std::function<std::unique_ptr<GetHandlerDialog>()> open;
    };
    const std::vector<Case> cases = {
        {"call handler", [&]() -> std::unique_ptr<GetHandlerDialog> { return callHandlerDialog(kSales); }},
        {"interview handler", [&] { return std::make_unique<frmMakeNewInterviewer>(*f.state, searches, result); }},
        {"directory handler", [&] { return std::make_unique<frmMakeNewDirectoryHandler>(*f.state, searches, result); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        f.site.exec("UPDATE DTMFAccessID SET DTMFAccessID = '120' WHERE DTMFAccessID = '4711'");
        f.state->cache.RequeryAllRecordsets();
        std::unique_ptr<GetHandlerDialog> dialog = c.open();
        dialog->tabs->setCurrentIndex(0);
        dialog->startShowing();
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        dialog->txtHandlerName->setText(QStringLiteral("Night Desk"));
        dialog->txtHandlerExtension->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(dialog->txtHandlerExtension, QStringLiteral("4711"));
        dialog->txtHandlerName->setFocus(Qt::TabFocusReason); // the box is left: 4711 is free
        f.prompts.messages.clear();
        ASSERT_EQ(dialog->txtHandlerExtension->text(), "4711");

        // Another program gives 4711 to the Sales handler meanwhile.
        f.site.exec("UPDATE DTMFAccessID SET DTMFAccessID = '4711' WHERE DTMFAccessID = '120'");
        const QString before = snapshot();
        const QString logBefore = f.changeLogText();
        dialog->cmdCreateHandler->click();
        EXPECT_EQ(f.prompts.messages, QStringList{inUse});
        EXPECT_EQ(snapshot(), before) << "no row, no greeting or question file";
        EXPECT_EQ(f.changeLogText(), logBefore);
        EXPECT_TRUE(result.bCancel);
        EXPECT_NE(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(f.site.scalar("SELECT count(*) FROM DTMFAccessID WHERE DTMFAccessID = '4711'").toInt32(), 1);
    }
}

TEST_F(HandlerCreationTest, ATakenAliasGetsANumberAndTheNameLosesOnlyItsQuotes)
{
    start();
    auto dialog = callHandlerDialog(kSales);
    dialog->txtHandlerName->setText(QStringLiteral(" Sales'ch "));
    dialog->cmdCreateHandler->click();
    ASSERT_FALSE(result.bCancel) << f.prompts.messages.join('\n').toStdString();
    const QString alias =
        f.site.scalar("SELECT Alias FROM CallHandler WHERE CallHandlerObjectID = ?1", {result.strObjectID}).toText();
    EXPECT_TRUE(alias.startsWith(kSales, Qt::CaseInsensitive) && alias.size() > kSales.size() && alias.size() <= kSales.size() + 5)
        << alias.toStdString();
    EXPECT_EQ(f.site.scalar("SELECT TextName FROM CallHandler WHERE CallHandlerObjectID = ?1", {result.strObjectID}).toText(),
              " Salesch ");
}

// The two whole-number settings take the integer part of the template's value; a value no
// whole number parameter can hold is refused, and nothing is made.
TEST_F(HandlerCreationTest, TemplateFlagsTakeTheirIntegerPartAndAnOutOfRangeOneIsRefused)
{
    f.site.exec("UPDATE CallHandler SET EditMsg = 1.9, SendUrgentMsg = 2.7 WHERE Alias = 'salesch'");
    start();
    auto dialog = callHandlerDialog(kSales);
    dialog->txtHandlerName->setText(QStringLiteral("Fractions"));
    dialog->cmdCreateHandler->click();
    ASSERT_FALSE(result.bCancel) << f.prompts.messages.join('\n').toStdString();
    EXPECT_EQ(row("CallHandler", "CallHandlerObjectID", result.strObjectID, {"typeof(EditMsg)", "EditMsg", "SendUrgentMsg"}),
              "integer|1|2");

    for (const char* update : {"EditMsg = 1e12", "SendUrgentMsg = -3e9", "EditMsg = 9e999"}) {
        SCOPED_TRACE(update);
        f.site.exec(QStringLiteral("UPDATE CallHandler SET EditMsg = 1, SendUrgentMsg = 0, %1 WHERE Alias = 'salesch'")
                        .arg(QLatin1String(update)));
        const QString before = snapshot();
        const QString logBefore = f.changeLogText();
        f.prompts.messages.clear();
        result = {};
        dialog = callHandlerDialog(kSales);
        dialog->txtHandlerName->setText(QStringLiteral("Too Big"));
        dialog->cmdCreateHandler->click();
        EXPECT_EQ(f.prompts.messages, QStringList({"error in cmdCreateHandler_Click:Overflow"}));
        EXPECT_TRUE(result.bCancel);
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(f.changeLogText(), logBefore);
    }
}

TEST_F(HandlerCreationTest, AnInterviewHandlerTakesItsTemplatesLinksAndItsFirstQuestion)
{
    f.site.exec("UPDATE InterviewHandler SET RecipientObjectID = NULL, RecipientObjectIDType = NULL, AfterMessageObjectID = '' "
                "WHERE Undeletable = 1");
    start();
    const QStringList filesBefore = streamFiles();
    frmMakeNewInterviewer dialog(*f.state, searches, result);
    ASSERT_TRUE(dialog.canShow());
    dialog.tabs->setCurrentIndex(0);
    dialog.startShowing();
    const QString templateId = dialog.txtHandlerTemplateObjectID->text();
    EXPECT_EQ(f.site.scalar("SELECT Undeletable FROM InterviewHandler WHERE InterviewHandlerObjectID = ?1", {templateId}).toInt32(),
              1);
    dialog.txtHandlerName->setText(QStringLiteral("Guest's Survey"));
    dialog.cmdCreateHandler->click();

    EXPECT_EQ(f.prompts.messages, QStringList());
    ASSERT_FALSE(result.bCancel);
    const QString newId = result.strObjectID;
    const QStringList copied = {"AdministratorObjectID", "AdministratorObjectIDType", "RecipientObjectID",
                                "RecipientObjectIDType", "AfterMessageAction",        "AfterMessageConversation",
                                "AfterMessageObjectID",  "AfterMessageObjectIDType",  "LocationObjectID"};
    EXPECT_EQ(row("InterviewHandler", "InterviewHandlerObjectID", newId, copied),
              row("InterviewHandler", "InterviewHandlerObjectID", templateId, copied).replace("||", "|-|"));
    EXPECT_EQ(row("vw_InterviewHandler", "InterviewHandlerObjectID", newId, {"Alias", "TextName", "DTMFAccessID", "Undeletable"}),
              "GuestsSurvey|Guest's Survey|-|0");
    EXPECT_EQ(row("InterviewHandler", "InterviewHandlerObjectID", newId, {"RecipientObjectID", "AfterMessageObjectID"}), "-|-");
    const QString question = rows("InterviewQuestion", newId, {"StreamText", "MaxMsgLength", "ParentObjectIDType", "ParentAlias"});
    EXPECT_EQ(question, "1|Question Text|30|5|GuestsSurvey");
    const QString file = f.site.scalar("SELECT StreamPath FROM InterviewQuestion WHERE ParentObjectID = ?1", {newId}).toText();
    EXPECT_TRUE(file.startsWith("iq_GuestsSurvey_1_") && file.endsWith(".wav")) << file.toStdString();
    EXPECT_EQ(streamFiles().size(), filesBefore.size() + 1);
    EXPECT_TRUE(QFile::exists(f.site.streamFilesPath() + file));
    EXPECT_EQ(f.state->cache.rsInterviewHandler.field("InterviewHandlerObjectID").toText(), newId);
    // The handler, then its question, as every question save logs one.
    QStringList logged = f.changeLogText().split(kNewLine);
    logged.erase(logged.begin(),
                 std::find_if(logged.begin(), logged.end(), [](const QString& l) { return l.contains(", NEW, "); }));
    logged.removeAll(QString());
    auto questionLine = [&](const char* column, const QString& value) {
        return ChangeLogLine(f.clock.now(), "UPDATE", "InterviewQuestion", "1", "InterviewHandler", "GuestsSurvey", column, value);
    };
    EXPECT_EQ(logged, QStringList({ChangeLogLine(f.clock.now(), "NEW", "InterviewHandler", "GuestsSurvey", std::nullopt,
                                                 std::nullopt, std::nullopt, newId),
                                   questionLine("Alias", "1"), questionLine("StreamPath", file),
                                   questionLine("StreamText", "Question Text"), questionLine("MaxMsgLength", " 30")}));
}

TEST_F(HandlerCreationTest, AFailedInterviewHandlerCreationLeavesNothing)
{
    f.site.exec("CREATE TRIGGER failing BEFORE INSERT ON InterviewQuestion BEGIN SELECT RAISE(ABORT, 'no room'); END;");
    start();
    const QString before = snapshot();
    frmMakeNewInterviewer dialog(*f.state, searches, result);
    dialog.tabs->setCurrentIndex(0);
    dialog.txtHandlerName->setText(QStringLiteral("Survey"));
    dialog.txtHandlerExtension->setText(QStringLiteral("4712"));
    dialog.cmdCreateHandler->click();
    EXPECT_EQ(f.prompts.messages, QStringList({"error in cmdCreateHandler_Click:no room"}));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(newLines(), QStringList());
    EXPECT_TRUE(result.bCancel);
}

TEST_F(HandlerCreationTest, ADirectoryHandlerTakesTheOldestOnesSettingsWithItsMainExitEverywhere)
{
    f.site.exec("UPDATE NameLookupHandler SET NoInputAction = 4, NoInputObjectID = NULL, Language = NULL, MenuStyle = NULL "
                "WHERE Alias = 'companydirectory'");
    start();
    frmMakeNewDirectoryHandler dialog(*f.state, searches, result);
    EXPECT_FALSE(dialog.cmdCreateHandler->isVisible() && dialog.tabs->currentIndex() == 1);
    dialog.tabs->setCurrentIndex(0);
    dialog.txtHandlerName->setText(QStringLiteral("Staff 'List'"));
    dialog.txtHandlerExtension->setText(QStringLiteral("4713"));
    dialog.cmdCreateHandler->click();

    EXPECT_EQ(f.prompts.messages, QStringList());
    ASSERT_FALSE(result.bCancel);
    const QString newId = result.strObjectID;
    const QString templateId = id("NameLookupHandler", QString::fromLatin1(DemoSite::Directory));
    const QStringList settings = {"ApplicationObjectID",
                                  "SearchScope",
                                  "SearchScopeObjectID",
                                  "StartDialDelay",
                                  "EndDialDelay",
                                  "MaxMatches",
                                  "Tries",
                                  "SayExtension",
                                  "SearchByFirstName",
                                  "UseStarToExit",
                                  "LocationObjectID",
                                  "AdministratorObjectID",
                                  "AdministratorObjectIDType",
                                  "Language"};
    EXPECT_EQ(row("NameLookupHandler", "NameLookupHandlerObjectID", newId, settings),
              row("NameLookupHandler", "NameLookupHandlerObjectID", templateId, settings));
    EXPECT_EQ(row("vw_NameLookupHandler", "NameLookupHandlerObjectID", newId,
                  {"Alias", "TextName", "UID", "DTMFAccessID", "MenuStyle", "Undeletable"}),
              "StaffList|Staff List|StaffList|4713|0|0");
    const QString exit = row("NameLookupHandler", "NameLookupHandlerObjectID", templateId,
                             {"ExitAction", "ExitConversation", "ExitObjectID", "ExitObjectIDType"});
    for (const char* prefix : {"Exit", "NoInput", "NoSelection", "Zero"}) {
        const QString p = QString::fromLatin1(prefix);
        EXPECT_EQ(row("NameLookupHandler", "NameLookupHandlerObjectID", newId,
                      {p + "Action", p + "Conversation", p + "ObjectID", p + "ObjectIDType"}),
                  exit)
            << prefix;
    }
    EXPECT_EQ(f.state->cache.rsNameLookupHandler.field("NameLookupHandlerObjectID").toText(), newId);
    EXPECT_EQ(newLines(), QStringList({"NEW, , , DirectoryHandler, StaffList, , " + newId}));
}

TEST_F(HandlerCreationTest, WithoutAnyDirectoryHandlerThereIsNoTemplate)
{
    f.site.exec("DELETE FROM DTMFAccessID WHERE ParentObjectIDType = 6; DELETE FROM NameLookupHandler;");
    start();
    const QString before = snapshot();
    frmMakeNewDirectoryHandler dialog(*f.state, searches, result);
    dialog.txtHandlerName->setText(QStringLiteral("Staff"));
    dialog.cmdCreateHandler->click();
    EXPECT_EQ(f.prompts.messages, QStringList({"There is no directory handler to copy the settings of the new one from."}));
    EXPECT_EQ(snapshot(), before);
}

} // namespace
