#include "platform/AudioDevice.h"

#include "platform/Log.h"

#include <SDL.h>

#include <chrono>
#include <vector>

namespace zest
{

namespace
{
// 1024 frames is 23 ms: short enough for sound effects to feel immediate, long enough
// that a busy machine does not starve the device.
constexpr int DeviceFrames = 1024;
// The device is considered gone (unplugged, or never started) when it has not called
// back for this long. Generous: some servers hold the first buffer for about two seconds
// while they fill their own.
constexpr uint64_t StallMicros = 3000000;
constexpr auto PumpPeriod = std::chrono::milliseconds(20);

uint64_t NowMicros()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}
} // namespace

AudioDevice::AudioDevice(std::shared_ptr<Mixer> mixerToPlay) : mixer(std::move(mixerToPlay))
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        Logf(LogLevel::Warning, "No audio driver (%s); sound plays silently", SDL_GetError());
    }
    else
    {
        audioInitialised = true;
        std::string error;
        if (!OpenDevice(error))
            Logf(LogLevel::Warning, "No audio device (%s); sound plays silently", error.c_str());
        else
            Logf(LogLevel::Info, "Audio: %s, %d Hz, %d frames per callback", driverName.c_str(), Mixer::OutputRate,
                 deviceFrames);
    }
    lastCallbackMicros = NowMicros();
    pump = std::thread(&AudioDevice::Pump, this);
}

bool AudioDevice::OpenDevice(std::string& error)
{
    SDL_AudioSpec want{};
    want.freq = Mixer::OutputRate;
    want.format = AUDIO_S16SYS;
    want.channels = Mixer::OutputChannels;
    want.samples = DeviceFrames;
    want.callback = &AudioDevice::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware wants.
    uint32_t id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0)
    {
        error = SDL_GetError();
        return false;
    }
    const char* driver = SDL_GetCurrentAudioDriver();
    driverName = driver ? driver : "";
    deviceFrames = have.samples;
    // The pump keeps rendering until the new device's first callback, as it does for a slow start.
    lastCallbackMicros = NowMicros();
    deviceId = id;
    SDL_PauseAudioDevice(id, 0);
    return true;
}

void AudioDevice::DeviceRemoved(uint32_t id)
{
    if (id == 0 || id != deviceId)
        return;
    deviceId = 0;
    // Waits for a running callback; from here on only the pump renders.
    SDL_CloseAudioDevice(id);
    driverName.clear();
    pumpWake.notify_all();
    Logf(LogLevel::Warning, "The audio device was removed; sound plays silently until one is back");
}

void AudioDevice::DeviceAdded()
{
    if (!audioInitialised || deviceId != 0)
        return;
    std::string error;
    if (!OpenDevice(error))
    {
        // SDL announces devices it cannot open for us (busy, or gone again): stay silent.
        Logf(LogLevel::Info, "An audio device appeared but cannot be opened (%s)", error.c_str());
        return;
    }
    Logf(LogLevel::Info, "Audio device back (%s); sound resumes", driverName.c_str());
}

AudioDevice::~AudioDevice()
{
    {
        std::lock_guard<std::mutex> lock(pumpMutex);
        stopping = true;
    }
    pumpWake.notify_all();
    pump.join();
    if (deviceId != 0)
        SDL_CloseAudioDevice(deviceId); // waits for a running callback to finish
    if (audioInitialised)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioDevice::Callback(void* user, uint8_t* stream, int length)
{
    auto* self = static_cast<AudioDevice*>(user);
    const size_t count = size_t(length) / (sizeof(int16_t) * Mixer::OutputChannels);
    const uint64_t start = NowMicros();
    self->mixer->Render(reinterpret_cast<int16_t*>(stream), count);
    const uint64_t end = NowMicros();
    const uint64_t spent = end - start;
    self->lastCallbackMicros = end;
    self->callbacks++;
    self->frames += count;
    if (spent * uint64_t(Mixer::OutputRate) > uint64_t(count) * 1000000u)
        self->lateCallbacks++;
    uint64_t previous = self->maxRenderMicros.load();
    while (spent > previous && !self->maxRenderMicros.compare_exchange_weak(previous, spent))
    {
    }
}

void AudioDevice::Pump()
{
    // Advances the mixer by the time that passed whenever no device is consuming it,
    // rendering into scratch memory that nobody hears.
    std::vector<int16_t> scratch(size_t(Mixer::OutputRate / 10) * Mixer::OutputChannels);
    uint64_t last = NowMicros();
    double carry = 0.0;
    std::unique_lock<std::mutex> lock(pumpMutex);
    while (!stopping)
    {
        pumpWake.wait_for(lock, PumpPeriod);
        if (stopping)
            break;
        const uint64_t now = NowMicros();
        const uint64_t elapsed = now - last;
        last = now;
        if (deviceId != 0 && now - lastCallbackMicros.load() < StallMicros)
        {
            carry = 0.0;
            continue;
        }
        carry += double(elapsed) * Mixer::OutputRate / 1e6;
        // A long stall (a suspended machine) is not replayed in full.
        carry = std::min(carry, double(Mixer::OutputRate));
        size_t due = size_t(carry);
        carry -= double(due);
        lock.unlock();
        while (due > 0)
        {
            const size_t n = std::min(due, scratch.size() / Mixer::OutputChannels);
            mixer->Render(scratch.data(), n);
            pumpedFrames += n;
            due -= n;
        }
        lock.lock();
    }
}

AudioDevice::Stats AudioDevice::GetStats() const
{
    Stats stats;
    stats.callbacks = callbacks.load();
    stats.frames = frames.load();
    stats.lateCallbacks = lateCallbacks.load();
    stats.maxRenderMs = double(maxRenderMicros.load()) / 1000.0;
    stats.pumpedFrames = pumpedFrames.load();
    return stats;
}

} // namespace zest
