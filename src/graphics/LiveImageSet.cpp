#include "graphics/LiveImageSet.h"

#include "graphics/MemoryImage.h"

#include <vector>

namespace zest
{

LiveImageSet::~LiveImageSet() = default;

void LiveImageSet::Add(MemoryImage* image)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    images.insert(image);
}

void LiveImageSet::Remove(MemoryImage* image)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    images.erase(image);
}

bool LiveImageSet::Contains(const MemoryImage* image) const
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return images.count(const_cast<MemoryImage*>(image)) != 0;
}

int LiveImageSet::GetCount() const
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return static_cast<int>(images.size());
}

void LiveImageSet::ForEach(const std::function<void(MemoryImage*)>& fn)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    // Walk a snapshot: fn may add or delete images. One deleted meanwhile is skipped.
    std::vector<MemoryImage*> snapshot(images.begin(), images.end());
    for (MemoryImage* image : snapshot)
    {
        if (images.count(image) != 0)
            fn(image);
    }
}

} // namespace zest
