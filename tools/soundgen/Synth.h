#pragma once
// The synthesizer's building blocks: band-limited oscillators, envelopes, filters and the instrument voices
// the tunes and effects are made of. Everything renders into float buffers at 44100 Hz; single-threaded.

#include "DataRandom.h"

#include <string>
#include <vector>

namespace soundgen
{

constexpr int SampleRate = 44100;
constexpr double TwoPi = 6.283185307179586;

// Stereo float audio; left and right have the same length.
struct StereoBuffer
{
    std::vector<float> left;
    std::vector<float> right;

    explicit StereoBuffer(size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t Frames() const { return left.size(); }
    // Mixes mono samples in at frame start with a gain and a pan (-1 left .. 1 right, equal power).
    void Add(const std::vector<float>& mono, size_t start, double gain, double pan);
};

double NoteFrequency(int midiNote);

// Polynomial band-limited step: removes most of the aliasing of naive saw and pulse waves.
double PolyBlep(double phase, double increment);

// RBJ biquad filter (low-pass, high-pass, band-pass).
class Biquad
{
public:
    enum class Kind
    {
        LowPass,
        HighPass,
        BandPass
    };
    void Set(Kind kind, double frequency, double q);
    double Process(double x);

private:
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// The voices a score can name. Each renders one note into a mono buffer (its own length, tail included).
enum class Voice
{
    Flute,   // soft triangle with breath and vibrato: gentle leads
    Square,  // filtered pulse: bright leads
    Marimba, // struck bar: arpeggios
    Bass,    // round plucked bass
    Pad,     // slow detuned saws: chords
    Bell,    // glassy bell: sparkles and counter-melodies
    Kick,
    Snare,
    Hat,
    Shaker
};

// False when the name is not a voice.
[[nodiscard]] bool VoiceFromName(const std::string& name, Voice& voice);

// One note: frequency in Hz (ignored by drums), length in seconds (the held part; releases ring on),
// velocity 0 .. 1. The random source varies noise and drift reproducibly.
std::vector<float> RenderNote(Voice voice, double frequency, double length, double velocity,
                              datagen::DataRandom& random);

} // namespace soundgen
