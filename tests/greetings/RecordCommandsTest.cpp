#include "audio/WavFile.h"
#include "fakes/FakeAudioDevice.h"
#include "greetings/GreetingPageFixture.h"
#include "greetings/frmRecordFile.h"
#include "system/SharedFileSystem.h"
#include "widgets/SonotropeCtrl.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace {

class RecordCommandsTest : public ::testing::Test, public GreetingPageFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(TW_DONOTDELETE_WAV), f.programFolder.path() + "/donotdelete.wav"));
        startOnSalesGreetings();
        greetingTabs->setCurrentIndex(2);
        busyFile = f.site.streamFilesPath() + "mr_salesch_Busy_1.wav";
        writeWavFile(busyFile, oldSound);
        greetingTabs->setCurrentIndex(0);
        greetingTabs->setCurrentIndex(2);
        ASSERT_EQ(player->SoundFile(), busyFile);
    }

    // Clicks the record button; while the recording window is up, `inWindow` plays the
    // administrator's part in it.
    void recordWith(const std::function<void(frmRecordFile&)>& inWindow, const QString& button = "cmdHandlerRecord")
    {
        bool opened = false;
        // Polled: the command lets timers run while it waits for its control, before the window is up.
        QTimer poll;
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* window = qobject_cast<frmRecordFile*>(w); window && window->isVisible()) {
                    poll.stop();
                    opened = true;
                    inWindow(*window);
                    return;
                }
        });
        poll.start();
        control<QPushButton>(button)->click();
        EXPECT_TRUE(opened);
    }
    void recordTake(frmRecordFile& window)
    {
        f.audioDevices.last()->capture = take.samples;
        window.snRecord()->findChild<QToolButton*>("recordButton")->click();
        ASSERT_EQ(window.snRecord()->activity(), SonotropeCtrl::Activity::Recording);
    }
    static void save(frmRecordFile& window) { window.findChild<QPushButton*>("cmdSave")->click(); }

    QString tempWav() const { return f.programFolder.path() + "/TempWavFile.wav"; }
    QStringList tempFiles() const { return QDir(f.programFolder.path()).entryList({"TWR_TEMP_*"}, QDir::Files); }

    QString busyFile;
    const WavData oldSound = toneWav(900, 440, WavFormat{8000, 1, 16});
    const WavData take = toneWav(600, 300, WavFormat{8000, 1, 16});
};

TEST_F(RecordCommandsTest, ASavedRecordingReplacesTheGreetingsFileAndItsRowNamesIt)
{
    const int before = updateLines().size();
    recordWith([&](frmRecordFile& window) {
        EXPECT_EQ(window.strRecordOverFileName, busyFile);
        EXPECT_EQ(player->SoundFile(), f.programFolder.path() + "/donotdelete.wav") << "the old file is let go";
        EXPECT_EQ(window.pos(), control("frameSonotropeHandlerGreeting")->mapToGlobal(QPoint(0, 0)));
        EXPECT_EQ(readWavFile(tempWav()).samples, oldSound.samples) << "recording starts from the greeting";
        recordTake(window);
        save(window);
    });
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    EXPECT_EQ(readWavFile(busyFile).samples, take.samples);
    EXPECT_EQ(greetingColumn("salesch", "Busy", "StreamPath").toText(), "mr_salesch_Busy_1.wav");
    EXPECT_EQ(updateLines().mid(before),
              QStringList{logLine("MessagingRule", "Busy", "salesch", "StreamPath", "mr_salesch_Busy_1.wav")});
    EXPECT_EQ(player->SoundFile(), busyFile);
    EXPECT_EQ(player->toolTip(), busyFile);
    player->findChild<QToolButton*>("playButton")->click();
    ASSERT_FALSE(f.audioDevices.at(0)->played.isEmpty());
    EXPECT_EQ(f.audioDevices.at(0)->played.last().samples, take.samples);
    EXPECT_TRUE(tempFiles().isEmpty());
}

TEST_F(RecordCommandsTest, DiscardOrClosingTheWindowChangesNothing)
{
    const QString rows = f.site.tableText("MessagingRule");
    const QString log = changeLog();
    const std::function<void(frmRecordFile&)> endings[] = {
        [](frmRecordFile& w) { w.findChild<QPushButton*>("cmdDiscard")->click(); },
        [](frmRecordFile& w) { w.close(); },
    };
    for (const auto& end : endings) {
        recordWith([&](frmRecordFile& window) {
            recordTake(window);
            end(window);
        });
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
        EXPECT_EQ(f.site.tableText("MessagingRule"), rows);
        EXPECT_EQ(changeLog(), log);
        EXPECT_EQ(readWavFile(busyFile).samples, oldSound.samples);
        EXPECT_EQ(player->SoundFile(), busyFile) << "bound to the old file again";
    }
}

