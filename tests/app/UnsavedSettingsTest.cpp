// Settings that cannot be saved (the settings folder is a file, a folder on the way is a file, the folder is
// read-only): every save answers false, the game is told so once, plays on, and saves again once it can.
#include "platform/Log.h"
#include "platform/Registry.h"
#include "TestApp.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace zest::test
{
namespace
{

namespace fs = std::filesystem;

// Warnings and notes logged while it lives.
class LogCapture
{
public:
    LogCapture()
    {
        // The notes are informational lines, which the default threshold drops.
        previousThreshold = SetLogThreshold(LogLevel::Info);
        previous = SetLogSink([this](LogLevel level, const std::string& line) {
            (level == LogLevel::Warning ? warnings : notes).push_back(line);
        });
    }
    ~LogCapture()
    {
        SetLogSink(previous);
        SetLogThreshold(previousThreshold);
    }
    size_t WarningsWith(const std::string& text) const
    {
        size_t count = 0;
        for (const std::string& line : warnings)
            count += line.find(text) != std::string::npos ? 1 : 0;
        return count;
    }
    size_t NotesWith(const std::string& text) const
    {
        size_t count = 0;
        for (const std::string& line : notes)
            count += line.find(text) != std::string::npos ? 1 : 0;
        return count;
    }

private:
    LogSink previous;
    LogLevel previousThreshold = LogLevel::Warning;
    std::vector<std::string> warnings;
    std::vector<std::string> notes;
};

class UnsavedSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("zest-unsaved-settings-ü-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        savedHome = old ? old : "";
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    }
    void TearDown() override
    {
        setenv("XDG_CONFIG_HOME", savedHome.c_str(), 1);
        std::error_code error;
        fs::permissions(root / "config", fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(root, error);
    }
    static void MakeFile(const fs::path& path)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "not a folder\n";
    }

    fs::path root;
    std::string savedHome;
};

TEST_F(UnsavedSettingsTest, SavesFailOnceSaidAndWorkAgainWhenTheFolderIsBack)
{
    const std::string key = "Zest Tests\\Unsaved";
    struct Case
    {
        const char* name;
        // Makes the settings folder unusable; answers false (with a reason) where this machine cannot.
        std::function<bool(const fs::path& config, std::string& why)> block;
        // Puts it right again.
        std::function<void(const fs::path& config)> unblock;
    };
    const Case cases[] = {
        {"the configuration home is a file",
         [](const fs::path& config, std::string&) {
             MakeFile(config);
             return true;
         },
         [](const fs::path& config) {
             fs::remove(config);
         }},
        {"the key's folder is a file",
         [](const fs::path& config, std::string&) {
             MakeFile(config / "Zest Tests" / "Unsaved");
             return true;
         },
         [](const fs::path& config) { fs::remove(config / "Zest Tests" / "Unsaved"); }},
        {"the configuration home is read-only",
         [](const fs::path& config, std::string& why) {
             fs::create_directories(config);
             if (::geteuid() != 0)
             {
                 fs::permissions(config, fs::perms::owner_read | fs::perms::owner_exec);
                 return true;
             }
             // Root writes into read-only folders: a read-only file system stops it.
             if (::mount("tmpfs", config.c_str(), "tmpfs", MS_RDONLY, "size=64k") == 0)
                 return true;
             why = std::string("root, and a read-only tmpfs cannot be mounted here: ") + std::strerror(errno);
             return false;
         },
         [](const fs::path& config) {
             if (::geteuid() == 0)
                 ::umount2(config.c_str(), MNT_DETACH);
             else
                 fs::permissions(config, fs::perms::owner_all);
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const fs::path config = root / "config";
        std::error_code error;
        fs::remove_all(config, error);
        std::string why;
        if (!c.block(config, why))
        {
            std::cout << "skipped '" << c.name << "': " << why << "\n";
            continue;
        }
        LogCapture log;
        TestApp app;
        app.registryKey = key;
        app.LoadSettings();
        EXPECT_FALSE(app.WriteRegInt("Level", 4));
        EXPECT_FALSE(app.WriteRegInts({{"Music", 50}, {"Sound", 60}}));
        const uint8_t progress[] = {1, 2, 3};
        EXPECT_FALSE(app.WriteRegData("Progress", progress, sizeof progress));
        int read = 0;
        EXPECT_FALSE(app.ReadRegInt("Level", read)) << "nothing was saved, nothing is read back";
        EXPECT_EQ(log.WarningsWith("cannot be saved"), 1u);
        EXPECT_EQ(log.WarningsWith("cannot be saved to " + Registry::FilePathForKey(key)), 1u) << "names the file";

        c.unblock(config);
        EXPECT_TRUE(app.WriteRegInt("Level", 5));
        EXPECT_TRUE(app.ReadRegInt("Level", read));
        EXPECT_EQ(read, 5);
        EXPECT_EQ(log.NotesWith("saved again"), 1u);
        EXPECT_EQ(log.WarningsWith("cannot be saved"), 1u);
    }
}

} // namespace
} // namespace zest::test
