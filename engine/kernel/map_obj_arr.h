// CMapObjArr: a growable array of object handles that the queries fill and
// the caller owns.
#pragma once

#include "engine/kernel/kernel_types.h"

#include <cstdint>
#include <vector>

class CMapObjArr {
public:
    CMapObjArr() = default;

    int32_t GetSize() const { return int32_t(items_.size()); }
    int32_t GetCount() const { return GetSize(); }
    bool IsEmpty() const { return items_.empty(); }
    int32_t GetUpperBound() const { return GetSize() - 1; }
    // Entries added when the array grows; 0 lets the array choose.
    int32_t GetGrowBy() const { return growBy_; }

    // Sets the count (new entries are 0, entries beyond it are dropped) and,
    // when growBy is not -1, the growth step. False for a negative size.
    bool SetSize(int32_t newSize, int32_t growBy = -1);
    // Index of the new entry.
    int32_t Add(OBJHANDLE handle);
    // Appends the other array's entries; the index of the first one.
    int32_t Append(const CMapObjArr &other);
    void RemoveAll() { items_.clear(); }
    // False for an index outside the array.
    bool RemoveAt(int32_t index, int32_t count = 1);
    // 0 for an index outside the array.
    OBJHANDLE GetAt(int32_t index) const;
    // False for an index outside the array.
    bool SetAt(int32_t index, OBJHANDLE handle);
    OBJHANDLE operator[](int32_t index) const { return GetAt(index); }

    OBJHANDLE *GetData() { return items_.empty() ? nullptr : items_.data(); }
    const OBJHANDLE *GetData() const { return items_.empty() ? nullptr : items_.data(); }
    size_t capacity() const { return items_.capacity(); }

private:
    void reserveFor(size_t n);

    std::vector<OBJHANDLE> items_;
    int32_t growBy_ = 0;
};
