#include "tree/ReferencesPanel.h"

#include "db/Query.h"
#include "db/Sqlite.h"
#include "fixtures/ReferenceQueries.h"
#include "server/ServerFunctions.h"
#include "tree/TreeFixture.h"
#include "widgets/BoundGrid.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QTabWidget>
#include <QTest>

namespace {

using namespace TreeNodeType;

QStringList texts(const QueryResult& result)
{
    QStringList rows;
    for (const auto& row : result.rows) {
        QStringList cells;
        for (const Variant& v : row)
            cells << (v.isNull() ? QStringLiteral("<null>") : v.textOrEmpty());
        rows << cells.join('|');
    }
    return rows;
}

TEST(ReferencesQueries, ReturnExactlyTheRowsOfTheJoinedQueries)
{
    FixtureSite site;
    // Links that only the odd cases of the joins catch: a subscriber's exit alone, three keys
    // of one handler to the same place, a subscriber's own handler leading somewhere, a handler
    // without greetings, an id in another letter case.
    site.exec("UPDATE Subscriber SET ExitObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'supportch') "
              "WHERE Alias = 'jpetrov'");
    site.exec("UPDATE MenuEntry SET DestinationObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'goodbyech'), "
              "Action = 2 WHERE Alias IN ('1', '2', '3') AND ParentObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE "
              "Alias = 'salesch')");
    site.exec("UPDATE CallHandler SET AfterMessageObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = "
              "'goodbyech') WHERE IsPrimary = 1 AND RecipientObjectID = (SELECT SubscriberObjectID FROM Subscriber WHERE Alias = "
              "'fhaddad')");
    site.exec("DELETE FROM MessagingRule WHERE ParentObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = "
              "'supportch')");
    SqliteDb db(site.databasePath(), SqliteDb::Mode::ReadWrite);
    registerServerFunctions(db.handle());

    QStringList ids;
    for (const char* sql : {"SELECT CallHandlerObjectID FROM CallHandler", "SELECT InterviewHandlerObjectID FROM InterviewHandler",
                            "SELECT NameLookupHandlerObjectID FROM NameLookupHandler", "SELECT SubscriberObjectID FROM Subscriber"})
        for (const auto& row : runQuery(db, sql).rows)
            ids << row[0].toText();
    ids << ids.first().toLower() << QStringLiteral("{00000000-0000-0000-0000-000000000000}") << QString();

    int found = 0;
    for (const QString& id : ids) {
        SCOPED_TRACE(id.toStdString());
        const QueryResult subscribers = runQuery(db, ReferencesPanel::subscriberQuery(), {Variant(id)});
        EXPECT_EQ(texts(subscribers), texts(runQuery(db, ReferenceQueries::subscribers, {Variant(id)})));
        const QueryResult handlers = runQuery(db, ReferencesPanel::callHandlerQuery(), {Variant(id)});
        EXPECT_EQ(texts(handlers), texts(runQuery(db, ReferenceQueries::callHandlers, {Variant(id)})));
        found += int(subscribers.rows.size() + handlers.rows.size());
    }
    EXPECT_GT(found, 10) << "the fixture must hold references for the comparison to mean anything";
}

TEST(ReferencesQueries, AnIdWithAQuoteIsLookedUpNotRun)
{
    FixtureSite site;
    SqliteDb db(site.databasePath(), SqliteDb::Mode::ReadWrite);
    registerServerFunctions(db.handle());
    const QString id = "x') OR ('1'='1";
    EXPECT_TRUE(runQuery(db, ReferencesPanel::subscriberQuery(), {Variant(id)}).rows.empty());
    EXPECT_TRUE(runQuery(db, ReferencesPanel::callHandlerQuery(), {Variant(id)}).rows.empty());
}

class ReferencesPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(t.load());
        subscribers = t.f.control<BoundGrid>("gridSubscriberReferences");
        handlers = t.f.control<BoundGrid>("gridCallHandlerReferences");
        showReferences = t.option("ShowReferences");
    }
    void select(const QStringList& path) { t.grid().setRow(t.row(path)); }
    QStringList column(BoundGrid* grid, const QString& key) const
    {
        QStringList values;
        const int col = grid->rows().colIndex(key);
        for (int r = 0; r < grid->rows().rowCount(); ++r)
            values << grid->rows().cell(r, col).textOrEmpty();
        return values;
    }
    QStringList captions(BoundGrid* grid) const
    {
        QStringList shown;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            if (!grid->isColumnHidden(c))
                shown << grid->model()->headerData(c, Qt::Horizontal).toString();
        return shown;
    }

    TreeFixture t;
    BoundGrid* subscribers = nullptr;
    BoundGrid* handlers = nullptr;
    QAction* showReferences = nullptr;
};

