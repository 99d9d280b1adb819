#include "tree/ReferencesPanel.h"

#include "fixtures/ReferenceQueries.h"
#include "tree/TreeFixture.h"
#include "widgets/BoundGrid.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QTabWidget>
#include <QTest>

namespace {

using namespace TreeNodeType;

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

    t.tree().setExpandAllInProgress(true);
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

TEST_F(ReferencesPanelTest, AGridThatCannotBeFilledIsReportedAndTheOtherStillLoads)
{
    t.state().cache.rsSubscriber.close();
    select({"0"});
    // The pane has its own words for the closed recordset; the panel speaks once.
    EXPECT_EQ(
        t.messages().filter("Load References Info"),
        QStringList({"Error in Load References Info procedure: Description=Operation is not allowed when the object is closed."}));
    EXPECT_EQ(subscribers->rows().rowCount(), 0);
    EXPECT_GT(handlers->rows().rowCount(), 0) << "the call handler grid still loads";
}

// The panel answers from the cache, which the row change reads again first: a link that another
// connection wrote meanwhile shows, and one it took away is gone.
TEST_F(ReferencesPanelTest, LinksWrittenElsewhereShowAtTheNextRowChange)
{
    select({"1"});
    const QString targetId = t.objectId(t.row({"1"}));
    const QStringList listed = column(subscribers, "Alias");
    const QString newcomer =
        t.f.site.scalar("SELECT min(Alias) FROM Subscriber WHERE Alias NOT IN ('" + listed.join("','") + "')").toText();
    for (const Variant& exit : {Variant(targetId), Variant::null()}) {
        t.f.site.execute("UPDATE Subscriber SET ExitObjectID = ? WHERE Alias = ?", {exit, newcomer});
        select({"9"});
        select({"1"});
        EXPECT_EQ(column(subscribers, "Alias").contains(newcomer), !exit.isNull());
    }
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

} // namespace
