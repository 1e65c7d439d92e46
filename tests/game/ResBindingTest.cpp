// Binding the resource identifiers: every group binds from a complete manifest; a missing identifier
// fails its group with the manager's text naming the first one in request order.
#include "GameTestData.h"

#include "app/ZestAppBase.h"
#include "audio/DSoundManager.h"
#include "garden/Res.h"
#include "graphics/Font.h"
#include "graphics/MemoryImage.h"
#include "platform/Mixer.h"
#include "resources/ResourceManager.h"

#include <gtest/gtest.h>

#include <set>

using gametest::DataFolder;
using gametest::DataOptions;

namespace
{

class BindTestApp : public zest::ZestAppBase
{
public:
    BindTestApp() { soundManager = std::make_unique<zest::DSoundManager>(zest::Mixer::Create(), false); }
};

class ResBinding : public ::testing::Test
{
protected:
    void SetUp() override { gametest::ClearIdentifiers(); }
    void TearDown() override { gametest::ClearIdentifiers(); }

    // Reads the folder's manifest with a fresh manager.
    zest::ResourceManager& Read(const DataFolder& data)
    {
        manager = std::make_unique<zest::ResourceManager>(&app);
        EXPECT_TRUE(manager->ReadManifest(data.Path("properties/resources.xml"))) << manager->ErrorText();
        return *manager;
    }

    // The manifest's paths are relative to the data folder, as the game runs there.
    struct WorkingFolder
    {
        explicit WorkingFolder(const std::string& path)
        {
            previous = std::filesystem::current_path();
            std::filesystem::current_path(path);
        }
        ~WorkingFolder() { std::filesystem::current_path(previous); }
        std::filesystem::path previous;
    };

    BindTestApp app;
    std::unique_ptr<zest::ResourceManager> manager;
};

TEST_F(ResBinding, EveryGroupBindsFromACompleteManifest)
{
    DataFolder data;
    WorkingFolder here(data.Path());
    zest::ResourceManager& resources = Read(data);
    // 31 images and 3 sounds.
    EXPECT_EQ(resources.CountResources("Game"), 34);
    EXPECT_EQ(resources.CountResources("Init"), 7);
    EXPECT_EQ(resources.CountResources("TitleScreen"), 1);

    ASSERT_TRUE(resources.LoadGroup("Init")) << resources.ErrorText();
    ASSERT_TRUE(tibble::BindInitResources(&resources)) << resources.ErrorText();
    ASSERT_TRUE(resources.LoadGroup("TitleScreen")) << resources.ErrorText();
    ASSERT_TRUE(tibble::BindTitleScreenResources(&resources)) << resources.ErrorText();
    ASSERT_TRUE(resources.LoadGroup("Game")) << resources.ErrorText();
    ASSERT_TRUE(tibble::BindGameResources(&resources)) << resources.ErrorText();

    using namespace tibble;
    EXPECT_EQ(FONT_DEFAULT, resources.FindFont("FONT_DEFAULT"));
    EXPECT_EQ(FONT_DEFAULT->StringWidth("AB"), 18);
    EXPECT_NE(FONT_TITLE, nullptr);
    EXPECT_EQ(IMAGE_TITLESCREEN->GetWidth(), 640);
    EXPECT_EQ(IMAGE_LOADER_BAR->GetWidth(), gametest::LoaderBarWidth);
    EXPECT_EQ(IMAGE_DIALOG_BOX, resources.RequireImage("IMAGE_DIALOG_BOX").get());
    for (zest::Image* image : {IMAGE_CUSTOM_POINTER, IMAGE_CUSTOM_HAND, IMAGE_CUSTOM_DRAGGING, IMAGE_CUSTOM_TEXT,
                               IMAGE_CHECKBOX, IMAGE_BEE, IMAGE_WINGS, IMAGE_ITEM, IMAGE_HONEYSLIDER, IMAGE_PANSY2})
        EXPECT_NE(image, nullptr);
    std::set<int> sounds{SOUND_BURP, SOUND_TIMER, SOUND_TOMATO};
    EXPECT_EQ(sounds.size(), 3u);
    for (int id : sounds)
        EXPECT_EQ(id, resources.RequireSound(id == SOUND_BURP ? "SOUND_BURP"
                                             : id == SOUND_TIMER ? "SOUND_TIMER"
                                                                 : "SOUND_TOMATO"));
}

TEST_F(ResBinding, AMissingIdentifierFailsItsGroupNamingTheFirstInRequestOrder)
{
    struct Case
    {
        std::set<std::string> leaveOut;
        const char* group;
        bool (*bind)(zest::ResourceManager*);
        const char* message;
    };
    const Case cases[] = {
        // Never drawn by the game, yet required.
        {{"IMAGE_CUSTOM_TEXT"}, "Init", tibble::BindInitResources, "Image resource not found: IMAGE_CUSTOM_TEXT"},
        {{"IMAGE_CUSTOM_POINTER", "FONT_TITLE"}, "Init", tibble::BindInitResources,
         "Font resource not found: FONT_TITLE"},
        {{"IMAGE_LOADER_BAR"}, "TitleScreen", tibble::BindTitleScreenResources,
         "Image resource not found: IMAGE_LOADER_BAR"},
        // Images are requested before sounds.
        {{"SOUND_BURP", "IMAGE_WINGS"}, "Game", tibble::BindGameResources, "Image resource not found: IMAGE_WINGS"},
        {{"SOUND_TOMATO", "SOUND_BURP"}, "Game", tibble::BindGameResources, "Sound resource not found: SOUND_BURP"},
        {{"IMAGE_ITEM", "IMAGE_BEE"}, "Game", tibble::BindGameResources, "Image resource not found: IMAGE_BEE"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.message);
        DataOptions options;
        options.leaveOut = c.leaveOut;
        DataFolder data(options);
        WorkingFolder here(data.Path());
        zest::ResourceManager& resources = Read(data);
        ASSERT_TRUE(resources.LoadGroup(c.group)) << resources.ErrorText();
        EXPECT_FALSE(c.bind(&resources));
        EXPECT_EQ(resources.ErrorText(), c.message);
    }
}

TEST_F(ResBinding, IdentifiersBeforeTheMissingOneStayBoundAndLaterOnesUnbound)
{
    DataOptions options;
    options.leaveOut = {"IMAGE_WINGS"};
    DataFolder data(options);
    WorkingFolder here(data.Path());
    zest::ResourceManager& resources = Read(data);
    ASSERT_TRUE(resources.LoadGroup("Game"));
    EXPECT_FALSE(tibble::BindGameResources(&resources));
    EXPECT_NE(tibble::IMAGE_TRUMPET, nullptr);
    EXPECT_EQ(tibble::IMAGE_WINGS, nullptr);
    EXPECT_EQ(tibble::SOUND_BURP, 0);
}

TEST_F(ResBinding, AResourceLoadedOnDemandBeforeItsGroupStillBinds)
{
    DataFolder data;
    WorkingFolder here(data.Path());
    zest::ResourceManager& resources = Read(data);
    std::shared_ptr<zest::MemoryImage> bee = resources.FindImage("IMAGE_BEE");
    ASSERT_NE(bee, nullptr);
    ASSERT_TRUE(resources.LoadGroup("Game"));
    ASSERT_TRUE(tibble::BindGameResources(&resources)) << resources.ErrorText();
    EXPECT_EQ(tibble::IMAGE_BEE, bee.get());
}

} // namespace
