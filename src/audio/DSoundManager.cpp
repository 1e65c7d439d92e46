#include "audio/DSoundManager.h"

#include "audio/AuFile.h"
#include "audio/DSoundInstance.h"
#include "audio/FModFunctions.h"
#include "audio/FModLibrary.h"
#include "audio/FModMusicInterface.h"
#include "audio/OggStream.h"
#include "audio/SoundCache.h"
#include "audio/WaveFile.h"
#include "platform/Log.h"
#include "platform/Mixer.h"
#include "platform/MixerBuffer.h"
#include "platform/SystemClock.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace zest
{

namespace
{
// Channels are swept for finished auto-release instances at most this often.
constexpr uint64_t SweepIntervalMs = 1000;

bool ValidId(int id)
{
    return id >= 0 && id < DSoundManager::MaxSounds;
}

// Keeps the reasons of files that exist but could not be read; a missing file is the
// normal case while the loader tries each extension.
void NoteFailure(std::string& reasons, const std::string& error)
{
    if (error.empty() || error.rfind("cannot open", 0) == 0)
        return;
    if (!reasons.empty())
        reasons += "; ";
    reasons += error;
}
} // namespace

DSoundManager::DSoundManager(std::shared_ptr<Mixer> mixerToUse, bool fmodWanted, Clock& clockToUse)
    : mixer(std::move(mixerToUse)), clock(clockToUse), useFmod(fmodWanted)
{
    if (mixer)
    {
        masterVolume = mixer->GetMasterGain();
        if (useFmod)
        {
            fmod = FModLibrary::Load(mixer);
            if (fmod)
            {
                fmod->FSOUND_SetHWND(nullptr);
                fmod->FSOUND_SetBufferSize(200);
                fmod->FSOUND_Init(44100, 64, 2);
            }
        }
    }
}

DSoundManager::DSoundManager(std::shared_ptr<Mixer> mixerToUse, bool fmodWanted)
    : DSoundManager(std::move(mixerToUse), fmodWanted, SystemClock::Instance())
{
}

DSoundManager::~DSoundManager()
{
    ReleaseChannels();
    ReleaseSounds();
    if (fmod)
        fmod->FSOUND_Close();
}

bool DSoundManager::Initialized()
{
    return mixer != nullptr;
}

double DSoundManager::ClampVolume(double volume)
{
    // A negative volume would reach the logarithm; NaN compares false and becomes 0.
    if (!(volume > 0.0))
        return 0.0;
    return std::min(volume, 1.0);
}

int DSoundManager::ToDeviceVolume(double volume)
{
    const double v = ClampVolume(volume);
    const int device = int((std::log10(9.0 * v + 1.0) - 1.0) * 2333.0); // truncates toward zero
    return device < -2000 ? Mixer::Silence : device;
}

std::optional<MixerSamples> DSoundManager::DecodeWithFmod(const std::string& fileName)
{
    FSoundSample* sample = fmod->FSOUND_Sample_Load(fmod::Unmanaged, fileName.c_str(), 0, 0, 0);
    if (sample == nullptr)
        return std::nullopt;
    std::optional<MixerSamples> result = FModMusicInterface::ReadSample(*fmod, sample);
    fmod->FSOUND_Sample_Free(sample);
    return result;
}

void DSoundManager::NoteCacheNotWritten(const std::string& path, const std::string& reason)
{
    if (!cacheFailureReported.exchange(true))
        Logf(LogLevel::Warning, "Decoded sounds cannot be cached (%s); the game plays on and decodes them at each start",
             reason.c_str());
    else
        Logf(LogLevel::Info, "Sound cache not written: %s", path.c_str());
}

std::optional<MixerSamples> DSoundManager::Decode(const std::string& name)
{
    std::string reasons;
    std::string error;
    const std::optional<std::filesystem::path> cachePath = SoundCache::PathFor(name);
    if (cachePath)
    {
        if (std::optional<MixerSamples> cached = WaveFile::Load(cachePath->string(), &error))
            return cached;
    }
    error.clear();
    if (std::optional<MixerSamples> wave = WaveFile::Load(name + ".wav", &error))
        return wave;
    NoteFailure(reasons, error);

    // Compressed sources are decoded once and cached as wave files.
    auto cache = [&](const MixerSamples& samples, const std::string& sourceName) {
        if (!cachePath)
            return;
        const std::optional<uint64_t> sourceTime = SoundCache::SourceFileTime(sourceName);
        std::string why = "the source's time is unknown";
        if (!sourceTime || !WaveFile::WriteCache(*cachePath, samples, sourceName, *sourceTime, &why))
            NoteCacheNotWritten(cachePath->string(), why);
    };
    if (fmod)
    {
        if (std::optional<MixerSamples> mp3 = DecodeWithFmod(name + ".mp3"))
        {
            cache(*mp3, name + ".mp3");
            return mp3;
        }
    }
    error.clear();
    if (std::optional<MixerSamples> ogg = OggStream::DecodeAll(name + ".ogg", &error))
    {
        cache(*ogg, name + ".ogg");
        return ogg;
    }
    NoteFailure(reasons, error);
    error.clear();
    if (std::optional<MixerSamples> au = AuFile::Load(name + ".au", &error))
    {
        cache(*au, name + ".au");
        return au;
    }
    NoteFailure(reasons, error);
    Logf(LogLevel::Warning, "Sound %s not loaded: %s", name.c_str(),
         reasons.empty() ? "no .wav, .ogg or .au file" : reasons.c_str());
    return std::nullopt;
}

bool DSoundManager::LoadSound(int id, const std::string& name)
{
    if (!ValidId(id))
        return false;
    ReleaseSound(id);
    if (!mixer)
    {
        std::lock_guard<std::mutex> lock(slotMutex);
        sounds[size_t(id)].name = name;
        sounds[size_t(id)].loaded = true;
        return true;
    }
    // Decoding happens outside the lock: the main thread keeps playing meanwhile.
    std::optional<MixerSamples> samples = Decode(name);
    if (!samples)
        return false;
    const size_t length = samples->samples.size() * sizeof(int16_t);
    std::unique_ptr<MixerBuffer> buffer = mixer->CreateBuffer(std::make_shared<const MixerSamples>(std::move(*samples)));
    if (!buffer)
        return false;
    std::unique_ptr<MixerBuffer> previous;
    std::lock_guard<std::mutex> lock(slotMutex);
    SoundSlot& slot = sounds[size_t(id)];
    previous = std::move(slot.buffer); // a racing load of the same id: the later one wins
    slot.buffer = std::move(buffer);
    slot.name = name;
    slot.length = length;
    slot.loaded = true;
    return true;
}

int DSoundManager::LoadSound(const std::string& name)
{
    int id = -1;
    {
        std::lock_guard<std::mutex> lock(slotMutex);
        for (int i = 0; i < MaxSounds; ++i)
        {
            if (sounds[size_t(i)].loaded && sounds[size_t(i)].name == name)
                return i;
        }
        for (int i = MaxSounds - 1; i >= 0; --i)
        {
            if (!sounds[size_t(i)].loaded)
            {
                id = i;
                break;
            }
        }
    }
    if (id < 0 || !LoadSound(id, name))
        return -1;
    return id;
}

void DSoundManager::ReleaseSound(int id)
{
    if (!ValidId(id))
        return;
    std::unique_ptr<MixerBuffer> doomed;
    std::lock_guard<std::mutex> lock(slotMutex);
    SoundSlot& slot = sounds[size_t(id)];
    // Instances hold their own buffers sharing the samples, so they play on.
    doomed = std::move(slot.buffer);
    slot = SoundSlot{};
}

void DSoundManager::SetVolume(double volume)
{
    effectsVolume = ClampVolume(volume);
    for (auto& instance : channels)
    {
        if (instance)
            instance->RehupVolume();
    }
}

bool DSoundManager::SetBaseVolume(int id, double volume)
{
    if (!ValidId(id))
        return false;
    std::lock_guard<std::mutex> lock(slotMutex);
    sounds[size_t(id)].baseVolume = ClampVolume(volume);
    return true;
}

bool DSoundManager::SetBasePan(int id, int pan)
{
    if (!ValidId(id))
        return false;
    std::lock_guard<std::mutex> lock(slotMutex);
    sounds[size_t(id)].basePan = pan;
    return true;
}

int DSoundManager::FindFreeChannel()
{
    const uint64_t now = clock.Now();
    if (!lastReleaseTick || now - *lastReleaseTick >= SweepIntervalMs)
    {
        lastReleaseTick = now;
        for (auto& instance : channels)
        {
            if (instance && instance->IsReleased())
                instance.reset();
        }
    }
    for (int i = 0; i < MaxChannels; ++i)
    {
        if (!channels[size_t(i)])
            return i;
    }
    for (int i = 0; i < MaxChannels; ++i)
    {
        if (channels[size_t(i)]->IsReleased())
        {
            channels[size_t(i)].reset();
            return i;
        }
    }
    return -1;
}

SoundInstance* DSoundManager::GetSoundInstance(int id)
{
    if (!ValidId(id))
        return nullptr;
    const int channel = FindFreeChannel();
    if (channel < 0)
        return nullptr;
    std::unique_ptr<MixerBuffer> buffer;
    double baseVolume;
    int basePan;
    {
        std::lock_guard<std::mutex> lock(slotMutex);
        const SoundSlot& slot = sounds[size_t(id)];
        if (mixer && !slot.buffer)
            return nullptr;
        if (slot.buffer)
            buffer = slot.buffer->Duplicate();
        baseVolume = slot.baseVolume;
        basePan = slot.basePan;
    }
    if (mixer && !buffer)
        Logf(LogLevel::Error, "Sound %d: its buffer could not be duplicated; the instance is silent", id);
    auto instance = std::make_unique<DSoundInstance>(this, std::move(buffer));
    instance->SetBasePan(basePan);
    instance->SetBaseVolume(baseVolume);
    DSoundInstance* result = instance.get();
    channels[size_t(channel)] = std::move(instance);
    return result;
}

void DSoundManager::ReleaseSounds()
{
    for (int id = 0; id < MaxSounds; ++id)
        ReleaseSound(id);
}

void DSoundManager::ReleaseChannels()
{
    for (auto& instance : channels)
        instance.reset();
}

double DSoundManager::GetMasterVolume()
{
    return mixer ? mixer->GetMasterGain() : masterVolume;
}

void DSoundManager::SetMasterVolume(double volume)
{
    masterVolume = ClampVolume(volume);
    if (mixer)
        mixer->SetMasterGain(masterVolume);
}

void DSoundManager::Flush()
{
}

void DSoundManager::SetCooperativeWindow(void*, bool)
{
}

void DSoundManager::StopAllSounds()
{
    for (auto& instance : channels)
    {
        if (instance)
            instance->StopKeepingAutoRelease();
    }
}

int DSoundManager::GetFreeSoundId()
{
    std::lock_guard<std::mutex> lock(slotMutex);
    for (int i = 0; i < MaxSounds; ++i)
    {
        if (!sounds[size_t(i)].loaded)
            return i;
    }
    return -1;
}

int DSoundManager::GetNumSounds()
{
    std::lock_guard<std::mutex> lock(slotMutex);
    return int(std::count_if(sounds.begin(), sounds.end(), [](const SoundSlot& slot) { return slot.loaded; }));
}

std::string DSoundManager::GetSoundName(int id) const
{
    if (!ValidId(id))
        return {};
    std::lock_guard<std::mutex> lock(slotMutex);
    return sounds[size_t(id)].name;
}

size_t DSoundManager::GetSoundLength(int id) const
{
    if (!ValidId(id))
        return 0;
    std::lock_guard<std::mutex> lock(slotMutex);
    return sounds[size_t(id)].length;
}

} // namespace zest

