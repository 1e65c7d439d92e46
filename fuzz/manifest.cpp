// libFuzzer harness for the resource manifest: any bytes read as "properties\resources.xml", then
// every group counted and loaded (without an application every load fails, cleanly).

#include "resources/ResourceManager.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The manager reads files only: the input goes through one scratch file per process.
    static const std::string path = "/tmp/fuzz-manifest-" + std::to_string(getpid()) + ".xml";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    zest::ResourceManager manager(nullptr);
    (void)manager.ReadManifest(path);
    int total = manager.CountResources("");
    for (const std::string& group : manager.GroupNames())
    {
        if (manager.CountResources(group) > total)
            __builtin_trap();
        (void)manager.LoadGroup(group);
        manager.UnloadGroup(group);
    }
    return 0;
}
