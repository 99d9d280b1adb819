#include "audio/PcmConverter.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

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

PcmConverter::PcmConverter(const PcmLayout& from, const PcmLayout& to)
    : m_from(from),
      m_to(to),
      m_step(double(from.sampleRate) / double(to.sampleRate))
{
}

void PcmConverter::appendFrame(const float* frame)
{
    // Mixing down averages every input channel into each output channel; copying up repeats
    // the last input channel, so mono reaches both sides of a stereo device.
    if (m_to.channels < m_from.channels) {
        float sum = 0;
        for (int c = 0; c < m_from.channels; ++c)
            sum += frame[c];
        for (int c = 0; c < m_to.channels; ++c)
            m_pending.push_back(sum / float(m_from.channels));
    } else {
        for (int c = 0; c < m_to.channels; ++c)
            m_pending.push_back(frame[std::min(c, m_from.channels - 1)]);
    }
}

void PcmConverter::writeFrame(QByteArray& out, const float* frame) const
{
    for (int c = 0; c < m_to.channels; ++c)
        writeSample(out, frame[c], m_to.sample);
}

QByteArray PcmConverter::convert(const QByteArray& chunk)
{
    QByteArray out;
    if (m_from == m_to)
        return chunk;
    if (m_from.channels < 1 || m_to.channels < 1 || m_from.sampleRate < 1 || m_to.sampleRate < 1)
        return out;

    const QByteArray in = m_partial + chunk;
    const int inFrame = m_from.bytesPerFrame();
    const int sampleBytes = bytesPerSample(m_from.sample);
    const qsizetype whole = in.size() / inFrame;
    m_partial = in.mid(whole * inFrame);

    std::vector<float> frame(size_t(m_from.channels));
    for (qsizetype f = 0; f < whole; ++f) {
        const char* at = in.constData() + f * inFrame;
        for (int c = 0; c < m_from.channels; ++c)
            frame[size_t(c)] = readSample(at + c * sampleBytes, m_from.sample);
        appendFrame(frame.data());
    }

    const size_t ch = size_t(m_to.channels);
    const size_t frames = m_pending.size() / ch;
    out.reserve(qsizetype(double(frames) / m_step + 2) * m_to.bytesPerFrame());
    if (m_from.sampleRate == m_to.sampleRate) {
        for (size_t f = 0; f < frames; ++f)
            writeFrame(out, &m_pending[f * ch]);
        m_pending.clear();
        return out;
    }

    // Each output frame lies between two input frames; the later one may only arrive with the
    // next chunk, so the last input frame is kept until then.
    std::vector<float> mixed(ch);
    while (m_position < double(frames) - 1) {
        const size_t i = size_t(m_position);
        const float t = float(m_position - double(i));
        for (size_t c = 0; c < ch; ++c) {
            const float a = m_pending[i * ch + c];
            const float b = m_pending[(i + 1) * ch + c];
            mixed[c] = a + (b - a) * t;
        }
        writeFrame(out, mixed.data());
        m_position += m_step;
    }
    const size_t consumed = std::min(size_t(m_position), frames);
    m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(consumed * ch));
    m_position -= double(consumed);
    return out;
}
