// What the image decoders share: the hook that hands them the pixel memory of the image they fill, and the size
// limit every decoder applies before asking for it. Plain declarations; any thread.
#pragma once

#include <cstdint>
#include <functional>

namespace zest
{

// Largest width or height any decoder accepts; larger claims are refused before memory is taken.
inline constexpr int MaxImageSide = 16384;

// Answers width x height ARGB words (row-major, top row first) for the decoder to fill, or null when the caller
// refuses. Called at most once per decode, after the decoder has checked the size. The memory stays the caller's:
// a decoder that fails afterwards leaves it partly written and the caller discards it.
using PixelAllocator = std::function<uint32_t*(int width, int height)>;

// True when both sides are at least 1 and at most MaxImageSide.
constexpr bool ImageSizeAllowed(int64_t width, int64_t height)
{
    return width >= 1 && height >= 1 && width <= MaxImageSide && height <= MaxImageSide;
}

} // namespace zest
