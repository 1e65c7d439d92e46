// Temporary files left by killed saves: which names count as ours, what a clean-up removes and leaves,
// and the three stores (settings, sound cache, archive writer) cleaning up when they next start.
#include "platform/StaleTempFiles.h"

#include "audio/SoundCache.h"
#include "audio/WaveFile.h"
#include "files/PakWriter.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zest
{
namespace
{

namespace fs = std::filesystem;

void Touch(const fs::path& path, std::chrono::seconds age)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << "partial";
    fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

constexpr std::chrono::seconds Old{120};
constexpr std::chrono::seconds Fresh{5};

// Our temporary files in a folder, by name.
std::vector<std::string> TemporaryFiles(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec))
        if (StaleTempFiles::IsTemporaryName(entry.path().filename().string()))
            names.push_back(entry.path().filename().string());
    return names;
}

class StaleTempFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() /
                 ("zest-stale-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
};

TEST(StaleTempFileNames, OnlyOurOwnPatternsCount)
{
    struct Case
    {
        const char* name;
        const char* base;
        bool ours;
    };
    const Case cases[] = {
        {"registry.txt.tmp1234", "registry.txt", true},          // the settings store
        {"main.pak.tmp77", "main.pak", true},                    // the archive writer
        {"buzz.wav.tmp.4321.0", "", true},                       // the sound cache
        {"buzz.wav.tmp.4321.17", "buzz.wav", true},
        {"registry.txt.tmp1234", "", true},
        {"registry.txt.tmp", "registry.txt", false},             // no process number
        {"registry.txt.tmpabc", "registry.txt", false},
        {"registry.txt.tmp12x", "", false},
        {"registry.txt.tmp.12", "", false},                      // cache pattern needs both numbers
        {"registry.txt.tmp.12.", "", false},
        {"other.txt.tmp1234", "registry.txt", false},            // another file's
        {"registry.txt", "registry.txt", false},
        {"notes.tmp", "", false},
        {".tmp123", "", false},                                  // no name before it
        {"photo.tmp1.jpg", "", false},
        {"registry.txt.damaged", "", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.name) + " / " + c.base);
        EXPECT_EQ(StaleTempFiles::IsTemporaryName(c.name, c.base), c.ours);
    }
}

TEST_F(StaleTempFilesTest, RemovesOnlyOldTemporaryFilesOfOurs)
{
    Touch(folder / "registry.txt.tmp101", Old);
    Touch(folder / "registry.txt.tmp102", Fresh); // a save in progress elsewhere
    Touch(folder / "registry.txt", Old);
    Touch(folder / "notes.tmp", Old);
    Touch(folder / "other.txt.tmp103", Old); // not the base asked for
    Touch(folder / "sub" / "registry.txt.tmp104", Old); // below: only when recursive
    fs::create_directories(folder / "registry.txt.tmp105"); // a folder
    Touch(folder.parent_path() / (folder.filename().string() + "-target"), Old);
    fs::create_symlink(folder.parent_path() / (folder.filename().string() + "-target"), folder / "registry.txt.tmp106");

    EXPECT_EQ(StaleTempFiles::Remove(folder, "registry.txt"), 1);
    EXPECT_FALSE(fs::exists(folder / "registry.txt.tmp101"));
    for (const char* kept : {"registry.txt.tmp102", "registry.txt", "notes.tmp", "other.txt.tmp103",
                             "sub/registry.txt.tmp104", "registry.txt.tmp105", "registry.txt.tmp106"})
        EXPECT_TRUE(fs::exists(fs::symlink_status(folder / kept))) << kept;
    // The link's target is not ours to remove either.
    EXPECT_TRUE(fs::exists(folder.parent_path() / (folder.filename().string() + "-target")));
    fs::remove(folder.parent_path() / (folder.filename().string() + "-target"));

    EXPECT_EQ(StaleTempFiles::Remove(folder, {}, true), 2); // other.txt's and the one in sub/
    EXPECT_EQ(StaleTempFiles::Remove(folder / "missing"), 0);
}

