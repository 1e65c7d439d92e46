#pragma once
// The program's icon, drawn with the same bee as the game's sprites: PNGs at the sizes desktops ask for
// and a scalable SVG, laid out as an icon theme (hicolor/<size>x<size>/apps/<name>.png).

#include "ArtKit.h"

#include <string>

namespace artgen
{

// Writes every size under folder; false with a message on the first failure.
[[nodiscard]] bool WriteIcons(ArtKit& kit, const std::string& folder, const std::string& name, std::string& error);

} // namespace artgen
