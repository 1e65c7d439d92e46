#include "audio/BassLibrary.h"

#include "audio/LoadedLibrary.h"
#include "audio/ModuleStream.h"
#include "audio/OggStream.h"
#include "audio/SoundDecoder.h"
#include "platform/Mixer.h"
#include "platform/MixerBuffer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace zest
{

namespace
{
struct Channel
{
    bool module = false;
    std::unique_ptr<MixerBuffer> buffer;
    ModuleStream* moduleStream = nullptr; // owned through buffer's stream
    uint32_t flags = 0;
    int volume = 100; // 0..100
    int pan = 0;      // -100..100
    bool paused = false;
};

struct State
{
    std::shared_ptr<Mixer> mixer;
    BassFunctions functions;
    std::map<uint32_t, Channel> channels;
    uint32_t nextHandle = 1;
    int error = bass::ErrorOk;
    uint32_t bufferMs = 500;
    int streamVolume = 100;
    int musicVolume = 100;
    std::vector<uint32_t> resumeOnStart;

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State();
};

LoadedLibrary<State> library;

// Every operation runs under the library lock and answers failure with an error code
// when the library is not loaded.
State::~State()
{
    // The last holder unloads the library: no operation reaches this state any more.
    std::map<uint32_t, Channel> doomed;
    {
        std::lock_guard<std::mutex> lock(library.mutex);
        if (library.active == this)
            library.active = nullptr;
        doomed.swap(channels);
    }
}

#define BASS_ENTER(failure)                                                                                            \
    std::lock_guard<std::mutex> lock(library.mutex);                                                                   \
    if (library.active == nullptr)                                                                                     \
        return failure;                                                                                                \
    State& state = *library.active

int Error(State& state, int code)
{
    state.error = code;
    return 0;
}

Channel* Find(State& state, uint32_t handle)
{
    auto it = state.channels.find(handle);
    if (it == state.channels.end())
    {
        state.error = bass::ErrorHandle;
        return nullptr;
    }
    state.error = bass::ErrorOk;
    return &it->second;
}

void ApplyVolume(State& state, Channel& channel)
{
    // Channel and global volumes are linear percentages.
    const int global = channel.module ? state.musicVolume : state.streamVolume;
    channel.buffer->SetVolume(Mixer::VolumeFromGain(channel.volume / 100.0 * global / 100.0));
    channel.buffer->SetPan(channel.pan * 100);
}

uint32_t AddChannel(State& state, Channel channel)
{
    uint32_t handle = state.nextHandle++;
    if (state.nextHandle == 0)
        state.nextHandle = 1;
    ApplyVolume(state, channel);
    state.channels[handle] = std::move(channel);
    state.error = bass::ErrorOk;
    return handle;
}

uint64_t BytesPerFrame(const Channel& channel)
{
    return uint64_t(channel.buffer->Channels()) * 2;
}

int Init(int, uint32_t, uint32_t, void*, void*)
{
    BASS_ENTER(0);
    state.error = bass::ErrorOk;
    return 1;
}

int Free()
{
    std::map<uint32_t, Channel> doomed;
    {
        BASS_ENTER(0);
        doomed.swap(state.channels);
        state.resumeOnStart.clear();
    }
    return 1; // buffers go outside the lock
}

int Start()
{
    BASS_ENTER(0);
    for (uint32_t handle : state.resumeOnStart)
    {
        if (Channel* channel = Find(state, handle))
            (void)channel->buffer->Play((channel->flags & bass::SampleLoop) != 0);
    }
    state.resumeOnStart.clear();
    state.error = bass::ErrorOk;
    return 1;
}

int Stop()
{
    BASS_ENTER(0);
    for (auto& [handle, channel] : state.channels)
    {
        if (channel.buffer->IsPlaying())
        {
            channel.buffer->Stop();
            state.resumeOnStart.push_back(handle);
        }
    }
    state.error = bass::ErrorOk;
    return 1;
}

uint32_t GetVersion()
{
    return 0x02040000;
}

int ErrorGetCode()
{
    BASS_ENTER(-1);
    return state.error;
}

int SetConfig(uint32_t option, uint32_t value)
{
    BASS_ENTER(0);
    switch (option)
    {
    case bass::ConfigBuffer:
        state.bufferMs = value;
        break;
    case bass::ConfigStreamVolume:
        state.streamVolume = int(std::min<uint32_t>(value, 100));
        break;
    case bass::ConfigMusicVolume:
        state.musicVolume = int(std::min<uint32_t>(value, 100));
        break;
    default:
        return Error(state, bass::ErrorIllegalParameter);
    }
    for (auto& entry : state.channels)
        ApplyVolume(state, entry.second);
    state.error = bass::ErrorOk;
    return 1;
}

uint32_t GetConfig(uint32_t option)
{
    BASS_ENTER(uint32_t(-1));
    switch (option)
    {
    case bass::ConfigBuffer:
        return state.bufferMs;
    case bass::ConfigStreamVolume:
        return uint32_t(state.streamVolume);
    case bass::ConfigMusicVolume:
        return uint32_t(state.musicVolume);
    default:
        Error(state, bass::ErrorIllegalParameter);
        return uint32_t(-1);
    }
}

uint32_t StreamCreateFile(int memory, const void* file, uint64_t, uint64_t, uint32_t flags)
{
    BASS_ENTER(0);
    if (memory != 0 || file == nullptr)
        return uint32_t(Error(state, bass::ErrorIllegalParameter));
    const std::string name(static_cast<const char*>(file));
    Channel channel;
    channel.flags = flags;
    switch (SoundDecoder::Sniff(name))
    {
    case SoundDecoder::Format::Ogg:
        if (std::unique_ptr<OggStream> stream = OggStream::Open(name))
            channel.buffer = state.mixer->CreateStreamBuffer(std::move(stream));
        break;
    case SoundDecoder::Format::Wave:
    case SoundDecoder::Format::Au:
        if (std::optional<MixerSamples> samples = SoundDecoder::DecodeFile(name))
            channel.buffer = state.mixer->CreateBuffer(std::make_shared<const MixerSamples>(std::move(*samples)));
        break;
    case SoundDecoder::Format::Unknown:
        return uint32_t(Error(state, bass::ErrorFileOpen));
    }
    if (!channel.buffer)
        return uint32_t(Error(state, bass::ErrorFileFormat));
    return AddChannel(state, std::move(channel));
}

uint32_t MusicLoad(int memory, const void* file, uint64_t, uint32_t, uint32_t flags, uint32_t)
{
    BASS_ENTER(0);
    if (memory != 0 || file == nullptr)
        return uint32_t(Error(state, bass::ErrorIllegalParameter));
    std::unique_ptr<ModuleStream> module = ModuleStream::Open(static_cast<const char*>(file));
    if (!module)
        return uint32_t(Error(state, bass::ErrorFileFormat));
    Channel channel;
    channel.module = true;
    channel.flags = flags;
    channel.moduleStream = module.get();
    channel.buffer = state.mixer->CreateStreamBuffer(std::move(module));
    if (!channel.buffer)
        return uint32_t(Error(state, bass::ErrorFileFormat));
    return AddChannel(state, std::move(channel));
}

int FreeChannel(uint32_t handle, bool module)
{
    Channel doomed;
    {
        BASS_ENTER(0);
        Channel* channel = Find(state, handle);
        if (channel == nullptr || channel->module != module)
            return Error(state, bass::ErrorHandle);
        doomed = std::move(*channel);
        state.channels.erase(handle);
    }
    return 1;
}

int StreamFree(uint32_t handle)
{
    return FreeChannel(handle, false);
}

int MusicFree(uint32_t handle)
{
    return FreeChannel(handle, true);
}

int MusicSetAttribute(uint32_t handle, uint32_t attribute, uint32_t value)
{
    BASS_ENTER(0);
    Channel* channel = Find(state, handle);
    if (channel == nullptr || !channel->module)
        return Error(state, bass::ErrorHandle);
    if (attribute != bass::MusicAmplify)
        return Error(state, bass::ErrorIllegalParameter);
    // Amplification 50 leaves the module as it is; gain = value / 50.
    const int gain = value == 0 ? Mixer::Silence
                                : std::max(Mixer::Silence, int(std::lround(2000.0 * std::log10(value / 50.0))));
    std::lock_guard<std::mutex> streamLock(channel->moduleStream->Mutex());
    channel->moduleStream->SetGain(gain);
    return 1;
}

bool Rewind(Channel& channel)
{
    if (channel.module)
        return channel.buffer->Reposition([&channel](MixerStream&) -> std::optional<uint64_t> {
            uint64_t frame = 0;
            if (!channel.moduleStream->SetOrderRow(0, 0, &frame))
                return std::nullopt;
            return frame;
        });
    return channel.buffer->SetPosition(0);
}

int ChannelPlay(uint32_t handle, int restart)
{
    BASS_ENTER(0);
    Channel* channel = Find(state, handle);
    if (channel == nullptr)
        return 0;
    if (restart != 0)
        (void)Rewind(*channel);
    channel->paused = false;
    if (!channel->buffer->Play((channel->flags & bass::SampleLoop) != 0))
        return Error(state, bass::ErrorFileFormat);
    return 1;
}

int ChannelStop(uint32_t handle)
{
    BASS_ENTER(0);
    Channel* channel = Find(state, handle);
    if (channel == nullptr)
        return 0;
    channel->buffer->Stop();
    channel->paused = false;
    return 1;
}

int ChannelPause(uint32_t handle)
{
    BASS_ENTER(0);
    Channel* channel = Find(state, handle);
    if (channel == nullptr)
        return 0;
    if (!channel->buffer->IsPlaying())
        return Error(state, bass::ErrorNotPlaying);
    channel->buffer->Stop();
    channel->paused = true;
    return 1;
}

uint32_t ChannelIsActive(uint32_t handle)
{
    BASS_ENTER(bass::ActiveStopped);
    Channel* channel = Find(state, handle);
    if (channel == nullptr)
        return bass::ActiveStopped;
    if (channel->buffer->IsPlaying())
        return bass::ActivePlaying;
    return channel->paused ? bass::ActivePaused : bass::ActiveStopped;
}

int ChannelSetFlags(uint32_t handle, uint32_t flags)
{
    BASS_ENTER(0);
    Channel* channel = Find(state, handle);
    if (channel == nullptr)
        return 0;
    channel->flags = flags;
    // A playing channel takes the new looping at once.
    if (channel->buffer->IsPlaying())
        (void)channel->buffer->Play((flags & bass::SampleLoop) != 0);
    return 1;
}

int ChannelSetAttributes(uint32_t handle, int frequency, int volume, int pan)
{
    BASS_ENTER(0);
    Channel* channel = Find(state, handle);
    if (channel == nullptr)
        return 0;
    if (frequency >= 0)
        channel->buffer->SetFrequency(uint32_t(frequency)); // 0: the stream's own rate
    if (volume >= 0)
        channel->volume = std::min(volume, 100);
    if (pan >= -100)
        channel->pan = std::min(pan, 100);
    ApplyVolume(state, *channel);
    return 1;
}

int ChannelGetAttributes(uint32_t handle, uint32_t* frequency, uint32_t* volume, int* pan)
{
    BASS_ENTER(0);
    Channel* channel = Find(state, handle);
    if (channel == nullptr)
        return 0;
    if (frequency != nullptr)
        *frequency = channel->buffer->GetFrequency();
    if (volume != nullptr)
        *volume = uint32_t(channel->volume);
    if (pan != nullptr)
        *pan = channel->pan;
    return 1;
}

int ChannelSetPosition(uint32_t handle, uint64_t position)
{
    BASS_ENTER(0);
    Channel* channel = Find(state, handle);
    if (channel == nullptr)
        return 0;
    bool ok;
    if (channel->module && (position & bass::MusicPosition) != 0)
    {
        const int order = int(position & 0xFFFF);
        const int row = int((position >> 16) & 0x7FFF);
        ok = channel->buffer->Reposition([channel, order, row](MixerStream&) -> std::optional<uint64_t> {
            uint64_t frame = 0;
            if (!channel->moduleStream->SetOrderRow(order, row, &frame))
                return std::nullopt;
            return frame;
        });
    }
    else
    {
        ok = channel->buffer->SetPosition(position / BytesPerFrame(*channel));
    }
    return ok ? 1 : Error(state, bass::ErrorIllegalParameter);
}

uint64_t ChannelGetPosition(uint32_t handle)
{
    BASS_ENTER(uint64_t(-1));
    Channel* channel = Find(state, handle);
    if (channel == nullptr)
        return uint64_t(-1);
    return channel->buffer->GetPosition() * BytesPerFrame(*channel);
}

uint64_t ChannelGetLength(uint32_t handle)
{
    BASS_ENTER(uint64_t(-1));
    Channel* channel = Find(state, handle);
    if (channel == nullptr)
        return uint64_t(-1);
    if (!channel->buffer->IsStream())
        return channel->buffer->Frames() * BytesPerFrame(*channel);
    if (auto* ogg = dynamic_cast<OggStream*>(channel->buffer->Stream().get()))
    {
        if (std::optional<uint64_t> frames = ogg->ClaimedFrames())
            return *frames * BytesPerFrame(*channel);
    }
    Error(state, bass::ErrorIllegalParameter);
    return uint64_t(-1);
}

#undef BASS_ENTER

BassFunctions MakeTable()
{
    BassFunctions f;
    f.BASS_Init = Init;
    f.BASS_Free = Free;
    f.BASS_Start = Start;
    f.BASS_Stop = Stop;
    f.BASS_GetVersion = GetVersion;
    f.BASS_ErrorGetCode = ErrorGetCode;
    f.BASS_SetConfig = SetConfig;
    f.BASS_GetConfig = GetConfig;
    f.BASS_StreamCreateFile = StreamCreateFile;
    f.BASS_StreamFree = StreamFree;
    f.BASS_MusicLoad = MusicLoad;
    f.BASS_MusicFree = MusicFree;
    f.BASS_MusicSetAttribute = MusicSetAttribute;
    f.BASS_ChannelPlay = ChannelPlay;
    f.BASS_ChannelStop = ChannelStop;
    f.BASS_ChannelPause = ChannelPause;
    f.BASS_ChannelIsActive = ChannelIsActive;
    f.BASS_ChannelSetFlags = ChannelSetFlags;
    f.BASS_ChannelSetAttributes = ChannelSetAttributes;
    f.BASS_ChannelGetAttributes = ChannelGetAttributes;
    f.BASS_ChannelSetPosition = ChannelSetPosition;
    f.BASS_ChannelGetPosition = ChannelGetPosition;
    f.BASS_ChannelGetLength = ChannelGetLength;
    return f;
}
} // namespace

std::shared_ptr<const BassFunctions> BassLibrary::Load(std::shared_ptr<Mixer> mixer)
{
    return library.Load(std::move(mixer), MakeTable);
}

} // namespace zest
