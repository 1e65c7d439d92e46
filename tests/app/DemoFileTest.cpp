// The demo file: what is written reads back the same, damaged files are refused with a clear reason (never a
// crash, never a half-read demo), and a file cut short by a run that died plays up to its last whole record. The recorder writes the same bytes as the whole-file encoder and
// the numbered files are found in order.
#include "app/DemoFile.h"
#include "app/DemoPlayer.h"
#include "app/DemoRecorder.h"
#include "app/ZestAppBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace zest
{
namespace
{

DemoFile SampleDemo()
{
    DemoFile demo;
    demo.header.seed = 0xDEADBEEF;
    demo.header.windowed = false;
    demo.header.refreshRate = 60;
    demo.header.frameTime = 10;
    demo.header.vsyncUpdates = true;
    demo.header.productName = "Tibble the Bee";
    auto add = [&demo](DemoRecord record) { demo.records.push_back(std::move(record)); };
    DemoRecord seed;
    seed.kind = DemoRecord::Kind::Seed;
    seed.seed = 7;
    add(seed);
    DemoRecord loaded;
    loaded.kind = DemoRecord::Kind::LoadingDone;
    add(loaded);
    DemoRecord click;
    click.kind = DemoRecord::Kind::Message;
    click.message = {0, WM_LBUTTONDOWN, MK_LBUTTON, MakePointParam(-5, 470)};
    add(click);
    DemoRecord update;
    update.kind = DemoRecord::Kind::Update;
    add(update);
    DemoRecord file;
    file.kind = DemoRecord::Kind::File;
    file.fileName = "maps/1.pmp";
    file.found = true;
    file.bytes = {1, 2, 3, 0, 255};
    add(file);
    DemoRecord missing;
    missing.kind = DemoRecord::Kind::File;
    missing.fileName = "maps/99.pmp";
    add(missing);
    DemoRecord setting;
    setting.kind = DemoRecord::Kind::Setting;
    setting.fileName = "rTRe";
    setting.found = true;
    setting.bytes = {0x5F, 0xC3, 0x72};
    add(setting);
    DemoRecord draw;
    draw.kind = DemoRecord::Kind::Draw;
    add(draw);
    DemoRecord left;
    left.kind = DemoRecord::Kind::MouseLeft;
    left.x = -3;
    left.y = 600;
    add(left);
    return demo;
}

void ExpectSame(const DemoFile& a, const DemoFile& b)
{
    EXPECT_EQ(a.header.seed, b.header.seed);
    EXPECT_EQ(a.header.windowed, b.header.windowed);
    EXPECT_EQ(a.header.refreshRate, b.header.refreshRate);
    EXPECT_EQ(a.header.frameTime, b.header.frameTime);
    EXPECT_EQ(a.header.vsyncUpdates, b.header.vsyncUpdates);
    EXPECT_EQ(a.header.width, b.header.width);
    EXPECT_EQ(a.header.height, b.header.height);
    EXPECT_EQ(a.header.productName, b.header.productName);
    ASSERT_EQ(a.records.size(), b.records.size());
    for (size_t i = 0; i < a.records.size(); i++)
    {
        const DemoRecord& x = a.records[i];
        const DemoRecord& y = b.records[i];
        EXPECT_EQ(x.kind, y.kind) << i;
        EXPECT_EQ(x.message.message, y.message.message) << i;
        EXPECT_EQ(x.message.wparam, y.message.wparam) << i;
        EXPECT_EQ(x.message.lparam, y.message.lparam) << i;
        EXPECT_EQ(x.fileName, y.fileName) << i;
        EXPECT_EQ(x.found, y.found) << i;
        EXPECT_EQ(x.bytes, y.bytes) << i;
        EXPECT_EQ(x.seed, y.seed) << i;
        EXPECT_EQ(x.x, y.x) << i;
        EXPECT_EQ(x.y, y.y) << i;
    }
}

TEST(DemoFile, EveryRecordKindReadsBackAsWritten)
{
    DemoFile demo = SampleDemo();
    std::string error;
    std::optional<DemoFile> back = DemoFile::Parse(demo.Encode(), error);
    ASSERT_TRUE(back) << error;
    ExpectSame(demo, *back);
    EXPECT_EQ(PointParamX(back->records[2].message.lparam), -5);
}

TEST(DemoFile, TheUpdateMultiplierTravelsInTheHeaderAndFullSpeedKeepsTheOldFormat)
{
    struct Case
    {
        double multiplier;
        uint16_t version;
        double readBack;
    };
    // A slowed run needs the newer header; a full-speed one is written exactly as before it existed.
    const Case cases[] = {{1.0, 1, 1.0}, {0.85, 2, 0.85}, {0.7, 2, 0.7}, {0.55, 2, 0.55},
                          {0.0, 1, 1.0}, {-1.0, 1, 1.0}, {1e9, 1, 1.0}};
    const std::vector<uint8_t> plain = SampleDemo().Encode();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.multiplier);
        DemoFile demo = SampleDemo();
        demo.header.updateMultiplier = c.multiplier;
        std::vector<uint8_t> bytes = demo.Encode();
        EXPECT_EQ(bytes[4] | bytes[5] << 8, c.version);
        if (c.version == 1)
        {
            EXPECT_EQ(bytes, plain);
        }
        std::string error;
        std::optional<DemoFile> back = DemoFile::Parse(bytes, error);
        ASSERT_TRUE(back) << error;
        EXPECT_DOUBLE_EQ(back->header.updateMultiplier, c.readBack);
        ExpectSame(demo, *back);
    }
}

