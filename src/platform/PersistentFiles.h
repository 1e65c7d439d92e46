// Making saved files last. On the desktop a rename followed by fsync is enough; in the browser the
// settings folder is an in-memory copy of an IndexedDB store that must be written back. Main thread.
#pragma once

namespace zest
{

// Called after every completed save. In the browser it writes the settings folder back to IndexedDB in
// one transaction (a save that finishes while an earlier write-back runs is written right after it),
// so a reload at any moment finds the old or the new file, never a part. Nothing to do on the desktop.
void SyncPersistentFiles();

} // namespace zest
