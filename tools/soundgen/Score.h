#pragma once
// A tune's score (a text file in content/music) and the arranger that plays it: the melody is written
// out note by note, bass, chords, arpeggios and drums are generated from each bar's chords. Single-threaded.

#include "Synth.h"

#include <string>
#include <vector>

namespace soundgen
{

struct ScorePart
{
    std::string name;
    Voice voice = Voice::Flute;
    double gain = 0.2;
    double pan = 0.0;
    double echo = 0.0; // share sent to the echo
};

struct ScoreNote
{
    int midi = -1; // -1 is a rest
    int eighths = 1;
};

struct ScoreSection
{
    std::string name;
    std::vector<std::vector<std::string>> chords; // per bar, one or two chord names
    std::vector<ScoreNote> melody;
    std::vector<ScoreNote> counter;
    std::vector<std::string> parts; // generated parts that play: bass, pad, arp, drums
    std::string drums = "full";     // full, light or none
};

class Score
{
public:
    // Reads a score; false with "file:line: message" in error.
    [[nodiscard]] bool Load(const std::string& path, std::string& error);
    // Renders one pass of the arrangement, its tail folded onto its start so the tune loops seamlessly.
    [[nodiscard]] StereoBuffer Render() const;
    double LengthSeconds() const;

private:
    const ScorePart* Part(const std::string& name) const;
    void RenderSection(const ScoreSection& s, double startSeconds, StereoBuffer& dry, StereoBuffer& send,
                       datagen::DataRandom& random) const;
    void PlayNote(const std::string& part, int midi, double start, double eighths, double velocity, StereoBuffer& dry,
                  StereoBuffer& send, datagen::DataRandom& random) const;
    double EighthSeconds() const { return 30.0 / tempo; }
    double TimeOfEighth(double eighth) const;

    double tempo = 100;
    double swing = 0.0;
    double echoBeats = 0.75;
    double echoFeedback = 0.3;
    std::vector<ScorePart> parts;
    std::vector<ScoreSection> sections;
    std::vector<std::string> order;
};

// Parses a chord name (C, Am, G7, Fmaj7, Dm7, Bb, F#m, Csus4, Bdim) into the MIDI notes of its root
// position triad or seventh from the given root octave; false when the name is not a chord.
[[nodiscard]] bool ChordNotes(const std::string& name, int octave, std::vector<int>& notes);

} // namespace soundgen
