#include "actions/ActionEditing.h"
#include "actions/LinkPopUpState.h"
#include "tree/TreeFixture.h"
#include "widgets/OutlineGridView.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

namespace {

using namespace TreeNodeType;

// The demo site's main window, shown, with the mouse and the keys on its tree.
class TreeEventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(t.load());
        t.f.window->show();
        QApplication::processEvents();
        view = t.f.control<OutlineGridView>("ATTree");
        pane = t.f.control<QTabWidget>("tabInfoTab");
    }

    // The row brought on screen, where the mouse can reach it.
    QPoint rowCenter(int row)
    {
        view->scrollTo(view->model()->index(0, 0));
        QApplication::processEvents();
        const QRect rect = view->gridRowRect(row);
        EXPECT_FALSE(rect.isEmpty()) << "row " << row << " is not on screen";
        return rect.center();
    }
    void click(int row, Qt::MouseButton button = Qt::LeftButton) { clickAt(rowCenter(row), button); }
    void clickAt(const QPoint& pos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(view->viewport(), button, {}, pos);
        QApplication::processEvents();
    }
    void doubleClick(int row)
    {
        const QRect rect = view->gridRowRect(row);
        ASSERT_FALSE(rect.isEmpty());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QApplication::processEvents();
    }
    void key(Qt::Key k)
    {
        QTest::keyClick(view, k);
        QApplication::processEvents();
    }
    QList<int> visibleTabs() const
    {
        QList<int> tabs;
        for (int i = 0; i < pane->count(); ++i)
            if (pane->isTabVisible(i))
                tabs << i;
        return tabs;
    }

    TreeFixture t;
    OutlineGridView* view = nullptr;
    QTabWidget* pane = nullptr;
};

