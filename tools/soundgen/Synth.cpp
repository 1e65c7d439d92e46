#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace soundgen
{

void StereoBuffer::Add(const std::vector<float>& mono, size_t start, double gain, double pan)
{
    double angle = (pan + 1.0) * 0.25 * 3.141592653589793;
    float gl = static_cast<float>(gain * std::cos(angle) * 1.41421356);
    float gr = static_cast<float>(gain * std::sin(angle) * 1.41421356);
    size_t n = std::min(mono.size(), start < Frames() ? Frames() - start : 0);
    for (size_t i = 0; i < n; ++i)
    {
        left[start + i] += mono[i] * gl;
        right[start + i] += mono[i] * gr;
    }
}

double NoteFrequency(int midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

double PolyBlep(double t, double dt)
{
    if (t < dt)
    {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt)
    {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

void Biquad::Set(Kind kind, double frequency, double q)
{
    frequency = std::clamp(frequency, 10.0, SampleRate * 0.45);
    double w = TwoPi * frequency / SampleRate;
    double alpha = std::sin(w) / (2.0 * q);
    double c = std::cos(w);
    double a0 = 1.0 + alpha;
    switch (kind)
    {
    case Kind::LowPass:
        b0 = (1 - c) / 2;
        b1 = 1 - c;
        b2 = (1 - c) / 2;
        break;
    case Kind::HighPass:
        b0 = (1 + c) / 2;
        b1 = -(1 + c);
        b2 = (1 + c) / 2;
        break;
    case Kind::BandPass:
        b0 = alpha;
        b1 = 0;
        b2 = -alpha;
        break;
    }
    a1 = -2 * c;
    a2 = 1 - alpha;
    b0 /= a0;
    b1 /= a0;
    b2 /= a0;
    a1 /= a0;
    a2 /= a0;
}

double Biquad::Process(double x)
{
    double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
}

bool VoiceFromName(const std::string& name, Voice& voice)
{
    static const std::map<std::string, Voice> names = {
        {"flute", Voice::Flute}, {"square", Voice::Square}, {"marimba", Voice::Marimba}, {"bass", Voice::Bass},
        {"pad", Voice::Pad},     {"bell", Voice::Bell},     {"kick", Voice::Kick},       {"snare", Voice::Snare},
        {"hat", Voice::Hat},     {"shaker", Voice::Shaker}};
    auto it = names.find(name);
    if (it == names.end())
    {
        return false;
    }
    voice = it->second;
    return true;
}

namespace
{

// Attack, then held at 1, then an exponential release of the given time constant after length.
double Envelope(double t, double attack, double length, double release)
{
    double a = attack > 0 ? std::min(1.0, t / attack) : 1.0;
    if (t <= length)
    {
        return a;
    }
    return a * std::exp(-(t - length) / release);
}

size_t Frames(double seconds)
{
    return static_cast<size_t>(std::max(0.0, seconds) * SampleRate);
}

} // namespace

std::vector<float> RenderNote(Voice voice, double f, double length, double velocity, datagen::DataRandom& random)
{
    std::vector<float> out;
    double inc = f / SampleRate;
    switch (voice)
    {
    case Voice::Flute:
    {
        out.resize(Frames(length + 0.6));
        double phase = 0;
        Biquad breath;
        breath.Set(Biquad::Kind::BandPass, f * 2, 1.5);
        for (size_t i = 0; i < out.size(); ++i)
        {
            double t = double(i) / SampleRate;
            // Vibrato eases in after the attack.
            double vib = 1.0 + 0.004 * std::min(1.0, std::max(0.0, (t - 0.15) * 4)) * std::sin(TwoPi * 5.2 * t);
            phase += inc * vib;
            phase -= std::floor(phase);
            double tri = 1.0 - 4.0 * std::fabs(phase - 0.5);
            double s = 0.8 * tri + 0.25 * std::sin(TwoPi * phase * 2) + 0.04 * breath.Process(random.Signed());
            out[i] = static_cast<float>(s * Envelope(t, 0.035, length, 0.09) * velocity);
        }
        break;
    }
    case Voice::Square:
    {
        out.resize(Frames(length + 0.5));
        double phase = 0;
        Biquad tone;
        tone.Set(Biquad::Kind::LowPass, std::min(4200.0, f * 5), 0.8);
        for (size_t i = 0; i < out.size(); ++i)
        {
            double t = double(i) / SampleRate;
            phase += inc * (1.0 + 0.003 * std::sin(TwoPi * 5.5 * t));
            phase -= std::floor(phase);
            // Pulse of 30 % duty from two band-limited saws.
            double p2 = phase + 0.3 - std::floor(phase + 0.3);
            double saw1 = 2 * phase - 1 - PolyBlep(phase, inc);
            double saw2 = 2 * p2 - 1 - PolyBlep(p2, inc);
            double pulse = 0.5 * (saw1 - saw2);
            double decay = 0.7 + 0.3 * std::exp(-t / 0.12);
            out[i] = static_cast<float>(tone.Process(pulse) * decay * Envelope(t, 0.006, length, 0.06) * velocity);
        }
        break;
    }
    case Voice::Marimba:
    {
        out.resize(Frames(0.9));
        for (size_t i = 0; i < out.size(); ++i)
        {
            double t = double(i) / SampleRate;
            double body = std::sin(TwoPi * f * t) * std::exp(-t / 0.28);
            double over = 0.35 * std::sin(TwoPi * f * 3.98 * t) * std::exp(-t / 0.05);
            double click = 0.15 * std::sin(TwoPi * f * 9.2 * t) * std::exp(-t / 0.008);
            out[i] = static_cast<float>((body + over + click) * std::min(1.0, t / 0.002) * velocity);
        }
        break;
    }
    case Voice::Bass:
    {
        out.resize(Frames(length + 0.3));
        double phase = 0;
        Biquad tone;
        tone.Set(Biquad::Kind::LowPass, 900, 0.7);
        for (size_t i = 0; i < out.size(); ++i)
        {
            double t = double(i) / SampleRate;
            phase += inc;
            phase -= std::floor(phase);
            double tri = 1.0 - 4.0 * std::fabs(phase - 0.5);
            double s = 0.75 * std::sin(TwoPi * phase) + 0.35 * tri;
            double pluck = 0.55 + 0.45 * std::exp(-t / 0.15);
            out[i] = static_cast<float>(tone.Process(s) * pluck * Envelope(t, 0.004, length, 0.05) * velocity);
        }
        break;
    }
    case Voice::Pad:
    {
        out.resize(Frames(length + 0.8));
        double phases[3] = {random.Unit(), random.Unit(), random.Unit()};
        const double detune[3] = {0.996, 1.0, 1.0045};
        Biquad tone;
        tone.Set(Biquad::Kind::LowPass, 1400, 0.6);
        for (size_t i = 0; i < out.size(); ++i)
        {
            double t = double(i) / SampleRate;
            double s = 0;
            for (int k = 0; k < 3; ++k)
            {
                double dk = inc * detune[k];
                phases[k] += dk;
                phases[k] -= std::floor(phases[k]);
                s += 2 * phases[k] - 1 - PolyBlep(phases[k], dk);
            }
            out[i] = static_cast<float>(tone.Process(s / 3) * Envelope(t, 0.25, length, 0.3) * velocity);
        }
        break;
    }
    case Voice::Bell:
    {
        out.resize(Frames(1.6));
        for (size_t i = 0; i < out.size(); ++i)
        {
            double t = double(i) / SampleRate;
            // Inharmonic partials decaying at different rates: a small glass bell.
            double s = std::sin(TwoPi * f * t) * std::exp(-t / 0.6) +
                       0.4 * std::sin(TwoPi * f * 2.76 * t) * std::exp(-t / 0.25) +
                       0.2 * std::sin(TwoPi * f * 5.4 * t) * std::exp(-t / 0.1);
            out[i] = static_cast<float>(s * std::min(1.0, t / 0.002) * velocity * 0.7);
        }
        break;
    }
    case Voice::Kick:
    {
        out.resize(Frames(0.35));
        double phase = 0;
        for (size_t i = 0; i < out.size(); ++i)
        {
            double t = double(i) / SampleRate;
            double freq = 45 + 85 * std::exp(-t / 0.03);
            phase += freq / SampleRate;
            out[i] = static_cast<float>(std::sin(TwoPi * phase) * std::exp(-t / 0.12) * velocity);
        }
        break;
    }
    case Voice::Snare:
    {
        out.resize(Frames(0.3));
        Biquad noise;
        noise.Set(Biquad::Kind::HighPass, 1200, 0.7);
        for (size_t i = 0; i < out.size(); ++i)
        {
            double t = double(i) / SampleRate;
            double s = 0.7 * noise.Process(random.Signed()) * std::exp(-t / 0.07) +
                       0.5 * std::sin(TwoPi * 185 * t) * std::exp(-t / 0.04);
            out[i] = static_cast<float>(s * velocity);
        }
        break;
    }
    case Voice::Hat:
    case Voice::Shaker:
    {
        bool hat = voice == Voice::Hat;
        out.resize(Frames(hat ? 0.08 : 0.12));
        Biquad noise;
        noise.Set(Biquad::Kind::HighPass, hat ? 7000 : 4500, 0.7);
        for (size_t i = 0; i < out.size(); ++i)
        {
            double t = double(i) / SampleRate;
            double env = hat ? std::exp(-t / 0.018) : std::min(1.0, t / 0.02) * std::exp(-t / 0.035);
            out[i] = static_cast<float>(noise.Process(random.Signed()) * env * velocity * 0.6);
        }
        break;
    }
    }
    return out;
}

} // namespace soundgen
