// libFuzzer target of the reader of "Map" clipboard data, the format any
// program can put on the clipboard: any bytes are either refused or give
// objects of the carried classes, in the layer, whose stated point and
// text lengths lie inside their data, and which can be measured, described
// and deleted again without touching anything else of the document. With
// MAPPASTE_FUZZ_SEEDS set to a folder, it writes seed data there and exits.
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"
#include "engine/window/clipboard/map_clip_data.h"
#include "engine/window/window_points.h"
#include "engine/window/window_rasters.h"
#include "engine/window/window_text.h"
#include "engine/window/wndres.h"
#include "platform/diagnostics.h"
#include "platform/global_memory.h"
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

struct Document {
    _WNDRES record;
    HWND window = 0;
    OBJectKernel *kernel = nullptr;
    OBJHANDLE layers = 0;
    OBJHANDLE layer = 0;
};

Document &document()
{
    static Document d;
    return d;
}

void makeDocument()
{
    Document &d = document();
    WndRes_Constructor(&d.record);
    d.window = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    SetClientSize(d.window, 400, 300);
    WndRes_AttachToWindow(&d.record, d.window, 1);
    d.kernel = d.record.kernel;
    d.layers = GetRootOBJect(d.window, CLASS_LAYERS);
    d.layer = GetActiveLayer(d.kernel, d.layers);
    check(d.layer != 0);
}

void writeSeeds(const std::string &dir)
{
    Document &d = document();
    std::vector<OBJHANDLE> made;
    const MAP_COORDPT points[] = {{0, 0}, {100, 0}, {100, 50}, {-20, 70}};
    OBJHANDLE h = 0;
    map_polygon_Create(d.window, &h, points, 4, 0);
    made.push_back(h);
    map_polyline_Create(d.window, &h, points, 3, 0);
    made.push_back(h);
    const MAP_COORDPT anchor{10, 20};
    map_text_Create(d.window, &h, "North\r\nSouth", &anchor, "Arial", 12, 0, 0, 0, 0, 0, 0);
    made.push_back(h);
    map_RasterCreate2(d.window, &h, "/maps/scan.bmp", "DIB", 0, 0, 300, 200, 0, 1, 0, 1, 0);
    made.push_back(h);
    for (size_t i = 0; i <= made.size(); ++i) {
        const std::vector<OBJHANDLE> some = i < made.size() ? std::vector<OBJHANDLE>{made[i]} : made;
        const std::vector<char> data = MapClipWrite(d.kernel, some);
        const std::string name = dir + "/seed" + std::to_string(i) + ".map";
        if (FILE *f = std::fopen(name.c_str(), "wb")) {
            std::fwrite(data.data(), 1, data.size(), f);
            std::fclose(f);
        }
    }
}

// Reads an object the way drawing and the clipboard text do.
void readObject(OBJectKernel *kernel, OBJHANDLE h, uint16_t cls)
{
    char *p = OBJectLock(kernel, h);
    check(p != nullptr);
    const uint32_t data = DataSpaceSize(kernel, h);
    if (cls == CLASS_POLYGON || cls == CLASS_POLYLINE) {
        const uint32_t stride = (LoadField<uint16_t>(p, PS_ZFLAGS) & 1) ? 12 : 8;
        check(uint64_t(LoadField<uint32_t>(p, PS_COUNT)) * stride <= data);
    } else if (cls == CLASS_TEXT) {
        check(LoadField<uint32_t>(p, offsetof(TextObjectData, textLength)) < std::max<uint32_t>(data, 1));
        char text[TEXT_LINE_BUFFER];
        TextObjectTextGet(kernel, h, text, sizeof text);
    }
    _COORDRECT r{};
    SendOBJectMessage(kernel, h, h, 0, GRM_GETBOUNDRECT, 0, reinterpret_cast<LPARAM>(&r));
    GraphDispl attributes{};
    SendOBJectMessage(kernel, h, h, 0, GRM_GETATTRIBUTES, 0, reinterpret_cast<LPARAM>(&attributes));
    if (const HGLOBAL text = GraphDescribe(kernel, h))
        GlobalFree(text);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    SetInternalErrorSink([](std::string_view) {});
    SetMessageBoxHook([](const MessageBoxRequest &) { return IDOK; });
    InitGraphClasses(0);
    makeDocument();
    if (const char *dir = std::getenv("MAPPASTE_FUZZ_SEEDS")) {
        writeSeeds(dir);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Document &d = document();
    const uint32_t membersBefore = GetChildrenOBJS(d.kernel, d.layer, REF_LAYER_MEMBER, 0, nullptr, 0);
    std::vector<MapClipRecord> records;
    std::string error;
    if (!MapClipRead(data, size, &records, &error)) {
        check(records.empty() && !error.empty());
        return 0;
    }
    check(!records.empty());
    for (const MapClipRecord &r : records)
        check(MapClipClassCarried(r.classId) && r.offset + r.size <= size);
    const std::vector<OBJHANDLE> made = MapClipCreate(d.kernel, d.layer, data, records);
    check(made.size() == records.size());
    check(GetChildrenOBJS(d.kernel, d.layer, REF_LAYER_MEMBER, 0, nullptr, 0) == membersBefore + made.size());
    for (size_t i = 0; i < made.size(); ++i) {
        check(GetOBJectClassID(d.kernel, made[i]) == records[i].classId);
        readObject(d.kernel, made[i], records[i].classId);
    }
    for (OBJHANDLE h : made)
        OBJectDelete(d.kernel, h);
    check(GetChildrenOBJS(d.kernel, d.layer, REF_LAYER_MEMBER, 0, nullptr, 0) == membersBefore);
    return 0;
}
