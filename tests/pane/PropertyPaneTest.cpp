#include "pane/PropertyPane.h"

#include "fixtures/MainWindowFixture.h"
#include "pane/CallHandlerPage.h"
#include "tree/CallFlowTree.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"
#include "widgets/SonotropeCtrl.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QStringList items(QComboBox* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}

TEST(PopulateControls, FillsTheFixedListsAndTheSharedValuesFromTheServer)
{
    MainWindowFixture f;
    ASSERT_TRUE(f.load());
    const QStringList schedules{"Weekdays", "All Hours", "Extended Hours"};
    for (const char* name : {"cmbHandlerProfileSchedule", "cmbSubscriberProfileSchedule"})
        EXPECT_EQ(items(f.control<QComboBox>(name)), schedules) << name;
    // No subscriber has been shown; the opening greeting's page shows its schedule.
    EXPECT_EQ(f.control<QComboBox>("cmbSubscriberProfileSchedule")->currentIndex(), -1);
    EXPECT_EQ(f.control<QComboBox>("cmbHandlerProfileSchedule")->currentText(), "Weekdays");
    for (const char* name :
         {"cmbSubscriberTransferType", "cmbHandlerTransferType_0", "cmbHandlerTransferType_1", "cmbHandlerTransferType_2"})
        EXPECT_EQ(f.control<QComboBox>(name)->currentText(), "Supervised") << name;
    EXPECT_EQ(f.state->DefaultTUILanguage, "ENU");
    EXPECT_EQ(f.state->SwitchNames, QStringList({"Main Office PBX", "Branch SIP Gateway", ""}));
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST(PopulateControls, MissingRegistryValuesAndSchedulesLeaveEmptyValues)
{
    struct Case {
        const char* what;
        const char* removedKey; // the key whose section goes from registry.reg
        QStringList switchNames;
        QString language;
    };
    const Case cases[] = {
        {"no integration2", "integrations\\\\integration2", {"Main Office PBX", "", ""}, "ENU"},
        {"no integration1", "integrations\\\\integration1", {"", ""}, "ENU"},
        {"no phone language", "Sorvic Setup", {"Main Office PBX", "Branch SIP Gateway", ""}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MainWindowFixture f;
        f.editRegistry([&](QString& text) {
            text.remove(QRegularExpression(QStringLiteral("\\[[^\\]]*%1[^\\]]*\\][^\\[]*").arg(QLatin1String(c.removedKey))));
        });
        ASSERT_TRUE(f.load());
        EXPECT_EQ(f.state->SwitchNames, c.switchNames);
        EXPECT_EQ(f.state->DefaultTUILanguage, c.language);
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    }
}

TEST(PopulateControls, WithoutSchedulesOnlyTheStartUpSaysSoAndNoObjectAsksToChooseOne)
{
    MainWindowFixture f;
    f.site.exec("DELETE FROM Schedule");
    ASSERT_TRUE(f.load());
    // The opening greeting, shown at start-up, names a schedule; there is none to choose instead.
    EXPECT_EQ(f.prompts.messages, QStringList{"No schedules are defined on the local Talvo server!"});
    EXPECT_EQ(f.control<QComboBox>("cmbHandlerProfileSchedule")->count(), 0);
    f.prompts.messages.clear();
    const QString handlersBefore = f.site.tableText("CallHandler");
    PropertyPane& pane = *f.control<PropertyPane>("tabInfoTab");
    // Every call handler and subscriber: "id:isPrimary".
    const QStringList objects = f.site
                                    .scalar("SELECT group_concat(CallHandlerObjectID || ':' || IsPrimary, ',') FROM CallHandler "
                                            "WHERE ScheduleObjectName IS NOT NULL")
                                    .toText()
                                    .split(',');
    ASSERT_GT(objects.size(), 5);
    for (const QString& object : objects) {
        const qint16 nodeType = object.section(':', 1) == "1" ? 1 : 3;
        ASSERT_TRUE(pane.ShowNodeTypeTab(nodeType));
        pane.LoadTabInfo(object.section(':', 0, 0), nodeType);
    }
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    EXPECT_EQ(f.site.tableText("CallHandler"), handlersBefore); // no schedule is repaired
}

class PaneFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(f.load());
        f.window->show();
        pane = f.control<PropertyPane>("tabInfoTab");
    }
    bool shown(const char* frame) const { return f.control<QFrame>(frame)->isVisibleTo(pane); }

    MainWindowFixture f;
    PropertyPane* pane = nullptr;
};

