// The text description of an object (GRM_DESCRIBE): class, identifier,
// layer, bound rectangle and the class's own details, handed out as a
// moveable global memory block.
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"

#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/window.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <string>

namespace {

constexpr size_t kBlockStep = 2048;
constexpr size_t kHeadroom = 120;

constexpr size_t LAYER_NUMBER = 48;
constexpr size_t LAYER_NAME = 52;
constexpr size_t LAYER_NAME_SIZE = 48;
constexpr size_t TEXT_LENGTH = 172;
constexpr size_t BITMAP_FILE = 72;
constexpr size_t BITMAP_FILE_SIZE = 128;
constexpr size_t BITMAP_FORMAT = 200;
constexpr size_t BITMAP_FORMAT_SIZE = 40;

std::string boundedText(const char *p, size_t size) { return std::string(p, strnlen(p, size)); }

const char *classWord(uint16_t cls)
{
    switch (cls) {
    case CLASS_POLYGON:
        return "Polygon;";
    case CLASS_POLYLINE:
        return "Polyline;";
    case CLASS_TEXT:
        return "Text;";
    case CLASS_LEGEND:
        return "Legend;";
    case CLASS_BITMAP:
        return "Raster;";
    case CLASS_PAGE:
        return "Page;";
    case CLASS_NAIL:
        return "Nail;";
    case CLASS_PRESENT:
        return "Pie;";
    case CLASS_GROUP:
        return "Group;";
    case CLASS_SELLIST:
        return "MultiSelection;";
    default:
        return "Unknown;";
    }
}

// An identifier's text is the code, a byte below 10 and the name.
bool idCodeAndName(OBJectKernel *kernel, OBJHANDLE object, std::string &code, std::string &name)
{
    const OBJHANDLE id = FirstReference(kernel, object, REF_ID, nullptr);
    char *fixed = id ? OBJectLock(kernel, id) : nullptr;
    if (!fixed)
        return false;
    const char *data = DataSpaceBegin(fixed);
    const size_t size = DataSpaceSize(kernel, id);
    size_t i = 0;
    code.clear();
    name.clear();
    while (i < size && static_cast<unsigned char>(data[i]) >= 10 && code.size() < 12)
        code += data[i++];
    while (i < size && static_cast<unsigned char>(data[i]) >= 10)
        ++i;
    ++i; // the separator
    while (i < size && static_cast<unsigned char>(data[i]) >= 10 && name.size() < 32)
        name += data[i++];
    return true;
}

std::string idPart(OBJectKernel *kernel, OBJHANDLE object)
{
    std::string code, name;
    if (!idCodeAndName(kernel, object, code, name))
        return {};
    std::string s = code;
    if (!code.empty() || !name.empty())
        s += ':';
    return s + name;
}

uint32_t countLinks(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE *first)
{
    uint32_t n = 0;
    int32_t pos = -1;
    for (OBJHANDLE t = GetReference(kernel, holder, id, &pos); t; t = GetReference(kernel, holder, id, &pos))
        if (n++ == 0 && first)
            *first = t;
    return n;
}

void describeObject(OBJectKernel *kernel, OBJHANDLE object, std::string &out)
{
    const uint16_t cls = GetOBJectClassID(kernel, object);
    out += "ObjClass:";
    out += classWord(cls);
    if (cls != CLASS_SELLIST) {
        out += "Id:" + idPart(kernel, object) + ";";
        const OBJHANDLE layer = FirstReferenceOfClass(kernel, object, REF_LAYER_BACK, CLASS_LAYER);
        if (const char *p = layer ? OBJectLock(kernel, layer) : nullptr)
            out += "Layer:" + std::to_string(LoadField<int32_t>(p, LAYER_NUMBER)) +
                   boundedText(p + LAYER_NAME, LAYER_NAME_SIZE) + ";";
    }
    _COORDRECT r = kEmptyBoundRect;
    if (const char *p = GraphHeadLock(kernel, object, GOH_SIZE))
        r = LoadField<_COORDRECT>(p, GOH_BOUND);
    char line[128];
    std::snprintf(line, sizeof line, "Bounding Rect: %" PRId32 ":%" PRId32 ":%" PRId64 ":%" PRId64 ";", r.x1,
                  r.y1, int64_t(r.x2) - r.x1, int64_t(r.y2) - r.y1);
    out += line;

    if (cls == CLASS_GROUP || cls == CLASS_SELLIST) {
        out += cls == CLASS_GROUP ? "Group:" : "MultiSelection:";
        int32_t pos = -1;
        for (OBJHANDLE m = GetReference(kernel, object, 0, &pos); m;
             m = GetReference(kernel, object, 0, &pos)) {
            const uint16_t id = GetNthReferenceID(kernel, object, pos);
            if (id != REF_GROUP_MEMBER && id != REF_SELECTED)
                continue;
            std::string code, name;
            if (idCodeAndName(kernel, m, code, name))
                out += "Id:" + idPart(kernel, m);
            out += ";";
        }
    } else if (cls == CLASS_BITMAP) {
        if (const char *p = GraphHeadLock(kernel, object, BITMAP_FORMAT + BITMAP_FORMAT_SIZE))
            out += "The raster file format: " + boundedText(p + BITMAP_FORMAT, BITMAP_FORMAT_SIZE) + ";" +
                   "The source file name: " + boundedText(p + BITMAP_FILE, BITMAP_FILE_SIZE);
    } else if (cls == CLASS_POLYGON || cls == CLASS_POLYLINE) {
        char *p = GraphHeadLock(kernel, object, PS_FIXED_SIZE);
        if (!p)
            return;
        const uint32_t stride = (LoadField<uint16_t>(p, PS_ZFLAGS) & 1) ? 12 : 8;
        const uint32_t count = uint32_t(
            std::min<uint64_t>(LoadField<uint32_t>(p, PS_COUNT), DataSpaceSize(kernel, object) / stride));
        std::snprintf(line, sizeof line, "Number of Points: %u Points: ", count);
        out += line;
        const char *data = DataSpaceBegin(p);
        for (uint32_t i = 0; i < count; ++i) {
            const _COORDPT pt = LoadField<_COORDPT>(data, size_t(i) * stride);
            std::snprintf(line, sizeof line,
                          i + 1 < count ? "%" PRId32 ":%" PRId32 "," : "%" PRId32 ":%" PRId32, pt.x, pt.y);
            out += line;
        }
    } else if (cls == CLASS_TEXT) {
        char *p = GraphHeadLock(kernel, object, TEXT_LENGTH + 4);
        if (!p)
            return;
        const size_t length =
            std::min<size_t>(LoadField<uint32_t>(p, TEXT_LENGTH) & 0xFFFF, DataSpaceSize(kernel, object));
        out += "Text:" + boundedText(DataSpaceBegin(p), length);
    }
}

} // namespace

