// Runs a fuzz harness over files without libFuzzer: every file named on the command line, and every
// file inside every folder named (sorted, so failures reproduce in the same order), goes through
// LLVMFuzzerTestOneInput once. The normal build links each harness with this driver and CTest
// replays its corpus, so a parser regression on any input ever kept shows up in the suite.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace
{

bool ReadFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize != nullptr)
        LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i)
    {
        std::error_code ec;
        // Absolute, as a harness may change the working folder.
        const std::filesystem::path path = std::filesystem::absolute(argv[i], ec);
        if (std::filesystem::is_directory(path, ec))
        {
            for (const auto& entry : std::filesystem::directory_iterator(path, ec))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        }
        else if (std::filesystem::is_regular_file(path, ec))
            files.push_back(path);
        else
        {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 2;
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty())
    {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...  (no input files found)\n", argv[0]);
        return 2;
    }
    std::vector<uint8_t> bytes;
    for (const std::filesystem::path& file : files)
    {
        if (!ReadFile(file, bytes))
        {
            std::fprintf(stderr, "%s: cannot read\n", file.c_str());
            return 2;
        }
        // Printed first, so the input that crashes is the last line of the output.
        std::fprintf(stderr, "%s (%zu bytes)\n", file.c_str(), bytes.size());
        // A copy of exactly the file's size, so a read past the end is caught by the sanitizers.
        // An empty file still gets a valid pointer, as libFuzzer gives.
        std::vector<uint8_t> exact(bytes);
        static const uint8_t nothing = 0;
        LLVMFuzzerTestOneInput(exact.empty() ? &nothing : exact.data(), exact.size());
    }
    std::fprintf(stderr, "%zu inputs replayed\n", files.size());
    return 0;
}
