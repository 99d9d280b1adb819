#include "audio/WavFile.h"

#include "runtime/RuntimeError.h"
#include "system/SharedFileSystem.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <memory>
#include <sndfile.h>
#include <unistd.h>
#include <vector>

namespace {

const QString kNotARegularFile = QStringLiteral("not a regular file");

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFile = std::unique_ptr<SNDFILE, SndFileCloser>;

// libsndfile reads and writes through the Qt file, so that every path Qt can open works.
QFileDevice* deviceOf(void* user)
{
    return static_cast<QFileDevice*>(user);
}

SF_VIRTUAL_IO fileIo()
{
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* user) -> sf_count_t { return deviceOf(user)->size(); };
    io.seek = [](sf_count_t offset, int whence, void* user) -> sf_count_t {
        QFileDevice* file = deviceOf(user);
        const qint64 base = whence == SEEK_CUR ? file->pos() : whence == SEEK_END ? file->size() : 0;
        if (base + offset < 0 || !file->seek(base + offset))
            return -1;
        return file->pos();
    };
    io.read = [](void* ptr, sf_count_t count, void* user) -> sf_count_t {
        return std::max<qint64>(deviceOf(user)->read(static_cast<char*>(ptr), count), 0);
    };
    io.write = [](const void* ptr, sf_count_t count, void* user) -> sf_count_t {
        return std::max<qint64>(deviceOf(user)->write(static_cast<const char*>(ptr), count), 0);
    };
    io.tell = [](void* user) -> sf_count_t { return deviceOf(user)->pos(); };
    return io;
}

[[noreturn]] void badFile(const QString& path, const QString& why)
{
    throw SoundFileError(QStringLiteral("%1: %2").arg(path, why), why);
}

[[noreturn]] void cannotRead(const QString& path, const QString& why)
{
    throw SoundFileError(QStringLiteral("Cannot read %1: %2").arg(path, why), why);
}

[[noreturn]] void cannotWrite(const QString& path, const QString& why)
{
    throw SoundFileError(QStringLiteral("Cannot write %1: %2").arg(path, why), why);
}

QString sampleFormatName(int subtype)
{
    SF_FORMAT_INFO info{};
    info.format = subtype;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name)
        return QString::fromUtf8(info.name);
    return QStringLiteral("format 0x%1").arg(subtype, 0, 16);
}

} // namespace

SoundFileError::SoundFileError(const QString& description, const QString& reason)
    : RuntimeError(ErrorNumber::ProviderFailure, description),
      m_reason(reason)
{
}

void writeWavFile(const QString& path, const WavData& data)
{
    const WavFormat& f = data.format;
    int subtype = 0;
    switch (f.bitsPerSample) {
    case 8:
        subtype = SF_FORMAT_PCM_U8;
        break;
    case 16:
        subtype = SF_FORMAT_PCM_16;
        break;
    case 24:
        subtype = SF_FORMAT_PCM_24;
        break;
    case 32:
        subtype = SF_FORMAT_PCM_32;
        break;
    }
    if (subtype == 0 || f.channels < 1 || f.sampleRate < 1)
        cannotWrite(path, QStringLiteral("sound format not supported (%1 Hz, %2 channels, %3 bits)")
                              .arg(f.sampleRate)
                              .arg(f.channels)
                              .arg(f.bitsPerSample));

    // Written beside and renamed over, but the direct fallback would open the name itself.
    if (fileKindAt(path) == FileKind::Other)
        cannotWrite(path, kNotARegularFile);
    // A write that fails half-way must not leave a greeting cut short in place of the old one.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        cannotWrite(path, file.errorString());
    SF_VIRTUAL_IO io = fileIo();
    SF_INFO info{};
    info.samplerate = f.sampleRate;
    info.channels = f.channels;
    info.format = SF_FORMAT_WAV | subtype;
    SndFile sound(sf_open_virtual(&io, SFM_WRITE, &info, &file));
    if (!sound)
        cannotWrite(path, QString::fromUtf8(sf_strerror(nullptr)));
    const qsizetype frameBytes = qsizetype(f.channels) * f.bitsPerSample / 8;
    const qsizetype bytes = data.samples.size() / frameBytes * frameBytes;
    if (bytes > 0 && sf_write_raw(sound.get(), data.samples.constData(), bytes) != bytes)
        cannotWrite(path, file.error() != QFileDevice::NoError ? file.errorString() : QString::fromUtf8(sf_strerror(sound.get())));
    // Closing completes the header (and the pad byte after odd-sized samples).
    if (const int error = sf_close(sound.release()); error != SF_ERR_NO_ERROR)
        cannotWrite(path, QString::fromUtf8(sf_error_number(error)));
    if (!file.commit())
        cannotWrite(path, file.errorString());
}

SoundSource::~SoundSource() = default;

qint64 SoundSource::durationMs() const
{
    return format().sampleRate > 0 ? frames() * 1000 / format().sampleRate : 0;
}

MemorySound::MemorySound(WavData data)
    : m_data(std::move(data))
{
}

qsizetype MemorySound::frameBytes() const
{
    return qsizetype(m_data.format.channels) * m_data.format.bitsPerSample / 8;
}

