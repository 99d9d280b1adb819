#include "profile/OwnerRecipientCommands.h"
#include "profile/ProfileEditing.h"
#include "profile/ProfileFixture.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"

#include <QMenu>
#include <QPushButton>

namespace {

const QString kRowChanged = "Row cannot be located for updating. Some values may have been changed since it was last read.";

class OwnerRecipientTest : public ::testing::Test, public ProfileFixture {
protected:
    void SetUp() override { startProfile(); }

    OwnerRecipientCommands& commands() { return f.program->profile().ownersAndRecipients(); }
    QAction* item(const char* name) const { return f.window->findChild<QAction*>(name); }
    // Presses a Set button: "DL" or "Sub" for the checked item, "-" for none.
    QString pressSet(const char* button, OwnerRecipientCommands::PopupIndex popup)
    {
        control<QPushButton>(button)->click();
        QMenu* menu = commands().popup(popup);
        const QList<QAction*> items = menu->actions();
        menu->hide();
        if (items[0]->isChecked() == items[1]->isChecked())
            return items[0]->isChecked() ? "both" : "-";
        return items[0]->isChecked() ? "DL" : "Sub";
    }
    QString stored(const QString& table, const QString& alias, const QString& prefix) const
    {
        return aliasColumn(table, alias, prefix + "ObjectID").textOrEmpty() + "|"
               + aliasColumn(table, alias, prefix + "ObjectIDType").textOrEmpty();
    }
};

TEST_F(OwnerRecipientTest, ThePopupsHoldTheTwoKindsInOrderUnderTheirNames)
{
    const char* const popups[][3] = {
        {"TabsSetOwnerHandlerPopupMenu", "TabsSetOWnerHandlerDL", "TabsSetOwnerHandlerSubscriber"},
        {"TabsSetRecipientHandlerPopUpMenu", "TabsSetHandlerRecipientDistributionList", "TabsSetHandlerRecipientSubscriber"},
        {"TabsSetOwnerInterviewerPopupMenu", "TabsSetOwnerInterviewerDistributionList", "TabsSetOwnerInterviewerSubscriber"},
        {"TabsSetRecipientInterviewerPopupMenu", "TabsSetRecipientInterviewerDistributionList",
         "TabsSetRecipientInterviewerSubscriber"},
    };
    for (const auto& p : popups) {
        auto* menu = f.window->findChild<QMenu*>(p[0]);
        ASSERT_NE(menu, nullptr) << p[0];
        const QList<QAction*> items = menu->actions();
        ASSERT_EQ(items.size(), 2);
        EXPECT_EQ(items[0]->objectName(), p[1]);
        EXPECT_EQ(items[0]->text(), "Distribution List");
        EXPECT_EQ(items[1]->objectName(), p[2]);
        EXPECT_EQ(items[1]->text(), "Subscriber");
        EXPECT_TRUE(items[0]->isEnabled() && items[1]->isEnabled());
    }
}

TEST_F(OwnerRecipientTest, TheCheckedKindFollowsTheStoredType)
{
    using P = OwnerRecipientCommands::PopupIndex;
    showHandler("salesch");
    EXPECT_EQ(pressSet("cmdHandlerChangeOwner", P::HandlerOwner), "Sub");
    f.site.exec("UPDATE CallHandler SET AdministratorObjectID = NULL WHERE Alias = 'salesch'");
    f.state->cache.RequeryAllRecordsets();
    EXPECT_EQ(pressSet("cmdHandlerChangeOwner", P::HandlerOwner), "-");
    f.site.exec("UPDATE CallHandler SET RecipientObjectIDType = NULL WHERE Alias = 'salesch'");
    f.state->cache.RequeryAllRecordsets();
    EXPECT_EQ(pressSet("cmdHandlerMessagesChangeRecipient", P::HandlerRecipient), "DL");

    f.site.exec("UPDATE InterviewHandler SET AdministratorObjectIDType = NULL WHERE Alias = 'customerfeedback'");
    showInterviewer("customerfeedback");
    EXPECT_EQ(pressSet("cmdInterviewerProfileSetOwner", P::InterviewerOwner), "DL");

    // After an assignment the popup shows the kind assigned.
    dialogs.pickSubscriber(ownHandlerOf("cnovak"));
    item("TabsSetOwnerInterviewerSubscriber")->trigger();
    EXPECT_EQ(pressSet("cmdInterviewerProfileSetOwner", P::InterviewerOwner), "Sub");
    dialogs.findDistributionList(listId("supportteam"), "Support Team");
    item("TabsSetOwnerInterviewerDistributionList")->trigger();
    EXPECT_EQ(pressSet("cmdInterviewerProfileSetOwner", P::InterviewerOwner), "DL");
}

TEST_F(OwnerRecipientTest, EachCommandStoresThePickWithItsTypeLogsTwoLinesAndShowsTheName)
{
    const QString chloe = subscriberId("cnovak");
    const QString team = listId("supportteam");
    struct Case {
        const char* item;
        bool interviewer;
        bool subscriber;
        const char* prefix; // the columns' prefix
        const char* box;
    };
    const Case cases[] = {
        {"TabsSetOWnerHandlerDL", false, false, "Administrator", "txtHandlerProfileOwner"},
        {"TabsSetOwnerHandlerSubscriber", false, true, "Administrator", "txtHandlerProfileOwner"},
        {"TabsSetHandlerRecipientDistributionList", false, false, "Recipient", "txtHandlerMessagesRecipient"},
        {"TabsSetHandlerRecipientSubscriber", false, true, "Recipient", "txtHandlerMessagesRecipient"},
        {"TabsSetOwnerInterviewerDistributionList", true, false, "Administrator", "txtInterviewerOwner"},
        {"TabsSetOwnerInterviewerSubscriber", true, true, "Administrator", "txtInterviewerOwner"},
        {"TabsSetRecipientInterviewerDistributionList", true, false, "Recipient", "txtInterviewerRecipient"},
        {"TabsSetRecipientInterviewerSubscriber", true, true, "Recipient", "txtInterviewerRecipient"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        const QString table = c.interviewer ? "InterviewHandler" : "CallHandler";
        const QString alias = c.interviewer ? "customerfeedback" : "supportch";
        if (c.interviewer)
            showInterviewer(alias);
        else
            showHandler(alias);
        const QString prefix = c.prefix;
        const QString id = c.subscriber ? chloe : team;
        const QString name = c.subscriber ? "Chloe Novak" : "Support Team";
        if (c.subscriber)
            dialogs.pickSubscriber(ownHandlerOf("cnovak"), "ignored: the subscriber's own name is used");
        else
            dialogs.findDistributionList(team, "Support Team");
        // Written and logged again when it is already stored.
        for (int again = 0; again < 2; ++again) {
            if (again)
                c.subscriber ? dialogs.pickSubscriber(ownHandlerOf("cnovak")) : dialogs.findDistributionList(team, "Support Team");
            const int lines = updateLines().size();
            item(c.item)->trigger();
            EXPECT_EQ(stored(table, alias, prefix), id + "|" + (c.subscriber ? "1" : "2"));
            EXPECT_EQ(shown(c.box), name);
            const QString idValue = c.interviewer ? id : id + " Display Name=" + name;
            EXPECT_EQ(linesSince(lines), (QStringList{line(table, alias, prefix + "ObjectIDType", c.subscriber ? " 1" : " 2"),
                                                      line(table, alias, prefix + "ObjectID", idValue)}));
        }
    }
    EXPECT_EQ(dialogs.shown.count("frmSubscriberSearch"), 8);
    EXPECT_EQ(dialogs.shown.count("frmDistributionListSearch"), 8);
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(OwnerRecipientTest, CancelAFrameCloseAndAnUnknownSubscriberChangeNothing)
{
    const QString before = f.site.tableText("CallHandler") + f.site.tableText("InterviewHandler");
    const int lines = updateLines().size();
    struct Case {
        const char* item;
        bool interviewer;
        const char* box;
        const char* missingMessage;
    };
    const Case cases[] = {
        {"TabsSetOwnerHandlerSubscriber", false, "txtHandlerProfileOwner",
         "Error in TabSetOwnerSubscriber- could not find subscriber object for primary call handler:"},
        {"TabsSetHandlerRecipientSubscriber", false, "txtHandlerMessagesRecipient",
         "Error in TabSetHandlerRecipientSubscriber- could not find subscriber object for primary call handler:"},
        {"TabsSetOwnerInterviewerSubscriber", true, "txtInterviewerOwner",
         "Error in TabSetOwnerInterviewerSubscriber- could not find subscriber object for primary call handler:"},
        {"TabsSetRecipientInterviewerSubscriber", true, "txtInterviewerRecipient",
         "Error in TabSetRecipientInterviewerSubscriber- could not find subscriber object for primary call handler:"},
        {"TabsSetOWnerHandlerDL", false, "txtHandlerProfileOwner", nullptr},
        {"TabsSetOwnerInterviewerDistributionList", true, "txtInterviewerOwner", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        c.interviewer ? showInterviewer("customerfeedback") : showHandler("salesch");
        const QString shownBefore = shown(c.box);
        f.prompts.messages.clear();
        const bool subscriber = c.missingMessage != nullptr;
        // Cancel, then the window's frame (no cancel, no object), then an unknown handler id.
        item(c.item)->trigger();
        subscriber ? dialogs.pickSubscriber("") : dialogs.findDistributionList("", "");
        item(c.item)->trigger();
        EXPECT_EQ(f.prompts.messages, QStringList());
        if (subscriber) {
            dialogs.pickSubscriber("{no-such-handler}");
            item(c.item)->trigger();
            EXPECT_EQ(f.prompts.messages, QStringList{QString(c.missingMessage) + "{no-such-handler}"});
        }
        EXPECT_EQ(shown(c.box), shownBefore);
    }
    EXPECT_EQ(f.site.tableText("CallHandler") + f.site.tableText("InterviewHandler"), before);
    EXPECT_EQ(linesSince(lines), QStringList());
}

TEST_F(OwnerRecipientTest, TheShownHandlerIsWrittenWhereverTheSharedRowsStandAndItsTreeRowsKeepTheirText)
{
    showHandler("supportch");
    Recordset& ch = f.state->cache.rsCallHandler;
    ch.moveFirst();
    ASSERT_TRUE(ch.find("CallHandlerObjectID", handlerId("salesch")));
    const QString salesOwner = stored("CallHandler", "salesch", "Administrator");
    QStringList rows;
    for (int r = 0; r < f.treeGrid().rowCount(); ++r)
        rows << f.treeGrid().cellText(r, TreeColumn::Main);
    dialogs.findDistributionList(listId("allemployees"), "All Employees");
    item("TabsSetOWnerHandlerDL")->trigger();
    EXPECT_EQ(stored("CallHandler", "supportch", "Administrator"), listId("allemployees") + "|2");
    EXPECT_EQ(stored("CallHandler", "salesch", "Administrator"), salesOwner);
    QStringList after;
    for (int r = 0; r < f.treeGrid().rowCount(); ++r)
        after << f.treeGrid().cellText(r, TreeColumn::Main);
    EXPECT_EQ(after, rows);
}

TEST_F(OwnerRecipientTest, AHandlerChangedElsewhereSinceTheLoadIsReportedOnceAndNothingIsLogged)
{
    showInterviewer("customerfeedback");
    f.site.execute("UPDATE InterviewHandler SET RecipientObjectID = ?, RecipientObjectIDType = 1 WHERE Alias = 'customerfeedback'",
                   {subscriberId("dokafor")});
    const int lines = updateLines().size();
    dialogs.findDistributionList(listId("supportteam"), "Support Team");
    item("TabsSetRecipientInterviewerDistributionList")->trigger();
    EXPECT_EQ(f.prompts.messages,
              QStringList{"Error in TabsSetRecipientInterviewerDistributionList_Click: Row cannot be located for updating. Some "
                          "values may have been changed since it was last read."});
    EXPECT_EQ(stored("InterviewHandler", "customerfeedback", "Recipient"), subscriberId("dokafor") + "|1");
    EXPECT_EQ(shown("txtInterviewerRecipient"), "Daniel Okafor") << "the recipient stored elsewhere";
    EXPECT_EQ(linesSince(lines), QStringList());
}

TEST_F(OwnerRecipientTest, APartySetElsewhereWhileTheSearchRanIsNeitherReplacedNorLoggedAndTheBoxShowsIt)
{
    struct Case {
        const char* item;
        bool interviewer;
        const char* box;
        const char* prefix; // of the role's columns
        QString theirs;     // what the other program stores while the dialog is open
        int theirType;
        std::function<void()> pick; // what the administrator picks
    };
    const Case cases[] = {
        {"TabsSetHandlerRecipientSubscriber", false, "txtHandlerMessagesRecipient", "Recipient", subscriberId("dokafor"), 1,
         [&] { dialogs.pickSubscriber(ownHandlerOf("amoreno")); }},
        {"TabsSetOWnerHandlerDL", false, "txtHandlerProfileOwner", "Administrator", listId("supportteam"), 2,
         [&] { dialogs.findDistributionList(listId("allemployees"), "All Employees"); }},
        {"TabsSetOwnerInterviewerSubscriber", true, "txtInterviewerOwner", "Administrator", listId("allemployees"), 2,
         [&] { dialogs.pickSubscriber(ownHandlerOf("bcarter")); }},
        {"TabsSetRecipientInterviewerDistributionList", true, "txtInterviewerRecipient", "Recipient", subscriberId("dokafor"), 1,
         [&] { dialogs.findDistributionList(listId("supportteam"), "Support Team"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        const QString table = c.interviewer ? "InterviewHandler" : "CallHandler";
        const QString alias = c.interviewer ? "customerfeedback" : "salesch";
        auto showIt = [&] { c.interviewer ? showInterviewer(alias) : showHandler(alias); };
        showIt();
        const QString before = shown(c.box);
        c.pick();
        dialogs.whileShown = [&] {
            f.site.execute(QString("UPDATE %1 SET %2ObjectID = ?, %2ObjectIDType = ? WHERE Alias = ?").arg(table, c.prefix),
                           {c.theirs, c.theirType, alias});
            f.searchSubscribersAndCancel();
        };
        f.prompts.messages.clear();
        const int lines = updateLines().size();
        item(c.item)->trigger();
        dialogs.whileShown = nullptr;
        EXPECT_EQ(f.prompts.messages, QStringList{"Error in " + QString(c.item) + "_Click: " + kRowChanged});
        EXPECT_EQ(stored(table, alias, c.prefix), c.theirs + "|" + QString::number(c.theirType));
        EXPECT_EQ(linesSince(lines), QStringList());
        // The box shows the party stored, as the next load of the page does.
        const QString after = shown(c.box);
        EXPECT_NE(after, before);
        showIt();
        EXPECT_EQ(after, shown(c.box));
    }
}

} // namespace
