#pragma once

#include "audio/AudioDevice.h"
#include "audio/WavFile.h"

#include <QString>
#include <QWidget>
#include <memory>

class QProgressBar;
class QTimer;
class QToolButton;

// The media control of the greeting and question pages: plays the sound file it is bound to and
// records a new one, with play, stop and record buttons and a position bar.
//
// A recording ("take") is kept apart from the bound file until SaveRecording stores it; it is also
// written to TempRecordingFile as soon as it ends, so that it survives the control. A member that
// cannot do its work because no sound file is bound or no sound device is usable throws
// RuntimeError with ErrorNumber::ProviderFailure, which callers take as "not ready"; a bound file
// that cannot be loaded throws SoundCannotBeLoaded, which asking again does not mend.
class SonotropeCtrl : public QWidget {
    Q_OBJECT
public:
    enum class Activity { Idle, Playing, Recording };

    // What LoadSound throws for a bound file it cannot load (the number of "Invalid file format");
    // the description gives the reason first, then the file.
    static constexpr int SoundCannotBeLoaded = 321;

    // Without a device the control acts as on a machine with no sound hardware.
    explicit SonotropeCtrl(std::unique_ptr<AudioDevice> device, QWidget* parent = nullptr);
    ~SonotropeCtrl() override;

    // The bound sound file: a full path, or the empty text for none. Binding another file ends
    // what runs and drops a recording not saved, so it can never be saved over the wrong file.
    QString SoundFile() const { return m_soundFile; }
    void setSoundFile(const QString& path);

    // Opens the bound file, ready to play: reads its header, so that the control can show its
    // length; the samples are read as they are played. Not ready: no file bound or no sound
    // output device. Cannot be loaded: a file that is missing, too long or not a WAV file the
    // control can play (see WavFileSound).
    void LoadSound();

    // -1 while a recording made in the control is not saved, else 0.
    int SoundChanged() const { return m_take ? -1 : 0; }

    // -1 (in place): a saved recording goes to a new file beside TempRecordingFile whose name
    // holds "TWR_TEMP_", for the caller to copy where it belongs; 0: it replaces the bound file.
    int InPlaceMode() const { return m_inPlaceMode; }
    void setInPlaceMode(int mode) { m_inPlaceMode = mode; }

    // The switch: non-zero while the administrator may play and record. Switching it off ends
    // what runs; the program can still bind and load.
    int ControlActive() const { return m_controlActive; }
    void setControlActive(int active);

    // Where a recording is written as soon as it ends; the empty text keeps it in memory only.
    QString TempRecordingFile() const { return m_tempRecordingFile; }
    void setTempRecordingFile(const QString& path) { m_tempRecordingFile = path; }

    // Stores the recording (see InPlaceMode) and binds the file that holds it; nothing happens
    // without one. Throws RuntimeError when the file cannot be written; the recording is kept.
    void SaveRecording();
    // Drops a recording not saved; the bound file stays as it was.
    void DiscardRecording();
    // Ends whatever plays or records; a recording in progress becomes the unsaved recording.
    void StopSound();
    // Ends a recording in progress, keeping it; playing goes on.
    void EndRecording();

    // Whether the record button is offered; a control whose recordings nothing would keep has
    // it off. Switching it off ends a recording in progress and drops it.
    bool recordingAllowed() const { return m_recordingAllowed; }
    void setRecordingAllowed(bool allowed);

    Activity activity() const { return m_activity; }
    // What the position bar says: the times, or why the last action failed (reason first).
    QString statusText() const { return m_statusText; }

protected:
    void resizeEvent(QResizeEvent* event) override;

signals:
    // The focus went from the control to another widget of the same window.
    void LostFocus();

private:
    void play();
    void record();
    void finishCapture();
    void playbackEnded();
    void deviceFailed(const QString& reason);
    [[noreturn]] void notReady(const QString& reason);
    [[noreturn]] void cannotLoad(const QString& reason);
    void showProblem(const QString& text);
    void updateView();
    void showStatusText();
    std::shared_ptr<SoundSource> playable() const;
    QString newTempRecordingPath() const;
    void focusMoved(QWidget* old, QWidget* now);

    std::unique_ptr<AudioDevice> m_device;
    QString m_soundFile;
    QString m_tempRecordingFile;
    int m_inPlaceMode = 0;
    int m_controlActive = 0;
    bool m_recordingAllowed = true;
    std::shared_ptr<SoundSource> m_sound;
    std::shared_ptr<MemorySound> m_take;
    Activity m_activity = Activity::Idle;
    QString m_problem;
    QString m_statusText;

    QToolButton* m_playButton;
    QToolButton* m_stopButton;
    QToolButton* m_recordButton;
    QProgressBar* m_position;
    QTimer* m_ticker;
};
