#pragma once
// The list of every picture the game loads: file name, cel grid and the function that draws one cel,
// plus the resource manifest that names them. Built once by main; single-threaded.

#include "ArtKit.h"

#include <functional>
#include <string>
#include <vector>

namespace artgen
{

struct SheetSpec
{
    std::string id;   // identifier without the IMAGE_ prefix, e.g. "BEE"
    std::string file; // file name under images/, lower case
    int celWidth = 0;
    int celHeight = 0;
    int cols = 1;
    int rows = 1;
    int cels = 1; // cels actually drawn (at most cols * rows)
    std::function<void(cairo_t*, int, ArtKit&)> draw;
};

void AddBeeSheets(std::vector<SheetSpec>& sheets);
void AddFlowerSheets(std::vector<SheetSpec>& sheets);
void AddGardenSheets(std::vector<SheetSpec>& sheets);
void AddInterfaceSheets(std::vector<SheetSpec>& sheets);
void AddTitleSheets(std::vector<SheetSpec>& sheets);

[[nodiscard]] std::vector<SheetSpec> AllSheets();

// The manifest text (properties/resources.xml); false with a message when a sheet it names is missing.
[[nodiscard]] bool BuildManifest(const std::vector<SheetSpec>& sheets, std::string& text, std::string& error);

} // namespace artgen
