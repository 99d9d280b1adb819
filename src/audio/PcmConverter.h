#pragma once

#include <QByteArray>
#include <memory>
#include <vector>

struct soxr;

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
// or copied up, the rate is changed by a band-limited resampler, so that nothing above the lower
// rate's band folds into what is heard. Chunks may end in the middle of a frame; the rest is kept
// for the next chunk, so a capture can be converted as it arrives. The resampler holds back a few
// milliseconds; flush() gives them at the end of the stream.
class PcmConverter {
public:
    // Throws RuntimeError (ProviderFailure) on a layout without channels or rate.
    PcmConverter(const PcmLayout& from, const PcmLayout& to);
    PcmConverter(PcmConverter&&) noexcept;
    PcmConverter& operator=(PcmConverter&&) noexcept;
    ~PcmConverter();

    QByteArray convert(const QByteArray& chunk);
    // Ends the stream: gives what the resampler still holds. Converting afterwards starts anew.
    QByteArray flush();

private:
    struct SoxrDeleter {
        void operator()(soxr* resampler) const;
    };

    void resample(const float* frames, size_t count, QByteArray& out);
    void writeFrames(QByteArray& out, const float* frames, size_t count) const;

    PcmLayout m_from;
    PcmLayout m_to;
    QByteArray m_partial; // bytes of an incomplete input frame
    std::unique_ptr<soxr, SoxrDeleter> m_resampler;
    std::vector<float> m_output; // the resampler's output, before it is written out
};