TEST_F(PaneFrameTest, SubTabsShowTheFrameOfTheSelectedTab)
{
    ASSERT_TRUE(pane->ShowNodeTypeTab(3));
    auto* transfer = f.control<QTabWidget>("tabHandlerTransferInfo");
    f.control<QTabWidget>("tabHandlerInfo")->setCurrentIndex(1);
    const struct {
        int tab;
        const char* frame;
        const char* controls; // the transfer type list on the frame is that of this rule
    } cases[] = {{0, "frameHandlerTransferInfo_0", "cmbHandlerTransferType_2"},
                 {1, "frameHandlerTransferInfo_1", "cmbHandlerTransferType_0"},
                 {2, "frameHandlerTransferInfo_2", "cmbHandlerTransferType_1"}};
    for (const auto& c : cases) {
        transfer->setCurrentIndex(c.tab);
        for (int i = 0; i < 3; ++i) {
            const QString frame = QStringLiteral("frameHandlerTransferInfo_%1").arg(i);
            EXPECT_EQ(shown(frame.toLatin1()), frame == c.frame) << c.tab;
        }
        EXPECT_TRUE(f.control<QFrame>(c.frame)->isAncestorOf(f.control<QComboBox>(c.controls))) << c.frame;
    }

    pane->setTabVisible(4, true);
    pane->setCurrentIndex(4);
    for (const char* frame : {"frameMainTab_0", "frameMainTab_1", "frameMainTab_2", "frameMainTab_3"})
        EXPECT_FALSE(shown(frame)) << frame;
}

TEST_F(PaneFrameTest, ANodeTypeWithoutAPageIsRefusedAndNothingElseChanges)
{
    auto* label = f.control<QLabel>("lblCurrentObjectDisplayName");
    auto* leaf = f.control<QLineEdit>("txtLeafAction");
    for (const qint16 type : {2, 4, 7, 100}) {
        SCOPED_TRACE(type);
        f.prompts.messages.clear();
        label->setText("Sales");
        leaf->setText("Hang Up");
        EXPECT_FALSE(pane->ShowNodeTypeTab(type));
        pane->LoadTabInfo(QString(), type);
        EXPECT_EQ(f.prompts.messages, QStringList{"Error: Illegal node type in LoadTabInfo function"});
        EXPECT_TRUE(label->text().isEmpty());
        EXPECT_EQ(leaf->text(), "Hang Up");
    }
}

TEST_F(PaneFrameTest, WhileTheTreeIsExpandedWholeALoadChangesNothing)
{
    auto* leaf = f.control<QLineEdit>("txtLeafAction");
    leaf->setText("Hang Up");
    f.tree().setExpandAllInProgress(true);
    pane->LoadTabInfo(QString(), 97);
    pane->LoadTabInfo(QString(), 100);
    EXPECT_EQ(leaf->text(), "Hang Up");
    EXPECT_TRUE(f.prompts.messages.isEmpty());
}

TEST_F(PaneFrameTest, TheLeafPageShowsWhatFollowsTheRowsFirstColon)
{
    const struct {
        QString rowText;
        const char* shown;
    } cases[] = {{"#: Skip Greeting", "Skip Greeting"},
                 {"AM: Hang Up", "Hang Up"},
                 {"  Odd text  ", "Odd text"},
                 {"8: Route: twice", "Route: twice"}};
    OutlineGrid& grid = f.treeGrid();
    for (const auto& c : cases) {
        grid.setCellText(grid.row(), TreeColumn::Main, c.rowText);
        pane->LoadTabInfo(QString(), 0);
        EXPECT_EQ(f.control<QLineEdit>("txtLeafAction")->text(), c.shown) << c.rowText.toStdString();
    }
}

} // namespace
