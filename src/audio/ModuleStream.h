// A tracker module (MOD, S3M, XM, IT...) rendered on demand by libopenmpt at 44100 Hz
// stereo. The file is read whole through the archive file functions. Owned by the
// mixer buffer that plays it; see MixerStream for threads.
#pragma once

#include "platform/MixerStream.h"

#include <memory>
#include <string>

struct openmpt_module;

namespace zest
{

class ModuleStream : public MixerStream
{
public:
    // Null with a reason in error when the file is missing or not a module.
    static std::unique_ptr<ModuleStream> Open(const std::string& fileName, std::string* error = nullptr);
    ~ModuleStream() override;

    int Channels() const override { return 2; }
    int SampleRate() const override { return 44100; }
    size_t Read(int16_t* out, size_t frames) override;
    bool Seek(uint64_t frame) override;
    // A looping module repeats by itself (from its own restart position).
    void SetLooping(bool looping) override;

    // The calls below change the decoder the audio thread reads: hold Mutex() around them.

    // Jumps to an order (pattern list entry) and row; false outside the song. Answers the
    // new position in frames on success.
    bool SetOrderRow(int order, int row, uint64_t* frame = nullptr);
    int CurrentOrder() const;
    int CurrentRow() const;
    // Master gain in hundredths of a decibel (libopenmpt's millibel).
    void SetGain(int hundredthsDb);

    // Made only by Open.
    class Key
    {
        friend class ModuleStream;
        Key() = default;
    };
    explicit ModuleStream(Key) {}

private:
    openmpt_module* module = nullptr;
};

} // namespace zest
