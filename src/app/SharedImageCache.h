// The application's shared images: one image per (file name, variant), handed out as shared
// references so that resources and font layers naming the same file hold it once. An image whose
// last reference went is deleted by the next Purge; the cache deletes the rest when it goes.
// Owned by the application; any thread (guarded by the display lock).
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

namespace zest
{

class LiveImageSet;
class MemoryImage;

class SharedImageCache
{
public:
    // lockOwner: the set whose lock (the display lock) guards the cache.
    explicit SharedImageCache(LiveImageSet& lockOwner);
    SharedImageCache(const SharedImageCache&) = delete;
    SharedImageCache& operator=(const SharedImageCache&) = delete;
    ~SharedImageCache();

    using Loader = std::function<std::unique_ptr<MemoryImage>()>;
    // The image of (fileName, variant), made by load when absent (load runs without the lock, so a
    // slow file does not hold up drawing). isNew tells whether this call made it. None when load
    // answers none.
    std::shared_ptr<MemoryImage> Get(const std::string& fileName, const std::string& variant, bool& isNew,
                                     const Loader& load);
    // Deletes the image of (fileName, variant) when nobody holds a reference to it (a load that
    // failed half-way must not leave it behind as if it were ready).
    void Forget(const std::string& fileName, const std::string& variant);
    // Deletes the images nobody holds a reference to; nothing to do unless one was released.
    void Purge();
    // Deletes every image, referenced or not (the application is going).
    void Clear();
    int GetCount() const;

private:
    struct Entry
    {
        std::unique_ptr<MemoryImage> image;
        std::weak_ptr<MemoryImage> handle; // the references handed out share this
    };
    std::shared_ptr<MemoryImage> HandleFor(Entry& entry);

    LiveImageSet& lockOwner;
    std::map<std::pair<std::string, std::string>, Entry> images;
    // Set by a handle's last release; shared so a late release cannot touch a deleted cache.
    std::shared_ptr<std::atomic<bool>> released = std::make_shared<std::atomic<bool>>(false);
};

} // namespace zest
