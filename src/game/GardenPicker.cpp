#include "game/GardenPicker.h"

#include "game/Board.h"
#include "game/GardenRecords.h"
#include "game/Res.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "widgets/DialogButton.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <array>

namespace tibble
{

namespace
{

const std::array<const char*, GardenRecords::GardenCount> GardenNames{
    "The Lawn",           "Over the Hedge",    "Sunflower Steps",    "Trumpet Terraces", "Rose Walk",
    "Red Rose Clock",     "Shy Pansies",       "Second Bloom",       "The Snapping Chimney",
    "Tomato Patch",       "Three Floors Down", "Snapdragon Heights", "The Grand Garden",
};

// Dialog coordinates. Five pictures a row in three rows; the selected garden's records below them, then the
// buttons.
constexpr int GridLeft = 36;
constexpr int GridTop = 62;
constexpr int CellWidth = 110;
constexpr int CellHeight = 104;
constexpr int PictureTop = 4; // inside the cell, room for the selection frame
constexpr int DetailsTop = GridTop + 3 * CellHeight + 2;
constexpr int ButtonHeight = 36;

const zest::Color Ink(0, 0, 0);
const zest::Color Faded(90, 90, 90);
const zest::Color Highlight(255, 170, 60);

} // namespace

GardenPicker::GardenPicker()
    : GameDialog(Board::PanelDialogId, "GARDENS", "", "", ButtonsNone, zest::Rect(10, 6, 620, 468), 30)
{
    playButton = MakeButton(PlayId, "PLAY");
    watchButton = MakeButton(WatchId, "WATCH BEST RUN");
    closeButton = MakeButton(CloseId, "CLOSE");
    if (Board* board = GetBoard())
        furthest = board->FurthestGarden();
    // The garden to go on with is the one offered first.
    selected = furthest;
}

GardenPicker::~GardenPicker()
{
    if (GetParent())
        GetParent()->RemoveWidget(this);
}

std::string GardenPicker::GardenName(int garden)
{
    if (garden < 0 || garden >= static_cast<int>(GardenNames.size()))
        return {};
    return GardenNames[static_cast<size_t>(garden)];
}

zest::Point GardenPicker::CellOrigin(int garden)
{
    return zest::Point(GridLeft + (garden % Columns) * CellWidth, GridTop + (garden / Columns) * CellHeight);
}

int GardenPicker::GardenAt(int pointX, int pointY) const
{
    for (int garden = 0; garden < GardenRecords::GardenCount; garden++)
    {
        const zest::Point origin = CellOrigin(garden);
        if (pointX >= origin.x && pointX < origin.x + CellWidth && pointY >= origin.y &&
            pointY < origin.y + CellHeight)
            return garden;
    }
    return -1;
}

void GardenPicker::LayoutControls()
{
    const int left = fixedRect.x + contentInsets.left;
    const int inner = fixedRect.width - contentInsets.left - contentInsets.right;
    const int gap = 10;
    const int buttonWidth = (inner - 2 * gap) / 3;
    const int buttonY = fixedRect.y + fixedRect.height - contentInsets.bottom - ButtonHeight;
    playButton->Resize(left, buttonY, buttonWidth, ButtonHeight);
    watchButton->Resize(left + buttonWidth + gap, buttonY, buttonWidth, ButtonHeight);
    closeButton->Resize(left + 2 * (buttonWidth + gap), buttonY, inner - 2 * (buttonWidth + gap), ButtonHeight);
}

void GardenPicker::OnAttached(zest::WidgetManager* manager)
{
    GameDialog::OnAttached(manager);
    manager->AddWidget(playButton.get());
    manager->AddWidget(watchButton.get());
    manager->AddWidget(closeButton.get());
    UpdateButtons();
}

void GardenPicker::OnDetached(zest::WidgetManager* manager)
{
    GameDialog::OnDetached(manager);
    manager->RemoveWidget(playButton.get());
    manager->RemoveWidget(watchButton.get());
    manager->RemoveWidget(closeButton.get());
}

zest::DialogButton* GardenPicker::GetButton(int buttonId) const
{
    switch (buttonId)
    {
    case PlayId:
        return playButton.get();
    case WatchId:
        return watchButton.get();
    case CloseId:
        return closeButton.get();
    default:
        return nullptr;
    }
}

void GardenPicker::Select(int garden)
{
    if (garden < 0 || garden > furthest || garden == selected)
        return;
    selected = garden;
    message.clear();
    UpdateButtons();
    MarkDirty();
}

void GardenPicker::UpdateButtons()
{
    Board* board = GetBoard();
    watchButton->SetDisabled(!board || !board->HasBestRun(selected));
    watchButton->MarkDirty();
}

void GardenPicker::MouseDown(int mouseX, int mouseY, int button, int clickCount)
{
    const int garden = GardenAt(mouseX, mouseY);
    if (garden < 0)
    {
        GameDialog::MouseDown(mouseX, mouseY, button, clickCount);
        return;
    }
    if (garden > furthest)
        return;
    Select(garden);
    if (clickCount >= 2)
        ButtonClicked(PlayId);
}

void GardenPicker::ButtonClicked(int buttonId)
{
    GameDialog::ButtonClicked(buttonId);
    Board* board = GetBoard();
    switch (buttonId)
    {
    case PlayId:
        CloseAndFocusBoard();
        if (board)
            board->PlayGarden(selected);
        break;
    case WatchId:
    {
        std::string error;
        if (board && board->WatchBestRun(selected, error))
        {
            CloseAndFocusBoard();
            break;
        }
        message = "The best run cannot be played: " + error + ".";
        MarkDirty();
        break;
    }
    case CloseId:
        CloseAndFocusBoard();
        break;
    default:
        break;
    }
}

void GardenPicker::DrawCell(zest::Graphics* g, int garden)
{
    const zest::Point origin = CellOrigin(garden);
    const int pictureX = origin.x + (CellWidth - ThumbnailWidth) / 2;
    const int pictureY = origin.y + PictureTop;
    const bool locked = garden > furthest;
    Board* board = GetBoard();

    // The frame: orange round the selected garden, dark round the others.
    g->SetColor(garden == selected ? Highlight : zest::Color(60, 60, 60));
    g->FillRect(pictureX - 3, pictureY - 3, ThumbnailWidth + 6, ThumbnailHeight + 6);
    if (garden != selected)
    {
        g->SetColor(zest::Color(200, 200, 200));
        g->FillRect(pictureX - 1, pictureY - 1, ThumbnailWidth + 2, ThumbnailHeight + 2);
    }
    if (zest::MemoryImage* picture = board ? board->Thumbnail(garden) : nullptr)
        g->DrawImage(picture, pictureX, pictureY);
    zest::Font* font = FONT_DEFAULT;
    g->SetFont(font);
    if (locked)
    {
        g->SetColor(zest::Color(20, 20, 30, 170));
        g->FillRect(pictureX, pictureY, ThumbnailWidth, ThumbnailHeight);
        // A padlock: shackle over a body.
        const int lockX = pictureX + ThumbnailWidth / 2;
        const int lockY = pictureY + ThumbnailHeight / 2;
        g->SetColor(zest::Color(230, 230, 230));
        g->FillRect(lockX - 7, lockY - 12, 14, 3);
        g->FillRect(lockX - 7, lockY - 12, 3, 10);
        g->FillRect(lockX + 4, lockY - 12, 3, 10);
        g->FillRect(lockX - 10, lockY - 3, 20, 15);
        g->SetColor(zest::Color(20, 20, 30));
        g->FillRect(lockX - 1, lockY + 2, 2, 5);
    }
    // The play number in the picture's corner.
    const std::string number = std::to_string(garden + 1);
    g->SetColor(zest::Color(0, 0, 0, 140));
    g->FillRect(pictureX, pictureY, (font ? font->StringWidth(number) : 8) + 6, 16);
    g->SetColor(zest::Color(255, 255, 255));
    g->DrawString(number, pictureX + 3, pictureY + 13);

    // The name, on two lines where it needs them, and the fastest time or the lock.
    g->SetColor(locked ? Faded : Ink);
    const int nameTop = pictureY + ThumbnailHeight + 5;
    DrawWrappedText(g, zest::Rect(origin.x, nameTop, CellWidth, 30), GardenName(garden), 13,
                    zest::Graphics::JustifyCenter);
    std::string status;
    if (locked)
    {
        status = "locked";
    }
    else if (board)
    {
        const GardenRecords& records = board->Records();
        if (std::optional<GardenRecords::Record> best = records.Get(garden, false))
            status = GardenRecords::FormatUpdates(best->updates);
        else if (std::optional<GardenRecords::Record> assisted = records.Get(garden, true))
            status = GardenRecords::FormatUpdates(assisted->updates) + " (assist)";
        else
            status = "-";
    }
    g->SetColor(locked ? Faded : zest::Color(30, 90, 30));
    const int statusWidth = font ? font->StringWidth(status) : 0;
    g->DrawString(status, origin.x + (CellWidth - statusWidth) / 2, nameTop + 40);
}

void GardenPicker::DrawDetails(zest::Graphics* g)
{
    Board* board = GetBoard();
    g->SetFont(FONT_DEFAULT);
    const int left = contentInsets.left + 4;
    if (!message.empty())
    {
        g->SetColor(zest::Color(170, 20, 20));
        g->DrawString(message, left, DetailsTop + 14);
        return;
    }
    g->SetColor(Ink);
    g->DrawString(std::to_string(selected + 1) + "  " + GardenName(selected), left, DetailsTop + 14);
    if (!board)
        return;
    const GardenRecords& records = board->Records();
    auto describe = [](const char* label, const std::optional<GardenRecords::Record>& record)
    {
        if (!record)
            return std::string(label) + "no run yet";
        return std::string(label) + "fastest " + GardenRecords::FormatUpdates(record->updates) +
               "   fewest lives lost " + std::to_string(record->livesLost) + "   honey " +
               std::to_string(record->honey);
    };
    g->DrawString(describe("Full speed:  ", records.Get(selected, false)), left + 150, DetailsTop + 14);
    g->SetColor(Faded);
    g->DrawString(describe("Assist speed:  ", records.Get(selected, true)), left + 150, DetailsTop + 30);
}

void GardenPicker::Draw(zest::Graphics* g)
{
    GameDialog::Draw(g);
    for (int garden = 0; garden < GardenRecords::GardenCount; garden++)
        DrawCell(g, garden);
    DrawDetails(g);
}

} // namespace tibble
