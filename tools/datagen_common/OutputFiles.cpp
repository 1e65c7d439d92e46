#include "OutputFiles.h"

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
    // Write beside the target and rename, so a reader never sees half a file.
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out)
        {
            error = "cannot write " + temp;
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec)
    {
        error = "cannot replace " + path + ": " + ec.message();
        return false;
    }
    return true;
}

bool WriteTextIfChanged(const std::string& path, const std::string& text, std::string& error)
{
    return WriteFileIfChanged(path, std::vector<unsigned char>(text.begin(), text.end()), error);
}

} // namespace datagen
