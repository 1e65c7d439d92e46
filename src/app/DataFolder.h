// Where a program finds its data: beside itself (a build folder, an unpacked copy) or, once
// installed, in a folder named relative to it, so a moved installation keeps working.
// Plain functions over the file system; any thread.
#pragma once

#include <string>

namespace zest
{

// The folder that holds the running program; empty when it cannot be found.
[[nodiscard]] std::string ExecutableFolder();

// True when folder holds a game's data: "main.pak" or "properties/resources.xml".
[[nodiscard]] bool HoldsGameData(const std::string& folder);

// programFolder when it holds the data; otherwise programFolder/installedPath (made normal,
// e.g. "../share/games/tibble" from "games/") when that holds it; otherwise programFolder,
// so the usual "file not found" errors name the folder the program looked in first.
[[nodiscard]] std::string FindDataFolder(const std::string& programFolder, const std::string& installedPath);

} // namespace zest
