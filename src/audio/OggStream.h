// An Ogg Vorbis file decoded on demand through libvorbisfile, reading the file through
// the archive file functions. Plays as a mixer stream (music) or decodes whole (sound
// effects). Owned by the mixer buffer that plays it; see MixerStream for threads.
#pragma once

#include "platform/MixerSamples.h"
#include "platform/MixerStream.h"

#include <memory>
#include <optional>
#include <string>

namespace zest
{

struct PFILE;

class OggStream : public MixerStream
{
public:
    // Opens and checks the stream (1 or 2 channels). Null with a reason in error when
    // the file is missing or not a usable Vorbis stream.
    static std::unique_ptr<OggStream> Open(const std::string& fileName, std::string* error = nullptr);
    // Decodes a whole file into memory. Decoding stops at the real end of the stream,
    // whatever length the headers claim; a decoding error midway fails the whole load.
    static std::optional<MixerSamples> DecodeAll(const std::string& fileName, std::string* error = nullptr);

    ~OggStream() override;

    int Channels() const override { return channels; }
    int SampleRate() const override { return sampleRate; }
    size_t Read(int16_t* out, size_t frames) override;
    bool Seek(uint64_t frame) override;

    // Whether a decoding error stopped the stream (Read then answers 0).
    bool Failed() const { return failed; }
    // The length the headers claim, in frames, when known.
    std::optional<uint64_t> ClaimedFrames() const;

    // Made only by Open.
    class Key
    {
        friend class OggStream;
        Key() = default;
    };
    explicit OggStream(Key);

private:
    struct Decoder;

    std::unique_ptr<Decoder> decoder;
    int channels = 0;
    int sampleRate = 0;
    bool failed = false;
};

} // namespace zest
