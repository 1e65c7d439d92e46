// The one audio output of the program: an SDL audio device at 44100 Hz, stereo, 16-bit,
// whose audio thread pulls the mix from a Mixer. Owned by the application; made and
// destroyed on the main thread. With no device (no sound card, a headless server) or
// when the device stops calling back, a silent pump advances the mixer in real time so
// sounds still start, run their length and end. A device that goes away during play (unplugged
// headphones, a sound server restarting) is closed and the pump carries on; when an output
// device appears again, the device is opened again and sound resumes.
#pragma once

#include "platform/Mixer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace zest
{

class AudioDevice
{
public:
    // Opens the default output device (SDL_AUDIODRIVER chooses the driver) and starts
    // playing the mixer. Never fails: without a device the pump takes over.
    explicit AudioDevice(std::shared_ptr<Mixer> mixer);
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;
    ~AudioDevice();

    const std::shared_ptr<Mixer>& GetMixer() const { return mixer; }
    // Whether SDL opened a device (SDL's dummy driver counts: it consumes in real time).
    bool HasDevice() const { return deviceId != 0; }
    // SDL's id of the open device; 0 without one.
    uint32_t DeviceId() const { return deviceId; }

    // SDL reported that the output device with this id was removed (SDL_AUDIODEVICEREMOVED): when
    // it is ours, it is closed, the pump takes over at once and the loss is reported. Other ids
    // are ignored. Main thread.
    void DeviceRemoved(uint32_t id);
    // SDL reported a new output device (SDL_AUDIODEVICEADDED): without an open device, the default
    // one is opened again and sound resumes. Main thread.
    void DeviceAdded();
    // The SDL driver in use ("pulseaudio", "alsa", "dummy"...), empty without a device.
    const std::string& DriverName() const { return driverName; }

    struct Stats
    {
        uint64_t callbacks = 0;      // device callbacks so far
        uint64_t frames = 0;         // frames rendered for the device
        uint64_t lateCallbacks = 0;  // callbacks whose mix took longer than the audio it made
        double maxRenderMs = 0.0;    // longest single mix
        uint64_t pumpedFrames = 0;   // frames advanced silently by the pump
    };
    Stats GetStats() const;

private:
    static void Callback(void* user, uint8_t* stream, int length);
    void Pump();
    // Opens the default output device and starts it; false (and no device) when SDL cannot.
    bool OpenDevice(std::string& error);

    std::shared_ptr<Mixer> mixer;
    // Read by the pump thread; changed on the main thread only.
    std::atomic<uint32_t> deviceId{0};
    bool audioInitialised = false;
    std::string driverName;
    int deviceFrames = 0; // frames per device callback

    std::atomic<uint64_t> callbacks{0};
    std::atomic<uint64_t> frames{0};
    std::atomic<uint64_t> lateCallbacks{0};
    std::atomic<uint64_t> maxRenderMicros{0};
    std::atomic<uint64_t> pumpedFrames{0};
    std::atomic<uint64_t> lastCallbackMicros{0};

    std::mutex pumpMutex;
    std::condition_variable pumpWake;
    bool stopping = false;
    std::thread pump;
};

} // namespace zest
