#include "audio/AuFile.h"
#include "audio/OggStream.h"
#include "audio/SoundCache.h"
#include "audio/SoundDecoder.h"
#include "audio/WaveFile.h"

#include "AudioFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

using audiotest::Bytes;
using zest::AuFile;
using zest::MixerSamples;
using zest::OggStream;
using zest::SoundCache;
using zest::SoundDecoder;
using zest::WaveFile;

namespace
{

// Non-ASCII folder: file names pass through every layer as bytes.
const std::string Folder = "klänge/";

Bytes FmtAndData(int channels, int rate, int bits, const Bytes& data, uint32_t claimed)
{
    Bytes chunks;
    audiotest::PutChunk(chunks, "fmt ", audiotest::FmtBody(1, channels, rate, bits), 16);
    audiotest::PutChunk(chunks, "data", data, claimed);
    return audiotest::Riff(chunks);
}

} // namespace

TEST(WaveFile, ReadsPcmInEveryLayout)
{
    audiotest::ScratchFolder scratch("wave");
    struct Case
    {
        const char* name;
        Bytes file;
        int channels;
        int rate;
        std::vector<int16_t> samples;
    };
    std::vector<Case> cases;
    cases.push_back({"stereo16", audiotest::Wave16(2, 44100, {1, -2, 300, -400, 32767, -32768}), 2, 44100,
                     {1, -2, 300, -400, 32767, -32768}});
    // 8-bit data is unsigned around 128.
    cases.push_back({"mono8", FmtAndData(1, 11025, 8, {0, 128, 255, 129}, 4), 1, 11025, {-32768, 0, 32512, 256}});
    {
        // An odd-length chunk is followed by its pad byte; unknown chunks are skipped.
        Bytes chunks;
        audiotest::PutChunk(chunks, "junk", {1, 2, 3}, 3);
        audiotest::PutChunk(chunks, "fmt ", audiotest::FmtBody(1, 1, 8000, 16), 16);
        audiotest::PutChunk(chunks, "LIST", {9, 9, 9, 9, 9}, 5);
        audiotest::PutChunk(chunks, "data", audiotest::Pcm16({5, 6, 7}), 6);
        cases.push_back({"padded", audiotest::Riff(chunks), 1, 8000, {5, 6, 7}});
    }
    {
        // Data before any "fmt " chunk: mono, 22050 Hz, 16 bits.
        Bytes chunks;
        audiotest::PutChunk(chunks, "data", audiotest::Pcm16({-9, 9}), 4);
        cases.push_back({"defaults", audiotest::Riff(chunks), 1, 22050, {-9, 9}});
    }
    {
        // A "xor " key descrambles the data.
        Bytes chunks;
        audiotest::PutChunk(chunks, "fmt ", audiotest::FmtBody(1, 2, 44100, 16), 16);
        audiotest::PutChunk(chunks, "xor ", {0x6B}, 1);
        Bytes data = audiotest::Pcm16({1000, -1000, 7, 8});
        for (uint8_t& b : data)
            b ^= 0x6B;
        audiotest::PutChunk(chunks, "data", data, 8);
        cases.push_back({"scrambled", audiotest::Riff(chunks), 2, 44100, {1000, -1000, 7, 8}});
    }
    {
        // WAVE_FORMAT_EXTENSIBLE carrying PCM.
        Bytes fmt = audiotest::FmtBody(0xFFFE, 1, 48000, 16);
        audiotest::Put16(fmt, 22);
        audiotest::Put16(fmt, 16);
        audiotest::Put32(fmt, 4);
        const uint8_t pcmGuid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        fmt.insert(fmt.end(), pcmGuid, pcmGuid + 16);
        Bytes chunks;
        audiotest::PutChunk(chunks, "fmt ", fmt, uint32_t(fmt.size()));
        audiotest::PutChunk(chunks, "data", audiotest::Pcm16({42}), 2);
        cases.push_back({"extensible", audiotest::Riff(chunks), 1, 48000, {42}});
    }
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string name = Folder + c.name + ".wav";
        audiotest::WriteFile(name, c.file);
        std::string error;
        std::optional<MixerSamples> samples = WaveFile::Load(name, &error);
        ASSERT_TRUE(samples) << error;
        EXPECT_EQ(samples->channels, c.channels);
        EXPECT_EQ(samples->sampleRate, c.rate);
        EXPECT_EQ(samples->samples, c.samples);
    }
}

