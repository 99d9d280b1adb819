#include "audio/AudioDevice.h"

#include "runtime/RuntimeError.h"

AudioDevice::~AudioDevice() = default;

void NoAudioDevice::startPlayback(std::shared_ptr<SoundSource>)
{
    throw RuntimeError(ErrorNumber::ProviderFailure, QStringLiteral("There is no sound device to play on."));
}

void NoAudioDevice::startRecording(const WavFormat&)
{
    throw RuntimeError(ErrorNumber::ProviderFailure, QStringLiteral("There is no sound device to record from."));
}
