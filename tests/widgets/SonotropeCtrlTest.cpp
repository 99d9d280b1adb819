#include "widgets/SonotropeCtrl.h"

#include "audio/WavFile.h"
#include "fakes/FakeAudioDevice.h"
#include "fixtures/LongSound.h"
#include "runtime/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class SonotropeCtrlTest : public ::testing::Test {
protected:
    SonotropeCtrlTest()
    {
        auto device = std::make_unique<FakeAudioDevice>();
        fake = device.get();
        ctrl = std::make_unique<SonotropeCtrl>(std::move(device));
        ctrl->setTempRecordingFile(path("TempHandlerWavFile.wav"));
        ctrl->setControlActive(-1);
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QString writeGreeting(const QString& name, const WavData& sound)
    {
        writeWavFile(path(name), sound);
        return path(name);
    }

    QToolButton* button(const char* name) const { return ctrl->findChild<QToolButton*>(QLatin1String(name)); }
    void click(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    // Records the given samples through the record and stop buttons.
    void recordTake(const QByteArray& samples)
    {
        fake->capture = samples;
        click("recordButton");
        ASSERT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Recording);
        click("stopButton");
    }

    QTemporaryDir dir;
    FakeAudioDevice* fake = nullptr;
    std::unique_ptr<SonotropeCtrl> ctrl;
    const WavData greeting = toneWav(1500, 440);
    const WavData take = toneWav(700, 300);
};

TEST_F(SonotropeCtrlTest, PlaysTheLoadedFileOnTheDevice)
{
    EXPECT_EQ(ctrl->SoundFile(), QString());
    EXPECT_FALSE(button("playButton")->isEnabled());
    const QString file = writeGreeting("greeting.wav", greeting);
    ctrl->setSoundFile(file);
    EXPECT_EQ(ctrl->SoundFile(), file);
    ctrl->LoadSound();
    EXPECT_EQ(ctrl->statusText(), QStringLiteral("0:00 / 0:01"));
    ASSERT_TRUE(button("playButton")->isEnabled());

    click("playButton");
    ASSERT_EQ(fake->played.size(), 1);
    EXPECT_EQ(fake->played[0].samples, greeting.samples);
    EXPECT_EQ(fake->played[0].format.sampleRate, 8000);
    EXPECT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Playing);
    EXPECT_TRUE(button("stopButton")->isEnabled());
    // The bar follows the device's position.
    fake->elapsed = 1200;
    EXPECT_TRUE(QTest::qWaitFor([&] { return ctrl->statusText() == QStringLiteral("0:01 / 0:01"); }))
        << ctrl->statusText().toStdString();

    fake->finishPlayback();
    EXPECT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Idle);
    EXPECT_FALSE(button("stopButton")->isEnabled());

    // Stopping by the program ends a second play at once.
    click("playButton");
    ctrl->StopSound();
    EXPECT_EQ(fake->state, FakeAudioDevice::State::Idle);
    EXPECT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Idle);
}

