#include "greetings/frmRecordFile.h"

#include "audio/WavFile.h"
#include "runtime/RuntimeError.h"
#include "runtime/SlotGuard.h"
#include "runtime/UserPrompts.h"
#include "system/SharedFileSystem.h"
#include "widgets/SonotropeCtrl.h"
#include "widgets/Twips.h"

#include <QFileInfo>
#include <QPushButton>

namespace {

// Each step of the load and of the buttons runs whatever the one before it did.
template <typename Body>
void passOver(Body&& body)
{
    try {
        body();
    } catch (const RuntimeError&) {
    }
}

} // namespace

frmRecordFile::frmRecordFile(const ProgramFolder& programFolder, const SharedFileSystem& fileSystem, AudioDeviceFactory devices,
                             UserPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      m_programFolder(programFolder),
      m_fileSystem(fileSystem),
      m_devices(std::move(devices)),
      m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmRecordFile"));
    setWindowTitle(QStringLiteral("Record "));
    setModal(true);
    m_cmdSave = new QPushButton(QStringLiteral("Save Recording"), this);
    m_cmdSave->setObjectName(QStringLiteral("cmdSave"));
    m_cmdDiscard = new QPushButton(QStringLiteral("Discard Recording"), this);
    m_cmdDiscard->setObjectName(QStringLiteral("cmdDiscard"));
    m_cmdSave->setAutoDefault(false);
    m_cmdDiscard->setAutoDefault(false);
    Twips::place(m_cmdSave, 225, 800, 2000, 400);
    Twips::place(m_cmdDiscard, 2400, 800, 2000, 400);
    setFixedSize(Twips::toPixels(0, 0, 4650, 1450, this).size());
    connectGuarded(m_prompts, m_cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connectGuarded(m_prompts, m_cmdDiscard, &QPushButton::clicked, this, [this] { cmdDiscard_Click(); });
}

frmRecordFile::~frmRecordFile() = default;

void frmRecordFile::showRecordingAt(const QPoint& globalTopLeft)
{
    Form_Load();
    move(globalTopLeft);
    exec();
}

void frmRecordFile::Form_Load()
{
    bFileRecorded = false;
    strRecordedFilePath = m_programFolder.file(QStringLiteral("TempWavFile.wav"));
    passOver([&] {
        if (m_fileSystem.FileExists(strRecordedFilePath))
            m_fileSystem.DeleteFile(strRecordedFilePath, true);
    });
    passOver([&] {
        if (!m_fileSystem.FileExists(strRecordOverFileName))
            return;
        // Only a sound the control can hold is worth a copy: the header tells, before a long
        // file is copied on the window's thread only to be refused.
        const WavFileSound sound(strRecordOverFileName);
        m_fileSystem.CopyFile(strRecordOverFileName, strRecordedFilePath, true);
    });
    releaseControl();
    m_snRecord = new SonotropeCtrl(m_devices ? m_devices() : nullptr, this);
    m_snRecord->setObjectName(QStringLiteral("snRecord"));
    m_snRecord->setGeometry(Twips::toPixels(225, 125, 4200, 500, this));
    passOver([&] { m_snRecord->setSoundFile(QString()); });
    passOver([&] { m_snRecord->setSoundFile(strRecordedFilePath); });
    passOver([&] { m_snRecord->setControlActive(-1); });
    m_snRecord->setVisible(true);
    passOver([&] { m_snRecord->setInPlaceMode(0); });
    passOver([&] { m_snRecord->LoadSound(); });
}

void frmRecordFile::cmdSave_Click()
{
    if (m_snRecord) {
        passOver([&] { m_snRecord->EndRecording(); });
        try {
            m_snRecord->SaveRecording();
        } catch (const RuntimeError& e) {
            // Closing now would lose the recording: it stays in the control for another try.
            m_prompts.msgBox(QStringLiteral("The recording could not be saved: %1").arg(e.description()));
            return;
        }
        passOver([&] { m_snRecord->StopSound(); });
        releaseControl();
    }
    bFileRecorded = m_fileSystem.FileExists(strRecordedFilePath);
    accept();
}

void frmRecordFile::cmdDiscard_Click()
{
    reject();
}

void frmRecordFile::reject()
{
    // Closing by the frame or Escape is a discard too: no control may be left recording.
    discardAndStop();
    releaseControl();
    bFileRecorded = false;
    QDialog::reject();
}

void frmRecordFile::discardAndStop()
{
    if (!m_snRecord)
        return;
    passOver([&] { m_snRecord->EndRecording(); });
    passOver([&] { m_snRecord->DiscardRecording(); });
    passOver([&] { m_snRecord->StopSound(); });
}

void frmRecordFile::releaseControl()
{
    delete m_snRecord;
    m_snRecord = nullptr;
}
