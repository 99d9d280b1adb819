#include "audio/WavFile.h"
#include "fakes/FakeAudioDevice.h"
#include "fixtures/LongSound.h"
#include "greetings/GreetingPageFixture.h"
#include "greetings/frmRecordFile.h"
#include "system/SharedFileSystem.h"
#include "widgets/SonotropeCtrl.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <optional>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// How often a file is opened from now on.
class FileOpens {
public:
    explicit FileOpens(const QString& path)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        // Closings are watched too: like events in a row not yet read would be merged into one.
        EXPECT_GE(inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_OPEN | IN_CLOSE), 0) << path.toStdString();
    }
    ~FileOpens() { ::close(m_fd); }
    FileOpens(const FileOpens&) = delete;
    FileOpens& operator=(const FileOpens&) = delete;

    int count()
    {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                m_opens += (event->mask & IN_OPEN) != 0;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return m_opens;
    }

private:
    int m_fd;
    int m_opens = 0;
};

const QString kMissing = "{0BADBEEF-0000-0000-0000-000000000000}";

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
        EXPECT_TRUE(clickRecord(button, inWindow));
    }
    // Whether the click opened the recording window.
    bool clickRecord(const QString& button, const std::function<void(frmRecordFile&)>& inWindow)
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
        return opened;
    }
    void recordTake(frmRecordFile& window)
    {
        f.audioDevices.last()->capture = take.samples;
        window.snRecord()->findChild<QToolButton*>("recordButton")->click();
        ASSERT_EQ(window.snRecord()->activity(), SonotropeCtrl::Activity::Recording);
    }
    static void save(frmRecordFile& window) { window.findChild<QPushButton*>("cmdSave")->click(); }

    // The subscriber page of Alice with one of her greetings in front.
    void showSubscriberGreeting(int tab)
    {
        show("amoreno_ch", 1);
        control<QTabWidget>("tabSubscriberDetails")->setCurrentIndex(2);
        control<QTabWidget>("tabSubscriberGreetings")->setCurrentIndex(tab);
    }
    static QString notFound(const char* command, const QString& id)
    {
        return QString("error in %1 - unable to find messaging rule by ObjectID=").arg(command) + id;
    }

    QString tempWav() const { return f.programFolder.path() + "/TempWavFile.wav"; }
    QStringList tempFiles() const { return QDir(f.programFolder.path()).entryList({"TWR_TEMP_*"}, QDir::Files); }

    QString busyFile;
    const WavData oldSound = toneWav(900, 440, WavFormat{8000, 1, 16});
    const WavData take = toneWav(600, 300, WavFormat{8000, 1, 16});
};

