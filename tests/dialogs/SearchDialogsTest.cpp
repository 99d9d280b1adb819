#include "dialogs/GetHandlerDialog.h"
#include "dialogs/ObjectSearchDialog.h"
#include "fakes/ScriptedDialogs.h"
#include "fixtures/MainWindowFixture.h"
#include "widgets/BoundGrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

class SearchDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        f.site.exec("UPDATE CallHandler SET TextName = 'O''Brien''s 50%_Desk' WHERE Alias = 'supportch'");
        ASSERT_TRUE(f.load());
        f.prompts.messages.clear();
    }

    // Column 1 (the alias) of every result row.
    static QStringList aliases(const BoundGrid& grid)
    {
        QStringList found;
        for (int r = 0; r < grid.rows().rowCount(); ++r)
            found << grid.rows().cell(r, 1).textOrEmpty();
        return found;
    }

    MainWindowFixture f;
    DialogOperations::SearchResult result;
};

TEST_F(SearchDialogsTest, PatternsFindByTheOnlyWildcardAndEverythingElseStandsForItself)
{
    frmCallHandlerSearch dialog(*f.state, result);
    const QString all = f.site
                            .scalar("SELECT group_concat(Alias, ',') FROM (SELECT Alias FROM CallHandler WHERE IsPrimary <> 1 "
                                    "ORDER BY Alias)")
                            .toText();
    struct Case {
        const char* pattern;
        bool byExtension;
        QString aliases;
    };
    const std::vector<Case> cases = {
        {"*", false, all},
        {"*anything", false, all},
        {"Sal*", false, "salesch"},
        {"  Sales  ", false, "salesch"}, // a display name loses its blanks
        {"Sal", false, ""},
        {"O'Brien's*", false, "supportch"},
        {"*%*", false, all}, // '*' first: no filter at all
        {"O'Brien's 50%_Desk", false, "supportch"},
        {"O'Brien's 50_%Desk", false, ""},
        {"%", false, ""},
        {"[S]ales", false, ""},
        {"Sales' --", false, ""},
        {"Ünïcødé*", false, ""},
        {"12*", true, "salesch"},
        {" 120", true, ""}, // an extension keeps its blanks
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        (c.byExtension ? dialog.options[1] : dialog.options[0])->setChecked(true);
        dialog.txtSearchString->setText(QString::fromUtf8(c.pattern));
        dialog.cmdSearch->click();
        EXPECT_EQ(aliases(*dialog.myGrid).join(','), c.aliases);
        EXPECT_EQ(dialog.myGrid->currentDataRow(), -1);
    }
    dialog.txtSearchString->setText(QString(1000, QLatin1Char('x')));
    dialog.cmdSearch->click();
    EXPECT_EQ(aliases(*dialog.myGrid), QStringList());
    EXPECT_EQ(f.prompts.messages, QStringList());
}

TEST_F(SearchDialogsTest, OkHandsBackTheRowAndRefusesWithoutOne)
{
    frmSubscriberSearch dialog(*f.state, result);
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("optSearchByLastName")->isChecked());
    EXPECT_EQ(dialog.txtSearchString->text(), "*");
    dialog.txtSearchString->setText(QStringLiteral("Moreno"));
    dialog.cmdSearch->click();
    ASSERT_EQ(aliases(*dialog.myGrid), QStringList({"amoreno"}));
    dialog.cmdOK->click();
    EXPECT_EQ(f.prompts.messages, QStringList({"Error!  No subscriber selected!"}));
    EXPECT_TRUE(result.bCancelHit);

    dialog.myGrid->setCurrentDataRow(0);
    dialog.cmdOK->click();
    EXPECT_FALSE(result.bCancelHit);
    EXPECT_EQ(result.strObjectID, f.site.scalar("SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'amoreno_ch'").toText());
    EXPECT_EQ(result.strDisplayName, "Alice Moreno");

    // Another showing starts cancelled; Cancel leaves both strings empty.
    frmDistributionListSearch lists(*f.state, result);
    EXPECT_TRUE(result.bCancelHit);
    lists.cmdSearch->click();
    EXPECT_FALSE(aliases(*lists.myGrid).isEmpty());
    lists.myGrid->setCurrentDataRow(0);
    lists.cmdCancel->click();
    EXPECT_EQ(result.bCancelHit, true);
    EXPECT_EQ(result.strObjectID + result.strDisplayName, "");
}

