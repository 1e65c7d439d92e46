#include "LevelCanvas.h"

#include "EditorDocument.h"
#include "level/ObjectKind.h"
#include "PreviewMap.h"

#include "garden/Level.h"
#include "garden/MapObject.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/VirtualKeys.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>

namespace tibble::edit
{

namespace
{

constexpr double Pi = 3.14159265358979323846;
const zest::Color Background(40, 40, 48);
const zest::Color GridColor(255, 255, 255, 48);
const zest::Color FrameColor(255, 200, 40);
const zest::Color SelectionColor(255, 255, 0);
const zest::Color ReachColor(80, 160, 255);
const zest::Color SpitColor(255, 80, 80);
const zest::Color LinkColor(120, 255, 200);
const zest::Color RouteColor(255, 120, 220);
const zest::Color ProblemColor(255, 60, 60);
const zest::Color HiveColor(255, 220, 90);
const zest::Color PreviewColor(255, 255, 255);
const zest::Color PreviewFill(255, 255, 255, 64);

int SnapDown(int value, int step)
{
    return static_cast<int>(std::floor(static_cast<double>(value) / step)) * step;
}

int SnapNearest(int value, int step)
{
    return static_cast<int>(std::lround(static_cast<double>(value) / step)) * step;
}

bool IsTurnable(int type)
{
    return type == TypeHose || type == TypeFlyTrap;
}

// The direction the game uses for a hose's angle: the map's diagonals are turned 10 degrees towards the vertical.
int GameAngle(const levelc::SourceObject& object)
{
    if (object.type == TypeHose && object.param == 45)
        return 35;
    if (object.type == TypeHose && object.param == 315)
        return 325;
    return object.param;
}

} // namespace

LevelCanvas::LevelCanvas(EditorDocument& doc, std::function<void()> onChange)
    : document(&doc), changed(std::move(onChange))
{
}

LevelCanvas::~LevelCanvas() = default;

void LevelCanvas::SetDocument(EditorDocument& newDocument)
{
    document = &newDocument;
    StopTestPlay();
    selection = -1;
    route.clear();
    pictureRevision = 0;
    scrollX = 0;
    scrollY = 0;
    frame = zest::Point();
    drag = Drag::None;
    MarkDirty();
}

void LevelCanvas::SetTool(Tool newTool, int type, int param)
{
    tool = newTool;
    placeType = type;
    placeParam = param;
    MarkDirty();
}

void LevelCanvas::SetZoom(int divisor)
{
    if (divisor != 1 && divisor != 2 && divisor != 4)
        return;
    // Keep the middle of the view where it is.
    const zest::Point middle = ToLevel(width / 2, height / 2);
    zoom = divisor;
    CentreOn(middle.x, middle.y);
    MarkDirty();
}

void LevelCanvas::SetGrid(bool on)
{
    grid = on;
    MarkDirty();
}

void LevelCanvas::ClampScroll()
{
    const int margin = TileSize;
    const int maxX = std::max(-margin, document->Width() * TileSize - width * zoom + margin);
    const int maxY = std::max(-margin, document->Height() * TileSize - height * zoom + margin);
    scrollX = std::clamp(scrollX, -margin, maxX);
    scrollY = std::clamp(scrollY, -margin, maxY);
}

void LevelCanvas::ScrollTo(int x, int y)
{
    scrollX = x;
    scrollY = y;
    ClampScroll();
    MarkDirty();
}

void LevelCanvas::CentreOn(int x, int y)
{
    ScrollTo(x - width * zoom / 2, y - height * zoom / 2);
}

void LevelCanvas::MoveFrame(int x, int y)
{
    const int maxX = std::max(0, document->Width() * TileSize - Level::ScreenWidth);
    const int maxY = std::max(0, document->Height() * TileSize - Level::ScreenHeight);
    frame = zest::Point(std::clamp(x, 0, maxX), std::clamp(y, 0, maxY));
    MarkDirty();
}

void LevelCanvas::Select(int index)
{
    selection = index >= 0 && index < static_cast<int>(document->Objects().size()) ? index : -1;
    MarkDirty();
}

void LevelCanvas::SetRoute(std::vector<zest::Point> points)
{
    route = std::move(points);
    MarkDirty();
}

bool LevelCanvas::StartTestPlay(int startAt, int levelIndex, std::string& error)
{
    const PreviewMap preview = PreviewMap::Make(document->State(), startAt);
    testPlay = TestPlay::Create(preview.bytes, levelIndex, error);
    if (!testPlay)
        return false;
    // The game's camera starts over the bee; the editor's view is kept for the return.
    drag = Drag::None;
    MarkDirty();
    return true;
}

void LevelCanvas::StopTestPlay()
{
    testPlay.reset();
    MarkDirty();
}

zest::Point LevelCanvas::ToLevel(int px, int py) const
{
    return zest::Point(scrollX + px * zoom, scrollY + py * zoom);
}

zest::Point LevelCanvas::ToCanvas(int lx, int ly) const
{
    return zest::Point(SnapDown(lx - scrollX, zoom) / zoom, SnapDown(ly - scrollY, zoom) / zoom);
}

int LevelCanvas::CentreOffset(int type)
{
    const levelc::ObjectKind* kind = levelc::KindOfType(type);
    return kind ? kind->centreOffset : 32;
}

int LevelCanvas::ObjectAt(int lx, int ly) const
{
    const auto& objects = document->Objects();
    for (int i = static_cast<int>(objects.size()) - 1; i >= 0; i--)
    {
        const levelc::SourceObject& object = objects[static_cast<size_t>(i)].object;
        const int half = CentreOffset(object.type);
        // A hose's record is its nozzle: the box around it.
        const int left = half ? object.x : object.x - 24;
        const int top = half ? object.y : object.y - 24;
        const int size = half ? 2 * half : 48;
        if (lx >= left && lx < left + size && ly >= top && ly < top + size)
            return i;
    }
    return -1;
}

zest::Point LevelCanvas::PlacePoint(int type, int lx, int ly, bool free)
{
    const int half = CentreOffset(type);
    int x = lx - half;
    int y = ly - half;
    if (!free)
    {
        x = SnapNearest(x, Snap);
        y = SnapNearest(y, Snap);
    }
    return zest::Point(x, y);
}

bool LevelCanvas::FreeHeld() const
{
    zest::WidgetManager* manager = GetWidgetManager();
    return shiftHeld || (manager && manager->IsKeyDown(zest::VK_SHIFT));
}

zest::Point LevelCanvas::HandlePoint() const
{
    const levelc::SourceObject& object = document->Objects()[static_cast<size_t>(selection)].object;
    const int half = CentreOffset(object.type);
    const zest::Point centre = ToCanvas(object.x + half, object.y + half);
    const double a = GameAngle(object) * Pi / 180;
    return zest::Point(centre.x + static_cast<int>(std::lround(HandleDistance * std::sin(a))),
                       centre.y - static_cast<int>(std::lround(HandleDistance * std::cos(a))));
}

bool LevelCanvas::OnHandle(int px, int py) const
{
    if (selection < 0 || !IsTurnable(document->Objects()[static_cast<size_t>(selection)].object.type))
        return false;
    const zest::Point handle = HandlePoint();
    return std::abs(px - handle.x) <= 6 && std::abs(py - handle.y) <= 6;
}

void LevelCanvas::PaintAt(int px, int py)
{
    // Every tile on the way from the last point, so a fast stroke leaves no gaps.
    const zest::Point to = ToLevel(px, py);
    const zest::Point from = drag == Drag::Paint && lastPaint != zest::Point(-1, -1) ? lastPaint : to;
    const int steps = std::max(1, std::max(std::abs(to.x - from.x), std::abs(to.y - from.y)) / 16);
    bool any = false;
    for (int i = 0; i <= steps; i++)
    {
        const int lx = from.x + (to.x - from.x) * i / steps;
        const int ly = from.y + (to.y - from.y) * i / steps;
        any = document->SetTile(SnapDown(lx, TileSize) / TileSize, SnapDown(ly, TileSize) / TileSize, paintValue) ||
              any;
    }
    lastPaint = to;
    if (any)
        changed();
}

void LevelCanvas::Update()
{
    if (testPlay)
    {
        testPlay->Update();
        MarkDirty();
    }
}

void LevelCanvas::MouseDown(int mouseX, int mouseY, int button, int clickCount)
{
    (void)clickCount;
    mouse = zest::Point(mouseX, mouseY);
    if (testPlay)
    {
        if (button == 0)
            testPlay->Down(mouseX, mouseY);
        return;
    }
    if (drag != Drag::None)
        return;
    dragStart = mouse;
    if (button == 1)
    {
        drag = Drag::Scroll;
        dragOrigin = zest::Point(scrollX, scrollY);
        return;
    }
    if (button != 0)
        return;
    const zest::Point at = ToLevel(mouseX, mouseY);
    switch (tool)
    {
    case Tool::Hedge:
    case Tool::Erase:
        paintValue = tool == Tool::Hedge ? levelc::LevelSource::SolidTile : levelc::LevelSource::OpenTile;
        document->BeginStep(tool == Tool::Hedge ? "paint hedge" : "erase hedge");
        lastPaint = zest::Point(-1, -1);
        drag = Drag::Paint;
        PaintAt(mouseX, mouseY);
        break;
    case Tool::Place:
    {
        const zest::Point place = PlacePoint(placeType, at.x, at.y, FreeHeld());
        levelc::SourceObject object;
        object.type = static_cast<int16_t>(placeType);
        object.x = static_cast<int16_t>(std::clamp(place.x, -32768, 32767));
        object.y = static_cast<int16_t>(std::clamp(place.y, -32768, 32767));
        object.param = static_cast<int16_t>(placeParam);
        Select(document->AddObject(object));
        changed();
        break;
    }
    case Tool::Select:
        if (OnHandle(mouseX, mouseY))
        {
            drag = Drag::Turn;
            document->BeginStep("turn object");
            break;
        }
        Select(ObjectAt(at.x, at.y));
        if (selection >= 0)
        {
            const levelc::SourceObject& object = document->Objects()[static_cast<size_t>(selection)].object;
            drag = Drag::Object;
            dragOrigin = zest::Point(object.x, object.y);
            dragStart = at;
            document->BeginStep("move object");
        }
        else if (at.x >= frame.x && at.y >= frame.y && at.x < frame.x + Level::ScreenWidth &&
                 at.y < frame.y + Level::ScreenHeight)
        {
            drag = Drag::Frame;
            dragOrigin = frame;
        }
        changed();
        break;
    }
    MarkDirty();
}

void LevelCanvas::MouseDrag(int mouseX, int mouseY)
{
    mouse = zest::Point(mouseX, mouseY);
    if (testPlay)
    {
        testPlay->Move(mouseX, mouseY);
        return;
    }
    switch (drag)
    {
    case Drag::None:
        break;
    case Drag::Scroll:
        ScrollTo(dragOrigin.x - (mouseX - dragStart.x) * zoom, dragOrigin.y - (mouseY - dragStart.y) * zoom);
        break;
    case Drag::Paint:
        PaintAt(mouseX, mouseY);
        break;
    case Drag::Object:
    {
        const zest::Point at = ToLevel(mouseX, mouseY);
        int x = dragOrigin.x + at.x - dragStart.x;
        int y = dragOrigin.y + at.y - dragStart.y;
        if (!FreeHeld())
        {
            x = SnapNearest(x, Snap);
            y = SnapNearest(y, Snap);
        }
        if (document->MoveObject(selection, x, y))
            changed();
        break;
    }
    case Drag::Turn:
    {
        levelc::SourceObject object = document->Objects()[static_cast<size_t>(selection)].object;
        const int half = CentreOffset(object.type);
        const zest::Point centre = ToCanvas(object.x + half, object.y + half);
        if (mouseX == centre.x && mouseY == centre.y)
            break;
        int degrees = static_cast<int>(std::lround(std::atan2(mouseX - centre.x, centre.y - mouseY) * 180 / Pi));
        if (!FreeHeld())
            degrees = SnapNearest(degrees, 5);
        object.param = static_cast<int16_t>((degrees % 360 + 360) % 360);
        if (document->ChangeObject(selection, object))
            changed();
        break;
    }
    case Drag::Frame:
        MoveFrame(SnapNearest(dragOrigin.x + (mouseX - dragStart.x) * zoom, Snap),
                  SnapNearest(dragOrigin.y + (mouseY - dragStart.y) * zoom, Snap));
        break;
    }
    MarkDirty();
}

void LevelCanvas::MouseMove(int mouseX, int mouseY)
{
    mouse = zest::Point(mouseX, mouseY);
    pointerIn = true;
    if (testPlay)
        testPlay->Move(mouseX, mouseY);
    else if (tool == Tool::Place)
        MarkDirty(); // the preview follows the pointer
}

void LevelCanvas::MouseEnter()
{
    pointerIn = true;
    if (tool == Tool::Place)
        MarkDirty();
}

void LevelCanvas::MouseLeave()
{
    pointerIn = false;
    if (tool == Tool::Place)
        MarkDirty();
}

std::optional<zest::Rect> LevelCanvas::PlacePreview() const
{
    if (testPlay || tool != Tool::Place || !pointerIn || drag != Drag::None)
        return std::nullopt;
    const zest::Point at = ToLevel(mouse.x, mouse.y);
    const zest::Point place = PlacePoint(placeType, at.x, at.y, FreeHeld());
    const int half = CentreOffset(placeType);
    // A hose's record is its nozzle: the box around it, as ObjectAt takes it.
    const int size = half ? 2 * half : 48;
    return zest::Rect(half ? place.x : place.x - 24, half ? place.y : place.y - 24, size, size);
}

void LevelCanvas::MouseUp(int mouseX, int mouseY, int button, int clickCount)
{
    (void)clickCount;
    mouse = zest::Point(mouseX, mouseY);
    if (testPlay)
    {
        if (button == 0)
            testPlay->Up(mouseX, mouseY);
        return;
    }
    if ((button == 1) != (drag == Drag::Scroll))
        return;
    if (drag == Drag::Paint || drag == Drag::Object || drag == Drag::Turn)
    {
        document->EndStep();
        changed();
    }
    drag = Drag::None;
    MarkDirty();
}

void LevelCanvas::MouseWheel(int delta)
{
    if (testPlay)
        return;
    if (FreeHeld())
        ScrollTo(scrollX - delta * TileSize * zoom, scrollY);
    else
        ScrollTo(scrollX, scrollY - delta * TileSize * zoom);
}

bool LevelCanvas::ScrollKey(int key)
{
    const int step = TileSize * zoom;
    switch (key)
    {
    case zest::VK_LEFT:
        ScrollTo(scrollX - step, scrollY);
        return true;
    case zest::VK_RIGHT:
        ScrollTo(scrollX + step, scrollY);
        return true;
    case zest::VK_UP:
        ScrollTo(scrollX, scrollY - step);
        return true;
    case zest::VK_DOWN:
        ScrollTo(scrollX, scrollY + step);
        return true;
    default:
        return false;
    }
}

void LevelCanvas::DrawLine(zest::Graphics* g, int lx1, int ly1, int lx2, int ly2)
{
    const zest::Point a = ToCanvas(lx1, ly1);
    const zest::Point b = ToCanvas(lx2, ly2);
    g->DrawLine(a.x, a.y, b.x, b.y);
}

void LevelCanvas::Draw(zest::Graphics* g)
{
    g->SetColor(Background);
    g->FillRect(0, 0, width, height);
    g->SetFont(font);
    if (testPlay)
    {
        testPlay->Draw();
        g->DrawImage(testPlay->Screen(), 0, 0);
        g->SetColor(FrameColor);
        g->DrawRect(0, 0, Level::ScreenWidth, Level::ScreenHeight);
        g->DrawString("TEST PLAY: Escape returns to the editor", 8, Level::ScreenHeight + 20);
        return;
    }

    if (pictureRevision != document->Revision())
    {
        pictureError.clear();
        if (!picture.Render(document->State(), document->GetLevelIndex(), &pictureError) && pictureError.empty())
            pictureError = "the garden could not be drawn";
        pictureRevision = document->Revision();
    }
    zest::MemoryImage* image = picture.Picture();
    const int widthPx = document->Width() * TileSize;
    const int heightPx = document->Height() * TileSize;
    if (image && pictureError.empty())
    {
        const int d = picture.Divisor();
        const int x0 = std::max(0, scrollX);
        const int y0 = std::max(0, scrollY);
        const int x1 = std::min(widthPx, scrollX + width * zoom);
        const int y1 = std::min(heightPx, scrollY + height * zoom);
        if (x1 > x0 && y1 > y0)
        {
            const zest::Rect source(x0 / d, y0 / d, (x1 - x0) / d, (y1 - y0) / d);
            const zest::Point at = ToCanvas(x0, y0);
            const zest::Rect destination(at.x, at.y, (x1 - x0) / zoom, (y1 - y0) / zoom);
            if (d == zoom)
                g->DrawImage(image, at.x, at.y, source);
            else
                g->DrawImage(image, destination, source);
        }
    }
    else if (!pictureError.empty())
    {
        g->SetColor(ProblemColor);
        g->DrawString(pictureError, 8, 20);
    }

    if (grid)
    {
        g->SetColor(GridColor);
        for (int column = 0; column <= document->Width(); column++)
            DrawLine(g, column * TileSize, 0, column * TileSize, heightPx);
        for (int row = 0; row <= document->Height(); row++)
            DrawLine(g, 0, row * TileSize, widthPx, row * TileSize);
    }
    DrawOverlays(g);
}

void LevelCanvas::DrawOverlays(zest::Graphics* g)
{
    DrawObjectMarks(g);

    // The game screen's frame.
    g->SetColor(FrameColor);
    const zest::Point corner = ToCanvas(frame.x, frame.y);
    g->DrawRect(corner.x, corner.y, Level::ScreenWidth / zoom, Level::ScreenHeight / zoom);
    g->DrawString("screen", corner.x + 4, corner.y + 14);

    if (route.size() > 1)
    {
        g->SetColor(RouteColor);
        for (size_t i = 1; i < route.size(); i++)
            DrawLine(g, route[i - 1].x, route[i - 1].y, route[i].x, route[i].y);
    }
    if (selection >= 0)
        DrawSelection(g);

    // Where a click would place the chosen type.
    if (const std::optional<zest::Rect> preview = PlacePreview())
    {
        const zest::Point at = ToCanvas(preview->x, preview->y);
        const int size = std::max(4, preview->width / zoom);
        g->SetColor(PreviewFill);
        g->FillRect(at.x, at.y, size, size);
        g->SetColor(PreviewColor);
        g->DrawRect(at.x, at.y, size - 1, size - 1);
        const levelc::ObjectKind* kind = levelc::KindOfType(placeType);
        const std::string name = placeType == TypeTrumpet && placeParam == levelc::ExitLink
                                     ? std::string(levelc::ExitName)
                                     : kind ? std::string(kind->name) : std::string("object");
        g->DrawString(name, at.x + 2, at.y + size + 12);
    }
}

void LevelCanvas::DrawObjectMarks(zest::Graphics* g)
{
    const auto& objects = document->Objects();
    const int widthPx = document->Width() * TileSize;
    const int heightPx = document->Height() * TileSize;
    for (size_t i = 0; i < objects.size(); i++)
    {
        const levelc::SourceObject& object = objects[i].object;
        const int half = CentreOffset(object.type);
        // Trumpets lead to the first other trumpet of the same type and link.
        if ((object.type == TypeTrumpet || object.type == TypeLinkTrumpet) && object.param != levelc::ExitLink)
        {
            for (size_t j = 0; j < objects.size(); j++)
            {
                const levelc::SourceObject& other = objects[j].object;
                if (j != i && other.type == object.type && other.param == object.param)
                {
                    g->SetColor(LinkColor);
                    DrawLine(g, object.x + half, object.y + half, other.x + half, other.y + half);
                    break;
                }
            }
        }
        // Hives stay hidden in the game until revealed: an outline shows where they are.
        const zest::Point at = ToCanvas(object.x, object.y);
        if (object.type == TypeHive)
        {
            g->SetColor(HiveColor);
            g->DrawRect(at.x, at.y, 2 * half / zoom, 2 * half / zoom);
        }
        if (object.x < 0 || object.y < 0 || object.x >= widthPx || object.y >= heightPx)
        {
            g->SetColor(ProblemColor);
            g->DrawRect(at.x, at.y, std::max(4, 2 * half / zoom), std::max(4, 2 * half / zoom));
        }
    }
}

void LevelCanvas::DrawSelection(zest::Graphics* g)
{
    const levelc::SourceObject& object = document->Objects()[static_cast<size_t>(selection)].object;
    const int half = CentreOffset(object.type);
    const int cx = object.x + half;
    const int cy = object.y + half;
    const double a = GameAngle(object) * Pi / 180;
    if (object.type == TypeHose)
    {
        // The spray's reach: 320 pixels, 22 degrees either side.
        g->SetColor(ReachColor);
        const double spread = HoseHalfAngle * Pi / 180;
        constexpr int Segments = 12;
        int lastX = 0;
        int lastY = 0;
        for (int i = 0; i <= Segments; i++)
        {
            const double t = a - spread + 2 * spread * i / Segments;
            const int x = cx + static_cast<int>(std::lround(HoseReach * std::sin(t)));
            const int y = cy - static_cast<int>(std::lround(HoseReach * std::cos(t)));
            if (i == 0 || i == Segments)
                DrawLine(g, cx, cy, x, y);
            if (i > 0)
                DrawLine(g, lastX, lastY, x, y);
            lastX = x;
            lastY = y;
        }
    }
    else if (object.type == TypeFlyTrap)
    {
        g->SetColor(SpitColor);
        DrawLine(g, cx, cy, cx + static_cast<int>(std::lround(128 * std::sin(a))),
                 cy - static_cast<int>(std::lround(128 * std::cos(a))));
    }

    g->SetColor(SelectionColor);
    const zest::Point at = ToCanvas(half ? object.x : object.x - 24, half ? object.y : object.y - 24);
    const int size = (half ? 2 * half : 48) / zoom;
    g->DrawRect(at.x - 1, at.y - 1, size + 1, size + 1);
    if (IsTurnable(object.type))
    {
        const zest::Point centre = ToCanvas(cx, cy);
        const zest::Point handle = HandlePoint();
        g->DrawLine(centre.x, centre.y, handle.x, handle.y);
        g->FillRect(handle.x - 4, handle.y - 4, 9, 9);
    }
}

} // namespace tibble::edit
