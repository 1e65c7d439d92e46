#include "audio/ModuleStream.h"

#ifdef ZEST_NO_MODULES

#include "platform/Log.h"

namespace zest
{

// Left out of this build (-DZEST_MODULES=OFF): every module fails to open.
std::unique_ptr<ModuleStream> ModuleStream::Open(const std::string& fileName, std::string* error)
{
    std::string text = "tracker modules are not supported in this build: " + fileName;
    Log(LogLevel::Error, text);
    if (error)
        *error = text;
    return nullptr;
}

ModuleStream::~ModuleStream() = default;
size_t ModuleStream::Read(int16_t*, size_t)
{
    return 0;
}
bool ModuleStream::Seek(uint64_t)
{
    return false;
}
void ModuleStream::SetLooping(bool) {}
bool ModuleStream::SetOrderRow(int, int, uint64_t*)
{
    return false;
}
int ModuleStream::CurrentOrder() const
{
    return -1;
}
int ModuleStream::CurrentRow() const
{
    return -1;
}
void ModuleStream::SetGain(int) {}

} // namespace zest

#else

#include "files/PakFile.h"

#include <libopenmpt/libopenmpt.h>

#include <cstdio>
#include <vector>

namespace zest
{

namespace
{
// Modules are small; anything larger than this is not one we will hold in memory.
constexpr long MaxModuleBytes = 64L * 1024 * 1024;
} // namespace

std::unique_ptr<ModuleStream> ModuleStream::Open(const std::string& fileName, std::string* error)
{
    auto fail = [&](const std::string& reason) -> std::unique_ptr<ModuleStream> {
        if (error != nullptr)
            *error = reason;
        return nullptr;
    };
    PFilePtr file(p_fopen(fileName.c_str(), "rb"));
    if (!file)
        return fail("cannot open " + fileName);
    if (p_fseek(file.get(), 0, SEEK_END) != 0)
        return fail("cannot seek in " + fileName);
    const long size = p_ftell(file.get());
    if (size <= 0 || size > MaxModuleBytes || p_fseek(file.get(), 0, SEEK_SET) != 0)
        return fail(fileName + ": empty or too large");
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (p_fread(data.data(), 1, data.size(), file.get()) != data.size())
        return fail(fileName + ": cannot read");
    int code = 0;
    const char* message = nullptr;
    openmpt_module* module = openmpt_module_create_from_memory2(data.data(), data.size(), openmpt_log_func_silent,
                                                                nullptr, openmpt_error_func_ignore, nullptr, &code,
                                                                &message, nullptr);
    if (module == nullptr)
    {
        std::string reason = fileName + ": not a tracker module";
        if (message != nullptr)
        {
            reason += std::string(" (") + message + ")";
            openmpt_free_string(message);
        }
        return fail(reason);
    }
    if (message != nullptr)
        openmpt_free_string(message);
    auto stream = std::make_unique<ModuleStream>(Key());
    stream->module = module;
    openmpt_module_set_repeat_count(module, 0);
    return stream;
}

ModuleStream::~ModuleStream()
{
    if (module != nullptr)
        openmpt_module_destroy(module);
}

size_t ModuleStream::Read(int16_t* out, size_t frames)
{
    return openmpt_module_read_interleaved_stereo(module, SampleRate(), frames, out);
}

bool ModuleStream::Seek(uint64_t frame)
{
    openmpt_module_set_position_seconds(module, double(frame) / SampleRate());
    return true;
}

void ModuleStream::SetLooping(bool looping)
{
    openmpt_module_set_repeat_count(module, looping ? -1 : 0);
}

bool ModuleStream::SetOrderRow(int order, int row, uint64_t* frame)
{
    if (order < 0 || order >= openmpt_module_get_num_orders(module) || row < 0)
        return false;
    const double seconds = openmpt_module_set_position_order_row(module, order, row);
    if (frame != nullptr)
        *frame = uint64_t(seconds * SampleRate() + 0.5);
    return true;
}

int ModuleStream::CurrentOrder() const
{
    return openmpt_module_get_current_order(module);
}

int ModuleStream::CurrentRow() const
{
    return openmpt_module_get_current_row(module);
}

void ModuleStream::SetGain(int hundredthsDb)
{
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, hundredthsDb);
}

} // namespace zest
#endif
