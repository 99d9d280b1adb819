#include "profile/ProfileFixture.h"
#include "tree/TreeRowModel.h"
#include "widgets/BoundGrid.h"
#include "widgets/OutlineGrid.h"

namespace {

const QString kRowChanged = "Row cannot be located for updating. Some values may have been changed since it was last read.";

class ExtensionTest : public ::testing::Test, public ProfileFixture {
protected:
    void SetUp() override { startProfile(); }

    QString inUse(const QString& kind, const QString& alias, const QString& name) const
    {
        return "That extension is in use by the following objects:\r\n    " + kind + " with alias=" + alias
               + " and a display name=" + name + "\r\n";
    }
    QString listedExtension(int kind, const QString& alias)
    {
        control<QComboBox>("cmbShowObjectType")->setCurrentIndex(kind);
        auto* list = control<BoundGrid>("gridObjects");
        for (int r = 0; r < list->rows().rowCount(); ++r)
            if (list->rows().cell(r, 1).textOrEmpty() == alias)
                return list->rows().cell(r, 3).textOrEmpty();
        return "(not listed)";
    }
};

TEST_F(ExtensionTest, AHandlersExtensionIsAddedChangedAndRemovedWithItsLogLineAndRedraw)
{
    const QString goodbye = handlerId("goodbyech");
    exec("DELETE FROM DTMFAccessID WHERE ParentObjectID = $H", "goodbyech");
    showHandler("goodbyech");
    struct Step {
        const char* typed;
        const char* rows;  // the handler's rows of the extension table afterwards
        const char* value; // the log line's value
    };
    const Step steps[] = {
        {"191", "191:1:3", "191"},    // added
        {" 192 ", "192:1:3", "192"},  // changed, without the blanks
        {"", "", "(NULL)"},           // removed
        {"", "", "(NULL)"},           // nothing to remove: still logged
        {"0070", "0070:1:3", "0070"}, // digits as typed
        {"7", "7:1:3", "7"},          // one digit is enough for a handler
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.typed);
        const int lines = updateLines().size();
        edit("txtHandlerProfileExtension", s.typed, "txtHandlerProfileAlias");
        EXPECT_EQ(extensionRows(goodbye), s.rows);
        EXPECT_EQ(linesSince(lines), QStringList{line("CallHandler", "goodbyech", "DTMFAccessID", s.value)});
        EXPECT_EQ(shown("txtHandlerProfileExtension"), QString(s.typed).trimmed());
        EXPECT_TRUE(control("txtHandlerProfileAlias")->hasFocus());
    }
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    EXPECT_EQ(listedExtension(0, "goodbyech"), "7");
    for (const QString& text : treeRowsOf(goodbye))
        EXPECT_TRUE(text.contains("Goodbye - Ext:7")) << text.toStdString();

    // Retyping the stored extension does nothing at all.
    const int lines = updateLines().size();
    edit("txtHandlerProfileExtension", "7", "txtHandlerProfileAlias");
    EXPECT_EQ(linesSince(lines), QStringList());

    // The display name edited next reaches the same handler.
    edit("txtHandlerProfileDisplayName", "Farewell", "txtHandlerProfileAlias");
    EXPECT_EQ(aliasColumn("CallHandler", "goodbyech", "TextName").toText(), "Farewell");
}

