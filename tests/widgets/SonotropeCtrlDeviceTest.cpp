#include "audio/WavFile.h"
#include "audio/device/QtAudioDevice.h"
#include "fixtures/LongSound.h"
#include "widgets/SonotropeCtrl.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <gtest/gtest.h>

// These run against the system's sound server (a null sink in CI) and skip where there is none.
// Every wait is bounded, so a server that stalls fails the test instead of hanging it.
namespace {

// Generous: a loaded machine may be slow, only a stalled sound server takes this long.
constexpr int kDeviceTimeoutMs = 30000;

bool waitFor(const std::function<bool()>& done, int timeoutMs = kDeviceTimeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

class SonotropeCtrlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto systemDevice = makeSystemAudioDevice();
        device = systemDevice.get();
        ctrl = std::make_unique<SonotropeCtrl>(std::move(systemDevice));
        ctrl->setControlActive(-1);
        ctrl->setTempRecordingFile(dir.filePath(QStringLiteral("TempInterviewerWavFile.wav")));
    }

    void click(const char* name) const { QTest::mouseClick(ctrl->findChild<QToolButton*>(QLatin1String(name)), Qt::LeftButton); }

    struct Take {
        qint64 recordedMs = 0;      // what the recording file holds
        qint64 betweenClicksMs = 0; // from the record click to the stop click
    };

    // Records until the control shows the given length, the program first kept from running for
    // a while as on a busy machine. The sound server hands over seconds of older sound when a
    // capture starts; sound cannot come in faster than time passes, so a recording longer than
    // the time between the clicks holds some of it. Waiting longer only makes that bound looser.
    Take recordUntil(qint64 shownMs, unsigned long busyMs = 0)
    {
        QElapsedTimer clock;
        clock.start();
        click("recordButton");
        EXPECT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Recording) << ctrl->statusText().toStdString();
        QThread::msleep(busyMs);
        EXPECT_TRUE(waitFor([&] { return device->elapsedMs() >= shownMs; }))
            << "the recording did not grow to " << shownMs << " ms";
        click("stopButton");
        Take take;
        take.betweenClicksMs = clock.elapsed();
        EXPECT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Idle);
        take.recordedMs = readWavFile(ctrl->TempRecordingFile()).samples.size() / 16;
        return take;
    }

    QTemporaryDir dir;
    AudioDevice* device = nullptr; // owned by the control
    std::unique_ptr<SonotropeCtrl> ctrl;
};

TEST_F(SonotropeCtrlDeviceTest, PlaysAGreetingToTheEnd)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio output device";
    // Silence, so that a developer's speakers stay quiet.
    const QString file = dir.filePath(QStringLiteral("greeting.wav"));
    writeWavFile(file, silentWav(400));
    ctrl->setSoundFile(file);
    ctrl->LoadSound();

    click("playButton");
    ASSERT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Playing) << ctrl->statusText().toStdString();
    ASSERT_TRUE(waitFor([&] { return ctrl->activity() == SonotropeCtrl::Activity::Idle; })) << "playing never ended";
    EXPECT_EQ(ctrl->statusText(), QStringLiteral("0:00 / 0:00"));
}

// The samples of a long greeting are read as they are played, a piece at a time: playing one of
// 256 MB takes next to no memory, and the position moves on as it plays.
TEST_F(SonotropeCtrlDeviceTest, PlaysALongGreetingWithoutHoldingItsSamples)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio output device";
    const QString file = dir.filePath(QStringLiteral("long.wav"));
    ASSERT_TRUE(writeLongSilentWav(file, qint64(1) << 27));
    const long peakBefore = peakMemoryKb();
    ctrl->setSoundFile(file);
    ctrl->LoadSound();
    EXPECT_EQ(ctrl->statusText(), QStringLiteral("0:00 / 279:37"));

    click("playButton");
    ASSERT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Playing) << ctrl->statusText().toStdString();
    EXPECT_TRUE(waitFor([&] { return device->elapsedMs() >= 1000; })) << "the position did not move on";
    EXPECT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Playing);
    EXPECT_LT(peakMemoryKb() - peakBefore, 64 * 1024) << "KiB more at the peak";
    ctrl->StopSound();
    EXPECT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Idle);
}

TEST_F(SonotropeCtrlDeviceTest, RecordsAndPlaysBackATelephoneRecording)
{
    if (QMediaDevices::audioInputs().isEmpty() || QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio input or output device";

    const Take take = recordUntil(1000);
    ASSERT_EQ(ctrl->SoundChanged(), -1) << ctrl->statusText().toStdString();
    const WavData recorded = readWavFile(ctrl->TempRecordingFile());
    EXPECT_EQ(recorded.format.sampleRate, 8000);
    EXPECT_EQ(recorded.format.channels, 1);
    EXPECT_EQ(recorded.format.bitsPerSample, 16);
    // The file holds at least what the control showed as recorded, and nothing from before the
    // record click.
    EXPECT_GE(take.recordedMs, 1000);
    EXPECT_LE(take.recordedMs, take.betweenClicksMs + 200);

    click("playButton");
    ASSERT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Playing) << ctrl->statusText().toStdString();
    EXPECT_TRUE(waitFor([&] { return ctrl->activity() == SonotropeCtrl::Activity::Idle; }));
}

// On a busy machine the program gets to the sound server's first delivery late; the older sound
// in it must still be left out.
TEST_F(SonotropeCtrlDeviceTest, ARecordingStartsAtTheClickOnABusyMachine)
{
    if (QMediaDevices::audioInputs().isEmpty())
        GTEST_SKIP() << "no audio input device";

    const Take take = recordUntil(100, 1500);
    EXPECT_GE(take.recordedMs, 100);
    EXPECT_LE(take.recordedMs, take.betweenClicksMs + 200);
}

} // namespace
