#include "audio/WavFile.h"
#include "audio/device/QtAudioDevice.h"
#include "widgets/SonotropeCtrl.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

// These run against the system's sound server (a null sink in CI) and skip where there is none.
// Every wait is bounded, so a server that stalls fails the test instead of hanging it.
namespace {

constexpr int kDeviceTimeoutMs = 10000;

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
        ctrl = std::make_unique<SonotropeCtrl>(makeSystemAudioDevice());
        ctrl->setControlActive(-1);
        ctrl->setTempRecordingFile(dir.filePath(QStringLiteral("TempInterviewerWavFile.wav")));
    }

    void click(const char* name) const { QTest::mouseClick(ctrl->findChild<QToolButton*>(QLatin1String(name)), Qt::LeftButton); }

    QTemporaryDir dir;
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

TEST_F(SonotropeCtrlDeviceTest, RecordsAndPlaysBackATelephoneRecording)
{
    if (QMediaDevices::audioInputs().isEmpty() || QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio input or output device";

    QElapsedTimer clock;
    clock.start();
    click("recordButton");
    ASSERT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Recording) << ctrl->statusText().toStdString();
    QTest::qWait(1200);
    click("stopButton");
    const qint64 recordedForMs = clock.elapsed();
    ASSERT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Idle);
    ASSERT_EQ(ctrl->SoundChanged(), -1) << ctrl->statusText().toStdString();

    const WavData recorded = readWavFile(ctrl->TempRecordingFile());
    EXPECT_EQ(recorded.format.sampleRate, 8000);
    EXPECT_EQ(recorded.format.channels, 1);
    EXPECT_EQ(recorded.format.bitsPerSample, 16);
    // What came in between the two clicks: some of it may still be on its way at the stop, but
    // nothing from before the record click.
    const qint64 recordedMs = recorded.samples.size() / 16;
    EXPECT_GE(recordedMs, recordedForMs / 2);
    EXPECT_LE(recordedMs, recordedForMs + 200);

    click("playButton");
    ASSERT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Playing) << ctrl->statusText().toStdString();
    EXPECT_TRUE(waitFor([&] { return ctrl->activity() == SonotropeCtrl::Activity::Idle; }));
}

} // namespace
