#include "engine/kernel/selection_measures.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers_support.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/unimplemented.h"

using namespace docmodel;

namespace {

// Adds the measure of one kind to its total while its switch is on.
int addMeasure(OBJectKernel *kernel, HWND window, OBJHANDLE object, int add, uint32_t kind)
{
    if (!kernel || !window || !object)
        return 0;
    const SelectionMeasureState m = MeasuresOf(window);
    int32_t *on = kind == SUMMEASURE_AREA ? m.areaOn : m.lengthOn;
    if (!on || !*on)
        return 0;
    double value = 0;
    SendOBJectMessage(kernel, 0, object, REF_FILTER_FORWARD, GRM_SUMMEASURE, SUMMEASURE_ALL | kind,
                      LPARAM(&value));
    // The message may have reached the window; look the record up again.
    const SelectionMeasureState after = MeasuresOf(window);
    double *total = kind == SUMMEASURE_AREA ? after.area : after.length;
    if (!total)
        return 0;
    *total += add ? value : -value;
    return 1;
}

// Width x height of a rectangle that has a positive width, else 0. The
// differences are taken in 64 bits: a few kilometres in centimetres already
// overflow a 32-bit product.
double rectArea(const _COORDRECT &r)
{
    if (r.x2 <= r.x1)
        return 0;
    return double(int64_t(r.x2) - r.x1) * double(int64_t(r.y2) - r.y1);
}

} // namespace

int SelectionMeasuresUpdate(OBJectKernel *kernel, HWND window, OBJHANDLE, OBJHANDLE object, int add)
{
    if (!kernel)
        return 0;
    ChangeCounterBump();
    SelectionAreaAdd(kernel, window, object, add);
    SelectionLengthAdd(kernel, window, object, add);
    return 1;
}

int SelectionAreaAdd(OBJectKernel *kernel, HWND window, OBJHANDLE object, int add)
{
    return addMeasure(kernel, window, object, add, SUMMEASURE_AREA);
}

int SelectionLengthAdd(OBJectKernel *kernel, HWND window, OBJHANDLE object, int add)
{
    return addMeasure(kernel, window, object, add, SUMMEASURE_LENGTH);
}

int SelectionAreaRectChanged(OBJectKernel *kernel, OBJHANDLE object, const _COORDRECT *old)
{
    if (!kernel || !object || ClassOf(kernel, object) == CLASS_TEXT)
        return 0;
    const HWND window = GetOBJectWnd(kernel, object);
    const _WNDRES *record = window ? GetWndRes(window) : nullptr;
    if (!record || !record->displayView)
        return 0;
    _COORDRECT now;
    WorldRectInit(&now);
    SendOBJectMessage(kernel, 0, object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&now));
    const double change = rectArea(now) - (old ? rectArea(*old) : 0.0);
    const SelectionMeasureState m = MeasuresOf(window);
    if (m.areaOn && *m.areaOn)
        *m.area += change;
    return 1;
}

void SelectionMeasuresObjectInvalidated(OBJectKernel *kernel, OBJHANDLE object, const _COORDRECT *old)
{
    const uint16_t cls = ClassOf(kernel, object);
    if (!cls || cls == CLASS_POLYGON || cls == CLASS_POLYLINE ||
        GetNumberOfReferencesFrom(kernel, object, REF_SELECTED_BACK) == 0)
        return;
    ChangeCounterBump();
    const SelectionMeasureState m = MeasuresOf(GetOBJectWnd(kernel, object));
    if (m.areaOn && *m.areaOn)
        SelectionAreaRectChanged(kernel, object, old);
}

void SelectionMeasuresClear(HWND window)
{
    const SelectionMeasureState m = MeasuresOf(window);
    if (!m.area)
        return;
    *m.area = 0;
    *m.length = 0;
}
