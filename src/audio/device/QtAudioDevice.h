#pragma once

#include "audio/AudioDevice.h"

// The system's default output and input through Qt Multimedia.
std::unique_ptr<AudioDevice> makeSystemAudioDevice();
AudioDeviceFactory systemAudioDevices();
