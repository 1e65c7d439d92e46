// The editor's picture of the level: the garden as the game draws it, at 1x, 1/2 or 1/4, with a tile grid,
// the frame of one 640 x 480 game screen, trumpet links, the selected object (a hose with its reach, a hose or
// fly trap with a handle to turn it), the planned route and the test-play screen. Mouse and keys on it edit the
// document through the current tool. Owned by the editor screen; main thread.
#pragma once

#include "GardenPicture.h"
#include "TestPlay.h"

#include "base/Color.h"
#include "garden/Hose.h"
#include "widgets/Widget.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zest
{
class Font;
}

namespace tibble::edit
{

class EditorDocument;

class LevelCanvas : public zest::Widget
{
public:
    enum class Tool
    {
        Select,
        Hedge,
        Erase,
        Place,
    };

    static constexpr int Snap = 8;
    static constexpr int HoseReach = Hose::SprayReach;
    static constexpr int HoseHalfAngle = Hose::SprayHalfAngle;
    static constexpr int HandleDistance = 56;

    // changed is called after every change the canvas makes to the document or its selection.
    LevelCanvas(EditorDocument& document, std::function<void()> changed);
    ~LevelCanvas() override;

    // A new document (the old one is gone): selection and route are cleared, the view goes to the top left.
    void SetDocument(EditorDocument& newDocument);

    // For Place: the type and param of the objects placed (the exit is a trumpet with link 1).
    void SetTool(Tool newTool, int type = 0, int param = 0);
    Tool GetTool() const { return tool; }
    int GetPlaceType() const { return placeType; }
    int GetPlaceParam() const { return placeParam; }
    // Zoom as the number of level pixels per screen pixel: 1, 2 or 4.
    void SetZoom(int divisor);
    int GetZoom() const { return zoom; }
    void SetGrid(bool on);
    bool GetGrid() const { return grid; }
    // The view's top-left in level pixels, kept within the level (plus a margin).
    void ScrollTo(int x, int y);
    int GetScrollX() const { return scrollX; }
    int GetScrollY() const { return scrollY; }
    // Scrolls so that the level point is in the middle of the view.
    void CentreOn(int x, int y);
    // The game-screen frame's top-left in level pixels.
    void MoveFrame(int x, int y);
    zest::Point GetFrame() const { return frame; }

    int GetSelection() const { return selection; }
    // -1 clears it; a bad index clears it too.
    void Select(int index);

    // The bee's route from the planner, in level pixels (empty: none drawn).
    void SetRoute(std::vector<zest::Point> points);
    const std::vector<zest::Point>& GetRoute() const { return route; }

    // Test play of the level, from the start or from the trumpet with index startAt; false with error when the
    // garden could not be built.
    bool StartTestPlay(int startAt, int levelIndex, std::string& error);
    void StopTestPlay();
    bool IsTestPlaying() const { return testPlay != nullptr; }
    TestPlay* GetTestPlay() const { return testPlay.get(); }

    // Level pixels under a canvas point and back.
    zest::Point ToLevel(int px, int py) const;
    zest::Point ToCanvas(int lx, int ly) const;
    // The object under a level point, topmost (last in the list) first, or -1.
    int ObjectAt(int lx, int ly) const;
    // Where an object of the type would go for a press at the level point: its top-left (a hose: its nozzle),
    // snapped to 8 pixels unless free.
    static zest::Point PlacePoint(int type, int lx, int ly, bool free);
    // Half the size of the object's picture: its centre lies this far right of and below its position.
    static int CentreOffset(int type);
    // With the Place tool and the pointer over the canvas: the box (level pixels) the chosen type would take
    // for a click there; none otherwise.
    std::optional<zest::Rect> PlacePreview() const;
    // The level's picture is drawn again on the next draw (the game's art changed).
    void Invalidate() { pictureRevision = 0; }

    using zest::Widget::MouseDown;
    using zest::Widget::MouseUp;
    void Update() override;
    void Draw(zest::Graphics* g) override;
    void MouseDown(int mouseX, int mouseY, int button, int clickCount) override;
    void MouseDrag(int mouseX, int mouseY) override;
    void MouseMove(int mouseX, int mouseY) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseUp(int mouseX, int mouseY, int button, int clickCount) override;
    void MouseWheel(int delta) override;
    // Arrow keys scroll; answers whether the key was one of them.
    bool ScrollKey(int key);

    // Whether Shift is held (free placement); tests set it without a keyboard.
    bool shiftHeld = false;
    // The font of the canvas's labels (not owned).
    zest::Font* font = nullptr;

private:
    enum class Drag
    {
        None,
        Scroll,
        Paint,
        Object,
        Turn,
        Frame,
    };

    void PaintAt(int px, int py);
    void DrawOverlays(zest::Graphics* g);
    void DrawObjectMarks(zest::Graphics* g);
    void DrawSelection(zest::Graphics* g);
    void DrawLine(zest::Graphics* g, int lx1, int ly1, int lx2, int ly2);
    bool OnHandle(int px, int py) const;
    zest::Point HandlePoint() const;
    void ClampScroll();
    bool FreeHeld() const;

    EditorDocument* document;
    std::function<void()> changed;
    GardenPicture picture;
    uint64_t pictureRevision = 0;
    std::string pictureError;
    Tool tool = Tool::Select;
    int placeType = 0;
    int placeParam = 0;
    zest::Point lastPaint;
    int zoom = 1;
    bool grid = true;
    int scrollX = 0;
    int scrollY = 0;
    zest::Point frame;
    int selection = -1;
    std::vector<zest::Point> route;
    std::unique_ptr<TestPlay> testPlay;

    Drag drag = Drag::None;
    zest::Point dragStart;     // canvas pixels of the press
    zest::Point dragOrigin;    // scroll, object or frame position at the press
    int16_t paintValue = 0;
    zest::Point mouse;
    bool pointerIn = false;
};

} // namespace tibble::edit
