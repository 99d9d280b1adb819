#include "audio/WavFile.h"

#include "fixtures/LongSound.h"
#include "runtime/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

namespace {

QByteArray le16(quint16 v)
{
    QByteArray out(2, Qt::Uninitialized);
    qToLittleEndian(v, out.data());
    return out;
}

QByteArray le32(quint32 v)
{
    QByteArray out(4, Qt::Uninitialized);
    qToLittleEndian(v, out.data());
    return out;
}

// A RIFF chunk, padded to an even length as files must be.
QByteArray chunk(const char* id, const QByteArray& body)
{
    return QByteArray(id, 4) + le32(quint32(body.size())) + body + (body.size() % 2 ? QByteArray(1, '\0') : QByteArray());
}

constexpr quint16 kPcm = 1, kFloat = 3, kALaw = 6, kMuLaw = 7, kImaAdpcm = 0x11, kGsm = 0x31, kExtensible = 0xfffe;

QByteArray fmtChunk(quint16 tag, int channels, int rate, int bits, const QByteArray& extension = {})
{
    const int blockAlign = channels * std::max(bits, 8) / 8;
    QByteArray body = le16(tag) + le16(quint16(channels)) + le32(quint32(rate)) + le32(quint32(rate * blockAlign))
                      + le16(quint16(blockAlign)) + le16(quint16(bits));
    if (tag != kPcm)
        body += le16(quint16(extension.size())) + extension;
    return chunk("fmt ", body);
}

// WAVE_FORMAT_EXTENSIBLE: the real sample format is the tag inside the sub-format GUID.
QByteArray extensible(int bits, quint16 subFormat)
{
    return le16(quint16(bits)) + le32(0x4) + le16(subFormat)
           + QByteArray("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
}

QByteArray wave(const QByteArray& chunks)
{
    return "RIFF" + le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

QByteArray int16Bytes(const std::vector<qint16>& values)
{
    QByteArray out;
    for (qint16 v : values)
        out += le16(quint16(v));
    return out;
}

// What a read reports when it fails as a sound that cannot be loaded, or "(read)".
QString failureOf(const std::function<void()>& read)
{
    try {
        read();
    } catch (const RuntimeError& e) {
        return e.number() == ErrorNumber::ProviderFailure ? e.description() : QStringLiteral("error %1").arg(e.number());
    }
    return QStringLiteral("(read)");
}

class WavFileTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QByteArray bytesOf(const QString& path) const
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QTemporaryDir dir;
};

// What voice-messaging servers keep their greetings in. G.711 comes back decoded to 16-bit PCM,
// the form the sound device plays.
TEST_F(WavFileTest, ReadsThePcmAndG711FormatsOfGreetings)
{
    const QByteArray pcm16 = int16Bytes({0, 1000, -1000, 32767, -32768, 7});
    const QByteArray g711("\xff\x80\x00\xd5", 4);
    const QByteArray trailer = chunk("LIST", "INFOISFT\x04\0\0\0abc\0");
    struct Case {
        const char* what;
        QByteArray file;
        WavFormat format;
        QByteArray samples;
    };
    const Case cases[] = {
        {"16-bit PCM", wave(fmtChunk(kPcm, 1, 8000, 16) + chunk("data", pcm16)), {8000, 1, 16}, pcm16},
        {"16-bit PCM stereo, 16 kHz", wave(fmtChunk(kPcm, 2, 16000, 16) + chunk("data", pcm16)), {16000, 2, 16}, pcm16},
        // An odd number of 8-bit samples: the pad byte after them is not a sample, and the chunk
        // after it is still found in the right place.
        {"8-bit PCM, odd length",
         wave(fmtChunk(kPcm, 1, 8000, 8) + chunk("data", QByteArray("\x00\x80\xff", 3)) + trailer),
         {8000, 1, 8},
         QByteArray("\x00\x80\xff", 3)},
        {"extensible 16-bit PCM",
         wave(fmtChunk(kExtensible, 1, 8000, 16, extensible(16, kPcm)) + chunk("data", pcm16)),
         {8000, 1, 16},
         pcm16},
        {"extensible 8-bit PCM",
         wave(fmtChunk(kExtensible, 1, 8000, 8, extensible(8, kPcm)) + chunk("data", "\x10\x80")),
         {8000, 1, 8},
         "\x10\x80"},
        {"mu-law",
         wave(fmtChunk(kMuLaw, 1, 8000, 8) + chunk("fact", le32(4)) + chunk("data", g711)),
         {8000, 1, 16},
         int16Bytes({0, 32124, -32124, 716})},
        {"A-law",
         wave(fmtChunk(kALaw, 1, 8000, 8) + chunk("fact", le32(4)) + chunk("data", g711)),
         {8000, 1, 16},
         int16Bytes({848, 5504, -5504, 8})},
        {"extensible mu-law",
         wave(fmtChunk(kExtensible, 1, 8000, 8, extensible(8, kMuLaw)) + chunk("data", g711)),
         {8000, 1, 16},
         int16Bytes({0, 32124, -32124, 716})},
        // A copy cut off in the samples still plays what arrived.
        {"data cut short", wave(fmtChunk(kPcm, 1, 8000, 16) + "data" + le32(2000) + pcm16), {8000, 1, 16}, pcm16},
        {"no samples", wave(fmtChunk(kPcm, 1, 8000, 16) + chunk("data", {})), {8000, 1, 16}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const WavData data = readWavFile(write(QStringLiteral("greeting.wav"), c.file));
        EXPECT_EQ(data.format.sampleRate, c.format.sampleRate);
        EXPECT_EQ(data.format.channels, c.format.channels);
        EXPECT_EQ(data.format.bitsPerSample, c.format.bitsPerSample);
        EXPECT_EQ(data.samples.toHex(' '), c.samples.toHex(' '));

        // Held open and read in pieces, as a sound is played: the same samples, again after a
        // rewind, and a length that counts them.
        WavFileSound sound(dir.filePath(QStringLiteral("greeting.wav")));
        const qint64 frameBytes = qint64(c.format.channels) * c.format.bitsPerSample / 8;
        EXPECT_EQ(sound.frames(), c.samples.size() / frameBytes);
        for (int pass = 0; pass < 2; ++pass) {
            QByteArray pieces;
            for (QByteArray piece; !(piece = sound.read(3)).isEmpty();) {
                EXPECT_LE(piece.size(), 3 * frameBytes);
                pieces += piece;
            }
            EXPECT_EQ(pieces, c.samples) << "pass " << pass;
            sound.rewind();
        }
    }
}

TEST_F(WavFileTest, AnythingElseIsAClearErrorNamingTheFile)
{
    const QByteArray pcm16 = int16Bytes({0, 1000, -1000, 7});
    // Four bits a sample in blocks of 256 bytes, each holding 505 samples.
    const QByteArray imaFormat = le16(kImaAdpcm) + le16(1) + le32(8000) + le32(4055) + le16(256) + le16(4) + le16(2) + le16(505);
    const QByteArray imaAdpcm = wave(chunk("fmt ", imaFormat) + chunk("fact", le32(505)) + chunk("data", QByteArray(256, '\x11')));
    // 320 samples in blocks of 65 bytes.
    const QByteArray gsmFormat = le16(kGsm) + le16(1) + le32(8000) + le32(1625) + le16(65) + le16(0) + le16(2) + le16(320);
    const QByteArray gsm = wave(chunk("fmt ", gsmFormat) + chunk("fact", le32(320)) + chunk("data", QByteArray(65, '\0')));
    // A sound file of another kind: Sun audio, 16-bit PCM at 8 kHz, big-endian throughout.
    QByteArray au(".snd", 4);
    for (quint32 field : {24u, 8u, 3u, 8000u, 1u}) {
        char bytes[4];
        qToBigEndian(field, bytes);
        au.append(bytes, 4);
    }
    au += QByteArray(8, '\0');
    struct Case {
        const char* what;
        QByteArray file;
        const char* says;
    };
    const Case cases[] = {
        {"empty file", {}, "empty"},
        {"text", "Greeting goes here\n", "not a readable WAV file"},
        {"another sound file type", au, "not a WAV file"},
        {"24-bit PCM", wave(fmtChunk(kPcm, 1, 8000, 24) + chunk("data", QByteArray(6, '\1'))), "not supported (Signed 24 bit PCM)"},
        {"float", wave(fmtChunk(kFloat, 1, 8000, 32) + chunk("data", QByteArray(8, '\0'))), "not supported (32 bit float)"},
        {"extensible float", wave(fmtChunk(kExtensible, 1, 8000, 32, extensible(32, kFloat)) + chunk("data", QByteArray(8, '\0'))),
         "not supported (32 bit float)"},
        {"IMA ADPCM", imaAdpcm, "not supported (IMA ADPCM)"},
        {"GSM 6.10", gsm, "not supported (GSM 6.10)"},
        {"unknown encoding", wave(fmtChunk(0x4242, 1, 8000, 8) + chunk("data", QByteArray(8, '\1'))), "not a readable WAV file"},
        {"header cut short", wave(fmtChunk(kPcm, 1, 8000, 16) + chunk("data", pcm16)).left(30), "not a readable WAV file"},
        {"no data chunk", wave(fmtChunk(kPcm, 1, 8000, 16)), "not a readable WAV file"},
        {"no format chunk", wave(chunk("data", pcm16)), "not a readable WAV file"},
        {"no channels", wave(fmtChunk(kPcm, 0, 8000, 16) + chunk("data", pcm16)), "not a readable WAV file"},
        {"junk chunks", QByteArray("RIFF\x10\0\0\0WAVEjunkjunkjunk", 24), "not a readable WAV file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = write(QStringLiteral("bad.wav"), c.file);
        try {
            readWavFile(path);
            ADD_FAILURE() << "read without error";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), ErrorNumber::ProviderFailure);
            EXPECT_TRUE(e.description().startsWith(path + QStringLiteral(": "))) << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(QLatin1String(c.says))) << e.description().toStdString();
        }
    }
    EXPECT_THROW(readWavFile(dir.filePath(QStringLiteral("missing.wav"))), RuntimeError);
}

TEST_F(WavFileTest, WrittenFilesReadBackAndKeepTheirChunksEven)
{
    struct Case {
        WavFormat format;
        QByteArray samples;
    };
    const Case cases[] = {
        {{8000, 1, 16}, int16Bytes({0, 1000, -1000, 32767, -32768})},
        {{22050, 2, 16}, int16Bytes({1, 2, 3, 4})},
        {{8000, 1, 8}, QByteArray("\x00\x80\xff", 3)}, // odd: a pad byte follows
        {{8000, 1, 8}, QByteArray("\x01\x02", 2)},
    };
    const QString path = dir.filePath(QStringLiteral("written.wav"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples.toHex(' ').toStdString());
        writeWavFile(path, WavData{c.format, c.samples});
        const QByteArray bytes = bytesOf(path);
        const qsizetype padded = c.samples.size() + c.samples.size() % 2;
        // The plain 44-byte header, the samples, the pad byte, and sizes that count it.
        ASSERT_EQ(bytes.size(), 44 + padded);
        EXPECT_EQ(bytes.left(4), "RIFF");
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 4), quint32(36 + padded));
        EXPECT_EQ(bytes.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 20), kPcm);
        EXPECT_EQ(bytes.mid(36, 4), "data");
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 40), quint32(c.samples.size()));
        EXPECT_EQ(bytes.mid(44, c.samples.size()), c.samples);
        if (padded != c.samples.size()) {
            EXPECT_EQ(bytes.back(), '\0');
        }

        const WavData back = readWavFile(path);
        EXPECT_EQ(back.format.sampleRate, c.format.sampleRate);
        EXPECT_EQ(back.format.channels, c.format.channels);
        EXPECT_EQ(back.format.bitsPerSample, c.format.bitsPerSample);
        EXPECT_EQ(back.samples, c.samples);
    }

    // A format WAV cannot hold, or a folder that does not exist, is an error; the file that was
    // there stays as it was.
    const QByteArray before = bytesOf(path);
    EXPECT_THROW(writeWavFile(path, WavData{{8000, 1, 12}, QByteArray(4, '\0')}), RuntimeError);
    EXPECT_THROW(writeWavFile(path, WavData{{8000, 0, 16}, QByteArray(4, '\0')}), RuntimeError);
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_THROW(writeWavFile(dir.filePath(QStringLiteral("missing/greeting.wav")), silentWav(100)), RuntimeError);
}

