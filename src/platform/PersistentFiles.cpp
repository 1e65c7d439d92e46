#include "platform/PersistentFiles.h"

#ifdef __EMSCRIPTEN__
// The page's side (src/platform/web/ZestLibrary.js).
extern "C" void zest_sync_persistent_files();
#endif

namespace zest
{

void SyncPersistentFiles()
{
#ifdef __EMSCRIPTEN__
    zest_sync_persistent_files();
#endif
}

} // namespace zest
