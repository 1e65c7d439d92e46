#include "app/DemoPlayer.h"

#include <algorithm>

namespace zest
{

bool DemoPlayer::Open(const std::string& path, std::string& error)
{
    std::optional<DemoFile> loaded = DemoFile::Load(path, error);
    if (!loaded)
        return false;
    Open(std::move(*loaded));
    return true;
}

void DemoPlayer::Open(DemoFile newDemo)
{
    demo = std::move(newDemo);
    position = 0;
    updatesPlayed = 0;
    totalUpdates =
        static_cast<int>(std::count_if(demo.records.begin(), demo.records.end(),
                                       [](const DemoRecord& r) { return r.kind == DemoRecord::Kind::Update; }));
}

const DemoRecord* DemoPlayer::Peek() const
{
    return AtEnd() ? nullptr : &demo.records[position];
}

void DemoPlayer::Advance()
{
    if (AtEnd())
        return;
    if (demo.records[position].kind == DemoRecord::Kind::Update)
        updatesPlayed++;
    position++;
}

} // namespace zest