// A sound's length comes from its header, and a file claiming more samples than any recording
// is refused from it: neither reads the samples, so memory stays as it was.
TEST_F(WavFileTest, LongFilesAreOpenedFromTheirHeaderAndOnesOverTheBoundAreRefused)
{
    const QString tooLong = QStringLiteral("Cannot read %1: the sound is too long (more than 8 hours of telephone sound)");
    const struct {
        const char* what;
        WavFormat format;
        qint64 frames;
        bool opens;
    } cases[] = {
        {"eight hours of telephone sound", {8000, 1, 16}, kLongestSoundSamples, true},
        {"one sample more", {8000, 1, 16}, kLongestSoundSamples + 1, false},
        {"stereo, as many samples", {16000, 2, 16}, kLongestSoundSamples / 2, true},
        {"stereo, one frame more", {16000, 2, 16}, kLongestSoundSamples / 2 + 1, false},
        {"8-bit, one sample more", {8000, 1, 8}, kLongestSoundSamples + 1, false},
        {"a gigabyte of samples", {8000, 1, 16}, qint64(1) << 29, false},
    };
    const long peakBefore = peakMemoryKb();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QStringLiteral("long.wav"));
        ASSERT_TRUE(writeLongSilentWav(path, c.frames, c.format));
        if (c.opens) {
            WavFileSound sound(path);
            EXPECT_EQ(sound.frames(), c.frames);
            EXPECT_EQ(sound.durationMs(), c.frames * 1000 / c.format.sampleRate);
            EXPECT_EQ(sound.read(100), QByteArray(100 * c.format.channels * 2, '\0'));
            continue;
        }
        EXPECT_EQ(failureOf([&] { WavFileSound sound(path); }), tooLong.arg(path));
        EXPECT_EQ(failureOf([&] { readWavFile(path); }), tooLong.arg(path));
    }
    EXPECT_LT(peakMemoryKb() - peakBefore, 32 * 1024) << "KiB more at the peak";
}

// A greeting's name may lead to a pipe or a device: opening one for reading could wait for ever.
TEST_F(WavFileTest, OnlyRegularFilesAreOpened)
{
    const QString pipe = dir.filePath(QStringLiteral("pipe.wav"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, dir.filePath(QStringLiteral("link-to-pipe.wav"))));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.wav")));
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"pipe.wav", "not a regular file"},
        {"link-to-pipe.wav", "not a regular file"},
        {"folder.wav", "not a regular file"},
        {"missing.wav", "No such file or directory"},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        try {
            readWavFile(path);
            ADD_FAILURE() << c.name << " read without error";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), ErrorNumber::ProviderFailure);
            EXPECT_EQ(e.description(), QStringLiteral("Cannot read %1: %2").arg(path, QLatin1String(c.reason)));
        }
    }

    // Nor is one written over: the pipe stays what it was.
    try {
        writeWavFile(pipe, silentWav(100));
        ADD_FAILURE() << "written over a pipe";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.description(), QStringLiteral("Cannot write %1: not a regular file").arg(pipe));
    }
    EXPECT_FALSE(QFileInfo(pipe).isFile());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 3);
}

} // namespace
