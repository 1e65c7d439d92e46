// The atomic writer: what it writes, that a failure anywhere leaves the old file byte for byte and no
// temporary file behind, and that its temporary names are the ones the stale-file sweep removes.
#include "platform/AtomicFile.h"

#include "platform/StaleTempFiles.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zest
{
namespace
{

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Our temporary files anywhere below folder.
std::vector<std::string> TemporaryFiles(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec))
        if (StaleTempFiles::IsTemporaryName(entry.path().filename().string()))
            names.push_back(entry.path().string());
    return names;
}

// A producer that hands over text in pieces of at most step bytes.
AtomicFile::Producer InPieces(const std::string& text, size_t step)
{
    return [text, step](const AtomicFile::Sink& put) {
        for (size_t at = 0; at < text.size(); at += step)
            if (!put(text.data() + at, std::min(step, text.size() - at)))
                return false;
        return true;
    };
}

class AtomicFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("zest-atomic-" + std::to_string(getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_all, ec);
        fs::remove_all(folder);
    }

    fs::path folder;
};

TEST_F(AtomicFileTest, WritesTheBytesWholeAndReplacesTheOldFile)
{
    const std::string binary("\x00\xff\r\n\x1a zest", 10);
    std::string large(1 << 20, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>(i * 7 + i / 251);
    struct Case
    {
        const char* what;
        const char* name;
        const char* old; // nullptr: no file before
        std::string bytes;
        size_t piece;    // 0: all at once
    };
    const Case cases[] = {
        {"a new file", "new.txt", nullptr, "fresh\n", 0},
        {"over an old file", "settings.txt", "old and longer than the new text\n", "short\n", 0},
        {"binary bytes", "data.bin", "x", binary, 0},
        {"nothing at all", "empty.txt", "had text", "", 0},
        {"a non-ASCII name", "Bienenstöcke-蜂.txt", "alt", "neu", 0},
        {"a megabyte in odd pieces", "big.pak", nullptr, large, 4093},
        {"pieces of one byte", "bytes.txt", "old", "one at a time", 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const fs::path path = folder / fs::u8path(c.name);
        if (c.old != nullptr)
            WriteFile(path, c.old);
        std::string error;
        const bool ok = c.piece == 0 ? AtomicFile::Write(path, std::string_view(c.bytes), error)
                                     : AtomicFile::Write(path, InPieces(c.bytes, c.piece), error);
        EXPECT_TRUE(ok) << error;
        EXPECT_TRUE(ReadFile(path) == c.bytes) << "the file holds " << fs::file_size(path) << " bytes";
        EXPECT_TRUE(TemporaryFiles(folder).empty());
    }
}

TEST_F(AtomicFileTest, ANewFileGetsThePermissionsAsked)
{
    AtomicFile::Options options;
    options.permissions = 0600;
    std::string error;
    ASSERT_TRUE(AtomicFile::Write(folder / "private.txt", std::string_view("mine"), error, options)) << error;
    EXPECT_EQ(fs::status(folder / "private.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(AtomicFileTest, AFailureLeavesTheOldFileAndNoTemporaryFile)
{
    const std::string old("old bytes\x00\x01 kept", 16);
    // RLIMIT_FSIZE makes write fail part way with EFBIG, as a full disk fails it with ENOSPC: the
    // same path through the writer, without filling a disk.
    struct FileSizeLimit
    {
        rlimit saved{};
        explicit FileSizeLimit(rlim_t bytes)
        {
            signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit limited = saved;
            limited.rlim_cur = bytes;
            setrlimit(RLIMIT_FSIZE, &limited);
        }
        ~FileSizeLimit()
        {
            setrlimit(RLIMIT_FSIZE, &saved);
            signal(SIGXFSZ, SIG_DFL);
        }
    };
    struct Case
    {
        const char* what;
        std::function<fs::path()> prepare; // answers the target; an old file is there unless it is a folder
        AtomicFile::Producer produce;
        const char* errorHas;
        bool needsPermissions = false; // root writes anywhere
        rlim_t fileSizeLimit = 0;      // 0: none
    };
    const std::string big(256 * 1024, 'n');
    const Case cases[] = {
        {"the folder is missing", [&] { return folder / "missing" / "file.txt"; }, InPieces("new", 0x100),
         "No such file or directory"},
        {"the folder is a file",
         [&] {
             WriteFile(folder / "plain", old);
             return folder / "plain" / "file.txt";
         },
         InPieces("new", 0x100), "Not a directory"},
        {"the folder cannot be written",
         [&] {
             fs::create_directories(folder / "locked");
             WriteFile(folder / "locked" / "file.txt", old);
             fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
             return folder / "locked" / "file.txt";
         },
         InPieces("new", 0x100), "Permission denied", true},
        {"the producer fails midway",
         [&] {
             WriteFile(folder / "file.txt", old);
             return folder / "file.txt";
         },
         [](const AtomicFile::Sink& put) {
             (void)put("half of", 7);
             return false;
         }, "cannot write"},
        {"a write fails part way",
         [&] {
             WriteFile(folder / "file.txt", old);
             return folder / "file.txt";
         },
         InPieces(big, 10000), "File too large", false, 64 * 1024},
        {"the rename fails",
         [&] {
             fs::create_directories(folder / "taken" / "inside");
             return folder / "taken";
         },
         InPieces("new", 0x100), "cannot replace"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        if (c.needsPermissions && geteuid() == 0)
            continue; // root ignores folder permissions; the other cases still run
        const fs::path path = c.prepare();
        std::string error;
        bool ok = false;
        {
            std::optional<FileSizeLimit> limit;
            if (c.fileSizeLimit != 0)
                limit.emplace(c.fileSizeLimit);
            ok = AtomicFile::Write(path, c.produce, error);
        }
        EXPECT_FALSE(ok);
        EXPECT_NE(error.find(c.errorHas), std::string::npos) << error;
        if (fs::is_directory(path))
        {
            EXPECT_TRUE(fs::exists(path / "inside"));
        }
        else if (fs::exists(path))
        {
            EXPECT_TRUE(ReadFile(path) == old) << "the old file changed: " << ReadFile(path).size() << " bytes";
        }
        std::error_code ignored;
        fs::permissions(folder / "locked", fs::perms::owner_all, ignored);
        const std::vector<std::string> left = TemporaryFiles(folder);
        EXPECT_TRUE(left.empty()) << left.front();
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
}

TEST_F(AtomicFileTest, TheSweepRemovesAnOldTemporaryFileAndKeepsAFreshOne)
{
    const fs::path path = folder / "levels.pak";
    const fs::path stale = AtomicFile::TemporaryName(path);
    const fs::path fresh = AtomicFile::TemporaryName(path);
    ASSERT_NE(stale, fresh);
    EXPECT_TRUE(StaleTempFiles::IsTemporaryName(stale.filename().string(), "levels.pak")) << stale;
    WriteFile(stale, "killed midway");
    WriteFile(fresh, "another process, still saving");
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(stale, now - StaleTempFiles::MinimumAge - std::chrono::seconds(30));
    fs::last_write_time(fresh, now - std::chrono::seconds(5));

    // The first write to a file in this process sweeps its folder.
    std::string error;
    ASSERT_TRUE(AtomicFile::Write(path, std::string_view("pak"), error)) << error;
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_EQ(ReadFile(path), "pak");
}

TEST_F(AtomicFileTest, AFreshLeftoverUnderTheNextNameDoesNotStopTheSave)
{
    // A killed process that had this process's number left its temporary files a moment ago.
    const fs::path path = folder / "registry.txt";
    const std::string next = AtomicFile::TemporaryName(path).string();
    const size_t dot = next.rfind('.');
    const unsigned counter = static_cast<unsigned>(std::stoul(next.substr(dot + 1)));
    std::vector<fs::path> leftovers;
    for (unsigned n = counter + 1; n <= counter + 3; ++n)
    {
        leftovers.push_back(next.substr(0, dot + 1) + std::to_string(n));
        WriteFile(leftovers.back(), "someone else's");
    }
    std::string error;
    ASSERT_TRUE(AtomicFile::Write(path, std::string_view("saved"), error)) << error;
    EXPECT_EQ(ReadFile(path), "saved");
    for (const fs::path& leftover : leftovers)
        EXPECT_EQ(ReadFile(leftover), "someone else's") << leftover;
}

TEST_F(AtomicFileTest, ThreadsSavingOneFileNeverShareATemporaryFile)
{
    // Each thread writes its own letter many times; a shared temporary file would mix letters.
    const fs::path path = folder / "shared.txt";
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            const std::string text(20000, static_cast<char>('a' + t));
            for (int round = 0; round < 25; ++round)
            {
                std::string error;
                if (!AtomicFile::Write(path, InPieces(text, 997), error))
                    failures[static_cast<size_t>(t)]++;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
    const std::string result = ReadFile(path);
    ASSERT_EQ(result.size(), 20000u);
    EXPECT_EQ(result.find_first_not_of(result[0]), std::string::npos);
    EXPECT_TRUE(TemporaryFiles(folder).empty());
}

} // namespace
} // namespace zest
