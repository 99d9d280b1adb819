#include "profile/ProfileFixture.h"
#include "tree/CallFlowTree.h"
#include "tree/TreeRowModel.h"
#include "widgets/BoundGrid.h"
#include "widgets/OutlineGrid.h"

namespace {

const QString kNameRule = "The display name cannot be empty and can contain only letters, numbers, spaces, dashes and commas";
const QString kRowChanged = "Row cannot be located for updating. Some values may have been changed since it was last read.";

struct Editor {
    const char* table;
    const char* alias;
    const char* box;
    const char* elsewhere;
};

class DisplayNameTest : public ::testing::Test, public ProfileFixture {
protected:
    void SetUp() override { startProfile(); }

    // The display-name column of the object list's entry with that alias.
    QString listedName(const QString& alias)
    {
        auto* list = control<BoundGrid>("gridObjects");
        for (int r = 0; r < list->rows().rowCount(); ++r)
            if (list->rows().cell(r, 1).textOrEmpty() == alias)
                return list->rows().cell(r, 2).textOrEmpty();
        return "(not listed)";
    }

    // Another program renames the object "Theirs", and a search reads it.
    void renameElsewhere(const Editor& e)
    {
        f.site.execute(QString("UPDATE %1 SET TextName = 'Theirs' WHERE Alias = ?").arg(e.table), {e.alias});
        f.searchSubscribersAndCancel();
        f.prompts.messages.clear();
    }
};

// The editors of objects the object list shows, each with its kind in the list.
const struct {
    Editor editor;
    int listedKind;
} kListedEditors[] = {
    {{"CallHandler", "salesch", "txtHandlerProfileDisplayName", "txtHandlerProfileAlias"}, 0},
    {{"NameLookupHandler", "companydirectory", "txtDirectoryHandlerDisplayName", "txtDirectoryHandlerAlias"}, 3},
    {{"InterviewHandler", "customerfeedback", "txtInterviewerDisplayName", "txtInterviewerAlias"}, 2},
};

TEST_F(DisplayNameTest, EachEditorStoresAValidNameTrimmedAndRefusesEveryOtherWithTheStoredNameBack)
{
    struct Case {
        QString typed;
        QString stored; // empty: refused
    };
    const QList<Case> cases = {
        {"Front Desk", "Front Desk"},
        {"  Sales, East-2  ", "Sales, East-2"},
        {QString(41, 'a'), QString(40, 'a')}, // the box takes 40
        {QString(200, 'b'), QString(40, 'b')},
        {"", ""},
        {"    ", ""},
        {"O'Brien", ""},
        {"Say \"hi\"", ""},
        {"Line\nbreak", ""},
        {"Sales & Co.", ""},
        {QString::fromUtf8("Caf\u00e9"), ""},
    };
    const Editor editors[] = {
        {"CallHandler", "salesch", "txtHandlerProfileDisplayName", "txtHandlerProfileAlias"},
        {"NameLookupHandler", "companydirectory", "txtDirectoryHandlerDisplayName", "txtDirectoryHandlerAlias"},
        {"InterviewHandler", "customerfeedback", "txtInterviewerDisplayName", "txtInterviewerAlias"},
    };
    for (const Editor& e : editors) {
        SCOPED_TRACE(e.table);
        const QString table = e.table;
        if (table == "CallHandler")
            showHandler(e.alias);
        else if (table == "NameLookupHandler")
            showDirectory(e.alias);
        else
            showInterviewer(e.alias);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.typed.toStdString());
            const QString before = aliasColumn(table, e.alias, "TextName").toText();
            f.prompts.messages.clear();
            const int lines = updateLines().size();
            edit(e.box, c.typed, e.elsewhere);
            if (c.stored.isEmpty()) {
                EXPECT_EQ(f.prompts.messages, QStringList{kNameRule});
                EXPECT_EQ(shown(e.box), before);
                EXPECT_EQ(aliasColumn(table, e.alias, "TextName").toText(), before);
                EXPECT_EQ(linesSince(lines), QStringList());
            } else {
                EXPECT_EQ(f.prompts.messages, QStringList());
                EXPECT_EQ(shown(e.box), c.stored);
                EXPECT_EQ(aliasColumn(table, e.alias, "TextName").toText(), c.stored);
                EXPECT_EQ(linesSince(lines), QStringList{line(table, e.alias, "TextName", c.stored)});
            }
            EXPECT_TRUE(control(e.elsewhere)->hasFocus()) << "the focus moves on";
        }
    }
}

