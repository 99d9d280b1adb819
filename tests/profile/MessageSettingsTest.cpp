#include "profile/ProfileFixture.h"

namespace {

const QString kRowChanged = "Row cannot be located for updating. Some values may have been changed since it was last read.";

// The call handler page and the subscriber page, which writes the subscriber's own handler.
struct Page {
    const char* handlerAlias;
    const char* prefix; // "Handler" or "Subscriber"
    const char* tabs;
    const char* maxLengthMessage;
};
const Page kPages[] = {
    {"salesch", "Handler", "tabHandlerInfo", "The maximum message length must be a number between 0 and 3600 seconds"},
    {"bcarter_ch", "Subscriber", "tabSubscriberDetails", "The Max message length must be a number between 0 and 3600."},
};

class MessageSettingsTest : public ::testing::Test, public ProfileFixture {
protected:
    void SetUp() override { startProfile(); }

    void showMessages(const Page& p)
    {
        if (QString(p.prefix) == "Handler")
            showHandler(p.handlerAlias);
        else
            showSubscriber("bcarter");
        showTab(p.tabs, "Messages");
    }

    // The page shows one set of settings; another program then stores others, and a search reads them.
    void showThenChangeElsewhere(const Page& p)
    {
        f.site.execute("UPDATE CallHandler SET MaxMsgLen = 30, EditMsg = 0, SendUrgentMsg = 2, ScheduleObjectName = 'Weekdays' "
                       "WHERE Alias = ?",
                       {p.handlerAlias});
        showMessages(p);
        f.site.execute("UPDATE CallHandler SET MaxMsgLen = 77, EditMsg = 1, SendUrgentMsg = 1, ScheduleObjectName = 'All Hours' "
                       "WHERE Alias = ?",
                       {p.handlerAlias});
        f.searchSubscribersAndCancel();
    }
};

TEST_F(MessageSettingsTest, TheMaximumLengthIsAWholeNumberFrom0To3600AndARefusalKeepsTheFocus)
{
    struct Case {
        QString typed;
        int stored; // -1: refused
        QString logged;
    };
    const QList<Case> cases = {
        {"0", 0, " 0"}, {"3600", 3600, " 3600"}, {"0030", 30, " 30"}, {"45", 45, " 45"}, {"3601", -1, ""}, {"-1", -1, ""},
        {"", -1, ""},   {"1.0", -1, ""},         {"abc", -1, ""},     {"1e3", -1, ""},   {"+5", -1, ""},   {"9999", -1, ""},
    };
    for (const Page& p : kPages) {
        SCOPED_TRACE(p.prefix);
        const QString prefix = p.prefix;
        showMessages(p);
        const QString box = "txt" + prefix + "MessagesMaxMessageLength";
        const QString next = "txt" + prefix + "MessagesAfterMessageAction";
        EXPECT_EQ(control<QLineEdit>(box)->maxLength(), 4);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.typed.toStdString());
            const Variant before = aliasColumn("CallHandler", p.handlerAlias, "MaxMsgLen");
            f.prompts.messages.clear();
            const int lines = updateLines().size();
            edit(box, c.typed, next);
            if (c.stored < 0) {
                EXPECT_EQ(f.prompts.messages, QStringList{p.maxLengthMessage});
                EXPECT_EQ(shown(box), before.textOrEmpty());
                EXPECT_TRUE(control(box)->hasFocus()) << "the focus stays in the box";
                EXPECT_EQ(aliasColumn("CallHandler", p.handlerAlias, "MaxMsgLen"), before);
                EXPECT_EQ(linesSince(lines), QStringList());
            } else {
                EXPECT_EQ(f.prompts.messages, QStringList());
                EXPECT_TRUE(control(next)->hasFocus());
                EXPECT_EQ(aliasColumn("CallHandler", p.handlerAlias, "MaxMsgLen").toInt32(), c.stored);
                EXPECT_EQ(linesSince(lines), QStringList{line("CallHandler", p.handlerAlias, "MaxMsgLen", c.logged)});
            }
        }
    }
}

