// Runs the built zestcheck's full data check on small data sets, as the game would start up on them.
#include "GameTestData.h"

#include "files/PakWriter.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using gametest::DataFolder;
using gametest::DataOptions;

namespace
{

struct ToolRun
{
    int exitCode = -1;
    std::string output;
};

std::string Tool()
{
    const char* bin = std::getenv("ZEST_BIN_DIR");
    return bin != nullptr ? std::string(bin) + "/zestcheck" : std::string();
}

ToolRun CheckData(const std::string& folder)
{
    ToolRun run;
    FILE* pipe = popen((Tool() + " '" + folder + "' 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr)
        run.output += buffer;
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void Overwrite(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class ZestCheckData : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (Tool().empty() || !std::filesystem::exists(Tool()))
            GTEST_SKIP() << "zestcheck is not built in ZEST_BIN_DIR";
    }
};

TEST_F(ZestCheckData, ReportsTheFirstStartUpErrorAsTheGameWouldShowIt)
{
    struct Case
    {
        const char* name;
        DataOptions options;
        const char* damagedFile; // overwritten with bytes no loader accepts
        std::string output;
    };
    DataOptions complete;
    DataOptions noBurp;
    noBurp.leaveOut = {"SOUND_BURP"};
    DataOptions noWingsNoBurp;
    noWingsNoBurp.leaveOut = {"SOUND_BURP", "IMAGE_WINGS"};
    DataOptions noText;
    noText.leaveOut = {"IMAGE_CUSTOM_TEXT"};
    DataOptions noManifest;
    noManifest.noManifest = true;
    const Case cases[] = {
        {"complete", complete, nullptr, "OK\n"},
        {"missing sound", noBurp, nullptr, "Sound resource not found: SOUND_BURP\n"},
        {"images before sounds", noWingsNoBurp, nullptr, "Image resource not found: IMAGE_WINGS\n"},
        {"an unused cursor image", noText, nullptr, "Image resource not found: IMAGE_CUSTOM_TEXT\n"},
        {"no manifest", noManifest, nullptr, "Resource file not found: properties\\resources.xml\n"},
        {"damaged image", complete, "images/bee.png", "Failed to load image: images/bee.png\n"},
        {"damaged sound", complete, "sounds/timer.wav", "Failed to load sound: sounds/timer\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        DataFolder data(c.options);
        if (c.damagedFile)
            Overwrite(data.Path(c.damagedFile), "not what it claims to be");
        ToolRun run = CheckData(data.Path());
        EXPECT_EQ(run.exitCode, c.output == "OK\n" ? 0 : 1);
        EXPECT_EQ(run.output, c.output);
    }
}

TEST_F(ZestCheckData, ReadsTheArchiveBesideTheData)
{
    DataFolder data;
    // The manifest only in main.pak.
    std::ifstream manifest(data.Path("properties/resources.xml"), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(manifest)), std::istreambuf_iterator<char>());
    manifest.close();
    std::filesystem::remove(data.Path("properties/resources.xml"));
    zest::PakWriter pak;
    std::string error;
    ASSERT_TRUE(pak.AddFile("properties\\resources.xml", bytes, 0, error)) << error;
    ASSERT_TRUE(pak.WriteTo(data.Path("main.pak"), error)) << error;
    ToolRun run = CheckData(data.Path());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "OK\n");
}

TEST_F(ZestCheckData, ChecksEveryLevelMapOnceTheDataHasAny)
{
    DataFolder data;
    std::filesystem::create_directories(data.Path("maps"));
    Overwrite(data.Path("maps/1.pmp"), std::string(3, '\0'));
    ToolRun run = CheckData(data.Path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output.rfind("maps//1.pmp: ", 0), 0u) << run.output;
}

} // namespace