// The call handler page records its own greeting, the subscriber page its handler's; other code
// may leave the shared rows on another handler while the window is open.
TEST_F(RecordCommandsTest, ASavedRecordingReplacesTheGreetingsFileAndItsRowNamesIt)
{
    const QString alicesName = "mr_amoreno_ch_Standard_1.wav";
    setGreeting("amoreno_ch", "Standard", "StreamPath = ?", {alicesName});
    writeWavFile(f.site.streamFilesPath() + alicesName, oldSound);
    const struct {
        const char* what;
        const char* owner;
        const char* greeting;
        QString name; // of the greeting's file, as its row names it afterwards
        const char* button;
        const char* player;
        const char* frame;
        int device; // the player's sound device
    } cases[] = {
        {"call handler", "salesch", "Busy", "mr_salesch_Busy_1.wav", "cmdHandlerRecord", "SotrHandlerGreeting",
         "frameSonotropeHandlerGreeting", 0},
        {"subscriber", "amoreno_ch", "Standard", alicesName, "cmdSubscriberRecord", "SotrsubscriberGreeting",
         "frameSonotropeSubscriberGreeting", 1},
    };
    const QString other = handlerId("goodbyech");
    auto othersFiles = [&] {
        return f.site.scalar("SELECT group_concat(coalesce(StreamPath, '-')) FROM MessagingRule WHERE ParentObjectID = ?", {other})
            .toText();
    };
    const QString othersBefore = othersFiles();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (QString(c.button) == "cmdSubscriberRecord")
            showSubscriberGreeting(0);
        auto* shown = control<SonotropeCtrl>(c.player);
        const QString file = f.site.streamFilesPath() + c.name;
        ASSERT_EQ(shown->SoundFile(), file);
        const int before = updateLines().size();
        recordWith(
            [&](frmRecordFile& window) {
                EXPECT_EQ(window.strRecordOverFileName, file);
                EXPECT_EQ(shown->SoundFile(), f.programFolder.path() + "/donotdelete.wav") << "the old file is let go";
                EXPECT_EQ(window.pos(), control(c.frame)->mapToGlobal(QPoint(0, 0)));
                EXPECT_EQ(readWavFile(tempWav()).samples, oldSound.samples) << "recording starts from the greeting";
                RecordsetCache& cache = f.state->cache;
                cache.rsCallHandler.moveFirst();
                ASSERT_TRUE(cache.rsCallHandler.find("CallHandlerObjectID", other));
                cache.rsMessagingRule.setFilter("ParentObjectID", other);
                recordTake(window);
                save(window);
            },
            c.button);
        EXPECT_TRUE(f.prompts.messages.isEmpty()) << f.prompts.messages.join('|').toStdString();
        EXPECT_EQ(readWavFile(file).samples, take.samples);
        EXPECT_EQ(greetingColumn(c.owner, c.greeting, "StreamPath").toText(), c.name);
        EXPECT_EQ(updateLines().mid(before), QStringList{logLine("MessagingRule", c.greeting, c.owner, "StreamPath", c.name)});
        EXPECT_EQ(shown->SoundFile(), file);
        EXPECT_EQ(shown->toolTip(), file);
        shown->findChild<QToolButton*>("playButton")->click();
        ASSERT_FALSE(f.audioDevices.at(c.device)->played.isEmpty());
        EXPECT_EQ(f.audioDevices.at(c.device)->played.last().samples, take.samples);
        EXPECT_TRUE(tempFiles().isEmpty());
    }
    EXPECT_EQ(othersFiles(), othersBefore) << "the greetings the rows were left on";
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
    // Without a sound output device the control is not ready: loading its placeholder fails every
    // time. The device is back by the time the window closes.
    FakeAudioDevice& output = *f.audioDevices.at(0);
    output.output = false;
    recordWith([&](frmRecordFile& window) {
        output.output = true;
        recordTake(window);
        save(window);
    });
    EXPECT_EQ(f.prompts.messages, QStringList{"Error in cmdHandlerRecord - Unable to reload audio in Sonotrope control"});
    EXPECT_EQ(readWavFile(busyFile).samples, take.samples);
    EXPECT_EQ(player->SoundFile(), busyFile) << "never left on the placeholder";
}

