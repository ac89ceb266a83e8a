#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file_internal.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/upper_services.h"
#include "engine/kernel/window_record.h"

#include <algorithm>
#include <cstring>

namespace {

void storeName(_WNDRES *rec, const std::string &name)
{
    const size_t n = std::min(name.size(), sizeof rec->fileName - 1);
    std::memcpy(rec->fileName, name.data(), n);
    rec->fileName[n] = '\0';
}

std::string loadName(const _WNDRES *rec)
{
    return std::string(rec->fileName, strnlen(rec->fileName, sizeof rec->fileName));
}

} // namespace

OBJHANDLE MapFilePageObject(HWND window, OBJectKernel *kernel)
{
    // The page that the window itself uses, so that files and clipboard
    // copies carry the page that is drawn and printed.
    const _WNDRES *rec = GetWndRes(window);
    return kernel && rec && rec->kernel == kernel ? UpperPageOfWindow(window) : 0;
}

void MapFileSetWindowFileName(_WNDRES *rec, const std::string &name)
{
    if (rec)
        storeName(rec, name);
}

std::string MapFileWindowFileName(const _WNDRES *rec) { return rec ? loadName(rec) : std::string(); }
