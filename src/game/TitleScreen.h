// The first screen: the title picture with a loading bar while the loading thread loads the game's
// resources, then the "CLICK HERE TO CONTINUE" link that hands over to the board. Owned by the
// GameApp until the click queues it for deletion; main thread only.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <memory>

namespace zest
{
class HyperlinkWidget;
}

namespace tibble
{

class GameApp;

class TitleScreen : public zest::Widget, public zest::ButtonListener
{
public:
    static constexpr int ContinueLinkId = 1;
    // The bar's top edge.
    static constexpr int LoaderBarY = 420;

    // app is not owned.
    explicit TitleScreen(GameApp* app);
    // Deletes the link unless the click handed it to the deletion queue.
    ~TitleScreen() override;

    // Makes the link (hidden and disabled until ShowContinueLink). Call before adding the screen.
    void CreateContinueLink();
    void ShowContinueLink();

    // Puts the link in the widget manager beside the screen, centred near the bottom.
    void OnAttached(zest::WidgetManager* manager) override;
    void OnDetached(zest::WidgetManager* manager) override;
    // Redraws when the bar has grown: the loading thread only counts, it never touches widgets.
    void Update() override;
    void Draw(zest::Graphics* g) override;
    using zest::ButtonListener::ButtonPressed;
    void ButtonClicked(int id) override;

    zest::HyperlinkWidget* GetContinueLink() const { return continueLink.get(); }
    // Pixels of the loading bar shown for the application's current progress.
    int LoaderBarFilled() const;

private:
    GameApp* app;
    std::unique_ptr<zest::HyperlinkWidget> continueLink;
    int drawnFilled = -1;
};

} // namespace tibble
