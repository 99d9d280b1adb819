#pragma once

#include "audio/AudioDevice.h"

#include <QList>
#include <QPointer>

// A sound device for tests: keeps every sound it was asked to play and delivers a prepared
// capture as the "microphone". The test decides when playing ends or the device fails.
class FakeAudioDevice : public AudioDevice {
    Q_OBJECT
public:
    enum class State { Idle, Playing, Recording };

    bool hasOutput() const override { return output; }
    bool hasInput() const override { return input; }
    void startPlayback(std::shared_ptr<SoundSource> sound) override;
    void startRecording(const WavFormat& format) override;
    QByteArray stop() override;
    qint64 elapsedMs() const override { return elapsed; }

    // Plays to the end, as a real device does after the sound's length.
    void finishPlayback();
    void fail(const QString& reason);

    // A factory for windows that create their own controls; it notes each device it makes.
    static AudioDeviceFactory factory(QList<QPointer<FakeAudioDevice>>* created);

    bool output = true;
    bool input = true;
    QByteArray capture; // what a recording delivers, in the format asked for
    qint64 elapsed = 0;
    State state = State::Idle;
    QList<WavData> played;          // every sound handed to startPlayback, read whole, in order
    QList<WavFormat> recordFormats; // the format of every startRecording
    int stops = 0;
};
