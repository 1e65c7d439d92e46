// "CREDITS": who made the game, with a link to the maker's web site that opens in the browser and
// leaves the dialog open. Opened from the main menu; owned by the application once added; owns its
// link. Main thread only.
#pragma once

#include "game/GameDialog.h"

#include <memory>

namespace zest
{
class HyperlinkWidget;
}

namespace tibble
{

class CreditsDialog : public GameDialog
{
public:
    static constexpr int LinkId = 1;
    static constexpr const char* WebSite = "www.mossbankgames.example";
    static constexpr const char* FrameworkWebSite = "www.zestframework.example";

    CreditsDialog();
    ~CreditsDialog() override;

    void OnAttached(zest::WidgetManager* manager) override;
    void OnDetached(zest::WidgetManager* manager) override;
    void Draw(zest::Graphics* g) override;
    void ButtonClicked(int buttonId) override;

    zest::HyperlinkWidget* GetLink() const { return link.get(); }

    // The credits text in blocks (each role line, the acknowledgement, the art licence,
    // the maker's notice), each drawn on its own in dialog coordinates; Draw shows them all.
    static int TextBlockCount();
    void DrawTextBlock(zest::Graphics* g, int index);

private:
    std::unique_ptr<zest::HyperlinkWidget> link;
};

} // namespace tibble