TEST(WaveFile, DamagedFilesFailCleanly)
{
    audiotest::ScratchFolder scratch("badwave");
    const Bytes pcm = audiotest::Pcm16({1, 2, 3, 4});
    struct Case
    {
        const char* name;
        Bytes file;
    };
    std::vector<Case> cases;
    {
        Bytes file = audiotest::Wave16(1, 44100, {1, 2});
        std::memcpy(file.data(), "RIFX", 4);
        cases.push_back({"bad magic", file});
    }
    cases.push_back({"header only", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0}});
    cases.push_back({"data longer than the file", FmtAndData(1, 44100, 16, pcm, 1000)});
    cases.push_back({"data length FFFFFFFF", FmtAndData(1, 44100, 16, pcm, 0xFFFFFFFF)});
    {
        Bytes chunks;
        audiotest::PutChunk(chunks, "LIST", {1, 2}, 0x7FFFFFF0);
        cases.push_back({"chunk past the end", audiotest::Riff(chunks)});
    }
    {
        // Read as a signed number this length would step backwards forever.
        Bytes chunks;
        audiotest::PutChunk(chunks, "LIST", {1, 2, 3, 4}, 0xFFFFFFF4);
        audiotest::PutChunk(chunks, "data", pcm, 8);
        cases.push_back({"backwards chunk", audiotest::Riff(chunks)});
    }
    auto withFmt = [&](int format, int channels, int rate, int bits) {
        Bytes chunks;
        audiotest::PutChunk(chunks, "fmt ", audiotest::FmtBody(format, channels, rate, bits), 16);
        audiotest::PutChunk(chunks, "data", pcm, 8);
        return audiotest::Riff(chunks);
    };
    cases.push_back({"three channels", withFmt(1, 3, 44100, 16)});
    cases.push_back({"no channels", withFmt(1, 0, 44100, 16)});
    cases.push_back({"24 bits", withFmt(1, 1, 44100, 24)});
    cases.push_back({"rate 0", withFmt(1, 1, 0, 16)});
    cases.push_back({"rate 200000", withFmt(1, 1, 200000, 16)});
    cases.push_back({"float", withFmt(3, 1, 44100, 32)});
    {
        Bytes chunks;
        Bytes shortFmt = audiotest::FmtBody(1, 1, 44100, 16);
        shortFmt.resize(12);
        audiotest::PutChunk(chunks, "fmt ", shortFmt, 12);
        audiotest::PutChunk(chunks, "data", pcm, 8);
        cases.push_back({"short fmt", audiotest::Riff(chunks)});
    }
    {
        Bytes chunks;
        audiotest::PutChunk(chunks, "fmt ", audiotest::FmtBody(1, 1, 44100, 16), 16);
        cases.push_back({"no data chunk", audiotest::Riff(chunks)});
    }
    cases.push_back({"half a frame", FmtAndData(2, 44100, 16, {1, 2}, 2)});
    {
        Bytes dep;
        audiotest::Put16(dep, 200); // name longer than the chunk
        dep.resize(12, 'x');
        Bytes chunks;
        audiotest::PutChunk(chunks, "fmt ", audiotest::FmtBody(1, 1, 44100, 16), 16);
        audiotest::PutChunk(chunks, "dep ", dep, 12);
        audiotest::PutChunk(chunks, "data", pcm, 8);
        cases.push_back({"bad dep", audiotest::Riff(chunks)});
    }
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string name = Folder + "bad.wav";
        audiotest::WriteFile(name, c.file);
        std::string error;
        EXPECT_FALSE(WaveFile::Load(name, &error));
        EXPECT_FALSE(error.empty());
    }
    std::string error;
    EXPECT_FALSE(WaveFile::Load("missing.wav", &error));
    EXPECT_EQ(error, "cannot open missing.wav");
}

