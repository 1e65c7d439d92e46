#include "audio/FModMusicInterface.h"

#include "audio/FModLibrary.h"
#include "audio/SoundCache.h"
#include "audio/WaveFile.h"
#include "platform/Log.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

namespace zest
{

using song::ClampUnit;
using song::FiniteOrZero;
using song::LowerExtension;

std::string FModMusicInterface::CheckFunctions(const FModFunctions& f)
{
    const struct
    {
        const char* name;
        bool present;
    } required[] = {
        {"_FSOUND_SetBufferSize@4", f.FSOUND_SetBufferSize != nullptr},
        {"_FSOUND_SetHWND@4", f.FSOUND_SetHWND != nullptr},
        {"_FSOUND_Init@12", f.FSOUND_Init != nullptr},
        {"_FSOUND_Close@0", f.FSOUND_Close != nullptr},
        {"_FSOUND_Sample_Load@16", f.FSOUND_Sample_Load != nullptr},
        {"_FSOUND_Sample_Free@4", f.FSOUND_Sample_Free != nullptr},
        {"_FSOUND_Sample_Lock@28", f.FSOUND_Sample_Lock != nullptr},
        {"_FSOUND_Sample_Unlock@20", f.FSOUND_Sample_Unlock != nullptr},
        {"_FSOUND_Sample_GetLength@4", f.FSOUND_Sample_GetLength != nullptr},
        {"_FSOUND_Sample_GetDefaults@20", f.FSOUND_Sample_GetDefaults != nullptr},
        {"_FSOUND_Sample_GetMode@4", f.FSOUND_Sample_GetMode != nullptr},
        {"_FSOUND_PlaySound@8", f.FSOUND_PlaySound != nullptr},
        {"_FSOUND_StopSound@4", f.FSOUND_StopSound != nullptr},
        {"_FSOUND_SetVolume@8", f.FSOUND_SetVolume != nullptr},
        {"_FSOUND_SetPaused@8", f.FSOUND_SetPaused != nullptr},
        {"_FSOUND_SetLoopMode@8", f.FSOUND_SetLoopMode != nullptr},
        {"_FSOUND_IsPlaying@4", f.FSOUND_IsPlaying != nullptr},
        {"_FMUSIC_LoadSong@4", f.FMUSIC_LoadSong != nullptr},
        {"_FMUSIC_PlaySong@4", f.FMUSIC_PlaySong != nullptr},
        {"_FMUSIC_StopSong@4", f.FMUSIC_StopSong != nullptr},
        {"_FMUSIC_SetLooping@8", f.FMUSIC_SetLooping != nullptr},
        {"_FMUSIC_SetOrder@8", f.FMUSIC_SetOrder != nullptr},
        {"_FMUSIC_SetPaused@8", f.FMUSIC_SetPaused != nullptr},
        {"_FMUSIC_SetMasterVolume@8", f.FMUSIC_SetMasterVolume != nullptr},
        {"_FMUSIC_IsPlaying@4", f.FMUSIC_IsPlaying != nullptr},
    };
    for (const auto& entry : required)
    {
        if (!entry.present)
            return std::string(entry.name) + " function not found in fmod.dll";
    }
    return {};
}

std::optional<MixerSamples> FModMusicInterface::ReadSample(const FModFunctions& f, FSoundSample* sample)
{
    const unsigned mode = f.FSOUND_Sample_GetMode(sample);
    const int channels = (mode & fmod::Mono) ? 1 : 2;
    const int bits = (mode & fmod::Bits8) ? 8 : 16;
    int frequency = 0;
    if (f.FSOUND_Sample_GetDefaults(sample, &frequency, nullptr, nullptr, nullptr) == 0 || frequency < 1 ||
        frequency > 192000)
        return std::nullopt;
    const uint64_t bytes = uint64_t(f.FSOUND_Sample_GetLength(sample)) * uint64_t(channels * bits / 8);
    if (bytes == 0 || bytes > 0x7FFFFFFF)
        return std::nullopt;
    void* first = nullptr;
    void* second = nullptr;
    unsigned firstLength = 0;
    unsigned secondLength = 0;
    if (f.FSOUND_Sample_Lock(sample, 0, int(bytes), &first, &second, &firstLength, &secondLength) == 0)
        return std::nullopt;
    std::vector<uint8_t> data;
    data.reserve(size_t(bytes));
    if (first != nullptr)
        data.insert(data.end(), static_cast<uint8_t*>(first), static_cast<uint8_t*>(first) + firstLength);
    if (second != nullptr)
        data.insert(data.end(), static_cast<uint8_t*>(second), static_cast<uint8_t*>(second) + secondLength);
    f.FSOUND_Sample_Unlock(sample, first, second, firstLength, secondLength);
    if (data.size() != bytes)
        return std::nullopt;
    MixerSamples samples;
    samples.channels = channels;
    samples.sampleRate = frequency;
    if (bits == 8)
    {
        samples.samples.reserve(data.size());
        for (uint8_t b : data)
            samples.samples.push_back(int16_t((int(b) - 128) * 256));
    }
    else
    {
        samples.samples.resize(data.size() / 2);
        std::memcpy(samples.samples.data(), data.data(), samples.samples.size() * 2);
    }
    return samples;
}

FModMusicInterface::FModMusicInterface(std::shared_ptr<const FModFunctions> functions, void* window)
    : fmod(std::move(functions))
{
    if (!fmod)
    {
        Log(LogLevel::Error, "Can't find fmod.dll.");
        return;
    }
    const std::string missing = CheckFunctions(*fmod);
    if (!missing.empty())
    {
        Log(LogLevel::Error, missing);
        return;
    }
    usable = true;
    fmod->FSOUND_SetHWND(window);
    fmod->FSOUND_SetBufferSize(200);
    fmod->FSOUND_Init(44100, 64, 0);
}

FModMusicInterface::FModMusicInterface(std::shared_ptr<Mixer> mixer) : FModMusicInterface(FModLibrary::Load(mixer))
{
}

FModMusicInterface::~FModMusicInterface()
{
    if (!usable)
        return;
    UnloadAllMusic();
    fmod->FSOUND_Close();
}

FModMusicInterface::MusicInfo* FModMusicInterface::Find(int id)
{
    return songs.Find(id);
}

const FModMusicInterface::MusicInfo* FModMusicInterface::FindMusic(int id) const
{
    return songs.Find(id);
}

int FModMusicInterface::LiveChannel(MusicInfo& info)
{
    if (info.channel < 0)
        return -1;
    // Without the sample query a paused channel is still ours, and one that plays is
    // taken for ours (it may have been taken over since; the query tells for sure).
    const bool ours = fmod->FSOUND_GetCurrentSample != nullptr
                          ? fmod->FSOUND_GetCurrentSample(info.channel) == info.sample
                          : info.paused || fmod->FSOUND_IsPlaying(info.channel) != 0;
    if (!ours)
    {
        info.channel = -1;
        info.paused = false;
    }
    return info.channel;
}

FSoundSample* FModMusicInterface::LoadSampledTune(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    const std::string baseName = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    const std::optional<std::filesystem::path> cachePath = SoundCache::PathFor(baseName);
    if (cachePath)
    {
        if (FSoundSample* cached = fmod->FSOUND_Sample_Load(fmod::Unmanaged, cachePath->c_str(), 0, 0, 0))
            return cached;
    }
    FSoundSample* sample = fmod->FSOUND_Sample_Load(fmod::Unmanaged, fileName.c_str(), 0, 0, 0);
    if (sample == nullptr || !cachePath)
        return sample;
    // The cache records the source's time like the sound cache, so an updated tune is
    // decoded again instead of the old one playing forever.
    const std::optional<uint64_t> sourceTime = SoundCache::SourceFileTime(fileName);
    const std::optional<MixerSamples> samples = ReadSample(*fmod, sample);
    if (!sourceTime || !samples || !WaveFile::WriteCache(*cachePath, *samples, fileName, *sourceTime))
        Logf(LogLevel::Info, "Music cache not written: %s", cachePath->c_str());
    return sample;
}

bool FModMusicInterface::LoadMusic(int id, const std::string& fileName)
{
    if (!usable)
        return false;
    const std::string extension = LowerExtension(fileName);
    MusicInfo info;
    if (extension == "wav" || extension == "ogg" || extension == "mp3")
        info.sample = LoadSampledTune(fileName);
    else
        info.module = fmod->FMUSIC_LoadSong(fileName.c_str());
    if (info.sample == nullptr && info.module == nullptr)
        return false;
    UnloadMusic(id);
    songs.byId[id] = info;
    return true;
}

void FModMusicInterface::SetChannelVolume(MusicInfo& info)
{
    const double volume = info.volume * globalVolume;
    if (info.module != nullptr)
        fmod->FMUSIC_SetMasterVolume(info.module, int(volume * info.amplify * 256));
    else if (LiveChannel(info) >= 0)
        fmod->FSOUND_SetVolume(info.channel, int(volume * 255));
}

void FModMusicInterface::Halt(MusicInfo& info)
{
    if (info.module != nullptr)
        fmod->FMUSIC_StopSong(info.module);
    else if (LiveChannel(info) >= 0)
        fmod->FSOUND_StopSound(info.channel);
    info.paused = false;
}

void FModMusicInterface::SetPaused(MusicInfo& info, bool paused)
{
    if (info.module != nullptr)
        fmod->FMUSIC_SetPaused(info.module, paused ? 1 : 0);
    else if (LiveChannel(info) >= 0)
        fmod->FSOUND_SetPaused(info.channel, paused ? 1 : 0);
    else
        return; // nothing plays: nothing to pause or resume
    info.paused = paused;
}

void FModMusicInterface::Start(MusicInfo& info, int offset, bool noLoop)
{
    if (info.module != nullptr)
    {
        fmod->FMUSIC_SetLooping(info.module, noLoop ? 0 : 1);
        SetChannelVolume(info);
        fmod->FMUSIC_PlaySong(info.module);
        if (offset > 0)
            fmod->FMUSIC_SetOrder(info.module, offset);
        return;
    }
    // Started paused where the library allows, so the first block already has the
    // right volume.
    info.channel = fmod->FSOUND_PlaySoundEx != nullptr
                       ? fmod->FSOUND_PlaySoundEx(fmod::Free, info.sample, nullptr, 1)
                       : fmod->FSOUND_PlaySound(fmod::Free, info.sample);
    if (info.channel < 0)
        return;
    fmod->FSOUND_SetLoopMode(info.channel, noLoop ? fmod::LoopOff : fmod::LoopNormal);
    SetChannelVolume(info);
    if (fmod->FSOUND_PlaySoundEx != nullptr)
        fmod->FSOUND_SetPaused(info.channel, 0);
}

void FModMusicInterface::PlayMusic(int id, int offset, bool noLoop)
{
    MusicInfo* info = Find(id);
    if (info == nullptr)
        return;
    info->volume = info->volumeCap;
    info->volumeAdd = 0.0;
    info->stopOnFade = noLoop;
    Halt(*info);
    Start(*info, offset, noLoop);
}

void FModMusicInterface::StopMusic(int id)
{
    MusicInfo* info = Find(id);
    if (info == nullptr)
        return;
    info->volume = 0.0;
    Halt(*info);
}

void FModMusicInterface::PauseMusic(int id)
{
    MusicInfo* info = Find(id);
    if (info != nullptr && IsPlaying(id))
        SetPaused(*info, true);
}

void FModMusicInterface::ResumeMusic(int id)
{
    MusicInfo* info = Find(id);
    if (info != nullptr && info->paused)
        SetPaused(*info, false);
}

void FModMusicInterface::StopAllMusic()
{
    for (auto& [id, info] : songs.byId)
    {
        info.volume = 0.0;
        Halt(info);
    }
}

void FModMusicInterface::UnloadMusic(int id)
{
    MusicInfo* info = Find(id);
    if (info == nullptr)
        return;
    StopMusic(id);
    if (info->sample != nullptr)
        fmod->FSOUND_Sample_Free(info->sample);
    else if (fmod->FMUSIC_FreeSong != nullptr)
        fmod->FMUSIC_FreeSong(info->module);
    songs.byId.erase(id);
}

void FModMusicInterface::UnloadAllMusic()
{
    while (!songs.byId.empty())
        UnloadMusic(songs.byId.begin()->first);
}

void FModMusicInterface::PauseAllMusic()
{
    for (auto& [id, info] : songs.byId)
    {
        if (IsPlaying(id))
            SetPaused(info, true);
    }
}

void FModMusicInterface::ResumeAllMusic()
{
    for (auto& [id, info] : songs.byId)
    {
        if (info.paused)
            SetPaused(info, false);
    }
}

void FModMusicInterface::FadeIn(int id, int offset, double speed, bool noLoop)
{
    MusicInfo* info = Find(id);
    if (info == nullptr)
        return;
    info->volumeAdd = FiniteOrZero(speed);
    info->stopOnFade = noLoop;
    const bool canContinue = offset == -1 && (info->module != nullptr || LiveChannel(*info) >= 0);
    if (canContinue)
    {
        // Continue from where the tune stands, at its current volume.
        SetPaused(*info, true);
        SetChannelVolume(*info);
        if (info->module != nullptr)
            fmod->FMUSIC_SetLooping(info->module, noLoop ? 0 : 1);
        else
            fmod->FSOUND_SetLoopMode(info->channel, noLoop ? fmod::LoopOff : fmod::LoopNormal);
        SetPaused(*info, false);
        return;
    }
    Halt(*info);
    Start(*info, offset, noLoop);
}

void FModMusicInterface::FadeOut(int id, bool stopWhenFaded, double speed)
{
    songs.FadeOut(id, stopWhenFaded, speed);
}

void FModMusicInterface::FadeOutAll(bool stopWhenFaded, double speed)
{
    songs.FadeOutAll(stopWhenFaded, speed);
}

void FModMusicInterface::SetSongVolume(int id, double volume)
{
    if (MusicInfo* info = songs.SetVolume(id, volume))
        SetChannelVolume(*info);
}

void FModMusicInterface::SetSongMaxVolume(int id, double maxVolume)
{
    if (MusicInfo* info = songs.SetMaxVolume(id, maxVolume))
        SetChannelVolume(*info);
}

bool FModMusicInterface::IsPlaying(int id)
{
    MusicInfo* info = Find(id);
    if (info == nullptr || info->paused)
        return false;
    if (info->module != nullptr)
        return fmod->FMUSIC_IsPlaying(info->module) != 0;
    return LiveChannel(*info) >= 0 && fmod->FSOUND_IsPlaying(info->channel) != 0;
}

void FModMusicInterface::SetVolume(double volume)
{
    globalVolume = ClampUnit(volume);
    for (auto& [id, info] : songs.byId)
        SetChannelVolume(info);
}

void FModMusicInterface::SetMusicAmplify(int id, double amplify)
{
    MusicInfo* info = Find(id);
    if (info == nullptr)
        return;
    info->amplify = ClampUnit(amplify);
    SetChannelVolume(*info);
}

void FModMusicInterface::Update()
{
    // Tunes that ended let go of their channels.
    for (auto& [id, info] : songs.byId)
        (void)LiveChannel(info);
    songs.StepFades([this](MusicInfo& info) { SetChannelVolume(info); },
                    [this](MusicInfo& info) { Halt(info); });
}

} // namespace zest
