// A whole game driven headless for the board and dialog tests: the small data set with level maps
// added, the game loaded and clicked through the title screen onto the board, a recording sound
// manager, and input sent through the widget manager as a player would.
#pragma once

#include "GameTestData.h"

#include "app/ZestAppBase.h"
#include "audio/SoundInstance.h"
#include "audio/SoundManager.h"
#include "game/GameApp.h"
#include "garden/Res.h"
#include "game/TitleScreen.h"
#include "game/Board.h"
#include "garden/Level.h"
#include "platform/FakeClock.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/DialogButton.h"
#include "widgets/HyperlinkWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

namespace boardtest
{

// Counts the sounds the game starts.
class RecordingSounds : public zest::SoundManager
{
public:
    class Instance : public zest::SoundInstance
    {
    public:
        Instance(RecordingSounds& owner, int id) : owner(owner), id(id) {}
        void Release() override {}
        void SetBaseVolume(double) override {}
        void SetBasePan(int) override {}
        void AdjustPitch(double) override {}
        void SetVolume(double) override {}
        void SetPan(int) override {}
        bool Play(bool, bool) override
        {
            owner.played.push_back(id);
            return true;
        }
        void Stop() override {}
        bool IsPlaying() override { return false; }
        bool IsReleased() override { return false; }
        double GetVolume() override { return 1; }

    private:
        RecordingSounds& owner;
        int id;
    };

    bool Initialized() override { return true; }
    int LoadSound(const std::string&) override { return -1; }
    bool LoadSound(int, const std::string&) override { return true; }
    void ReleaseSound(int) override {}
    void SetVolume(double newVolume) override { volume = newVolume; }
    bool SetBaseVolume(int, double) override { return true; }
    bool SetBasePan(int, int) override { return true; }
    zest::SoundInstance* GetSoundInstance(int id) override
    {
        instances.push_back(std::make_unique<Instance>(*this, id));
        return instances.back().get();
    }
    void ReleaseSounds() override {}
    void ReleaseChannels() override {}
    double GetMasterVolume() override { return 1; }
    void SetMasterVolume(double) override {}
    void Flush() override {}
    void SetCooperativeWindow(void*, bool) override {}
    void StopAllSounds() override {}
    int GetFreeSoundId() override { return 0; }
    int GetNumSounds() override { return 0; }

