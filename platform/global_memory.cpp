#include "platform/global_memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

struct Block {
    void *data = nullptr;
    size_t size = 0;
    uint32_t locks = 0;
    bool used = false;
};

// Handle n names entry n - 1; freed entries are reused from a free list.
struct Table {
    std::mutex mutex;
    std::vector<Block> blocks;
    std::vector<uint32_t> freeIds;
    size_t live = 0;

    Block *find(HGLOBAL h)
    {
        if (h == 0 || h > blocks.size() || !blocks[h - 1].used)
            return nullptr;
        return &blocks[h - 1];
    }
};

Table &table()
{
    static Table t;
    return t;
}

} // namespace

HGLOBAL GlobalAlloc(UINT, size_t bytes)
{
    // calloc(0) may return null; keep one byte so every block has an address.
    void *data = std::calloc(1, bytes ? bytes : 1);
    if (!data)
        return 0;
    Table &t = table();
    std::lock_guard lock(t.mutex);
    uint32_t id;
    if (!t.freeIds.empty()) {
        id = t.freeIds.back();
        t.freeIds.pop_back();
    } else {
        if (t.blocks.size() >= 0xFFFFFFF0u) {
            std::free(data);
            return 0;
        }
        t.blocks.emplace_back();
        id = uint32_t(t.blocks.size());
    }
    t.blocks[id - 1] = Block{data, bytes, 0, true};
    ++t.live;
    return id;
}

HGLOBAL GlobalReAlloc(HGLOBAL mem, size_t bytes, UINT)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    Block *b = t.find(mem);
    if (!b || b->locks)
        return 0;
    void *data = std::realloc(b->data, bytes ? bytes : 1);
    if (!data)
        return 0;
    if (bytes > b->size)
        std::memset(static_cast<char *>(data) + b->size, 0, bytes - b->size);
    b->data = data;
    b->size = bytes;
    return mem;
}

HGLOBAL GlobalFree(HGLOBAL mem)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    Block *b = t.find(mem);
    if (!b)
        return mem;
    std::free(b->data);
    *b = Block{};
    t.freeIds.push_back(mem);
    --t.live;
    return 0;
}

void *GlobalLock(HGLOBAL mem)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    Block *b = t.find(mem);
    if (!b)
        return nullptr;
    ++b->locks;
    return b->data;
}

BOOL GlobalUnlock(HGLOBAL mem)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    Block *b = t.find(mem);
    if (!b || b->locks == 0)
        return FALSE;
    --b->locks;
    return b->locks ? TRUE : FALSE;
}

size_t GlobalSize(HGLOBAL mem)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    Block *b = t.find(mem);
    return b ? b->size : 0;
}

HGLOBAL GlobalHandle(const void *address)
{
    if (!address)
        return 0;
    Table &t = table();
    std::lock_guard lock(t.mutex);
    for (size_t i = 0; i < t.blocks.size(); ++i)
        if (t.blocks[i].used && t.blocks[i].data == address)
            return HGLOBAL(i + 1);
    return 0;
}

size_t GlobalBlockCount()
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    return t.live;
}
