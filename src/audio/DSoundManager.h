// The sound manager over our mixer: 256 sound slots loaded from wave, Ogg Vorbis or AU
// files (decoded sounds cached on the disk as wave files) and 32 channels of playing
// instances. Owned by the application. LoadSound may run on the loading thread while
// the main thread plays other sounds; all other calls belong to the main thread.
#pragma once

#include "audio/SoundManager.h"
#include "platform/Clock.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace zest
{

class DSoundInstance;
class Mixer;
class MixerBuffer;
struct FModFunctions;
struct MixerSamples;

class DSoundManager : public SoundManager
{
public:
    static constexpr int MaxSounds = 256;
    static constexpr int MaxChannels = 32;

    // With a null mixer nothing is decoded or played: loads succeed and instances are
    // silent. useFmod also tries name ".mp3" through the FMOD-style library. The clock
    // times the sweep of finished channels; it must outlive the manager.
    DSoundManager(std::shared_ptr<Mixer> mixer, bool useFmod, Clock& clock);
    DSoundManager(std::shared_ptr<Mixer> mixer, bool useFmod);
    DSoundManager(const DSoundManager&) = delete;
    DSoundManager& operator=(const DSoundManager&) = delete;
    ~DSoundManager() override;

    bool Initialized() override;
    int LoadSound(const std::string& name) override;
    [[nodiscard]] bool LoadSound(int id, const std::string& name) override;
    void ReleaseSound(int id) override;
    void SetVolume(double volume) override;
    bool SetBaseVolume(int id, double volume) override;
    bool SetBasePan(int id, int pan) override;
    SoundInstance* GetSoundInstance(int id) override;
    void ReleaseSounds() override;
    void ReleaseChannels() override;
    double GetMasterVolume() override;
    void SetMasterVolume(double volume) override;
    // Nothing is buffered ahead: there is nothing to flush.
    void Flush() override;
    // Our device is shared by the whole process and needs no window or focus level.
    void SetCooperativeWindow(void* window, bool windowed) override;
    void StopAllSounds() override;
    int GetFreeSoundId() override;
    int GetNumSounds() override;

    // The device volume (hundredths of a decibel) of a volume 0..1:
    // (log10(9v + 1) - 1) x 2333 truncated toward zero; below -2000 it is -10000.
    static int ToDeviceVolume(double volume);
    // A volume from settings or a caller held within 0..1 (NaN gives 0).
    static double ClampVolume(double volume);

    double GetEffectsVolume() const { return effectsVolume; }
    // The name a slot was loaded from (empty when free).
    std::string GetSoundName(int id) const;
    // Bytes of 16-bit sample data in a slot (0 when empty or silent).
    size_t GetSoundLength(int id) const;

private:
    // A cache folder that cannot be written (read-only, a full disk) is reported once, as a warning with the reason.
    void NoteCacheNotWritten(const std::string& path, const std::string& reason);

    std::atomic<bool> cacheFailureReported{false};

    struct SoundSlot
    {
        std::unique_ptr<MixerBuffer> buffer;
        std::string name;
        size_t length = 0; // bytes of 16-bit data
        double baseVolume = 1.0;
        int basePan = 0;
        bool loaded = false;
    };

    std::optional<MixerSamples> Decode(const std::string& name);
    std::optional<MixerSamples> DecodeWithFmod(const std::string& fileName);
    int FindFreeChannel();

    std::shared_ptr<Mixer> mixer;
    std::shared_ptr<const FModFunctions> fmod;
    Clock& clock;
    bool useFmod = false;

    // Slots are read by the main thread while the loading thread fills others.
    mutable std::mutex slotMutex;
    std::array<SoundSlot, MaxSounds> sounds;
    std::array<std::unique_ptr<DSoundInstance>, MaxChannels> channels;
    double effectsVolume = 1.0;
    double masterVolume = 1.0; // kept here too when there is no mixer
    std::optional<uint64_t> lastReleaseTick;
};

} // namespace zest