TEST_F(ExtensionTest, DirectoryAndInterviewHandlersGetRowsOfTheirOwnTypeAndOnlyTheDirectoryIsRelisted)
{
    const QString directory = directoryId("companydirectory");
    showDirectory("companydirectory");
    edit("txtDirectoryHandlerExtension", "", "txtDirectoryHandlerAlias");
    EXPECT_EQ(extensionRows(directory), "");
    edit("txtDirectoryHandlerExtension", "401", "txtDirectoryHandlerAlias");
    EXPECT_EQ(extensionRows(directory), "401:1:6");
    EXPECT_EQ(updateLines().last(), line("NameLookupHandler", "companydirectory", "DTMFAccessID", "401"));
    EXPECT_EQ(listedExtension(3, "companydirectory"), "401");

    const QString feedback = interviewerId("customerfeedback");
    const QString listedBefore = listedExtension(2, "customerfeedback");
    showInterviewer("customerfeedback");
    edit("txtInterviewerExtension", "", "txtInterviewerAlias");
    edit("txtInterviewerExtension", "301", "txtInterviewerAlias");
    EXPECT_EQ(extensionRows(feedback), "301:1:5");
    EXPECT_EQ(updateLines().last(), line("InterviewHandler", "customerfeedback", "DTMFAccessID", "301"));
    for (const QString& text : treeRowsOf(feedback))
        EXPECT_TRUE(text.endsWith("- Ext:301")) << text.toStdString();
    auto* list = control<BoundGrid>("gridObjects");
    QString listed;
    for (int r = 0; r < list->rows().rowCount(); ++r)
        if (list->rows().cell(r, 1).textOrEmpty() == "customerfeedback")
            listed = list->rows().cell(r, 3).textOrEmpty();
    EXPECT_EQ(listed, listedBefore) << "the list is not reloaded for an interview handler";
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(ExtensionTest, RefusedExtensionsBringTheirReasonAndTheStoredExtensionBack)
{
    struct Case {
        QString typed;
        QString message;
    };
    const QList<Case> cases = {
        {"12a", "Only numbers are allowed for the extension number"},
        {"abc", "Only numbers are allowed for the extension number"},
        {"+12", "Only numbers are allowed for the extension number"},
        {"1e3", "Only numbers are allowed for the extension number"},
        {"1 2", "Only numbers are allowed for the extension number"},
        {"-12", "Extensions must be positive numbers only"},
        {"12.5", "Extension must be a whole number only"},
        {"2001", inUse("Subscriber in the dialing domain", "amoreno", "Alice Moreno")},
        {" 2001", inUse("Subscriber in the dialing domain", "amoreno", "Alice Moreno")},
        {"5000", inUse("Subscriber in the dialing domain", "fhaddad", "Farid Haddad")},
        {"120", inUse("Call Handler", "salesch", "Sales")},
        {"300", inUse("Interview Handler", "customerfeedback", "Customer Feedback")},
        {"400", inUse("Name Lookup Handler", "companydirectory", "Company Directory")},
        {"500", inUse("Public Distribution List", "allemployees", "All Employees")},
        {"7999", inUse("Location Object", "brightwater-hq", "Brightwater Headquarters")},
    };
    const QString operatorId = handlerId("operatorch");
    showHandler("operatorch");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        f.prompts.messages.clear();
        const int lines = updateLines().size();
        edit("txtHandlerProfileExtension", c.typed, "txtHandlerProfileAlias");
        EXPECT_EQ(f.prompts.messages, QStringList{c.message});
        EXPECT_EQ(shown("txtHandlerProfileExtension"), "110");
        EXPECT_EQ(extensionRows(operatorId), "110:1:3");
        EXPECT_EQ(linesSince(lines), QStringList());
    }
    // 31 digits do not fit the box; its 30 are a free extension.
    const QString digits31 = QString(31, '9');
    edit("txtHandlerProfileExtension", digits31, "txtHandlerProfileAlias");
    EXPECT_EQ(extensionRows(operatorId), QString(30, '9') + ":1:3");
}

