#include "SoundEffects.h"

#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace soundgen
{

namespace
{

void Normalize(std::vector<float>& samples, double peak)
{
    float largest = 0;
    for (float s : samples)
    {
        largest = std::max(largest, std::fabs(s));
    }
    if (largest > 0)
    {
        float g = static_cast<float>(peak / largest);
        for (float& s : samples)
        {
            s *= g;
        }
    }
}

// A few milliseconds of fade at the end so no sound stops with a click.
void FadeOut(std::vector<float>& samples, double seconds)
{
    size_t n = std::min(samples.size(), static_cast<size_t>(seconds * SampleRate));
    for (size_t i = 0; i < n; ++i)
    {
        samples[samples.size() - 1 - i] *= static_cast<float>(double(i) / n);
    }
}

} // namespace

std::vector<float> MakeTimerTick()
{
    // A wood-block tick: two inharmonic partials and a tiny noise click, 90 ms.
    std::vector<float> out(static_cast<size_t>(0.09 * SampleRate));
    datagen::DataRandom random(11);
    Biquad click;
    click.Set(Biquad::Kind::BandPass, 3500, 2.0);
    for (size_t i = 0; i < out.size(); ++i)
    {
        double t = double(i) / SampleRate;
        double s = std::sin(TwoPi * 1750 * t) * std::exp(-t / 0.018) +
                   0.5 * std::sin(TwoPi * 2890 * t) * std::exp(-t / 0.010) +
                   0.6 * click.Process(random.Signed()) * std::exp(-t / 0.003);
        out[i] = static_cast<float>(s * std::min(1.0, t / 0.0008));
    }
    Normalize(out, 0.7);
    FadeOut(out, 0.01);
    return out;
}

std::vector<float> MakeTomatoBurst()
{
    // Splat: a low thump, a noise burst whose brightness falls fast, squelchy resonant blips, then drips.
    std::vector<float> out(static_cast<size_t>(0.9 * SampleRate));
    datagen::DataRandom random(23);
    Biquad body;
    Biquad squelch;
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i)
    {
        double t = double(i) / SampleRate;
        if (i % 64 == 0)
        {
            body.Set(Biquad::Kind::LowPass, 300 + 3200 * std::exp(-t / 0.07), 0.9);
            // The squelch wanders between 500 and 1400 Hz.
            squelch.Set(Biquad::Kind::BandPass, 900 + 500 * std::sin(TwoPi * 23 * t) * std::exp(-t / 0.2), 6.0);
        }
        double noise = random.Signed();
        double thumpFreq = 40 + 70 * std::exp(-t / 0.04);
        phase += thumpFreq / SampleRate;
        double thump = std::sin(TwoPi * phase) * std::exp(-t / 0.09);
        double burst = body.Process(noise) * std::exp(-t / 0.12) * std::min(1.0, t / 0.002);
        double wet = squelch.Process(noise) * 2.5 * std::exp(-t / 0.18) * (0.6 + 0.4 * std::sin(TwoPi * 31 * t));
        out[i] = static_cast<float>(0.9 * thump + 0.8 * burst + 0.5 * wet);
    }
    // Drips: short rising plips landing after the burst.
    const double drips[4][2] = {{0.34, 900}, {0.47, 1200}, {0.58, 760}, {0.72, 1050}};
    for (const auto& d : drips)
    {
        size_t start = static_cast<size_t>(d[0] * SampleRate);
        double ph = 0;
        for (size_t i = 0; i < static_cast<size_t>(0.05 * SampleRate) && start + i < out.size(); ++i)
        {
            double t = double(i) / SampleRate;
            ph += d[1] * (1.0 + t * 18) / SampleRate;
            out[start + i] += static_cast<float>(0.25 * std::sin(TwoPi * ph) * std::exp(-t / 0.012));
        }
    }
    Normalize(out, 0.8);
    FadeOut(out, 0.05);
    return out;
}

std::vector<float> MakeBurp()
{
    // A glottal buzz round 80 Hz with a sagging, wobbling pitch, shaped by two vowel formants ("uhrp").
    std::vector<float> out(static_cast<size_t>(0.75 * SampleRate));
    datagen::DataRandom random(37);
    Biquad f1;
    Biquad f2;
    Biquad f3;
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i)
    {
        double t = double(i) / SampleRate;
        double u = t / 0.75;
        if (i % 64 == 0)
        {
            // The vowel opens from "u" to "a" and closes again.
            double open = std::sin(3.14159 * std::min(1.0, u * 1.3));
            f1.Set(Biquad::Kind::BandPass, 350 + 350 * open, 4.0);
            f2.Set(Biquad::Kind::BandPass, 800 + 400 * open, 5.0);
            f3.Set(Biquad::Kind::BandPass, 2400, 6.0);
        }
        double pitch = 92 - 30 * u + 6 * std::sin(TwoPi * 7 * t) + 4 * random.Signed();
        phase += pitch / SampleRate;
        phase -= std::floor(phase);
        // A sharp glottal pulse rich in harmonics.
        double pulse = std::pow(1.0 - phase, 6.0) - 0.14;
        double gurgle = 0.75 + 0.25 * std::sin(TwoPi * 17 * t + 3 * std::sin(TwoPi * 3 * t));
        double env = std::min(1.0, t / 0.02) * (u < 0.75 ? 1.0 : std::exp(-(u - 0.75) / 0.08));
        double voiced = f1.Process(pulse) * 1.0 + f2.Process(pulse) * 0.6 + f3.Process(pulse) * 0.15;
        out[i] = static_cast<float>(voiced * gurgle * env + 0.02 * random.Signed() * env);
    }
    Normalize(out, 0.85);
    FadeOut(out, 0.03);
    return out;
}

} // namespace soundgen
