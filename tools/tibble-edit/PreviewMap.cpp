#include "PreviewMap.h"

#include "level/MapFile.h"
#include "level/ObjectKind.h"

#include "garden/LevelMap.h"
#include "garden/MapObject.h"

namespace tibble::edit
{

PreviewMap PreviewMap::Make(const LevelState& state, int startAt)
{
    PreviewMap preview;
    levelc::LevelSource source;
    source.width = state.width;
    source.height = state.height;
    source.tiles = state.tiles;
    const int widthPx = state.width * TileSize;
    const int heightPx = state.height * TileSize;
    bool haveStart = false;
    bool haveNectar = false;
    for (size_t i = 0; i < state.objects.size(); i++)
    {
        const levelc::SourceObject& object = state.objects[i].object;
        if (object.x < 0 || object.y < 0 || object.x >= widthPx || object.y >= heightPx)
            continue;
        const levelc::ObjectKind* kind = levelc::KindOfType(object.type);
        if (kind && kind->indexGroup && (object.param < 0 || object.param >= GroupCount))
            continue;
        haveStart = haveStart || object.type == TypeStartTrumpet;
        haveNectar = haveNectar || (kind && kind->nectar);
        source.objects.push_back(object);
        preview.objectOfRecord.push_back(static_cast<int>(i));
    }
    auto standIn = [&](int16_t type, int x, int y)
    {
        levelc::SourceObject object;
        object.type = type;
        object.x = static_cast<int16_t>(x);
        object.y = static_cast<int16_t>(y);
        preview.hiddenRecords.push_back(static_cast<int>(source.objects.size()));
        preview.objectOfRecord.push_back(-1);
        source.objects.push_back(object);
    };
    if (!haveNectar)
        standIn(TypePurpleRose, 0, 0);
    // The last start is the one the bee uses.
    if (startAt >= 0 && startAt < static_cast<int>(state.objects.size()))
        standIn(TypeStartTrumpet, state.objects[static_cast<size_t>(startAt)].object.x,
                state.objects[static_cast<size_t>(startAt)].object.y);
    else if (!haveStart)
        standIn(TypeStartTrumpet, 0, 0);
    preview.bytes = levelc::MapFile::Encode(source);
    return preview;
}

} // namespace tibble::edit
