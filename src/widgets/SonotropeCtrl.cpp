#include "widgets/SonotropeCtrl.h"

#include "runtime/RuntimeError.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <QTemporaryFile>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <climits>

namespace {

// Recordings are made in the server's telephone format whatever the device offers.
const WavFormat kRecordingFormat{8000, 1, 16};

QString clockText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QIcon recordIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x80, 0, 0), 2));
    painter.setBrush(QColor(0xd0, 0x20, 0x20));
    painter.drawEllipse(QRectF(6, 6, 20, 20));
    return QIcon(pixmap);
}

QToolButton* makeButton(QWidget* parent, const char* name, const QString& text, const QIcon& icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setAccessibleName(text);
    button->setIcon(icon);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoRaise(false);
    // No tooltip of its own: hovering a button shows the control's tooltip, the bound file.
    return button;
}

} // namespace

SonotropeCtrl::SonotropeCtrl(std::unique_ptr<AudioDevice> device, QWidget* parent)
    : QWidget(parent),
      m_device(device ? std::move(device) : std::make_unique<NoAudioDevice>())
{
    setAccessibleName(QStringLiteral("Sound player and recorder"));
    m_playButton = makeButton(this, "playButton", QStringLiteral("Play"), style()->standardIcon(QStyle::SP_MediaPlay));
    m_stopButton = makeButton(this, "stopButton", QStringLiteral("Stop"), style()->standardIcon(QStyle::SP_MediaStop));
    m_recordButton = makeButton(this, "recordButton", QStringLiteral("Record"), recordIcon());
    m_position = new QProgressBar(this);
    m_position->setObjectName(QStringLiteral("positionBar"));
    m_position->setAccessibleName(QStringLiteral("Position"));
    m_position->setTextVisible(true);
    m_position->setMinimumWidth(110);
    m_position->setRange(0, 1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_playButton);
    layout->addWidget(m_stopButton);
    layout->addWidget(m_recordButton);
    layout->addWidget(m_position, 1);
    setFocusProxy(m_playButton);

    m_ticker = new QTimer(this);
    m_ticker->setInterval(100);
    connect(m_ticker, &QTimer::timeout, this, &SonotropeCtrl::updateView);

    connect(m_playButton, &QToolButton::clicked, this, &SonotropeCtrl::play);
    connect(m_stopButton, &QToolButton::clicked, this, &SonotropeCtrl::StopSound);
    connect(m_recordButton, &QToolButton::clicked, this, &SonotropeCtrl::record);
    connect(m_device.get(), &AudioDevice::playbackFinished, this, &SonotropeCtrl::playbackEnded);
    connect(m_device.get(), &AudioDevice::deviceFailed, this, &SonotropeCtrl::deviceFailed);
    connect(qApp, &QApplication::focusChanged, this, &SonotropeCtrl::focusMoved);
    updateView();
}

SonotropeCtrl::~SonotropeCtrl()
{
    disconnect(m_device.get(), nullptr, this, nullptr);
    m_device->stop();
}

void SonotropeCtrl::setSoundFile(const QString& path)
{
    StopSound();
    m_soundFile = path;
    m_sound.reset();
    m_take.reset();
    m_problem.clear();
    updateView();
}

void SonotropeCtrl::LoadSound()
{
    StopSound();
    m_sound.reset();
    m_problem.clear();
    if (m_soundFile.isEmpty())
        notReady(QStringLiteral("No sound file is bound"));
    std::shared_ptr<SoundSource> sound;
    try {
        sound = std::make_shared<WavFileSound>(m_soundFile);
    } catch (const SoundFileError& e) {
        cannotLoad(e.reason());
    }
    const WavFormat& f = sound->format();
    if (f.channels < 1 || f.channels > 2 || (f.bitsPerSample != 8 && f.bitsPerSample != 16) || f.sampleRate < 1000
        || f.sampleRate > 192000)
        cannotLoad(QStringLiteral("sound format not supported"));
    if (!m_device->hasOutput())
        notReady(QStringLiteral("No sound output device"));
    m_sound = std::move(sound);
    updateView();
}