TEST(DemoFile, ACutShortFilePlaysItsWholeRecordsOrIsRefusedWhenNothingWasPlayed)
{
    // What a run that died leaves behind: the file ends anywhere, without its end record.
    DemoFile demo = SampleDemo();
    std::vector<uint8_t> bytes = demo.Encode();
    const size_t headerSize = DemoFile::EncodeHeader(demo.header).size();
    std::vector<size_t> recordEnds;
    std::vector<uint8_t> upTo = DemoFile::EncodeHeader(demo.header);
    for (const DemoRecord& record : demo.records)
    {
        DemoFile::EncodeRecord(record, upTo);
        recordEnds.push_back(upTo.size());
    }
    const size_t firstUpdate = 3;
    for (size_t length = 0; length < bytes.size(); length++)
    {
        SCOPED_TRACE(length);
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        std::string error;
        std::optional<DemoFile> read = DemoFile::Parse(cut, error);
        size_t whole = static_cast<size_t>(
            std::count_if(recordEnds.begin(), recordEnds.end(), [&](size_t end) { return end <= length; }));
        if (length < headerSize || whole <= firstUpdate)
        {
            // The first four bytes tell a demo from anything else; then nothing is played before an update.
            EXPECT_FALSE(read);
            EXPECT_EQ(error, length < 4 ? "it is not a demo file" : "the file is truncated");
            continue;
        }
        ASSERT_TRUE(read) << error;
        EXPECT_TRUE(read->cutShort);
        EXPECT_TRUE(error.empty());
        ASSERT_EQ(read->records.size(), whole);
        DemoFile expected = demo;
        expected.records.resize(whole);
        ExpectSame(expected, *read);
    }
    // A finished file is not cut short.
    std::string error;
    std::optional<DemoFile> whole = DemoFile::Parse(bytes, error);
    ASSERT_TRUE(whole);
    EXPECT_FALSE(whole->cutShort);
}

