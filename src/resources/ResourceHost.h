// What the resource manager asks of the application it loads for: the shared image cache, whole images for
// font strips, the sound loader, and whether the display is accelerated (the manifest can drop an image's
// pixels in one display mode only). Implemented by the application; the manager keeps a non-owning pointer.
// Called on the loading thread.
#pragma once

#include "graphics/FontHost.h"

#include <memory>
#include <string>

namespace zest
{

class MemoryImage;
class SoundLoader;

class ResourceHost : public FontHost
{
public:
    // Deletes the shared image of fileName and variant now if nobody holds it any more.
    virtual void ForgetSharedImage(const std::string& fileName, const std::string& variant) = 0;
    // A new image of the file (alpha files looked for), owned by the caller; none when it cannot be loaded.
    // commitBits: work out its transparency now.
    virtual std::unique_ptr<MemoryImage> LoadImage(const std::string& path, bool commitBits) = 0;
    // None when the application has no sound manager.
    virtual SoundLoader* GetSoundLoader() const = 0;
    // Whether the display scales through the accelerated renderer.
    virtual bool IsDisplay3D() const = 0;
};

} // namespace zest
