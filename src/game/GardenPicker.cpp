#include "game/GardenPicker.h"

#include "game/Board.h"
#include "game/GardenRecords.h"
#include "garden/Res.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "widgets/DialogButton.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

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
constexpr int CellHeight = 100;
constexpr int PictureTop = 4; // inside the cell, room for the selection frame
constexpr int DetailsTop = GridTop + 3 * CellHeight;
constexpr int ButtonHeight = 36;

const zest::Color Ink(0, 0, 0);
const zest::Color Faded(100, 80, 60);
const zest::Color SelectedEdge(110, 50, 10);
const zest::Color SelectedCard(255, 238, 196);

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
    const bool hasRun = board && board->HasBestRun(selected);
    watchButton->SetDisabled(!hasRun);
    watchButton->label = hasRun ? "WATCH BEST RUN" : "NO BEST RUN YET";
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
    zest::Font* font = FONT_DEFAULT;
    g->SetFont(font);

    if (garden == selected)
    {
        // A light card under the whole garden, edged in dark brown, stands out on the orange box.
        g->SetColor(SelectedEdge);
        g->FillRect(origin.x, origin.y, CellWidth - 2, CellHeight - 4);
        g->SetColor(SelectedCard);
        g->FillRect(origin.x + 2, origin.y + 2, CellWidth - 6, CellHeight - 8);
    }
    g->SetColor(zest::Color(60, 40, 20));
    g->FillRect(pictureX - 2, pictureY - 2, ThumbnailWidth + 4, ThumbnailHeight + 4);
    if (zest::MemoryImage* picture = board ? board->Thumbnail(garden) : nullptr)
        g->DrawImage(picture, pictureX, pictureY);
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

    // Badges on the picture: the play number top left, the fastest time bottom right ("A" for a time made
    // with assist speed, when there is no full-speed one).
    auto badge = [&](const std::string& text, int badgeX, int badgeY, const zest::Color& back)
    {
        const int width = (font ? font->StringWidth(text) : 8 * static_cast<int>(text.size())) + 6;
        const int left = badgeX < 0 ? pictureX + ThumbnailWidth - width : badgeX;
        g->SetColor(back);
        g->FillRect(left, badgeY, width, 16);
        g->SetColor(zest::Color(255, 255, 255));
        g->DrawString(text, left + 3, badgeY + 13);
    };
    badge(std::to_string(garden + 1), pictureX, pictureY, zest::Color(0, 0, 0, 150));
    if (!locked && board)
    {
        const GardenRecords& records = board->Records();
        if (std::optional<GardenRecords::Record> best = records.Get(garden, false))
            badge(GardenRecords::FormatUpdates(best->updates), -1, pictureY + ThumbnailHeight - 16,
                  zest::Color(20, 110, 30, 220));
        else if (std::optional<GardenRecords::Record> assisted = records.Get(garden, true))
            badge("A " + GardenRecords::FormatUpdates(assisted->updates), -1, pictureY + ThumbnailHeight - 16,
                  zest::Color(110, 50, 150, 220));
    }

    // The name under the picture, broken at the space nearest its middle when one line cannot hold it.
    const std::string name = GardenName(garden);
    std::vector<std::string> lines{name};
    if (font && font->StringWidth(name) > CellWidth - 4)
    {
        size_t best = std::string::npos;
        for (size_t at = name.find(' '); at != std::string::npos; at = name.find(' ', at + 1))
            if (best == std::string::npos || std::abs(static_cast<int>(at) - static_cast<int>(name.size() / 2)) <
                                                 std::abs(static_cast<int>(best) - static_cast<int>(name.size() / 2)))
                best = at;
        if (best != std::string::npos)
            lines = {name.substr(0, best), name.substr(best + 1)};
    }
    g->SetColor(locked ? Faded : Ink);
    int baseline = pictureY + ThumbnailHeight + 16;
    for (const std::string& line : lines)
    {
        const int width = font ? font->StringWidth(line) : 0;
        g->DrawString(line, origin.x + (CellWidth - 2 - width) / 2, baseline);
        baseline += 14;
    }
}

void GardenPicker::DrawDetails(zest::Graphics* g)
{
    Board* board = GetBoard();
    g->SetFont(FONT_DEFAULT);
    const int left = GridLeft + 4;
    if (!message.empty())
    {
        g->SetColor(zest::Color(170, 20, 20));
        g->DrawString(message, left, DetailsTop + 16);
        return;
    }
    g->SetColor(Ink);
    g->DrawString(std::to_string(selected + 1) + "  " + GardenName(selected), left, DetailsTop + 16);
    if (!board)
        return;
    const GardenRecords& records = board->Records();
    auto describe = [](const char* label, const std::optional<GardenRecords::Record>& record)
    {
        if (!record)
            return std::string(label) + "no run yet";
        return std::string(label) + GardenRecords::FormatUpdates(record->updates) + "    lives lost " +
               std::to_string(record->livesLost) + "    honey " + std::to_string(record->honey);
    };
    const int column = left + 170;
    g->DrawString(describe("Full speed:  ", records.Get(selected, false)), column, DetailsTop + 16);
    g->SetColor(zest::Color(90, 40, 120));
    g->DrawString(describe("Assist speed (A):  ", records.Get(selected, true)), column, DetailsTop + 32);
}

void GardenPicker::Draw(zest::Graphics* g)
{
    GameDialog::Draw(g);
    for (int garden = 0; garden < GardenRecords::GardenCount; garden++)
        DrawCell(g, garden);
    DrawDetails(g);
}

} // namespace tibble
