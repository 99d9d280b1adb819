#include "audio/PcmConverter.h"

#include "runtime/RuntimeError.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <soxr.h>

namespace {

int bytesPerSample(PcmLayout::Sample s)
{
    switch (s) {
    case PcmLayout::Sample::UInt8:
        return 1;
    case PcmLayout::Sample::Int16:
        return 2;
    case PcmLayout::Sample::Int32:
    case PcmLayout::Sample::Float:
        return 4;
    }
    return 2;
}

float readSample(const char* at, PcmLayout::Sample s)
{
    switch (s) {
    case PcmLayout::Sample::UInt8:
        return (float(quint8(*at)) - 128.0f) / 128.0f;
    case PcmLayout::Sample::Int16:
        return float(qFromLittleEndian<qint16>(at)) / 32768.0f;
    case PcmLayout::Sample::Int32:
        return float(double(qFromLittleEndian<qint32>(at)) / 2147483648.0);
    case PcmLayout::Sample::Float: {
        const quint32 bits = qFromLittleEndian<quint32>(at);
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return std::isfinite(v) ? v : 0.0f;
    }
    }
    return 0;
}

void writeSample(QByteArray& out, float v, PcmLayout::Sample s)
{
    v = std::clamp(v, -1.0f, 1.0f);
    char bytes[4];
    switch (s) {
    case PcmLayout::Sample::UInt8:
        out.append(char(quint8(std::lround(std::min(v * 128.0f + 128.0f, 255.0f)))));
        return;
    case PcmLayout::Sample::Int16:
        qToLittleEndian<qint16>(qint16(std::lround(std::min(v * 32768.0f, 32767.0f))), bytes);
        out.append(bytes, 2);
        return;
    case PcmLayout::Sample::Int32:
        qToLittleEndian<qint32>(qint32(std::llround(std::min(double(v) * 2147483648.0, 2147483647.0))), bytes);
        out.append(bytes, 4);
        return;
    case PcmLayout::Sample::Float: {
        quint32 bits;
        std::memcpy(&bits, &v, sizeof bits);
        qToLittleEndian<quint32>(bits, bytes);
        out.append(bytes, 4);
        return;
    }
    }
}

} // namespace

int PcmLayout::bytesPerFrame() const
{
    return channels * bytesPerSample(sample);
}

void PcmConverter::SoxrDeleter::operator()(soxr* resampler) const
{
    soxr_delete(resampler);
}

PcmConverter::PcmConverter(const PcmLayout& from, const PcmLayout& to)
    : m_from(from),
      m_to(to)
{
    if (from.channels < 1 || to.channels < 1 || from.sampleRate < 1 || to.sampleRate < 1)
        throwError(ErrorNumber::ProviderFailure,
                   QStringLiteral("Sound format not supported (%1 Hz, %2 channels to %3 Hz, %4 channels)")
                       .arg(from.sampleRate)
                       .arg(from.channels)
                       .arg(to.sampleRate)
                       .arg(to.channels));
    if (from.sampleRate == to.sampleRate)
        return;
    // Channels are matched before the rate is changed, so the resampler runs in the output's
    // channel count. High quality: its pass band reaches past 3.6 kHz of the telephone band.
    soxr_error_t error = nullptr;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    m_resampler.reset(
        soxr_create(double(from.sampleRate), double(to.sampleRate), unsigned(to.channels), &error, nullptr, &quality, nullptr));
    if (!m_resampler || error)
        throwError(ErrorNumber::ProviderFailure,
                   QStringLiteral("Cannot convert the sound's rate: %1").arg(QString::fromUtf8(soxr_strerror(error))));
}

PcmConverter::PcmConverter(PcmConverter&&) noexcept = default;
PcmConverter& PcmConverter::operator=(PcmConverter&&) noexcept = default;
PcmConverter::~PcmConverter() = default;

void PcmConverter::writeFrames(QByteArray& out, const float* frames, size_t count) const
{
    for (size_t i = 0; i < count * size_t(m_to.channels); ++i)
        writeSample(out, frames[i], m_to.sample);
}

QByteArray PcmConverter::convert(const QByteArray& chunk)
{
    if (m_from == m_to)
        return chunk;

    const QByteArray in = m_partial + chunk;
    const int inFrame = m_from.bytesPerFrame();
    const int sampleBytes = bytesPerSample(m_from.sample);
    const qsizetype whole = in.size() / inFrame;
    m_partial = in.mid(whole * inFrame);
    if (whole == 0)
        return {};

    // Mixing down averages every input channel into each output channel; copying up repeats the
    // last input channel, so mono reaches both sides of a stereo device.
    const size_t ch = size_t(m_to.channels);
    std::vector<float> frames(size_t(whole) * ch);
    std::vector<float> frame(size_t(m_from.channels));
    for (qsizetype f = 0; f < whole; ++f) {
        const char* at = in.constData() + f * inFrame;
        for (int c = 0; c < m_from.channels; ++c)
            frame[size_t(c)] = readSample(at + c * sampleBytes, m_from.sample);
        float* target = &frames[size_t(f) * ch];
        if (m_to.channels < m_from.channels) {
            float sum = 0;
            for (float v : frame)
                sum += v;
            std::fill(target, target + ch, sum / float(m_from.channels));
        } else {
            for (size_t c = 0; c < ch; ++c)
                target[c] = frame[std::min(c, frame.size() - 1)];
        }
    }

    QByteArray out;
    if (m_resampler)
        resample(frames.data(), size_t(whole), out);
    else
        writeFrames(out, frames.data(), size_t(whole));
    return out;
}

QByteArray PcmConverter::flush()
{
    QByteArray out;
    m_partial.clear();
    if (m_resampler) {
        resample(nullptr, 0, out);
        soxr_clear(m_resampler.get());
    }
    return out;
}

// Without frames, ends the input and drains what the resampler still holds.
void PcmConverter::resample(const float* frames, size_t count, QByteArray& out)
{
    const size_t ch = size_t(m_to.channels);
    const size_t room = size_t(double(count) * m_to.sampleRate / m_from.sampleRate) + 1024;
    m_output.resize(room * ch);
    out.reserve(out.size() + qsizetype(room) * m_to.bytesPerFrame());
    size_t used = 0;
    for (;;) {
        size_t taken = 0;
        size_t given = 0;
        const soxr_error_t error = soxr_process(m_resampler.get(), frames ? frames + used * ch : nullptr, count - used, &taken,
                                                m_output.data(), room, &given);
        if (error)
            throwError(ErrorNumber::ProviderFailure,
                       QStringLiteral("Cannot convert the sound's rate: %1").arg(QString::fromUtf8(error)));
        writeFrames(out, m_output.data(), given);
        used += taken;
        if (frames ? used >= count && given < room : given == 0)
            return;
    }
}
