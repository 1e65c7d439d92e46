// The writers of the program on a full disk: a small tmpfs is filled to its last few kilobytes, then the settings
// store, zestpak create, the level editor's save and the sound cache each try to replace a file they wrote before
// with something larger than the space left. Each must fail with the system's reason, leave the old file byte for
// byte, and leave no temporary file behind.
#include "../support/ToolRun.h"
#include "audio/WaveFile.h"
#include "platform/Log.h"
#include "platform/Registry.h"
#ifdef ZEST_HAVE_EDITOR
#include "EditorDocument.h"
#endif

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

constexpr size_t DiskBytes = 512 * 1024;
// What the filler leaves free: the new files are all larger.
constexpr size_t LeftBytes = 8 * 1024;
constexpr const char* NoSpace = "No space left on device";

// A tmpfs of its own for the test, removed at the end.
class SmallDisk
{
public:
    SmallDisk()
    {
        root = fs::temp_directory_path() / ("zest-full-disk-ü-" + std::to_string(::getpid()));
        fs::create_directories(root);
        const std::string options = "size=" + std::to_string(DiskBytes) + ",mode=0700";
        if (::mount("tmpfs", root.c_str(), "tmpfs", 0, options.c_str()) == 0)
            mounted = true;
        else
            why = std::string("cannot mount a tmpfs here (") + std::strerror(errno) + "); the CI runs this as root";
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(root.c_str(), MNT_DETACH);
        std::error_code error;
        fs::remove_all(root, error);
    }

    // Fills the disk, then gives back all but LeftBytes.
    bool Fill()
    {
        const fs::path filler = root / "filler";
        int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0)
            return false;
        std::vector<char> block(4096, 'x');
        off_t written = 0;
        while (::write(fd, block.data(), block.size()) == static_cast<ssize_t>(block.size()))
            written += static_cast<off_t>(block.size());
        const bool full = errno == ENOSPC;
        const bool shrunk = ::ftruncate(fd, written > off_t(LeftBytes) ? written - off_t(LeftBytes) : 0) == 0;
        ::close(fd);
        return full && shrunk;
    }

    // The names in a folder of the disk (the filler left out).
    std::set<std::string> Names(const fs::path& folder) const
    {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        {
            if (entry.path().filename() != "filler")
                names.insert(entry.path().filename().string());
        }
        return names;
    }

    fs::path root;
    bool mounted = false;
    std::string why;
};

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Collects the log's lines while it lives.
class LogLines
{
public:
    LogLines()
    {
        previous = zest::SetLogSink([this](zest::LogLevel, const std::string& line) { text += line + "\n"; });
    }
    ~LogLines() { zest::SetLogSink(previous); }
    std::string text;

private:
    zest::LogSink previous;
};

// One writer: write puts a file at path (small before the disk fills, large after) and answers success and what it
// said (its error text, log lines or output).
struct Writer
{
    const char* name;
    const char* fileName;
    std::function<bool(const fs::path& path, bool large, std::string& said)> write;
};

std::string Noise(size_t bytes)
{
    std::string text;
    uint32_t state = 12345;
    while (text.size() < bytes)
    {
        state = state * 1664525u + 1013904223u;
        text += static_cast<char>('a' + (state >> 24) % 26);
    }
    return text;
}

bool WriteSettings(const fs::path& path, bool large, std::string& said)
{
    // The store keeps its file under XDG_CONFIG_HOME, in a folder per key: path is HOME/Full/registry.txt.
    setenv("XDG_CONFIG_HOME", path.parent_path().parent_path().c_str(), 1);
    LogLines log;
    zest::Registry registry("Full");
    bool ok = registry.WriteString("Notes", Noise(large ? 64 * 1024 : 100));
    said = log.text;
    return ok;
}

bool WritePak(const fs::path& path, bool large, std::string& said)
{
    const fs::path source = fs::temp_directory_path() / ("zest-full-disk-pak-" + std::to_string(::getpid()));
    fs::remove_all(source);
    fs::create_directories(source / "sounds");
    std::ofstream(source / "sounds" / "a.txt", std::ios::binary) << Noise(large ? 64 * 1024 : 100);
    zest::test::ToolRun run = zest::test::RunTool(ZESTPAK_PATH, {"create", path.string(), source.string()});
    fs::remove_all(source);
    said = run.out + run.err;
    return run.exitCode == 0;
}

#ifdef ZEST_HAVE_EDITOR
bool SaveLevel(const fs::path& path, bool large, std::string& said)
{
    // A large level's source has a line of tiles per row.
    tibble::edit::EditorDocument document(large ? 200 : 12, large ? 200 : 9);
    return document.Save(path.string(), said);
}
#endif

bool WriteSoundCache(const fs::path& path, bool large, std::string& said)
{
    zest::MixerSamples samples;
    samples.channels = 2;
    samples.samples.assign(large ? 44100 * 2 : 64, int16_t(1000));
    return zest::WaveFile::WriteCache(path, samples, "sounds\\a.ogg", 1234, &said);
}

TEST(FullDisk, AWriterThatRunsOutOfSpaceKeepsTheOldFileAndLeavesNothingBehind)
{
    SmallDisk disk;
    if (!disk.mounted)
        GTEST_SKIP() << disk.why;
    const std::string savedHome = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    std::vector<Writer> writers = {
        {"settings", "Full/registry.txt", WriteSettings},
        {"sound cache", "a.wav", WriteSoundCache},
#ifdef ZESTPAK_PATH
        {"zestpak create", "main.pak", WritePak},
#endif
#ifdef ZEST_HAVE_EDITOR
        {"editor save", "4.lvl", SaveLevel},
#endif
    };
    // Every writer's old file first, while there is room.
    for (const Writer& writer : writers)
    {
        SCOPED_TRACE(writer.name);
        const fs::path path = disk.root / writer.name / writer.fileName;
        fs::create_directories(path.parent_path());
        std::string said;
        ASSERT_TRUE(writer.write(path, false, said)) << said;
        ASSERT_TRUE(fs::exists(path));
    }
    ASSERT_TRUE(disk.Fill());
    for (const Writer& writer : writers)
    {
        SCOPED_TRACE(writer.name);
        const fs::path path = disk.root / writer.name / writer.fileName;
        const fs::path folder = path.parent_path();
        const std::string before = ReadAll(path);
        const std::set<std::string> namesBefore = disk.Names(folder);
        std::string said;
        EXPECT_FALSE(writer.write(path, true, said));
        EXPECT_NE(said.find(NoSpace), std::string::npos) << "the reason is given: " << said;
        EXPECT_EQ(ReadAll(path), before) << "the old file stays byte for byte";
        EXPECT_EQ(disk.Names(folder), namesBefore) << "no temporary file is left";
    }
    setenv("XDG_CONFIG_HOME", savedHome.c_str(), 1);
}

} // namespace
