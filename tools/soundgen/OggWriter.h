#pragma once
// Encodes float PCM to Ogg Vorbis in memory with libvorbisenc. The stream serial number is fixed, so the
// same samples always give the same bytes.

#include <string>
#include <vector>

namespace soundgen
{

// channels is 1 or 2 (planar buffers in the order left, right); quality is libvorbis's -0.1 .. 1.
// False with a message on failure.
[[nodiscard]] bool EncodeOgg(const std::vector<const std::vector<float>*>& channels, double quality,
                             const std::string& title, std::vector<unsigned char>& bytes, std::string& error);

} // namespace soundgen
