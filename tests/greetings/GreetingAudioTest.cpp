#include "audio/WavFile.h"
#include "fakes/FakeAudioDevice.h"
#include "greetings/GreetingPageFixture.h"
#include "widgets/SonotropeCtrl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QToolButton>
#include <sys/stat.h>

namespace {

class GreetingAudioTest : public ::testing::Test, public GreetingPageFixture {
protected:
    void SetUp() override
    {
        setGreeting("salesch", "Internal", "StreamPath = ?", {QString("C:\\Greetings\\internal.wav")});
        startOnSalesGreetings();
    }
    QString file(const QString& greeting) const
    {
        return f.site.streamFilesPath() + greetingColumn("salesch", greeting, "StreamPath").toText();
    }
    FakeAudioDevice& device() const { return *f.audioDevices.at(0); } // the handler page's control's
    QToolButton* button(const char* name) const { return player->findChild<QToolButton*>(name); }
};

TEST_F(GreetingAudioTest, TheShownGreetingTabBindsItsFile)
{
    EXPECT_EQ(player->SoundFile(), file("Standard"));
    EXPECT_EQ(player->toolTip(), player->SoundFile());
    const struct {
        int tab;
        QString bound;
    } cases[] = {
        {1, file("Off Hours")},
        {2, f.site.streamFilesPath() + "mr_salesch_Busy_1.wav"}, // the folder part is dropped
        {4, "/Greetings/internal.wav"},                          // a full path is used whole
        {0, file("Standard")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tab);
        greetingTabs->setCurrentIndex(c.tab);
        EXPECT_EQ(player->SoundFile(), c.bound);
        EXPECT_EQ(player->toolTip(), c.bound);
        for (int i = 0; i < GreetingCount; ++i)
            EXPECT_EQ(control(QString("frameHandlerGreetingInfo_%1").arg(i))->isVisibleTo(pane), i == c.tab) << i;
    }
    // The missing files above are passed over without a word.
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
}

TEST_F(GreetingAudioTest, ARecordingMadeInPlaceReplacesTheGreetingsFileWhenTheControlLosesTheFocus)
{
    activate();
    greetingTabs->setCurrentIndex(1);
    const QString offHours = file("Off Hours");
    const QString streamPath = greetingColumn("salesch", "Off Hours", "StreamPath").toText();
    QByteArray recording;
    for (int i = 0; i < 800; ++i) {
        const qint16 sample = qint16((i % 40) * 400 - 8000);
        recording.append(reinterpret_cast<const char*>(&sample), 2);
    }
    device().capture = recording;
    button("recordButton")->click();
    button("stopButton")->click();
    ASSERT_NE(player->SoundChanged(), 0);
    const QString before = f.site.tableText("MessagingRule");

    button("playButton")->setFocus(Qt::OtherFocusReason);
    control("chkHandlerGreetingEnabled_1")->setFocus(Qt::TabFocusReason);

    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    EXPECT_EQ(readWavFile(offHours).samples, recording);
    EXPECT_EQ(player->SoundFile(), offHours);
    EXPECT_EQ(shown("txtHandlerGreetingStreamPath_1"), f.state->StreamFilesPath + streamPath);
    EXPECT_EQ(f.site.tableText("MessagingRule"), before) << "the row is not written";
    EXPECT_TRUE(QDir(f.programFolder.path()).entryList({"TWR_TEMP_*"}, QDir::Files).isEmpty()) << "the temporary file is gone";

    // Another greeting and back: the recording is what the tab plays.
    greetingTabs->setCurrentIndex(0);
    greetingTabs->setCurrentIndex(1);
    EXPECT_EQ(player->SoundFile(), offHours);
    button("playButton")->click();
    ASSERT_FALSE(device().played.isEmpty());
    EXPECT_EQ(device().played.last().samples, recording);
}

// A pipe would hold the window in the open for as long as nothing writes into it.
TEST_F(GreetingAudioTest, AGreetingOrQuestionFileThatIsAPipeIsASoundThatCannotBeLoaded)
{
    const QString interview = idOf("InterviewHandler", "InterviewHandlerObjectID", "customerfeedback");
    const QString question =
        f.site.scalar("SELECT StreamPath FROM InterviewQuestion WHERE ParentObjectID = ? AND Alias = 1", {interview}).toText();
    const struct {
        const char* what;
        QString id;
        qint16 nodeType;
        QString file;
        const char* control;
    } cases[] = {
        {"the handler's standard greeting", handlerId("salesch"), 3, file("Standard"), "SotrHandlerGreeting"},
        {"the interview's first question", interview, 5, f.site.streamFilesPath() + question, "SotrInterviewerQuestion"},
    };
    const QStringList tables = {"MessagingRule", "InterviewQuestion", "CallHandler", "InterviewHandler"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(c.file);
        ASSERT_EQ(::mkfifo(QFile::encodeName(c.file).constData(), 0600), 0);
        const QString before = tablesText(tables);
        const QString logBefore = f.changeLogText();
        const QStringList folderBefore = QDir(f.site.streamFilesPath()).entryList(QDir::AllEntries | QDir::System);
        f.prompts.messages.clear();

        showObject(c.id, c.nodeType); // shown again: the pane binds the pipe and loads it

        auto* sound = control<SonotropeCtrl>(c.control);
        EXPECT_EQ(sound->SoundFile(), c.file);
        EXPECT_EQ(sound->statusText(), "Cannot read " + c.file + ": not a regular file");
        EXPECT_FALSE(sound->findChild<QToolButton*>("playButton")->isEnabled());
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
        EXPECT_EQ(tablesText(tables), before);
        EXPECT_EQ(f.changeLogText(), logBefore);
        EXPECT_EQ(QDir(f.site.streamFilesPath()).entryList(QDir::AllEntries | QDir::System), folderBefore);
        EXPECT_FALSE(QFileInfo(c.file).isFile()) << "the pipe is left as it is";
    }
}

} // namespace
