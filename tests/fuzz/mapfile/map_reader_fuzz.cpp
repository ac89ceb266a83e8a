// libFuzzer target of the map document reader: any bytes are either refused
// or give a kernel whose every reference names a live object and whose
// incoming counts match, whose slots are no more than the bytes can hold,
// and whose texts and pages can be read whatever their fields say. With
// MAPFILE_FUZZ_SEEDS set to a folder, it writes seed documents there and
// exits.
#include "engine/kernel/bank.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_window.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/map_file_image.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"
#include "engine/window/page.h"
#include "platform/diagnostics.h"
#include "platform/file.h"
#include "platform/message_box.h"
#include "platform/window.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void checkKernel(OBJectKernel *k)
{
    const uint32_t n = GetFirstFree(k);
    std::vector<uint32_t> incoming(n, 0);
    for (OBJHANDLE h = 1; h < n; ++h) {
        const OBJectHead *head = HeadLock(k, h);
        if (!head)
            continue;
        check(uint64_t(head->refOffset) + 8ull * head->refsHeld <= head->dataOffset);
        check(head->dataOffset <= head->size);
        for (uint32_t i = 0; i < head->refsHeld; ++i) {
            const OBJHANDLE t = LoadField<uint32_t>(head, head->refOffset + 8 * i);
            check(t < n && HeadLock(k, t) != nullptr);
            ++incoming[t];
        }
    }
    for (OBJHANDLE h = 1; h < n; ++h)
        if (const OBJectHead *head = HeadLock(k, h))
            check(head->refsIncoming == incoming[h]);
}

// Reads every object the way drawing and the object queries do.
void readObjects(OBJectKernel *k)
{
    const uint32_t n = GetFirstFree(k);
    for (OBJHANDLE h = 1; h < n; ++h) {
        if (!HeadLock(k, h))
            continue;
        _COORDRECT r{};
        SendOBJectMessage(k, h, h, 0, GRM_GETBOUNDRECT, 0, reinterpret_cast<LPARAM>(&r));
        GraphDispl attributes{};
        SendOBJectMessage(k, h, h, 0, GRM_GETATTRIBUTES, 0, reinterpret_cast<LPARAM>(&attributes));
        if (const char *text = TextObjectLock(k, h)) {
            char buffer[TEXT_LINE_BUFFER];
            TextObjectTextGet(k, h, buffer, sizeof buffer);
            const int lines = TextObjectLineCount(text);
            for (int i = 0; i < lines && i < 64; ++i)
                TextObjectLineGet(text, buffer, i);
        }
        if (GetOBJectClassID(k, h) == CLASS_PAGE)
            for (int handle = -1; handle < 16; ++handle) {
                MAP_COORDPT p{};
                PageHandlePosition(k, h, handle, &p);
            }
    }
}

void writeSeeds(const std::string &dir)
{
    _WNDRES record;
    const HWND window = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    record.kernel = KernelNew();
    AttachWndRes(window, &record);
    OBJHANDLE layers = 0, groups = 0;
    const OBJHANDLE all =
        CreateRootOBJects(record.kernel, window, &layers, &groups, nullptr, nullptr, nullptr);
    SetRootOBJect(window, all);
    const OBJHANDLE layer = CreateLayerOBJect(record.kernel, layers, 3, "Seed");
    for (int i = 0; i < 4; ++i) {
        const OBJHANDLE h = CreateOBJect(record.kernel, i % 2 ? CLASS_POLYGON : CLASS_POLYLINE);
        ReSizeOBJectData(record.kernel, h, 3 * 8);
        StoreField<uint32_t>(OBJectLock(record.kernel, h), PS_COUNT, 3);
        InsertLayerRef(record.kernel, h, layer);
    }
    const OBJHANDLE text = CreateOBJect(record.kernel, CLASS_TEXT);
    TextObjectTextSet(record.kernel, text, "North\r\nSouth");
    TextObjectPositionSet(record.kernel, text, 100, 200);
    InsertLayerRef(record.kernel, text, layer);
    PageCreate(record.kernel, all);
    MapSave(window, (dir + "/document.mpd").c_str());
    MemoryFile clip;
    MapSaveToClipboard(window, clip, MAPCLIP_MAP);
    if (FILE *f = std::fopen((dir + "/clipboard.mpd").c_str(), "wb")) {
        std::fwrite(clip.Data().data(), 1, clip.Data().size(), f);
        std::fclose(f);
    }
    DestroyWindow(window);
    KernelDelete(record.kernel);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    SetInternalErrorSink([](std::string_view) {});
    SetMessageBoxHook([](const MessageBoxRequest &) { return IDOK; });
    InitGraphClasses(0);
    if (const char *dir = std::getenv("MAPFILE_FUZZ_SEEDS")) {
        writeSeeds(dir);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MemoryFile stream(data, size);
    OBJectKernel *kernel = nullptr;
    OBJHANDLE root = 0;
    const uint32_t before = GlobalObjectCounters().objects;
    if (ReadMapFromStream(0, stream, &root, &kernel, 0, nullptr)) {
        // The slots are those of the objects the bytes can hold, and the
        // bank is a fresh one of that size.
        check(GetFirstFree(kernel) - 1 <= size / (sizeof(MapRecordHead) + OBJ_HEAD_SIZE));
        check(kernel->bank->capacity == BankFreshCapacity(GetFirstFree(kernel)));
        check(kernel->bank->freedCount == 0 && kernel->bank->lowestFreed == 0);
        checkKernel(kernel);
        readObjects(kernel);
        KernelDelete(kernel);
    }
    check(GlobalObjectCounters().objects == before);
    return 0;
}
