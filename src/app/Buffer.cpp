#include "app/Buffer.h"

#include <cstring>

namespace zest
{

void Buffer::SetData(std::vector<uint8_t> bytes)
{
    data = std::move(bytes);
    readPos = 0;
}

void Buffer::SetData(const uint8_t* bytes, size_t count)
{
    data.assign(bytes, bytes + count);
    readPos = 0;
}

void Buffer::Clear()
{
    data.clear();
    readPos = 0;
}

void Buffer::SeekRead(size_t position)
{
    readPos = position < data.size() ? position : data.size();
}

bool Buffer::ReadBytes(void* out, size_t count)
{
    if (count > BytesLeft())
        return false;
    if (count > 0)
        std::memcpy(out, data.data() + readPos, count);
    readPos += count;
    return true;
}

int Buffer::ReadByte()
{
    if (readPos >= data.size())
        return -1;
    return data[readPos++];
}

void Buffer::WriteBytes(const void* bytes, size_t count)
{
    const auto* first = static_cast<const uint8_t*>(bytes);
    data.insert(data.end(), first, first + count);
}

} // namespace zest