// Asking again cannot mend a sound that cannot be loaded: the file is tried once, and why it
// failed is shown at once, as any other failure of the command is.
TEST_F(RecordCommandsTest, ASoundThatCannotBeLoadedAfterTheWindowIsReportedOnceWithItsReason)
{
    const QString alicesName = "mr_amoreno_ch_Standard_1.wav";
    setGreeting("amoreno_ch", "Standard", "StreamPath = ?", {alicesName});
    const QString feedback = idOf("InterviewHandler", "InterviewHandlerObjectID", "customerfeedback");
    const struct {
        const char* button;
        const char* player;
        std::function<QString()> showIt; // gives the file it shows
    } cases[] = {
        {"cmdHandlerRecord", "SotrHandlerGreeting", [&] { return busyFile; }},
        {"cmdSubscriberRecord", "SotrsubscriberGreeting",
         [&] {
             showSubscriberGreeting(0);
             return f.site.streamFilesPath() + alicesName;
         }},
        {"cmdInterviewerRecord", "SotrInterviewerQuestion",
         [&] {
             showObject(feedback, 5);
             auto* grid = control<QTableWidget>("gridInterviewQuestions");
             grid->setCurrentCell(0, QuestionColumn::Question);
             return f.site.streamFilesPath() + SharedFileSystem::GetFileName(grid->item(0, QuestionColumn::StreamPath)->text());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        const QString file = c.showIt();
        ASSERT_TRUE(writeLongSilentWav(file, kLongestSoundSamples + 1));
        const QString rows = tablesText({"MessagingRule", "InterviewQuestion"});
        const QString log = changeLog();
        f.prompts.messages.clear();
        std::optional<FileOpens> opens;
        recordWith(
            [&](frmRecordFile& window) {
                opens.emplace(file);
                window.findChild<QPushButton*>("cmdDiscard")->click();
            },
            c.button);
        const QString reason = "The sound is too long (more than 8 hours of telephone sound): " + file;
        EXPECT_EQ(f.prompts.messages, QStringList{QString("Error in %1:").arg(c.button) + reason});
        ASSERT_TRUE(opens);
        EXPECT_EQ(opens->count(), 1) << "loads of the file after the window closed";
        auto* shown = control<SonotropeCtrl>(c.player);
        EXPECT_EQ(shown->SoundFile(), file);
        EXPECT_EQ(shown->statusText(), reason);
        EXPECT_EQ(tablesText({"MessagingRule", "InterviewQuestion"}), rows);
        EXPECT_EQ(changeLog(), log);
    }
}

TEST_F(RecordCommandsTest, ASoundWithoutItsRowAtTheClickIsNamedAndNoWindowOpens)
{
    const QString feedback = idOf("InterviewHandler", "InterviewHandlerObjectID", "customerfeedback");
    const struct {
        const char* what;
        std::function<void()> showIt;
        const char* button;
        QString message;
    } cases[] = {
        {"a greeting id the handler does not have",
         [this] { control<QLineEdit>("txtHandlerGreetingObjectID_2")->setText(kMissing); }, "cmdHandlerRecord",
         notFound("cmdHandlerRecord", kMissing)},
        {"a greeting id the subscriber's handler does not have",
         [this] {
             showSubscriberGreeting(1);
             control<QLineEdit>("txtSubscriberGreetingObjectID_1")->setText(kMissing);
         },
         "cmdSubscriberRecord", notFound("cmdSubscriberRecord", kMissing)},
        {"a question that names no file",
         [&] {
             f.site.execute("UPDATE InterviewQuestion SET StreamPath = NULL WHERE ParentObjectID = ? AND Alias = 1", {feedback});
             showObject(feedback, 5);
             control<QTableWidget>("gridInterviewQuestions")->setCurrentCell(0, QuestionColumn::Question);
         },
         "cmdInterviewerRecord", "Error in cmdInterviewerRecord: the sound has no file name to record into"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.showIt();
        const QString rows = tablesText({"MessagingRule", "InterviewQuestion"});
        const QString log = changeLog();
        f.prompts.messages.clear();
        EXPECT_FALSE(clickRecord(c.button, [](frmRecordFile& window) { window.close(); }));
        EXPECT_EQ(f.prompts.messages, QStringList{c.message});
        EXPECT_EQ(tablesText({"MessagingRule", "InterviewQuestion"}), rows);
        EXPECT_EQ(changeLog(), log);
    }
    EXPECT_EQ(readWavFile(busyFile).samples, oldSound.samples);
}

TEST_F(RecordCommandsTest, AGreetingDeletedWhileTheWindowIsOpenGetsNothing)
{
    const QString alicesFile = f.site.streamFilesPath() + "mr_amoreno_ch_Busy_1.wav";
    setGreeting("amoreno_ch", "Busy", "StreamPath = ?", {SharedFileSystem::GetFileName(alicesFile)});
    writeWavFile(alicesFile, oldSound);
    const struct {
        const char* what;
        const char* owner;
        const char* button;
        QString file;
    } cases[] = {
        {"call handler", "salesch", "cmdHandlerRecord", busyFile},
        {"subscriber", "amoreno_ch", "cmdSubscriberRecord", alicesFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (QString(c.button) == "cmdSubscriberRecord")
            showSubscriberGreeting(2);
        const QString id = greetingColumn(c.owner, "Busy", "MessagingRuleObjectID").toText();
        const QString log = changeLog();
        f.prompts.messages.clear();
        recordWith(
            [&](frmRecordFile& window) {
                recordTake(window);
                exec("DELETE FROM MessagingRule WHERE MessagingRuleObjectID = ?", {}, {id});
                save(window);
            },
            c.button);
        EXPECT_EQ(f.prompts.messages, QStringList{notFound(c.button, id)});
        EXPECT_EQ(changeLog(), log);
        EXPECT_EQ(readWavFile(c.file).samples, oldSound.samples);
    }
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