TEST(WaveFile, CacheFileRoundTripsAndIsLaidOutAsRiff)
{
    audiotest::ScratchFolder scratch("cache");
    audiotest::WriteFile("source.ogg", {1, 2, 3});
    const std::optional<uint64_t> sourceTime = SoundCache::SourceFileTime("source.ogg");
    ASSERT_TRUE(sourceTime);
    MixerSamples samples;
    samples.channels = 2;
    samples.sampleRate = 32000;
    samples.samples = {1, -1, 0x1234, -0x1234};
    const std::filesystem::path path = scratch.path / "deep" / "folder" / "x.wav";
    ASSERT_TRUE(WaveFile::WriteCache(path, samples, "source.ogg", *sourceTime));

    const Bytes file = audiotest::ReadFile(path);
    auto at32 = [&](size_t offset) {
        return uint32_t(file[offset]) | (uint32_t(file[offset + 1]) << 8) | (uint32_t(file[offset + 2]) << 16) |
               (uint32_t(file[offset + 3]) << 24);
    };
    ASSERT_EQ(file.size(), 12u + 24u + (8u + 20u) + (8u + 2u) + (8u + 8u));
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(at32(4), file.size() - 8);
    EXPECT_EQ(std::string(file.begin() + 12, file.begin() + 16), "fmt ");
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "dep ");
    EXPECT_EQ(at32(40), 10u + 10u);                                       // name length + 10
    EXPECT_EQ(std::string(file.begin() + 46, file.begin() + 56), "source.ogg");
    EXPECT_EQ(uint64_t(at32(56)) | (uint64_t(at32(60)) << 32), *sourceTime); // FILETIME
    EXPECT_EQ(std::string(file.begin() + 64, file.begin() + 68), "xor ");
    EXPECT_EQ(at32(68), 1u);
    EXPECT_EQ(file[72], 0x6B);
    EXPECT_EQ(std::string(file.begin() + 74, file.begin() + 78), "data");
    EXPECT_EQ(at32(78), 8u);
    EXPECT_EQ(file[82], uint8_t(0x01 ^ 0x6B)); // scrambled

    std::optional<MixerSamples> back = WaveFile::Load(path.string());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->channels, 2);
    EXPECT_EQ(back->sampleRate, 32000);
    EXPECT_EQ(back->samples, samples.samples);

    // A newer source makes the cache stale.
    std::filesystem::last_write_time("source.ogg",
                                     std::filesystem::last_write_time("source.ogg") + std::chrono::seconds(5));
    std::string error;
    EXPECT_FALSE(WaveFile::Load(path.string(), &error));
    EXPECT_NE(error.find("stale"), std::string::npos) << error;
}

TEST(WaveFile, FailedCacheWriteLeavesNothingBehind)
{
    audiotest::ScratchFolder scratch("cachefail");
    MixerSamples samples;
    samples.samples = {1, 2, 3};
    // The target name is taken by a folder: the rename fails.
    std::filesystem::create_directories(scratch.path / "taken.wav");
    EXPECT_FALSE(WaveFile::WriteCache(scratch.path / "taken.wav", samples, "x.ogg", 1));
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path))
    {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1u); // only the folder: no temporary, no truncated cache
}

