#include "platform/Mixer.h"

#include "platform/MixerBuffer.h"

#include "AudioFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>

using zest::Mixer;
using zest::MixerBuffer;
using zest::MixerSamples;
using zest::MixerStream;

namespace
{

std::shared_ptr<const MixerSamples> MakeSamples(int channels, int rate, std::vector<int16_t> data)
{
    auto samples = std::make_shared<MixerSamples>();
    samples->channels = channels;
    samples->sampleRate = rate;
    samples->samples = std::move(data);
    return samples;
}

std::vector<int16_t> Render(Mixer& mixer, size_t frames)
{
    std::vector<int16_t> out(frames * 2);
    mixer.Render(out.data(), frames);
    return out;
}

// Renders one frame at a time until the buffer stops; answers the frames it played.
size_t FramesUntilStopped(Mixer& mixer, MixerBuffer& buffer, size_t limit)
{
    int16_t frame[2];
    for (size_t n = 0; n < limit; ++n)
    {
        if (!buffer.IsPlaying())
            return n;
        mixer.Render(frame, 1);
    }
    return limit;
}

int ZeroCrossings(const std::vector<int16_t>& stereo)
{
    int crossings = 0;
    for (size_t i = 2; i < stereo.size(); i += 2)
    {
        if ((stereo[i - 2] < 0) != (stereo[i] < 0))
            ++crossings;
    }
    return crossings;
}

// Frame i holds i (wrapping at 30000) in every channel.
class RampStream : public MixerStream
{
public:
    RampStream(int channels, int rate, uint64_t length) : channels(channels), rate(rate), length(length) {}
    int Channels() const override { return channels; }
    int SampleRate() const override { return rate; }
    size_t Read(int16_t* out, size_t frames) override
    {
        size_t n = 0;
        for (; n < frames && position < length; ++n, ++position)
            for (int c = 0; c < channels; ++c)
                *out++ = int16_t(position % 30000);
        return n;
    }
    bool Seek(uint64_t frame) override
    {
        if (frame > length)
            return false;
        position = frame;
        return true;
    }

private:
    int channels;
    int rate;
    uint64_t length;
    uint64_t position = 0;
};

} // namespace

TEST(Mixer, PeakLevelsFollowVolumeAndPan)
{
    // Expected from the decibel definition: the far channel loses |pan| hundredths of a dB.
    struct Case
    {
        int volume;
        int pan;
    } cases[] = {{0, 0}, {-600, 0}, {0, 1000}, {0, -2000}, {-600, 10000}, {-1200, -500}, {-10000, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << "volume " << c.volume << " pan " << c.pan);
        auto mixer = Mixer::Create();
        auto buffer = mixer->CreateBuffer(MakeSamples(1, 44100, std::vector<int16_t>(4000, 16384)));
        ASSERT_TRUE(buffer);
        buffer->SetVolume(c.volume);
        buffer->SetPan(c.pan);
        ASSERT_TRUE(buffer->Play(false));
        std::vector<int16_t> out = Render(*mixer, 2000);
        auto expected = [&](int attenuation) {
            if (c.volume <= -10000 || attenuation >= 10000)
                return 0.0;
            return 16384.0 * std::pow(10.0, (c.volume - attenuation) / 2000.0);
        };
        EXPECT_NEAR(audiotest::Peak(out, 0), expected(std::max(c.pan, 0)), 1.0);
        EXPECT_NEAR(audiotest::Peak(out, 1), expected(std::max(-c.pan, 0)), 1.0);
    }
}

