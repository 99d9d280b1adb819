#pragma once

#include "audio/AudioDevice.h"
#include "system/ProgramFolder.h"

#include <QDialog>

class QPushButton;
class SharedFileSystem;
class SonotropeCtrl;
class UserPrompts;

// The modal window in which the administrator records a new version of a sound, starting from
// the current one. It works on a copy beside the program and never touches the stream files or
// the database: the caller reads bFileRecorded and strRecordedFilePath after it has closed.
class frmRecordFile : public QDialog {
    Q_OBJECT
public:
    frmRecordFile(const ProgramFolder& programFolder, const SharedFileSystem& fileSystem, AudioDeviceFactory devices,
                  UserPrompts& prompts, QWidget* parent = nullptr);
    ~frmRecordFile() override;

    // Set by the load step: the copy the recording is made in.
    QString strRecordedFilePath;
    // Set by the caller before the window loads: the recording to start from.
    QString strRecordOverFileName;
    // True only when a recording was saved into strRecordedFilePath.
    bool bFileRecorded = false;

    // Loads the window afresh, puts its top left corner at the given screen point and shows it
    // modally; returns once it has closed.
    void showRecordingAt(const QPoint& globalTopLeft);

    // The load step, run again for each opening: a fresh copy of strRecordOverFileName and a new
    // control bound to it.
    void Form_Load();
    void cmdSave_Click();
    void cmdDiscard_Click();

    SonotropeCtrl* snRecord() const { return m_snRecord; }

public slots:
    void reject() override;

private:
    void releaseControl();
    void discardAndStop();

    ProgramFolder m_programFolder;
    const SharedFileSystem& m_fileSystem;
    AudioDeviceFactory m_devices;
    UserPrompts& m_prompts;
    SonotropeCtrl* m_snRecord = nullptr;
    QPushButton* m_cmdSave;
    QPushButton* m_cmdDiscard;
};