void SonotropeCtrl::setControlActive(int active)
{
    m_controlActive = active;
    if (!active)
        StopSound();
    updateView();
}

void SonotropeCtrl::setRecordingAllowed(bool allowed)
{
    m_recordingAllowed = allowed;
    if (!allowed) {
        EndRecording();
        m_take.reset();
    }
    updateView();
}

void SonotropeCtrl::SaveRecording()
{
    EndRecording();
    if (!m_take)
        return;
    if (m_activity == Activity::Playing) {
        m_device->stop();
        m_activity = Activity::Idle;
    }
    const QString target = (m_inPlaceMode != 0 || m_soundFile.isEmpty()) ? newTempRecordingPath() : m_soundFile;
    writeWavFile(target, m_take->data());
    m_soundFile = target;
    m_sound = std::move(m_take);
    m_take.reset();
    m_problem.clear();
    updateView();
}

void SonotropeCtrl::DiscardRecording()
{
    EndRecording();
    if (m_activity == Activity::Playing && m_take) {
        m_device->stop();
        m_activity = Activity::Idle;
    }
    m_take.reset();
    updateView();
}

void SonotropeCtrl::StopSound()
{
    if (m_activity == Activity::Recording) {
        finishCapture();
    } else if (m_activity == Activity::Playing) {
        m_device->stop();
        m_activity = Activity::Idle;
    }
    updateView();
}

void SonotropeCtrl::EndRecording()
{
    if (m_activity == Activity::Recording)
        finishCapture();
    updateView();
}

void SonotropeCtrl::showStatusText()
{
    // A long text is cut to the bar at its end, where a problem names its file; the whole of it is
    // the bar's tooltip and description. The bar reads %-placeholders, and a path may hold a real "%".
    const int room = std::max(20, m_position->width() - 8);
    QString shown = m_position->fontMetrics().elidedText(m_statusText, Qt::ElideRight, room);
    m_position->setFormat(shown.replace(QLatin1Char('%'), QLatin1String("%%")));
}

void SonotropeCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    showStatusText();
}

void SonotropeCtrl::play()
{
    std::shared_ptr<SoundSource> sound = playable();
    if (!sound || !m_controlActive)
        return;
    StopSound();
    try {
        m_device->startPlayback(std::move(sound));
    } catch (const RuntimeError& e) {
        showProblem(e.description());
        return;
    }
    m_problem.clear();
    m_activity = Activity::Playing;
    m_ticker->start();
    updateView();
}

void SonotropeCtrl::record()
{
    if (!m_controlActive || !m_recordingAllowed || m_activity == Activity::Recording)
        return;
    StopSound();
    try {
        m_device->startRecording(kRecordingFormat);
    } catch (const RuntimeError& e) {
        showProblem(e.description());
        return;
    }
    m_problem.clear();
    m_activity = Activity::Recording;
    m_ticker->start();
    updateView();
}

void SonotropeCtrl::finishCapture()
{
    QByteArray samples = m_device->stop();
    m_activity = Activity::Idle;
    m_ticker->stop();
    samples.truncate(samples.size() - samples.size() % (kRecordingFormat.channels * kRecordingFormat.bitsPerSample / 8));
    if (samples.isEmpty()) {
        // An empty take would silence the greeting it is saved over; the old sound stays.
        showProblem(QStringLiteral("Nothing was recorded"));
        return;
    }
    m_take = std::make_shared<MemorySound>(WavData{kRecordingFormat, std::move(samples)});
    if (!m_tempRecordingFile.isEmpty()) {
        try {
            writeWavFile(m_tempRecordingFile, m_take->data());
        } catch (const RuntimeError& e) {
            // The take is still in memory and SaveRecording can store it.
            showProblem(e.description());
        }
    }
}

void SonotropeCtrl::playbackEnded()
{
    if (m_activity != Activity::Playing)
        return;
    m_activity = Activity::Idle;
    m_ticker->stop();
    updateView();
}

