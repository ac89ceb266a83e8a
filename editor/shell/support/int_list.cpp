#include "editor/shell/support/int_list.h"

#include <algorithm>
#include <utility>

void TIntList::SetSorted(bool sorted)
{
    if (sorted && !sorted_)
        Sort();
    sorted_ = sorted;
}

void TIntList::Exchange(size_t a, size_t b)
{
    std::swap(items_[a], items_[b]);
    if (objects_ && a < objects_->size() && b < objects_->size())
        std::swap((*objects_)[a], (*objects_)[b]);
}

void TIntList::Sort()
{
    const size_t n = items_.size();
    for (size_t gap = n / 2; gap > 0; gap /= 2)
        for (size_t i = gap; i < n; ++i)
            for (size_t j = i; j >= gap && items_[j - gap] > items_[j]; j -= gap)
                Exchange(j - gap, j);
}

int TIntList::Add(int32_t value)
{
    if (!allowDuplicates_ && IndexOf(value) >= 0)
        return -1;
    size_t index = items_.size();
    if (sorted_)
        index = size_t(std::upper_bound(items_.begin(), items_.end(), value) - items_.begin());
    items_.insert(items_.begin() + std::ptrdiff_t(index), value);
    return int(index);
}

int TIntList::AddObject(int32_t value, void *object)
{
    const int index = Add(value);
    if (index >= 0 && objects_) {
        if (objects_->size() < size_t(index))
            objects_->resize(size_t(index), nullptr);
        objects_->insert(objects_->begin() + index, object);
    }
    return index;
}

int TIntList::IndexOf(int32_t value) const
{
    if (sorted_) {
        const auto it = std::lower_bound(items_.begin(), items_.end(), value);
        return it != items_.end() && *it == value ? int(it - items_.begin()) : -1;
    }
    const auto it = std::find(items_.begin(), items_.end(), value);
    return it != items_.end() ? int(it - items_.begin()) : -1;
}

void TIntList::Delete(int index)
{
    if (index < 0 || size_t(index) >= items_.size())
        return;
    items_.erase(items_.begin() + index);
    if (objects_ && size_t(index) < objects_->size())
        objects_->erase(objects_->begin() + index);
}

void TIntList::Clear() { items_.clear(); }
