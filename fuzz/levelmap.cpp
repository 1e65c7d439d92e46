// libFuzzer harness for level map files: any bytes are checked as a map; a map that is accepted is built
// into a Level and played for a while headless, with the mouse pressing where the bytes say, so every
// placed object runs on whatever the file holds. No crash, no leak, no read outside the data.
#include "garden/Level.h"
#include "garden/LevelHost.h"
#include "garden/LevelMap.h"
#include "graphics/Graphics.h"

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>

namespace
{

class FuzzHost : public tibble::LevelHost
{
public:
    uint32_t Random() override { return generator() >> 1; }
    void PlaySound(int) override {}
    int MouseX() const override { return mouseX; }
    int MouseY() const override { return mouseY; }
    int MouseButtons() const override { return buttons; }
    bool IsPaused() const override { return false; }
    bool LoseLife() override { return --lives < 0; }
    void AddHive() override {}
    int Lives() const override { return lives; }
    int Hives() const override { return 0; }
    bool ReadFileIntoBuffer(const std::string&, std::vector<uint8_t>&) override { return false; }

    std::mt19937 generator{5489u};
    int mouseX = 0;
    int mouseY = 0;
    int buttons = 0;
    int lives = 3;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    (void)tibble::ValidateLevelFile(bytes);
    FuzzHost host;
    std::unique_ptr<tibble::Level> level = tibble::Level::FromBytes(0, host, bytes);
    if (!level)
        return 0;
    zest::Graphics g;
    for (int n = 0; n < 600; n++)
    {
        const uint8_t b = data[static_cast<size_t>(n) % size];
        host.mouseX = (b * 5) % 640;
        host.mouseY = (b * 3) % 480;
        host.buttons = (n / 50) % 2;
        if (level->Update() != tibble::Level::GoOn)
            break;
        if (n % 4 == 0)
            level->Draw(g);
    }
    return 0;
}