TEST_F(ReferencesPanelTest, ASelectedHandlerListsWhoSendsCallersToIt)
{
    select({"0"}); // the operator
    EXPECT_EQ(captions(subscribers), QStringList({"Alias", "Display Name", "Extension", "First Name", "Last Name"}));
    EXPECT_EQ(captions(handlers), QStringList({"Alias", "Display Name", "Extension"}));
    const QStringList handlerIds = column(handlers, "CallHandlerObjectID");
    EXPECT_TRUE(handlerIds.contains(t.handlerId("openinggreetingch")));
    for (const QString& id : handlerIds)
        EXPECT_EQ(t.f.site.scalar("SELECT IsPrimary FROM CallHandler WHERE CallHandlerObjectID = ?", {id}).toInt32(), 0)
            << "a subscriber's own handler is never listed among the call handlers";
    EXPECT_EQ(handlerIds.size(), QSet<QString>(handlerIds.begin(), handlerIds.end()).size()) << "one row per handler";
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST_F(ReferencesPanelTest, RowsThatLeadNowhereLeaveThePanelEmpty)
{
    for (const QStringList& path : {QStringList{"4"}, QStringList{"#"}}) {
        select({"0"});
        ASSERT_GT(handlers->rows().rowCount(), 0);
        select(path);
        EXPECT_EQ(handlers->rows().rowCount(), 0) << path.join('/').toStdString();
        EXPECT_EQ(subscribers->rows().rowCount(), 0);
    }
}

TEST_F(ReferencesPanelTest, TheOptionSwitchesThePanelOffAndBackOnForTheCurrentRow)
{
    select({"0"});
    showReferences->trigger();
    EXPECT_FALSE(showReferences->isChecked());
    EXPECT_EQ(handlers->rows().rowCount(), 0);
    select({"9"});
    select({"0"});
    EXPECT_EQ(handlers->rows().rowCount(), 0) << "nothing is loaded while the panel is off";
    showReferences->trigger();
    EXPECT_TRUE(showReferences->isChecked());
    EXPECT_GT(handlers->rows().rowCount(), 0);

    t.state().ExpandAllInProgress = true;
    select({"4"});
    EXPECT_GT(handlers->rows().rowCount(), 0) << "expanding all leaves the panel alone";
}

TEST_F(ReferencesPanelTest, ADoubleClickedReferenceBecomesTheTreesRoot)
{
    t.f.site.exec("UPDATE Subscriber SET ExitObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = 'operatorch') "
                  "WHERE Alias = 'jpetrov'");
    t.f.window->show();
    t.f.control<QTabWidget>("TabTreeGrid")->setCurrentIndex(1);
    select({"0"});
    const int petrov = column(subscribers, "Alias").indexOf("jpetrov");
    ASSERT_GE(petrov, 0) << "a subscriber whose exit leads to the handler is listed";
    subscribers->setCurrentDataRow(petrov);
    const QString ownHandler = subscribers->currentValue("CallHandlerObjectID").toText();
    QApplication::processEvents();
    const QRect cell = subscribers->visualRect(subscribers->model()->index(petrov, 1));
    ASSERT_TRUE(subscribers->viewport()->rect().contains(cell.center()));
    int doubleClicks = 0;
    QObject::connect(subscribers, &BoundGrid::dataRowDoubleClicked, [&] { ++doubleClicks; });
    QTest::mouseDClick(subscribers->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(doubleClicks, 1);
    EXPECT_EQ(t.objectId(0), ownHandler);
    EXPECT_EQ(t.type(0), Subscriber);
    EXPECT_EQ(t.f.control<QTabWidget>("TabTreeGrid")->currentIndex(), 0);

    // A sort by the user leaves no reference current, so a double click then has nothing to do.
    select({"0"});
    subscribers->horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(subscribers->currentDataRow(), -1);
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST_F(ReferencesPanelTest, AQueryThatCannotRunIsReportedAndTheLoadGoesOn)
{
    t.f.site.exec("DROP VIEW vw_Subscriber");
    select({"0"});
    ASSERT_FALSE(t.messages().isEmpty());
    for (const QString& m : t.messages())
        EXPECT_TRUE(m.startsWith("Error in Load References Info procedure: Description=")) << m.toStdString();
    EXPECT_EQ(subscribers->rows().rowCount(), 0);
    EXPECT_GT(handlers->rows().rowCount(), 0) << "the call handler grid still loads";
}

} // namespace
