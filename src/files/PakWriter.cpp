#include "files/PakWriter.h"

#include "files/PakDirectory.h"
#include "platform/AtomicFile.h"

#include <limits>

namespace zest
{

namespace
{

void PutScrambled(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>((value >> (8 * i)) & 0xFF) ^ PakScrambleKey);
}

void AppendScrambled(std::vector<uint8_t>& out, const std::vector<uint8_t>& data)
{
    size_t at = out.size();
    out.resize(at + data.size());
    Descramble(out.data() + at, data.data(), data.size());
}

} // namespace

bool PakWriter::AddFile(const std::string& name, std::vector<uint8_t> data, uint64_t fileTime, std::string& error)
{
    if (name.size() > 255)
    {
        error = "name longer than 255 bytes: " + name;
        return false;
    }
    if (data.size() > std::numeric_limits<uint32_t>::max())
    {
        error = "file larger than 4 GiB: " + name;
        return false;
    }
    entries.push_back(Entry{name, std::move(data), fileTime});
    return true;
}

std::vector<uint8_t> PakWriter::Header() const
{
    std::vector<uint8_t> out;
    PutScrambled(out, PakMagic, 4);
    PutScrambled(out, PakVersion, 4);
    for (const Entry& entry : entries)
    {
        PutScrambled(out, 0, 1); // flags
        PutScrambled(out, entry.name.size(), 1);
        for (char c : entry.name)
            out.push_back(static_cast<uint8_t>(c) ^ PakScrambleKey);
        PutScrambled(out, entry.data.size(), 4);
        PutScrambled(out, entry.fileTime, 8);
    }
    PutScrambled(out, PakEndOfDirectory, 1);
    return out;
}

std::vector<uint8_t> PakWriter::Build() const
{
    std::vector<uint8_t> out = Header();
    for (const Entry& entry : entries)
        AppendScrambled(out, entry.data);
    return out;
}

bool PakWriter::WriteTo(const std::string& path, std::string& error) const
{
    // Entry by entry, so the scrambled archive is never held in memory twice.
    return AtomicFile::Write(
        path,
        [this](const AtomicFile::Sink& put) {
            std::vector<uint8_t> chunk = Header();
            bool ok = put(chunk.data(), chunk.size());
            for (size_t i = 0; ok && i < entries.size(); ++i)
            {
                chunk.clear();
                AppendScrambled(chunk, entries[i].data);
                ok = put(chunk.data(), chunk.size());
            }
            return ok;
        },
        error);
}

} // namespace zest
