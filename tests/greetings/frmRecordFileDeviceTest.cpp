#include "audio/WavFile.h"
#include "audio/device/QtAudioDevice.h"
#include "fakes/ScriptedPrompts.h"
#include "greetings/frmRecordFile.h"
#include "system/SharedFileSystem.h"
#include "widgets/SonotropeCtrl.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

// Against the system's sound server (a null sink in CI); skipped where there is none. The wait
// is bounded so that a stalled server fails the test instead of hanging it.
namespace {

TEST(frmRecordFileDeviceTest, SavesARecordingInTheTelephoneFormat)
{
    if (QMediaDevices::audioInputs().isEmpty() || QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio input or output device";

    QTemporaryDir dir;
    SharedFileSystem fileSystem;
    ScriptedPrompts prompts;
    frmRecordFile window(ProgramFolder(dir.path()), fileSystem, systemAudioDevices(), prompts);
    window.Form_Load();
    QTest::mouseClick(window.snRecord()->findChild<QToolButton*>(QStringLiteral("recordButton")), Qt::LeftButton);
    ASSERT_EQ(window.snRecord()->activity(), SonotropeCtrl::Activity::Recording) << window.snRecord()->statusText().toStdString();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 700)
        QTest::qWait(20);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdSave")), Qt::LeftButton);

    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join('|').toStdString();
    ASSERT_TRUE(window.bFileRecorded);
    const WavData saved = readWavFile(window.strRecordedFilePath);
    EXPECT_EQ(saved.format.sampleRate, 8000);
    EXPECT_EQ(saved.format.channels, 1);
    EXPECT_EQ(saved.format.bitsPerSample, 16);
    EXPECT_GT(saved.samples.size(), 0);
}

} // namespace