TEST_F(SearchDialogsTest, ARefusedSearchShowsItsErrorExceptInTheSubscriberSearch)
{
    f.site.exec("DROP VIEW vw_InterviewHandler");
    frmInterviewerSearch interviewers(*f.state, result);
    interviewers.cmdSearch->click();
    ASSERT_EQ(f.prompts.messages.size(), 1);
    EXPECT_TRUE(f.prompts.messages[0].startsWith("Error in cmdSearch function=")) << f.prompts.messages[0].toStdString();
    EXPECT_EQ(interviewers.myGrid->rows().rowCount(), 0);

    f.site.exec("DROP VIEW vw_Subscriber");
    f.prompts.messages.clear();
    frmSubscriberSearch subscribers(*f.state, result);
    subscribers.cmdSearch->click();
    EXPECT_EQ(f.prompts.messages, QStringList());
}

TEST_F(SearchDialogsTest, GetDialogsPickATemplateAndAnExistingHandler)
{
    ScriptedDialogs searches;
    DialogOperations::GetHandlerResult picked;
    QString strTemplateObjectID;
    const QString support = f.site.scalar("SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'supportch'").toText();
    {
        frmMakeNewCallHandler dialog(*f.state, searches, picked, strTemplateObjectID);
        EXPECT_EQ(dialog.tabs->currentIndex(), 1);
        EXPECT_FALSE(dialog.txtHandlerTemplateObjectID->text().isEmpty());
        searches.findCallHandler(support, QStringLiteral("Support"));
        dialog.findChild<QPushButton*>("cmdSelectCallHandler")->click();
        EXPECT_EQ(dialog.txtHandlerTemplateDisplayName->text(), "Support");
        EXPECT_EQ(strTemplateObjectID, support);
    }
    {
        // The next showing starts with the template picked last.
        frmMakeNewCallHandler dialog(*f.state, searches, picked, strTemplateObjectID);
        EXPECT_EQ(dialog.txtHandlerTemplateObjectID->text(), support);
        dialog.startShowing();
        dialog.txtSearchString->setText(QStringLiteral("Sales"));
        dialog.cmdSearch->click();
        dialog.cmdSelect->click();
        EXPECT_EQ(f.prompts.messages, QStringList({"Error!  No call handler selected!"}));
        EXPECT_TRUE(picked.bCancel);
        dialog.myGrid->setCurrentDataRow(0);
        dialog.cmdSelect->click();
        EXPECT_FALSE(picked.bCancel);
        EXPECT_EQ(picked.strDisplayName, "Sales");
        EXPECT_EQ(picked.strObjectID,
                  f.site.scalar("SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'salesch'").toText());
    }
    frmMakeNewDirectoryHandler directories(*f.state, searches, picked);
    directories.startShowing();
    EXPECT_TRUE(directories.cmdSelect->isVisibleTo(&directories));
    EXPECT_FALSE(directories.cmdCreateHandler->isVisibleTo(&directories));
    directories.tabs->setCurrentIndex(0);
    EXPECT_TRUE(directories.cmdCreateHandler->isVisibleTo(&directories));
    directories.cmdCancel->click();
    EXPECT_TRUE(picked.bCancel);
    EXPECT_EQ(picked.strObjectID, "");
}

TEST_F(SearchDialogsTest, GetInterviewerNeedsAnUndeletableTemplate)
{
    f.site.exec("UPDATE InterviewHandler SET Undeletable = 0");
    f.state->cache.RequeryAllRecordsets();
    ScriptedDialogs searches;
    DialogOperations::GetHandlerResult picked;
    frmMakeNewInterviewer dialog(*f.state, searches, picked);
    EXPECT_FALSE(dialog.canShow());
    EXPECT_EQ(f.prompts.messages, QStringList({"No interviewers defined, system in illegal state!"}));
}

} // namespace
