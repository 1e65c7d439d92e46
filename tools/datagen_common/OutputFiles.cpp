#include "OutputFiles.h"

#include "platform/AtomicFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace datagen
{

bool MakeParentFolders(const std::string& path, std::string& error)
{
    std::error_code ec;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
    {
        std::filesystem::create_directories(parent, ec);
        if (ec)
        {
            error = "cannot create folder " + parent.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

bool WriteFileIfChanged(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error)
{
    {
        std::ifstream old(path, std::ios::binary);
        if (old)
        {
            std::vector<unsigned char> existing((std::istreambuf_iterator<char>(old)),
                                                std::istreambuf_iterator<char>());
            if (existing == bytes)
            {
                return true;
            }
        }
    }
    if (!MakeParentFolders(path, error))
    {
        return false;
    }
    return zest::AtomicFile::Write(path, std::span<const unsigned char>(bytes), error);
}

bool WriteTextIfChanged(const std::string& path, const std::string& text, std::string& error)
{
    return WriteFileIfChanged(path, std::vector<unsigned char>(text.begin(), text.end()), error);
}

} // namespace datagen
