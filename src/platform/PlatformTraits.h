// What the platform the program was built for can do: the desktop, or the browser (WebAssembly).
// Plain functions; any thread.
#pragma once

namespace zest
{

// False where std::thread cannot run (the browser build): loading then runs in slices between frames.
bool PlatformHasThreads();

// True where the data can only come from the archive (the page fetches main.pak; there is no folder of
// loose files to fall back to), so an unusable archive is a fatal error.
bool DataOnlyFromArchive();

// False where full screen needs a user gesture first (the browser): the program then starts windowed.
bool CanStartFullScreen();

} // namespace zest
