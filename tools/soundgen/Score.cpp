#include "Score.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace soundgen
{

namespace
{

constexpr int EighthsPerBar = 8;

int PitchClass(char letter)
{
    static const int classes[7] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
    return classes[letter - 'a'];
}

// "c5", "f#4", "bb3" -> MIDI note; -1 for "r"; -2 when malformed.
int ParsePitch(const std::string& text)
{
    if (text == "r")
    {
        return -1;
    }
    if (text.size() < 2 || text[0] < 'a' || text[0] > 'g')
    {
        return -2;
    }
    int pc = PitchClass(text[0]);
    size_t i = 1;
    if (text[i] == '#')
    {
        ++pc;
        ++i;
    }
    else if (text[i] == 'b' && i + 1 < text.size())
    {
        --pc;
        ++i;
    }
    if (i + 1 != text.size() || text[i] < '0' || text[i] > '8')
    {
        return -2;
    }
    return (text[i] - '0' + 1) * 12 + pc;
}

bool ParseMelody(std::istringstream& words, std::vector<ScoreNote>& notes, std::string& error)
{
    std::string token;
    int barLength = 0;
    int bar = 1;
    while (words >> token)
    {
        if (token == "|")
        {
            if (barLength != EighthsPerBar)
            {
                error = "bar " + std::to_string(bar) + " lasts " + std::to_string(barLength) + " eighths, not 8";
                return false;
            }
            barLength = 0;
            ++bar;
            continue;
        }
        size_t colon = token.find(':');
        ScoreNote note;
        note.midi = ParsePitch(token.substr(0, colon));
        note.eighths = colon == std::string::npos ? 1 : std::atoi(token.c_str() + colon + 1);
        if (note.midi == -2 || note.eighths < 1 || note.eighths > 64)
        {
            error = "bad note '" + token + "'";
            return false;
        }
        barLength += note.eighths;
        notes.push_back(note);
    }
    if (barLength != 0 && barLength != EighthsPerBar)
    {
        error = "last bar lasts " + std::to_string(barLength) + " eighths, not 8";
        return false;
    }
    return true;
}

int Total(const std::vector<ScoreNote>& notes)
{
    int total = 0;
    for (const ScoreNote& n : notes)
    {
        total += n.eighths;
    }
    return total;
}

} // namespace

bool ChordNotes(const std::string& name, int octave, std::vector<int>& notes)
{
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
    {
        return false;
    }
    int root = PitchClass(static_cast<char>(name[0] - 'A' + 'a'));
    size_t i = 1;
    if (i < name.size() && (name[i] == '#' || name[i] == 'b'))
    {
        root += name[i] == '#' ? 1 : -1;
        ++i;
    }
    std::string quality = name.substr(i);
    std::vector<int> intervals;
    if (quality.empty())
        intervals = {0, 4, 7};
    else if (quality == "m")
        intervals = {0, 3, 7};
    else if (quality == "7")
        intervals = {0, 4, 7, 10};
    else if (quality == "maj7")
        intervals = {0, 4, 7, 11};
    else if (quality == "m7")
        intervals = {0, 3, 7, 10};
    else if (quality == "sus4")
        intervals = {0, 5, 7};
    else if (quality == "dim")
        intervals = {0, 3, 6};
    else
        return false;
    notes.clear();
    int base = (octave + 1) * 12 + ((root + 12) % 12);
    for (int interval : intervals)
    {
        notes.push_back(base + interval);
    }
    return true;
}

bool Score::Load(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    if (!in)
    {
        error = "cannot open " + path;
        return false;
    }
    std::string line;
    int number = 0;
    ScoreSection* current = nullptr;
    auto fail = [&](const std::string& message)
    {
        error = path + ":" + std::to_string(number) + ": " + message;
        return false;
    };
    while (std::getline(in, line))
    {
        ++number;
        // A line whose first word starts with '#' is a comment ('#' inside a line is a sharp).
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || keyword[0] == '#')
        {
            continue;
        }
        if (keyword == "tempo")
        {
            words >> tempo;
            if (!words || tempo < 40 || tempo > 240)
                return fail("tempo must be 40 .. 240");
        }
        else if (keyword == "swing")
        {
            words >> swing;
            if (!words || swing < 0 || swing > 0.5)
                return fail("swing must be 0 .. 0.5");
        }
        else if (keyword == "echo")
        {
            words >> echoBeats >> echoFeedback;
            if (!words || echoBeats <= 0 || echoFeedback < 0 || echoFeedback > 0.8)
                return fail("echo takes beats > 0 and feedback 0 .. 0.8");
        }
        else if (keyword == "part")
        {
            ScorePart p;
            std::string voice;
            words >> p.name >> voice >> p.gain >> p.pan >> p.echo;
            if (!words || !VoiceFromName(voice, p.voice))
                return fail("part takes: name voice gain pan echo");
            parts.push_back(p);
        }
        else if (keyword == "section")
        {
            sections.emplace_back();
            current = &sections.back();
            words >> current->name;
        }
        else if (keyword == "play")
        {
            std::string name;
            while (words >> name)
            {
                order.push_back(name);
            }
        }
        else if (!current)
        {
            return fail("'" + keyword + "' outside a section");
        }
        else if (keyword == "chords")
        {
            std::string bar;
            while (words >> bar)
            {
                std::vector<std::string> names;
                std::stringstream split(bar);
                std::string chord;
                while (std::getline(split, chord, ','))
                {
                    std::vector<int> notes;
                    if (!ChordNotes(chord, 3, notes))
                        return fail("unknown chord '" + chord + "'");
                    names.push_back(chord);
                }
                if (names.empty() || names.size() > 2)
                    return fail("a bar holds one or two chords");
                current->chords.push_back(names);
            }
        }
        else if (keyword == "melody" || keyword == "counter")
        {
            std::string message;
            if (!ParseMelody(words, keyword == "melody" ? current->melody : current->counter, message))
                return fail(message);
        }
        else if (keyword == "use")
        {
            std::string name;
            while (words >> name)
            {
                current->parts.push_back(name);
            }
        }
        else if (keyword == "drums")
        {
            words >> current->drums;
            if (current->drums != "full" && current->drums != "light" && current->drums != "none")
                return fail("drums are full, light or none");
        }
        else
        {
            return fail("unknown keyword '" + keyword + "'");
        }
    }
    for (const ScoreSection& s : sections)
    {
        int bars = static_cast<int>(s.chords.size());
        for (const auto* melody : {&s.melody, &s.counter})
        {
            if (!melody->empty() && Total(*melody) != bars * EighthsPerBar)
            {
                error = path + ": section " + s.name + ": melody and chords differ in length";
                return false;
            }
        }
    }
    for (const std::string& name : order)
    {
        if (std::none_of(sections.begin(), sections.end(), [&](const ScoreSection& s) { return s.name == name; }))
        {
            error = path + ": 'play' names unknown section " + name;
            return false;
        }
    }
    if (order.empty())
    {
        error = path + ": nothing to play";
        return false;
    }
    return true;
}

