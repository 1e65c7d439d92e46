// libFuzzer harness for tracker modules through libopenmpt: any bytes are opened as module music, a
// little of it rendered, then jumped around in (orders, rows, frames, looping, gain) as the music
// interfaces do.
#include "FuzzScratch.h"

#include "audio/ModuleStream.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("input.mod", data, size);
    if (path.empty())
        return 0;
    std::unique_ptr<zest::ModuleStream> stream = zest::ModuleStream::Open(path);
    if (!stream)
        return 0;
    std::vector<int16_t> block(1024 * 2);
    std::lock_guard<std::mutex> lock(stream->Mutex());
    stream->SetLooping(true);
    for (int i = 0; i < 4; ++i)
        (void)stream->Read(block.data(), 1024);
    const int order = size > 0 ? data[0] % 8 : 0;
    const int row = size > 1 ? data[1] % 70 : 0;
    uint64_t frame = 0;
    (void)stream->SetOrderRow(order, row, &frame);
    (void)stream->CurrentOrder();
    (void)stream->CurrentRow();
    stream->SetGain(-600);
    (void)stream->Read(block.data(), 1024);
    (void)stream->Seek(44100);
    (void)stream->Read(block.data(), 1024);
    stream->SetLooping(false);
    (void)stream->SetOrderRow(-1, -1);
    (void)stream->SetOrderRow(1 << 20, 0);
    return 0;
}
