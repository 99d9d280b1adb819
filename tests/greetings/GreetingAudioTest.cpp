#include "audio/WavFile.h"
#include "fakes/FakeAudioDevice.h"
#include "fixtures/LongSound.h"
#include "greetings/GreetingPageFixture.h"
#include "widgets/SonotropeCtrl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <functional>
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

// The greeting of the handler page and the question of the interviewer page, each shown with a
// file made for the case in place of its own.
class GreetingAudioFileTest : public GreetingAudioTest {
protected:
    struct Place {
        const char* what;
        QString id;
        qint16 nodeType;
        QString file;
        const char* control;
    };
    std::vector<Place> places() const
    {
        const QString interview = idOf("InterviewHandler", "InterviewHandlerObjectID", "customerfeedback");
        const QString question =
            f.site.scalar("SELECT StreamPath FROM InterviewQuestion WHERE ParentObjectID = ? AND Alias = 1", {interview}).toText();
        return {{"the handler's standard greeting", handlerId("salesch"), 3, file("Standard"), "SotrHandlerGreeting"},
                {"the interview's first question", interview, 5, f.site.streamFilesPath() + question, "SotrInterviewerQuestion"}};
    }
    // Shows the place again, so that the pane binds its file and loads it; gives how much the
    // process's peak memory grew meanwhile, in KiB.
    long showAgain(const Place& place)
    {
        const long before = peakMemoryKb();
        showObject(place.id, place.nodeType);
        return peakMemoryKb() - before;
    }
};

// Generous: showing reads a header, and far less than the samples of the files below.
constexpr long kShowingGrowthKb = 64 * 1024;

// A pipe would hold the window in the open for as long as nothing writes into it; a gigabyte of
// samples would stall it while they were read and fill memory with them.
TEST_F(GreetingAudioFileTest, AGreetingOrQuestionFileThatIsAPipeOrTooLongIsASoundThatCannotBeLoaded)
{
    const struct {
        const char* what;
        std::function<bool(const QString&)> make;
        QString reason;
    } kinds[] = {
        {"a pipe", [](const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; },
         "Not a regular file"},
        {"a gigabyte of samples", [](const QString& path) { return writeLongSilentWav(path, qint64(1) << 29); },
         "The sound is too long (more than 8 hours of telephone sound)"},
    };
    const QStringList tables = {"MessagingRule", "InterviewQuestion", "CallHandler", "InterviewHandler"};
    for (const Place& place : places()) {
        for (const auto& kind : kinds) {
            SCOPED_TRACE(std::string(place.what) + ", " + kind.what);
            QFile::remove(place.file);
            ASSERT_TRUE(kind.make(place.file));
            const QFileInfo fileBefore(place.file);
            const QString before = tablesText(tables);
            const QString logBefore = f.changeLogText();
            const QStringList folderBefore = QDir(f.site.streamFilesPath()).entryList(QDir::AllEntries | QDir::System);
            f.prompts.messages.clear();

            EXPECT_LT(showAgain(place), kShowingGrowthKb) << "KiB more at the peak";

            auto* sound = control<SonotropeCtrl>(place.control);
            EXPECT_EQ(sound->SoundFile(), place.file);
            EXPECT_EQ(sound->statusText(), kind.reason + ": " + place.file);
            EXPECT_FALSE(sound->findChild<QToolButton*>("playButton")->isEnabled());
            EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
            EXPECT_EQ(tablesText(tables), before);
            EXPECT_EQ(f.changeLogText(), logBefore);
            EXPECT_EQ(QDir(f.site.streamFilesPath()).entryList(QDir::AllEntries | QDir::System), folderBefore);
            const QFileInfo fileAfter(place.file);
            EXPECT_EQ(fileAfter.isFile(), fileBefore.isFile()) << "the file is left as it is";
            EXPECT_EQ(fileAfter.size(), fileBefore.size());
        }
    }
}

// A long recording within the bound is shown from its header, with its length; its samples stay
// on disk until it is played. A short greeting still plays as before.
TEST_F(GreetingAudioFileTest, ALongGreetingOrQuestionIsShownWithoutReadingItsSamples)
{
    for (const Place& place : places()) {
        SCOPED_TRACE(place.what);
        QFile::remove(place.file);
        ASSERT_TRUE(writeLongSilentWav(place.file, qint64(1) << 27)); // 256 MB, 4 hours 39 minutes 37 seconds

        EXPECT_LT(showAgain(place), kShowingGrowthKb) << "KiB more at the peak";

        auto* sound = control<SonotropeCtrl>(place.control);
        EXPECT_EQ(sound->SoundFile(), place.file);
        EXPECT_EQ(sound->statusText(), "0:00 / 279:37");
        EXPECT_TRUE(sound->findChild<QToolButton*>("playButton")->isEnabled());
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    }

    show("salesch");
    greetingTabs->setCurrentIndex(1);
    const QString offHours = file("Off Hours");
    ASSERT_EQ(player->SoundFile(), offHours);
    EXPECT_EQ(player->statusText(), "0:00 / 0:01");
    button("playButton")->click();
    ASSERT_FALSE(device().played.isEmpty());
    EXPECT_EQ(device().played.last().samples, readWavFile(offHours).samples);
    EXPECT_EQ(device().played.last().samples.size(), 1200 * 16) << "1.2 s of telephone sound";
    device().elapsed = 1100;
    EXPECT_TRUE(QTest::qWaitFor([&] { return player->statusText() == "0:01 / 0:01"; })) << player->statusText().toStdString();
    device().finishPlayback();
    EXPECT_EQ(player->statusText(), "0:00 / 0:01");
}

} // namespace