TEST(DemoFile, DamageBeforeTheEndOfACutShortFileIsStillRefused)
{
    DemoFile demo = SampleDemo();
    std::vector<uint8_t> cut = DemoFile::EncodeHeader(demo.header);
    for (const DemoRecord& record : demo.records)
        DemoFile::EncodeRecord(record, cut);
    struct Case
    {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> change;
        std::string error;
    };
    const size_t firstRecord = DemoFile::EncodeHeader(demo.header).size();
    const Case cases[] = {
        {"unknown record kind", [&](auto& b) { b[firstRecord] = 99; }, "the file is damaged (unknown record kind 99)"},
        {"bad file record", [](auto& b) { b.insert(b.end(), {4, 1, 0, 'x', 7, 0, 0, 0, 0}); },
         "the file is damaged (bad file record)"},
    };
    for (const Case& c : cases)
    {
        std::vector<uint8_t> bytes = cut;
        c.change(bytes);
        std::string error;
        EXPECT_FALSE(DemoFile::Parse(bytes, error)) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

TEST(DemoFile, EveryChangedByteIsRefused)
{
    std::vector<uint8_t> bytes = SampleDemo().Encode();
    for (size_t i = 0; i < bytes.size(); i++)
    {
        for (uint8_t flip : {0x01, 0x80, 0xFF})
        {
            std::vector<uint8_t> damaged = bytes;
            damaged[i] ^= flip;
            std::string error;
            EXPECT_FALSE(DemoFile::Parse(damaged, error)) << "byte " << i << " ^ " << int(flip);
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(DemoFile, DamageIsNamed)
{
    std::vector<uint8_t> good = SampleDemo().Encode();
    struct Case
    {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> change;
        std::string error;
    };
    const size_t versionAt = 4;
    const Case cases[] = {
        {"other magic", [](auto& b) { b[0] = 'X'; }, "it is not a demo file"},
        {"newer version", [&](auto& b) { b[versionAt] = 3; },
         "it was recorded by another version (format 3, this program reads 1 and 2)"},
        {"bytes after the end", [](auto& b) { b.push_back(0); }, "the file is damaged (data after the end)"},
        {"end record repeated", [](auto& b) { b.insert(b.end(), b.end() - 9, b.end()); },
         "the file is damaged (data after the end)"},
        {"wrong record count", [](auto& b) { b[b.size() - 8] ^= 1; },
         "the file is damaged (record count does not match)"},
        {"wrong checksum", [](auto& b) { b[b.size() - 1] ^= 1; }, "the file is damaged (checksum does not match)"},
    };
    for (const Case& c : cases)
    {
        std::vector<uint8_t> bytes = good;
        c.change(bytes);
        std::string error;
        EXPECT_FALSE(DemoFile::Parse(bytes, error)) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

TEST(DemoFile, RecordsOfUnknownKindAreRefusedEvenWithAGoodChecksum)
{
    // A file written by a careless tool: well formed around a record this program cannot replay.
    for (std::vector<uint8_t> record : {std::vector<uint8_t>{99}, std::vector<uint8_t>{1, 0x13, 1, 0, 0}})
    {
        std::vector<uint8_t> bytes = DemoFile::EncodeHeader(DemoHeader());
        bytes.insert(bytes.end(), record.begin(), record.end());
        if (record.size() > 1)
            bytes.resize(bytes.size() + 16, 0); // wparam and lparam
        std::vector<uint8_t> end = DemoFile::EncodeEnd(1, DemoFile::Crc32(bytes.data(), bytes.size()));
        bytes.insert(bytes.end(), end.begin(), end.end());
        std::string error;
        EXPECT_FALSE(DemoFile::Parse(bytes, error));
        EXPECT_NE(error.find("the file is damaged"), std::string::npos) << error;
    }
}

class DemoFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 ("zest-demo-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

TEST_F(DemoFolder, TheRecorderWritesWhatTheEncoderWould)
{
    DemoFile demo = SampleDemo();
    std::string path = (folder / "a.dmo").string();
    {
        DemoRecorder recorder;
        ASSERT_TRUE(recorder.Open(path, demo.header));
        for (const DemoRecord& record : demo.records)
            recorder.Add(record);
        EXPECT_TRUE(recorder.Finish());
    }
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, demo.Encode());

    DemoPlayer player;
    std::string error;
    ASSERT_TRUE(player.Open(path, error)) << error;
    EXPECT_EQ(player.TotalUpdates(), 1);
    int seen = 0;
    while (const DemoRecord* record = player.Peek())
    {
        EXPECT_EQ(record->kind, demo.records[static_cast<size_t>(seen)].kind);
        player.Advance();
        seen++;
    }
    EXPECT_EQ(seen, static_cast<int>(demo.records.size()));
    EXPECT_EQ(player.UpdatesPlayed(), 1);
}

TEST_F(DemoFolder, AMissingFileCannotBeOpened)
{
    DemoPlayer player;
    std::string error;
    EXPECT_FALSE(player.Open((folder / "none.dmo").string(), error));
    EXPECT_EQ(error, "it cannot be opened");
    DemoRecorder recorder;
    EXPECT_FALSE(recorder.Open((folder / "no-such-folder" / "a.dmo").string(), DemoHeader()));
    EXPECT_FALSE(recorder.IsOpen());
}

TEST_F(DemoFolder, NumberedDemosAreListedOldestFirstByNumber)
{
    for (const char* name : {"10.dmo", "9.dmo", "2.dmo", "x.dmo", "3.txt", "4a.dmo", ".dmo", "12345678901.dmo"})
        std::ofstream((folder / name).string()) << "x";
    std::vector<std::pair<int, std::string>> files = ZestAppBase::NumberedDemoFiles(folder.string() + "/");
    std::vector<int> numbers;
    for (const auto& file : files)
        numbers.push_back(file.first);
    EXPECT_EQ(numbers, (std::vector<int>{2, 9, 10}));
}

} // namespace
} // namespace zest
