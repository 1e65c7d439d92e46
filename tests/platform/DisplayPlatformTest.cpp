#include "platform/FakeClock.h"
#include "platform/Presenter.h"
#include "platform/SdlWindow.h"
#include "platform/SystemMessageBox.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace zest
{
// Readable rectangles in failure messages.
void PrintTo(const Rect& r, std::ostream* out)
{
    *out << "(" << r.x << ", " << r.y << ", " << r.width << " x " << r.height << ")";
}
} // namespace zest

namespace zest::test
{
namespace
{

TEST(Presenter, FitRectScalesByWholeNumbersWindowedAndLetterboxesOtherwise)
{
    struct Case
    {
        int outWidth, outHeight;
        bool integerOnly;
        Rect expect;
    };
    const Case cases[] = {
        {640, 480, true, Rect(0, 0, 640, 480)},
        {1280, 960, true, Rect(0, 0, 1280, 960)},
        {1300, 1000, true, Rect(10, 20, 1280, 960)},  // whole scale 2, centred
        {1279, 960, true, Rect(319, 240, 640, 480)},  // not quite twice: stays at 1, centred
        {600, 400, true, Rect(-20, -40, 640, 480)},   // never below 1
        {1920, 1080, false, Rect(240, 0, 1440, 1080)}, // wide screen: bars left and right
        {1280, 1024, false, Rect(0, 32, 1280, 960)},  // 5:4: bars above and below
        {0, 0, false, Rect()},
    };
    for (const Case& c : cases)
    {
        Rect fit = Presenter::FitRect(c.outWidth, c.outHeight, 640, 480, c.integerOnly);
        EXPECT_EQ(fit, c.expect) << c.outWidth << "x" << c.outHeight << " " << c.integerOnly;
    }
}

TEST(SdlWindow, IntegerScaleLeavesRoomForTheFrame)
{
    struct Case
    {
        Rect work;
        int expect;
    };
    const Case cases[] = {
        {Rect(0, 0, 1920, 1040), 2}, {Rect(0, 0, 1280, 1024), 1}, {Rect(0, 0, 2560, 1400), 2},
        {Rect(0, 0, 3840, 2100), 4}, {Rect(0, 0, 640, 480), 1},   {Rect(0, 0, 0, 0), 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SdlWindow::IntegerScaleFor(c.work, 640, 480), c.expect) << c.work.width << "x" << c.work.height;
}

// With SDL's dummy driver the whole window path runs: the window opens, the software
// renderer presents, and the picture fills the window.
TEST(SdlWindow, OpensAndPresentsHeadless)
{
    SdlWindow window;
    if (!window.HasVideo())
        GTEST_SKIP() << "no video driver: " << window.LastError();
    ASSERT_TRUE(window.Create("test", 0, 0, 1280, 960, false)) << window.LastError();
    EXPECT_NE(window.Id(), 0u);
    Presenter presenter(window);
    ASSERT_TRUE(presenter.Init(640, 480, false, false)) << presenter.LastError();
    int pitch = 0;
    Rect clipped;
    uint32_t* pixels = presenter.LockArea(Rect(-10, -10, 50, 30), pitch, clipped);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(clipped, Rect(0, 0, 40, 20));
    for (int row = 0; row < clipped.height; row++)
        for (int column = 0; column < clipped.width; column++)
            pixels[row * pitch / 4 + column] = 0xFF336699;
    presenter.UnlockArea();
    EXPECT_TRUE(presenter.Present());
    Point size = window.ClientSize();
    EXPECT_EQ(presenter.PresentationRect(), Rect(0, 0, size.x, size.y));
    EXPECT_EQ(presenter.LockArea(Rect(700, 0, 10, 10), pitch, clipped), nullptr);
}

// Presents wait for the display's refresh only where a renderer shows them, when asked, from the
// start or switched later (SDL paces a renderer that has no vsync of its own at the display's
// rate). The window surface never waits, so the game's loop keeps its own time there.
TEST(Presenter, WaitsForTheRefreshWhenAskedThroughARenderer)
{
    SdlWindow window;
    if (!window.HasVideo())
        GTEST_SKIP() << "no video driver: " << window.LastError();
    ASSERT_TRUE(window.Create("test", 0, 0, 640, 480, false)) << window.LastError();
    EXPECT_GT(window.DisplayRefreshRate(), 0);
    Presenter presenter(window);
    ASSERT_TRUE(presenter.Init(640, 480, false, true)) << presenter.LastError();
    if (presenter.IsDirect())
    {
        EXPECT_FALSE(presenter.HasVSync());
        EXPECT_FALSE(presenter.SetVSync(true));
        EXPECT_FALSE(presenter.HasVSync());
        return;
    }
    EXPECT_TRUE(presenter.HasVSync());
    EXPECT_FALSE(presenter.SetVSync(false));
    EXPECT_FALSE(presenter.HasVSync());
    EXPECT_TRUE(presenter.SetVSync(true));
    ASSERT_TRUE(presenter.Init(640, 480, false, false)) << presenter.LastError();
    EXPECT_FALSE(presenter.HasVSync());
}

// Without an accelerated renderer the picture goes straight into the window surface, scaled by
// whole numbers and centred; a frame whose pixels did not change is not shown again.
TEST(Presenter, ScalesIntoTheWindowSurfaceAndSkipsUnchangedFrames)
{
    SdlWindow window;
    if (!window.HasVideo())
        GTEST_SKIP() << "no video driver: " << window.LastError();
    ASSERT_TRUE(window.Create("test", 0, 0, 1300, 1000, false)) << window.LastError();
    Presenter presenter(window);
    ASSERT_TRUE(presenter.Init(640, 480, false, false)) << presenter.LastError();
    ASSERT_TRUE(presenter.IsDirect()) << presenter.RendererName();
    EXPECT_FALSE(presenter.IsAccelerated());

    // Draws a pattern into area (every pixel of it, as the display does) and presents.
    auto draw = [&](const Rect& area, uint32_t base) {
        int pitch = 0;
        Rect clipped;
        uint32_t* pixels = presenter.LockArea(area, pitch, clipped);
        if (!pixels)
            return false;
        for (int row = 0; row < clipped.height; row++)
            for (int column = 0; column < clipped.width; column++)
                pixels[row * pitch / 4 + column] =
                    base + static_cast<uint32_t>((clipped.y + row) * 640 + clipped.x + column);
        presenter.UnlockArea();
        return presenter.Present();
    };
    SDL_Surface* surface = SDL_GetWindowSurface(window.Handle());
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->w, 1300);
    auto shown = [&](int x, int y) {
        return static_cast<const uint32_t*>(surface->pixels)[static_cast<size_t>(y) * surface->pitch / 4 + x] &
               0xFFFFFF;
    };

    ASSERT_TRUE(draw(Rect(0, 0, 640, 480), 0xFF000000));
    EXPECT_EQ(presenter.PresentCount(), 1u);
    // Scale 2, centred in 1300 x 1000: the picture starts at (10, 20); bars are black.
    struct Probe
    {
        int x, y;
        uint32_t expect;
    };
    const Probe probes[] = {{10, 20, 0}, {11, 21, 0}, {12, 20, 1}, {10 + 2 * 639 + 1, 20, 639},
                            {10, 22, 640}, {10 + 2 * 5 + 1, 20 + 2 * 7 + 1, 7 * 640 + 5}, {9, 20, 0},
                            {1299, 999, 0}, {10 + 2 * 639 + 1, 20 + 2 * 479 + 1, (479 * 640 + 639) & 0xFFFFFF}};
    for (const Probe& p : probes)
        EXPECT_EQ(shown(p.x, p.y), p.expect) << p.x << "," << p.y;

    // The same pixels again: nothing travels, nothing is shown.
    ASSERT_TRUE(draw(Rect(0, 0, 640, 480), 0xFF000000));
    EXPECT_FALSE(presenter.HasChanges());
    EXPECT_EQ(presenter.PresentCount(), 1u);
    // One changed area is shown, and only it changes on the surface.
    ASSERT_TRUE(draw(Rect(100, 200, 3, 2), 0xFF100000));
    EXPECT_EQ(presenter.PresentCount(), 2u);
    EXPECT_EQ(shown(10 + 200 + 1, 20 + 400), (0x100000u + 200 * 640 + 100) & 0xFFFFFF);
    EXPECT_EQ(shown(10 + 2 * 99, 20 + 400), (200u * 640 + 99) & 0xFFFFFF);
    // Invalidating (the window was uncovered) shows the unchanged picture once more.
    presenter.Invalidate();
    EXPECT_TRUE(presenter.Present());
    EXPECT_EQ(presenter.PresentCount(), 3u);
    EXPECT_TRUE(presenter.Present());
    EXPECT_EQ(presenter.PresentCount(), 3u);

    // Full screen fits the picture at a fractional scale, smoothed, with bars where it does not reach.
    if (!window.SetFullScreen(true))
        GTEST_SKIP() << "no full screen: " << window.LastError();
    SDL_PumpEvents();
    surface = SDL_GetWindowSurface(window.Handle());
    ASSERT_NE(surface, nullptr);
    ASSERT_TRUE(draw(Rect(0, 0, 640, 480), 0xFF000000));
    Rect fit = Presenter::FitRect(surface->w, surface->h, 640, 480, false);
    if (fit.width % 640 == 0 && fit.height % 480 == 0)
        GTEST_SKIP() << "the dummy desktop fits a whole scale";
    EXPECT_EQ(presenter.PresentCount(), 4u);
    EXPECT_NE(shown(fit.x + fit.width / 2, fit.y + fit.height / 2), 0u);
    if (fit.x > 0)
    {
        EXPECT_EQ(shown(fit.x - 1, fit.y), 0u);
    }
    if (fit.y > 0)
    {
        EXPECT_EQ(shown(fit.x, fit.y - 1), 0u);
    }
}

TEST(SystemMessageBox, AnswersTheDefaultButtonWhenNobodyCanPress)
{
    struct Case
    {
        unsigned flags;
        int expect;
    };
    const Case cases[] = {{MB_OK, IDOK},
                          {MB_OKCANCEL | MB_ICONWARNING, IDOK},
                          {MB_YESNO | MB_ICONQUESTION, IDYES},
                          {MB_YESNO | MB_DEFBUTTON2, IDNO},
                          {MB_YESNOCANCEL | MB_DEFBUTTON2, IDNO},
                          {MB_OK | MB_DEFBUTTON2, IDOK}};
    for (const Case& c : cases)
        EXPECT_EQ(DefaultMessageBoxAnswer(c.flags), c.expect) << c.flags;
    // Headless (the tests run with the dummy driver) the box goes to stderr.
    testing::internal::CaptureStderr();
    int answer = ShowSystemMessageBox("the text", "The Title", MB_YESNO | MB_DEFBUTTON2, nullptr);
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDNO);
    EXPECT_NE(printed.find("The Title: the text"), std::string::npos);
}

TEST(SystemMessageBox, HandlerReplacesTheBox)
{
    std::vector<std::string> seen;
    MessageBoxHandler previous = SetMessageBoxHandler([&](const std::string& text, const std::string&, unsigned) {
        seen.push_back(text);
        return static_cast<int>(IDCANCEL);
    });
    EXPECT_EQ(ShowSystemMessageBox("hello", "t", MB_OKCANCEL, nullptr), IDCANCEL);
    SetMessageBoxHandler(previous);
    EXPECT_EQ(seen, (std::vector<std::string>{"hello"}));
}

TEST(FakeClock, SleepingAdvancesTimeInsteadOfBlocking)
{
    FakeClock clock(500);
    clock.Sleep(16);
    clock.Advance(4);
    EXPECT_EQ(clock.Now(), 520u);
    EXPECT_EQ(clock.SleepCount(), 1);
    EXPECT_EQ(clock.TotalSlept(), 16u);
    // 64-bit: far past the 49-day wrap of a 32-bit millisecond counter.
    clock.Set(uint64_t{1} << 33);
    clock.Advance(1);
    EXPECT_EQ(clock.Now(), (uint64_t{1} << 33) + 1);
}

} // namespace
} // namespace zest::test
