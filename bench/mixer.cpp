// The mixer's cost per second of audio at the game's worst case (2 x 32 effect channels
// plus a music stream), beside plain memcpy of the same sample bytes (the physical
// limit) and the plain interpolating loop the fast path must match.

#include "audio/OggStream.h"
#include "platform/Mixer.h"
#include "platform/MixerBuffer.h"

#include <benchmark/benchmark.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <dlfcn.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

using zest::Mixer;
using zest::MixerBuffer;
using zest::MixerSamples;

constexpr size_t SecondFrames = 44100;
constexpr size_t DeviceBlock = 1024; // frames per device callback

std::shared_ptr<const MixerSamples> Noise(int channels, int rate, size_t frames, unsigned seed)
{
    auto samples = std::make_shared<MixerSamples>();
    samples->channels = channels;
    samples->sampleRate = rate;
    samples->samples.resize(frames * size_t(channels));
    std::mt19937 random(seed);
    for (int16_t& s : samples->samples)
        s = int16_t(int(random() % 20000) - 10000);
    return samples;
}

struct Voices
{
    std::shared_ptr<Mixer> mixer = Mixer::Create();
    std::vector<std::unique_ptr<MixerBuffer>> buffers;
    size_t sourceBytesPerSecond = 0;
};

// count looping voices; resample = every voice plays off its own rate with pan.
Voices MakeVoices(int count, bool resample)
{
    Voices v;
    for (int i = 0; i < count; ++i)
    {
        const int channels = resample ? 1 + (i % 2) : 2;
        const int rate = resample ? (i % 2 ? 22050 : 44100) : 44100;
        auto buffer = v.mixer->CreateBuffer(Noise(channels, rate, size_t(rate) / 2, unsigned(i)));
        buffer->SetVolume(-(i * 37 % 1500));
        if (resample)
        {
            buffer->SetPan(i * 600 - 9000);
            buffer->SetFrequency(uint32_t(rate * std::pow(1.0594630943592953, i % 12)));
        }
        (void)buffer->Play(true);
        v.sourceBytesPerSecond +=
            size_t(double(buffer->GetFrequency()) * channels * sizeof(int16_t));
        v.buffers.push_back(std::move(buffer));
    }
    return v;
}

void RenderSecond(Mixer& mixer, std::vector<int16_t>& out)
{
    for (size_t done = 0; done < SecondFrames; done += DeviceBlock)
        mixer.Render(out.data(), std::min(DeviceBlock, SecondFrames - done));
}

void MixBenchmark(benchmark::State& state, int count, bool resample, bool reference)
{
    Mixer::UseReferenceMixing(reference);
    Voices v = MakeVoices(count, resample);
    std::vector<int16_t> out(DeviceBlock * 2);
    for (auto _ : state)
    {
        RenderSecond(*v.mixer, out);
        benchmark::DoNotOptimize(out.data());
    }
    Mixer::UseReferenceMixing(false);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(SecondFrames));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(v.sourceBytesPerSecond));
    state.counters["voices"] = count;
}

void BM_Mix_64Voices_Resampled(benchmark::State& state)
{
    MixBenchmark(state, 64, true, false);
}

void BM_Mix_64Voices_Resampled_Reference(benchmark::State& state)
{
    MixBenchmark(state, 64, true, true);
}

void BM_Mix_64Voices_OutputRate(benchmark::State& state)
{
    MixBenchmark(state, 64, false, false);
}

void BM_Mix_64Voices_OutputRate_Reference(benchmark::State& state)
{
    MixBenchmark(state, 64, false, true);
}

// The physical limit: copying the sample bytes the 64 resampled voices read per second.
void BM_Memcpy_64VoicesOfSamples(benchmark::State& state)
{
    Voices v = MakeVoices(64, true);
    std::vector<uint8_t> source(v.sourceBytesPerSecond, 1);
    std::vector<uint8_t> target(v.sourceBytesPerSecond);
    for (auto _ : state)
    {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(SecondFrames));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.size()));
}

