// The garden picker over the whole game: which gardens it opens, what a garden chosen there does to the stored
// progress, and the records kept beside the progress (a damaged records line costs only itself).
#include "BoardTestSupport.h"

#include "game/GardenPicker.h"
#include "game/GardenRecords.h"
#include "platform/Registry.h"

#include <cstdlib>
#include <functional>
#include <fstream>
#include <sstream>

using boardtest::BoardFixture;
using boardtest::ClickWidget;
using boardtest::Step;
using tibble::Board;
using tibble::GardenPicker;
using tibble::GardenRecords;

namespace
{

// The board with settings and demo folders of its own, so records and best runs of other tests never show.
class GardenPickerTest : public BoardFixture
{
protected:
    void SetUp() override
    {
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        static int counter = 0;
        home = std::filesystem::temp_directory_path() /
               ("tibble-picker-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(home);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        BoardFixture::SetUp();
    }
    void TearDown() override
    {
        BoardFixture::TearDown();
        for (const auto& [name, value] : saved)
        {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::filesystem::remove_all(home);
    }

    void Store(int levelIndex, int hives, int lives)
    {
        ASSERT_TRUE(tibble::WriteGameData(*app, Board::ProgressValueName, Board::EncodeProgress(levelIndex, hives, lives)));
    }

    GardenPicker* OpenPicker()
    {
        ClickWidget(*app, board->GetButton(Board::GardensButtonId));
        Step(*app);
        return dynamic_cast<GardenPicker*>(DialogAt(Board::PanelDialogId));
    }

    // Picks a garden in the picker and plays it: the fade out, the garden's start, the fade in.
    void PlayPicked(int garden)
    {
        GardenPicker* picker = OpenPicker();
        ASSERT_NE(picker, nullptr);
        picker->Select(garden);
        ASSERT_EQ(picker->GetSelected(), garden);
        ClickWidget(*app, picker->GetButton(GardenPicker::PlayId));
        Step(*app, 70);
        ASSERT_EQ(board->GetState(), Board::Playing);
        ASSERT_FALSE(board->IsPaused());
    }

    std::filesystem::path home;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST_F(GardenPickerTest, GardensBeyondTheFurthestReachedAreLocked)
{
    Store(4, 0, 3);
    GardenPicker* picker = OpenPicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->GetFurthest(), 4);
    // Offered first: the garden the stored game goes on with.
    EXPECT_EQ(picker->GetSelected(), 4);
    picker->Select(7);
    EXPECT_EQ(picker->GetSelected(), 4);
    // A click on a locked garden's picture selects nothing; one on an open garden selects it.
    const zest::Point locked = GardenPicker::CellOrigin(9);
    boardtest::Click(*app, picker->x + locked.x + 20, picker->y + locked.y + 20);
    EXPECT_EQ(picker->GetSelected(), 4);
    const zest::Point open = GardenPicker::CellOrigin(2);
    boardtest::Click(*app, picker->x + open.x + 20, picker->y + open.y + 20);
    EXPECT_EQ(picker->GetSelected(), 2);
    // Without a best run there is nothing to watch.
    EXPECT_TRUE(picker->GetButton(GardenPicker::WatchId)->disabled);
    // Every garden has its picture from the map.
    for (int garden = 0; garden < Board::LevelCount; garden++)
        EXPECT_NE(board->Thumbnail(garden), nullptr) << garden;
}

TEST_F(GardenPickerTest, TheFurthestGardenEverReachedStaysOpenAfterRestartOrGameOver)
{
    Store(0, 0, 3);
    ASSERT_TRUE(app->WriteRegDataValues({{GardenRecords::ReachedValueName, {6}}}));
    GardenPicker* picker = OpenPicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->GetFurthest(), 6);
}

// A garden from the picker plays with 3 lives and goes on as usual, but the stored progress never moves back:
// not when its garden lies behind the stored one, not when it is lost, only when it goes beyond.
TEST_F(GardenPickerTest, APickedGardenNeverMovesTheStoredProgressBackwards)
{
    struct Case
    {
        const char* name;
        int picked;
        int result; // what the level answers
        Board::Progress wanted;
    };
    const Case cases[] = {
        {"completed behind the stored garden", 2, tibble::Level::Completed, {8, 2, 1}},
        {"lost behind the stored garden", 2, tibble::Level::GameOver, {8, 2, 1}},
        {"lost at the stored garden", 8, tibble::Level::GameOver, {8, 2, 1}},
        {"completed at the stored garden", 8, tibble::Level::Completed, {9, 0, 3}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Store(8, 2, 1);
        PlayPicked(c.picked);
        EXPECT_TRUE(board->IsPickedRun());
        EXPECT_EQ(board->LevelIndex(), c.picked);
        EXPECT_EQ(board->Lives(), 3);
        EXPECT_EQ(board->Hives(), 0);
        board->OnLevelResult(c.result);
        ASSERT_TRUE(Stored());
        EXPECT_EQ(Stored()->levelIndex, c.wanted.levelIndex);
        EXPECT_EQ(Stored()->hives, c.wanted.hives);
        EXPECT_EQ(Stored()->lives, c.wanted.lives);
        // Back to the menu as the dialogs after a game do it.
        app->CloseDialog(Board::MessageDialogId);
        board->ReturnToMenu();
        for (int i = 0; i < 60 && (board->GetState() != Board::Menu || board->GetFadeDirection() != 0); i++)
            Step(*app);
        ASSERT_EQ(board->GetState(), Board::Menu);
        ASSERT_FALSE(board->IsPaused());
    }
    // PLAY keeps its meaning: the stored game.
    Play();
    EXPECT_FALSE(board->IsPickedRun());
    EXPECT_EQ(board->LevelIndex(), 9);
}

TEST_F(GardenPickerTest, ACompletedGardenKeepsItsRecordBesideTheProgressAndTheBannerSaysSo)
{
    Play();
    Step(*app, 25);
    const int updates = board->LevelUpdates();
    board->OnLevelResult(tibble::Level::Completed);
    ASSERT_TRUE(Stored());
    EXPECT_EQ(Stored()->levelIndex, 1);
    // The first finish of a garden is a record in every field, shown under the next garden's banner.
    EXPECT_NE(board->RecordLine().find("NEW RECORD:"), std::string::npos) << board->RecordLine();
    GardenRecords stored;
    stored.Load(*app);
    std::optional<GardenRecords::Record> record = stored.Get(0, false);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->updates, updates);
    EXPECT_EQ(record->livesLost, 0);
    EXPECT_FALSE(stored.Get(0, true));
    EXPECT_EQ(stored.Reached(), 1);
    // The fastest run is kept as a demo in the demo folder.
    EXPECT_TRUE(std::filesystem::is_regular_file(board->BestRunPath(0, false)));
}

// Records 1 to 3 and the progress are stored; one records line is then damaged in the settings file. Reading
// again loses that record only.
TEST_F(GardenPickerTest, ADamagedRecordsLineKeepsTheOtherRecordsAndTheProgress)
{
    struct Case
    {
        const char* name;
        std::function<std::string(const std::string&)> damage; // the damaged form of the "Record2" line
    };
    const Case cases[] = {
        {"not hexadecimal", [](const std::string&) { return std::string("data :Record2 :zz9"); }},
        {"a changed digit", [](const std::string& line)
         {
             std::string damaged = line;
             char& digit = damaged[damaged.size() - 3];
             digit = digit == '0' ? '1' : '0';
             return damaged;
         }},
        {"cut short", [](const std::string& line) { return line.substr(0, line.size() - 4); }},
        {"an odd type", [](const std::string&) { return std::string("dword :Record2 12"); }},
    };
    const GardenRecords::Record first{4100, 0, 50};
    const GardenRecords::Record second{6000, 1, 70};
    const GardenRecords::Record third{11000, 2, 80};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(app->WriteRegDataValues({
            {GardenRecords::ValueName(0, false), GardenRecords::Encode(first)},
            {GardenRecords::ValueName(1, false), GardenRecords::Encode(second)},
            {GardenRecords::ValueName(2, true), GardenRecords::Encode(third)},
            {GardenRecords::ReachedValueName, {3}},
            {Board::ProgressValueName, Board::EncodeProgress(3, 1, 2)},
        }));
        const std::string path = zest::Registry::FilePathForKey(app->registryKey);
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        std::string contents = text.str();
        const size_t at = contents.find("data :Record2 ");
        ASSERT_NE(at, std::string::npos) << contents;
        const size_t end = contents.find('\n', at);
        contents.replace(at, end - at, c.damage(contents.substr(at, end - at)));
        std::ofstream(path, std::ios::trunc) << contents;

        GardenRecords records;
        records.Load(*app);
        EXPECT_EQ(records.Get(0, false), first);
        EXPECT_FALSE(records.Get(1, false));
        EXPECT_EQ(records.Get(2, true), third);
        EXPECT_EQ(records.Reached(), 3);
        ASSERT_TRUE(Stored());
        EXPECT_EQ(Stored()->levelIndex, 3);
        EXPECT_EQ(Stored()->hives, 1);
        EXPECT_EQ(Stored()->lives, 2);
        std::filesystem::remove(path);
    }
}

TEST(GardenRecords, StoredRecordsReadBackAndDamagedOnesDoNot)
{
    const GardenRecords::Record record{37285, 3, 190};
    const std::vector<uint8_t> good = GardenRecords::Encode(record);
    ASSERT_EQ(GardenRecords::Decode(good), record);
    struct Case
    {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> change;
    };
    const Case cases[] = {
        {"empty", [](auto& b) { b.clear(); }},
        {"one byte short", [](auto& b) { b.pop_back(); }},
        {"one byte more", [](auto& b) { b.push_back(0); }},
        {"another version", [](auto& b) { b[0] = 2; }},
        {"a flipped bit in the time", [](auto& b) { b[2] ^= 4; }},
        {"a flipped bit in the honey", [](auto& b) { b[6] ^= 1; }},
        {"swapped bytes", [](auto& b) { std::swap(b[1], b[2]); }},
        {"a wrong check byte", [](auto& b) { b[8] ^= 0x80; }},
    };
    for (const Case& c : cases)
    {
        std::vector<uint8_t> bytes = good;
        c.change(bytes);
        EXPECT_FALSE(GardenRecords::Decode(bytes)) << c.name;
    }
}

TEST(GardenRecords, EachFieldImprovesOnItsOwnAndAssistRunsKeepTheirOwn)
{
    struct Case
    {
        const char* name;
        bool assist;
        GardenRecords::Record run;
        bool fastest, fewestLost, mostHoney;
        GardenRecords::Record after;
    };
    const Case cases[] = {
        {"first run", false, {5000, 2, 60}, true, true, true, {5000, 2, 60}},
        {"slower with more honey", false, {6000, 3, 70}, false, false, true, {5000, 2, 70}},
        {"faster, no life lost", false, {4000, 0, 10}, true, true, false, {4000, 0, 70}},
        {"no better", false, {4000, 0, 70}, false, false, false, {4000, 0, 70}},
        {"assisted, slower: its own first", true, {9000, 5, 5}, true, true, true, {9000, 5, 5}},
    };
    GardenRecords records;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        GardenRecords::Improvement improvement = records.Add(4, c.assist, c.run);
        EXPECT_EQ(improvement.fastest, c.fastest);
        EXPECT_EQ(improvement.fewestLost, c.fewestLost);
        EXPECT_EQ(improvement.mostHoney, c.mostHoney);
        EXPECT_EQ(records.Get(4, c.assist), c.after);
    }
    EXPECT_EQ(records.Get(4, false), (GardenRecords::Record{4000, 0, 70}));
    std::map<std::string, std::vector<uint8_t>> changes = records.TakeChanges();
    EXPECT_EQ(changes.count("Record5"), 1u);
    EXPECT_EQ(changes.count("AssistRecord5"), 1u);
    EXPECT_TRUE(records.TakeChanges().empty());
}

TEST(GardenRecords, TimesReadAsThePlayerCountsThem)
{
    const std::pair<int, const char*> cases[] = {
        {0, "0.0 s"}, {4095, "40.9 s"}, {5999, "59.9 s"}, {6000, "1:00.0"}, {37285, "6:12.8"}, {-5, "0.0 s"}};
    for (const auto& [updates, text] : cases)
        EXPECT_EQ(GardenRecords::FormatUpdates(updates), text) << updates;
}

} // namespace