TEST(Mixer, FastPathMatchesReferenceLoop)
{
    std::mt19937 random(7);
    for (int channels : {1, 2})
    {
        SCOPED_TRACE(channels);
        std::vector<int16_t> data(size_t(3001 * channels));
        for (int16_t& s : data)
            s = int16_t(int(random() % 65536) - 32768);
        auto samples = MakeSamples(channels, 44100, data);
        std::vector<int16_t> results[2];
        for (int reference : {0, 1})
        {
            Mixer::UseReferenceMixing(reference == 1);
            auto mixer = Mixer::Create();
            auto a = mixer->CreateBuffer(samples);
            auto b = mixer->CreateBuffer(samples);
            a->SetVolume(-350);
            a->SetPan(-1500);
            b->SetVolume(-800);
            ASSERT_TRUE(a->Play(true));
            ASSERT_TRUE(b->SetPosition(1234));
            ASSERT_TRUE(b->Play(false));
            results[reference] = Render(*mixer, 7000);
        }
        Mixer::UseReferenceMixing(false);
        ASSERT_EQ(results[0].size(), results[1].size());
        for (size_t i = 0; i < results[0].size(); ++i)
            ASSERT_EQ(results[0][i], results[1][i]) << "first difference at sample " << i;
    }
}

TEST(Mixer, FrequencySetsHowLongAndHowHighABufferPlays)
{
    // A 1000 Hz tone recorded at the sample rate, played at the given frequency: the
    // playing time scales by rate / frequency and the pitch by frequency / rate.
    struct Case
    {
        int rate;
        uint32_t frequency;
    } cases[] = {{44100, 44100}, {22050, 22050}, {22050, 44100}, {44100, 22050}, {11025, 15000}, {48000, 48000}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.rate << " Hz data at " << c.frequency << " Hz");
        const size_t frames = size_t(c.rate); // one second of data
        auto mixer = Mixer::Create();
        auto buffer = mixer->CreateBuffer(MakeSamples(1, c.rate, audiotest::Sine(1, c.rate, frames, 1000.0)));
        buffer->SetFrequency(c.frequency);
        ASSERT_TRUE(buffer->Play(false));
        const double seconds = double(frames) / c.frequency;
        std::vector<int16_t> first = Render(*mixer, size_t(Mixer::OutputRate * seconds * 0.5));
        const double heardHz = 1000.0 * c.frequency / c.rate;
        EXPECT_NEAR(ZeroCrossings(first) / (seconds * 0.5) / 2.0, heardHz, heardHz * 0.01);
        const size_t expectedFrames = size_t(std::ceil(Mixer::OutputRate * seconds)) - first.size() / 2;
        EXPECT_NEAR(double(FramesUntilStopped(*mixer, *buffer, 200000)), double(expectedFrames), 1.0);
    }
}

TEST(Mixer, LoopingWrapsExactlyAndNaturalEndRewinds)
{
    std::vector<int16_t> ramp;
    for (int i = 0; i < 100; ++i)
        ramp.push_back(int16_t(i * 100));
    auto mixer = Mixer::Create();
    auto looping = mixer->CreateBuffer(MakeSamples(1, 44100, ramp));
    ASSERT_TRUE(looping->Play(true));
    std::vector<int16_t> out = Render(*mixer, 1050);
    for (size_t k = 0; k < 1050; ++k)
        ASSERT_EQ(out[2 * k], int16_t((k % 100) * 100)) << "frame " << k;
    EXPECT_TRUE(looping->IsPlaying());
    EXPECT_EQ(looping->GetPosition(), 50u);

    looping->Stop();
    auto once = mixer->CreateBuffer(MakeSamples(1, 44100, ramp));
    ASSERT_TRUE(once->SetPosition(60));
    ASSERT_TRUE(once->Play(false));
    out = Render(*mixer, 100);
    EXPECT_EQ(out[0], 6000);
    EXPECT_EQ(out[2 * 39], 9900);
    EXPECT_EQ(out[2 * 40], 0); // silence after the end
    EXPECT_FALSE(once->IsPlaying());
    EXPECT_EQ(once->GetPosition(), 0u);
    EXPECT_FALSE(once->SetPosition(100)); // past the end
}

TEST(Mixer, StopKeepsThePosition)
{
    auto mixer = Mixer::Create();
    auto buffer = mixer->CreateBuffer(MakeSamples(2, 44100, std::vector<int16_t>(2 * 5000, 1000)));
    ASSERT_TRUE(buffer->Play(false));
    Render(*mixer, 300);
    buffer->Stop();
    EXPECT_EQ(buffer->GetPosition(), 300u);
    std::vector<int16_t> out = Render(*mixer, 300);
    EXPECT_EQ(audiotest::Peak(out, 0), 0);
    EXPECT_EQ(buffer->GetPosition(), 300u);
    ASSERT_TRUE(buffer->Play(false));
    Render(*mixer, 100);
    EXPECT_EQ(buffer->GetPosition(), 400u);
}