TEST_F(TreeEventsTest, SelectingARowShowsOnlyItsNodeTypesTabAndLoadsIt)
{
    struct Case {
        QStringList path;
        int tab;
        const char* leafAction; // the leaf page's text, for the leaf rows
    };
    const Case cases[] = {
        {{"3"}, 2, nullptr},
        {{"4"}, 4, nullptr},
        {{"5"}, 0, nullptr},
        {{"0"}, 1, nullptr},
        {{"#"}, 3, "Skip Greeting"},
        {{"AM"}, 3, "Hang Up"},
        {{"8"}, 3, "Route to Greetings Administrator"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.join('/').toStdString());
        click(t.row(c.path));
        EXPECT_EQ(t.grid().row(), t.row(c.path));
        EXPECT_EQ(visibleTabs(), QList<int>{c.tab});
        EXPECT_EQ(pane->currentIndex(), c.tab);
        if (c.leafAction) {
            EXPECT_EQ(t.f.control<QLineEdit>("txtLeafAction")->text(), c.leafAction);
            EXPECT_TRUE(t.f.control<QLabel>("lblCurrentObjectDisplayName")->text().isEmpty());
        }
    }
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST_F(TreeEventsTest, ARowChangeRequeriesTheCacheSoAnotherToolsChangeShows)
{
    const QString sales = t.handlerId("salesch");
    click(t.row({"1"}));
    t.f.site.execute("UPDATE CallHandler SET TextName = 'Sales Desk' WHERE Alias = 'salesch'");
    click(t.row({"2"}));
    Recordset& ch = t.state().cache.rsCallHandler;
    ch.moveFirst();
    ASSERT_TRUE(ch.find("CallHandlerObjectID", sales));
    EXPECT_EQ(ch.field("TextName").toText(), "Sales Desk");
}

TEST_F(TreeEventsTest, KeysAndDoubleClicksOpenAndCloseRowsBuildingChildrenOnlyTheFirstTime)
{
    const int sales = t.row({"1"});
    click(sales);
    ASSERT_TRUE(t.holdsPlaceholder(sales));
    key(Qt::Key_Right);
    EXPECT_FALSE(t.grid().isCollapsed(sales));
    EXPECT_FALSE(t.holdsPlaceholder(sales));
    const QStringList built = t.childAliases(sales);
    ASSERT_FALSE(built.isEmpty());
    // A mark on a built row survives only if the row is not built again.
    t.grid().setCellText(t.grid().firstChildRow(sales), TreeColumn::Conversation, "marked");

    key(Qt::Key_Left);
    EXPECT_TRUE(t.grid().isCollapsed(sales));
    doubleClick(sales);
    EXPECT_FALSE(t.grid().isCollapsed(sales));
    EXPECT_EQ(t.childAliases(sales), built);
    EXPECT_EQ(t.grid().cellText(t.grid().firstChildRow(sales), TreeColumn::Conversation), "marked")
        << "opening again builds nothing";
    doubleClick(sales);
    EXPECT_TRUE(t.grid().isCollapsed(sales));

    // A double click opens a row for the first time too.
    const int support = t.row({"2"});
    click(support);
    doubleClick(support);
    EXPECT_FALSE(t.grid().isCollapsed(support));
    EXPECT_FALSE(t.holdsPlaceholder(support));
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST_F(TreeEventsTest, OpeningsByCodeWhileDrawingIsOffAndBadRowsBuildNothing)
{
    const int sales = t.row({"1"});
    {
        OutlineGrid::RedrawOff off(t.grid());
        t.grid().setCollapsed(sales, false);
    }
    EXPECT_TRUE(t.holdsPlaceholder(sales)) << "code that turns drawing off does its own expansion";

    bool cancel = false;
    emit t.grid().beforeCollapse(-1, OutlineGrid::Expanded, cancel);
    EXPECT_TRUE(cancel);

    // Emptying the grid reports a move to no row, which shows nothing and says nothing.
    t.grid().setRowCount(0);
    QApplication::processEvents();
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

TEST_F(TreeEventsTest, ARightClickSelectsTheRowUnderTheMouseButNeverTheRoot)
{
    click(t.row({"3"}));
    click(t.row({"4"}), Qt::RightButton);
    EXPECT_EQ(t.grid().row(), t.row({"4"}));
    EXPECT_EQ(visibleTabs(), QList<int>{4});
    // Also on the root, which changes no row, the popup's commands are for the tree again.
    LinkPopUpState& popUpState = t.f.program->actions().popUpState();
    popUpState.setLinkFromTab("AG");
    click(0, Qt::RightButton);
    EXPECT_EQ(t.grid().row(), t.row({"4"}));
    EXPECT_FALSE(popUpState.bLinkFromTab());
}

TEST_F(TreeEventsTest, ARowOfAnUnknownNodeTypeIsReportedAndTheTabsStay)
{
    click(t.row({"3"}));
    const int row = t.row({"6"});
    t.grid().setCellData(row, TreeColumn::NodeType, Variant(7));
    click(row);
    EXPECT_EQ(t.messages(), QStringList({"Error! Invalid node type!", "Error: Illegal node type in LoadTabInfo function"}));
    EXPECT_EQ(visibleTabs(), QList<int>{2});
}

TEST_F(TreeEventsTest, AnInvalidLinkShowsItsMark)
{
    t.setKey("openinggreetingch", "7", 2, "AD", "{0BADBEEF-0000-0000-0000-000000000000}");
    t.rebuild();
    click(t.row({"7"}));
    EXPECT_EQ(t.type(t.row({"7"})), InvalidLink);
    EXPECT_EQ(visibleTabs(), QList<int>{3});
    EXPECT_EQ(t.f.control<QLineEdit>("txtLeafAction")->text(), " Invalid Link!");
}

// What the screen shows of the property pane: after each drawing pass of the window, the header and
// every visible named box of the pane as each was last drawn.
class PaneScreen : public QObject {
public:
    PaneScreen(QWidget* window, QWidget* pane, QLabel* header)
        : m_window(window)
    {
        m_shown << header;
        for (QLineEdit* box : pane->findChildren<QLineEdit*>())
            if (!box->objectName().isEmpty() && !box->objectName().startsWith("qt_"))
                m_shown << box;
        for (QWidget* w : m_shown)
            w->installEventFilter(this);
        window->installEventFilter(this);
    }

    using Screen = QMap<QString, QString>;
    // From here on, the window having been drawn as its widgets are now.
    void start()
    {
        m_drawn.clear();
        for (QWidget* w : m_shown)
            m_drawn[w->objectName()] = textOf(w);
        passes.clear();
    }
    // What the screen shows once the widgets are drawn as they are now.
    Screen now() const
    {
        return visible([](QWidget* w) { return textOf(w); });
    }

    QList<Screen> passes;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched != m_window) {
            m_drawn[watched->objectName()] = textOf(static_cast<QWidget*>(watched));
        } else if (watched == m_window && event->type() == QEvent::UpdateRequest) {
            // The window draws its changed widgets and puts them on screen in one pass.
            static_cast<QObject*>(m_window)->event(event);
            passes << visible([this](QWidget* w) { return m_drawn.value(w->objectName()); });
            return true;
        }
        return false;
    }

private:
    static QString textOf(QWidget* w)
    {
        if (auto* label = qobject_cast<QLabel*>(w))
            return label->text();
        return static_cast<QLineEdit*>(w)->text();
    }
    template <typename Text>
    Screen visible(Text text) const
    {
        Screen screen;
        for (QWidget* w : m_shown)
            if (w->isVisible())
                screen[w->objectName()] = text(w);
        return screen;
    }

    QWidget* m_window;
    QList<QWidget*> m_shown;
    Screen m_drawn;
};

QString screenText(const PaneScreen::Screen& screen)
{
    QStringList parts;
    for (auto it = screen.begin(); it != screen.end(); ++it)
        parts << it.key() + "=" + it.value();
    return parts.join(", ");
}

// Paint events run while a row change loads (the references, the greetings): the screen shows
// the emptied page or the new object whole, never the object shown before, what the page showed
// last time, nor a page with some of the new values.
TEST_F(TreeEventsTest, WhileARowChangeLoadsTheScreenShowsTheEmptiedPageOrTheNewObjectWhole)
{
    ASSERT_TRUE(t.option("ShowReferences")->isChecked());
    auto* header = t.f.control<QLabel>("lblCurrentObjectDisplayName");
    PaneScreen screen(t.f.window, pane, header);
    const struct {
        QStringList path;
        const char* what;
        int handlerSubTab;
    } cases[] = {
        {{"1"}, "a call handler after another", 0},
        // Its message settings come last: a page drawn half-way would show them empty.
        {{"2"}, "a call handler after another, on its Messages tab", 3},
        {{"5"}, "a subscriber after a call handler", 3},
        {{"0"}, "a call handler after a subscriber, where another handler was shown before", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        t.f.control<QTabWidget>("tabHandlerInfo")->setCurrentIndex(c.handlerSubTab);
        const QPoint row = rowCenter(t.row(c.path));
        screen.start();
        clickAt(row);
        const PaneScreen::Screen filled = screen.now();
        ASSERT_FALSE(filled.value("lblCurrentObjectDisplayName").isEmpty());
        ASSERT_FALSE(screen.passes.isEmpty());
        EXPECT_EQ(screen.passes.last(), filled) << "the new object is drawn whole at the end";
        for (const PaneScreen::Screen& shown : screen.passes) {
            int emptied = 0;
            int withNewValue = 0;
            for (auto it = shown.begin(); it != shown.end(); ++it) {
                const QString value = filled.value(it.key());
                if (value.isEmpty()) {
                    EXPECT_TRUE(it.value().isEmpty()) << it.key().toStdString() << ": " << screenText(shown).toStdString();
                    continue;
                }
                EXPECT_TRUE(it.value().isEmpty() || it.value() == value)
                    << it.key().toStdString() << " shows another object's value: " << screenText(shown).toStdString();
                ++(it.value().isEmpty() ? emptied : withNewValue);
            }
            EXPECT_TRUE(emptied == 0 || withNewValue == 0) << "half filled: " << screenText(shown).toStdString();
        }
    }
    EXPECT_TRUE(t.messages().isEmpty()) << t.messages().join('|').toStdString();
}

} // namespace
