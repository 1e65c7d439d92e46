// The player's records for each of the thirteen gardens (fastest completion in level updates, fewest lives lost,
// most honey collected), kept apart for runs at full speed and runs with assist speed, and the furthest garden
// ever reached (which opens the garden picker). Each record is a settings value of its own, so a damaged line
// loses only that record. Plain data owned by the Board; main thread.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zest
{
class ZestAppBase;
}

namespace tibble
{

class GardenRecords
{
public:
    static constexpr int GardenCount = 13;
    static constexpr const char* ReachedValueName = "GardenReached";

    struct Record
    {
        int updates = 0;   // level updates from the garden's start to the bee leaving it
        int livesLost = 0; // falls on the way
        int honey = 0;     // nectar collected
        bool operator==(const Record&) const = default;
    };

    // What one finished run improved.
    struct Improvement
    {
        bool fastest = false;
        bool fewestLost = false;
        bool mostHoney = false;
        bool Any() const { return fastest || fewestLost || mostHoney; }
    };

    // The settings value that holds one garden's record ("Record1".."Record13", "AssistRecord1"..).
    static std::string ValueName(int garden, bool assist);
    // The stored form of a record, and back; none for bytes no record can have (wrong length or check byte,
    // impossible values).
    static std::vector<uint8_t> Encode(const Record& record);
    static std::optional<Record> Decode(const std::vector<uint8_t>& bytes);

    std::optional<Record> Get(int garden, bool assist) const;
    // Merges a finished run into the garden's record, each field on its own; the answer says which improved
    // (all three for the garden's first record).
    Improvement Add(int garden, bool assist, const Record& run);
    // The furthest garden reached (0-based); it only ever grows.
    int Reached() const { return reached; }
    void Reach(int garden);

    // Reads every value; damaged or absent ones stay empty.
    void Load(zest::ZestAppBase& app);
    // The values to write after a run (the reached garden and the records changed since the last call).
    std::map<std::string, std::vector<uint8_t>> TakeChanges();

    // Seconds as the game shows them: "41.3 s", "1:05.2".
    static std::string FormatUpdates(int updates);

private:
    std::array<std::optional<Record>, GardenCount> normal{};
    std::array<std::optional<Record>, GardenCount> assisted{};
    int reached = 0;
    std::map<std::string, std::vector<uint8_t>> changes;
};

} // namespace tibble
