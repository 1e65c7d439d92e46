// A recorded demo (".dmo"): what is needed to replay a run exactly. The header holds the random seed, the window
// mode and the loop's timing; then come the records in the order things happened: queued input messages as they
// were handled, updates, draws, the bytes of every file read with ReadFileIntoBuffer and of every settings data value
// read (the game's progress), reseeds, the point at which loading finished and the mouse leaving the window. Reading
// validates everything before any of it is used. Plain data; any thread.
//
// File layout (all numbers little-endian):
//   "ZDMO", u16 version (1), u32 seed, u8 windowed, u16 refresh rate, u16 frame time, u8 updates tied to refresh,
//   u16 width, u16 height, u16 n + n bytes product name; version 2 adds u16 update multiplier in hundredths (a run
//   slowed to 70 % for a player who wants more time); a run at full speed is written as version 1, byte for byte;
//   records, each a kind byte and its fields:
//     1 message: u32 kind, u64 wparam, i64 lparam (mouse positions in application pixels)
//     2 update          3 draw
//     4 file: u16 n + n bytes name, u8 found, u32 n + n bytes contents   5 seed: u32
//     6 loading done                                    7 mouse left: i16 x, i16 y
//     9 settings data value: as a file record, named by the value
//     8 end: u32 count of the records before it, u32 CRC-32 of every byte before this record.
//   Nothing may follow the end record. A file without one was cut short (the recording run died): it plays up to
//   its last whole record.
#pragma once

#include "platform/WindowMessage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zest
{

struct DemoHeader
{
    uint32_t seed = 0;
    bool windowed = true;
    int refreshRate = 100;
    int frameTime = 10;
    bool vsyncUpdates = false;
    int width = 640;
    int height = 480;
    std::string productName;
    // The loop's update multiplier when the recording started (1 = full speed), in whole hundredths.
    double updateMultiplier = 1.0;
};

struct DemoRecord
{
    enum class Kind : uint8_t
    {
        Message = 1,
        Update = 2,
        Draw = 3,
        File = 4,
        Seed = 5,
        LoadingDone = 6,
        MouseLeft = 7,
        Setting = 9,
    };

    Kind kind = Kind::Update;
    WindowMessage message;      // Message (window is 0: the main window)
    std::string fileName;       // File, Setting: the file or the value name
    bool found = false;         // File, Setting: whether the read succeeded
    std::vector<uint8_t> bytes; // File, Setting: the contents read
    uint32_t seed = 0;          // Seed
    int x = 0;                  // MouseLeft
    int y = 0;
};

class DemoFile
{
public:
    static constexpr uint16_t Version = 1;
    // Version 1 and the update multiplier.
    static constexpr uint16_t SpeedVersion = 2;
    static constexpr int MaxMultiplierHundredths = 1000;
    static constexpr uint8_t EndKind = 8;
    static constexpr size_t MaxNameLength = 4096;

    DemoHeader header;
    std::vector<DemoRecord> records;
    // The file ended without its end record: records holds its whole records.
    bool cutShort = false;

    // Checks every byte; on failure answers none and sets error to a sentence for the player. A file cut short
    // reads as its whole records (cutShort set) unless it holds no update to play.
    static std::optional<DemoFile> Parse(const std::vector<uint8_t>& bytes, std::string& error);
    static std::optional<DemoFile> Load(const std::string& path, std::string& error);

    // The pieces of a file, for writing it as it happens.
    static std::vector<uint8_t> EncodeHeader(const DemoHeader& header);
    static void EncodeRecord(const DemoRecord& record, std::vector<uint8_t>& out);
    static std::vector<uint8_t> EncodeEnd(uint32_t recordCount, uint32_t crc);
    // The whole file.
    std::vector<uint8_t> Encode() const;

    // CRC-32 (the zip polynomial), continued from crc.
    static uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0);
    // The update multiplier as the header stores it, in whole hundredths (1..1000; anything else is 100).
    static uint32_t MultiplierHundredths(double multiplier);
    // Whether a message kind is one the input queue carries.
    static bool IsRecordedMessage(uint32_t kind);
};

} // namespace zest
