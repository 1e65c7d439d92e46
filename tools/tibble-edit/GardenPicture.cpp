#include "GardenPicture.h"

#include "PictureHost.h"
#include "PreviewMap.h"
#include "sim/SimHost.h"

#include "garden/Agent.h"
#include "garden/Level.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <algorithm>

namespace tibble::edit
{

GardenPicture::GardenPicture() = default;

GardenPicture::~GardenPicture() = default;

bool GardenPicture::Render(const LevelState& state, int levelIndex, std::string* error)
{
    const PreviewMap preview = PreviewMap::Make(state);
    // Seeded by the level, not by the edit: painting one tile leaves the others' look alone.
    PictureHost host(state, static_cast<uint32_t>(levelIndex) + 1);
    std::unique_ptr<Level> level = Level::FromBytes(levelIndex, host, preview.bytes, error);
    if (!level)
        return false;

    const int widthPx = level->GetWidthPx();
    const int heightPx = level->GetHeightPx();
    divisor = 1;
    while (static_cast<long>(widthPx / divisor) * (heightPx / divisor) > MaxPixels)
        divisor *= 2;
    if (!picture || picture->GetWidth() != widthPx / divisor || picture->GetHeight() != heightPx / divisor)
    {
        picture = std::make_unique<zest::MemoryImage>();
        picture->Create(widthPx / divisor, heightPx / divisor);
    }
    if (!view)
    {
        view = std::make_unique<zest::MemoryImage>();
        view->Create(Level::ScreenWidth, Level::ScreenHeight);
    }

    zest::Graphics out(picture.get());
    for (int y = 0; y < heightPx; y += Level::ScreenHeight)
    {
        for (int x = 0; x < widthPx; x += Level::ScreenWidth)
        {
            // The camera stops at the level's edges; the last view of a row or column overlaps the one before.
            level->MoveCamera(x, y);
            for (int record : preview.hiddenRecords)
            {
                if (Agent* agent = level->FindAgent(level->GetObjects()[static_cast<size_t>(record)]))
                    agent->visible = false;
            }
            zest::Graphics g(view.get());
            level->DrawGarden(g);
            const int cx = level->GetCameraX();
            const int cy = level->GetCameraY();
            if (divisor == 1)
                out.DrawImage(view.get(), cx, cy);
            else
                out.DrawImage(view.get(),
                              zest::Rect(cx / divisor, cy / divisor, Level::ScreenWidth / divisor,
                                         Level::ScreenHeight / divisor),
                              zest::Rect(0, 0, Level::ScreenWidth, Level::ScreenHeight));
        }
    }
    return true;
}

} // namespace tibble::edit
