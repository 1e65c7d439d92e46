#include "audio/FModLibrary.h"

#include "audio/LoadedLibrary.h"
#include "audio/ModuleStream.h"
#include "audio/SoundDecoder.h"
#include "platform/Mixer.h"
#include "platform/MixerBuffer.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

namespace zest
{

struct FSoundSample
{
    std::shared_ptr<const MixerSamples> samples;
};

struct FMusicModule
{
    std::unique_ptr<MixerBuffer> buffer;
    ModuleStream* stream = nullptr; // owned through buffer
    bool looping = true;
};

namespace
{
constexpr int MaxChannels = 256;

struct Channel
{
    std::unique_ptr<MixerBuffer> buffer;
    FSoundSample* sample = nullptr; // what the buffer plays
    bool paused = false;
    bool looping = false;
};

struct State
{
    std::shared_ptr<Mixer> mixer;
    FModFunctions functions;
    int initCount = 0;
    std::vector<Channel> channels = std::vector<Channel>(64);
    std::map<FSoundSample*, std::unique_ptr<FSoundSample>> samples;
    std::map<FMusicModule*, std::unique_ptr<FMusicModule>> modules;

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State();
};

LoadedLibrary<State> library;

State::~State()
{
    std::vector<Channel> doomedChannels;
    std::map<FMusicModule*, std::unique_ptr<FMusicModule>> doomedModules;
    std::lock_guard<std::mutex> lock(library.mutex);
    if (library.active == this)
        library.active = nullptr;
    doomedChannels.swap(channels);
    doomedModules.swap(modules);
}

#define FMOD_ENTER(failure)                                                                                            \
    std::lock_guard<std::mutex> lock(library.mutex);                                                                   \
    if (library.active == nullptr)                                                                                     \
        return failure;                                                                                                \
    State& state = *library.active

Channel* FindChannel(State& state, int channel)
{
    if (channel < 0 || size_t(channel) >= state.channels.size() || !state.channels[size_t(channel)].buffer)
        return nullptr;
    return &state.channels[size_t(channel)];
}

FSoundSample* FindSample(State& state, FSoundSample* sample)
{
    return state.samples.count(sample) != 0 ? sample : nullptr;
}

FMusicModule* FindModule(State& state, FMusicModule* module)
{
    return state.modules.count(module) != 0 ? module : nullptr;
}

int SetBufferSize(int)
{
    return 1;
}

int SetHWND(void*)
{
    return 1;
}

int Init(int, int maxChannels, unsigned)
{
    FMOD_ENTER(0);
    state.initCount++;
    const size_t wanted = size_t(std::clamp(maxChannels, 1, MaxChannels));
    if (wanted > state.channels.size())
        state.channels.resize(wanted);
    return 1;
}

void Close()
{
    // Users share the library; the last Close silences everything still playing.
    FMOD_ENTER();
    if (state.initCount == 0 || --state.initCount > 0)
        return;
    for (Channel& channel : state.channels)
    {
        if (channel.buffer)
            channel.buffer->Stop();
        channel.paused = false;
    }
    for (auto& entry : state.modules)
        entry.second->buffer->Stop();
}

FSoundSample* SampleLoad(int, const char* name, unsigned, int, int)
{
    if (name == nullptr)
        return nullptr;
    {
        FMOD_ENTER(nullptr);
        (void)state;
    }
    // Decoding takes a while: outside the lock.
    std::optional<MixerSamples> decoded = SoundDecoder::DecodeFile(name);
    if (!decoded)
        return nullptr;
    auto sample = std::make_unique<FSoundSample>();
    sample->samples = std::make_shared<const MixerSamples>(std::move(*decoded));
    FMOD_ENTER(nullptr);
    FSoundSample* handle = sample.get();
    state.samples[handle] = std::move(sample);
    return handle;
}

void SampleFree(FSoundSample* sample)
{
    std::unique_ptr<FSoundSample> doomed;
    FMOD_ENTER();
    auto it = state.samples.find(sample);
    if (it != state.samples.end())
    {
        doomed = std::move(it->second);
        state.samples.erase(it);
    }
    // A later sample may get the same address: a channel must not claim to play it.
    for (Channel& c : state.channels)
    {
        if (c.sample == sample)
            c.sample = nullptr;
    }
}

int SampleLock(FSoundSample* sample, int offset, int length, void** ptr1, void** ptr2, unsigned* len1, unsigned* len2)
{
    FMOD_ENTER(0);
    if (FindSample(state, sample) == nullptr || offset < 0 || length < 0 || ptr1 == nullptr || len1 == nullptr)
        return 0;
    const MixerSamples& data = *sample->samples;
    const size_t bytes = data.samples.size() * sizeof(int16_t);
    if (size_t(offset) > bytes)
        return 0;
    // Read access only: the data may be playing on a channel.
    *ptr1 = const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(data.samples.data())) + offset;
    *len1 = unsigned(std::min(size_t(length), bytes - size_t(offset)));
    if (ptr2 != nullptr)
        *ptr2 = nullptr;
    if (len2 != nullptr)
        *len2 = 0;
    return 1;
}

int SampleUnlock(FSoundSample* sample, void*, void*, unsigned, unsigned)
{
    FMOD_ENTER(0);
    return FindSample(state, sample) != nullptr ? 1 : 0;
}

unsigned SampleGetLength(FSoundSample* sample)
{
    FMOD_ENTER(0);
    return FindSample(state, sample) != nullptr ? unsigned(sample->samples->Frames()) : 0;
}

int SampleGetDefaults(FSoundSample* sample, int* frequency, int* volume, int* pan, int* priority)
{
    FMOD_ENTER(0);
    if (FindSample(state, sample) == nullptr)
        return 0;
    if (frequency != nullptr)
        *frequency = sample->samples->sampleRate;
    if (volume != nullptr)
        *volume = 255;
    if (pan != nullptr)
        *pan = 128;
    if (priority != nullptr)
        *priority = 255;
    return 1;
}

unsigned SampleGetMode(FSoundSample* sample)
{
    FMOD_ENTER(0);
    if (FindSample(state, sample) == nullptr)
        return 0;
    return fmod::Bits16 | fmod::LoopOff | (sample->samples->channels == 1 ? fmod::Mono : fmod::Stereo);
}

int PlaySoundEx(int channel, FSoundSample* sample, void* dsp, int startPaused)
{
    std::unique_ptr<MixerBuffer> previous;
    FMOD_ENTER(-1);
    if (FindSample(state, sample) == nullptr)
        return -1;
    if (channel == fmod::Free)
    {
        for (size_t i = 0; i < state.channels.size(); ++i)
        {
            const Channel& c = state.channels[i];
            if (!c.buffer || (!c.paused && !c.buffer->IsPlaying()))
            {
                channel = int(i);
                break;
            }
        }
    }
    if (channel < 0 || size_t(channel) >= state.channels.size())
        return -1;
    Channel& c = state.channels[size_t(channel)];
    previous = std::move(c.buffer);
    c.buffer = state.mixer->CreateBuffer(sample->samples);
    c.sample = sample;
    c.paused = startPaused != 0;
    c.looping = false;
    if (!c.buffer || dsp != nullptr)
        return -1;
    if (!c.paused && !c.buffer->Play(false))
        return -1;
    return channel;
}

int PlaySound(int channel, FSoundSample* sample)
{
    return PlaySoundEx(channel, sample, nullptr, 0);
}

int StopSound(int channel)
{
    FMOD_ENTER(0);
    Channel* c = FindChannel(state, channel);
    if (c == nullptr)
        return 0;
    c->buffer->Stop();
    c->paused = false;
    return 1;
}

int SetVolume(int channel, int volume)
{
    FMOD_ENTER(0);
    Channel* c = FindChannel(state, channel);
    if (c == nullptr)
        return 0;
    c->buffer->SetVolume(Mixer::VolumeFromGain(std::clamp(volume, 0, 255) / 255.0));
    return 1;
}

int SetPaused(int channel, int paused)
{
    FMOD_ENTER(0);
    Channel* c = FindChannel(state, channel);
    if (c == nullptr)
        return 0;
    if (paused != 0 && c->buffer->IsPlaying())
    {
        c->buffer->Stop();
        c->paused = true;
    }
    else if (paused == 0 && c->paused)
    {
        c->paused = false;
        (void)c->buffer->Play(c->looping);
    }
    return 1;
}

int SetLoopMode(int channel, unsigned mode)
{
    FMOD_ENTER(0);
    Channel* c = FindChannel(state, channel);
    if (c == nullptr)
        return 0;
    c->looping = (mode & fmod::LoopNormal) != 0;
    if (c->buffer->IsPlaying())
        (void)c->buffer->Play(c->looping);
    return 1;
}

int IsPlaying(int channel)
{
    FMOD_ENTER(0);
    Channel* c = FindChannel(state, channel);
    return (c != nullptr && c->buffer->IsPlaying()) ? 1 : 0;
}

FSoundSample* GetCurrentSample(int channel)
{
    FMOD_ENTER(nullptr);
    Channel* c = FindChannel(state, channel);
    if (c == nullptr || (!c->paused && !c->buffer->IsPlaying()))
        return nullptr;
    return c->sample;
}

FMusicModule* LoadSong(const char* name)
{
    if (name == nullptr)
        return nullptr;
    std::unique_ptr<ModuleStream> stream = ModuleStream::Open(name);
    if (!stream)
        return nullptr;
    FMOD_ENTER(nullptr);
    auto module = std::make_unique<FMusicModule>();
    module->stream = stream.get();
    module->buffer = state.mixer->CreateStreamBuffer(std::move(stream));
    if (!module->buffer)
        return nullptr;
    FMusicModule* handle = module.get();
    state.modules[handle] = std::move(module);
    return handle;
}

int FreeSong(FMusicModule* module)
{
    std::unique_ptr<FMusicModule> doomed;
    FMOD_ENTER(0);
    auto it = state.modules.find(module);
    if (it == state.modules.end())
        return 0;
    doomed = std::move(it->second);
    state.modules.erase(it);
    return 1;
}

bool JumpToOrder(FMusicModule& module, int order)
{
    return module.buffer->Reposition([&module, order](MixerStream&) -> std::optional<uint64_t> {
        uint64_t frame = 0;
        if (!module.stream->SetOrderRow(order, 0, &frame))
            return std::nullopt;
        return frame;
    });
}

int PlaySong(FMusicModule* module)
{
    FMOD_ENTER(0);
    if (FindModule(state, module) == nullptr)
        return 0;
    (void)JumpToOrder(*module, 0);
    return module->buffer->Play(module->looping) ? 1 : 0;
}

int StopSong(FMusicModule* module)
{
    FMOD_ENTER(0);
    if (FindModule(state, module) == nullptr)
        return 0;
    module->buffer->Stop();
    return 1;
}

int SetLooping(FMusicModule* module, int looping)
{
    FMOD_ENTER(0);
    if (FindModule(state, module) == nullptr)
        return 0;
    module->looping = looping != 0;
    if (module->buffer->IsPlaying())
        (void)module->buffer->Play(module->looping);
    else
    {
        std::lock_guard<std::mutex> streamLock(module->stream->Mutex());
        module->stream->SetLooping(module->looping);
    }
    return 1;
}

int SetOrder(FMusicModule* module, int order)
{
    FMOD_ENTER(0);
    if (FindModule(state, module) == nullptr)
        return 0;
    return JumpToOrder(*module, order) ? 1 : 0;
}

int SetSongPaused(FMusicModule* module, int paused)
{
    FMOD_ENTER(0);
    if (FindModule(state, module) == nullptr)
        return 0;
    if (paused != 0)
        module->buffer->Stop();
    else
        (void)module->buffer->Play(module->looping);
    return 1;
}

int SetMasterVolume(FMusicModule* module, int volume)
{
    FMOD_ENTER(0);
    if (FindModule(state, module) == nullptr)
        return 0;
    module->buffer->SetVolume(Mixer::VolumeFromGain(std::clamp(volume, 0, 256) / 256.0));
    return 1;
}

int SongIsPlaying(FMusicModule* module)
{
    FMOD_ENTER(0);
    return (FindModule(state, module) != nullptr && module->buffer->IsPlaying()) ? 1 : 0;
}

#undef FMOD_ENTER

FModFunctions MakeTable()
{
    FModFunctions f;
    f.FSOUND_SetBufferSize = SetBufferSize;
    f.FSOUND_SetHWND = SetHWND;
    f.FSOUND_Init = Init;
    f.FSOUND_Close = Close;
    f.FSOUND_Sample_Load = SampleLoad;
    f.FSOUND_Sample_Free = SampleFree;
    f.FSOUND_Sample_Lock = SampleLock;
    f.FSOUND_Sample_Unlock = SampleUnlock;
    f.FSOUND_Sample_GetLength = SampleGetLength;
    f.FSOUND_Sample_GetDefaults = SampleGetDefaults;
    f.FSOUND_Sample_GetMode = SampleGetMode;
    f.FSOUND_PlaySound = PlaySound;
    f.FSOUND_PlaySoundEx = PlaySoundEx;
    f.FSOUND_StopSound = StopSound;
    f.FSOUND_SetVolume = SetVolume;
    f.FSOUND_SetPaused = SetPaused;
    f.FSOUND_SetLoopMode = SetLoopMode;
    f.FSOUND_IsPlaying = IsPlaying;
    f.FSOUND_GetCurrentSample = GetCurrentSample;
    f.FMUSIC_LoadSong = LoadSong;
    f.FMUSIC_FreeSong = FreeSong;
    f.FMUSIC_PlaySong = PlaySong;
    f.FMUSIC_StopSong = StopSong;
    f.FMUSIC_SetLooping = SetLooping;
    f.FMUSIC_SetOrder = SetOrder;
    f.FMUSIC_SetPaused = SetSongPaused;
    f.FMUSIC_SetMasterVolume = SetMasterVolume;
    f.FMUSIC_IsPlaying = SongIsPlaying;
    return f;
}
} // namespace

std::shared_ptr<const FModFunctions> FModLibrary::Load(std::shared_ptr<Mixer> mixer)
{
    return library.Load(std::move(mixer), MakeTable);
}

} // namespace zest
