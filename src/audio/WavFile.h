#pragma once

#include "runtime/RuntimeError.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>

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

// The most samples a sound file may hold: eight hours of telephone sound (8 kHz mono), far more
// than any recording the server keeps. A longer file is refused from its header, before a sample
// is read.
inline constexpr qint64 kLongestSoundSamples = qint64(8) * 60 * 60 * 8000;

// What a sound file that cannot be opened, read or written throws (ErrorNumber::ProviderFailure):
// the description names the file, and the reason is kept apart for a narrow view that must show
// it first.
class SoundFileError : public RuntimeError {
public:
    SoundFileError(const QString& description, const QString& reason);

    const QString& reason() const { return m_reason; }

private:
    QString m_reason;
};

// A sound whose format and length are known at once and whose samples are read piece by piece,
// as they are played, so that its length never decides how much memory it takes.
class SoundSource {
public:
    virtual ~SoundSource();

    virtual const WavFormat& format() const = 0;
    virtual qint64 frames() const = 0;
    qint64 durationMs() const;
    // Up to maxFrames whole frames from the current position, in format(); empty at the end.
    // Throws RuntimeError when the samples cannot be read.
    virtual QByteArray read(qint64 maxFrames) = 0;
    // Back to the first frame. Throws RuntimeError when the file cannot be read from there.
    virtual void rewind() = 0;
};

// A sound held in memory: a recording just made.
class MemorySound final : public SoundSource {
public:
    explicit MemorySound(WavData data);

    const WavData& data() const { return m_data; }
    const WavFormat& format() const override { return m_data.format; }
    qint64 frames() const override;
    QByteArray read(qint64 maxFrames) override;
    void rewind() override { m_next = 0; }

private:
    qsizetype frameBytes() const;

    WavData m_data;
    qint64 m_next = 0;
};

// A WAV file held open: opening reads its header only. Reads what readWavFile reads, and throws
// as it does on a file it cannot read.
class WavFileSound final : public SoundSource {
public:
    explicit WavFileSound(const QString& path);
    ~WavFileSound() override;
    WavFileSound(const WavFileSound&) = delete;
    WavFileSound& operator=(const WavFileSound&) = delete;

    const WavFormat& format() const override { return m_format; }
    qint64 frames() const override { return m_frames; }
    QByteArray read(qint64 maxFrames) override;
    void rewind() override;

private:
    struct Open;

    QString m_path;
    std::unique_ptr<Open> m_open;
    WavFormat m_format;
    qint64 m_frames = 0;
};

// Writes PCM WAV (8, 16, 24 or 32 bits); a partial frame at the end is left out. The file is
// replaced only once it is complete. Throws RuntimeError on a file that cannot be written.
void writeWavFile(const QString& path, const WavData& data);
// Reads a WAV file of 8-bit or 16-bit PCM (plain or extensible) or of G.711 mu-law or A-law;
// G.711 is decoded to 16-bit PCM. Throws RuntimeError on a missing or unreadable file, one that
// is not WAV, one in another sample format, or one with more than kLongestSoundSamples samples.
WavData readWavFile(const QString& path);
// Silence of the given length, in the default telephone format.
WavData silentWav(int milliseconds, const WavFormat& format = WavFormat());
// A soft tone, so that demo greetings are audible.
WavData toneWav(int milliseconds, double frequency, const WavFormat& format = WavFormat());