TEST_F(MessageSettingsTest, EditUrgencyAndScheduleAreWrittenAndLoggedEachTimeTheirControlIsLeft)
{
    for (const Page& p : kPages) {
        SCOPED_TRACE(p.prefix);
        const QString prefix = p.prefix;
        showMessages(p);
        const QString elsewhere = "txt" + prefix + "MessagesAfterMessageAction"; // validates nothing
        auto* edit = control<QCheckBox>("chk" + prefix + "MessagesCanEditMessages");
        auto* urgent = control<QComboBox>("cmb" + prefix + "MessagesCanMarkUrgent");
        EXPECT_FALSE(urgent->isEditable());

        int lines = updateLines().size();
        edit->setChecked(true);
        leaveField(edit->objectName(), elsewhere);
        edit->setChecked(false);
        leaveField(edit->objectName(), elsewhere);
        leaveField(edit->objectName(), elsewhere); // unchanged: written again
        EXPECT_EQ(aliasColumn("CallHandler", p.handlerAlias, "EditMsg").toInt32(), 0);
        EXPECT_EQ(linesSince(lines), (QStringList{line("CallHandler", p.handlerAlias, "EditMsg", " 1"),
                                                  line("CallHandler", p.handlerAlias, "EditMsg", " 0"),
                                                  line("CallHandler", p.handlerAlias, "EditMsg", " 0")}));

        for (const auto& [text, code] : QList<std::pair<QString, int>>{{"Always", 1}, {"Never", 0}, {"Ask Caller", 2}}) {
            lines = updateLines().size();
            urgent->setCurrentIndex(urgent->findText(text));
            leaveField(urgent->objectName(), elsewhere);
            EXPECT_EQ(aliasColumn("CallHandler", p.handlerAlias, "SendUrgentMsg").toInt32(), code) << text.toStdString();
            EXPECT_EQ(linesSince(lines),
                      QStringList{line("CallHandler", p.handlerAlias, "SendUrgentMsg", " " + QString::number(code))});
        }

        showTab(p.tabs, "Profile");
        auto* schedule = control<QComboBox>("cmb" + prefix + "ProfileSchedule");
        EXPECT_FALSE(schedule->isEditable());
        const QString alias = "txt" + prefix + "ProfileAlias";
        lines = updateLines().size();
        schedule->setCurrentIndex(schedule->findText("All Hours"));
        leaveField(schedule->objectName(), alias);
        leaveField(schedule->objectName(), alias);
        EXPECT_EQ(aliasColumn("CallHandler", p.handlerAlias, "ScheduleObjectName").toText(), "All Hours");
        EXPECT_EQ(linesSince(lines), QStringList(2, line("CallHandler", p.handlerAlias, "ScheduleObjectName", "All Hours")));
    }
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(MessageSettingsTest, AScheduleTheListDoesNotHoldIsKeptWhenTheEmptyListIsLeft)
{
    f.site.exec("UPDATE CallHandler SET ScheduleObjectName = 'Night Shift' WHERE Alias = 'salesch'");
    showHandler("salesch");
    f.prompts.messages.clear();
    EXPECT_EQ(shown("cmbHandlerProfileSchedule"), "(none)");
    const int lines = updateLines().size();
    leaveField("cmbHandlerProfileSchedule", "txtHandlerProfileAlias");
    EXPECT_EQ(aliasColumn("CallHandler", "salesch", "ScheduleObjectName").toText(), "Night Shift");
    EXPECT_EQ(linesSince(lines), QStringList());
}

TEST_F(MessageSettingsTest, AFailedUpdateIsReportedOnceRestoresTheControlAndLogsNothing)
{
    showHandler("salesch");
    showTab("tabHandlerInfo", "Messages");
    f.site.exec("UPDATE CallHandler SET MaxMsgLen = 77, EditMsg = 1, SendUrgentMsg = 0 WHERE Alias = 'salesch'");
    const int lines = updateLines().size();

    edit("txtHandlerMessagesMaxMessageLength", "60", "txtHandlerMessagesAfterMessageAction");
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in txtHandlerMessagesMaxMessageLength_Validate: " + kRowChanged});
    EXPECT_EQ(shown("txtHandlerMessagesMaxMessageLength"), "77");
    EXPECT_EQ(aliasColumn("CallHandler", "salesch", "MaxMsgLen").toInt32(), 77);

    // The list shows the urgency stored elsewhere again.
    f.prompts.messages.clear();
    f.site.exec("UPDATE CallHandler SET SendUrgentMsg = 1 WHERE Alias = 'salesch'");
    leaveField("cmbHandlerMessagesCanMarkUrgent", "txtHandlerMessagesAfterMessageAction");
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in cmbHandlerMessagesCanMarkUrgent_Validate: " + kRowChanged});
    EXPECT_EQ(shown("cmbHandlerMessagesCanMarkUrgent"), "Always");
    EXPECT_EQ(aliasColumn("CallHandler", "salesch", "SendUrgentMsg").toInt32(), 1);
    EXPECT_EQ(linesSince(lines), QStringList());
}

TEST_F(MessageSettingsTest, SettingsChangedElsewhereThatASearchReadAreRefusedAndShownAsStored)
{
    for (const Page& p : kPages) {
        SCOPED_TRACE(p.prefix);
        const QString prefix = p.prefix;
        showThenChangeElsewhere(p);
        const QString before = f.site.tableText("CallHandler");
        const int lines = updateLines().size();
        f.prompts.messages.clear();

        // Every control writes when it is left: changed or not, none may overwrite what it did not show.
        const QString elsewhere = "txt" + prefix + "MessagesAfterMessageAction";
        edit("txt" + prefix + "MessagesMaxMessageLength", "60", elsewhere);
        leaveField("chk" + prefix + "MessagesCanEditMessages", elsewhere);
        leaveField("cmb" + prefix + "MessagesCanMarkUrgent", elsewhere);
        showTab(p.tabs, "Profile");
        leaveField("cmb" + prefix + "ProfileSchedule", "txt" + prefix + "ProfileAlias");

        QStringList expected;
        for (const char* control : {"txt%1MessagesMaxMessageLength", "chk%1MessagesCanEditMessages", "cmb%1MessagesCanMarkUrgent",
                                    "cmb%1ProfileSchedule"})
            expected << "Error in " + QString(control).arg(prefix) + "_Validate: " + kRowChanged;
        EXPECT_EQ(f.prompts.messages, expected);
        EXPECT_EQ(f.site.tableText("CallHandler"), before);
        EXPECT_EQ(linesSince(lines), QStringList());
        expectShown({{"txt" + prefix + "MessagesMaxMessageLength", "77"},
                     {"chk" + prefix + "MessagesCanEditMessages", "[x]"},
                     {"cmb" + prefix + "MessagesCanMarkUrgent", "Always"},
                     {"cmb" + prefix + "ProfileSchedule", "All Hours"}});
    }
}

// Controls left showing what another program stored (read by a search) write it without a refusal,
// and their next change is judged by it.
TEST_F(MessageSettingsTest, SettingsLeftInAgreementWithAChangeMadeElsewhereAreNoConflictForTheNextChange)
{
    for (const Page& p : kPages) {
        SCOPED_TRACE(p.prefix);
        const QString prefix = p.prefix;
        showThenChangeElsewhere(p);
        f.prompts.messages.clear();
        const QString elsewhere = "txt" + prefix + "MessagesAfterMessageAction";
        auto* edit = control<QCheckBox>("chk" + prefix + "MessagesCanEditMessages");
        auto* urgent = control<QComboBox>("cmb" + prefix + "MessagesCanMarkUrgent");
        auto* schedule = control<QComboBox>("cmb" + prefix + "ProfileSchedule");
        const int lines = updateLines().size();
        // Into agreement, then on to a value of the user's own.
        for (const bool agree : {true, false}) {
            this->edit("txt" + prefix + "MessagesMaxMessageLength", agree ? "77" : "60", elsewhere);
            edit->setChecked(agree);
            leaveField("chk" + prefix + "MessagesCanEditMessages", elsewhere);
            urgent->setCurrentIndex(urgent->findText(agree ? "Always" : "Never"));
            leaveField("cmb" + prefix + "MessagesCanMarkUrgent", elsewhere);
            showTab(p.tabs, "Profile");
            schedule->setCurrentIndex(schedule->findText(agree ? "All Hours" : "Weekdays"));
            leaveField("cmb" + prefix + "ProfileSchedule", "txt" + prefix + "ProfileAlias");
            showTab(p.tabs, "Messages");
        }
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
        EXPECT_EQ(aliasColumn("CallHandler", p.handlerAlias, "MaxMsgLen"), Variant(qint64(60)));
        EXPECT_EQ(aliasColumn("CallHandler", p.handlerAlias, "EditMsg"), Variant(qint64(0)));
        EXPECT_EQ(aliasColumn("CallHandler", p.handlerAlias, "SendUrgentMsg"), Variant(qint64(0)));
        EXPECT_EQ(aliasColumn("CallHandler", p.handlerAlias, "ScheduleObjectName").toText(), "Weekdays");
        EXPECT_EQ(linesSince(lines).size(), 8);
    }
}

} // namespace
