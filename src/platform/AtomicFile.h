// Replaces a file in one step: the bytes go to a temporary file beside it ("<name>.tmp.<pid>.<n>",
// a name the stale-file sweep knows), which is flushed to disk and renamed over the real one, and
// the folder is flushed so the rename survives a power cut. A reader sees the old file or the new
// one, never half of either. Any thread; the writers of one process never share a temporary file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace zest
{

// What a write may ask beyond the bytes. permissions are for a new file, before the umask.
struct AtomicFileOptions
{
    unsigned permissions = 0666;
    // Tests: runs after the temporary file is complete and before the rename; false stops there as a
    // crash at that moment would, leaving the complete temporary file for the stale-file sweep.
    std::function<bool(const std::string& temporaryPath)> beforeReplace;
};

class AtomicFile
{
public:
    using Options = AtomicFileOptions;
    // Appends bytes to the temporary file; false once a write has failed (the error is kept).
    using Sink = std::function<bool(const void* data, size_t size)>;
    // Produces the file in pieces through the sink; false stops the write and keeps the old file.
    using Producer = std::function<bool(const Sink& put)>;

    // Writes bytes as path. The folder must exist. On any failure (create, short write, full disk
    // at write, fsync or close, rename) the temporary file is removed, the old file is left byte for
    // byte, and error says what failed with the system's text ("cannot write x: No space left...").
    [[nodiscard]] static bool Write(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                                    std::string& error, const Options& options = {});
    [[nodiscard]] static bool Write(const std::filesystem::path& path, std::string_view bytes, std::string& error,
                                    const Options& options = {});

    // Write for output made in pieces: produce is called once, and the file is replaced only when it
    // answers true and every piece was written.
    [[nodiscard]] static bool Write(const std::filesystem::path& path, const Producer& produce, std::string& error,
                                    const Options& options = {});

    // The next temporary name for path in this process.
    static std::filesystem::path TemporaryName(const std::filesystem::path& path);
};

} // namespace zest