const ScorePart* Score::Part(const std::string& name) const
{
    for (const ScorePart& p : parts)
    {
        if (p.name == name)
        {
            return &p;
        }
    }
    return nullptr;
}

double Score::TimeOfEighth(double eighth) const
{
    // Off-beat eighths come late by the swing share of an eighth.
    double whole = std::floor(eighth);
    double offbeat = (static_cast<long>(whole) % 2 == 1) ? swing : 0.0;
    return (eighth + offbeat) * EighthSeconds();
}

double Score::LengthSeconds() const
{
    double bars = 0;
    for (const std::string& name : order)
    {
        for (const ScoreSection& s : sections)
        {
            if (s.name == name)
            {
                bars += static_cast<double>(s.chords.size());
            }
        }
    }
    return bars * EighthsPerBar * EighthSeconds();
}

void Score::PlayNote(const std::string& partName, int midi, double start, double eighths, double velocity,
                     StereoBuffer& dry, StereoBuffer& send, datagen::DataRandom& random) const
{
    const ScorePart* part = Part(partName);
    if (!part)
    {
        return;
    }
    double length = eighths * EighthSeconds() * 0.92;
    std::vector<float> note = RenderNote(part->voice, NoteFrequency(midi), length, velocity, random);
    size_t frame = static_cast<size_t>(start * SampleRate);
    dry.Add(note, frame, part->gain, part->pan);
    if (part->echo > 0)
    {
        send.Add(note, frame, part->gain * part->echo, part->pan);
    }
}

