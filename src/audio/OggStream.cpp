#include "audio/OggStream.h"

#include "files/PakFile.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace zest
{

namespace
{
size_t ReadCallback(void* buffer, size_t size, size_t count, void* source)
{
    return p_fread(buffer, size, count, static_cast<PFILE*>(source));
}

int SeekCallback(void* source, ogg_int64_t offset, int whence)
{
    if (offset < LONG_MIN || offset > LONG_MAX)
        return -1;
    return p_fseek(static_cast<PFILE*>(source), long(offset), whence) == 0 ? 0 : -1;
}

long TellCallback(void* source)
{
    return p_ftell(static_cast<PFILE*>(source));
}

// About ten minutes of stereo: what a claimed length may reserve up front. Longer
// streams still decode, the vector just grows.
constexpr uint64_t MaxReservedFrames = uint64_t(44100) * 600;
} // namespace

struct OggStream::Decoder
{
    PFilePtr file;
    OggVorbis_File vorbis{};
    bool open = false;

    ~Decoder()
    {
        if (open)
            ov_clear(&vorbis); // the close callback is null: file closes itself after
    }
};

OggStream::OggStream(Key)
{
}

OggStream::~OggStream() = default;

std::unique_ptr<OggStream> OggStream::Open(const std::string& fileName, std::string* error)
{
    auto fail = [&](const std::string& reason) -> std::unique_ptr<OggStream> {
        if (error != nullptr)
            *error = reason;
        return nullptr;
    };
    auto decoder = std::make_unique<Decoder>();
    decoder->file.reset(p_fopen(fileName.c_str(), "rb"));
    if (!decoder->file)
        return fail("cannot open " + fileName);
    ov_callbacks callbacks{ReadCallback, SeekCallback, nullptr, TellCallback};
    if (ov_open_callbacks(decoder->file.get(), &decoder->vorbis, nullptr, 0, callbacks) != 0)
        return fail(fileName + ": not an Ogg Vorbis stream");
    decoder->open = true;
    const vorbis_info* info = ov_info(&decoder->vorbis, -1);
    if (info == nullptr || info->channels < 1 || info->channels > 2 || info->rate < 1 || info->rate > 192000)
        return fail(fileName + ": unsupported channel count or rate");
    auto stream = std::make_unique<OggStream>(Key());
    stream->channels = info->channels;
    stream->sampleRate = int(info->rate);
    stream->decoder = std::move(decoder);
    return stream;
}

std::optional<uint64_t> OggStream::ClaimedFrames() const
{
    const ogg_int64_t total = ov_pcm_total(&decoder->vorbis, -1);
    if (total < 0)
        return std::nullopt;
    return uint64_t(total);
}

size_t OggStream::Read(int16_t* out, size_t frames)
{
    if (failed)
        return 0;
    const size_t frameBytes = size_t(channels) * 2;
    size_t done = 0;
    while (done < frames)
    {
        int section = 0;
        const size_t wanted = std::min<size_t>((frames - done) * frameBytes, 1 << 16);
        const long got = ov_read(&decoder->vorbis, reinterpret_cast<char*>(out + done * size_t(channels)),
                                 int(wanted), 0 /* little-endian */, 2, 1 /* signed */, &section);
        if (got == 0)
            break; // the real end of the stream
        if (got < 0)
        {
            failed = true; // a hole or damaged page: no more from this stream
            break;
        }
        // A chained file whose later part changes the format cannot go on.
        const vorbis_info* info = ov_info(&decoder->vorbis, section);
        if (info == nullptr || info->channels != channels || info->rate != sampleRate)
        {
            failed = true;
            break;
        }
        done += size_t(got) / frameBytes;
    }
    return done;
}

bool OggStream::Seek(uint64_t frame)
{
    if (frame > uint64_t(INT64_MAX) || ov_pcm_seek(&decoder->vorbis, ogg_int64_t(frame)) != 0)
        return false;
    failed = false;
    return true;
}

std::optional<MixerSamples> OggStream::DecodeAll(const std::string& fileName, std::string* error)
{
    std::unique_ptr<OggStream> stream = Open(fileName, error);
    if (!stream)
        return std::nullopt;
    MixerSamples samples;
    samples.channels = stream->channels;
    samples.sampleRate = stream->sampleRate;
    if (std::optional<uint64_t> claimed = stream->ClaimedFrames())
        samples.samples.reserve(size_t(std::min(*claimed, MaxReservedFrames)) * size_t(samples.channels));
    constexpr size_t Block = 4096;
    for (;;)
    {
        const size_t start = samples.samples.size();
        samples.samples.resize(start + Block * size_t(samples.channels));
        const size_t got = stream->Read(samples.samples.data() + start, Block);
        samples.samples.resize(start + got * size_t(samples.channels));
        if (got == 0)
            break;
    }
    if (stream->failed)
    {
        if (error != nullptr)
            *error = fileName + ": decoding failed midway";
        return std::nullopt;
    }
    if (samples.samples.empty())
    {
        if (error != nullptr)
            *error = fileName + ": no samples";
        return std::nullopt;
    }
    samples.samples.shrink_to_fit();
    return samples;
}

} // namespace zest
