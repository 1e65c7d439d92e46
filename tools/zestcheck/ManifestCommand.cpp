#include "Commands.h"

#include "resources/ResourceManager.h"

#include <cstdio>

namespace zestcheck
{

int CheckManifest(const Arguments& arguments)
{
    if (arguments.size() != 1 || arguments[0].empty() || arguments[0][0] == '-')
    {
        std::fprintf(stderr, "usage: zestcheck --manifest FILE\n");
        return 2;
    }
    // Reading only: without an application nothing can be loaded, and nothing needs to be.
    zest::ResourceManager manager(nullptr);
    if (!manager.ReadManifest(arguments[0]))
    {
        std::printf("%s\n", manager.ErrorText().c_str());
        return 1;
    }
    std::printf("OK\n");
    for (const std::string& group : manager.GroupNames())
        std::printf("%s\t%d\n", group.c_str(), manager.CountResources(group));
    return 0;
}

} // namespace zestcheck
