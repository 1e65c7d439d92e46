#include "Commands.h"

#include "garden/LevelMap.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace zestcheck
{

int CheckLevel(const Arguments& arguments)
{
    if (arguments.size() != 1 || arguments[0].empty() || arguments[0][0] == '-')
    {
        std::fprintf(stderr, "usage: zestcheck --level FILE\n");
        return 2;
    }
    const std::string& fileName = arguments[0];
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
    {
        std::fprintf(stderr, "zestcheck --level: cannot read %s\n", fileName.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

    std::string error;
    std::optional<tibble::LevelMap> map = tibble::LevelMap::Parse(bytes, &error);
    if (!map)
    {
        std::printf("%s: %s\n", fileName.c_str(), error.c_str());
        return 1;
    }
    std::printf("%d %d %zu %d\n", map->width, map->height, map->objects.size(), map->nectarTotal);
    std::fputs(map->SolidMaskText().c_str(), stdout);
    return 0;
}

} // namespace zestcheck
