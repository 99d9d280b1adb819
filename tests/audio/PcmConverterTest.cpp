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

    PcmConverter converter(device, phone);
    QByteArray whole = converter.convert(capture);
    whole += converter.flush();
    const auto samples = int16Samples(whole);
    EXPECT_NEAR(double(samples.size()), 8000, 2);
    qint16 peak = 0;
    for (qint16 s : samples)
        peak = std::max<qint16>(peak, qint16(std::abs(s)));
    EXPECT_NEAR(peak, 16384, 400);

    // Ragged chunks, some empty or shorter than a frame.
    PcmConverter chunked(device, phone);
    QByteArray pieces;
    const qsizetype sizes[] = {1001, 0, 3, 4093};
    for (qsizetype at = 0, i = 0; at < capture.size(); at += sizes[i++ % 4])
        pieces += chunked.convert(capture.mid(at, sizes[i % 4]));
    pieces += chunked.flush();
    EXPECT_EQ(pieces, whole);

    // After a flush the converter starts a new stream.
    QByteArray again = chunked.convert(capture);
    again += chunked.flush();
    EXPECT_EQ(again, whole);
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
    PcmConverter toDevice({8000, 1, Sample::Int16}, {48000, 1, Sample::Float});
    QByteArray up = toDevice.convert(QByteArray(800 * 2, '\0'));
    up += toDevice.flush();
    EXPECT_NEAR(double(up.size() / 4), 4800, 6);
}

// A device rate against the telephone rate, both ways. Going down, a tone above the telephone
// band must not fold into it; going up, a tone in the band must not leave images above it. A
// tone in the band keeps its level.
TEST(SonotropeCtrlConversion, RateChangeKeepsTheTelephoneBandAndNothingElse)
{
    struct Case {
        int from;
        int to;
        int frequency;
        bool inBand;
    };
    const Case cases[] = {
        {48000, 8000, 1000, true},  {44100, 8000, 1000, true},  {48000, 8000, 3000, true},
        {48000, 8000, 6000, false}, {48000, 8000, 7000, false}, {44100, 8000, 7000, false},
        {8000, 48000, 1000, true},  {8000, 48000, 3000, true},  {8000, 44100, 3000, true},
    };
    constexpr double kAmplitude = 0.5;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " Hz to " << c.to << " Hz, tone of " << c.frequency << " Hz");
        // One second of the tone, converted as a device hands it over: in chunks, then flushed.
        const PcmLayout from{c.from, 1, Sample::Float};
        const PcmLayout to{c.to, 1, Sample::Float};
        QByteArray tone(c.from * 4, Qt::Uninitialized);
        for (int i = 0; i < c.from; ++i) {
            const float v = float(kAmplitude * std::sin(2 * M_PI * c.frequency * i / c.from));
            std::memcpy(tone.data() + 4 * i, &v, 4);
        }
        PcmConverter converter(from, to);
        QByteArray converted;
        for (qsizetype at = 0; at < tone.size(); at += 4096)
            converted += converter.convert(tone.mid(at, 4096));
        converted += converter.flush();
        std::vector<float> out(size_t(converted.size() / 4));
        std::memcpy(out.data(), converted.constData(), size_t(out.size()) * 4);
        ASSERT_NEAR(double(out.size()), c.to, 2);

        // The middle 0.8 s, away from the edges where the tone starts and stops: a whole number
        // of periods, so the tone's part and the rest separate exactly.
        const size_t first = size_t(c.to) / 10;
        const size_t count = size_t(c.to) * 8 / 10;
        double re = 0, im = 0;
        for (size_t n = 0; n < count; ++n) {
            const double phase = 2 * M_PI * c.frequency * double(first + n) / c.to;
            re += out[first + n] * std::cos(phase);
            im += out[first + n] * std::sin(phase);
        }
        re *= 2.0 / double(count);
        im *= 2.0 / double(count);
        double rest = 0, all = 0;
        for (size_t n = 0; n < count; ++n) {
            const double phase = 2 * M_PI * c.frequency * double(first + n) / c.to;
            const double v = out[first + n];
            const double r = v - re * std::cos(phase) - im * std::sin(phase);
            all += v * v;
            rest += r * r;
        }
        const double inputRms = kAmplitude / std::sqrt(2.0);
        const auto db = [&](double sumOfSquares) {
            return 20 * std::log10(std::sqrt(sumOfSquares / double(count)) / inputRms + 1e-12);
        };
        if (c.inBand) {
            EXPECT_NEAR(20 * std::log10(std::hypot(re, im) / kAmplitude), 0.0, 1.0) << "level of the tone";
            EXPECT_LE(db(rest), -40.0) << "what is not the tone";
        } else {
            EXPECT_LE(db(all), -40.0) << "what is left of the tone";
        }
    }
}

} // namespace
