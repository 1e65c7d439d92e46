#include "game/GardenRecords.h"

#include "app/ZestAppBase.h"

#include <algorithm>
#include <cstdio>

namespace tibble
{

namespace
{

// version, u32 updates, u8 lives lost, u16 honey, check byte.
constexpr size_t RecordSize = 9;
constexpr uint8_t RecordVersion = 1;
// Far beyond any real run (an hour and a half of play), so a damaged value cannot pass for a record.
constexpr int MaxUpdates = 100 * 60 * 90;
constexpr int MaxLivesLost = 255;
constexpr int MaxHoney = 10000;

uint8_t CheckByte(const std::vector<uint8_t>& bytes, size_t count)
{
    // A sum of the bytes in a running rotate catches a changed digit and swapped bytes alike.
    uint8_t check = 0xA5;
    for (size_t i = 0; i < count; i++)
        check = static_cast<uint8_t>(((check << 1) | (check >> 7)) ^ bytes[i]);
    return check;
}

int Garden(int garden)
{
    return std::clamp(garden, 0, GardenRecords::GardenCount - 1);
}

} // namespace

std::string GardenRecords::ValueName(int garden, bool assist)
{
    return std::string(assist ? "AssistRecord" : "Record") + std::to_string(Garden(garden) + 1);
}

std::vector<uint8_t> GardenRecords::Encode(const Record& record)
{
    const uint32_t updates = static_cast<uint32_t>(std::clamp(record.updates, 0, MaxUpdates));
    const uint32_t honey = static_cast<uint32_t>(std::clamp(record.honey, 0, MaxHoney));
    std::vector<uint8_t> bytes{RecordVersion,
                               static_cast<uint8_t>(updates),
                               static_cast<uint8_t>(updates >> 8),
                               static_cast<uint8_t>(updates >> 16),
                               static_cast<uint8_t>(updates >> 24),
                               static_cast<uint8_t>(std::clamp(record.livesLost, 0, MaxLivesLost)),
                               static_cast<uint8_t>(honey),
                               static_cast<uint8_t>(honey >> 8)};
    bytes.push_back(CheckByte(bytes, bytes.size()));
    return bytes;
}

std::optional<GardenRecords::Record> GardenRecords::Decode(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() != RecordSize || bytes[0] != RecordVersion || bytes[8] != CheckByte(bytes, 8))
        return std::nullopt;
    Record record;
    const uint32_t updates = uint32_t(bytes[1]) | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]) << 16 |
                             uint32_t(bytes[4]) << 24;
    if (updates < 1 || updates > MaxUpdates)
        return std::nullopt;
    record.updates = static_cast<int>(updates);
    record.livesLost = bytes[5];
    record.honey = bytes[6] | bytes[7] << 8;
    if (record.honey > MaxHoney)
        return std::nullopt;
    return record;
}

std::optional<GardenRecords::Record> GardenRecords::Get(int garden, bool assist) const
{
    return (assist ? assisted : normal)[static_cast<size_t>(Garden(garden))];
}

GardenRecords::Improvement GardenRecords::Add(int garden, bool assist, const Record& run)
{
    Improvement improvement;
    if (run.updates < 1)
        return improvement;
    std::optional<Record>& stored = (assist ? assisted : normal)[static_cast<size_t>(Garden(garden))];
    if (!stored)
    {
        stored = run;
        improvement = {true, true, true};
    }
    else
    {
        improvement.fastest = run.updates < stored->updates;
        improvement.fewestLost = run.livesLost < stored->livesLost;
        improvement.mostHoney = run.honey > stored->honey;
        if (improvement.fastest)
            stored->updates = run.updates;
        if (improvement.fewestLost)
            stored->livesLost = run.livesLost;
        if (improvement.mostHoney)
            stored->honey = run.honey;
    }
    if (improvement.Any())
        changes[ValueName(garden, assist)] = Encode(*stored);
    return improvement;
}

void GardenRecords::Reach(int garden)
{
    garden = Garden(garden);
    if (garden <= reached)
        return;
    reached = garden;
    changes[ReachedValueName] = {static_cast<uint8_t>(reached)};
}

void GardenRecords::Load(zest::ZestAppBase& app)
{
    for (int garden = 0; garden < GardenCount; garden++)
    {
        for (bool assist : {false, true})
        {
            std::vector<uint8_t> bytes;
            std::optional<Record>& slot = (assist ? assisted : normal)[static_cast<size_t>(garden)];
            slot.reset();
            if (app.ReadRegDataIfRecorded(ValueName(garden, assist), bytes))
                slot = Decode(bytes);
        }
    }
    std::vector<uint8_t> bytes;
    reached = 0;
    if (app.ReadRegDataIfRecorded(ReachedValueName, bytes) && bytes.size() == 1 && bytes[0] < GardenCount)
        reached = bytes[0];
    // A damaged reached value must not lock a garden the player holds a record for.
    for (int garden = 0; garden + 1 < GardenCount; garden++)
        if (normal[static_cast<size_t>(garden)] || assisted[static_cast<size_t>(garden)])
            reached = std::max(reached, garden + 1);
    changes.clear();
}

std::map<std::string, std::vector<uint8_t>> GardenRecords::TakeChanges()
{
    std::map<std::string, std::vector<uint8_t>> taken;
    taken.swap(changes);
    return taken;
}

std::string GardenRecords::FormatUpdates(int updates)
{
    // 100 updates a second; tenths are what a player compares.
    const int tenths = std::max(0, updates) / 10;
    char text[32];
    if (tenths < 600)
        std::snprintf(text, sizeof text, "%d.%d s", tenths / 10, tenths % 10);
    else
        std::snprintf(text, sizeof text, "%d:%02d.%d", tenths / 600, (tenths / 10) % 60, tenths % 10);
    return text;
}

} // namespace tibble
