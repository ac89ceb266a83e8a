#include "engine/editing/operations/polygon_orientation.h"

#include "engine/editing/operations/operation_support.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/undo.h"
#include "engine/window/window_access.h"
#include "engine/window/window_points.h"
#include "platform/message_box.h"

#include <algorithm>
#include <vector>

namespace {

void Orient(HWND window, bool clockwise)
{
    const MapDoc doc(window);
    if (!doc)
        return;
    UndoStepScope step(window);
    for (OBJHANDLE h : SelectedObjects(window)) {
        if (doc.classOf(h) != CLASS_POLYGON)
            continue;
        int32_t total = 0;
        map_polygon_Get(window, h, &total, nullptr, 0);
        if (total <= 0)
            continue;
        std::vector<MAP_COORDPT> points(static_cast<size_t>(total));
        points.resize(size_t(map_polygon_Get(window, h, &total, points.data(), total)));
        // A ring of no area counts as counter-clockwise.
        const bool isClockwise = SetOfLinesegmentArea(uint32_t(points.size()), points.data()) > 0.0;
        const char *text;
        if (isClockwise == clockwise) {
            text = clockwise ? "POLYGON IS CLOCKWISE.!\n" : "POLYGON IS COUNTERCLOCKWISE.!\n";
        } else {
            std::reverse(points.begin(), points.end());
            Undo_ChangeObject(doc.kernel, h);
            map_polygon_Set(window, h, points.data(), int32_t(points.size()), 0);
            text = clockwise ? "SETTING CLOCKWISTE.!\n" : "SETTINTG COUNTERCLOCKWISE.!\n";
        }
        MessageBoxA(window, text, "Information !", MB_ICONINFORMATION);
    }
    // The reversals are recorded, so that undo and the modified mark (and
    // with it the question to save) know of them.
    step.Close(kUndoTransformations);
}

} // namespace

void SetSelPolygonsClockwise(HWND window) { Orient(window, true); }

void SetSelPolygonsCounterClockwise(HWND window) { Orient(window, false); }
