#include "audio/AudioDevice.h"

AudioDevice::~AudioDevice() = default;
