#pragma once

#include "audio/WavFile.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// The sound hardware behind one media control: plays one sound or captures one recording at a
// time. Production talks to the system's default devices; tests hand in a device of their own.
class AudioDevice : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~AudioDevice() override;

    virtual bool hasOutput() const = 0;
    virtual bool hasInput() const = 0;

    // Plays the sound from its start, ending whatever runs; its samples are read as they are
    // played, and the device holds the sound until it ends or stop() is called. Throws
    // RuntimeError (ProviderFailure) when no output device can play it.
    virtual void startPlayback(std::shared_ptr<SoundSource> sound) = 0;
    // Captures samples in the given format, ending whatever runs. Throws RuntimeError
    // (ProviderFailure) when no input device can record.
    virtual void startRecording(const WavFormat& format) = 0;
    // Ends playing or capturing; gives the samples captured since startRecording (nothing after
    // playing). Harmless when nothing runs.
    virtual QByteArray stop() = 0;
    // Milliseconds played since the start, or the length of what the recording holds so far.
    virtual qint64 elapsedMs() const = 0;

signals:
    // The whole sound was played; the device is idle again.
    void playbackFinished();
    // The device gave up while playing or capturing; stop() ends it and still gives what was
    // captured until then.
    void deviceFailed(const QString& reason);
};

// A machine with no sound hardware at all (or a run that wants none): nothing plays or records,
// and the controls say so as they do for a missing device.
class NoAudioDevice : public AudioDevice {
public:
    using AudioDevice::AudioDevice;
    bool hasOutput() const override { return false; }
    bool hasInput() const override { return false; }
    void startPlayback(std::shared_ptr<SoundSource> sound) override;
    void startRecording(const WavFormat& format) override;
    QByteArray stop() override { return {}; }
    qint64 elapsedMs() const override { return 0; }
};

using AudioDeviceFactory = std::function<std::unique_ptr<AudioDevice>()>;