// Only a control without a file or a device is "not ready", which asking again may mend; a
// file that cannot be loaded says why, the reason first, so that a narrow bar still shows it.
TEST_F(SonotropeCtrlTest, LoadTellsNotReadyFromAFileThatCannotBeLoadedAndSaysWhy)
{
    const QString good = writeGreeting("good.wav", greeting);
    QFile garbage(path("garbage.wav"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("RIFF\x10\0\0\0WAVEjunkjunkjunk", 24);
    garbage.close();
    const QString wide = writeGreeting("wide.wav", WavData{WavFormat{8000, 1, 24}, QByteArray(300, '\1')});
    ASSERT_TRUE(writeLongSilentWav(path("long.wav"), kLongestSoundSamples + 1));
    const int notReady = -2147467259;
    const int cannotBeLoaded = SonotropeCtrl::SoundCannotBeLoaded;
    EXPECT_NE(cannotBeLoaded, notReady);

    struct Case {
        const char* what;
        QString file;
        bool output;
        int number;
        QString reason; // what the status text starts with
        QString text;   // the whole of it
    };
    const QString tooLong = "The sound is too long (more than 8 hours of telephone sound)";
    const Case cases[] = {
        {"no file bound", QString(), true, notReady, "No sound file is bound", "No sound file is bound"},
        {"no output device", good, false, notReady, "No sound output device", "No sound output device"},
        {"missing file", path("missing.wav"), true, cannotBeLoaded, "No such file or directory",
         "No such file or directory: " + path("missing.wav")},
        {"not a WAV file", path("garbage.wav"), true, cannotBeLoaded, "Not a readable WAV file", QString()},
        {"24-bit samples", wide, true, cannotBeLoaded, "Sound format not supported (Signed 24 bit PCM)",
         "Sound format not supported (Signed 24 bit PCM): " + wide},
        {"one sample more than eight hours", path("long.wav"), true, cannotBeLoaded, tooLong, tooLong + ": " + path("long.wav")},
    };
    // As narrow as on the pages, where a path does not fit beside the buttons.
    ctrl->resize(300, ctrl->sizeHint().height());
    ctrl->show();
    auto* bar = ctrl->findChild<QProgressBar*>("positionBar");
    ASSERT_NE(bar, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ctrl->setSoundFile(good);
        ctrl->LoadSound();
        EXPECT_EQ(bar->toolTip(), QString()) << "over the times the control's own tooltip shows";
        fake->output = c.output;
        ctrl->setSoundFile(c.file);
        try {
            ctrl->LoadSound();
            ADD_FAILURE() << "LoadSound succeeded";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), c.number);
            EXPECT_EQ(ctrl->statusText(), e.description());
        }
        const QString text = ctrl->statusText();
        EXPECT_TRUE(text.startsWith(c.reason)) << text.toStdString();
        if (!c.text.isEmpty()) {
            EXPECT_EQ(text, c.text);
        }
        EXPECT_TRUE(bar->format().startsWith(c.reason.left(20))) << bar->format().toStdString();
        EXPECT_EQ(bar->toolTip(), text);
        EXPECT_EQ(bar->accessibleDescription(), text);
        EXPECT_EQ(ctrl->SoundFile(), c.file);
        EXPECT_FALSE(button("playButton")->isEnabled());
        fake->output = true;
    }
    EXPECT_TRUE(fake->played.isEmpty());
}

TEST_F(SonotropeCtrlTest, AControlGivenNoDeviceIsNotReadyInsteadOfCrashing)
{
    SonotropeCtrl bare(nullptr);
    bare.setSoundFile(writeGreeting("good.wav", greeting));
    EXPECT_THROW(bare.LoadSound(), RuntimeError);
    EXPECT_FALSE(bare.findChild<QAbstractButton*>(QStringLiteral("playButton"))->isEnabled());
}

TEST_F(SonotropeCtrlTest, RecordingLandsInTheTemporaryFileInTelephoneFormat)
{
    const QString file = writeGreeting("greeting.wav", greeting);
    ctrl->setSoundFile(file);
    ctrl->LoadSound();
    EXPECT_EQ(ctrl->SoundChanged(), 0);

    recordTake(take.samples);
    ASSERT_EQ(fake->recordFormats.size(), 1);
    EXPECT_EQ(fake->recordFormats[0].sampleRate, 8000);
    EXPECT_EQ(fake->recordFormats[0].channels, 1);
    EXPECT_EQ(fake->recordFormats[0].bitsPerSample, 16);
    EXPECT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Idle);
    EXPECT_EQ(ctrl->SoundChanged(), -1);

    const WavData written = readWavFile(ctrl->TempRecordingFile());
    EXPECT_EQ(written.format.sampleRate, 8000);
    EXPECT_EQ(written.format.channels, 1);
    EXPECT_EQ(written.format.bitsPerSample, 16);
    EXPECT_EQ(written.samples, take.samples);
    EXPECT_EQ(readWavFile(file).samples, greeting.samples) << "the bound file is untouched until saved";

    // Playing now lets the administrator hear the new recording.
    click("playButton");
    ASSERT_FALSE(fake->played.isEmpty());
    EXPECT_EQ(fake->played.last().samples, take.samples);
}

