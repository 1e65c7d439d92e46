// Test helpers for pixel buffers: seeded random images and comparisons that report the mismatch
// count and the first bad pixel and write both pictures as PNG on failure.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace zest::test
{

// Writes an ARGB buffer as an RGBA PNG; false on failure.
bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height);

// Compares two width x height buffers; on mismatch writes <name>-expected.png and <name>-actual.png
// into the test output folder.
::testing::AssertionResult SamePixels(const std::string& name, const uint32_t* expected, const uint32_t* actual,
                                      int width, int height);

// Random pixels whose alphas favour the values that matter (0, 1, 254, 255) and come in runs of
// varied length, so run-length paths see short, long and capped runs.
std::vector<uint32_t> RandomPixels(std::mt19937& rng, int width, int height);
// Random opaque pixels.
std::vector<uint32_t> RandomOpaquePixels(std::mt19937& rng, int width, int height);

} // namespace zest::test