TEST_F(StaleTempFilesTest, RemoveOnceScansAFolderOnlyOnce)
{
    Touch(folder / "a.pak.tmp1", Old);
    EXPECT_EQ(StaleTempFiles::RemoveOnce(folder, "a.pak"), 1);
    Touch(folder / "a.pak.tmp2", Old);
    EXPECT_EQ(StaleTempFiles::RemoveOnce(folder, "a.pak"), 0);
    EXPECT_TRUE(fs::exists(folder / "a.pak.tmp2"));
}

// A child process dies (SIGKILL) with its new settings complete in the temporary file, before the
// rename; the next start (another process) removes the leftover once it is old, and the settings
// read as they were before the killed save.
TEST_F(StaleTempFilesTest, ASettingsSaveKilledMidwayLeavesNothingAfterTheNextStart)
{
    const std::string key = "Zest Tests\\Stale " + std::to_string(getpid());
    const fs::path settingsFolder = fs::path(Registry::FilePathForKey(key)).parent_path();
    fs::remove_all(settingsFolder);

    // Every store here is opened in a child: the clean-up runs once per process, and this one must
    // not have done it already.
    auto runChild = [](auto body) {
        const pid_t child = fork();
        if (child == 0)
        {
            body();
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return status;
    };
    const int saved = runChild([&] { _exit(Registry(key).WriteDword("Level", 3) ? 0 : 1); });
    ASSERT_TRUE(WIFEXITED(saved) && WEXITSTATUS(saved) == 0);
    const int killed = runChild([&] {
        Registry::SetBeforeReplaceHook([](const std::string&) {
            raise(SIGKILL);
            return true;
        });
        (void)Registry(key).WriteDword("Level", 4);
    });
    ASSERT_TRUE(WIFSIGNALED(killed) && WTERMSIG(killed) == SIGKILL);
    std::vector<std::string> left = TemporaryFiles(settingsFolder);
    ASSERT_EQ(left.size(), 1u);

    // A minute later: the leftover is stale.
    fs::last_write_time(settingsFolder / left[0], fs::file_time_type::clock::now() - Old);
    const int started = runChild([&] {
        uint32_t level = 0;
        _exit(Registry(key).ReadDword("Level", level) && level == 3 ? 0 : 1);
    });
    EXPECT_TRUE(WIFEXITED(started) && WEXITSTATUS(started) == 0);
    EXPECT_TRUE(TemporaryFiles(settingsFolder).empty());
    EXPECT_TRUE(fs::exists(settingsFolder / "registry.txt"));
    fs::remove_all(settingsFolder);
}

TEST_F(StaleTempFilesTest, TheArchiveWriterAndTheSoundCacheCleanUpWhenTheyStart)
{
    // The archive writer: its leftover beside the archive goes, another archive's stays.
    Touch(folder / "main.pak.tmp999999", Old);
    Touch(folder / "other.pak.tmp999999", Old);
    PakWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddFile("a.txt", {'a'}, 0, error)) << error;
    ASSERT_TRUE(writer.WriteTo((folder / "main.pak").string(), error)) << error;
    EXPECT_FALSE(fs::exists(folder / "main.pak.tmp999999"));
    EXPECT_TRUE(fs::exists(folder / "other.pak.tmp999999"));

    // The sound cache: leftovers anywhere below its folder go, other files stay.
    const fs::path cache = SoundCache::Folder() / "cached";
    Touch(cache / "sounds" / "stale-test.wav.tmp.999999.3", Old);
    Touch(cache / "sounds" / "stale-test.wav", Old);
    MixerSamples samples;
    samples.samples = {1, 2, 3};
    ASSERT_TRUE(WaveFile::WriteCache(folder / "cache.wav", samples, "source.ogg", 1));
    EXPECT_FALSE(fs::exists(cache / "sounds" / "stale-test.wav.tmp.999999.3"));
    EXPECT_TRUE(fs::exists(cache / "sounds" / "stale-test.wav"));
    fs::remove(cache / "sounds" / "stale-test.wav");
}

} // namespace
} // namespace zest
