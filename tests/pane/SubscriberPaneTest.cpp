#include "environment/LanguageCodes.h"
#include "fakes/FakeAudioDevice.h"
#include "fixtures/PaneFixture.h"
#include "widgets/SonotropeCtrl.h"

#include <QLabel>
#include <QTabWidget>

namespace {

const QString kMissing = "{0BADBEEF-0000-0000-0000-000000000000}";
const QString kPast = "1993-01-02 00:00:00";
const QStringList kWatched = {"CallHandler", "MessagingRule", "ContactRule", "Subscriber", "COS"};

class SubscriberPane : public ::testing::Test, public PaneFixture {
protected:
    QString tables() const { return tablesText(kWatched); }
    // Runs one statement with its values bound, "$S" standing for a subscriber's id.
    void execSubscriber(const QString& sql, const QString& alias, const std::vector<Variant>& values = {}) const
    {
        f.site.execute(sql, values, {{"$S", subscriberId(alias)}});
    }
    QString switchName(int index) const { return f.state->SwitchNames.value(index, "(none)"); }
};

TEST_F(SubscriberPane, EachFieldIsShownAsItsControlCanAndTheLoadWritesNothing)
{
    nameEveryGreetingFile();
    // Alice: Nulls and codes the page cannot show, a missing class of service and greeting.
    exec("UPDATE CallHandler SET Language = NULL, ScheduleObjectName = 'Nights', MaxMsgLen = 120, EditMsg = NULL, "
         "SendUrgentMsg = 0, AfterMessageAction = 1, AfterMessageConversation = NULL, AfterMessageObjectID = NULL "
         "WHERE CallHandlerObjectID = $H",
         "amoreno_ch");
    exec("UPDATE ContactRule SET Action = 0, TransferType = 0, TransferRings = NULL, Extension = NULL "
         "WHERE ParentObjectID = $H AND Alias = 'Alternate'",
         "amoreno_ch");
    exec("UPDATE MessagingRule SET TimeExpires = ?, PlayWhat = 2, Reprompts = 3 WHERE ParentObjectID = $H AND Alias = 'Busy'",
         "amoreno_ch", {kPast});
    exec("DELETE FROM MessagingRule WHERE ParentObjectID = $H AND Alias = 'Internal'", "amoreno_ch");
    execSubscriber("UPDATE Subscriber SET COSObjectID = ?, switchid = 7, HomeServer = NULL, ExitAction = NULL "
                   "WHERE SubscriberObjectID = $S",
                   "amoreno", {kMissing});
    // Hugo: on the branch gateway, a TDD/TTY language, a phone rung by release.
    exec("UPDATE CallHandler SET Language = 33801, SendUrgentMsg = 1, EditMsg = 1 WHERE CallHandlerObjectID = $H", "hbrandt_ch");
    exec("UPDATE ContactRule SET Action = 1, TransferType = 0, TransferRings = 6, Extension = '2008,,#' "
         "WHERE ParentObjectID = $H AND Alias = 'Alternate'",
         "hbrandt_ch");
    exec("UPDATE MessagingRule SET IgnoreDigits = 1 WHERE ParentObjectID = $H AND Alias = 'Standard'", "hbrandt_ch");

    const QString before = tables();
    start();

    f.prompts.messages.clear();
    show("amoreno_ch", 1);
    EXPECT_EQ(f.prompts.messages, QStringList({"Error in LoadTabInfo.  Could not find COS reference:" + kMissing,
                                               "Error in LoadTabInfo, could not find messaging rule"}));
    EXPECT_EQ(control<QLabel>("lblCurrentObjectDisplayName")->text(), "Alice Moreno");
    expectShown({
        {"txtSubscriberProfileDisplayName", "Alice Moreno"},
        {"txtSubscriberProfileAlias", "amoreno"},
        {"txtSubscriberProfileExtension", "2001"},
        {"txtSubscriberProfileHomeServer", ""},
        {"cmbSubscriberProfileSchedule", "(none)"}, // a schedule the list lacks is neither chosen nor repaired
        {"txtSubscriberProfileCOS", ""},
        {"txtSubscriberProfileSwitch", ""},                                              // a switch the server does not list
        {"txtSubscriberProfileLanguage", LanguageCodes::GetLanguageNameFromCode("ENU")}, // the server's default
        // The "Alternate" rule sends callers to the greeting.
        {"optSubscriberTransferAttemptToRingPhone", "( )"},
        {"optSubscriberTransferSendToGreeting", "(o)"},
        {"cmbSubscriberTransferType", "Release"},
        {"txtSubscriberTransferRingsToWait", ""},
        {"txtSubscriberTransferString", ""},
        // Greetings: busy switched off, internal missing.
        {"chkSubscriberGreetingEnabled_0", "[x]"},
        {"chkSubscriberGreetingEnabled_2", "[ ]"},
        {"cmbSubscriberGreetingSource_2", "Blank"},
        {"cmbSubscriberGreetingsRepeat_2", "3 times"},
        {"txtSubscriberGreetingObjectID_2", greetingColumn("amoreno_ch", "Busy", "MessagingRuleObjectID").toText()},
        {"txtSubscriberGreetingStreamPath_2", greetingColumn("amoreno_ch", "Busy", "StreamPath").toText()},
        {"chkSubscriberGreetingEnabled_4", "[ ]"},
        {"txtSubscriberGreetingObjectID_4", ""},
        // Messages and exit.
        {"txtSubscriberMessagesMaxMessageLength", "120"},
        {"chkSubscriberMessagesCanEditMessages", "[ ]"},
        {"cmbSubscriberMessagesCanMarkUrgent", "Never"},
        {"txtSubscriberMessagesAfterMessageAction", "Hang Up"},
        {"txtSubscriberConversationExitAction", "Error! Exit destination not set!"},
    });
    expectEnabled({"optSubscriberTransferAttemptToRingPhone", "optSubscriberTransferSendToGreeting",
                   "chkSubscriberGreetingEnabled_2", "txtSubscriberGreetingAfterGreetingAction_0"},
                  true);
    expectEnabled({"cmbSubscriberTransferType", "txtSubscriberTransferRingsToWait", "txtSubscriberTransferString",
                   "chkSubscriberGreetingAllowInput_2", "cmbSubscriberGreetingSource_2", "cmbSubscriberGreetingsRepeat_2",
                   "txtSubscriberGreetingAfterGreetingAction_2", "cmdSubscriberGreetingChangeAfterGreetingAction_2"},
                  false);
    // Where the editors work: the subscriber's handler and rows.
    EXPECT_EQ(f.state->cache.rsCallHandler.field("Alias").toText(), "amoreno_ch");
    EXPECT_EQ(f.state->cache.rsSubscriber.field("Alias").toText(), "amoreno");
    EXPECT_EQ(f.state->cache.rsContactRule.field("Alias").toText(), "Alternate");
    EXPECT_EQ(f.state->cache.rsContactRule.field("ParentObjectID").toText(), handlerId("amoreno_ch"));
    EXPECT_EQ(pane->ShownCallHandlerID(EditorPage::Subscriber), handlerId("amoreno_ch"));

    // Hugo after Alice: nothing of Alice's stays, and his busy greeting (on) enables its controls.
    f.prompts.messages.clear();
    show("hbrandt_ch", 99);
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    expectShown({
        {"txtSubscriberProfileDisplayName", "Hugo Brandt"},
        {"txtSubscriberProfileHomeServer", "MAIL01"},
        {"cmbSubscriberProfileSchedule", "All Hours"},
        {"txtSubscriberProfileCOS", "Standard Users"},
        {"txtSubscriberProfileSwitch", "Branch SIP Gateway"},
        {"txtSubscriberProfileLanguage", "English (TDD/TTY)"},
        {"optSubscriberTransferAttemptToRingPhone", "(o)"},
        {"optSubscriberTransferSendToGreeting", "( )"},
        {"cmbSubscriberTransferType", "Release"},
        {"txtSubscriberTransferRingsToWait", "6"},
        {"txtSubscriberTransferString", "2008,,#"},
        {"chkSubscriberGreetingAllowInput_0", "[ ]"},
        {"chkSubscriberGreetingEnabled_2", "[ ]"},
        {"txtSubscriberGreetingObjectID_4", greetingColumn("hbrandt_ch", "Internal", "MessagingRuleObjectID").toText()},
        {"chkSubscriberMessagesCanEditMessages", "[x]"},
        {"cmbSubscriberMessagesCanMarkUrgent", "Always"},
        {"txtSubscriberMessagesMaxMessageLength", "300"},
        {"txtSubscriberMessagesAfterMessageAction", "Send to greeting for: Goodbye"},
        {"txtSubscriberConversationExitAction", "Hang Up"},
    });
    expectEnabled({"cmbSubscriberTransferType", "txtSubscriberTransferRingsToWait", "txtSubscriberTransferString"}, true);

    // Farid's alternate greeting is on: its controls follow the enabled box.
    show("fhaddad_ch", 1);
    expectShown({{"chkSubscriberGreetingEnabled_3", "[x]"}, {"txtSubscriberProfileSwitch", switchName(0)}});
    expectEnabled({"chkSubscriberGreetingAllowInput_3", "cmbSubscriberGreetingSource_3", "cmbSubscriberGreetingsRepeat_3",
                   "txtSubscriberGreetingAfterGreetingAction_3", "cmdSubscriberGreetingChangeAfterGreetingAction_3"},
                  true);

    EXPECT_EQ(tables(), before) << "no load wrote anything";
    EXPECT_TRUE(updateLines().isEmpty()) << changeLog().toStdString();
}

TEST_F(SubscriberPane, AMissingHandlerSubscriberOrRuleIsReportedAndNothingOfTheObjectShownBeforeStays)
{
    nameEveryGreetingFile();
    exec("DELETE FROM ContactRule WHERE ParentObjectID = $H AND Alias = 'Alternate'", "bcarter_ch");
    exec("UPDATE CallHandler SET ContactRuleAlternate = 'rule-gone' WHERE CallHandlerObjectID = $H", "bcarter_ch");
    exec("UPDATE CallHandler SET RecipientObjectID = ? WHERE CallHandlerObjectID = $H", "cnovak_ch", {kMissing});
    exec("UPDATE CallHandler SET RecipientObjectID = NULL WHERE CallHandlerObjectID = $H", "dokafor_ch");
    start();
    show("amoreno_ch", 1);

    const struct {
        QString id;
        QString message;
    } cases[] = {
        {kMissing, "Error in LoadTabInfo. Couldn't find handler in database:"},
        {handlerId("cnovak_ch"), "Error in LoadTabInfo. Couldn't find mail user in database:" + kMissing},
        {handlerId("dokafor_ch"), "Error in LoadTabInfo. Couldn't find mail user in database:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        show("amoreno_ch", 1);
        f.prompts.messages.clear();
        showObject(c.id, 1);
        EXPECT_EQ(f.prompts.messages, QStringList{c.message});
        for (const char* box : {"txtSubscriberProfileDisplayName", "txtSubscriberProfileAlias", "txtSubscriberProfileExtension",
                                "txtSubscriberProfileCOS", "txtSubscriberTransferString", "txtSubscriberConversationExitAction",
                                "txtSubscriberGreetingObjectID_0", "txtSubscriberMessagesAfterMessageAction"})
            EXPECT_EQ(shown(box), "") << box;
        EXPECT_EQ(control<QLabel>("lblCurrentObjectDisplayName")->text(), "");
        EXPECT_EQ(pane->ShownCallHandlerID(EditorPage::Subscriber), "");
    }

    // Without its "Alternate" rule the transfer tab shows nothing, and the rest still comes.
    show("amoreno_ch", 1);
    f.prompts.messages.clear();
    show("bcarter_ch", 1);
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in LoadTabInfo.  Could not find alternate contact rule:rule-gone"});
    expectShown({{"txtSubscriberTransferString", ""},
                 {"optSubscriberTransferAttemptToRingPhone", "( )"},
                 {"optSubscriberTransferSendToGreeting", "( )"},
                 {"txtSubscriberProfileDisplayName", "Ben Carter"},
                 {"txtSubscriberMessagesAfterMessageAction", "Send to greeting for: Goodbye"},
                 {"txtSubscriberConversationExitAction", "Send to greeting for: Opening Greeting"}});
    expectEnabled({"optSubscriberTransferAttemptToRingPhone", "txtSubscriberTransferString"}, false);
}

TEST_F(SubscriberPane, AGreetingWithoutFileGetsOneNamedAfterTheSubscribersHandlerAndTheShownTabPlaysIt)
{
    f.installEmptyWav();
    start();
    control<QTabWidget>("tabSubscriberDetails")->setCurrentIndex(2);
    control<QTabWidget>("tabSubscriberGreetings")->setCurrentIndex(1);
    show("gwhitfield_ch", 1);
    const QString offHours = greetingColumn("gwhitfield_ch", "Off Hours", "StreamPath").toText();
    EXPECT_TRUE(offHours.startsWith("mr_gwhitfield_ch_Off Hours_")) << offHours.toStdString();
    EXPECT_TRUE(QFile::exists(f.site.streamFilesPath() + offHours));
    EXPECT_TRUE(changeLog().contains(logLine("MessagingRule", "Off Hours", "gwhitfield_ch", "StreamPath", offHours)))
        << changeLog().toStdString();

    auto* player = control<SonotropeCtrl>("SotrsubscriberGreeting");
    EXPECT_EQ(player->SoundFile(), f.site.streamFilesPath() + offHours);
    control<QTabWidget>("tabSubscriberGreetings")->setCurrentIndex(0);
    EXPECT_EQ(player->SoundFile(), f.site.streamFilesPath() + greetingColumn("gwhitfield_ch", "Standard", "StreamPath").toText());
    EXPECT_TRUE(control("frameSubscriberGreetingInfo_0")->isVisibleTo(pane));
    EXPECT_FALSE(control("frameSubscriberGreetingInfo_1")->isVisibleTo(pane));

    // Shown again, nothing more is written.
    const QString log = changeLog();
    show("gwhitfield_ch", 1);
    EXPECT_EQ(changeLog(), log);
}

} // namespace
