#include "engine/window/window_heights.h"

#include "engine/kernel/object_classes.h"
#include "engine/view/text/text_object.h"
#include "engine/window/window_access.h"
#include "engine/window/window_text.h"

extern "C" {

void Init3dBoundRect(MAP3D_COORDCUBE *cube)
{
    if (cube)
        *cube = kEmptyCube;
}

void z_InitBounds(Z_BOUNDS *range) { InitZB(range); }

int z_SumBounds(Z_BOUNDS *range, const Z_BOUNDS *other)
{
    if (!range || !other || other->low > other->high)
        return 0;
    const int low = z_ToBounds(range, other->low);
    const int high = z_ToBounds(range, other->high);
    return low || high ? 1 : 0;
}

int map3d_is_object_3d(HWND window, OBJHANDLE object)
{
    const MapDoc doc(window);
    return doc.classOf(object) && IsObject3d(doc.kernel, object) ? 1 : 0;
}

} // extern "C"

namespace {

// Gives the text the height z and tells its containers.
void setTextHeight(const MapDoc &doc, OBJHANDLE text, int32_t z)
{
    char *p = TextObjectLock(doc.kernel, text);
    if (!p)
        return;
    Z_BOUNDS before;
    InitZB(&before);
    SendOBJectMessage(doc.kernel, text, text, 0, GRM_GETZRANGE, 0, LPARAM(&before));
    TextObjectData d = TextRecordLoad(p);
    d.heightFlags |= 1;
    d.height = z;
    d.heightRange = {z, z};
    TextRecordStore(p, d);
    SendOBJectMessage(doc.kernel, text, text, 0, GRM_ZCHANGED, 0, LPARAM(&before));
}

} // namespace

extern "C" {

int map3d_text_Create(HWND window, OBJHANDLE *text, const char *string, const MAP3D_COORDPT *anchor,
                      const char *face, int32_t size, int style, COLORREF colour, int rotation, int unused,
                      uint16_t flags, int reserved)
{
    OBJHANDLE made = 0;
    const MAP_COORDPT at = anchor ? MAP_COORDPT{anchor->x, anchor->y} : MAP_COORDPT{0, 0};
    const int result = map_text_Create(window, &made, string, anchor ? &at : nullptr, face, size, style,
                                       colour, rotation, unused, flags, reserved);
    if (made && anchor)
        setTextHeight(MapDoc(window), made, anchor->z);
    if (text)
        *text = made;
    return result;
}

int map3d_text_Set(HWND window, OBJHANDLE text, const char *string, const MAP3D_COORDPT *anchor,
                   const char *face, int32_t size, int style, COLORREF colour, int rotation, int unused,
                   uint16_t flags, int reserved)
{
    const MAP_COORDPT at = anchor ? MAP_COORDPT{anchor->x, anchor->y} : MAP_COORDPT{0, 0};
    const int result = map_text_Set(window, text, string, anchor ? &at : nullptr, face, size, style, colour,
                                    rotation, unused, flags, reserved);
    if (result && anchor)
        setTextHeight(MapDoc(window), text, anchor->z);
    return result;
}

int map3d_text_Get(HWND window, OBJHANDLE text, uint32_t *length, char *buffer, uint16_t bufferSize,
                   MAP3D_COORDPT *anchor, char *face, uint16_t faceSize, int32_t *size, int *style,
                   COLORREF *colour, int *rotation, int *escapement, uint16_t *flags)
{
    const MapDoc doc(window);
    const char *p = doc.is(text, CLASS_TEXT) ? TextObjectLock(doc.kernel, text) : nullptr;
    if (!p)
        return 0;
    MAP_COORDPT at{0, 0};
    const int result = map_text_Get(window, text, length, buffer, bufferSize, &at, face, faceSize, size,
                                    style, colour, rotation, escapement, flags);
    if (anchor) {
        const TextObjectData d = TextRecordLoad(TextObjectLock(doc.kernel, text));
        *anchor = {at.x, at.y, (d.heightFlags & 1) ? d.height : 0};
    }
    return result;
}

} // extern "C"