TEST_F(SonotropeCtrlTest, AnEmptyOrFailedCaptureKeepsWhatThereIs)
{
    // Nothing captured: no new recording that could silence the greeting.
    recordTake(QByteArray());
    EXPECT_EQ(ctrl->SoundChanged(), 0);
    EXPECT_FALSE(QFileInfo::exists(ctrl->TempRecordingFile()));
    EXPECT_EQ(ctrl->statusText(), QStringLiteral("Nothing was recorded"));

    // The device gives up half-way: what it captured is the recording.
    fake->capture = take.samples;
    click("recordButton");
    fake->fail(QStringLiteral("The sound input device stopped"));
    EXPECT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Idle);
    EXPECT_EQ(ctrl->SoundChanged(), -1);
    EXPECT_EQ(readWavFile(ctrl->TempRecordingFile()).samples, take.samples);
    EXPECT_EQ(ctrl->statusText(), QStringLiteral("The sound input device stopped"));

    // No input device at all.
    ctrl->DiscardRecording();
    fake->input = false;
    click("recordButton");
    EXPECT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Idle);
    EXPECT_EQ(ctrl->SoundChanged(), 0);
    EXPECT_EQ(ctrl->statusText(), QStringLiteral("No sound input device"));
}

TEST_F(SonotropeCtrlTest, StopDuringRecordingKeepsTheRecording)
{
    fake->capture = take.samples;
    click("recordButton");
    ctrl->StopSound();
    EXPECT_EQ(fake->state, FakeAudioDevice::State::Idle);
    EXPECT_EQ(ctrl->SoundChanged(), -1);
    EXPECT_EQ(readWavFile(ctrl->TempRecordingFile()).samples, take.samples);
}

TEST_F(SonotropeCtrlTest, SavingStoresTheRecordingWhereTheModeSays)
{
    // In place the control leaves the bound file alone and hands over a file of its own.
    const QString file = writeGreeting("greeting.wav", greeting);
    ctrl->setInPlaceMode(-1);
    ctrl->setSoundFile(file);
    recordTake(take.samples);
    ctrl->SaveRecording();
    EXPECT_EQ(ctrl->SoundChanged(), 0);
    const QString saved = ctrl->SoundFile();
    EXPECT_TRUE(QFileInfo(saved).fileName().contains(QLatin1String("TWR_TEMP_")));
    EXPECT_EQ(QFileInfo(saved).absolutePath(), QFileInfo(ctrl->TempRecordingFile()).absolutePath());
    EXPECT_EQ(readWavFile(saved).samples, take.samples);
    EXPECT_EQ(readWavFile(file).samples, greeting.samples);
    ctrl->LoadSound();

    // Otherwise the recording replaces the bound file.
    ctrl->setInPlaceMode(0);
    ctrl->setSoundFile(file);
    recordTake(take.samples);
    ctrl->SaveRecording();
    EXPECT_EQ(ctrl->SoundFile(), file);
    EXPECT_EQ(readWavFile(file).samples, take.samples);
}

TEST_F(SonotropeCtrlTest, ARecordingNotSavedNeverReachesAnotherFile)
{
    const QString first = writeGreeting("first.wav", greeting);
    const QString second = writeGreeting("second.wav", greeting);
    ctrl->setSoundFile(first);
    recordTake(take.samples);
    ctrl->setSoundFile(second);
    EXPECT_EQ(ctrl->SoundChanged(), 0);
    ctrl->SaveRecording();
    EXPECT_EQ(readWavFile(second).samples, greeting.samples);

    recordTake(take.samples);
    ctrl->DiscardRecording();
    EXPECT_EQ(ctrl->SoundChanged(), 0);
    ctrl->SaveRecording();
    EXPECT_EQ(ctrl->SoundFile(), second);
    EXPECT_EQ(readWavFile(second).samples, greeting.samples);
}

