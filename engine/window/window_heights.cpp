#include "engine/window/window_heights.h"

#include "engine/window/window_access.h"

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
