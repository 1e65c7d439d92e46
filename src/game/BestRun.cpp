#include "game/BestRun.h"

#include "app/DemoFile.h"
#include "game/GameSpeed.h"
#include "platform/WindowMessage.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tibble
{

namespace
{

constexpr uint8_t FormatVersion = 1;
constexpr size_t GardenSettingSize = 12;
constexpr const char* ProductName = "Tibble the Bee best run";
constexpr const char* GardenSetting = "garden";
constexpr const char* RandomSetting = "random";
constexpr const char* PausedSetting = "paused";
// A best run is a few hundred kilobytes; far more is not one of ours.
constexpr uintmax_t MaxFileSize = uintmax_t(64) << 20;

zest::DemoRecord SettingRecord(const std::string& name, std::vector<uint8_t> bytes)
{
    zest::DemoRecord record;
    record.kind = zest::DemoRecord::Kind::Setting;
    record.fileName = name;
    record.found = true;
    record.bytes = std::move(bytes);
    return record;
}

} // namespace

void BestRun::Begin(int gardenIndex, int livesAtStart, int hivesAtStart, const std::mt19937& generator,
                    const std::string& mapFileName, const std::vector<uint8_t>& mapFileBytes)
{
    garden = gardenIndex;
    lives = livesAtStart;
    hives = hivesAtStart;
    assist = false;
    slowestMultiplier = 1.0;
    finished = false;
    result = {};
    std::ostringstream state;
    state << generator;
    randomState = state.str();
    mapName = mapFileName;
    mapBytes = mapFileBytes;
    events.clear();
}

void BestRun::AddUpdate(int x, int y, int buttons, double updateMultiplier)
{
    Event event;
    event.update = true;
    event.x = static_cast<int16_t>(x);
    event.y = static_cast<int16_t>(y);
    event.buttons = static_cast<uint8_t>(buttons);
    events.push_back(event);
    if (GameSpeed::IsAssist(updateMultiplier))
    {
        assist = true;
        slowestMultiplier = std::min(slowestMultiplier, GameSpeed::Multiplier(GameSpeed::PercentOf(updateMultiplier)));
    }
}

void BestRun::AddDraw(bool paused)
{
    Event event;
    event.update = false;
    event.paused = paused;
    events.push_back(event);
}

void BestRun::Finish(const GardenRecords::Record& runResult)
{
    result = runResult;
    finished = true;
}

std::string BestRun::FileName(int garden, bool assist)
{
    char name[32];
    std::snprintf(name, sizeof name, "best-%02d%s.dmo", std::clamp(garden, 0, 99) + 1, assist ? "-assist" : "");
    return name;
}

std::vector<uint8_t> BestRun::Encode() const
{
    zest::DemoFile demo;
    demo.header.productName = ProductName;
    demo.header.updateMultiplier = slowestMultiplier;
    const uint32_t updates = static_cast<uint32_t>(std::max(0, result.updates));
    const uint32_t honey = static_cast<uint32_t>(std::clamp(result.honey, 0, 0xFFFF));
    demo.records.push_back(SettingRecord(
        GardenSetting, {FormatVersion, static_cast<uint8_t>(garden), static_cast<uint8_t>(std::clamp(lives, 0, 255)),
                        static_cast<uint8_t>(std::clamp(hives, 0, 255)), static_cast<uint8_t>(assist ? 1 : 0),
                        static_cast<uint8_t>(updates), static_cast<uint8_t>(updates >> 8),
                        static_cast<uint8_t>(updates >> 16), static_cast<uint8_t>(updates >> 24),
                        static_cast<uint8_t>(std::clamp(result.livesLost, 0, 255)), static_cast<uint8_t>(honey),
                        static_cast<uint8_t>(honey >> 8)}));
    demo.records.push_back(SettingRecord(RandomSetting, std::vector<uint8_t>(randomState.begin(), randomState.end())));
    zest::DemoRecord map;
    map.kind = zest::DemoRecord::Kind::File;
    map.fileName = mapName;
    map.found = true;
    map.bytes = mapBytes;
    demo.records.push_back(std::move(map));

    bool first = true;
    Event mouse;
    bool paused = false;
    for (const Event& event : events)
    {
        zest::DemoRecord record;
        if (event.update)
        {
            if (first || event.x != mouse.x || event.y != mouse.y || event.buttons != mouse.buttons)
            {
                zest::DemoRecord move;
                move.kind = zest::DemoRecord::Kind::Message;
                move.message.message = zest::WM_MOUSEMOVE;
                move.message.wparam = event.buttons;
                move.message.lparam = zest::MakePointParam(event.x, event.y);
                demo.records.push_back(move);
                mouse = event;
                first = false;
            }
            record.kind = zest::DemoRecord::Kind::Update;
        }
        else
        {
            if (event.paused != paused)
            {
                demo.records.push_back(SettingRecord(PausedSetting, {static_cast<uint8_t>(event.paused ? 1 : 0)}));
                paused = event.paused;
            }
            record.kind = zest::DemoRecord::Kind::Draw;
        }
        demo.records.push_back(std::move(record));
    }
    return demo.Encode();
}

std::optional<BestRun> BestRun::Parse(const std::vector<uint8_t>& bytes, std::string& error)
{
    std::optional<zest::DemoFile> demo = zest::DemoFile::Parse(bytes, error);
    if (!demo)
        return std::nullopt;
    auto refuse = [&error](const char* why)
    {
        error = why;
        return std::nullopt;
    };
    if (demo->cutShort)
        return refuse("the best run was cut short");
    const std::vector<zest::DemoRecord>& records = demo->records;
    if (demo->header.productName != ProductName || records.size() < 3 ||
        records[0].kind != zest::DemoRecord::Kind::Setting || records[0].fileName != GardenSetting ||
        records[1].kind != zest::DemoRecord::Kind::Setting || records[1].fileName != RandomSetting ||
        records[2].kind != zest::DemoRecord::Kind::File)
        return refuse("it is not a best run");
    const std::vector<uint8_t>& info = records[0].bytes;
    if (info.size() != GardenSettingSize || info[0] != FormatVersion)
        return refuse("it is a best run of another version");
    BestRun run;
    run.garden = info[1];
    run.lives = info[2];
    run.hives = info[3];
    run.assist = info[4] != 0;
    run.result.updates = static_cast<int>(uint32_t(info[5]) | uint32_t(info[6]) << 8 | uint32_t(info[7]) << 16 |
                                          uint32_t(info[8]) << 24);
    run.result.livesLost = info[9];
    run.result.honey = info[10] | info[11] << 8;
    if (run.garden >= GardenRecords::GardenCount || info[4] > 1 || run.hives > 4 || run.result.updates < 1)
        return refuse("the best run names a garden or a result no run can have");
    run.slowestMultiplier = demo->header.updateMultiplier;
    run.randomState.assign(records[1].bytes.begin(), records[1].bytes.end());
    {
        // The state must read back whole, or the run would replay other luck.
        std::mt19937 check;
        std::istringstream state(run.randomState);
        if (!(state >> check))
            return refuse("the best run's random state is damaged");
    }
    run.mapName = records[2].fileName;
    run.mapBytes = records[2].bytes;
    run.finished = true;

    Event mouse;
    bool paused = false;
    int updates = 0;
    for (size_t i = 3; i < records.size(); i++)
    {
        const zest::DemoRecord& record = records[i];
        switch (record.kind)
        {
        case zest::DemoRecord::Kind::Message:
            if (record.message.message != zest::WM_MOUSEMOVE || record.message.wparam > 0xFF)
                return refuse("the best run holds input no garden reads");
            mouse.x = static_cast<int16_t>(zest::PointParamX(record.message.lparam));
            mouse.y = static_cast<int16_t>(zest::PointParamY(record.message.lparam));
            mouse.buttons = static_cast<uint8_t>(record.message.wparam);
            break;
        case zest::DemoRecord::Kind::Update:
            mouse.update = true;
            run.events.push_back(mouse);
            updates++;
            break;
        case zest::DemoRecord::Kind::Draw:
        {
            Event draw;
            draw.update = false;
            draw.paused = paused;
            run.events.push_back(draw);
            break;
        }
        case zest::DemoRecord::Kind::Setting:
            if (record.fileName != PausedSetting || record.bytes.size() != 1 || record.bytes[0] > 1)
                return refuse("the best run holds a setting no garden reads");
            paused = record.bytes[0] != 0;
            break;
        default:
            return refuse("the best run holds records no garden reads");
        }
    }
    if (updates != run.result.updates)
        return refuse("the best run's updates do not match its result");
    return run;
}

bool BestRun::Save(const std::string& path) const
{
    const std::vector<uint8_t> bytes = Encode();
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out)
        {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error)
    {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

std::optional<BestRun> BestRun::Load(const std::string& path, std::string& error)
{
    std::error_code fileError;
    if (!std::filesystem::is_regular_file(path, fileError))
    {
        error = "there is no best run yet";
        return std::nullopt;
    }
    const uintmax_t size = std::filesystem::file_size(path, fileError);
    if (fileError || size > MaxFileSize)
    {
        error = "the file cannot be read";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail())
    {
        error = "the file cannot be read";
        return std::nullopt;
    }
    return Parse(bytes, error);
}

} // namespace tibble
