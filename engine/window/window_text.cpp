#include "engine/window/window_text.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"
#include "engine/view/text/text_object.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kFaceLimit = sizeof(TextObjectData::faceName) - 1;

OBJectKernel *kernelOf(HWND window)
{
    const _WNDRES *rec = GetWndRes(window);
    return rec ? rec->kernel : nullptr;
}

// A new, empty text in the window's active layer; 0 when there is none.
OBJHANDLE createInActiveLayer(HWND window)
{
    OBJectKernel *kernel = kernelOf(window);
    const OBJHANDLE root = GetRootOBJect(window, CLASS_LAYERS);
    const OBJHANDLE layer = kernel && root ? GetActiveLayer(kernel, root) : 0;
    if (!layer)
        return 0;
    const OBJHANDLE text = CreateOBJect(kernel, CLASS_TEXT);
    if (!text)
        return 0;
    if (InsertLayerRef(kernel, text, layer) == OBJ_INVALID) {
        OBJectDelete(kernel, text);
        return 0;
    }
    return text;
}

void storeFace(TextObjectData &d, const char *face)
{
    std::memset(d.faceName, 0, sizeof d.faceName);
    std::memcpy(d.faceName, face, strnlen(face, kFaceLimit));
}

struct Attributes {
    const char *string;
    const MAP_COORDPT *anchor;
    const char *face;
    int32_t size;
    int style;
    COLORREF colour;
    int rotation;
    uint16_t flags;
    bool extended;
    uint8_t charSet;
    int ownColour;
};

// Writes the attributes into the text and recomputes its rectangle.
void applyAttributes(HWND window, OBJHANDLE text, const Attributes &a)
{
    OBJectKernel *kernel = kernelOf(window);
    char *p = TextObjectLock(kernel, text);
    if (!p)
        return;
    TextObjectData d = TextRecordLoad(p);
    if (a.face)
        storeFace(d, a.face);
    if (a.size > 0)
        d.size = int16_t(std::min<int32_t>(a.size, INT16_MAX));
    if (a.extended ? a.style >= 0 : a.style > 0)
        d.style = uint16_t(a.style);
    if (a.extended) {
        d.ownColor = a.colour;
        d.colorMode = a.ownColour;
        d.charSet = a.charSet;
    } else if (a.colour == 0xFFFFFFFFu) {
        d.colorMode = 0; // the layer's colour
    } else {
        d.ownColor = a.colour;
        d.colorMode = 1;
    }
    d.rotation = a.rotation;
    d.flags = a.flags;
    TextRecordStore(p, d);
    if (a.string)
        TextObjectTextSet(kernel, text, a.string);
    if (a.anchor) {
        TextObjectPositionSet(kernel, text, a.anchor->x, a.anchor->y);
        if ((p = TextObjectLock(kernel, text)))
            StoreField(p, offsetof(TextObjectData, selected), *a.anchor);
    }
    if (a.extended && (p = TextObjectLock(kernel, text))) {
        const int16_t size = LoadField<int16_t>(p, offsetof(TextObjectData, size));
        if (size != 0) {
            const int32_t height = TextHeightToWindow(window, size, a.flags);
            if ((p = TextObjectLock(kernel, text)))
                StoreField(p, offsetof(TextObjectData, mapHeight), height);
        }
    }
    TextObjectRecalcRect(window, text);
}

int createText(HWND window, OBJHANDLE *out, const Attributes &a)
{
    if (out)
        *out = 0;
    const OBJHANDLE text = createInActiveLayer(window);
    if (!text)
        return 1;
    applyAttributes(window, text, a);
    if (out)
        *out = text;
    return 1;
}

} // namespace

int map_text_Create(HWND window, OBJHANDLE *text, const char *string, const MAP_COORDPT *anchor,
                    const char *face, int32_t size, int style, COLORREF colour, int rotation, int,
                    uint16_t flags, int)
{
    return createText(window, text,
                      Attributes{string, anchor, face, size, style, colour, rotation, flags, false, 0, 0});
}