TEST(Mixer, DuplicateSharesSamplesAndOutlivesTheOriginal)
{
    auto mixer = Mixer::Create();
    auto samples = MakeSamples(1, 44100, audiotest::Sine(1, 44100, 2000, 440.0));
    auto original = mixer->CreateBuffer(samples);
    original->SetVolume(-300);
    original->SetPan(700);
    original->SetFrequency(30000);
    auto copy = original->Duplicate();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->Samples().get(), samples.get()); // shared, not copied
    EXPECT_EQ(copy->GetVolume(), -300);
    EXPECT_EQ(copy->GetPan(), 700);
    EXPECT_EQ(copy->GetFrequency(), 30000u);
    EXPECT_FALSE(copy->IsPlaying());

    copy->SetFrequency(0); // back to the data's own rate
    copy->SetVolume(0);
    copy->SetPan(0);
    ASSERT_TRUE(copy->Play(false));
    original.reset();
    samples.reset(); // only the copy holds the data now
    std::vector<int16_t> out = Render(*mixer, 100);
    const std::vector<int16_t> expected = audiotest::Sine(1, 44100, 100, 440.0);
    for (size_t i = 0; i < 100; ++i)
        ASSERT_EQ(out[2 * i], expected[i]) << "frame " << i;
}

TEST(Mixer, MasterGainScalesTheMixAndIsHeldWithinRange)
{
    auto mixer = Mixer::Create();
    auto buffer = mixer->CreateBuffer(MakeSamples(1, 44100, std::vector<int16_t>(1000, 20000)));
    ASSERT_TRUE(buffer->Play(true));
    struct Case
    {
        double set;
        double held;
        int peak;
    } cases[] = {{0.5, 0.5, 10000}, {1.0, 1.0, 20000}, {0.0, 0.0, 0}, {-1.0, 0.0, 0}, {2.0, 1.0, 20000},
                 {std::nan(""), 0.0, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.set);
        mixer->SetMasterGain(c.set);
        EXPECT_DOUBLE_EQ(mixer->GetMasterGain(), c.held);
        EXPECT_EQ(audiotest::Peak(Render(*mixer, 200), 0), c.peak);
    }
}

TEST(Mixer, LoudSumsClipInsteadOfWrapping)
{
    auto mixer = Mixer::Create();
    auto up = mixer->CreateBuffer(MakeSamples(1, 44100, std::vector<int16_t>(500, 30000)));
    auto up2 = up->Duplicate();
    auto down = mixer->CreateBuffer(MakeSamples(1, 44100, std::vector<int16_t>(500, -30000)));
    auto down2 = down->Duplicate();
    ASSERT_TRUE(up->Play(false) && up2->Play(false));
    std::vector<int16_t> out = Render(*mixer, 100);
    EXPECT_EQ(out[0], 32767);
    up->Stop();
    up2->Stop();
    ASSERT_TRUE(down->Play(false) && down2->Play(false));
    out = Render(*mixer, 100);
    EXPECT_EQ(out[0], -32768);
}

TEST(Mixer, SilentBufferStillEndsOnTime)
{
    auto mixer = Mixer::Create();
    auto buffer = mixer->CreateBuffer(MakeSamples(1, 22050, std::vector<int16_t>(1000, 5000)));
    buffer->SetVolume(Mixer::Silence);
    ASSERT_TRUE(buffer->Play(false));
    EXPECT_EQ(mixer->PlayingCount(), 1);
    std::vector<int16_t> out = Render(*mixer, 1999);
    EXPECT_EQ(audiotest::Peak(out, 0), 0);
    EXPECT_TRUE(buffer->IsPlaying());
    Render(*mixer, 1);
    EXPECT_FALSE(buffer->IsPlaying());
    EXPECT_EQ(mixer->PlayingCount(), 0);
}

