#include "audio/BassMusicInterface.h"

#include "audio/BassLibrary.h"
#include "platform/Log.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace zest
{

using song::ClampUnit;
using song::FiniteOrZero;
using song::LowerExtension;

std::string BassMusicInterface::CheckFunctions(const BassFunctions& f)
{
    const struct
    {
        const char* name;
        bool present;
    } required[] = {
        {"BASS_Init", f.BASS_Init != nullptr},
        {"BASS_Free", f.BASS_Free != nullptr},
        {"BASS_Stop", f.BASS_Stop != nullptr},
        {"BASS_Start", f.BASS_Start != nullptr},
        {"BASS_SetConfig", f.BASS_SetConfig != nullptr},
        {"BASS_ChannelStop", f.BASS_ChannelStop != nullptr},
        {"BASS_ChannelPlay", f.BASS_ChannelPlay != nullptr},
        {"BASS_ChannelPause", f.BASS_ChannelPause != nullptr},
        {"BASS_ChannelSetAttributes", f.BASS_ChannelSetAttributes != nullptr},
        {"BASS_ChannelSetPosition", f.BASS_ChannelSetPosition != nullptr},
        {"BASS_ChannelIsActive", f.BASS_ChannelIsActive != nullptr},
        {"BASS_ChannelSetFlags", f.BASS_ChannelSetFlags != nullptr},
        {"BASS_MusicLoad", f.BASS_MusicLoad != nullptr},
        {"BASS_MusicFree", f.BASS_MusicFree != nullptr},
        {"BASS_MusicSetAttribute", f.BASS_MusicSetAttribute != nullptr},
        {"BASS_StreamCreateFile", f.BASS_StreamCreateFile != nullptr},
        {"BASS_StreamFree", f.BASS_StreamFree != nullptr},
    };
    for (const auto& entry : required)
    {
        if (!entry.present)
            return std::string(entry.name) + " function not found in bass.dll";
    }
    return {};
}

BassMusicInterface::BassMusicInterface(std::shared_ptr<const BassFunctions> functions, void* window)
    : bass(std::move(functions))
{
    if (!bass)
    {
        Log(LogLevel::Error, "Can't find bass.dll.");
        return;
    }
    const std::string missing = CheckFunctions(*bass);
    if (!missing.empty())
    {
        Log(LogLevel::Error, missing);
        return;
    }
    usable = true;
    bass->BASS_Init(1, 44100, 0, window, nullptr);
    bass->BASS_SetConfig(bass::ConfigBuffer, 2000);
    bass->BASS_Start();
}

BassMusicInterface::BassMusicInterface(std::shared_ptr<Mixer> mixer) : BassMusicInterface(BassLibrary::Load(mixer))
{
}

BassMusicInterface::~BassMusicInterface()
{
    if (!usable)
        return;
    bass->BASS_Stop();
    bass->BASS_Free();
}

BassMusicInterface::MusicInfo* BassMusicInterface::Find(int id)
{
    return songs.Find(id);
}

const BassMusicInterface::MusicInfo* BassMusicInterface::FindMusic(int id) const
{
    return songs.Find(id);
}

void BassMusicInterface::SetChannelVolume(const MusicInfo& info)
{
    // Frequency and pan unchanged.
    bass->BASS_ChannelSetAttributes(info.Handle(), -1, int(info.volume * 100), -101);
}

bool BassMusicInterface::LoadMusic(int id, const std::string& fileName)
{
    if (!usable)
        return false;
    const std::string extension = LowerExtension(fileName);
    MusicInfo info;
    if (extension == "wav" || extension == "ogg" || extension == "mp3")
        info.streamHandle = bass->BASS_StreamCreateFile(0, fileName.c_str(), 0, 0, 0);
    else
        info.musicHandle = bass->BASS_MusicLoad(0, fileName.c_str(), 0, 0, musicLoadFlags, 0);
    if (info.Handle() == 0)
        return false;
    UnloadMusic(id);
    songs.byId[id] = info;
    return true;
}

void BassMusicInterface::StartModule(const MusicInfo& info, int offset, uint32_t flags)
{
    // Order offset, row 0; a negative offset keeps the position.
    if (offset >= 0)
        bass->BASS_ChannelSetPosition(info.musicHandle, bass::MusicPosition + uint32_t(offset));
    bass->BASS_ChannelSetFlags(info.musicHandle, flags);
    bass->BASS_ChannelPlay(info.musicHandle, 0);
}

void BassMusicInterface::StartStream(const MusicInfo& info, int offset, bool noLoop)
{
    bass->BASS_ChannelSetFlags(info.streamHandle, noLoop ? 0 : bass::SampleLoop);
    bass->BASS_ChannelPlay(info.streamHandle, offset != -1);
    if (offset >= 1)
        bass->BASS_ChannelSetPosition(info.streamHandle, uint64_t(offset));
}

void BassMusicInterface::PlayMusic(int id, int offset, bool noLoop)
{
    MusicInfo* info = Find(id);
    if (info == nullptr)
        return;
    info->volume = info->volumeCap;
    info->volumeAdd = 0.0;
    info->stopOnFade = noLoop;
    SetChannelVolume(*info);
    bass->BASS_ChannelStop(info->Handle());
    if (info->musicHandle != 0)
        StartModule(*info, offset, (noLoop ? 0 : bass::SampleLoop) | bass::MusicPositionReset | bass::MusicRamp);
    else
        StartStream(*info, offset, noLoop);
}

void BassMusicInterface::StopMusic(int id)
{
    MusicInfo* info = Find(id);
    if (info == nullptr)
        return;
    info->volume = 0.0;
    bass->BASS_ChannelStop(info->Handle());
}

void BassMusicInterface::PauseMusic(int id)
{
    if (MusicInfo* info = Find(id))
        bass->BASS_ChannelPause(info->Handle());
}

void BassMusicInterface::ResumeMusic(int id)
{
    if (MusicInfo* info = Find(id))
        bass->BASS_ChannelPlay(info->Handle(), 0);
}

void BassMusicInterface::StopAllMusic()
{
    for (auto& [id, info] : songs.byId)
    {
        info.volume = 0.0;
        bass->BASS_ChannelStop(info.Handle());
    }
}

void BassMusicInterface::UnloadMusic(int id)
{
    MusicInfo* info = Find(id);
    if (info == nullptr)
        return;
    StopMusic(id);
    if (info->streamHandle != 0)
        bass->BASS_StreamFree(info->streamHandle);
    else
        bass->BASS_MusicFree(info->musicHandle);
    songs.byId.erase(id);
}

void BassMusicInterface::UnloadAllMusic()
{
    while (!songs.byId.empty())
        UnloadMusic(songs.byId.begin()->first);
}

void BassMusicInterface::PauseAllMusic()
{
    for (auto& [id, info] : songs.byId)
    {
        if (bass->BASS_ChannelIsActive(info.Handle()) == bass::ActivePlaying)
            bass->BASS_ChannelPause(info.Handle());
    }
}

void BassMusicInterface::ResumeAllMusic()
{
    for (auto& [id, info] : songs.byId)
    {
        if (bass->BASS_ChannelIsActive(info.Handle()) == bass::ActivePaused)
            bass->BASS_ChannelPlay(info.Handle(), 0);
    }
}

void BassMusicInterface::FadeIn(int id, int offset, double speed, bool noLoop)
{
    MusicInfo* info = Find(id);
    if (info == nullptr)
        return;
    info->volumeAdd = FiniteOrZero(speed);
    info->stopOnFade = noLoop;
    bass->BASS_ChannelStop(info->Handle());
    // The volume is not reset: a stopped tune rises from 0, a playing one from where it is.
    SetChannelVolume(*info);
    if (info->musicHandle != 0)
    {
        if (offset == -1)
            bass->BASS_ChannelPlay(info->musicHandle, 0);
        else
            StartModule(*info, offset, (noLoop ? 0 : bass::SampleLoop) | bass::MusicRamp);
    }
    else
    {
        StartStream(*info, offset, noLoop);
    }
}

void BassMusicInterface::FadeOut(int id, bool stopWhenFaded, double speed)
{
    songs.FadeOut(id, stopWhenFaded, speed);
}

void BassMusicInterface::FadeOutAll(bool stopWhenFaded, double speed)
{
    songs.FadeOutAll(stopWhenFaded, speed);
}

void BassMusicInterface::SetSongVolume(int id, double volume)
{
    if (MusicInfo* info = songs.SetVolume(id, volume))
        SetChannelVolume(*info);
}

void BassMusicInterface::SetSongMaxVolume(int id, double maxVolume)
{
    if (MusicInfo* info = songs.SetMaxVolume(id, maxVolume))
        SetChannelVolume(*info);
}

bool BassMusicInterface::IsPlaying(int id)
{
    MusicInfo* info = Find(id);
    return info != nullptr && bass->BASS_ChannelIsActive(info->Handle()) == bass::ActivePlaying;
}

void BassMusicInterface::SetVolume(double volume)
{
    if (!usable)
        return;
    const uint32_t percent = uint32_t(ClampUnit(volume) * 100);
    bass->BASS_SetConfig(bass::ConfigMusicVolume, percent);
    bass->BASS_SetConfig(bass::ConfigStreamVolume, percent);
}

void BassMusicInterface::SetMusicAmplify(int id, double amplify)
{
    MusicInfo* info = Find(id);
    if (info == nullptr || info->musicHandle == 0)
        return;
    const double a = std::clamp(FiniteOrZero(amplify), 0.0, 1.0);
    bass->BASS_MusicSetAttribute(info->musicHandle, bass::MusicAmplify, uint32_t(a * 100));
}

void BassMusicInterface::Update()
{
    songs.StepFades([this](MusicInfo& info) { SetChannelVolume(info); },
                    [this](MusicInfo& info) { bass->BASS_ChannelStop(info.Handle()); });
}

} // namespace zest
