#pragma once

#include <QByteArray>
#include <QString>

// WAV files: the greetings and questions the server plays. Samples in memory are interleaved
// little-endian PCM: 8-bit unsigned or 16-bit signed.
struct WavFormat {
    int sampleRate = 8000;
    int channels = 1;
    int bitsPerSample = 16;
};

struct WavData {
    WavFormat format;
    QByteArray samples;
};

// Writes PCM WAV (8, 16, 24 or 32 bits); a partial frame at the end is left out. The file is
// replaced only once it is complete. Throws RuntimeError on a file that cannot be written.
void writeWavFile(const QString& path, const WavData& data);
// Reads a WAV file of 8-bit or 16-bit PCM (plain or extensible) or of G.711 mu-law or A-law;
// G.711 is decoded to 16-bit PCM. Throws RuntimeError on a missing or unreadable file, one that
// is not WAV, or one in another sample format.
WavData readWavFile(const QString& path);
// Silence of the given length, in the default telephone format.
WavData silentWav(int milliseconds, const WavFormat& format = WavFormat());
// A soft tone, so that demo greetings are audible.
WavData toneWav(int milliseconds, double frequency, const WavFormat& format = WavFormat());
