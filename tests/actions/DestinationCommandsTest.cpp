#include "actions/DestinationCommands.h"

#include "actions/ActionsFixture.h"
#include "dialogs/HandlerCreation.h"
#include "fakes/ScriptedDialogs.h"
#include "pane/PropertyPane.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

namespace {

using namespace TreeNodeType;

struct DialogsFirst {
    ScriptedDialogs dialogs;
};

class DestinationCommandsTest : public ::testing::Test, public DialogsFirst, public ActionsFixture {
protected:
    DestinationCommandsTest()
        : ActionsFixture(&dialogs)
    {
        // The creations give new questions a silent recording of their own.
        f.installEmptyWav();
    }

    // The change lines but the greeting-file repairs that loading a page makes.
    QStringList updateLines() const
    {
        QStringList lines = ActionsFixture::updateLines();
        lines.removeIf([](const QString& l) { return l.contains(", MessagingRule, ") && l.contains(", StreamPath, "); });
        return lines;
    }
    QString interviewId(const QString& alias) const { return idOf("InterviewHandler", "InterviewHandlerObjectID", alias); }
    QString directoryId(const QString& alias) const { return idOf("NameLookupHandler", "NameLookupHandlerObjectID", alias); }
    // Every stored question of a handler: "alias|text|path|limit", in order.
    QString questionsOf(const QString& handlerId) const
    {
        return f.site
            .scalar("SELECT coalesce(group_concat(q, ';'), '') FROM (SELECT Alias || '|' || coalesce(StreamText, '') || '|' || "
                    "coalesce(StreamPath, '') || '|' || coalesce(MaxMsgLength, '') AS q FROM InterviewQuestion "
                    "WHERE ParentObjectID = ? ORDER BY Alias)",
                    {handlerId})
            .toText();
    }
    PropertyPane& pane() { return f.program->pane(); }
    void showInPane(const QString& id, qint16 nodeType)
    {
        ASSERT_TRUE(pane().ShowNodeTypeTab(nodeType));
        pane().LoadTabInfo(id, nodeType);
    }
    void press(const char* button)
    {
        f.control<QPushButton>(button)->click();
        menu().hide();
    }
    QString box(const char* name) { return f.control<QLineEdit>(name)->text(); }
    QString databaseText() const
    {
        return f.site
            .scalar("SELECT (SELECT group_concat(coalesce(Action, '') || coalesce(ConversationName, '') || "
                    "coalesce(DestinationObjectID, ''), ',') FROM MenuEntry) || (SELECT group_concat(coalesce(Action, '') || "
                    "coalesce(DestinationObjectID, ''), ',') FROM MessagingRule) || (SELECT group_concat(coalesce(ExitAction, '') "
                    "|| coalesce(ExitObjectID, ''), ',') FROM NameLookupHandler) || (SELECT count(*) FROM InterviewQuestion)")
            .toText();
    }
};

TEST_F(DestinationCommandsTest, EachCommandFromTheTreeStoresLogsAndRedrawsTheKey)
{
    const QString salesId = handlerId("salesch");
    const QString feedback = interviewId("customerfeedback");
    const QString benHandler = ownHandlerOf("bcarter");
    const QString directory = directoryId("companydirectory");
    struct Case {
        const char* item;
        std::function<void()> script;
        QString stored; // action|conversation|destination|type|locked
        QString conversation, destination, type;
        qint16 nodeType;
        const char* dialog;
    };
    const Case cases[] = {
        {"LinkCallHandler", [&] { dialogs.pickCallHandler(salesId); }, "2|PHTransfer|" + salesId + "|3|0", "PHTransfer", salesId,
         " 3", CallHandler, "frmMakeNewCallHandler"},
        {"LinkInterviewer", [&] { dialogs.pickInterviewer(feedback); }, "2|CHInterview|" + feedback + "|5|0", "CHInterview",
         feedback, " 5", Interviewer, "frmMakeNewInterviewer"},
        {"LinkSubscriber", [&] { dialogs.pickSubscriber(benHandler); }, "2|PHTransfer|" + benHandler + "|3|0", "PHTransfer",
         benHandler, " 3", Subscriber, "frmSubscriberSearch"},
        {"LinkDirectoryHandler", [&] { dialogs.pickDirectoryHandler(directory); }, "2|AD|" + directory + "|6|0", "AD", directory,
         " 6", DirectoryHandler, "frmMakeNewDirectoryHandler"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        storeKey("openinggreetingch", "0", 1, Variant::null(), Variant::null(), Variant::null());
        rebuild();
        const int key = row({"0"});
        select(key);
        const int linesBefore = updateLines().size();
        dialogs.shown.clear();
        c.script();
        f.control<QAction>(c.item)->trigger();
        EXPECT_EQ(dialogs.shown, QStringList{c.dialog});
        EXPECT_EQ(keyRow("openinggreetingch", "0"), c.stored);
        EXPECT_EQ(updateLines().mid(linesBefore),
                  QStringList({keyLine("0", "openinggreetingch", "Action", " 2"),
                               keyLine("0", "openinggreetingch", "ConversationName", c.conversation),
                               keyLine("0", "openinggreetingch", "DestinationObjectIDType", c.type),
                               keyLine("0", "openinggreetingch", "DestinationObjectID", c.destination)}));
        EXPECT_EQ(type(key), c.nodeType);
        EXPECT_EQ(objectId(key), c.destination);
        EXPECT_EQ(checkedItems().first(), QString(c.item)) << "the row shown again marks its new destination";
    }
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(DestinationCommandsTest, ACancelledDialogChangesNothing)
{
    select(row({"1"}));
    const QString before = databaseText();
    const QString rowText = text(row({"1"}));
    for (const char* item : {"LinkCallHandler", "LinkInterviewer", "LinkSubscriber", "LinkDirectoryHandler"}) {
        SCOPED_TRACE(item);
        dialogs.shown.clear();
        f.control<QAction>(item)->trigger();
        EXPECT_EQ(dialogs.shown.size(), 1);
    }
    EXPECT_EQ(databaseText(), before);
    EXPECT_TRUE(updateLines().isEmpty());
    EXPECT_EQ(text(row({"1"})), rowText);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(DestinationCommandsTest, SendingToAnotherInterviewHandlerLeavesEveryHandlersQuestions)
{
    const QString a = interviewId("customerfeedback");
    const QString b = interviewId("interviewtemplate");
    f.site.execute("INSERT INTO InterviewQuestion (ParentObjectID, Alias, StreamText, StreamPath, MaxMsgLength, UID) "
                   "VALUES (?, 1, 'B only', 'b.wav', 20, 90)",
                   {b});
    state().cache.RequeryAllRecordsets();
    const QString questionsA = questionsOf(a);
    const QString questionsB = questionsOf(b);
    ASSERT_FALSE(questionsA.isEmpty());

    // Handler A in the pane, then a key sent to handler B, picked.
    const int key = row({"1"});
    select(key);
    showInPane(a, Interviewer);
    dialogs.pickInterviewer(b);
    menu().LinkInterviewer->trigger();
    EXPECT_EQ(keyRow("openinggreetingch", "1"), "2|CHInterview|" + b + "|5|0");
    EXPECT_EQ(questionsOf(a), questionsA);
    EXPECT_EQ(questionsOf(b), questionsB);

    // A handler created in the dialog keeps exactly the question it was made with.
    QString created;
    dialogs.whileShown = [&] {
        created = createInterviewHandler(state(), b, "Exit Survey", QString());
        dialogs.pickInterviewer(created);
    };
    select(row({"2"}));
    showInPane(a, Interviewer);
    menu().LinkInterviewer->trigger();
    ASSERT_FALSE(created.isEmpty());
    EXPECT_EQ(questionsOf(created).count(';'), 0);
    EXPECT_TRUE(questionsOf(created).startsWith("1|Question Text|iq_"));
    EXPECT_EQ(questionsOf(a), questionsA);
    EXPECT_EQ(questionsOf(b), questionsB);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(DestinationCommandsTest, AnInterviewHandlersAfterMessageLinkGoesToTheHandlerShownNotTheOneCreated)
{
    const QString a = interviewId("customerfeedback");
    const QString questionsA = questionsOf(a);
    showInPane(a, Interviewer);
    press("cmdInterviewerProfileChangeAfterMessageAction");
    QString created;
    dialogs.whileShown = [&] {
        created = createInterviewHandler(state(), a, "Exit Survey", QString());
        dialogs.pickInterviewer(created);
    };
    const int linesBefore = updateLines().size();
    menu().LinkInterviewer->trigger();
    ASSERT_FALSE(created.isEmpty());
    EXPECT_EQ(linkColumns("InterviewHandler", "AfterMessage", "InterviewHandlerObjectID", a), "2|CHInterview|" + created + "|5");
    EXPECT_NE(linkColumns("InterviewHandler", "AfterMessage", "InterviewHandlerObjectID", created).section('|', 2, 2), created);
    // The created handler's question, then the link.
    EXPECT_EQ(updateLines().mid(linesBefore + 4),
              QStringList({line("Interviewer", "customerfeedback", "AfterMessageAction", " 2"),
                           line("Interviewer", "customerfeedback", "AfterMessageConversation", "CHInterview"),
                           line("Interviewer", "customerfeedback", "AfterMessageObjectIDType", " 5"),
                           line("Interviewer", "customerfeedback", "AfterMessageObjectID", created)}));
    EXPECT_EQ(box("txtInterviewerAfterMessageAction"), "Send to interviewer: Exit Survey");
    EXPECT_EQ(state().cache.rsInterviewHandler.field("InterviewHandlerObjectID").toText(), a);
    EXPECT_EQ(questionsOf(a), questionsA);
    EXPECT_EQ(questionsOf(created).count('|'), 3);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(DestinationCommandsTest, ACreatedHandlerWhoseLinkIsRefusedStaysWithItsQuestionAndTheMessageSaysSo)
{
    const QString templateId = interviewId("interviewtemplate");
    const int key = row({"1"});
    select(key);
    const QString keyBefore = keyRow("openinggreetingch", "1");
    f.site.exec("CREATE TRIGGER refused BEFORE UPDATE ON MenuEntry BEGIN SELECT RAISE(ABORT, 'key locked'); END;");
    const QStringList filesBefore = QDir(f.site.streamFilesPath()).entryList(QDir::Files);
    const int linesBefore = f.changeLogText().split("\r\n").size();
    QString created;
    dialogs.whileShown = [&] {
        created = createInterviewHandler(state(), templateId, "Exit Survey", QString());
        dialogs.createdInterviewer(created);
    };
    menu().LinkInterviewer->trigger();
    ASSERT_FALSE(created.isEmpty());

    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].startsWith("(error):")) << messages()[0].toStdString();
    EXPECT_TRUE(messages()[0].endsWith("key locked) in procedure linkProcessLinkInfo of Form frmMain\r\n"
                                       "The new interview handler was created; the link to it was not made."))
        << messages()[0].toStdString();
    // The key is as it was; the handler and its question are stored, with the question's file.
    EXPECT_EQ(keyRow("openinggreetingch", "1"), keyBefore);
    const QString question = questionsOf(created);
    EXPECT_TRUE(question.startsWith("1|Question Text|iq_ExitSurvey_1_") && question.endsWith(".wav|30")) << question.toStdString();
    const QString file = question.section('|', 2, 2);
    QStringList files = QDir(f.site.streamFilesPath()).entryList(QDir::Files);
    files.removeOne(file);
    EXPECT_EQ(files, filesBefore);
    // The log holds what was stored and nothing of the link.
    auto questionLine = [&](const char* column, const QString& value) {
        return ChangeLogLine(f.clock.now(), "UPDATE", "InterviewQuestion", "1", "InterviewHandler", "ExitSurvey", column, value);
    };
    QStringList logged = f.changeLogText().split("\r\n").mid(linesBefore - 1);
    logged.removeAll(QString());
    EXPECT_EQ(logged, QStringList({ChangeLogLine(f.clock.now(), "NEW", "InterviewHandler", "ExitSurvey", std::nullopt, std::nullopt,
                                                 std::nullopt, created),
                                   questionLine("Alias", "1"), questionLine("StreamPath", file),
                                   questionLine("StreamText", "Question Text"), questionLine("MaxMsgLength", " 30")}));
}

TEST_F(DestinationCommandsTest, AGreetingIsWrittenForTheHandlerShownWhereverTheDialogLeftTheRecordsets)
{
    const QString goodbye = handlerId("goodbyech");
    const QString salesId = handlerId("salesch");
    showInPane(salesId, CallHandler);
    press("cmbHandlerGreetingChangeAfterGreetingAction_1"); // Off Hours
    EXPECT_EQ(popUpState().strTabChildAlias(), "AG");
    dialogs.whileShown = [&] {
        // A creation requeries and leaves the recordsets on its own rows.
        RecordsetCache& cache = state().cache;
        cache.rsCallHandler.moveFirst();
        cache.rsCallHandler.find("CallHandlerObjectID", goodbye);
        cache.rsMessagingRule.setFilter("ParentObjectID", goodbye);
        cache.rsMessagingRule.moveFirst();
        dialogs.pickCallHandler(goodbye);
    };
    menu().LinkCallHandler->trigger();
    const auto greeting = [&](const QString& handler, const QString& alias) {
        return f.site
            .scalar("SELECT coalesce(Action, '') || '|' || coalesce(ConversationName, '') || '|' || "
                    "coalesce(DestinationObjectID, '') || '|' || coalesce(DestinationObjectIDType, '') FROM MessagingRule "
                    "WHERE ParentObjectID = ? AND Alias = ?",
                    {handler, alias})
            .toText();
    };
    EXPECT_EQ(greeting(salesId, "Off Hours"), "2|PHTransfer|" + goodbye + "|3");
    EXPECT_NE(greeting(goodbye, "Standard"), "2|PHTransfer|" + goodbye + "|3");
    const QStringList lines = updateLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0],
              ChangeLogLine(f.clock.now(), "UPDATE", "MessagingRule", "Off Hours", "CallHandler", "salesch", "Action", " 2"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(DestinationCommandsTest, SendToCallHandlerStopsWhenARememberedObjectIsGone)
{
    const QString salesId = handlerId("salesch");
    const QString ben = subscriberId("bcarter");
    const QString benHandler = ownHandlerOf("bcarter");
    // The subscriber's page leaves the subscriber current; another tool deletes it meanwhile.
    showInPane(benHandler, Subscriber);
    press("cmdSubscriberConversationExitAction");
    const QString exitBefore = linkColumns("Subscriber", "Exit", "SubscriberObjectID", ben);
    dialogs.whileShown = [&] {
        f.site.execute("DELETE FROM Subscriber WHERE SubscriberObjectID = ?", {ben});
        dialogs.pickCallHandler(salesId);
    };
    menu().LinkCallHandler->trigger();
    EXPECT_EQ(messages(), QStringList{"Error in LinkcreateNewCallHandler - could not find subscriber with object id=" + ben});
    EXPECT_TRUE(updateLines().isEmpty());
    messages().clear();
    dialogs.whileShown = nullptr;

    // The handler shown is deleted while the dialog is open: the message names the id searched.
    const QString goodbye = handlerId("goodbyech");
    showInPane(goodbye, CallHandler);
    press("cmdHandlerSetAfterMessageAction");
    dialogs.whileShown = [&] {
        f.site.execute("DELETE FROM CallHandler WHERE CallHandlerObjectID = ?", {goodbye});
        dialogs.pickCallHandler(salesId);
    };
    menu().LinkCallHandler->trigger();
    EXPECT_EQ(messages(), QStringList{"Error in LinkcreateNewCallHandler - could not find new handler with object id=" + goodbye});
    EXPECT_TRUE(updateLines().isEmpty());
    EXPECT_EQ(exitBefore.isEmpty(), false);
}

TEST_F(DestinationCommandsTest, ADirectoryExitGoesToTheDirectoryHandlerShownAndItsBoxShowsTheNewLink)
{
    const QString directory = directoryId("companydirectory");
    showInPane(directory, DirectoryHandler);
    press("cmdDirectoryHandlerSetZeroExit");
    QString created;
    dialogs.whileShown = [&] {
        created = createDirectoryHandler(state(), "Staff Directory", QString());
        dialogs.pickDirectoryHandler(created);
    };
    const int linesBefore = updateLines().size();
    menu().LinkDirectoryHandler->trigger();
    ASSERT_FALSE(created.isEmpty());
    EXPECT_EQ(linkColumns("NameLookupHandler", "Zero", "NameLookupHandlerObjectID", directory), "2|AD|" + created + "|6");
    EXPECT_NE(linkColumns("NameLookupHandler", "Zero", "NameLookupHandlerObjectID", created).section('|', 2, 2), created);
    EXPECT_EQ(updateLines().mid(linesBefore), QStringList({line("DirectoryHandler", "companydirectory", "ZeroAction", " 2"),
                                                           line("DirectoryHandler", "companydirectory", "ZeroConversation", "AD"),
                                                           line("DirectoryHandler", "companydirectory", "ZeroObjectIDType", " 6"),
                                                           line("DirectoryHandler", "companydirectory", "ZeroObjectID", created)}));
    EXPECT_EQ(box("txtDirectoryHandlerZeroExitAction"), "Route to Alpha Directory");
    EXPECT_EQ(state().cache.rsNameLookupHandler.field("NameLookupHandlerObjectID").toText(), directory);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();

    // A fixed action from the same button refills the box too.
    press("cmdDirectoryHandlerSetZeroExit");
    menu().LinkHangUp->trigger();
    EXPECT_EQ(linkColumns("NameLookupHandler", "Zero", "NameLookupHandlerObjectID", directory), "1|<null>|<null>|<null>");
    EXPECT_EQ(box("txtDirectoryHandlerZeroExitAction"), "Hang Up");
}

TEST_F(DestinationCommandsTest, ASubscribersExitSentToASubscriberReloadsOnlyItsPage)
{
    const QString ben = subscriberId("bcarter");
    const QString benHandler = ownHandlerOf("bcarter");
    const int key = row({"0"});
    select(key);
    const QString rowText = text(key);
    showInPane(benHandler, Subscriber);
    press("cmdSubscriberConversationExitAction");
    const QString otherHandler = ownHandlerOf("amoreno");
    ASSERT_FALSE(otherHandler.isEmpty());
    dialogs.pickSubscriber(otherHandler);
    menu().LinkSubscriber->trigger();
    EXPECT_EQ(linkColumns("Subscriber", "Exit", "SubscriberObjectID", ben), "2|PHTransfer|" + otherHandler + "|3");
    EXPECT_EQ(updateLines().size(), 4);
    EXPECT_EQ(text(key), rowText);
    EXPECT_EQ(grid().row(), key);
    EXPECT_TRUE(popUpState().bLinkFromTab()) << "no row change ran";
    EXPECT_FALSE(box("txtSubscriberConversationExitAction").isEmpty());
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(DestinationCommandsTest, EverySetButtonSendsItsOwnLinkToAPickedDirectoryHandler)
{
    const QString salesId = handlerId("salesch");
    const QString benHandler = ownHandlerOf("bcarter");
    const QString ben = subscriberId("bcarter");
    const QString feedback = interviewId("customerfeedback");
    const QString directory = directoryId("companydirectory");
    const auto greeting = [&](const QString& handler, const QString& alias) {
        return [=, this] {
            return linkColumns("MessagingRule", "", "MessagingRuleObjectID",
                               f.site
                                   .scalar("SELECT MessagingRuleObjectID FROM MessagingRule WHERE ParentObjectID = ? AND "
                                           "Alias = ?",
                                           {handler, alias})
                                   .toText(),
                               "ConversationName", "DestinationObjectID");
        };
    };
    const auto own = [&](const char* table, const char* prefix, const char* key, const QString& id) {
        return [=, this] { return linkColumns(table, prefix, key, id); };
    };
    const auto logged = [&](const QString& table, const QString& alias, const std::optional<QString>& parent,
                            const QString& column) {
        return ChangeLogLine(f.clock.now(), "UPDATE", table, alias, parent ? LogArg(Variant("CallHandler")) : std::nullopt,
                             parent ? LogArg(Variant(*parent)) : std::nullopt, column, " 2");
    };
    struct Case {
        const char* button;
        QString shown;
        qint16 nodeType;
        std::function<QString()> link;
        QString firstLine;
    };
    const Case cases[] = {
        {"cmbHandlerGreetingChangeAfterGreetingAction_0", salesId, CallHandler, greeting(salesId, "Standard"),
         logged("MessagingRule", "Standard", "salesch", "Action")},
        {"cmdSubscriberGreetingChangeAfterGreetingAction_0", benHandler, Subscriber, greeting(benHandler, "Standard"),
         logged("MessagingRule", "Standard", "bcarter_ch", "Action")},
        {"cmdHandlerSetAfterMessageAction", salesId, CallHandler,
         own("CallHandler", "AfterMessage", "CallHandlerObjectID", salesId),
         logged("CallHandler", "salesch", std::nullopt, "AfterMessageAction")},
        {"cmdSubscriberMessagesChangeAfterMessageAction", benHandler, Subscriber,
         own("CallHandler", "AfterMessage", "CallHandlerObjectID", benHandler),
         logged("CallHandler", "bcarter_ch", std::nullopt, "AfterMessageAction")},
        {"cmdInterviewerProfileChangeAfterMessageAction", feedback, Interviewer,
         own("InterviewHandler", "AfterMessage", "InterviewHandlerObjectID", feedback),
         logged("Interviewer", "customerfeedback", std::nullopt, "AfterMessageAction")},
        {"cmdSubscriberConversationExitAction", benHandler, Subscriber, own("Subscriber", "Exit", "SubscriberObjectID", ben),
         logged("Subscriber", "bcarter", std::nullopt, "ExitAction")},
        {"cmdDirectoryHandlerSetExit", directory, DirectoryHandler,
         own("NameLookupHandler", "Exit", "NameLookupHandlerObjectID", directory),
         logged("DirectoryHandler", "companydirectory", std::nullopt, "ExitAction")},
        {"cmdDirectoryHandlerSetNoInputExit", directory, DirectoryHandler,
         own("NameLookupHandler", "NoInput", "NameLookupHandlerObjectID", directory),
         logged("DirectoryHandler", "companydirectory", std::nullopt, "NoInputAction")},
        {"cmdDirectoryHandlerSetNoSelectionExit", directory, DirectoryHandler,
         own("NameLookupHandler", "NoSelection", "NameLookupHandlerObjectID", directory),
         logged("DirectoryHandler", "companydirectory", std::nullopt, "NoSelectionAction")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        state().cache.RequeryAllRecordsets();
        showInPane(c.shown, c.nodeType);
        press(c.button);
        const int linesBefore = updateLines().size();
        dialogs.pickDirectoryHandler(directory);
        menu().LinkDirectoryHandler->trigger();
        EXPECT_EQ(c.link(), "2|AD|" + directory + "|6");
        const QStringList lines = updateLines().mid(linesBefore);
        ASSERT_EQ(lines.size(), 4);
        EXPECT_EQ(lines[0], c.firstLine);
    }
    EXPECT_EQ(box("txtDirectoryHandlerNoSelectionExitAction"), "Route to Alpha Directory");
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
}

TEST_F(DestinationCommandsTest, AHandlerPickedAndDeletedMeanwhileIsStoredAndThePaneReportsItMissing)
{
    const QString feedback = interviewId("customerfeedback");
    const int key = row({"1"});
    select(key);
    dialogs.whileShown = [&] {
        dialogs.pickInterviewer(feedback);
        f.site.execute("DELETE FROM InterviewHandler WHERE InterviewHandlerObjectID = ?", {feedback});
    };
    menu().LinkInterviewer->trigger();
    EXPECT_EQ(keyRow("openinggreetingch", "1"), "2|CHInterview|" + feedback + "|5|0");
    EXPECT_EQ(updateLines().size(), 4);
    EXPECT_EQ(type(key), Interviewer);
    // The row shown again finds no such handler and the pane says so.
    EXPECT_EQ(messages(), QStringList{"Error in LoadTabInfo. could not find interviewer object id:" + feedback});
}

TEST_F(DestinationCommandsTest, ALinkChangedElsewhereWhileTheDialogSearchedIsNotReplacedByThePick)
{
    const QString refused = "(error):-2147217864 (Row cannot be located for updating. Some values may have been changed since "
                            "it was last read.) in procedure linkProcessLinkInfo of Form frmMain";
    const QString directory = directoryId("companydirectory");
    // From the tree: a key sent to a call handler, hung up by another tool while the dialog searched.
    const int key = row({"1"});
    select(key);
    dialogs.whileShown = [&] {
        storeKey("openinggreetingch", "1", 1, Variant::null(), Variant::null(), Variant::null());
        f.searchSubscribersAndCancel();
    };
    dialogs.pickCallHandler(handlerId("supportch"));
    menu().LinkCallHandler->trigger();
    EXPECT_EQ(messages(), QStringList{refused});
    EXPECT_EQ(keyRow("openinggreetingch", "1"), "1|<null>|<null>|<null>|0");
    EXPECT_EQ(text(key), "1: Hang Up");

    // From the pane: a directory exit sent to a directory handler, the same.
    select(row({"4"}));
    press("cmdDirectoryHandlerSetExit");
    dialogs.whileShown = [&] {
        f.site.execute("UPDATE NameLookupHandler SET ExitAction = 1, ExitConversation = NULL, ExitObjectID = NULL, "
                       "ExitObjectIDType = NULL WHERE NameLookupHandlerObjectID = ?",
                       {directory});
        f.searchSubscribersAndCancel();
    };
    dialogs.pickDirectoryHandler(directory);
    messages().clear();
    menu().LinkDirectoryHandler->trigger();
    EXPECT_EQ(messages(), QStringList{refused});
    EXPECT_EQ(linkColumns("NameLookupHandler", "Exit", "NameLookupHandlerObjectID", directory), "1|<null>|<null>|<null>");
    EXPECT_EQ(box("txtDirectoryHandlerExitAction"), "Hang Up");
    EXPECT_TRUE(updateLines().isEmpty());
}

} // namespace