TEST(AuFile, ExpandsMuLawAndLinearEightBit)
{
    audiotest::ScratchFolder scratch("au");
    struct Case
    {
        const char* name;
        Bytes file;
        int channels;
        int rate;
        std::vector<int16_t> samples;
    } cases[] = {
        // G.711 reference values: FF and 7F are zero, 00 and 80 the extremes.
        {"mulaw", audiotest::Au(24, 4, 1, 8000, 1, {0xFF, 0x7F, 0x00, 0x80}), 1, 8000, {0, 0, -32124, 32124}},
        {"linear", audiotest::Au(24, 4, 2, 22050, 2, {0x80, 0x7F, 0x00, 0x01}), 2, 22050, {-32768, 32512, 0, 256}},
        {"to the end", audiotest::Au(28, 0xFFFFFFFF, 2, 11025, 1, {1, 2, 3}), 1, 11025, {256, 512, 768}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string name = Folder + "t.au";
        audiotest::WriteFile(name, c.file);
        std::string error;
        std::optional<MixerSamples> samples = AuFile::Load(name, &error);
        ASSERT_TRUE(samples) << error;
        EXPECT_EQ(samples->channels, c.channels);
        EXPECT_EQ(samples->sampleRate, c.rate);
        EXPECT_EQ(samples->samples, c.samples);
    }
}

TEST(AuFile, DamagedFilesFailCleanly)
{
    audiotest::ScratchFolder scratch("badau");
    const Bytes data = {1, 2, 3, 4};
    struct Case
    {
        const char* name;
        Bytes file;
    } cases[] = {
        {"offset inside the header", audiotest::Au(10, 4, 1, 8000, 1, data)},
        {"offset past the end", audiotest::Au(5000, 4, 1, 8000, 1, data)},
        {"size past the end", audiotest::Au(24, 400, 1, 8000, 1, data)},
        {"16-bit encoding", audiotest::Au(24, 4, 3, 8000, 1, data)},
        {"no channels", audiotest::Au(24, 4, 1, 8000, 0, data)},
        {"rate 0", audiotest::Au(24, 4, 1, 0, 1, data)},
        {"no samples", audiotest::Au(24, 0, 1, 8000, 1, data)},
        {"bad magic", Bytes{'.', 's', 'n', 'x', 0, 0, 0, 24, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 31, 64, 0, 0, 0, 1, 1, 2}},
        {"short header", Bytes{'.', 's', 'n', 'd', 0, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        audiotest::WriteFile("bad.au", c.file);
        std::string error;
        EXPECT_FALSE(AuFile::Load("bad.au", &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(OggStream, DecodesWhatWasEncoded)
{
    audiotest::ScratchFolder scratch("ogg");
    const std::vector<int16_t> tone = audiotest::Sine(2, 44100, 22050, 440.0, 0.5);
    audiotest::WriteFile(Folder + "tone.ogg", audiotest::EncodeOgg(2, 44100, tone));
    std::string error;
    std::optional<MixerSamples> samples = OggStream::DecodeAll(Folder + "tone.ogg", &error);
    ASSERT_TRUE(samples) << error;
    EXPECT_EQ(samples->channels, 2);
    EXPECT_EQ(samples->sampleRate, 44100);
    EXPECT_EQ(samples->Frames(), 22050u);
    std::vector<int16_t> middle(samples->samples.begin() + 10000, samples->samples.begin() + 30000);
    EXPECT_NEAR(audiotest::Peak(middle, 0), 16384, 1600);
    EXPECT_EQ(SoundDecoder::Sniff(Folder + "tone.ogg"), SoundDecoder::Format::Ogg);
}

TEST(OggStream, DamageMidwayFailsAndATruncatedStreamEndsEarly)
{
    audiotest::ScratchFolder scratch("badogg");
    const Bytes good = audiotest::EncodeOgg(1, 22050, audiotest::Sine(1, 22050, 22050 * 10, 300.0));
    ASSERT_GT(good.size(), 10000u);

    Bytes damaged = good;
    const size_t spot = good.size() * 7 / 10;
    for (size_t i = spot; i < spot + 64; ++i)
        damaged[i] ^= 0x5A;
    audiotest::WriteFile("damaged.ogg", damaged);
    std::string error;
    EXPECT_FALSE(OggStream::DecodeAll("damaged.ogg", &error));
    EXPECT_NE(error.find("midway"), std::string::npos) << error;

    // Cut short: decoding stops at the real end instead of trusting the headers.
    audiotest::WriteFile("cut.ogg", Bytes(good.begin(), good.begin() + long(good.size() * 6 / 10)));
    std::optional<MixerSamples> cut = OggStream::DecodeAll("cut.ogg", &error);
    ASSERT_TRUE(cut) << error;
    EXPECT_GT(cut->Frames(), 22050u * 3);
    EXPECT_LT(cut->Frames(), 22050u * 8);

    audiotest::WriteFile("notogg.ogg", audiotest::Wave16(1, 44100, {1, 2, 3}));
    EXPECT_FALSE(OggStream::DecodeAll("notogg.ogg", &error));
    audiotest::WriteFile("header.ogg", Bytes(good.begin(), good.begin() + 30));
    EXPECT_FALSE(OggStream::DecodeAll("header.ogg", &error));
    EXPECT_FALSE(OggStream::DecodeAll("missing.ogg", &error));
}

TEST(SoundCache, CacheNamesKeepFoldersAndRefuseUnsafeNames)
{
    const std::filesystem::path root = SoundCache::Folder() / "cached";
    struct Case
    {
        const char* name;
        const char* relative; // null: not cached
    } cases[] = {
        {"sounds\\burp", "sounds/burp.wav"},
        {"sounds/sub//tick", "sounds/sub/tick.wav"},
        {"ab", nullptr},
        {"/abs/sound", nullptr},
        {"\\abs\\sound", nullptr},
        {"c:sounds\\x", nullptr},
        {"../escape", nullptr},
        {"sounds\\..\\..\\escape", nullptr},
        {"sounds\\", nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::optional<std::filesystem::path> path = SoundCache::PathFor(c.name);
        if (c.relative == nullptr)
        {
            EXPECT_FALSE(path);
            continue;
        }
        ASSERT_TRUE(path);
        EXPECT_EQ(*path, root / c.relative);
        EXPECT_EQ(path->string().find('\\'), std::string::npos);
    }
}

TEST(SoundCache, FolderFollowsXdgCacheHomeAndProductName)
{
    const std::string savedProduct = SoundCache::ProductName();
    const char* savedCache = std::getenv("XDG_CACHE_HOME");
    const std::string savedCacheValue = savedCache != nullptr ? savedCache : "";

    setenv("XDG_CACHE_HOME", "/somewhere/cache", 1);
    SoundCache::SetProductName("Tibble the Bee");
    EXPECT_EQ(SoundCache::Folder(), std::filesystem::path("/somewhere/cache/Tibble the Bee"));
    SoundCache::SetProductName("a/b\\c");
    EXPECT_EQ(SoundCache::ProductName(), "a_b_c");
    SoundCache::SetProductName("..");
    EXPECT_EQ(SoundCache::ProductName(), "Zest");
    setenv("XDG_CACHE_HOME", "relative/ignored", 1);
    EXPECT_EQ(SoundCache::Folder().parent_path().filename(), ".cache");

    SoundCache::SetProductName(savedProduct);
    if (savedCache != nullptr)
        setenv("XDG_CACHE_HOME", savedCacheValue.c_str(), 1);
    else
        unsetenv("XDG_CACHE_HOME");
}

TEST(SoundCache, SourceTimeIsTheFilesWriteTime)
{
    audiotest::ScratchFolder scratch("time");
    audiotest::WriteFile(Folder + "s.ogg", {1});
    struct stat info;
    ASSERT_EQ(stat((Folder + "s.ogg").c_str(), &info), 0);
    // FILETIME: 100 ns units since 1601-01-01, which is 11644473600 s before 1970.
    const uint64_t expected = (uint64_t(info.st_mtim.tv_sec) + 11644473600ull) * 10000000ull +
                              uint64_t(info.st_mtim.tv_nsec) / 100;
    EXPECT_EQ(SoundCache::SourceFileTime(Folder + "s.ogg"), expected);
    EXPECT_FALSE(SoundCache::SourceFileTime(Folder + "missing.ogg"));
    EXPECT_FALSE(SoundCache::SourceFileTime("klänge")); // a folder
    EXPECT_FALSE(SoundCache::SourceFileTime(Folder + "*.ogg"));
}
