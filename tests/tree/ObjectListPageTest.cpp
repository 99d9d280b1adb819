#include "tree/ObjectListPage.h"

#include "app/Assembly.h"
#include "fakes/ScriptedDialogs.h"
#include "fixtures/RecordingSection.h"
#include "pane/PaneSection.h"
#include "pane/PropertyPane.h"
#include "tree/TreeFixture.h"
#include "widgets/BoundGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTabWidget>
#include <QTest>
#include <system_error>
#include <thread>

namespace {

using namespace TreeNodeType;

class ObjectListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (size_t i = 0; i < sections.size(); ++i)
            t.f.program->pane().setSection(PropertyPane::Tab(i), &sections[i]);
        ASSERT_TRUE(t.load());
        t.f.window->show();
        QApplication::processEvents();
        kinds = t.f.control<QComboBox>("cmbShowObjectType");
        list = t.f.control<BoundGrid>("gridObjects");
        pane = t.f.control<QTabWidget>("tabInfoTab");
        treeOrList = t.f.control<QTabWidget>("TabTreeGrid");
        treeOrList->setCurrentIndex(1);
        QApplication::processEvents();
    }

    QStringList visibleCaptions() const
    {
        QStringList captions;
        for (int c = 0; c < list->rows().columnCount(); ++c)
            if (!list->isColumnHidden(c))
                captions << list->rows().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        return captions;
    }
    QStringList column(int col) const
    {
        QStringList cells;
        for (int r = 0; r < list->rows().rowCount(); ++r)
            cells << list->rows().cell(r, col).textOrEmpty();
        return cells;
    }
    int rowOf(const QString& alias) const { return int(column(1).indexOf(alias)); }
    QList<int> visibleTabs() const
    {
        QList<int> tabs;
        for (int i = 0; i < pane->count(); ++i)
            if (pane->isTabVisible(i))
                tabs << i;
        return tabs;
    }
    QStringList referringHandlers() const
    {
        const BoundGrid* grid = t.f.control<BoundGrid>("gridCallHandlerReferences");
        QStringList aliases;
        for (int r = 0; r < grid->rows().rowCount(); ++r)
            aliases << grid->rows().cell(r, 1).textOrEmpty();
        return aliases;
    }
    QPoint centreOf(int row) const { return list->visualRect(list->rows().index(row, 1)).center(); }
    QStringList loadedIntoPane() const
    {
        QStringList all;
        for (const RecordingSection& s : sections)
            all << s.loaded;
        return all;
    }
    QString ownHandlerId(const QString& subscriberAlias) const
    {
        return t.f.site
            .scalar("SELECT CallHandlerObjectID FROM CallHandler WHERE IsPrimary = 1 AND RecipientObjectID = "
                    "(SELECT SubscriberObjectID FROM Subscriber WHERE Alias = ?)",
                    {subscriberAlias})
            .toText();
    }

    ScriptedDialogs dialogs;
    TreeFixture t{&dialogs};
    std::array<RecordingSection, 5> sections;
    QComboBox* kinds = nullptr;
    BoundGrid* list = nullptr;
    QTabWidget* pane = nullptr;
    QTabWidget* treeOrList = nullptr;
};

