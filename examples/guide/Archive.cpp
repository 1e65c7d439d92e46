#include "Samples.h"

#include <zest/files/PakFile.h>
#include <zest/files/PakInterface.h>
#include <zest/files/PakWriter.h>

#include <cstdint>
#include <vector>

namespace guide
{

bool PackAndRead(const std::string& pakPath)
{
    // Packing: what the zestpak tool does for a whole folder.
    zest::PakWriter writer;
    std::string error;
    const std::string text = "level one\n";
    if (!writer.AddFile("maps\\1.txt", std::vector<uint8_t>(text.begin(), text.end()), 0, error) ||
        !writer.AddFile("properties\\version.txt", {'1'}, 0, error) || !writer.WriteTo(pakPath, error))
        return false;

    // Mounting: from now on p_fopen looks in the archive first, then on the disk.
    zest::PakInterface pak;
    if (!pak.AddPakFile(pakPath))
        return false;
    zest::SetActivePakInterface(&pak);

    zest::PFilePtr file(zest::p_fopen("maps\\1.txt", "rb"));
    char buffer[32] = {};
    const size_t read = file ? zest::p_fread(buffer, 1, sizeof(buffer) - 1, file.get()) : 0;
    file.reset();
    zest::SetActivePakInterface(nullptr);
    return std::string(buffer, read) == text;
}

} // namespace guide
