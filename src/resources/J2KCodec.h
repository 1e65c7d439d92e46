// The JPEG 2000 codec layer the image loader calls: open a codestream (".j2k") or JP2 file through read and seek
// callbacks or by file name, ask its size, decode it into 32-bit pixels, close it; errors are kept per thread as a
// code with a text. Built over OpenJPEG. Each handle belongs to one thread at a time; different handles may be used
// on different threads.
#pragma once

#include <cstdint>

namespace zest
{

struct J2K_Handle;

// Byte access for J2K_OpenCustom. read answers the number of bytes copied into buffer (0 at the end, -1 on error);
// seek moves to offset bytes from origin (0 start, 1 current, 2 end) and answers the new position from the start,
// or -1 when that is impossible.
struct J2K_Callbacks
{
    int (*read)(void* buffer, int size, void* userData);
    int64_t (*seek)(int64_t offset, int origin, void* userData);
};

// Error codes answered by the operations and by J2K_getLastError.
enum J2K_Error
{
    J2K_OK = 0,
    J2K_ERR_ARGUMENT = 1,    // a null handle, a bad option string, a buffer or pitch too small
    J2K_ERR_FORMAT = 2,      // neither a JPEG 2000 codestream nor a JP2 file
    J2K_ERR_HEADER = 3,      // the header could not be read
    J2K_ERR_DECODE = 4,      // the image data could not be decoded
    J2K_ERR_UNSUPPORTED = 5, // a component layout the layer does not turn into pixels
    J2K_ERR_IO = 6,          // the file could not be opened or read
};

// OpenJPEG's version as major * 10000 + minor * 100 + patch.
int J2K_getVersion();
// Opens through the callbacks (userData is handed back to them) and reads the header; null on failure.
J2K_Handle* J2K_OpenCustom(const J2K_Callbacks* callbacks, void* userData);
// Opens a file on the disk and reads the header; null on failure.
J2K_Handle* J2K_OpenFile(const char* fileName);
// Releases the handle; null is allowed.
void J2K_Close(J2K_Handle* handle);
// Full-resolution width and height and the number of components; answers an error code.
int J2K_GetInfo(J2K_Handle* handle, int* width, int* height, int* components);
// Size of the image at a resolution level (0 full size, each level halves, rounding up); answers an error code.
int J2K_GetResolutionDimensions(J2K_Handle* handle, int resolution, int* width, int* height);
// Decodes into buffer (bufferSize bytes, rows pitch bytes apart). options: comma-separated "bpp=3" (blue, green,
// red bytes) or "bpp=4" (0xAARRGGBB words; alpha from a fourth or second component, else FF), and "rl=N" for the
// resolution level. Answers an error code. A handle decodes once.
int J2K_Decode(J2K_Handle* handle, uint8_t* buffer, int bufferSize, const char* options, int pitch);
// The code of the last failed operation on this thread (J2K_OK after a success).
int J2K_getLastError();
// Text for an error code; for the last error on this thread it includes the decoder's own message, if any.
// The text stays valid until the next operation on this thread.
const char* J2K_getErrorStr(int code);

} // namespace zest