TEST(Mixer, MalformedSamplesMakeNoBuffer)
{
    auto mixer = Mixer::Create();
    struct Case
    {
        int channels;
        int rate;
        size_t count;
    } cases[] = {{1, 44100, 0}, {0, 44100, 10}, {3, 44100, 9}, {1, 0, 10}, {2, 192001, 10}, {2, -5, 10}, {2, 44100, 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.channels << " channels " << c.rate << " Hz " << c.count);
        EXPECT_FALSE(mixer->CreateBuffer(MakeSamples(c.channels, c.rate, std::vector<int16_t>(c.count, 1))));
    }
    EXPECT_FALSE(mixer->CreateBuffer(nullptr));
    EXPECT_FALSE(mixer->CreateStreamBuffer(nullptr));
    EXPECT_FALSE(mixer->CreateStreamBuffer(std::make_shared<RampStream>(3, 44100, 10)));
}

TEST(Mixer, VolumeAndGainConversionsAgree)
{
    struct Case
    {
        int volume;
        double gain;
    } cases[] = {{0, 1.0}, {-600, 0.501187}, {-2000, 0.1}, {-4000, 0.01}, {-10000, 0.0}, {-12000, 0.0}, {500, 1.0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.volume);
        EXPECT_NEAR(Mixer::GainFromVolume(c.volume), c.gain, 1e-6);
    }
    EXPECT_EQ(Mixer::VolumeFromGain(0.5), -602);
    EXPECT_EQ(Mixer::VolumeFromGain(0.0), Mixer::Silence);
    EXPECT_EQ(Mixer::VolumeFromGain(-1.0), Mixer::Silence);
    EXPECT_EQ(Mixer::VolumeFromGain(std::nan("")), Mixer::Silence);
    EXPECT_EQ(Mixer::VolumeFromGain(3.0), 0);
}

TEST(MixerStream, PlaysFramesInOrderAcrossDecodeWindows)
{
    auto mixer = Mixer::Create();
    auto buffer = mixer->CreateStreamBuffer(std::make_shared<RampStream>(2, 44100, 5000));
    ASSERT_TRUE(buffer);
    ASSERT_TRUE(buffer->Play(false));
    std::vector<int16_t> out = Render(*mixer, 6000);
    for (size_t k = 0; k < 5000; ++k)
    {
        ASSERT_EQ(out[2 * k], int16_t(k)) << "frame " << k;
        ASSERT_EQ(out[2 * k + 1], int16_t(k)) << "frame " << k;
    }
    EXPECT_EQ(audiotest::Peak(std::vector<int16_t>(out.begin() + 10002, out.end()), 0), 0);
    EXPECT_FALSE(buffer->IsPlaying());
}

TEST(MixerStream, ResampledStreamHasNoSeams)
{
    // A ramp at 22050 Hz played at 44100: every output step is half an input step, also
    // where one decode window ends and the next begins.
    auto mixer = Mixer::Create();
    auto buffer = mixer->CreateStreamBuffer(std::make_shared<RampStream>(1, 22050, 20000));
    ASSERT_TRUE(buffer->Play(false));
    std::vector<int16_t> out = Render(*mixer, 30000);
    for (size_t k = 0; k + 1 < 30000; ++k)
        ASSERT_NEAR(out[2 * (k + 1)] - out[2 * k], 0.5, 0.51) << "frame " << k;
    EXPECT_EQ(out[2 * 20000], 10000);
}

TEST(MixerStream, LoopingStreamStartsOverAndEndedStreamPlaysAgain)
{
    auto mixer = Mixer::Create();
    auto buffer = mixer->CreateStreamBuffer(std::make_shared<RampStream>(1, 44100, 1500));
    ASSERT_TRUE(buffer->Play(true));
    std::vector<int16_t> out = Render(*mixer, 4000);
    for (size_t k = 0; k < 4000; ++k)
        ASSERT_EQ(out[2 * k], int16_t(k % 1500)) << "frame " << k;
    EXPECT_EQ(buffer->GetPosition(), 1000u);

    ASSERT_TRUE(buffer->Play(false)); // the last round plays to the end
    Render(*mixer, 1000);
    EXPECT_FALSE(buffer->IsPlaying());
    ASSERT_TRUE(buffer->Play(false)); // ended: starts over
    out = Render(*mixer, 10);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[18], 9);
}

