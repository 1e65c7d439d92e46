// libFuzzer harness for level sources: any text is read by the level compiler's source reader and, when it
// reads, checked as the compiler checks it. The canonical text it writes must read back to the same
// level and be written the same again; the binary map it makes must decode to the same level too.
#include "level/LevelRules.h"
#include "level/LevelSource.h"
#include "level/MapFile.h"

#include "FuzzScratch.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace
{

// Same grid and objects; the source lines an object came from are not part of the level.
bool SameLevel(const levelc::LevelSource& a, const levelc::LevelSource& b)
{
    if (a.width != b.width || a.height != b.height || a.tiles != b.tiles || a.objects.size() != b.objects.size())
        return false;
    for (size_t i = 0; i < a.objects.size(); ++i)
    {
        const levelc::SourceObject& p = a.objects[i];
        const levelc::SourceObject& q = b.objects[i];
        if (p.type != q.type || p.x != q.x || p.y != q.y || p.param != q.param || p.order != q.order)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    levelc::Diagnostics diagnostics;
    std::optional<levelc::LevelSource> level =
        levelc::LevelSource::Parse(std::string_view(reinterpret_cast<const char*>(data), size), diagnostics);
    (void)diagnostics.Format("fuzz.lvl");
    if (!level)
        return 0;
    levelc::LevelRules::CheckPlayable(*level, diagnostics);
    levelc::LevelRules::CheckDesign(*level, 0, diagnostics);

    const std::string text = level->ToText();
    levelc::Diagnostics again;
    std::optional<levelc::LevelSource> reread = levelc::LevelSource::Parse(text, again);
    fuzz::Require(reread.has_value() && SameLevel(*level, *reread) && reread->ToText() == text);

    const std::vector<uint8_t> map = levelc::MapFile::Encode(*level);
    std::string error;
    std::optional<levelc::LevelSource> decoded = levelc::MapFile::Decode(map, error);
    fuzz::Require(decoded.has_value() && SameLevel(*level, *decoded));
    return 0;
}
