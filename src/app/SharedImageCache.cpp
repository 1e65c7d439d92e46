#include "app/SharedImageCache.h"

#include "graphics/LiveImageSet.h"
#include "graphics/MemoryImage.h"

#include <mutex>

namespace zest
{

SharedImageCache::SharedImageCache(LiveImageSet& owner) : lockOwner(owner)
{
}

SharedImageCache::~SharedImageCache()
{
    Clear();
}

std::shared_ptr<MemoryImage> SharedImageCache::HandleFor(Entry& entry)
{
    std::shared_ptr<MemoryImage> handle = entry.handle.lock();
    if (!handle)
    {
        // The cache keeps ownership: the last reference only flags the entry for Purge.
        handle = std::shared_ptr<MemoryImage>(entry.image.get(), [flag = released](MemoryImage*) { *flag = true; });
        entry.handle = handle;
    }
    return handle;
}

std::shared_ptr<MemoryImage> SharedImageCache::Get(const std::string& fileName, const std::string& variant,
                                                   bool& isNew, const Loader& load)
{
    isNew = false;
    const auto key = std::make_pair(fileName, variant);
    {
        std::lock_guard<std::recursive_mutex> lock(lockOwner.GetLock());
        auto it = images.find(key);
        if (it != images.end())
            return HandleFor(it->second);
    }
    std::unique_ptr<MemoryImage> image = load ? load() : nullptr;
    if (!image)
        return nullptr;
    std::lock_guard<std::recursive_mutex> lock(lockOwner.GetLock());
    auto [it, inserted] = images.try_emplace(key);
    // Another thread may have made the same image meanwhile: the first one stays.
    if (inserted)
    {
        it->second.image = std::move(image);
        isNew = true;
    }
    return HandleFor(it->second);
}

void SharedImageCache::Forget(const std::string& fileName, const std::string& variant)
{
    std::lock_guard<std::recursive_mutex> lock(lockOwner.GetLock());
    auto it = images.find(std::make_pair(fileName, variant));
    if (it != images.end() && it->second.handle.expired())
        images.erase(it);
}

void SharedImageCache::Purge()
{
    if (!released->exchange(false))
        return;
    std::lock_guard<std::recursive_mutex> lock(lockOwner.GetLock());
    for (auto it = images.begin(); it != images.end();)
    {
        if (it->second.handle.expired())
            it = images.erase(it);
        else
            ++it;
    }
}

void SharedImageCache::Clear()
{
    std::lock_guard<std::recursive_mutex> lock(lockOwner.GetLock());
    images.clear();
}

int SharedImageCache::GetCount() const
{
    std::lock_guard<std::recursive_mutex> lock(lockOwner.GetLock());
    return static_cast<int>(images.size());
}

} // namespace zest
