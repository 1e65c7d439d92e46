#include "platform/AudioDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using zest::AudioDevice;
using zest::Mixer;

TEST(AudioDevice, OpensSdlsDummyDriver)
{
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    if (driver == nullptr || std::string(driver) != "dummy")
        GTEST_SKIP() << "runs under SDL_AUDIODRIVER=dummy";
    AudioDevice device(Mixer::Create());
    EXPECT_TRUE(device.HasDevice());
    EXPECT_EQ(device.DriverName(), "dummy");
    EXPECT_TRUE(device.GetMixer());
}

TEST(AudioDevice, WithoutADriverStillRunsSilently)
{
    const char* saved = std::getenv("SDL_AUDIODRIVER");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        auto mixer = Mixer::Create();
        AudioDevice device(mixer);
        EXPECT_FALSE(device.HasDevice());
        EXPECT_TRUE(device.DriverName().empty());
        EXPECT_EQ(device.GetMixer(), mixer);
    }
    if (saved != nullptr)
        setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
}
