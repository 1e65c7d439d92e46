// The help pages and the credits as the player sees them, drawn with the shipped pictures and
// fonts: no text lies on or against a picture or another text, and everything stays inside its
// dialog, clear of the buttons.
#include "BoardTestSupport.h"

#include "game/CreditsDialog.h"
#include "game/InstructionsDialog.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "widgets/DialogButton.h"

#include <cstdlib>
#include <functional>
#include <ostream>

using boardtest::Click;
using boardtest::ClickWidget;
using boardtest::Step;
using boardtest::TestGame;
using tibble::Board;

namespace zest
{
void PrintTo(const Rect& r, std::ostream* out)
{
    *out << "(" << r.x << ", " << r.y << ", " << r.width << " x " << r.height << ")";
}
} // namespace zest

namespace
{

// Text must keep this many pixels away from pictures and other text.
constexpr int Gap = 3;
// The dialog frame's border and a little air inside it.
constexpr int PanelMargin = 16;

// The pixels a drawing covers, on a transparent canvas of the dialog's size.
class Coverage
{
public:
    Coverage(int width, int height, const std::function<void(zest::Graphics*)>& draw) : width(width), height(height)
    {
        std::vector<uint32_t> clear(static_cast<size_t>(width) * height, 0);
        image.SetBits(clear.data(), width, height);
        zest::Graphics g(&image);
        draw(&g);
    }
    bool At(int x, int y) { return x >= 0 && y >= 0 && x < width && y < height && (image.GetPixel(x, y) >> 24) != 0; }
    // Covered within distance pixels of (x, y).
    bool Near(int x, int y, int distance)
    {
        for (int dy = -distance; dy <= distance; dy++)
            for (int dx = -distance; dx <= distance; dx++)
                if (At(x + dx, y + dy))
                    return true;
        return false;
    }
    // The smallest rectangle holding every covered pixel; empty when nothing is covered.
    zest::Rect Bounds()
    {
        int left = width, top = height, right = -1, bottom = -1;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                if (At(x, y))
                {
                    left = std::min(left, x);
                    top = std::min(top, y);
                    right = std::max(right, x);
                    bottom = std::max(bottom, y);
                }
        return right < 0 ? zest::Rect() : zest::Rect(left, top, right - left + 1, bottom - top + 1);
    }

    const int width;
    const int height;

private:
    zest::MemoryImage image;
};

zest::Rect Grown(const zest::Rect& r, int by)
{
    return zest::Rect(r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by);
}

bool Contains(const zest::Rect& outer, const zest::Rect& inner)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

zest::Rect RelativeTo(const zest::Widget* widget, const zest::Rect& origin)
{
    return zest::Rect(widget->x - origin.x, widget->y - origin.y, widget->width, widget->height);
}

// The game started on the data the build made, on the menu.
class ShippedDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* bin = std::getenv("ZEST_BIN_DIR");
        if (!bin || !std::filesystem::exists(std::string(bin) + "/properties/resources.xml"))
            GTEST_SKIP() << "no generated data in ZEST_BIN_DIR";
        gametest::ClearIdentifiers();
        previousFolder = std::filesystem::current_path();
        app = std::make_unique<TestGame>(bin);
        app->Initialize();
        app->StartLoadingThread();
        ASSERT_TRUE(boardtest::WaitUntil([&] { return app->loadingThreadCompleted.load(); }));
        ASSERT_TRUE(app->RunUpdate());
        ASSERT_NE(app->GetTitleScreen(), nullptr);
        ClickWidget(*app, app->GetTitleScreen()->GetContinueLink());
        board = dynamic_cast<Board*>(app->GetBoard());
        ASSERT_NE(board, nullptr);
        Step(*app);
        ASSERT_EQ(board->GetState(), Board::Menu);
    }
    void TearDown() override
    {
        if (!app)
            return;
        app.reset();
        std::filesystem::current_path(previousFolder);
        gametest::ClearIdentifiers();
    }

    std::filesystem::path previousFolder;
    std::unique_ptr<TestGame> app;
    Board* board = nullptr;
};

TEST_F(ShippedDialogsTest, HelpTextStandsBesideItsPicturesOnEveryPage)
{
    ClickWidget(*app, board->GetButton(Board::HelpButtonId));
    auto* help = dynamic_cast<tibble::InstructionsDialog*>(app->GetDialog(Board::PanelDialogId));
    ASSERT_NE(help, nullptr);
    const zest::Rect box = help->GetRect();
    const zest::Rect next = RelativeTo(help->GetNextButton(), box);
    const zest::Rect content(PanelMargin, 0, box.width - 2 * PanelMargin, next.y - Gap);
    for (int page = 0; page <= tibble::InstructionsDialog::LastPage; page++)
    {
        SCOPED_TRACE("page " + std::to_string(page + 1));
        ASSERT_EQ(help->GetPage(), page);
        // Every frame of an animated page.
        Coverage pictures(box.width, box.height, [&](zest::Graphics* g) {
            for (int frame = 0; frame < 32; frame++)
                help->DrawPictures(g);
        });
        Coverage text(box.width, box.height, [&](zest::Graphics* g) { help->DrawPageText(g); });
        zest::Rect textBounds = text.Bounds();
        ASSERT_FALSE(textBounds.IsEmpty());
        EXPECT_FALSE(pictures.Bounds().IsEmpty());
        EXPECT_TRUE(Contains(content, textBounds)) << "text " << testing::PrintToString(textBounds);
        int touching = 0;
        for (int y = 0; y < box.height; y++)
            for (int x = 0; x < box.width; x++)
                if (text.At(x, y) && pictures.Near(x, y, Gap))
                    touching++;
        EXPECT_EQ(touching, 0) << "text pixels on or next to a picture";
        Click(*app, help->GetNextButton()->x + 10, help->GetNextButton()->y + 10);
        Step(*app);
    }
}

TEST_F(ShippedDialogsTest, CreditsBlocksKeepApartAndClearOfTheLinkAndCloseButton)
{
    ClickWidget(*app, board->GetButton(Board::CreditsButtonId));
    auto* credits = dynamic_cast<tibble::CreditsDialog*>(app->GetDialog(Board::MessageDialogId));
    ASSERT_NE(credits, nullptr);
    const zest::Rect box = credits->GetRect();
    const zest::Rect link = RelativeTo(credits->GetLink(), box);
    const zest::Rect close = RelativeTo(credits->GetYesButton(), box);
    const zest::Rect content(PanelMargin, link.y + link.height + Gap, box.width - 2 * PanelMargin,
                             close.y - Gap - (link.y + link.height + Gap));
    std::vector<zest::Rect> blocks;
    for (int i = 0; i < tibble::CreditsDialog::TextBlockCount(); i++)
    {
        Coverage text(box.width, box.height, [&](zest::Graphics* g) { credits->DrawTextBlock(g, i); });
        blocks.push_back(text.Bounds());
        SCOPED_TRACE("block " + std::to_string(i) + " " + testing::PrintToString(blocks.back()));
        ASSERT_FALSE(blocks.back().IsEmpty());
        EXPECT_TRUE(Contains(content, blocks.back()));
    }
    for (size_t a = 0; a < blocks.size(); a++)
        for (size_t b = a + 1; b < blocks.size(); b++)
            EXPECT_TRUE(Grown(blocks[a], Gap).Intersection(blocks[b]).IsEmpty())
                << "blocks " << a << " and " << b << ": " << testing::PrintToString(blocks[a]) << " "
                << testing::PrintToString(blocks[b]);
}

} // namespace