// A music stream decoded as it plays (Ogg Vorbis, stereo 44100 Hz).
void BM_Mix_OggStream(benchmark::State& state)
{
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("zest-bench-" + std::to_string(getpid()) + ".ogg");
    {
        // Encode ten seconds of a chord.
        // The encoder library is not linked into the benchmarks: looked up at run time.
        using InitVbr = int (*)(vorbis_info*, long, long, float);
        void* encoder = dlopen("libvorbisenc.so.2", RTLD_NOW);
        auto initVbr = encoder != nullptr ? reinterpret_cast<InitVbr>(dlsym(encoder, "vorbis_encode_init_vbr")) : nullptr;
        if (initVbr == nullptr)
        {
            state.SkipWithError("libvorbisenc.so.2 not found");
            return;
        }
        vorbis_info info;
        vorbis_info_init(&info);
        initVbr(&info, 2, 44100, 0.4f);
        vorbis_comment comment;
        vorbis_comment_init(&comment);
        vorbis_dsp_state dsp;
        vorbis_analysis_init(&dsp, &info);
        vorbis_block block;
        vorbis_block_init(&dsp, &block);
        ogg_stream_state stream;
        ogg_stream_init(&stream, 1);
        ogg_packet a, b, c;
        vorbis_analysis_headerout(&dsp, &comment, &a, &b, &c);
        ogg_stream_packetin(&stream, &a);
        ogg_stream_packetin(&stream, &b);
        ogg_stream_packetin(&stream, &c);
        std::ofstream out(file, std::ios::binary);
        ogg_page page;
        while (ogg_stream_flush(&stream, &page) != 0)
        {
            out.write(reinterpret_cast<char*>(page.header), page.header_len);
            out.write(reinterpret_cast<char*>(page.body), page.body_len);
        }
        size_t written = 0;
        bool eos = false;
        while (!eos)
        {
            const size_t n = written < SecondFrames * 10 ? 1024 : 0;
            if (n > 0)
            {
                float** buffer = vorbis_analysis_buffer(&dsp, int(n));
                for (size_t i = 0; i < n; ++i)
                {
                    const double t = double(written + i) / 44100.0;
                    buffer[0][i] = float(0.2 * std::sin(2 * M_PI * 262 * t) + 0.2 * std::sin(2 * M_PI * 330 * t));
                    buffer[1][i] = float(0.2 * std::sin(2 * M_PI * 392 * t) + 0.2 * std::sin(2 * M_PI * 523 * t));
                }
                written += n;
            }
            vorbis_analysis_wrote(&dsp, int(n));
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
                        out.write(reinterpret_cast<char*>(page.header), page.header_len);
                        out.write(reinterpret_cast<char*>(page.body), page.body_len);
                        eos = eos || ogg_page_eos(&page);
                    }
                }
            }
        }
        ogg_stream_clear(&stream);
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&dsp);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    auto mixer = Mixer::Create();
    auto buffer = mixer->CreateStreamBuffer(std::shared_ptr<zest::OggStream>(zest::OggStream::Open(file.string())));
    if (!buffer)
    {
        state.SkipWithError("cannot open the encoded stream");
        return;
    }
    (void)buffer->Play(true);
    std::vector<int16_t> out(DeviceBlock * 2);
    for (auto _ : state)
    {
        RenderSecond(*mixer, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(SecondFrames));
    buffer.reset();
    std::filesystem::remove(file);
}

BENCHMARK(BM_Mix_64Voices_Resampled)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Mix_64Voices_Resampled_Reference)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Mix_64Voices_OutputRate)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Mix_64Voices_OutputRate_Reference)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Memcpy_64VoicesOfSamples)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Mix_OggStream)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// Prints, after the table, each row's median CPU time as a share of the second of audio
// it made and as a multiple of the memcpy row.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            if (run.aggregate_name == "median")
                medians[run.run_name.function_name] = run.GetAdjustedCPUTime(); // microseconds
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const double copy = medians.count("BM_Memcpy_64VoicesOfSamples") ? medians["BM_Memcpy_64VoicesOfSamples"] : 0.0;
        std::printf("\nmedian CPU per second of audio (and x memcpy of the same samples):\n");
        for (const auto& [name, micros] : medians)
        {
            std::printf("  %-40s %8.1f us = %6.3f %% of real time", name.c_str(), micros, micros / 1e4);
            if (copy > 0.0)
                std::printf("  (%.1f x memcpy)", micros / copy);
            std::printf("\n");
        }
    }

private:
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
