// A list of 32-bit integers, kept in insertion order or sorted, with or
// without duplicates, and an optional parallel list of objects whose item i
// belongs to integer i: every operation that moves integers moves the
// objects with them. The parallel list belongs to its owner.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TIntList {
public:
    TIntList() = default;

    // Switching from unsorted to sorted sorts the list.
    void SetSorted(bool sorted);
    bool Sorted() const { return sorted_; }
    void SetAllowDuplicates(bool allow) { allowDuplicates_ = allow; }
    bool AllowDuplicates() const { return allowDuplicates_; }
    void SetObjects(std::vector<void *> *objects) { objects_ = objects; }
    std::vector<void *> *Objects() const { return objects_; }

    // Ascending Shell sort with halving gaps.
    void Sort();
    // The index, or -1 when duplicates are not allowed and the value is
    // there. Unsorted: appended; sorted: inserted after the last item not
    // greater than the value.
    int Add(int32_t value);
    // Add, and the object at the same index of the parallel list.
    int AddObject(int32_t value, void *object);
    // Unsorted: the first index holding the value; sorted: an index holding
    // it (halving search); -1 when it is not there.
    int IndexOf(int32_t value) const;
    // Throws std::out_of_range for an index outside the list.
    int32_t Get(int index) const { return items_.at(size_t(index)); }
    int Count() const { return int(items_.size()); }
    // Removes the integer (and its object) at index.
    void Delete(int index);
    void Clear();
    const std::vector<int32_t> &Items() const { return items_; }

private:
    void Exchange(size_t a, size_t b);

    std::vector<int32_t> items_;
    bool sorted_ = false;
    bool allowDuplicates_ = false;
    std::vector<void *> *objects_ = nullptr;
};

// A string that can sit in a list of objects.
class TString {
public:
    explicit TString(std::string text) : text(std::move(text)) {}
    std::string text;
};
