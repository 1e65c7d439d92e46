#pragma once
// The contact sheet: every generated picture on one page with its cel grid and cel numbers, for review.

#include "Catalogue.h"

namespace artgen
{

// Returns a new surface the caller destroys; images are the rendered sheets in the order of specs.
[[nodiscard]] cairo_surface_t* MakeContactSheet(const std::vector<SheetSpec>& specs,
                                                const std::vector<cairo_surface_t*>& images, const ArtKit& kit);

} // namespace artgen
