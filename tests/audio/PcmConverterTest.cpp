#include "audio/PcmConverter.h"

#include <QtEndian>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

using Sample = PcmLayout::Sample;

QByteArray floatStereoTone(int rate, int frames, double frequency, float amplitude)
{
    QByteArray out(frames * 8, Qt::Uninitialized);
    for (int i = 0; i < frames; ++i) {
        const float v = amplitude * float(std::sin(2 * M_PI * frequency * i / rate));
        quint32 bits;
        std::memcpy(&bits, &v, 4);
        qToLittleEndian<quint32>(bits, out.data() + i * 8);
        qToLittleEndian<quint32>(bits, out.data() + i * 8 + 4);
    }
    return out;
}

std::vector<qint16> int16Samples(const QByteArray& bytes)
{
    std::vector<qint16> out(size_t(bytes.size() / 2));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = qFromLittleEndian<qint16>(bytes.constData() + 2 * i);
    return out;
}

// What a capture device hands over (44.1 kHz stereo float) becomes a telephone recording, the
// same whether it arrives at once or in ragged chunks.
TEST(SonotropeCtrlConversion, DeviceCaptureBecomesTelephoneFormat)
{
    const PcmLayout device{44100, 2, Sample::Float};
    const PcmLayout phone{8000, 1, Sample::Int16};
    const QByteArray capture = floatStereoTone(44100, 44100, 400, 0.5f);

    const QByteArray whole = PcmConverter(device, phone).convert(capture);
    const auto samples = int16Samples(whole);
    EXPECT_NEAR(double(samples.size()), 8000, 2);
    qint16 peak = 0;
    for (qint16 s : samples)
        peak = std::max<qint16>(peak, qint16(std::abs(s)));
    EXPECT_NEAR(peak, 16384, 400);

    PcmConverter chunked(device, phone);
    QByteArray pieces;
    for (qsizetype at = 0; at < capture.size(); at += 1001)
        pieces += chunked.convert(capture.mid(at, 1001));
    EXPECT_EQ(pieces, whole);
}

TEST(SonotropeCtrlConversion, SampleTypesAndChannels)
{
    // 8-bit samples are unsigned around 128.
    const QByteArray eightBit("\x00\x80\xff", 3);
    const auto fromEight = int16Samples(PcmConverter({8000, 1, Sample::UInt8}, {8000, 1, Sample::Int16}).convert(eightBit));
    EXPECT_EQ(fromEight, (std::vector<qint16>{-32768, 0, 32512}));

    // Mono to a stereo device at the same rate: both sides carry the sound.
    QByteArray mono(4, Qt::Uninitialized);
    qToLittleEndian<qint16>(1000, mono.data());
    qToLittleEndian<qint16>(-2000, mono.data() + 2);
    const auto stereo = int16Samples(PcmConverter({8000, 1, Sample::Int16}, {8000, 2, Sample::Int16}).convert(mono));
    EXPECT_EQ(stereo, (std::vector<qint16>{1000, 1000, -2000, -2000}));

    // Stereo to mono averages; an identical layout passes bytes through.
    QByteArray pair(8, Qt::Uninitialized);
    const qint16 frames[] = {1000, 3000, -2000, 0};
    for (int i = 0; i < 4; ++i)
        qToLittleEndian<qint16>(frames[i], pair.data() + 2 * i);
    const auto averaged = int16Samples(PcmConverter({8000, 2, Sample::Int16}, {8000, 1, Sample::Int16}).convert(pair));
    EXPECT_EQ(averaged, (std::vector<qint16>{2000, -1000}));
    EXPECT_EQ(PcmConverter({8000, 1, Sample::Int16}, {8000, 1, Sample::Int16}).convert(mono), mono);

    // Upsampling to a 48 kHz float device gives six frames per telephone frame.
    const QByteArray up = PcmConverter({8000, 1, Sample::Int16}, {48000, 1, Sample::Float}).convert(QByteArray(800 * 2, '\0'));
    EXPECT_NEAR(double(up.size() / 4), 4800, 6);
}

} // namespace