void SonotropeCtrl::deviceFailed(const QString& reason)
{
    if (m_activity == Activity::Recording) {
        finishCapture();
    } else {
        m_device->stop();
        m_activity = Activity::Idle;
        m_ticker->stop();
    }
    showProblem(reason);
}

void SonotropeCtrl::notReady(const QString& reason)
{
    showProblem(reason);
    throwError(ErrorNumber::ProviderFailure, reason);
}

void SonotropeCtrl::cannotLoad(const QString& reason)
{
    // The reason before the path: the bar cuts a long text at its end.
    QString text = reason + QStringLiteral(": ") + m_soundFile;
    text[0] = text[0].toUpper();
    showProblem(text);
    throwError(SoundCannotBeLoaded, text);
}

void SonotropeCtrl::showProblem(const QString& text)
{
    m_problem = text;
    updateView();
}

std::shared_ptr<SoundSource> SonotropeCtrl::playable() const
{
    if (m_take)
        return m_take;
    return m_sound;
}

void SonotropeCtrl::updateView()
{
    const bool active = m_controlActive != 0;
    const bool recording = m_activity == Activity::Recording;
    QToolButton* const buttons[] = {m_stopButton, m_playButton, m_recordButton};
    const bool enabled[] = {m_activity != Activity::Idle, active && !recording && playable(),
                            active && !recording && m_recordingAllowed};
    // A focused button that gets disabled would push the focus out of the control, and with it
    // raise LostFocus in the middle of a recording; the focus stays on a button still usable.
    QWidget* const focused = QApplication::focusWidget();
    for (int i = 0; i < 3; ++i)
        if (enabled[i])
            buttons[i]->setEnabled(true);
    for (int i = 0; i < 3; ++i) {
        if (!enabled[i] && buttons[i] == focused) {
            for (int j = 0; j < 3; ++j) {
                if (enabled[j]) {
                    buttons[j]->setFocus(Qt::OtherFocusReason);
                    break;
                }
            }
        }
    }
    for (int i = 0; i < 3; ++i)
        if (!enabled[i])
            buttons[i]->setEnabled(false);

    const std::shared_ptr<SoundSource> sound = playable();
    const qint64 total = sound ? sound->durationMs() : 0;
    const qint64 elapsed = m_activity == Activity::Idle ? 0 : m_device->elapsedMs();
    QString text;
    if (recording) {
        m_position->setRange(0, 1);
        m_position->setValue(0);
        text = QStringLiteral("Recording %1").arg(clockText(elapsed));
    } else {
        const int maximum = int(std::clamp<qint64>(total, 1, INT_MAX));
        m_position->setRange(0, maximum);
        m_position->setValue(int(std::min<qint64>(elapsed, maximum)));
        text = sound ? QStringLiteral("%1 / %2").arg(clockText(std::min(elapsed, total)), clockText(total))
                     : QStringLiteral("No sound");
    }
    const bool problem = !m_problem.isEmpty() && m_activity == Activity::Idle;
    if (problem)
        text = m_problem;
    m_statusText = text;
    m_position->setAccessibleDescription(text);
    // Over the times the bar keeps the control's own tooltip, the bound file.
    m_position->setToolTip(problem ? text : QString());
    showStatusText();
}

QString SonotropeCtrl::newTempRecordingPath() const
{
    const QString folder = m_tempRecordingFile.isEmpty() ? QDir::tempPath() : QFileInfo(m_tempRecordingFile).absolutePath();
    QTemporaryFile file(QDir(folder).filePath(QStringLiteral("TWR_TEMP_XXXXXX.wav")));
    file.setAutoRemove(false);
    if (!file.open())
        throwError(ErrorNumber::ProviderFailure,
                   QStringLiteral("Cannot create a temporary recording file in %1: %2").arg(folder, file.errorString()));
    return file.fileName();
}

void SonotropeCtrl::focusMoved(QWidget* old, QWidget* now)
{
    // Focus leaving for another window (a dialog, another program) is not the control losing it.
    if (!old || !now || now->window() != window())
        return;
    const auto inside = [this](QWidget* w) { return w == this || isAncestorOf(w); };
    if (inside(old) && !inside(now))
        emit LostFocus();
}