int map_text_Set(HWND window, OBJHANDLE text, const char *string, const MAP_COORDPT *anchor, const char *face,
                 int32_t size, int style, COLORREF colour, int rotation, int, uint16_t flags, int)
{
    if (!text || !TextObjectLock(kernelOf(window), text))
        return 0;
    applyAttributes(window, text,
                    Attributes{string, anchor, face, size, style, colour, rotation, flags, false, 0, 0});
    return 1;
}

int map_text_CreateEx(HWND window, OBJHANDLE *text, const char *string, const MAP_COORDPT *anchor,
                      const char *face, int32_t size, int style, COLORREF colour, int rotation, int,
                      uint16_t flags, int, uint8_t charSet, int ownColour)
{
    return createText(
        window, text,
        Attributes{string, anchor, face, size, style, colour, rotation, flags, true, charSet, ownColour});
}

int map_text_SetEx(HWND window, OBJHANDLE text, const char *string, const MAP_COORDPT *anchor,
                   const char *face, int32_t size, int style, COLORREF colour, int rotation, int,
                   uint16_t flags, int, uint8_t charSet, int ownColour)
{
    if (!text || !TextObjectLock(kernelOf(window), text))
        return 0;
    applyAttributes(
        window, text,
        Attributes{string, anchor, face, size, style, colour, rotation, flags, true, charSet, ownColour});
    return 1;
}

int map_text_GetEx(HWND window, OBJHANDLE text, uint32_t *length, char *buffer, uint16_t bufferSize,
                   MAP_COORDPT *anchor, char *face, uint16_t faceSize, int32_t *size, int *style,
                   COLORREF *colour, int *rotation, int *escapement, uint16_t *flags, uint8_t *charSet,
                   int *ownColour)
{
    OBJectKernel *kernel = kernelOf(window);
    const char *p = text ? TextObjectLock(kernel, text) : nullptr;
    if (!p)
        return 0;
    const TextObjectData d = TextRecordLoad(p);
    const uint64_t needed = uint64_t(d.textLength & 0xFFFF) + 1;
    if (length)
        *length = uint32_t(needed);
    int copied = 0;
    if (buffer && bufferSize > 0) {
        copied = int(std::min<uint64_t>(bufferSize, needed));
        TextObjectTextGet(kernel, text, buffer, copied);
        buffer[copied - 1] = 0;
    }
    if (face && faceSize > 0) {
        const size_t n = std::min<size_t>(strnlen(d.faceName, sizeof d.faceName), faceSize - 1u);
        std::memcpy(face, d.faceName, n);
        face[n] = 0;
    }
    if (anchor) {
        int32_t x = 0, y = 0;
        TextObjectPositionGet(kernel, text, &x, &y);
        *anchor = {x, y};
    }
    if (size)
        *size = d.size;
    if (style)
        *style = d.style;
    if (colour)
        *colour = d.ownColor;
    if (rotation) {
        int32_t r = 0;
        TextObjectRotationGet(kernel, text, &r);
        *rotation = r;
    }
    if (escapement) {
        int32_t e = 0;
        TextObjectEscapementGet(kernel, text, &e);
        *escapement = e;
    }
    if (flags)
        *flags = d.flags;
    if (charSet)
        *charSet = d.charSet;
    if (ownColour)
        *ownColour = d.colorMode == 1 ? 1 : 0;
    return copied;
}

int map_text_Get(HWND window, OBJHANDLE text, uint32_t *length, char *buffer, uint16_t bufferSize,
                 MAP_COORDPT *anchor, char *face, uint16_t faceSize, int32_t *size, int *style,
                 COLORREF *colour, int *rotation, int *escapement, uint16_t *flags)
{
    return map_text_GetEx(window, text, length, buffer, bufferSize, anchor, face, faceSize, size, style,
                          colour, rotation, escapement, flags, nullptr, nullptr);
}
