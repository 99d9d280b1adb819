#include "audio/device/QtAudioDevice.h"

#include "audio/PcmConverter.h"
#include "runtime/RuntimeError.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QElapsedTimer>
#include <QIODevice>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>
#include <climits>
#include <cstring>
#include <optional>

namespace {

// How long after the start of a capture the sound server may still deliver sound from before it.
constexpr qint64 kPreRollWindowMs = 5000;

[[noreturn]] void notReady(const QString& why)
{
    throwError(ErrorNumber::ProviderFailure, why);
}

QAudioFormat audioFormatOf(const WavFormat& f)
{
    QAudioFormat format;
    format.setSampleRate(f.sampleRate);
    format.setChannelCount(f.channels);
    format.setSampleFormat(f.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return format;
}

std::optional<PcmLayout> layoutOf(const QAudioFormat& f)
{
    PcmLayout layout;
    layout.sampleRate = f.sampleRate();
    layout.channels = f.channelCount();
    switch (f.sampleFormat()) {
    case QAudioFormat::UInt8:
        layout.sample = PcmLayout::Sample::UInt8;
        break;
    case QAudioFormat::Int16:
        layout.sample = PcmLayout::Sample::Int16;
        break;
    case QAudioFormat::Int32:
        layout.sample = PcmLayout::Sample::Int32;
        break;
    case QAudioFormat::Float:
        layout.sample = PcmLayout::Sample::Float;
        break;
    default:
        return std::nullopt;
    }
    if (layout.sampleRate < 1 || layout.channels < 1)
        return std::nullopt;
    return layout;
}

// The device's own format when it cannot take the wanted one; either way with a layout we
// can convert to or from.
std::pair<QAudioFormat, PcmLayout> usableFormat(const QAudioDevice& device, const QAudioFormat& wanted)
{
    const QAudioFormat used = device.isFormatSupported(wanted) ? wanted : device.preferredFormat();
    const auto layout = layoutOf(used);
    if (!layout)
        notReady(QStringLiteral("The sound device \"%1\" offers no usable sample format").arg(device.description()));
    return {used, *layout};
}

// The sound as the device pulls it: read and converted a piece at a time as the device asks for
// more, so that only a piece or two is ever in memory, however long the sound.
class PlaybackStream final : public QIODevice {
public:
    PlaybackStream(std::shared_ptr<SoundSource> sound, PcmConverter converter)
        : m_sound(std::move(sound)),
          m_converter(std::move(converter))
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_ended && m_pending.isEmpty(); }
    // Why the sound ended early: its file could not be read on; empty otherwise.
    QString failure() const { return m_failure; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        while (m_pending.size() < maxSize && !m_ended)
            readPiece();
        const qint64 given = std::min<qint64>(maxSize, m_pending.size());
        std::memcpy(data, m_pending.constData(), size_t(given));
        m_pending.remove(0, given);
        return given;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    // Half a second of telephone sound.
    static constexpr qint64 kPieceFrames = 4096;

    // Called by the sound system, which must never see an exception: a failure ends the sound.
    void readPiece()
    {
        try {
            const QByteArray piece = m_sound->read(kPieceFrames);
            if (piece.isEmpty()) {
                m_ended = true;
                m_pending += m_converter.flush();
            } else {
                m_pending += m_converter.convert(piece);
            }
        } catch (const RuntimeError& e) {
            m_ended = true;
            m_failure = e.description();
        }
    }

    std::shared_ptr<SoundSource> m_sound;
    PcmConverter m_converter;
    QByteArray m_pending; // converted, not yet taken by the device
    bool m_ended = false;
    QString m_failure;
};

class SystemAudioDevice final : public AudioDevice {
public:
    SystemAudioDevice()
    {
        m_playDeadline.setSingleShot(true);
        connect(&m_playDeadline, &QTimer::timeout, this, [this] { finishLater(false, {}); });
    }
    ~SystemAudioDevice() override { stop(); }

    bool hasOutput() const override { return !QMediaDevices::defaultAudioOutput().isNull(); }
    bool hasInput() const override { return !QMediaDevices::defaultAudioInput().isNull(); }

    void startPlayback(std::shared_ptr<SoundSource> sound) override
    {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            notReady(QStringLiteral("No sound output device"));
        const QAudioFormat wanted = audioFormatOf(sound->format());
        const auto [used, layout] = usableFormat(device, wanted);
        const auto soundLayout = layoutOf(wanted);
        if (!soundLayout)
            notReady(QStringLiteral("Sound format not supported"));
        sound->rewind();
        const qint64 soundMs = sound->durationMs();
        if (sound->frames() == 0) {
            // Nothing to hand the device; an empty sound has simply been played.
            finishLater(false, {});
            return;
        }
        m_playStream = std::make_unique<PlaybackStream>(std::move(sound), PcmConverter(*soundLayout, layout));
        m_sink = std::make_unique<QAudioSink>(device, used);
        connect(m_sink.get(), &QAudioSink::stateChanged, this, &SystemAudioDevice::sinkStateChanged);
        m_sink->start(m_playStream.get());
        if (m_sink->error() != QAudio::NoError) {
            stop();
            notReady(QStringLiteral("The sound output device \"%1\" cannot be opened").arg(device.description()));
        }
        // Some sound servers never report the end of a stream; playing ends a little after the
        // sound's length at the latest, so the control is never stuck playing.
        m_playDeadline.start(int(std::min<qint64>(soundMs + 5000, INT_MAX)));
    }

    void startRecording(const WavFormat& format) override
    {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioInput();
        if (device.isNull())
            notReady(QStringLiteral("No sound input device"));
        const QAudioFormat wanted = audioFormatOf(format);
        const auto [used, layout] = usableFormat(device, wanted);
        m_captureConverter.emplace(layout, *layoutOf(wanted));
        m_captureFormat = wanted;
        m_captured.clear();
        m_firstDelivery = true;
        m_captureClock.start();
        m_source = std::make_unique<QAudioSource>(device, used);
        // Short fragments, so that stop loses next to nothing of the end.
        m_source->setBufferSize(used.bytesForDuration(100000));
        connect(m_source.get(), &QAudioSource::stateChanged, this, &SystemAudioDevice::sourceStateChanged);
        m_input = m_source->start();
        if (!m_input || m_source->error() != QAudio::NoError) {
            stop();
            notReady(QStringLiteral("The sound input device \"%1\" cannot be opened").arg(device.description()));
        }
        connect(m_input, &QIODevice::readyRead, this, &SystemAudioDevice::drainCapture);
    }

    QByteArray stop() override
    {
        ++m_generation;
        m_playDeadline.stop();
        if (m_sink) {
            disconnect(m_sink.get(), nullptr, this, nullptr);
            m_sink->stop();
            m_sink.reset();
        }
        m_playStream.reset();
        QByteArray captured;
        if (m_source) {
            drainCapture();
            if (m_captureConverter) {
                try {
                    m_captured += m_captureConverter->flush();
                } catch (const RuntimeError&) {
                    // Only the last few milliseconds are lost; the device is ending anyway.
                }
            }
            disconnect(m_source.get(), nullptr, this, nullptr);
            if (m_input)
                disconnect(m_input, nullptr, this, nullptr);
            m_source->stop();
            m_source.reset();
            m_input = nullptr;
            captured = std::exchange(m_captured, {});
            m_captureConverter.reset();
        }
        return captured;
    }

    qint64 elapsedMs() const override
    {
        if (m_sink)
            return m_sink->processedUSecs() / 1000;
        // What the recording holds: the device's own count includes what the trim drops.
        if (m_source)
            return m_captured.size() * 1000 / (qint64(m_captureFormat.sampleRate()) * m_captureFormat.bytesPerFrame());
        return 0;
    }

private:
    void drainCapture()
    {
        if (!m_input || !m_captureConverter)
            return;
        const QByteArray chunk = m_input->readAll();
        if (chunk.isEmpty())
            return;
        try {
            m_captured += m_captureConverter->convert(chunk);
        } catch (const RuntimeError& e) {
            // Nothing more can be converted; what was captured until now stays.
            m_captureConverter.reset();
            finishLater(true, e.description());
            return;
        }
        // The sound server's first fragment may reach back seconds before the start; a recording
        // begins with the record click. Sound cannot arrive faster than time passes, so what the
        // recording holds beyond the time since the start is from before it. The cap holds for
        // the first seconds, before a device clock running a little fast can have gained enough
        // to cut into what was said, and for the first delivery, however late a busy machine
        // gets to it.
        const qint64 elapsedMs = m_captureClock.elapsed();
        const bool firstDelivery = m_firstDelivery && !m_captured.isEmpty();
        if (firstDelivery)
            m_firstDelivery = false;
        if (firstDelivery || elapsedMs < kPreRollWindowMs) {
            const qint64 allowed = m_captureFormat.bytesForDuration((elapsedMs + 100) * 1000);
            if (m_captured.size() > allowed) {
                const int frame = m_captureFormat.bytesPerFrame();
                const qint64 excess = (m_captured.size() - allowed + frame - 1) / frame * frame;
                m_captured.remove(0, excess);
            }
        }
    }

    // Ending the device from inside its own signal is not safe; the end runs once control has
    // returned to the event loop, and only if nothing newer was started meanwhile.
    void finishLater(bool failed, const QString& reason)
    {
        const quint64 generation = m_generation;
        QMetaObject::invokeMethod(
            this,
            [this, generation, failed, reason] {
                if (generation != m_generation)
                    return;
                if (failed) {
                    emit deviceFailed(reason);
                } else {
                    stop();
                    emit playbackFinished();
                }
            },
            Qt::QueuedConnection);
    }

    void sinkStateChanged(QAudio::State state)
    {
        if (state == QAudio::IdleState && m_playStream && m_playStream->atEnd()) {
            const QString failure = m_playStream->failure();
            finishLater(!failure.isEmpty(), failure);
        } else if (state == QAudio::StoppedState && m_sink && m_sink->error() != QAudio::NoError)
            finishLater(true, QStringLiteral("The sound output device stopped"));
    }

    void sourceStateChanged(QAudio::State state)
    {
        if (state == QAudio::StoppedState && m_source && m_source->error() != QAudio::NoError)
            finishLater(true, QStringLiteral("The sound input device stopped"));
    }

    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<PlaybackStream> m_playStream;
    QTimer m_playDeadline;
    std::unique_ptr<QAudioSource> m_source;
    QPointer<QIODevice> m_input;
    std::optional<PcmConverter> m_captureConverter;
    QAudioFormat m_captureFormat;
    QElapsedTimer m_captureClock;
    QByteArray m_captured;
    bool m_firstDelivery = true;
    quint64 m_generation = 0;
};

} // namespace

std::unique_ptr<AudioDevice> makeSystemAudioDevice()
{
    return std::make_unique<SystemAudioDevice>();
}

AudioDeviceFactory systemAudioDevices()
{
    return [] { return makeSystemAudioDevice(); };
}