void Score::RenderSection(const ScoreSection& s, double t0, StereoBuffer& dry, StereoBuffer& send,
                          datagen::DataRandom& random) const
{
    auto uses = [&](const char* name) { return std::find(s.parts.begin(), s.parts.end(), name) != s.parts.end(); };
    auto human = [&](double v) { return v * (0.92 + 0.08 * random.Unit()); };
    auto at = [&](double eighthInSection) { return t0 + TimeOfEighth(eighthInSection); };

    for (const auto* melody : {&s.melody, &s.counter})
    {
        const char* part = melody == &s.melody ? "lead" : "counter";
        double pos = 0;
        for (const ScoreNote& n : *melody)
        {
            if (n.midi >= 0)
            {
                // Accent the downbeats a little.
                double v = (static_cast<int>(pos) % 4 == 0) ? 1.0 : 0.85;
                PlayNote(part, n.midi, at(pos), n.eighths, human(v), dry, send, random);
            }
            pos += n.eighths;
        }
    }

    for (size_t bar = 0; bar < s.chords.size(); ++bar)
    {
        const auto& names = s.chords[bar];
        for (size_t half = 0; half < names.size(); ++half)
        {
            int span = EighthsPerBar / static_cast<int>(names.size());
            double first = static_cast<double>(bar * EighthsPerBar + half * span);
            std::vector<int> bass;
            std::vector<int> chord;
            std::vector<int> arp;
            if (!ChordNotes(names[half], 2, bass) || !ChordNotes(names[half], 4, chord) ||
                !ChordNotes(names[half], 4, arp))
            {
                continue;
            }
            // Chords voiced round middle C: notes above G4 drop an octave.
            for (int& n : chord)
            {
                if (n > 67)
                    n -= 12;
            }
            std::sort(chord.begin(), chord.end());
            if (uses("pad"))
            {
                for (int n : chord)
                {
                    PlayNote("pad", n, at(first), span, 0.9, dry, send, random);
                }
            }
            if (uses("bass"))
            {
                int root = bass[0] < 40 ? bass[0] + 12 : bass[0];
                int fifth = root + 7;
                if (span == 8)
                {
                    // Root, fifth, root, octave: a bouncing line.
                    const int notes[4] = {root, fifth - 12, root, root + 12};
                    const double when[4] = {0, 3, 4, 6};
                    const double lengths[4] = {2.5, 1, 2, 1.5};
                    for (int i = 0; i < 4; ++i)
                    {
                        PlayNote("bass", notes[i], at(first + when[i]), lengths[i], human(i == 0 ? 1.0 : 0.8), dry,
                                 send, random);
                    }
                }
                else
                {
                    PlayNote("bass", root, at(first), 2.5, human(1.0), dry, send, random);
                    PlayNote("bass", fifth - 12, at(first + 2), 1.5, human(0.8), dry, send, random);
                }
            }
            if (uses("arp"))
            {
                // Up and down through the chord with the octave on top.
                std::vector<int> tones = arp;
                tones.resize(3);
                tones.push_back(arp[0] + 12);
                const int pattern[8] = {0, 1, 2, 3, 2, 1, 2, 1};
                for (int i = 0; i < span; ++i)
                {
                    int idx = pattern[(static_cast<int>(first) + i) % 8];
                    PlayNote("arp", tones[static_cast<size_t>(idx)], at(first + i), 1, human(i % 2 ? 0.7 : 0.95), dry,
                             send, random);
                }
            }
        }
        if (s.drums != "none")
        {
            double b = static_cast<double>(bar * EighthsPerBar);
            bool full = s.drums == "full";
            for (int i = 0; i < EighthsPerBar; ++i)
            {
                if (i == 0 || i == 4 || (full && i == 7 && bar % 2 == 1))
                {
                    PlayNote("kick", 36, at(b + i), 1, human(1.0), dry, send, random);
                }
                if (full && (i == 2 || i == 6))
                {
                    PlayNote("snare", 38, at(b + i), 1, human(0.9), dry, send, random);
                }
                if (full)
                {
                    PlayNote("hat", 42, at(b + i), 1, human(i % 2 ? 0.9 : 0.55), dry, send, random);
                }
                else if (i % 2 == 1)
                {
                    PlayNote("shaker", 42, at(b + i), 1, human(0.8), dry, send, random);
                }
            }
        }
    }
}

StereoBuffer Score::Render() const
{
    double length = LengthSeconds();
    const double tail = 3.0;
    size_t loopFrames = static_cast<size_t>(length * SampleRate);
    StereoBuffer dry(loopFrames + static_cast<size_t>(tail * SampleRate));
    StereoBuffer send(dry.Frames());
    datagen::DataRandom random(0x5EED0000ull + static_cast<uint64_t>(tempo));

    double t = 0;
    for (const std::string& name : order)
    {
        for (const ScoreSection& s : sections)
        {
            if (s.name == name)
            {
                RenderSection(s, t, dry, send, random);
                t += static_cast<double>(s.chords.size()) * EighthsPerBar * EighthSeconds();
            }
        }
    }

    // Ping-pong echo on the send, mixed back in.
    size_t delay = static_cast<size_t>(echoBeats * 2 * EighthSeconds() * SampleRate);
    std::vector<float> bufL(delay, 0.0f);
    std::vector<float> bufR(delay, 0.0f);
    size_t pos = 0;
    for (size_t i = 0; i < dry.Frames(); ++i)
    {
        float echoL = bufL[pos];
        float echoR = bufR[pos];
        bufL[pos] = static_cast<float>(send.left[i] + echoR * echoFeedback);
        bufR[pos] = static_cast<float>(send.right[i] + echoL * echoFeedback);
        pos = (pos + 1) % delay;
        dry.left[i] += echoL;
        dry.right[i] += echoR;
    }

    // Fold everything that rings past the end back onto the start: the loop point is then seamless.
    StereoBuffer out(loopFrames);
    for (size_t i = 0; i < dry.Frames(); ++i)
    {
        out.left[i % loopFrames] += dry.left[i];
        out.right[i % loopFrames] += dry.right[i];
    }
    return out;
}

} // namespace soundgen
