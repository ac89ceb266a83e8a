#include "engine/kernel/map_obj_arr.h"

#include <algorithm>

void CMapObjArr::reserveFor(size_t n)
{
    if (n <= items_.capacity())
        return;
    // Growth by the caller's step, or by the array itself (geometrically)
    // when the step is 0, so that appends stay amortised.
    size_t step = growBy_ > 0 ? size_t(growBy_) : std::max<size_t>(4, items_.size() / 8);
    items_.reserve(std::max(n, items_.size() + step));
}

bool CMapObjArr::SetSize(int32_t newSize, int32_t growBy)
{
    if (newSize < 0)
        return false;
    if (growBy != -1)
        growBy_ = std::max(growBy, 0);
    reserveFor(size_t(newSize));
    items_.resize(size_t(newSize), 0);
    return true;
}

int32_t CMapObjArr::Add(OBJHANDLE handle)
{
    reserveFor(items_.size() + 1);
    items_.push_back(handle);
    return GetSize() - 1;
}

int32_t CMapObjArr::Append(const CMapObjArr &other)
{
    const int32_t first = GetSize();
    reserveFor(items_.size() + other.items_.size());
    items_.insert(items_.end(), other.items_.begin(), other.items_.end());
    return first;
}

bool CMapObjArr::RemoveAt(int32_t index, int32_t count)
{
    if (index < 0 || count < 0 || int64_t(index) + count > int64_t(items_.size()))
        return false;
    items_.erase(items_.begin() + index, items_.begin() + index + count);
    return true;
}

OBJHANDLE CMapObjArr::GetAt(int32_t index) const
{
    return index >= 0 && size_t(index) < items_.size() ? items_[size_t(index)] : 0;
}

bool CMapObjArr::SetAt(int32_t index, OBJHANDLE handle)
{
    if (index < 0 || size_t(index) >= items_.size())
        return false;
    items_[size_t(index)] = handle;
    return true;
}
