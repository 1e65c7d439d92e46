// The application's set of every live MemoryImage, guarded by the display lock (the one lock taken
// around operations on all images and on the shared-image map). Owned by the application; images
// add and remove themselves from any thread.
#pragma once

#include <functional>
#include <mutex>
#include <unordered_set>

namespace zest
{

class MemoryImage;

class LiveImageSet
{
public:
    LiveImageSet() = default;
    LiveImageSet(const LiveImageSet&) = delete;
    LiveImageSet& operator=(const LiveImageSet&) = delete;
    ~LiveImageSet();

    void Add(MemoryImage* image);
    void Remove(MemoryImage* image);
    bool Contains(const MemoryImage* image) const;
    int GetCount() const;
    // Calls fn for every live image while holding the lock. fn may create or delete other images
    // (the lock is recursive) but must not delete the image it is handed.
    void ForEach(const std::function<void(MemoryImage*)>& fn);

    // The display lock. Recursive: an image made while it is held registers itself here.
    std::recursive_mutex& GetLock() const { return lock; }

private:
    mutable std::recursive_mutex lock;
    std::unordered_set<MemoryImage*> images;
};

} // namespace zest