TEST_F(ExtensionTest, OnlyThePrimaryRowOfAnObjectWithASecondExtensionIsChangedOrRemoved)
{
    const QString operatorId = handlerId("operatorch");
    // The second extension comes first in the table.
    exec("DELETE FROM DTMFAccessID WHERE ParentObjectID = $H", "operatorch");
    f.site.execute("INSERT INTO DTMFAccessID (DTMFAccessID, ParentObjectID, ParentObjectIDType, IsPrimaryID) VALUES "
                   "('111', ?1, 3, 0), ('110', ?1, 3, 1)",
                   {operatorId});
    showHandler("operatorch");
    edit("txtHandlerProfileExtension", "115", "txtHandlerProfileAlias");
    EXPECT_EQ(extensionRows(operatorId), "111:0:3,115:1:3");
    edit("txtHandlerProfileExtension", "", "txtHandlerProfileAlias");
    EXPECT_EQ(extensionRows(operatorId), "111:0:3");
    edit("txtHandlerProfileExtension", "116", "txtHandlerProfileAlias");
    EXPECT_EQ(extensionRows(operatorId), "111:0:3,116:1:3");
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(ExtensionTest, AnExtensionRowChangedElsewhereIsReportedOnceAndNothingIsOverwrittenOrLogged)
{
    const QString operatorId = handlerId("operatorch");
    showHandler("operatorch");
    exec("UPDATE DTMFAccessID SET DTMFAccessID = '119' WHERE ParentObjectID = $H", "operatorch");
    const int lines = updateLines().size();
    edit("txtHandlerProfileExtension", "115", "txtHandlerProfileAlias");
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in txtHandlerProfileExtension: " + kRowChanged});
    EXPECT_EQ(extensionRows(operatorId), "119:1:3");
    EXPECT_EQ(shown("txtHandlerProfileExtension"), "119");
    EXPECT_EQ(linesSince(lines), QStringList());
    EXPECT_EQ(f.state->cache.rsCallHandler.field("CallHandlerObjectID").toText(), operatorId);
}

TEST_F(ExtensionTest, AnExtensionGivenOutElsewhereSinceTheLoadIsFoundInUse)
{
    showHandler("operatorch");
    f.site.exec("UPDATE DTMFAccessID SET DTMFAccessID = '350' WHERE DTMFAccessID = '300'");
    edit("txtHandlerProfileExtension", "350", "txtHandlerProfileAlias");
    EXPECT_EQ(f.prompts.messages, QStringList{inUse("Interview Handler", "customerfeedback", "Customer Feedback")});
    EXPECT_EQ(extensionRows(handlerId("operatorch")), "110:1:3");
}

TEST_F(ExtensionTest, TheSubscribersReadOnlyBoxWritesThroughItsOwnHandlerToThePrimaryRow)
{
    const QString farid = subscriberId("fhaddad");
    showSubscriber("fhaddad");
    auto* box = control<QLineEdit>("txtSubscriberProfileExtension");
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(box->text(), "2006");

    // Left as shown: nothing happens.
    int lines = updateLines().size();
    leaveField("txtSubscriberProfileExtension", "txtSubscriberProfileAlias");
    EXPECT_EQ(linesSince(lines), QStringList());

    edit("txtSubscriberProfileExtension", "0206", "txtSubscriberProfileAlias");
    EXPECT_EQ(extensionRows(farid), "0206:1:1,5000:0:1");
    EXPECT_EQ(linesSince(lines), QStringList{line("CallHandler", "fhaddad_ch", "DTMFAccessID", " 206")});
    EXPECT_EQ(listedExtension(1, "fhaddad"), "0206");

    // Refused: too short, in use.
    for (const auto& [typed, message] :
         QList<std::pair<QString, QString>>{{"12", "Extensions must be at least 3 digits in length"},
                                            {"2001", inUse("Subscriber in the dialing domain", "amoreno", "Alice Moreno")}}) {
        f.prompts.messages.clear();
        lines = updateLines().size();
        edit("txtSubscriberProfileExtension", typed, "txtSubscriberProfileAlias");
        EXPECT_EQ(f.prompts.messages, QStringList{message});
        EXPECT_EQ(box->text(), "0206");
        EXPECT_EQ(extensionRows(farid), "0206:1:1,5000:0:1");
        EXPECT_EQ(linesSince(lines), QStringList());
    }
}

TEST_F(ExtensionTest, ASubscriberWithoutAnExtensionCanBeTabbedThroughWithoutAMessage)
{
    const QString ben = subscriberId("bcarter");
    f.site.execute("DELETE FROM DTMFAccessID WHERE ParentObjectID = ?", {ben});
    showSubscriber("bcarter");
    EXPECT_EQ(shown("txtSubscriberProfileExtension"), "");
    const int lines = updateLines().size();
    for (int i = 0; i < 3; ++i)
        leaveField("txtSubscriberProfileExtension", "txtSubscriberProfileAlias");
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    EXPECT_EQ(linesSince(lines), QStringList());

    // Given digits, the subscriber's primary row is made.
    edit("txtSubscriberProfileExtension", "2022", "txtSubscriberProfileAlias");
    EXPECT_EQ(extensionRows(ben), "2022:1:1");
    EXPECT_EQ(updateLines().last(), line("CallHandler", "bcarter_ch", "DTMFAccessID", " 2022"));
}

TEST_F(ExtensionTest, AnExtensionChangedElsewhereThatASearchReadIsRefusedAndShownAsStoredWhereverItShows)
{
    struct Case {
        const char* what;
        int kind; // in the object list and the pane: 0 call handler, 2 interview handler, 3 directory handler
        const char* alias;
        const char* box;
        const char* elsewhere;
        const char* message;
        const char* theirs; // the other program's primary extension; empty: it removed the row
        const char* typed;  // nullptr: the box is left as shown
    };
    const Case cases[] = {
        {"changed, then typed", 0, "operatorch", "txtHandlerProfileExtension", "txtHandlerProfileAlias",
         "Error in txtHandlerProfileExtension: ", "119", "115"},
        {"changed, then left as shown", 2, "customerfeedback", "txtInterviewerExtension", "txtInterviewerAlias",
         "Error in txtInterviewerExtension_Validate: ", "319", nullptr},
        {"removed, then left as shown", 3, "companydirectory", "txtDirectoryHandlerExtension", "txtDirectoryHandlerAlias",
         "Error in txtdirectoryhandlerextension: ", "", nullptr},
        {"changed, then cleared", 0, "operatorch", "txtHandlerProfileExtension", "txtHandlerProfileAlias",
         "Error in txtHandlerProfileExtension: ", "118", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString id = showListed(c.kind, c.alias);
        const QString shownBefore = shown(c.box);
        ASSERT_FALSE(shownBefore.isEmpty());
        if (QString(c.theirs).isEmpty())
            f.site.execute("DELETE FROM DTMFAccessID WHERE ParentObjectID = ?", {id});
        else
            f.site.execute("UPDATE DTMFAccessID SET DTMFAccessID = ? WHERE ParentObjectID = ?", {c.theirs, id});
        f.searchSubscribersAndCancel();
        const QString rows = extensionRows(id);
        f.prompts.messages.clear();
        const int lines = updateLines().size();
        if (c.typed)
            edit(c.box, c.typed, c.elsewhere);
        else
            leaveField(c.box, c.elsewhere);
        EXPECT_EQ(f.prompts.messages, QStringList{c.message + kRowChanged});
        EXPECT_EQ(extensionRows(id), rows);
        EXPECT_EQ(linesSince(lines), QStringList());
        EXPECT_EQ(shown(c.box), QString(c.theirs));
        for (const QString& text : treeRowsOf(id))
            EXPECT_FALSE(text.contains("Ext:" + shownBefore)) << text.toStdString();
        if (c.kind != 2) {
            // The list is read again as after a change of ours; it does not show the interview handler's.
            auto* list = control<BoundGrid>("gridObjects");
            QString listed = "(not listed)";
            for (int r = 0; r < list->rows().rowCount(); ++r)
                if (list->rows().cell(r, 1).textOrEmpty() == c.alias)
                    listed = list->rows().cell(r, 3).textOrEmpty();
            EXPECT_EQ(listed, c.theirs);
        }

        // What is shown now is what the next change is judged by.
        f.prompts.messages.clear();
        edit(c.box, "117", c.elsewhere);
        EXPECT_EQ(f.prompts.messages, QStringList());
        EXPECT_EQ(shown(c.box), "117");
        edit(c.box, shownBefore, c.elsewhere);
        EXPECT_EQ(f.prompts.messages, QStringList());
    }
}

// An extension typed into agreement with what another program stored (read by a search) writes
// nothing, and the extension typed next is judged by it.
TEST_F(ExtensionTest, AnExtensionTypedIntoAgreementWithAChangeMadeElsewhereIsNoConflictForTheNextOne)
{
    const struct {
        const char* what;
        int kind; // in the object list and the pane: 0 call handler, 1 subscriber, 2 interview handler, 3 directory handler
        const char* alias;
        const char* box;
        const char* elsewhere;
    } cases[] = {
        {"call handler", 0, "operatorch", "txtHandlerProfileExtension", "txtHandlerProfileAlias"},
        {"subscriber", 1, "fhaddad", "txtSubscriberProfileExtension", "txtSubscriberProfileAlias"},
        {"interview handler", 2, "customerfeedback", "txtInterviewerExtension", "txtInterviewerAlias"},
        {"directory handler", 3, "companydirectory", "txtDirectoryHandlerExtension", "txtDirectoryHandlerAlias"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString id = c.kind == 1 ? subscriberId(c.alias) : showListed(c.kind, c.alias);
        if (c.kind == 1)
            showSubscriber(c.alias);
        const QString theirs = QString("61%1").arg(c.kind), mine = QString("62%1").arg(c.kind);
        f.site.execute("UPDATE DTMFAccessID SET DTMFAccessID = ? WHERE ParentObjectID = ? AND IsPrimaryID = 1", {theirs, id});
        f.searchSubscribersAndCancel();
        f.prompts.messages.clear();
        const int lines = updateLines().size();
        edit(c.box, theirs, c.elsewhere);
        EXPECT_EQ(linesSince(lines), QStringList());
        edit(c.box, mine, c.elsewhere);
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
        EXPECT_TRUE(extensionRows(id).startsWith(mine + ":")) << extensionRows(id).toStdString();
        EXPECT_EQ(linesSince(lines).size(), 1);
    }
}

} // namespace