qint64 MemorySound::frames() const
{
    return frameBytes() > 0 ? m_data.samples.size() / frameBytes() : 0;
}

QByteArray MemorySound::read(qint64 maxFrames)
{
    const qint64 count = std::clamp<qint64>(frames() - m_next, 0, std::max<qint64>(maxFrames, 0));
    const QByteArray piece = m_data.samples.mid(m_next * frameBytes(), count * frameBytes());
    m_next += count;
    return piece;
}

struct WavFileSound::Open {
    QFile file;
    SndFile sound;
};

WavFileSound::WavFileSound(const QString& path)
    : m_path(path),
      m_open(std::make_unique<Open>())
{
    // A pipe or a device in a greeting's place would hold the window in the open.
    const int fd = openRegularFile(path);
    if (fd < 0)
        cannotRead(path, errno == EINVAL ? kNotARegularFile : qt_error_string(errno));
    QFile& file = m_open->file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        cannotRead(path, file.errorString());
    }
    if (file.size() == 0)
        badFile(path, QStringLiteral("the file is empty"));
    SF_VIRTUAL_IO io = fileIo();
    SF_INFO info{};
    m_open->sound.reset(sf_open_virtual(&io, SFM_READ, &info, &file));
    if (!m_open->sound)
        badFile(path, QStringLiteral("not a readable WAV file (%1)").arg(QString::fromUtf8(sf_strerror(nullptr))));
    const int major = info.format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX)
        badFile(path, QStringLiteral("not a WAV file"));
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    if (subtype != SF_FORMAT_PCM_U8 && subtype != SF_FORMAT_PCM_16 && subtype != SF_FORMAT_ULAW && subtype != SF_FORMAT_ALAW)
        badFile(path, QStringLiteral("sound format not supported (%1)").arg(sampleFormatName(subtype)));
    if (info.channels < 1 || info.samplerate < 1)
        badFile(path, QStringLiteral("not a readable WAV file (%1 Hz, %2 channels)").arg(info.samplerate).arg(info.channels));
    if (info.frames < 0 || info.frames > kLongestSoundSamples / info.channels)
        cannotRead(path, QStringLiteral("the sound is too long (more than %1 hours of telephone sound)")
                             .arg(kLongestSoundSamples / (8000 * 3600)));

    m_format.sampleRate = info.samplerate;
    m_format.channels = info.channels;
    m_format.bitsPerSample = subtype == SF_FORMAT_PCM_U8 ? 8 : 16;
    m_frames = info.frames;
}

WavFileSound::~WavFileSound() = default;

QByteArray WavFileSound::read(qint64 maxFrames)
{
    const int channels = m_format.channels;
    std::vector<short> buffer(size_t(std::max<qint64>(maxFrames, 0) * channels));
    const sf_count_t frames = buffer.empty() ? 0 : sf_readf_short(m_open->sound.get(), buffer.data(), maxFrames);
    if (frames <= 0) {
        if (const int error = sf_error(m_open->sound.get()); error != SF_ERR_NO_ERROR)
            badFile(m_path, QString::fromUtf8(sf_error_number(error)));
        return {};
    }
    // Every format arrives as 16-bit samples; 8-bit ones go back to their own byte exactly.
    const qsizetype count = qsizetype(frames) * channels;
    QByteArray piece;
    if (m_format.bitsPerSample == 8) {
        piece.resize(count);
        for (qsizetype i = 0; i < count; ++i)
            piece[i] = char(quint8((buffer[size_t(i)] >> 8) + 128));
    } else {
        piece.resize(2 * count);
        for (qsizetype i = 0; i < count; ++i)
            qToLittleEndian<qint16>(buffer[size_t(i)], piece.data() + 2 * i);
    }
    return piece;
}

void WavFileSound::rewind()
{
    if (sf_seek(m_open->sound.get(), 0, SEEK_SET) != 0)
        badFile(m_path, QString::fromUtf8(sf_strerror(m_open->sound.get())));
}

WavData readWavFile(const QString& path)
{
    WavFileSound sound(path);
    WavData data{sound.format(), {}};
    while (true) {
        const QByteArray piece = sound.read(4096);
        if (piece.isEmpty())
            return data;
        data.samples += piece;
    }
}

WavData silentWav(int milliseconds, const WavFormat& format)
{
    WavData data{format, {}};
    const qsizetype frames = qsizetype(format.sampleRate) * milliseconds / 1000;
    const char silence = format.bitsPerSample == 8 ? char(0x80) : char(0);
    data.samples = QByteArray(frames * format.channels * format.bitsPerSample / 8, silence);
    return data;
}

WavData toneWav(int milliseconds, double frequency, const WavFormat& format)
{
    WavData data = silentWav(milliseconds, format);
    if (format.bitsPerSample != 16)
        return data;
    const qsizetype frames = data.samples.size() / (2 * format.channels);
    auto* samples = reinterpret_cast<qint16*>(data.samples.data());
    for (qsizetype i = 0; i < frames; ++i) {
        const double t = double(i) / format.sampleRate;
        const auto v = static_cast<qint16>(3000 * std::sin(2 * M_PI * frequency * t));
        for (int c = 0; c < format.channels; ++c)
            samples[i * format.channels + c] = v;
    }
    return data;
}