TEST_F(ObjectListTest, EachKindListsEveryObjectOfItsKindWithTheProgramsColumnLayout)
{
    // A subscriber of another type is no one the list shows.
    t.f.site.exec("UPDATE Subscriber SET SubscriberType = 2 WHERE Alias = 'cnovak'");
    struct Case {
        int kind;
        QStringList captions;
        int columns;
        const char* expected; // alias|id column value, in alias order
        int idColumn;
    };
    const Case cases[] = {
        {0,
         {"Alias", "Display Name", "Extension"},
         5,
         "SELECT Alias || '|' || CallHandlerObjectID FROM CallHandler WHERE IsPrimary = 0 ORDER BY Alias",
         4},
        {1,
         {"Alias", "Display Name", "Extension", "First Name", "Last Name"},
         9,
         "SELECT s.Alias || '|' || c.CallHandlerObjectID FROM Subscriber s JOIN CallHandler c ON c.IsPrimary = 1 AND "
         "c.RecipientObjectID = s.SubscriberObjectID WHERE s.SubscriberType IN (1, 3) ORDER BY s.Alias",
         8},
        {2,
         {"Alias", "Display Name", "Extension"},
         5,
         "SELECT Alias || '|' || InterviewHandlerObjectID FROM InterviewHandler ORDER BY Alias",
         4},
        {3,
         {"Alias", "Display Name", "Extension"},
         5,
         "SELECT Alias || '|' || NameLookupHandlerObjectID FROM NameLookupHandler ORDER BY Alias",
         4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        kinds->setCurrentIndex(c.kind);
        EXPECT_EQ(list->rows().columnCount(), c.columns);
        EXPECT_EQ(visibleCaptions(), c.captions);
        QStringList expected;
        for (int r = 0; r < 100; ++r) {
            const Variant v = t.f.site.scalar(QString::fromLatin1(c.expected) + QStringLiteral(" LIMIT 1 OFFSET %1").arg(r));
            if (v.isNull())
                break;
            expected << v.toText();
        }
        QStringList shown;
        for (int r = 0; r < list->rows().rowCount(); ++r)
            shown << list->rows().cell(r, 1).textOrEmpty() + '|' + list->rows().cell(r, c.idColumn).textOrEmpty();
        EXPECT_FALSE(expected.isEmpty());
        EXPECT_EQ(shown, expected);
    }
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();

    // The subscriber list's hidden columns: the alias of the own handler, the subscriber, the own handler.
    kinds->setCurrentIndex(1);
    const int row = rowOf("fhaddad");
    ASSERT_GE(row, 0);
    EXPECT_EQ(list->rows().cell(row, 3).toText(), "2006");
    EXPECT_EQ(list->rows().cell(row, 4).toText(), "fhaddad_ch");
    EXPECT_EQ(list->rows().cell(row, 5).toText(), "Farid");
    EXPECT_EQ(list->rows().cell(row, 7).toText(), t.subscriberId("fhaddad"));
    EXPECT_FALSE(list->horizontalHeader()->sectionsMovable());
}

TEST_F(ObjectListTest, AnEmptyKindShowsOnlyItsHeaderAndAQueryThatFailsOneMessage)
{
    t.f.site.exec("DELETE FROM NameLookupHandler");
    kinds->setCurrentIndex(3);
    EXPECT_EQ(list->rows().rowCount(), 0);
    EXPECT_EQ(visibleCaptions(), QStringList({"Alias", "Display Name", "Extension"}));
    EXPECT_TRUE(t.messages().isEmpty());

    kinds->setCurrentIndex(2);
    ASSERT_GT(list->rows().rowCount(), 0);
    t.f.site.exec("DROP VIEW vw_InterviewHandler");
    t.f.program->objectList().LoadGridView();
    EXPECT_EQ(list->rows().rowCount(), 0);
    ASSERT_EQ(t.messages().size(), 1);
    EXPECT_TRUE(t.messages()[0].startsWith("Error in LoadGridView:no such table: vw_InterviewHandler"))
        << t.messages()[0].toStdString();
}

TEST_F(ObjectListTest, AReloadKeepsTheKindAndShowsWhatTheDatabaseHoldsNow)
{
    kinds->setCurrentIndex(1);
    t.f.site.exec("UPDATE Subscriber SET DisplayName = 'Farid O''Haddad' WHERE Alias = 'fhaddad'");
    t.f.program->objectList().LoadGridView();
    EXPECT_EQ(kinds->currentIndex(), 1);
    EXPECT_EQ(list->rows().cell(rowOf("fhaddad"), 2).toText(), "Farid O'Haddad");
}

// The start-up reads the call handlers' list while the cache opens; what a load shows is still
// what the database holds when it loads, though another program changed it after the read ahead
// (read here at once, so that the change lands after it), or when no thread could read ahead.
TEST_F(ObjectListTest, AListReadAheadShowsWhatTheDatabaseHoldsWhenItIsLoaded)
{
    ObjectListPage& objects = t.f.program->objectList();
    const int before = list->rows().rowCount();
    const auto readHere = [](std::function<void()> read) {
        read();
        return std::thread();
    };
    objects.readListAhead(0, readHere);
    t.f.site.exec("UPDATE CallHandler SET TextName = 'Sales desk' WHERE Alias = 'salesch'");
    objects.LoadGridView();
    EXPECT_EQ(list->rows().cell(rowOf("salesch"), 2).toText(), "Sales desk");

    // Its rows kept for the next load are not used once the database changed.
    objects.readListAhead(0, readHere);
    objects.LoadGridView();
    t.f.site.exec("DELETE FROM CallHandler WHERE Alias = 'salesch'");
    objects.LoadGridView();
    EXPECT_EQ(rowOf("salesch"), -1);
    EXPECT_EQ(list->rows().rowCount(), before - 1);

    objects.readListAhead(0, [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    objects.LoadGridView();
    EXPECT_EQ(list->rows().rowCount(), before - 1);
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST_F(ObjectListTest, MakingAnEntryCurrentShowsItsObjectInThePaneAndItsReferences)
{
    struct Case {
        int kind;
        const char* alias;
        int tab;
        QString id;
        QStringList referring;
    };
    const Case cases[] = {
        {0, "salesch", 1, t.handlerId("salesch"), {"openinggreetingch", "supportch"}},
        {1, "fhaddad", 0, ownHandlerId("fhaddad"), {"openinggreetingch"}},
        {2,
         "customerfeedback",
         2,
         t.f.site.scalar("SELECT InterviewHandlerObjectID FROM InterviewHandler WHERE Alias = 'customerfeedback'").toText(),
         {"openinggreetingch"}},
        {3,
         "companydirectory",
         4,
         t.f.site.scalar("SELECT NameLookupHandlerObjectID FROM NameLookupHandler WHERE Alias = 'companydirectory'").toText(),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alias);
        kinds->setCurrentIndex(c.kind);
        for (RecordingSection& s : sections)
            s.loaded.clear();
        const int row = rowOf(c.alias);
        ASSERT_GE(row, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centreOf(row));
        EXPECT_EQ(list->currentDataRow(), row);
        EXPECT_EQ(visibleTabs(), QList<int>{c.tab});
        EXPECT_EQ(pane->currentIndex(), c.tab);
        EXPECT_EQ(sections[size_t(c.tab)].loaded, QStringList{c.id});
        EXPECT_EQ(loadedIntoPane().size(), 1);
        EXPECT_EQ(referringHandlers(), c.referring);
    }
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST_F(ObjectListTest, ReturningToTheListFromAnotherControlShowsItsEntryAgain)
{
    kinds->setCurrentIndex(0);
    list->setCurrentDataRow(rowOf("goodbyech"));
    t.grid().setRow(1); // the tree's row shows another object
    sections[1].loaded.clear();

    QFocusEvent backFromAnotherWindow(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(list, &backFromAnotherWindow);
    EXPECT_TRUE(sections[1].loaded.isEmpty());
    QFocusEvent tabbedInto(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(list, &tabbedInto);
    EXPECT_EQ(sections[1].loaded, QStringList{t.handlerId("goodbyech")});
}

TEST_F(ObjectListTest, ADoubleClickStartsTheTreeAtACallHandlerOrASubscriberOnly)
{
    struct Case {
        int kind;
        const char* alias;
        QString rootId; // empty: the tree stays as it was
        qint16 rootType;
    };
    const Case cases[] = {
        {0, "goodbyech", t.handlerId("goodbyech"), CallHandler},
        {1, "fhaddad", ownHandlerId("fhaddad"), Subscriber},
        {2, "customerfeedback", QString(), 0},
        {3, "companydirectory", QString(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alias);
        t.rebuild();
        const QString rootBefore = t.objectId(0);
        const int rowsBefore = t.grid().rowCount();
        treeOrList->setCurrentIndex(1);
        kinds->setCurrentIndex(c.kind);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centreOf(rowOf(c.alias)));
        if (c.rootId.isEmpty()) {
            EXPECT_EQ(t.objectId(0), rootBefore);
            EXPECT_EQ(t.grid().rowCount(), rowsBefore);
            EXPECT_EQ(treeOrList->currentIndex(), 1);
            continue;
        }
        EXPECT_EQ(t.objectId(0), c.rootId);
        EXPECT_EQ(t.type(0), c.rootType);
        EXPECT_GT(t.grid().childCount(0), 0);
        EXPECT_EQ(t.grid().nextSiblingRow(0), -1); // the only root
        EXPECT_EQ(t.grid().row(), 0);
        EXPECT_EQ(t.tree().TreeRootObjectID(), c.rootId);
        EXPECT_EQ(treeOrList->currentIndex(), 0);
    }
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST_F(ObjectListTest, ARightClickOpensTheKindsPopupForTheEntryCurrentBefore)
{
    auto* handlerMenu = t.f.control<QMenu>("GridHandlerPopUpMenu");
    auto* subscriberMenu = t.f.control<QMenu>("gridSubscriberPopUpMenu");
    struct Case {
        int kind;
        QMenu* menu;
    };
    for (const Case& c : {Case{0, handlerMenu}, Case{1, subscriberMenu}, Case{2, nullptr}, Case{3, nullptr}}) {
        SCOPED_TRACE(c.kind);
        kinds->setCurrentIndex(c.kind);
        list->setCurrentDataRow(0);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, centreOf(1));
        EXPECT_EQ(list->currentDataRow(), 0);
        EXPECT_EQ(handlerMenu->isVisible(), c.menu == handlerMenu);
        EXPECT_EQ(subscriberMenu->isVisible(), c.menu == subscriberMenu);
        handlerMenu->close();
        subscriberMenu->close();
    }

    // The popup's command starts the tree at the entry that was current.
    kinds->setCurrentIndex(1);
    list->setCurrentDataRow(rowOf("fhaddad"));
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, centreOf(rowOf("amoreno")));
    t.f.control<QAction>("gridSubscriberSetAsNewTreeRoot")->trigger();
    EXPECT_EQ(t.objectId(0), ownHandlerId("fhaddad"));
    EXPECT_EQ(t.type(0), Subscriber);
    EXPECT_EQ(treeOrList->currentIndex(), 0);

    treeOrList->setCurrentIndex(1);
    kinds->setCurrentIndex(0);
    list->setCurrentDataRow(rowOf("supportch"));
    t.f.control<QAction>("gridHandlerSetAsNewTreeRoot")->trigger();
    EXPECT_EQ(t.objectId(0), t.handlerId("supportch"));
    EXPECT_EQ(t.type(0), CallHandler);
    EXPECT_EQ(t.tree().TreeRootObjectID(), t.handlerId("supportch"));
    EXPECT_EQ(treeOrList->currentIndex(), 0);
}

TEST_F(ObjectListTest, ANewCallHandlerIsListedAndMadeCurrentWithTheRememberedHandlerBackInPlace)
{
    kinds->setCurrentIndex(0);
    SharedState& s = t.state();
    s.cache.rsCallHandler.moveFirst();
    ASSERT_TRUE(s.cache.rsCallHandler.find("Alias", "operatorch"));
    const QString newId = "{0000AAAA-1111-2222-3333-444455556666}";
    dialogs.whileShown = [&] {
        t.f.site.execute("INSERT INTO CallHandler (CallHandlerObjectID, Alias, TextName, IsPrimary) VALUES (?, 'aaa_new', "
                         "'A New Handler', 0)",
                         {newId});
    };
    dialogs.pickCallHandler(newId.toLower(), "A New Handler"); // ids compare without regard to case
    for (RecordingSection& rs : sections)
        rs.loaded.clear();
    t.f.control<QAction>("gridHandlerCreateNewHandler")->trigger();

    ASSERT_EQ(dialogs.tabs.size(), 1u);
    EXPECT_EQ(dialogs.tabs[0], DialogOperations::GetCallHandlerTab::CreateNewHandler);
    const int row = rowOf("aaa_new");
    ASSERT_GE(row, 0);
    EXPECT_EQ(list->currentDataRow(), row);
    EXPECT_EQ(list->currentIndex().column(), 1);
    EXPECT_EQ(sections[1].loaded.value(0), newId);
    // The handler the pane stood on is current again, its children filtered to it.
    const QString operatorId = t.handlerId("operatorch");
    EXPECT_EQ(s.cache.rsMenuentry.filter().at(0).value.toText(), operatorId);
    EXPECT_EQ(s.cache.rsContactRule.filter().at(0).value.toText(), operatorId);
    EXPECT_EQ(s.cache.rsMessagingRule.filter().at(0).value.toText(), operatorId);
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();

    // Picking an existing handler on the dialog's other tab selects that one.
    dialogs.whileShown = nullptr;
    dialogs.pickCallHandler(t.handlerId("goodbyech"));
    t.f.control<QAction>("gridHandlerCreateNewHandler")->trigger();
    EXPECT_EQ(list->currentDataRow(), rowOf("goodbyech"));

    // Cancel changes nothing.
    dialogs.cancelCallHandler();
    t.f.control<QAction>("gridHandlerCreateNewHandler")->trigger();
    EXPECT_EQ(list->currentDataRow(), rowOf("goodbyech"));
    EXPECT_TRUE(t.messages().isEmpty());
}

TEST_F(ObjectListTest, ANewCallHandlerIsNotSelectedWhenTheRememberedHandlerIsGone)
{
    kinds->setCurrentIndex(0);
    SharedState& s = t.state();
    s.cache.rsCallHandler.moveFirst();
    ASSERT_TRUE(s.cache.rsCallHandler.find("Alias", "goodbyech"));
    const QString goodbyeId = t.handlerId("goodbyech");
    dialogs.whileShown = [&] { t.f.site.exec("DELETE FROM CallHandler WHERE Alias = 'goodbyech'"); };
    dialogs.pickCallHandler(t.handlerId("salesch"));
    t.f.control<QAction>("gridHandlerCreateNewHandler")->trigger();
    EXPECT_EQ(t.messages(),
              QStringList{"Error in LinkcreateNewCallHandler - could not find new handler with object id=" + goodbyeId});
    EXPECT_EQ(rowOf("goodbyech"), -1); // the list was reloaded
    EXPECT_EQ(list->currentDataRow(), -1);
}

TEST_F(ObjectListTest, WithoutTheDialogsCreatingAHandlerDoesNothing)
{
    TreeFixture bare;
    ASSERT_TRUE(bare.load());
    bare.f.control<QComboBox>("cmbShowObjectType")->setCurrentIndex(0);
    const int rows = bare.f.control<BoundGrid>("gridObjects")->rows().rowCount();
    bare.f.control<QAction>("gridHandlerCreateNewHandler")->trigger();
    EXPECT_TRUE(bare.messages().isEmpty());
    EXPECT_EQ(bare.f.control<BoundGrid>("gridObjects")->rows().rowCount(), rows);
}

} // namespace
