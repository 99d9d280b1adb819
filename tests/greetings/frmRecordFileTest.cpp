#include "greetings/frmRecordFile.h"

#include "audio/WavFile.h"
#include "fakes/FakeAudioDevice.h"
#include "fakes/ScriptedPrompts.h"
#include "fixtures/LongSound.h"
#include "system/SharedFileSystem.h"
#include "widgets/SonotropeCtrl.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class frmRecordFileTest : public ::testing::Test {
protected:
    frmRecordFileTest()
        : window(ProgramFolder(dir.path()), fileSystem, FakeAudioDevice::factory(&devices), prompts)
    {
        writeWavFile(greeting, oldSound);
    }

    QString tempWav() const { return dir.filePath(QStringLiteral("TempWavFile.wav")); }
    FakeAudioDevice& device() const { return *devices.last(); }

    // Records the samples through the window's own control, as the administrator does.
    void recordTake(bool stop = true)
    {
        device().capture = take.samples;
        QTest::mouseClick(window.snRecord()->findChild<QToolButton*>(QStringLiteral("recordButton")), Qt::LeftButton);
        ASSERT_EQ(window.snRecord()->activity(), SonotropeCtrl::Activity::Recording);
        if (stop)
            QTest::mouseClick(window.snRecord()->findChild<QToolButton*>(QStringLiteral("stopButton")), Qt::LeftButton);
    }
    void click(const char* name) { QTest::mouseClick(window.findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton); }

    QTemporaryDir dir;
    QTemporaryDir streams;
    SharedFileSystem fileSystem;
    ScriptedPrompts prompts;
    QList<QPointer<FakeAudioDevice>> devices;
    frmRecordFile window;
    const QString greeting = streams.filePath(QStringLiteral("greeting.wav"));
    const WavData oldSound = toneWav(900, 440);
    const WavData take = toneWav(600, 300, WavFormat{8000, 1, 16});
};

TEST_F(frmRecordFileTest, LoadStartsFromAFreshCopyOfTheRecordingToReplace)
{
    writeWavFile(tempWav(), silentWav(100)); // left by an earlier opening
    window.strRecordOverFileName = greeting;
    window.Form_Load();
    EXPECT_EQ(window.strRecordedFilePath, tempWav());
    EXPECT_FALSE(window.bFileRecorded);
    EXPECT_EQ(readWavFile(tempWav()).samples, readWavFile(greeting).samples);
    EXPECT_EQ(window.snRecord()->SoundFile(), tempWav());
    EXPECT_EQ(window.snRecord()->InPlaceMode(), 0);
    EXPECT_NE(window.snRecord()->ControlActive(), 0);

    // Nothing to start from: the old copy goes and the control is bound to the absent file. A
    // sound longer than any the control holds is not copied first, nor is a file that is no sound.
    const QString tooLong = streams.filePath(QStringLiteral("long.wav"));
    ASSERT_TRUE(writeLongSilentWav(tooLong, kLongestSoundSamples + 1));
    const QString notASound = streams.filePath(QStringLiteral("text.wav"));
    QFile text(notASound);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("not a sound") > 0);
    text.close();
    for (const QString& from : {QString(), streams.filePath(QStringLiteral("missing.wav")), tooLong, notASound}) {
        window.cmdDiscard_Click();
        writeWavFile(tempWav(), silentWav(100));
        window.strRecordOverFileName = from;
        window.Form_Load();
        EXPECT_FALSE(QFile::exists(tempWav())) << from.toStdString();
        EXPECT_EQ(window.snRecord()->SoundFile(), tempWav());
    }
}

TEST_F(frmRecordFileTest, SaveStoresTheRecordingInTheCopyAndLeavesTheRecordedOverFile)
{
    window.strRecordOverFileName = greeting;
    window.Form_Load();
    recordTake(/*stop=*/false); // Save ends a recording still running
    click("cmdSave");
    EXPECT_TRUE(window.bFileRecorded);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.snRecord(), nullptr);
    const WavData saved = readWavFile(tempWav());
    EXPECT_EQ(saved.format.sampleRate, 8000);
    EXPECT_EQ(saved.format.channels, 1);
    EXPECT_EQ(saved.samples, take.samples);
    EXPECT_EQ(readWavFile(greeting).samples, oldSound.samples);
}

TEST_F(frmRecordFileTest, DiscardAndClosingByTheFrameDropTheRecording)
{
    for (const bool byFrame : {false, true}) {
        window.strRecordOverFileName = greeting;
        window.Form_Load();
        recordTake(/*stop=*/false);
        if (byFrame) {
            window.show();
            window.close();
        } else
            click("cmdDiscard");
        EXPECT_FALSE(window.bFileRecorded) << byFrame;
        EXPECT_EQ(window.snRecord(), nullptr) << byFrame;
        EXPECT_EQ(readWavFile(tempWav()).samples, oldSound.samples) << byFrame;
        EXPECT_EQ(readWavFile(greeting).samples, oldSound.samples) << byFrame;
    }
}

TEST_F(frmRecordFileTest, AFailedSaveKeepsTheWindowAndTheRecording)
{
    window.strRecordOverFileName = greeting;
    window.Form_Load();
    recordTake();
    // The copy can no longer be written: a folder stands in its place.
    QFile::remove(tempWav());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("TempWavFile.wav")));
    click("cmdSave");
    EXPECT_FALSE(window.bFileRecorded);
    ASSERT_EQ(prompts.messages.size(), 1);
    ASSERT_NE(window.snRecord(), nullptr);
    EXPECT_NE(window.snRecord()->SoundChanged(), 0);

    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("TempWavFile.wav")));
    click("cmdSave");
    EXPECT_TRUE(window.bFileRecorded);
    EXPECT_EQ(readWavFile(tempWav()).samples, take.samples);
}

TEST_F(frmRecordFileTest, SaveWithNothingToKeepReportsNoRecording)
{
    window.strRecordOverFileName = QString();
    window.Form_Load();
    click("cmdSave");
    EXPECT_FALSE(window.bFileRecorded);
    EXPECT_FALSE(QFile::exists(tempWav()));
}

TEST_F(frmRecordFileTest, ShowsModallyWhereItIsPlacedAndReturnsWhenClosed)
{
    window.strRecordOverFileName = greeting;
    QPoint shownAt;
    bool wasModal = false;
    QTimer::singleShot(0, &window, [&] {
        shownAt = window.pos();
        wasModal = window.isModal() && window.isVisible();
        recordTake();
        click("cmdSave");
    });
    window.showRecordingAt(QPoint(120, 80));
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(shownAt, QPoint(120, 80));
    EXPECT_TRUE(window.bFileRecorded);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
