// soundgen: writes <out>/sounds/{timer,tomato,burp}.ogg from the effect recipes and <out>/music/beetune1.ogg
// and beetune2.ogg from the scores in <content>/music. Usage: soundgen --content DIR --out DIR [--wav DIR]
// (--wav also writes the raw renderings as 16-bit wave files, for listening tests).

#include "OggWriter.h"
#include "OutputFiles.h"
#include "Score.h"
#include "SoundEffects.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

using namespace soundgen;

namespace
{

void WriteLe(std::vector<unsigned char>& b, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
    {
        b.push_back(static_cast<unsigned char>((v >> (8 * i)) & 255));
    }
}

bool WriteWave(const std::string& path, const std::vector<const std::vector<float>*>& channels, std::string& error)
{
    uint32_t count = static_cast<uint32_t>(channels.size());
    uint32_t frames = static_cast<uint32_t>(channels[0]->size());
    std::vector<unsigned char> b;
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    WriteLe(b, 36 + frames * count * 2, 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    WriteLe(b, 16, 4);
    WriteLe(b, 1, 2);
    WriteLe(b, count, 2);
    WriteLe(b, SampleRate, 4);
    WriteLe(b, SampleRate * count * 2, 4);
    WriteLe(b, count * 2, 2);
    WriteLe(b, 16, 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    WriteLe(b, frames * count * 2, 4);
    for (uint32_t i = 0; i < frames; ++i)
    {
        for (uint32_t c = 0; c < count; ++c)
        {
            float s = std::clamp((*channels[c])[i], -1.0f, 1.0f);
            WriteLe(b, static_cast<uint32_t>(static_cast<int16_t>(std::lround(s * 32767.0f))), 2);
        }
    }
    return datagen::WriteFileIfChanged(path, b, error);
}

bool Save(const std::string& outDir, const std::string& wavDir, const std::string& name,
          const std::vector<const std::vector<float>*>& channels, double quality, std::string& error)
{
    std::vector<unsigned char> bytes;
    if (!EncodeOgg(channels, quality, name, bytes, error) ||
        !datagen::WriteFileIfChanged(outDir + "/" + name + ".ogg", bytes, error))
    {
        return false;
    }
    return wavDir.empty() || WriteWave(wavDir + "/" + name.substr(name.find('/') + 1) + ".wav", channels, error);
}

// Scales the tune to a comfortable peak and rounds off the rare overshoot softly.
void Master(StereoBuffer& tune)
{
    float peak = 0;
    for (size_t i = 0; i < tune.Frames(); ++i)
    {
        peak = std::max({peak, std::fabs(tune.left[i]), std::fabs(tune.right[i])});
    }
    float gain = peak > 0 ? 0.8f / peak : 1.0f;
    for (size_t i = 0; i < tune.Frames(); ++i)
    {
        tune.left[i] = std::tanh(tune.left[i] * gain * 1.1f) / 1.1f;
        tune.right[i] = std::tanh(tune.right[i] * gain * 1.1f) / 1.1f;
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::string contentDir;
    std::string outDir;
    std::string wavDir;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        if (std::strcmp(argv[i], "--content") == 0)
            contentDir = argv[i + 1];
        else if (std::strcmp(argv[i], "--out") == 0)
            outDir = argv[i + 1];
        else if (std::strcmp(argv[i], "--wav") == 0)
            wavDir = argv[i + 1];
    }
    if (contentDir.empty() || outDir.empty())
    {
        std::fprintf(stderr, "usage: soundgen --content DIR --out DIR [--wav DIR]\n");
        return 2;
    }
    std::string error;
    bool ok = true;
    struct Effect
    {
        const char* name;
        std::vector<float> (*make)();
    };
    const Effect effects[] = {
        {"sounds/timer", MakeTimerTick}, {"sounds/tomato", MakeTomatoBurst}, {"sounds/burp", MakeBurp}};
    for (const Effect& e : effects)
    {
        std::vector<float> samples = e.make();
        if (!Save(outDir, wavDir, e.name, {&samples}, 0.5, error))
        {
            std::fprintf(stderr, "soundgen: %s: %s\n", e.name, error.c_str());
            ok = false;
        }
    }
    for (const char* tune : {"beetune1", "beetune2"})
    {
        Score score;
        if (!score.Load(contentDir + "/music/" + tune + ".txt", error))
        {
            std::fprintf(stderr, "soundgen: %s\n", error.c_str());
            ok = false;
            continue;
        }
        StereoBuffer music = score.Render();
        Master(music);
        if (!Save(outDir, wavDir, std::string("music/") + tune, {&music.left, &music.right}, 0.3, error))
        {
            std::fprintf(stderr, "soundgen: %s: %s\n", tune, error.c_str());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
