// Builders of small sound files for the audio tests (wave, AU, Ogg Vorbis, a tracker
// module) and a scratch folder that is removed afterwards. Test-only helpers.
#pragma once

#include "platform/MixerSamples.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace audiotest
{

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

inline void Put32(Bytes& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

inline void PutBig32(Bytes& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

inline void PutText(Bytes& out, const char* text)
{
    while (*text != 0)
        out.push_back(uint8_t(*text++));
}

// A chunk: id, 32-bit length (as claimed), body, pad byte when odd.
inline void PutChunk(Bytes& out, const char* id, const Bytes& body, uint32_t claimedLength, bool pad = true)
{
    PutText(out, id);
    Put32(out, claimedLength);
    out.insert(out.end(), body.begin(), body.end());
    if (pad && (body.size() & 1))
        out.push_back(0);
}

inline Bytes FmtBody(int format, int channels, int rate, int bits)
{
    Bytes fmt;
    Put16(fmt, uint32_t(format));
    Put16(fmt, uint32_t(channels));
    Put32(fmt, uint32_t(rate));
    Put32(fmt, uint32_t(rate * channels * bits / 8));
    Put16(fmt, uint32_t(channels * bits / 8));
    Put16(fmt, uint32_t(bits));
    return fmt;
}

inline Bytes Pcm16(const std::vector<int16_t>& samples)
{
    Bytes data;
    for (int16_t s : samples)
        Put16(data, uint16_t(s));
    return data;
}

// A whole RIFF wave file of chunks.
inline Bytes Riff(const Bytes& chunks)
{
    Bytes out;
    PutText(out, "RIFF");
    Put32(out, uint32_t(chunks.size() + 4));
    PutText(out, "WAVE");
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

inline Bytes Wave16(int channels, int rate, const std::vector<int16_t>& samples)
{
    Bytes chunks;
    Bytes data = Pcm16(samples);
    PutChunk(chunks, "fmt ", FmtBody(1, channels, rate, 16), 16);
    PutChunk(chunks, "data", data, uint32_t(data.size()));
    return Riff(chunks);
}

inline Bytes Au(uint32_t offset, uint32_t size, uint32_t encoding, uint32_t rate, uint32_t channels, const Bytes& data)
{
    Bytes out;
    PutText(out, ".snd");
    PutBig32(out, offset);
    PutBig32(out, size);
    PutBig32(out, encoding);
    PutBig32(out, rate);
    PutBig32(out, channels);
    while (out.size() < offset && out.size() < 64)
        out.push_back(0);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// A sine tone, full scale times amplitude.
inline std::vector<int16_t> Sine(int channels, int rate, size_t frames, double hz, double amplitude = 0.5)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i < frames; ++i)
    {
        const int16_t v = int16_t(std::lround(32767.0 * amplitude * std::sin(2 * M_PI * hz * double(i) / rate)));
        for (int c = 0; c < channels; ++c)
            out.push_back(v);
    }
    return out;
}

// Encodes interleaved 16-bit samples as Ogg Vorbis (quality 0.4).
inline Bytes EncodeOgg(int channels, int rate, const std::vector<int16_t>& samples)
{
    Bytes out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.4f) != 0)
        return out;
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    auto appendPage = [&out](const ogg_page& p) {
        out.insert(out.end(), p.header, p.header + p.header_len);
        out.insert(out.end(), p.body, p.body + p.body_len);
    };
    while (ogg_stream_flush(&stream, &page) != 0)
        appendPage(page);
    const size_t frames = samples.size() / size_t(channels);
    size_t done = 0;
    bool eos = false;
    while (!eos)
    {
        const size_t n = std::min<size_t>(1024, frames - done);
        if (n == 0)
        {
            vorbis_analysis_wrote(&dsp, 0);
        }
        else
        {
            float** buffer = vorbis_analysis_buffer(&dsp, int(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[(done + i) * size_t(channels) + size_t(c)] / 32768.0f;
            vorbis_analysis_wrote(&dsp, int(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0)
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                {
                    appendPage(page);
                    if (ogg_page_eos(&page))
                        eos = true;
                }
            }
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

// A four-channel ProTracker module: one pattern of 64 rows played twice (orders 0 and 1),
// a square-wave sample struck on row 0 of channel 1.
inline Bytes MakeModule()
{
    Bytes out(20, 0);
    const char title[] = "zest test";
    std::copy(title, title + sizeof(title) - 1, out.begin());
    const uint16_t sampleWords = 256;
    for (int s = 0; s < 31; ++s)
    {
        Bytes sample(30, 0);
        if (s == 0)
        {
            // name[22], length in words (big-endian), finetune, volume, loop start, loop
            // length (1 word: no loop).
            sample[22] = uint8_t(sampleWords >> 8);
            sample[23] = uint8_t(sampleWords);
            sample[25] = 64;
            sample[29] = 1;
        }
        out.insert(out.end(), sample.begin(), sample.end());
    }
    out.push_back(2);   // song length: two orders
    out.push_back(127); // restart
    Bytes orders(128, 0);
    out.insert(out.end(), orders.begin(), orders.end());
    PutText(out, "M.K.");
    Bytes pattern(64 * 4 * 4, 0);
    // Row 0, channel 0: sample 1, period 428 (C-3).
    pattern[0] = 0x01;
    pattern[1] = 0xAC;
    pattern[2] = 0x10;
    pattern[3] = 0x00;
    out.insert(out.end(), pattern.begin(), pattern.end());
    for (int i = 0; i < sampleWords * 2; ++i)
        out.push_back(uint8_t((i / 16) % 2 ? 0x60 : 0xA0));
    return out;
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A scratch folder that becomes the working folder (data files are named relative to
// it, as the game names them) and is removed with everything in it afterwards.
class ScratchFolder
{
public:
    explicit ScratchFolder(const std::string& tag)
    {
        static int counter = 0;
        path = std::filesystem::temp_directory_path() /
               ("zest-audio-" + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(path);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::current_path(previous, ec);
        std::filesystem::remove_all(path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path path;

private:
    std::filesystem::path previous;
};

// Peak absolute sample of one channel of interleaved stereo.
inline int Peak(const std::vector<int16_t>& stereo, int channel)
{
    int peak = 0;
    for (size_t i = size_t(channel); i < stereo.size(); i += 2)
        peak = std::max(peak, std::abs(int(stereo[i])));
    return peak;
}

} // namespace audiotest
