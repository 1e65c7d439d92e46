// The resource side of the application object: the manifest, the shared image cache, the image
// loader as the resources use it, and the music player choice.
#include "app/ZestAppBase.h"

#include "app/DisplayInterface.h"
#include "audio/BassMusicInterface.h"
#include "audio/FModMusicInterface.h"
#include "audio/MusicInterface.h"
#include "audio/SoundManager.h"
#include "graphics/MemoryImage.h"
#include "platform/AudioDevice.h"
#include "platform/SystemMessageBox.h"
#include "resources/ImageLoader.h"
#include "resources/ResourceManager.h"

namespace zest
{

std::unique_ptr<MemoryImage> ZestAppBase::LoadImage(const std::string& path, bool commitBits)
{
    std::unique_ptr<MemoryImage> image = LoadImageFile(path, true, &liveImages);
    if (!image)
        return nullptr;
    image->filePath = path;
    if (commitBits)
        image->CommitBits();
    return image;
}

std::shared_ptr<MemoryImage> ZestAppBase::SharedImage(const std::string& fileName, const std::string& variant,
                                                      bool& isNew)
{
    return sharedImages.Get(fileName, variant, isNew, [&] { return LoadImage(fileName, false); });
}

void ZestAppBase::ForgetSharedImage(const std::string& fileName, const std::string& variant)
{
    sharedImages.Forget(fileName, variant);
}

SoundLoader* ZestAppBase::GetSoundLoader() const
{
    return soundManager.get();
}

bool ZestAppBase::IsDisplay3D() const
{
    return display && display->is3D;
}

void ZestAppBase::ShowFontError(const std::string& text)
{
    MessageBox(text, "Error", MB_OK | MB_ICONERROR);
}

void ZestAppBase::LoadResourceManifest()
{
    if (!resourceManager->ReadManifest("properties\\resources.xml"))
        ShowResourceError(true);
}

void ZestAppBase::ShowResourceError(bool doExit)
{
    ShowFatalError(resourceManager->ErrorText());
    if (doExit)
        Exit(0);
}

std::unique_ptr<MusicInterface> ZestAppBase::CreateMusicInterface()
{
    if (noSoundWanted || !audioDevice)
        return std::make_unique<MusicInterface>();
    if (wantFMod)
        return std::make_unique<FModMusicInterface>(audioDevice->GetMixer());
    return std::make_unique<BassMusicInterface>(audioDevice->GetMixer());
}

} // namespace zest