HGLOBAL GraphDescribe(OBJectKernel *kernel, OBJHANDLE object)
{
    const uint16_t cls = kernel ? GetOBJectClassID(kernel, object) : 0;
    if (!cls)
        return 0;
    std::string text;
    if (cls == CLASS_SELLIST) {
        OBJHANDLE only = 0;
        const uint32_t selected = countLinks(kernel, object, REF_SELECTED, &only);
        if (selected == 0)
            text = "NoSelection";
        else
            describeObject(kernel, selected == 1 ? only : object, text);
    } else {
        describeObject(kernel, object, text);
    }
    // The block is sized as if grown in steps of 2048 bytes that always
    // leave 120 bytes to spare; the whole text is known before it is
    // written, so no item can overrun it.
    size_t size = kBlockStep;
    while (size < text.size() + 1 + kHeadroom)
        size += kBlockStep;
    const HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    char *p = mem ? static_cast<char *>(GlobalLock(mem)) : nullptr;
    if (!p) {
        if (mem)
            GlobalFree(mem);
        MessageBoxA(GetActiveWindow(), "Memory allocation problem.", "Error", MB_OK | MB_ICONSTOP);
        return 0;
    }
    std::memcpy(p, text.data(), text.size());
    p[text.size()] = 0;
    GlobalUnlock(mem);
    return mem;
}