TEST_F(SonotropeCtrlTest, TheSwitchDecidesWhetherTheAdministratorMayUseIt)
{
    ctrl->setSoundFile(writeGreeting("greeting.wav", greeting));
    ctrl->LoadSound();
    click("playButton");
    ASSERT_EQ(fake->state, FakeAudioDevice::State::Playing);

    ctrl->setControlActive(0);
    EXPECT_EQ(fake->state, FakeAudioDevice::State::Idle);
    EXPECT_FALSE(button("playButton")->isEnabled());
    EXPECT_FALSE(button("recordButton")->isEnabled());
    EXPECT_NO_THROW(ctrl->LoadSound());
    EXPECT_FALSE(button("playButton")->isEnabled());

    ctrl->setControlActive(-1);
    EXPECT_EQ(ctrl->ControlActive(), -1);
    EXPECT_TRUE(button("playButton")->isEnabled());
    EXPECT_TRUE(button("recordButton")->isEnabled());
}

TEST_F(SonotropeCtrlTest, AControlNotOfferingRecordingPlaysButNeverKeepsATake)
{
    ctrl->setSoundFile(writeGreeting("greeting.wav", greeting));
    ctrl->LoadSound();
    fake->capture = take.samples;
    click("recordButton");
    ASSERT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Recording);

    ctrl->setRecordingAllowed(false);
    EXPECT_EQ(ctrl->activity(), SonotropeCtrl::Activity::Idle);
    EXPECT_EQ(ctrl->SoundChanged(), 0);
    EXPECT_FALSE(button("recordButton")->isEnabled());
    click("playButton");
    ASSERT_EQ(fake->state, FakeAudioDevice::State::Playing);
    EXPECT_EQ(fake->played.last().samples, greeting.samples);

    ctrl->setRecordingAllowed(true);
    EXPECT_TRUE(button("recordButton")->isEnabled());
}

TEST_F(SonotropeCtrlTest, LostFocusWhenTheFocusLeavesForAnotherWidget)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* ctrlInWindow = ctrl.release();
    layout->addWidget(ctrlInWindow);
    auto* edit = new QLineEdit(&window);
    layout->addWidget(edit);
    ctrlInWindow->setSoundFile(writeGreeting("greeting.wav", greeting));
    ctrlInWindow->LoadSound();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QSignalSpy lost(ctrlInWindow, &SonotropeCtrl::LostFocus);
    auto* play = ctrlInWindow->findChild<QToolButton*>(QStringLiteral("playButton"));
    auto* record = ctrlInWindow->findChild<QToolButton*>(QStringLiteral("recordButton"));
    play->setFocus();
    record->setFocus();
    EXPECT_EQ(lost.count(), 0) << "moving between the control's own buttons";
    edit->setFocus();
    EXPECT_EQ(lost.count(), 1);
    edit->setFocus();
    EXPECT_EQ(lost.count(), 1);

    // Keyboard only: Space plays and records; the focus stays inside the control while the
    // buttons change, and only Tab out of it raises the event.
    play->setFocus();
    QTest::keyClick(play, Qt::Key_Space);
    EXPECT_EQ(ctrlInWindow->activity(), SonotropeCtrl::Activity::Playing);
    ctrlInWindow->StopSound();
    fake->capture = take.samples;
    record->setFocus();
    QTest::keyClick(record, Qt::Key_Space);
    ASSERT_EQ(ctrlInWindow->activity(), SonotropeCtrl::Activity::Recording);
    EXPECT_EQ(QApplication::focusWidget(), ctrlInWindow->findChild<QToolButton*>(QStringLiteral("stopButton")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(ctrlInWindow->activity(), SonotropeCtrl::Activity::Idle);
    EXPECT_EQ(ctrlInWindow->SoundChanged(), -1);
    EXPECT_TRUE(ctrlInWindow->isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(lost.count(), 1);
    for (int i = 0; i < 4 && QApplication::focusWidget() != edit; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(lost.count(), 2);
}

} // namespace