TEST_F(DisplayNameTest, AnUnchangedNameIsWrittenAgainExceptAnInterviewHandlersWhichAlsoIgnoresLetterCase)
{
    showHandler("salesch");
    int lines = updateLines().size();
    leaveField("txtHandlerProfileDisplayName", "txtHandlerProfileAlias");
    leaveField("txtHandlerProfileDisplayName", "txtHandlerProfileAlias");
    EXPECT_EQ(linesSince(lines), QStringList(2, line("CallHandler", "salesch", "TextName", "Sales")));

    showInterviewer("customerfeedback");
    const QString stored = aliasColumn("InterviewHandler", "customerfeedback", "TextName").toText();
    lines = updateLines().size();
    leaveField("txtInterviewerDisplayName", "txtInterviewerAlias");
    edit("txtInterviewerDisplayName", stored.toUpper(), "txtInterviewerAlias");
    EXPECT_EQ(linesSince(lines), QStringList());
    EXPECT_EQ(aliasColumn("InterviewHandler", "customerfeedback", "TextName").toText(), stored);
    EXPECT_EQ(shown("txtInterviewerDisplayName"), stored.toUpper()) << "the box keeps what was typed";
    EXPECT_TRUE(f.prompts.messages.isEmpty());
}

TEST_F(DisplayNameTest, TreeRowsAndTheObjectListFollowButTheInterviewHandlersListEntryWaits)
{
    const QString sales = handlerId("salesch");
    ASSERT_FALSE(treeRowsOf(sales).isEmpty());
    showHandler("salesch");
    edit("txtHandlerProfileDisplayName", "Sales East", "txtHandlerProfileAlias");
    for (const QString& text : treeRowsOf(sales))
        EXPECT_TRUE(text.contains("Sales East - Ext:120")) << text.toStdString();
    control<QComboBox>("cmbShowObjectType")->setCurrentIndex(0);
    EXPECT_EQ(listedName("salesch"), "Sales East");

    const QString feedback = interviewerId("customerfeedback");
    control<QComboBox>("cmbShowObjectType")->setCurrentIndex(2);
    const QString listedBefore = listedName("customerfeedback");
    showInterviewer("customerfeedback");
    edit("txtInterviewerDisplayName", "Survey", "txtInterviewerAlias");
    ASSERT_FALSE(treeRowsOf(feedback).isEmpty());
    for (const QString& text : treeRowsOf(feedback))
        EXPECT_TRUE(text.endsWith("Survey - Ext:300")) << text.toStdString();
    EXPECT_EQ(listedName("customerfeedback"), listedBefore);
}

