#pragma once
// Writing generated files: creates parent folders and replaces a file only when its bytes change, so
// timestamps (and the build's view of what is new) move only when the data does. Single-threaded.

#include <string>
#include <vector>

namespace datagen
{

// False with a message in error when the folder cannot be made or the file cannot be written.
[[nodiscard]] bool WriteFileIfChanged(const std::string& path, const std::vector<unsigned char>& bytes,
                                      std::string& error);
[[nodiscard]] bool WriteTextIfChanged(const std::string& path, const std::string& text, std::string& error);
[[nodiscard]] bool MakeParentFolders(const std::string& path, std::string& error);

} // namespace datagen
