#include "LevelState.h"

namespace tibble::edit
{

bool EditObject::SameRecord(const EditObject& other) const
{
    const levelc::SourceObject& a = object;
    const levelc::SourceObject& b = other.object;
    return a.type == b.type && a.x == b.x && a.y == b.y && a.param == b.param && a.order == b.order;
}

levelc::LevelSource LevelState::ToSource() const
{
    levelc::LevelSource source;
    source.width = width;
    source.height = height;
    source.tiles = tiles;
    source.objects.reserve(objects.size());
    for (size_t i = 0; i < objects.size(); i++)
    {
        source.objects.push_back(objects[i].object);
        source.objects.back().line = static_cast<int>(i) + 1;
    }
    return source;
}

} // namespace tibble::edit
