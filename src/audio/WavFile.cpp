#include "audio/WavFile.h"

#include "runtime/RuntimeError.h"

#include <QDataStream>
#include <QFile>
#include <cmath>

namespace {

void putLe32(QByteArray& out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xff));
}

void putLe16(QByteArray& out, quint16 v)
{
    out.append(static_cast<char>(v & 0xff));
    out.append(static_cast<char>((v >> 8) & 0xff));
}

quint32 le32(const QByteArray& b, qsizetype at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
           | quint32(quint8(b[at + 3])) << 24;
}

quint16 le16(const QByteArray& b, qsizetype at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

[[noreturn]] void badFile(const QString& path, const char* why)
{
    throwError(ErrorNumber::ProviderFailure, QStringLiteral("%1: %2").arg(path, QString::fromLatin1(why)));
}

} // namespace

void writeWavFile(const QString& path, const WavData& data)
{
    const WavFormat& f = data.format;
    const quint16 blockAlign = static_cast<quint16>(f.channels * f.bitsPerSample / 8);
    QByteArray out;
    out.append("RIFF");
    putLe32(out, static_cast<quint32>(36 + data.samples.size()));
    out.append("WAVEfmt ");
    putLe32(out, 16);
    putLe16(out, 1);
    putLe16(out, static_cast<quint16>(f.channels));
    putLe32(out, static_cast<quint32>(f.sampleRate));
    putLe32(out, static_cast<quint32>(f.sampleRate * blockAlign));
    putLe16(out, blockAlign);
    putLe16(out, static_cast<quint16>(f.bitsPerSample));
    out.append("data");
    putLe32(out, static_cast<quint32>(data.samples.size()));
    out.append(data.samples);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(out) != out.size())
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

WavData readWavFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray b = file.readAll();
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE")
        badFile(path, "not a WAV file");
    WavData data;
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= b.size()) {
        const QByteArray id = b.mid(at, 4);
        const quint32 size = le32(b, at + 4);
        const qsizetype body = at + 8;
        if (body + qsizetype(size) > b.size() && id != "data")
            badFile(path, "truncated chunk");
        if (id == "fmt ") {
            if (size < 16 || le16(b, body) != 1)
                badFile(path, "not PCM");
            data.format.channels = le16(b, body + 2);
            data.format.sampleRate = static_cast<int>(le32(b, body + 4));
            data.format.bitsPerSample = le16(b, body + 14);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                badFile(path, "data before format");
            data.samples = b.mid(body, std::min<qsizetype>(size, b.size() - body));
            return data;
        }
        at = body + size + (size & 1);
    }
    badFile(path, "no data chunk");
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
