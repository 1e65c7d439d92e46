// libFuzzer harness for LoadImageFile over PNG and JPEG files: the first byte picks the format, the rest is the
// file, written to a scratch folder and loaded through the archive file functions as the game does.
#include "graphics/MemoryImage.h"
#include "resources/ImageLoader.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const std::string folder = []
    {
        std::string path = "/tmp/zest-fuzz-imagefile-" + std::to_string(getpid());
        mkdir(path.c_str(), 0700);
        return path;
    }();
    const char* extension = (data[0] & 1) != 0 ? ".jpg" : ".png";
    std::string path = folder + "/input" + extension;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data + 1, 1, size - 1, file);
    std::fclose(file);
    std::unique_ptr<zest::MemoryImage> image = zest::LoadImageFile(path, false);
    if (image != nullptr && (image->GetWidth() < 1 || image->GetHeight() < 1))
        __builtin_trap();
    return 0;
}
