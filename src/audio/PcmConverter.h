#pragma once

#include <QByteArray>
#include <vector>

// Interleaved PCM as sound devices hand it over. Greetings are 8 kHz 16-bit mono, but a device
// may only take or give its own rate, channel count or sample type.
struct PcmLayout {
    enum class Sample { UInt8, Int16, Int32, Float };
    int sampleRate = 8000;
    int channels = 1;
    Sample sample = Sample::Int16;

    int bytesPerFrame() const;
    bool operator==(const PcmLayout&) const = default;
};

// Converts a stream of PCM chunks from one layout to another: channels are mixed down (averaged)
// or copied up, the rate is changed by linear interpolation. Chunks may end in the middle of a
// frame; the rest is kept for the next chunk, so a capture can be converted as it arrives.
class PcmConverter {
public:
    PcmConverter(const PcmLayout& from, const PcmLayout& to);

    QByteArray convert(const QByteArray& chunk);

private:
    void appendFrame(const float* frame);
    void writeFrame(QByteArray& out, const float* frame) const;

    PcmLayout m_from;
    PcmLayout m_to;
    QByteArray m_partial;         // bytes of an incomplete input frame
    std::vector<float> m_pending; // input frames in the output's channel count, not yet consumed
    double m_position = 0;        // next output instant, in input frames from m_pending's start
    double m_step = 1;            // input frames per output frame
};