TEST(MixerStream, SetPositionSeeksAndBusyStreamWaitsSilently)
{
    auto mixer = Mixer::Create();
    auto stream = std::make_shared<RampStream>(1, 44100, 20000);
    auto buffer = mixer->CreateStreamBuffer(stream);
    ASSERT_TRUE(buffer->SetPosition(7000));
    EXPECT_EQ(buffer->GetPosition(), 7000u);
    ASSERT_TRUE(buffer->Play(false));
    std::vector<int16_t> out = Render(*mixer, 10);
    EXPECT_EQ(out[0], 7000);
    EXPECT_FALSE(buffer->SetPosition(30000));

    {
        // Another thread holding the stream (as while seeking): the block is silent and
        // the stream does not move.
        std::mutex gate;
        std::condition_variable changed;
        bool held = false;
        bool release = false;
        std::thread holder([&] {
            std::lock_guard<std::mutex> busy(stream->Mutex());
            std::unique_lock<std::mutex> lock(gate);
            held = true;
            changed.notify_all();
            changed.wait(lock, [&] { return release; });
        });
        {
            std::unique_lock<std::mutex> lock(gate);
            changed.wait(lock, [&] { return held; });
        }
        out = Render(*mixer, 100);
        EXPECT_EQ(audiotest::Peak(out, 0), 0);
        {
            std::lock_guard<std::mutex> lock(gate);
            release = true;
        }
        changed.notify_all();
        holder.join();
    }
    out = Render(*mixer, 1);
    EXPECT_EQ(out[0], 7010);
}

TEST(Mixer, ControlCallsRaceTheAudioThreadSafely)
{
    // The control thread makes, changes and drops two buffers at a time while the audio thread
    // renders. What a race would break is checked on both sides: no block ever holds more than the
    // two voices at full volume (a voice mixed after release or twice would exceed it), no position
    // lies outside the data, no more than two buffers play. The threads label runs it under
    // ThreadSanitizer too (scripts/tsan.sh), which reports a race even when the numbers come out right.
    auto mixer = Mixer::Create();
    const double amplitude = 0.1;
    auto samples = MakeSamples(2, 44100, audiotest::Sine(2, 44100, 3000, 300.0, amplitude));
    const int limit = 2 * int(std::lround(32767.0 * amplitude)) + 2;
    std::atomic<bool> done{false};
    std::atomic<int> loudest{0};
    std::thread audio([&] {
        std::vector<int16_t> block(2 * 256);
        for (int i = 0; i < 3000; ++i)
        {
            mixer->Render(block.data(), 256);
            for (int16_t v : block)
                if (std::abs(int(v)) > loudest)
                    loudest = std::abs(int(v));
        }
        done = true;
    });
    int made = 0;
    uint64_t farthest = 0;
    int mostPlaying = 0;
    while (!done)
    {
        auto a = mixer->CreateBuffer(samples);
        auto b = a->Duplicate();
        a->SetVolume(-(made % 3000));
        b->SetPan(made % 20000 - 10000);
        b->SetFrequency(uint32_t(20000 + made % 40000));
        (void)a->Play(made % 2 == 0);
        (void)b->Play(false);
        (void)b->SetPosition(uint64_t(made % 2000));
        farthest = std::max({farthest, a->GetPosition(), b->GetPosition()});
        mostPlaying = std::max(mostPlaying, mixer->PlayingCount());
        ++made;
    }
    audio.join();
    EXPECT_GT(made, 0);
    EXPECT_LE(loudest.load(), limit);
    EXPECT_LT(farthest, samples->Frames());
    EXPECT_LE(mostPlaying, 2);
    EXPECT_EQ(mixer->PlayingCount(), 0);
}
