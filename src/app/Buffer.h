// A growable byte array with a read position: a data file read whole. Owned by the
// caller; one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zest
{

class Buffer
{
public:
    Buffer() = default;

    // Holds exactly these bytes, read position at the start.
    void SetData(std::vector<uint8_t> bytes);
    void SetData(const uint8_t* bytes, size_t count);
    void Clear();

    const uint8_t* GetData() const { return data.data(); }
    size_t GetDataLen() const { return data.size(); }
    size_t GetReadPos() const { return readPos; }
    void SeekRead(size_t position);
    bool AtEnd() const { return readPos >= data.size(); }
    size_t BytesLeft() const { return readPos < data.size() ? data.size() - readPos : 0; }

    // Reads count bytes into out; false (nothing read, position kept) when fewer remain.
    [[nodiscard]] bool ReadBytes(void* out, size_t count);
    // The next byte, or -1 at the end.
    int ReadByte();

    void WriteBytes(const void* bytes, size_t count);

private:
    std::vector<uint8_t> data;
    size_t readPos = 0;
};

} // namespace zest
