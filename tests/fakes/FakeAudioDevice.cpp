#include "fakes/FakeAudioDevice.h"

#include "runtime/RuntimeError.h"

void FakeAudioDevice::startPlayback(std::shared_ptr<SoundSource> sound)
{
    stop();
    if (!output)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("No sound output device"));
    // What a real device would hear from start to end; the tests play short sounds only.
    sound->rewind();
    WavData heard{sound->format(), {}};
    for (QByteArray piece; !(piece = sound->read(4096)).isEmpty();)
        heard.samples += piece;
    played.append(heard);
    state = State::Playing;
}

void FakeAudioDevice::startRecording(const WavFormat& format)
{
    stop();
    if (!input)
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("No sound input device"));
    recordFormats.append(format);
    state = State::Recording;
}

QByteArray FakeAudioDevice::stop()
{
    const bool wasRecording = state == State::Recording;
    if (state != State::Idle)
        ++stops;
    state = State::Idle;
    return wasRecording ? capture : QByteArray();
}

void FakeAudioDevice::finishPlayback()
{
    state = State::Idle;
    emit playbackFinished();
}

void FakeAudioDevice::fail(const QString& reason)
{
    emit deviceFailed(reason);
}

AudioDeviceFactory FakeAudioDevice::factory(QList<QPointer<FakeAudioDevice>>* created)
{
    return [created]() -> std::unique_ptr<AudioDevice> {
        auto device = std::make_unique<FakeAudioDevice>();
        if (created)
            created->append(device.get());
        return device;
    };
}
