#include "app/DemoFile.h"
#include "app/MessageQueue.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace zest
{

namespace
{

constexpr char Magic[4] = {'Z', 'D', 'M', 'O'};

void PutU8(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
}
void PutU16(std::vector<uint8_t>& out, uint32_t value)
{
    PutU8(out, value & 0xFF);
    PutU8(out, (value >> 8) & 0xFF);
}
void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}
void PutU64(std::vector<uint8_t>& out, uint64_t value)
{
    PutU32(out, static_cast<uint32_t>(value));
    PutU32(out, static_cast<uint32_t>(value >> 32));
}
void PutString16(std::vector<uint8_t>& out, const std::string& text)
{
    PutU16(out, static_cast<uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

// Reads little-endian fields; every read checks the length left, and a failed read stops all later ones.
class Reader
{
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : data(bytes) {}

    bool Take(size_t count, const uint8_t*& out)
    {
        if (data.size() - position < count)
        {
            short_ = true;
            return false;
        }
        out = data.data() + position;
        position += count;
        return true;
    }
    std::optional<uint64_t> Number(int size)
    {
        const uint8_t* p = nullptr;
        if (!Take(static_cast<size_t>(size), p))
            return std::nullopt;
        uint64_t value = 0;
        for (int i = size - 1; i >= 0; i--)
            value = (value << 8) | p[i];
        return value;
    }
    std::optional<std::string> String16()
    {
        std::optional<uint64_t> length = Number(2);
        const uint8_t* p = nullptr;
        if (!length || !Take(static_cast<size_t>(*length), p))
            return std::nullopt;
        return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(*length));
    }
    size_t Position() const { return position; }
    size_t Left() const { return data.size() - position; }
    bool WasShort() const { return short_; }

private:
    const std::vector<uint8_t>& data;
    size_t position = 0;
    bool short_ = false;
};

const std::array<uint32_t, 256>& CrcTable()
{
    static const std::array<uint32_t, 256> table = []
    {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; i++)
        {
            uint32_t c = i;
            for (int k = 0; k < 8; k++)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

} // namespace

uint32_t DemoFile::Crc32(const uint8_t* data, size_t length, uint32_t crc)
{
    const std::array<uint32_t, 256>& table = CrcTable();
    crc = ~crc;
    for (size_t i = 0; i < length; i++)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t DemoFile::MultiplierHundredths(double multiplier)
{
    // Rounded, not truncated: 0.7 is 0.69999... in binary. A stopped or absurd multiplier records as full speed.
    double hundredths = std::round(multiplier * 100.0);
    if (!(hundredths >= 1 && hundredths <= MaxMultiplierHundredths))
        return 100;
    return static_cast<uint32_t>(hundredths);
}

bool DemoFile::IsRecordedMessage(uint32_t kind)
{
    // Timer ticks are not input: the replay makes its own.
    return kind != WM_TIMER && MessageQueue::IsQueuedKind(kind);
}

std::vector<uint8_t> DemoFile::EncodeHeader(const DemoHeader& header)
{
    std::vector<uint8_t> out(std::begin(Magic), std::end(Magic));
    const uint32_t hundredths = MultiplierHundredths(header.updateMultiplier);
    PutU16(out, hundredths == 100 ? Version : SpeedVersion);
    PutU32(out, header.seed);
    PutU8(out, header.windowed ? 1 : 0);
    PutU16(out, static_cast<uint32_t>(header.refreshRate));
    PutU16(out, static_cast<uint32_t>(header.frameTime));
    PutU8(out, header.vsyncUpdates ? 1 : 0);
    PutU16(out, static_cast<uint32_t>(header.width));
    PutU16(out, static_cast<uint32_t>(header.height));
    PutString16(out, header.productName.substr(0, MaxNameLength));
    if (hundredths != 100)
        PutU16(out, hundredths);
    return out;
}

void DemoFile::EncodeRecord(const DemoRecord& record, std::vector<uint8_t>& out)
{
    PutU8(out, static_cast<uint8_t>(record.kind));
    switch (record.kind)
    {
    case DemoRecord::Kind::Message:
        PutU32(out, record.message.message);
        PutU64(out, record.message.wparam);
        PutU64(out, static_cast<uint64_t>(record.message.lparam));
        break;
    case DemoRecord::Kind::File:
    case DemoRecord::Kind::Setting:
        PutString16(out, record.fileName.substr(0, MaxNameLength));
        PutU8(out, record.found ? 1 : 0);
        PutU32(out, static_cast<uint32_t>(record.bytes.size()));
        out.insert(out.end(), record.bytes.begin(), record.bytes.end());
        break;
    case DemoRecord::Kind::Seed:
        PutU32(out, record.seed);
        break;
    case DemoRecord::Kind::MouseLeft:
        PutU16(out, static_cast<uint16_t>(static_cast<int16_t>(record.x)));
        PutU16(out, static_cast<uint16_t>(static_cast<int16_t>(record.y)));
        break;
    default:
        break;
    }
}

std::vector<uint8_t> DemoFile::EncodeEnd(uint32_t recordCount, uint32_t crc)
{
    std::vector<uint8_t> out;
    PutU8(out, EndKind);
    PutU32(out, recordCount);
    PutU32(out, crc);
    return out;
}

std::vector<uint8_t> DemoFile::Encode() const
{
    std::vector<uint8_t> out = EncodeHeader(header);
    for (const DemoRecord& record : records)
        EncodeRecord(record, out);
    std::vector<uint8_t> end = EncodeEnd(static_cast<uint32_t>(records.size()), Crc32(out.data(), out.size()));
    out.insert(out.end(), end.begin(), end.end());
    return out;
}

std::optional<DemoFile> DemoFile::Parse(const std::vector<uint8_t>& bytes, std::string& error)
{
    Reader in(bytes);
    auto truncated = [&error]()
    {
        error = "the file is truncated";
        return std::nullopt;
    };
    DemoFile demo;
    // The records ran out before the end record. A finished file (it ends in an end
    // record: its kind byte, or the checksum of what precedes it) was damaged inside; any
    // other file was cut short by a run that died and plays up to its last whole record,
    // as long as it holds an update to play.
    auto ranOut = [&]() -> std::optional<DemoFile>
    {
        const size_t endSize = 9;
        if (bytes.size() >= endSize)
        {
            const size_t endAt = bytes.size() - endSize;
            const uint32_t storedCrc = uint32_t(bytes[endAt + 5]) | uint32_t(bytes[endAt + 6]) << 8 |
                                       uint32_t(bytes[endAt + 7]) << 16 | uint32_t(bytes[endAt + 8]) << 24;
            if (bytes[endAt] == EndKind || storedCrc == Crc32(bytes.data(), endAt))
            {
                error = "the file is damaged (a record runs past the end)";
                return std::nullopt;
            }
        }
        if (std::none_of(demo.records.begin(), demo.records.end(),
                         [](const DemoRecord& r) { return r.kind == DemoRecord::Kind::Update; }))
            return truncated();
        demo.cutShort = true;
        return std::move(demo);
    };
    auto damaged = [&error](const std::string& why)
    {
        error = "the file is damaged (" + why + ")";
        return std::nullopt;
    };

    const uint8_t* magic = nullptr;
    if (!in.Take(4, magic) || !std::equal(std::begin(Magic), std::end(Magic), magic))
    {
        error = "it is not a demo file";
        return std::nullopt;
    }
    std::optional<uint64_t> version = in.Number(2);
    if (!version)
        return truncated();
    if (*version != Version && *version != SpeedVersion)
    {
        error = "it was recorded by another version (format " + std::to_string(*version) + ", this program reads " +
                std::to_string(Version) + " and " + std::to_string(SpeedVersion) + ")";
        return std::nullopt;
    }

    std::optional<uint64_t> seed = in.Number(4);
    std::optional<uint64_t> windowed = in.Number(1);
    std::optional<uint64_t> refresh = in.Number(2);
    std::optional<uint64_t> frameTime = in.Number(2);
    std::optional<uint64_t> vsync = in.Number(1);
    std::optional<uint64_t> width = in.Number(2);
    std::optional<uint64_t> height = in.Number(2);
    std::optional<std::string> product = in.String16();
    std::optional<uint64_t> hundredths = uint64_t(100);
    if (*version == SpeedVersion)
        hundredths = in.Number(2);
    if (in.WasShort())
        return truncated();
    if (*hundredths < 1 || *hundredths > MaxMultiplierHundredths)
        return damaged("bad update multiplier in the header");
    if (*windowed > 1 || *vsync > 1)
        return damaged("bad header flags");
    if (*refresh < 1 || *refresh > 1000 || *frameTime < 1 || *frameTime > 1000)
        return damaged("bad timing in the header");
    if (*width < 1 || *height < 1)
        return damaged("bad screen size in the header");
    if (product->size() > MaxNameLength)
        return damaged("product name too long");
    demo.header.seed = static_cast<uint32_t>(*seed);
    demo.header.windowed = *windowed != 0;
    demo.header.refreshRate = static_cast<int>(*refresh);
    demo.header.frameTime = static_cast<int>(*frameTime);
    demo.header.vsyncUpdates = *vsync != 0;
    demo.header.width = static_cast<int>(*width);
    demo.header.height = static_cast<int>(*height);
    demo.header.productName = *product;
    demo.header.updateMultiplier = static_cast<double>(*hundredths) / 100.0;

    while (true)
    {
        size_t recordStart = in.Position();
        std::optional<uint64_t> kind = in.Number(1);
        if (!kind)
            return ranOut();
        if (*kind == EndKind)
        {
            std::optional<uint64_t> count = in.Number(4);
            std::optional<uint64_t> crc = in.Number(4);
            if (in.WasShort())
                return ranOut();
            if (*count != demo.records.size())
                return damaged("record count does not match");
            if (*crc != Crc32(bytes.data(), recordStart))
                return damaged("checksum does not match");
            if (in.Left() != 0)
                return damaged("data after the end");
            return demo;
        }
        DemoRecord record;
        record.kind = static_cast<DemoRecord::Kind>(*kind);
        switch (record.kind)
        {
        case DemoRecord::Kind::Message:
        {
            std::optional<uint64_t> message = in.Number(4);
            std::optional<uint64_t> wparam = in.Number(8);
            std::optional<uint64_t> lparam = in.Number(8);
            if (in.WasShort())
                return ranOut();
            if (!IsRecordedMessage(static_cast<uint32_t>(*message)))
                return damaged("unknown message kind");
            record.message.message = static_cast<uint32_t>(*message);
            record.message.wparam = *wparam;
            record.message.lparam = static_cast<int64_t>(*lparam);
            break;
        }
        case DemoRecord::Kind::Update:
        case DemoRecord::Kind::Draw:
        case DemoRecord::Kind::LoadingDone:
            break;
        case DemoRecord::Kind::File:
        case DemoRecord::Kind::Setting:
        {
            std::optional<std::string> name = in.String16();
            std::optional<uint64_t> found = in.Number(1);
            std::optional<uint64_t> length = in.Number(4);
            if (in.WasShort())
                return ranOut();
            if (name->empty() || name->size() > MaxNameLength)
                return damaged("bad file name");
            if (*found > 1 || (*found == 0 && *length != 0))
                return damaged("bad file record");
            const uint8_t* contents = nullptr;
            if (!in.Take(static_cast<size_t>(*length), contents))
                return ranOut();
            record.fileName = *name;
            record.found = *found != 0;
            record.bytes.assign(contents, contents + *length);
            break;
        }
        case DemoRecord::Kind::Seed:
        {
            std::optional<uint64_t> value = in.Number(4);
            if (!value)
                return ranOut();
            record.seed = static_cast<uint32_t>(*value);
            break;
        }
        case DemoRecord::Kind::MouseLeft:
        {
            std::optional<uint64_t> x = in.Number(2);
            std::optional<uint64_t> y = in.Number(2);
            if (in.WasShort())
                return ranOut();
            record.x = static_cast<int16_t>(static_cast<uint16_t>(*x));
            record.y = static_cast<int16_t>(static_cast<uint16_t>(*y));
            break;
        }
        default:
            return damaged("unknown record kind " + std::to_string(*kind));
        }
        demo.records.push_back(std::move(record));
    }
}

std::optional<DemoFile> DemoFile::Load(const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
    {
        error = "it cannot be opened";
        return std::nullopt;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
    {
        error = "it cannot be read";
        return std::nullopt;
    }
    return Parse(bytes, error);
}

} // namespace zest
