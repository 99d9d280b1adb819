#pragma once

#include <QByteArray>
#include <QString>

// PCM WAV files: the greetings and questions the server plays. Only what the program makes and
// plays is handled: uncompressed PCM, mono or stereo, 8 or 16 bits.
struct WavFormat {
    int sampleRate = 8000;
    int channels = 1;
    int bitsPerSample = 16;
};

struct WavData {
    WavFormat format;
    QByteArray samples;
};

// Throws RuntimeError on a file that cannot be written.
void writeWavFile(const QString& path, const WavData& data);
// Throws RuntimeError on a missing file or one that is not PCM WAV.
WavData readWavFile(const QString& path);
// Silence of the given length, in the default telephone format.
WavData silentWav(int milliseconds, const WavFormat& format = WavFormat());
// A soft tone, so that demo greetings are audible.
WavData toneWav(int milliseconds, double frequency, const WavFormat& format = WavFormat());