    std::vector<int> played;
    double volume = -1;

private:
    std::vector<std::unique_ptr<Instance>> instances;
};

struct ClockHolder
{
    zest::FakeClock fakeClock;
};

class TestGame : private ClockHolder, public tibble::GameApp
{
public:
    explicit TestGame(const std::string& dataFolder)
    {
        SetClock(&fakeClock);
        changeDir = dataFolder;
        onlyAllowOneCopyToRun = false;
        autoStartLoadingThread = false;
        isWindowed = true;
    }
    ~TestGame() override
    {
        WaitForLoadingThread();
        if (realSounds)
            soundManager = std::move(realSounds);
    }
    // Puts the recording sound manager in place of the real one (kept until the end).
    RecordingSounds& RecordSounds()
    {
        realSounds = std::move(soundManager);
        auto recording = std::make_unique<RecordingSounds>();
        RecordingSounds& result = *recording;
        soundManager = std::move(recording);
        return result;
    }
    const std::map<int, zest::Dialog*>& Dialogs() const { return dialogMap; }
    // No browser in tests: the address is recorded.
    bool OpenUrl(const std::string& url, bool shutdownAfter) override
    {
        (void)shutdownAfter;
        openedUrls.push_back(url);
        return true;
    }
    std::vector<std::string> openedUrls;

private:
    std::unique_ptr<zest::SoundManager> realSounds;
};

// A level map: open tiles, a start trumpet near the top left and one flower far to the right.
inline std::vector<uint8_t> OpenMap(int width = 12, int height = 10)
{
    std::vector<uint8_t> out;
    auto put = [&out](int value)
    {
        out.push_back(static_cast<uint8_t>(value & 0xFF));
        out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    };
    put(width);
    put(height);
    for (int i = 0; i < width * height; i++)
        put(1);
    put(2);
    put(tibble::TypeStartTrumpet);
    put(2 * 64);
    put(2 * 64);
    put(0);
    put(tibble::TypeMiniFlower);
    put((width - 2) * 64);
    put(2 * 64);
    put(0);
    return out;
}

template <class Condition> bool WaitUntil(Condition condition)
{
    for (long i = 0; i < 200000000L; i++)
    {
        if (condition())
            return true;
        std::this_thread::yield();
    }
    return condition();
}

// One update and the draw that follows it.
inline void Step(TestGame& app, int count = 1)
{
    for (int i = 0; i < count; i++)
    {
        app.UpdateOnce();
        app.GetWidgetManager()->DrawWidgets();
    }
}

inline void Click(TestGame& app, int x, int y)
{
    zest::WidgetManager* manager = app.GetWidgetManager();
    manager->MouseMove(x, y);
    manager->MouseDown(x, y, 1);
    manager->MouseUp(x, y, 1);
}

inline void ClickWidget(TestGame& app, const zest::Widget* widget)
{
    ASSERT_NE(widget, nullptr);
    Click(app, widget->x + widget->width / 2, widget->y + widget->height / 2);
}

inline void PressKey(TestGame& app, int key)
{
    app.GetWidgetManager()->KeyDown(key);
    app.GetWidgetManager()->KeyUp(key);
}

// The game from start-up to the main menu on the board, with no progress stored.
class BoardFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gametest::ClearIdentifiers();
        previousFolder = std::filesystem::current_path();
        data = std::make_unique<gametest::DataFolder>();
        std::filesystem::create_directories(data->Path("maps"));
        for (const char* name : {"1", "2", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14"})
        {
            std::ofstream file(data->Path(std::string("maps/") + name + ".pmp"), std::ios::binary);
            std::vector<uint8_t> bytes = OpenMap();
            file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        StartGame();
    }
    void TearDown() override
    {
        app.reset();
        std::filesystem::current_path(previousFolder);
        data.reset();
        gametest::ClearIdentifiers();
    }

    // The program ends as after QUIT: settings are stored, everything goes.
    void EndGame()
    {
        if (app)
            app->SaveSettings();
        app.reset();
        board = nullptr;
        sounds = nullptr;
    }

    void StartGame(bool clearProgress = true)
    {
        app = std::make_unique<TestGame>(data->Path());
        app->Initialize();
        app->StartLoadingThread();
        ASSERT_TRUE(WaitUntil([&] { return app->loadingThreadCompleted.load(); }));
        ASSERT_TRUE(app->RunUpdate());
        sounds = &app->RecordSounds();
        tibble::TitleScreen* title = app->GetTitleScreen();
        ASSERT_NE(title, nullptr);
        ClickWidget(*app, title->GetContinueLink());
        board = dynamic_cast<tibble::Board*>(app->GetBoard());
        ASSERT_NE(board, nullptr);
        if (clearProgress)
            (void)app->EraseRegValue(tibble::Board::ProgressValueName);
        Step(*app);
        ASSERT_EQ(board->GetState(), tibble::Board::Menu);
    }

    // The progress stored in the registry, or none.
    std::optional<tibble::Board::Progress> Stored()
    {
        std::vector<uint8_t> bytes;
        if (!tibble::ReadGameData(*app, tibble::Board::ProgressValueName, bytes))
            return std::nullopt;
        return tibble::Board::DecodeProgress(bytes);
    }

    // PLAY and the fade that follows it; the level is then running.
    void Play()
    {
        ClickWidget(*app, board->GetButton(tibble::Board::PlayButtonId));
        Step(*app, 40);
        ASSERT_EQ(board->GetState(), tibble::Board::Playing);
        ASSERT_FALSE(board->IsPaused());
    }

    zest::Dialog* DialogAt(int id) { return app->GetDialog(id); }

    std::filesystem::path previousFolder;
    std::unique_ptr<gametest::DataFolder> data;
    std::unique_ptr<TestGame> app;
    tibble::Board* board = nullptr;
    RecordingSounds* sounds = nullptr;
};

} // namespace boardtest