TEST_F(RecordCommandsTest, AFailedCopyKeepsTheOldGreetingAndTheRecording)
{
    // The greeting's file cannot be replaced: a folder stands in its place.
    ASSERT_TRUE(QFile::remove(busyFile));
    ASSERT_TRUE(QDir().mkdir(busyFile));
    const QString rows = f.site.tableText("MessagingRule");
    const QString log = changeLog();
    recordWith([&](frmRecordFile& window) {
        recordTake(window);
        save(window);
    });
    ASSERT_EQ(f.prompts.messages.size(), 1) << f.prompts.messages.join('|').toStdString();
    EXPECT_TRUE(f.prompts.messages[0].startsWith("Error in cmdHandlerRecord:")) << f.prompts.messages[0].toStdString();
    EXPECT_EQ(f.site.tableText("MessagingRule"), rows);
    EXPECT_EQ(changeLog(), log);
    EXPECT_EQ(readWavFile(tempWav()).samples, take.samples) << "the recording is still there";
}

TEST_F(RecordCommandsTest, TheRecordingGoesToTheGreetingShownAtTheClick)
{
    const QString standard = greetingColumn("salesch", "Standard", "StreamPath").toText();
    recordWith([&](frmRecordFile& window) {
        recordTake(window);
        greetingTabs->setCurrentIndex(0);
        save(window);
    });
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    EXPECT_EQ(readWavFile(busyFile).samples, take.samples);
    EXPECT_EQ(greetingColumn("salesch", "Busy", "StreamPath").toText(), "mr_salesch_Busy_1.wav");
    EXPECT_EQ(greetingColumn("salesch", "Standard", "StreamPath").toText(), standard);
    EXPECT_EQ(player->SoundFile(), f.site.streamFilesPath() + standard) << "the control stays on the shown greeting";
    EXPECT_FALSE(QFile::exists(f.site.streamFilesPath() + standard)
                 && readWavFile(f.site.streamFilesPath() + standard).samples == take.samples);
}

TEST_F(RecordCommandsTest, ANotReadyControlIsAskedTenTimesPerRunThenReported)
{
    // Without its placeholder the control cannot load: that step fails every time.
    ASSERT_TRUE(QFile::remove(f.programFolder.path() + "/donotdelete.wav"));
    recordWith([&](frmRecordFile& window) {
        recordTake(window);
        save(window);
    });
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in cmdHandlerRecord - Unable to reload audio in Sonotrope control"});
    EXPECT_EQ(readWavFile(busyFile).samples, take.samples);
    EXPECT_EQ(player->SoundFile(), busyFile) << "never left on the placeholder";
}

TEST_F(RecordCommandsTest, AGreetingDeletedWhileTheWindowIsOpenGetsNothing)
{
    const QString log = changeLog();
    recordWith([&](frmRecordFile& window) {
        recordTake(window);
        exec("DELETE FROM MessagingRule WHERE ParentObjectID = $H AND Alias = 'Busy'", "salesch");
        save(window);
    });
    ASSERT_EQ(f.prompts.messages.size(), 1) << f.prompts.messages.join('|').toStdString();
    EXPECT_EQ(changeLog(), log);
    EXPECT_EQ(readWavFile(busyFile).samples, oldSound.samples);
}

TEST_F(RecordCommandsTest, ANewQuestionsRecordingCreatesItsFileAndWritesNoRow)
{
    showObject(idOf("InterviewHandler", "InterviewHandlerObjectID", "customerfeedback"), 5);
    auto* grid = control<QTableWidget>("gridInterviewQuestions");
    ASSERT_GT(grid->rowCount(), 0);
    grid->setCurrentCell(0, QuestionColumn::Question);
    const QString name = grid->item(0, QuestionColumn::StreamPath)->text();
    ASSERT_FALSE(name.isEmpty());
    const QString file = f.site.streamFilesPath() + SharedFileSystem::GetFileName(name);
    QFile::remove(file);
    const QString rows = f.site.tableText("InterviewQuestion");
    const QString log = changeLog();
    recordWith(
        [&](frmRecordFile& window) {
            EXPECT_FALSE(QFile::exists(window.strRecordedFilePath)) << "nothing to start from";
            recordTake(window);
            save(window);
        },
        "cmdInterviewerRecord");
    EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
    EXPECT_EQ(readWavFile(file).samples, take.samples);
    EXPECT_EQ(f.site.tableText("InterviewQuestion"), rows);
    EXPECT_EQ(changeLog(), log);
    EXPECT_EQ(control<SonotropeCtrl>("SotrInterviewerQuestion")->SoundFile(), file);
}

TEST_F(RecordCommandsTest, OnlyTheCallHandlersControlRecordsInPlace)
{
    const char* const names[] = {"SotrHandlerGreeting", "SotrsubscriberGreeting", "SotrInterviewerQuestion"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(control<SonotropeCtrl>(names[i])->recordingAllowed(), i == 0) << names[i];
}

} // namespace
