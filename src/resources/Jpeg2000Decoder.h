// Decodes a JPEG 2000 file (".j2k" codestream or ".jp2") read through the archive file functions into ARGB
// pixels, with the J2KCodec layer. Stateless; any thread.
#pragma once

#include "resources/PixelAllocator.h"

namespace zest
{

struct PFILE;

// Reads the whole file from its start. Every pixel comes out opaque (alpha FF). On failure the codec's error text
// goes to the log and no image results.
[[nodiscard]] bool DecodeJpeg2000(PFILE* file, const PixelAllocator& allocate);

} // namespace zest
