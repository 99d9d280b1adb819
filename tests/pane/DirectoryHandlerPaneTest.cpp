#include "fakes/FakeAudioDevice.h"
#include "fixtures/PaneFixture.h"
#include "widgets/SonotropeCtrl.h"

#include <QLabel>
#include <QTabWidget>
#include <QToolButton>

namespace {

const QString kMissing = "{0BADBEEF-0000-0000-0000-000000000000}";

class DirectoryHandlerPane : public ::testing::Test, public PaneFixture {
protected:
    QString directoryId() const { return idOf("NameLookupHandler", "NameLookupHandlerObjectID", "companydirectory"); }
    // Runs one statement with its values bound, "$D" standing for the directory handler's id.
    void execDirectory(const QString& sql, const std::vector<Variant>& values = {}) const
    {
        f.site.execute(sql, values, {{"$D", directoryId()}});
    }
    QStringList exits() const
    {
        return {shown("txtDirectoryHandlerExitAction"), shown("txtDirectoryHandlerZeroExitAction"),
                shown("txtDirectoryHandlerNoSelectionExitAction"), shown("txtDirectoryHandlerNoInputExitAction")};
    }
    QStringList profile() const
    {
        return {control<QLabel>("lblCurrentObjectDisplayName")->text(), shown("txtDirectoryHandlerDisplayName"),
                shown("txtDirectoryHandlerAlias"), shown("txtDirectoryHandlerExtension")};
    }
};

TEST_F(DirectoryHandlerPane, NamesExtensionAndEachExitShowTheirOwnColumns)
{
    const QString before = f.site.tableText("NameLookupHandler");
    start();
    showObject(directoryId(), 6);
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    EXPECT_EQ(profile(), QStringList({"Company Directory", "Company Directory", "companydirectory", "400"}));
    EXPECT_EQ(exits(), QStringList({"Send to greeting for: Opening Greeting", "Ring phone for: Operator",
                                    "Ring phone for: Operator", "Send to greeting for: Opening Greeting"}));
    EXPECT_EQ(f.state->cache.rsNameLookupHandler.field("Alias").toText(), "companydirectory");
    EXPECT_EQ(f.site.tableText("NameLookupHandler"), before);
    EXPECT_EQ(control<QTabWidget>("tabDirectoryHandlerInfo")->count(), 3);
    EXPECT_FALSE(control<QTabWidget>("tabDirectoryHandlerInfo")->isTabVisible(1)) << "no search options on this server";
}

TEST_F(DirectoryHandlerPane, NullsAndDanglingExitsShowTheirFixedTextsAndNothingOfTheHandlerBefore)
{
    start();
    showObject(directoryId(), 6);
    const QStringList shownBefore = exits();

    // The same handler, changed behind the pane's back: each exit as its columns say.
    execDirectory("UPDATE NameLookupHandler SET TextName = NULL, ExitAction = 1, ExitConversation = NULL, ExitObjectID = NULL, "
                  "ZeroAction = NULL, NoSelectionAction = 2, NoSelectionConversation = 'PHTransfer', NoSelectionObjectID = ?, "
                  "NoInputAction = 2, NoInputConversation = 'AD', NoInputObjectID = NULL WHERE NameLookupHandlerObjectID = $D",
                  {kMissing});
    f.site.exec("DELETE FROM DTMFAccessID WHERE DTMFAccessID = '400'");
    f.prompts.messages.clear();
    showObject(directoryId(), 6);
    EXPECT_EQ(profile(), QStringList({"", "", "companydirectory", ""}));
    const QStringList now = exits();
    EXPECT_EQ(now[0], "Hang Up");
    EXPECT_EQ(now[1], "") << "a Null action shows nothing, not the exit shown before";
    EXPECT_NE(now[2], shownBefore[2]);
    EXPECT_FALSE(now[2].contains("Operator")) << now[2].toStdString();
    EXPECT_EQ(now[3], "Route to Alpha Directory");
}

TEST_F(DirectoryHandlerPane, AnUnknownIdIsReportedAndTheGreetingPlaysOn)
{
    start();
    show("openinggreetingch");
    auto* player = control<SonotropeCtrl>("SotrHandlerGreeting");
    FakeAudioDevice& device = *f.audioDevices.at(0);
    player->findChild<QToolButton*>("playButton")->click();
    ASSERT_EQ(device.state, FakeAudioDevice::State::Playing);

    f.prompts.messages.clear();
    showObject(kMissing, 6);
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in LoadTabInfo. could not find directory handler object id:" + kMissing});
    EXPECT_EQ(profile(), QStringList({"", "", "", ""}));
    EXPECT_EQ(exits(), QStringList({"", "", "", ""}));
    EXPECT_EQ(device.state, FakeAudioDevice::State::Playing) << "only a handler that is found stops the players";

    showObject(directoryId(), 6);
    EXPECT_EQ(device.state, FakeAudioDevice::State::Idle);
}

} // namespace