// The interview handler on the tree's current row is not the one the object list put in the
// pane: the rename reaches the listed one, its rows are redrawn, and it stays the one edited.
TEST_F(DisplayNameTest, AnObjectPickedFromTheObjectListIsRenamedRedrawnAndStaysTheEditedOne)
{
    const QString feedback = interviewerId("customerfeedback");
    const QString templateId = interviewerId("interviewtemplate");
    OutlineGrid& grid = f.treeGrid();
    int feedbackRow = -1;
    for (int r = 0; r < grid.rowCount(); ++r)
        if (grid.cellText(r, TreeColumn::ObjectID).compare(feedback, Qt::CaseInsensitive) == 0)
            feedbackRow = r;
    ASSERT_GE(feedbackRow, 0);
    grid.setRow(feedbackRow);
    QApplication::processEvents();
    // Both in the tree, so a redraw through the wrong row would show.
    exec("UPDATE MenuEntry SET Action = 2, ConversationName = 'CHInterview', DestinationObjectID = ?, "
         "DestinationObjectIDType = 5 WHERE ParentObjectID = $H AND Alias = '7'",
         DemoSite::OpeningGreeting, {templateId});
    grid.setRowCount(0);
    f.state->cache.RequeryAllRecordsets();
    f.tree().AddNewNode(f.tree().TreeRootObjectID(), f.tree().TreeRootNodeType());
    for (int r = 0; r < grid.rowCount(); ++r)
        if (grid.cellText(r, TreeColumn::ObjectID).compare(feedback, Qt::CaseInsensitive) == 0)
            grid.setRow(r);
    QApplication::processEvents();
    ASSERT_EQ(grid.cellText(grid.row(), TreeColumn::ObjectID), feedback);

    control<QTabWidget>("TabTreeGrid")->setCurrentIndex(1);
    control<QComboBox>("cmbShowObjectType")->setCurrentIndex(2);
    auto* list = control<BoundGrid>("gridObjects");
    for (int r = 0; r < list->rows().rowCount(); ++r)
        if (list->rows().cell(r, 1).textOrEmpty() == "interviewtemplate")
            list->setCurrentDataRow(r);
    QApplication::processEvents();
    ASSERT_EQ(pane->ShownInterviewHandlerID(), templateId);
    control<QTabWidget>("tabInterviewerInfo")->setCurrentIndex(0);
    QApplication::processEvents();

    const QString feedbackName = aliasColumn("InterviewHandler", "customerfeedback", "TextName").toText();
    edit("txtInterviewerDisplayName", "Template Two", "txtInterviewerAlias");
    EXPECT_EQ(aliasColumn("InterviewHandler", "interviewtemplate", "TextName").toText(), "Template Two");
    EXPECT_EQ(aliasColumn("InterviewHandler", "customerfeedback", "TextName").toText(), feedbackName);
    ASSERT_FALSE(treeRowsOf(templateId).isEmpty());
    for (const QString& text : treeRowsOf(templateId))
        EXPECT_TRUE(text.contains("Template Two - Ext:")) << text.toStdString();
    EXPECT_EQ(f.state->cache.rsInterviewHandler.field("InterviewHandlerObjectID").toText(), templateId);

    // The next edit in the pane reaches the same object.
    edit("txtInterviewerExtension", "355", "txtInterviewerAlias");
    EXPECT_EQ(extensionRows(templateId), "355:1:5");
    EXPECT_EQ(extensionRows(feedback), "300:1:5");
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(DisplayNameTest, ANameChangedElsewhereSinceTheLoadIsReportedOnceShownAsStoredAndNotLogged)
{
    showDirectory("companydirectory");
    f.site.exec("UPDATE NameLookupHandler SET TextName = 'Staff Finder' WHERE Alias = 'companydirectory'");
    const int lines = updateLines().size();
    edit("txtDirectoryHandlerDisplayName", "People", "txtDirectoryHandlerAlias");
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in txtDirectoryHandlerDisplayName_Validate: " + kRowChanged});
    EXPECT_EQ(aliasColumn("NameLookupHandler", "companydirectory", "TextName").toText(), "Staff Finder");
    EXPECT_EQ(shown("txtDirectoryHandlerDisplayName"), "Staff Finder");
    EXPECT_EQ(linesSince(lines), QStringList());
}

TEST_F(DisplayNameTest, ANameChangedElsewhereThatASearchReadIsRefusedAndShownAsStoredWhereverItShows)
{
    for (const auto& [e, listedKind] : kListedEditors) {
        SCOPED_TRACE(e.table);
        const QString table = e.table;
        const QString id = showListed(listedKind, e.alias);
        const QString listedBefore = listedName(e.alias);
        renameElsewhere(e);
        const int lines = updateLines().size();
        edit(e.box, "Mine", e.elsewhere);
        EXPECT_EQ(f.prompts.messages, QStringList{"Error in " + QString(e.box) + "_Validate: " + kRowChanged});
        EXPECT_EQ(aliasColumn(table, e.alias, "TextName").toText(), "Theirs");
        EXPECT_EQ(linesSince(lines), QStringList());
        EXPECT_EQ(shown(e.box), "Theirs");
        for (const QString& text : treeRowsOf(id))
            EXPECT_TRUE(text.contains("Theirs - Ext:")) << text.toStdString();
        // The interview handler's list entry waits for the list's next reload, as after a rename.
        EXPECT_EQ(listedName(e.alias), table == "InterviewHandler" ? listedBefore : "Theirs");
    }
}

// A name typed into agreement with what another program stored (read by a search) is no conflict,
// and the name typed next is judged by it.
TEST_F(DisplayNameTest, ANameTypedIntoAgreementWithAChangeMadeElsewhereIsNoConflictForTheNextName)
{
    for (const auto& [e, listedKind] : kListedEditors) {
        SCOPED_TRACE(e.table);
        showListed(listedKind, e.alias);
        renameElsewhere(e);
        edit(e.box, "Theirs", e.elsewhere);
        const int lines = updateLines().size();
        edit(e.box, "Mine", e.elsewhere);
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
        EXPECT_EQ(aliasColumn(e.table, e.alias, "TextName").toText(), "Mine");
        EXPECT_EQ(linesSince(lines).size(), 1);
    }
}

} // namespace
