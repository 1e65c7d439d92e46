// The audio output losing its device during play and getting one back: SDL's device events, handed on by the event
// pump, close the device and reopen one, while the mixer keeps running throughout. SDL's dummy driver and its disk
// driver (which writes the output to a file in real time) stand in for hardware that can be unplugged.
#include "platform/AudioDevice.h"
#include "platform/EventPump.h"
#include "platform/Log.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using zest::AudioDevice;
using zest::Mixer;

namespace
{

// Sets an environment variable for the scope and puts the old value back.
class ScopedEnv
{
public:
    ScopedEnv(const char* variableName, const std::string& value) : name(variableName)
    {
        const char* old = std::getenv(name);
        hadValue = old != nullptr;
        previous = hadValue ? old : "";
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (hadValue)
            setenv(name, previous.c_str(), 1);
        else
            unsetenv(name);
    }

private:
    const char* name;
    bool hadValue = false;
    std::string previous;
};

// Counts the warnings logged while it lives.
class WarningCount
{
public:
    WarningCount()
    {
        previous = zest::SetLogSink([this](zest::LogLevel level, const std::string& line) {
            std::lock_guard<std::mutex> lock(mutex);
            if (level == zest::LogLevel::Warning)
                lines.push_back(line);
        });
    }
    ~WarningCount() { zest::SetLogSink(previous); }
    std::vector<std::string> Lines()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }

private:
    zest::LogSink previous;
    std::mutex mutex;
    std::vector<std::string> lines;
};

// The device's threads run in real time: waits (generously) for what they do next.
bool Eventually(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

uintmax_t FileSize(const std::filesystem::path& path)
{
    std::error_code error;
    uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

void PushDeviceEvent(uint32_t type, uint32_t which, bool capture)
{
    SDL_Event event{};
    event.type = type;
    event.adevice.which = which;
    event.adevice.iscapture = capture ? 1 : 0;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

} // namespace

TEST(AudioDevice, LostDeviceLeavesTheMixerRunningAndReturns)
{
    struct Case
    {
        const char* driver;
        bool writesFile; // the disk driver: what is played lands in a file
    };
    const Case cases[] = {{"dummy", false}, {"disk", true}};
    const std::filesystem::path output = std::filesystem::temp_directory_path() / "zest-audio-loss-ü.raw";
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.driver);
        ScopedEnv driver("SDL_AUDIODRIVER", c.driver);
        ScopedEnv file("SDL_DISKAUDIOFILE", output.string());
        ScopedEnv delay("SDL_DISKAUDIODELAY", "5");
        WarningCount warnings;
        {
            AudioDevice device(Mixer::Create());
            if (!device.HasDevice())
            {
                std::cout << "SDL's " << c.driver << " audio driver is not available here\n";
                continue;
            }
            const uint32_t id = device.DeviceId();

            // Another device going away is none of ours.
            device.DeviceRemoved(id + 1);
            EXPECT_TRUE(device.HasDevice());

            device.DeviceRemoved(id);
            EXPECT_FALSE(device.HasDevice());
            EXPECT_TRUE(device.DriverName().empty());
            std::vector<std::string> lines = warnings.Lines();
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_NE(lines[0].find("removed"), std::string::npos) << lines[0];
            // The pump takes over at once, not after the stall timeout.
            const uint64_t pumped = device.GetStats().pumpedFrames;
            EXPECT_TRUE(Eventually([&] { return device.GetStats().pumpedFrames > pumped; }));
            // Removed twice (SDL reports once, but a stale id must not close anything) is harmless.
            device.DeviceRemoved(id);
            EXPECT_EQ(warnings.Lines().size(), 1u);

            const uintmax_t sizeBefore = FileSize(output);
            device.DeviceAdded();
            ASSERT_TRUE(device.HasDevice());
            EXPECT_EQ(device.DriverName(), c.driver);
            const uint64_t callbacks = device.GetStats().callbacks;
            EXPECT_TRUE(Eventually([&] { return device.GetStats().callbacks > callbacks + 2; }));
            if (c.writesFile)
            {
                EXPECT_TRUE(Eventually([&] { return FileSize(output) > 0 && FileSize(output) != sizeBefore; }));
            }
            // A second device appearing while ours plays changes nothing.
            const uint32_t reopened = device.DeviceId();
            device.DeviceAdded();
            EXPECT_EQ(device.DeviceId(), reopened);
        }
        EXPECT_EQ(warnings.Lines().size(), 1u);
    }
    std::error_code error;
    std::filesystem::remove(output, error);
}

TEST(AudioDevice, EventPumpHandsOutputDeviceEventsToTheDevice)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    {
        AudioDevice device(Mixer::Create());
        if (!device.HasDevice())
            GTEST_SKIP() << "needs an audio driver that opens a device (SDL_AUDIODRIVER=dummy)";
        zest::EventPump pump;
        pump.SetAudioDevice(&device);
        std::vector<zest::WindowMessage> messages;
        pump.Poll(messages); // whatever SDL announced while starting

        const uint32_t id = device.DeviceId();
        // A recording device of the same number going away is not the output.
        PushDeviceEvent(SDL_AUDIODEVICEREMOVED, id, true);
        pump.Poll(messages);
        EXPECT_TRUE(device.HasDevice());

        PushDeviceEvent(SDL_AUDIODEVICEREMOVED, id, false);
        pump.Poll(messages);
        EXPECT_FALSE(device.HasDevice());

        PushDeviceEvent(SDL_AUDIODEVICEADDED, 0, false);
        pump.Poll(messages);
        EXPECT_TRUE(device.HasDevice());
        EXPECT_TRUE(messages.empty()) << "device events are no window messages";

        // Without a device to tell, the events pass by.
        pump.SetAudioDevice(nullptr);
        PushDeviceEvent(SDL_AUDIODEVICEREMOVED, device.DeviceId(), false);
        pump.Poll(messages);
        EXPECT_TRUE(device.HasDevice());
    }
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}
