#include "engine/editing/tools/transformation_model.h"

#include "engine/editing/tools/nail.h"
#include "engine/editing/tools/transform.h"
#include "engine/editing/tools/undo_helpers.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/number_format.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/unit_text.h"
#include "engine/window/window_objects.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

MAP_COORDRECT selectionRect(HWND window, OBJectKernel *kernel)
{
    MAP_COORDRECT r = kEmptyBoundRect;
    if (const OBJHANDLE list = GetRootOBJect(window, CLASS_SELLIST))
        SendOBJectMessage(kernel, list, list, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    return r;
}

bool isEmpty(const MAP_COORDRECT &r) { return r.x1 > r.x2 || r.y1 > r.y2; }

MAP_COORDPT middle(const MAP_COORDRECT &r)
{
    return {int32_t((int64_t(r.x1) + r.x2) / 2), int32_t((int64_t(r.y1) + r.y2) / 2)};
}

} // namespace

TransformationModel::TransformationModel(HWND window) : window_(window)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return;
    decimal_ = rec->decimalChar ? rec->decimalChar : '.';
    if (rec->displayView)
        unit_ = rec->displayView->projection.baseUnit;
    nail_ = GetNailOBJFromPage(window);
    NailRecord n{};
    if (NailRead(rec->kernel, nail_, &n)) {
        initial_.centreX = n.centre.x;
        initial_.centreY = n.centre.y;
        initial_.shiftX = n.shiftX;
        initial_.shiftY = n.shiftY;
        initial_.scaleX = initial_.scaleY = n.scale;
        initial_.angle = n.angle;
        initial_.rotateFree = n.rotationFree != 0;
        initial_.scaleFree = n.scalingFree != 0;
        return;
    }
    MAP_COORDRECT r = selectionRect(window, rec->kernel);
    if (isEmpty(r) && (!map_object_boundrect_Get(window, 0, &r) || isEmpty(r)))
        r = {0, 0, 0, 0};
    const MAP_COORDPT c = middle(r);
    initial_.centreX = c.x;
    initial_.centreY = c.y;
}

std::string TransformationModel::CoordinateText(int32_t value) const
{
    char text[256] = {};
    if (!PM_UnitValueToText(unit_, value, text))
        return std::to_string(value);
    return text;
}

bool TransformationModel::ParseCoordinate(const std::string &text, int32_t *value) const
{
    if (PM_TextToUnitValue(unit_, value, text.c_str()))
        return true;
    char *end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || v < INT32_MIN || v > INT32_MAX)
        return false;
    *value = int32_t(v);
    return true;
}

std::string TransformationModel::NumberText(double value) const
{
    char text[64] = {};
    if (!FloatPrintDigits(text, sizeof text, value, 3, decimal_, 1, 0))
        return "0";
    return text;
}

double TransformationModel::ParseNumber(const std::string &text) const
{
    std::string t = text.substr(0, 63);
    if (const size_t at = t.find(decimal_); at != std::string::npos)
        t[at] = '.';
    const double v = std::atof(t.c_str());
    return std::isfinite(v) ? v : 0.0;
}

double TransformationModel::ParseScale(const std::string &text) const
{
    const double v = ParseNumber(text);
    return v == 0.0 ? 1.0 : v;
}

int TransformationModel::Apply(const TransformationValues &typed)
{
    _WNDRES *rec = GetWndRes(window_);
    if (!rec || !rec->kernel)
        return 0;
    OBJectKernel *kernel = rec->kernel;
    TransformationValues v = typed;
    if (v.scaleX == 0.0)
        v.scaleX = 1.0;
    if (v.scaleY == 0.0)
        v.scaleY = 1.0;
    NailRecord n{};
    if (NailRead(kernel, nail_, &n)) {
        // The nail keeps what was typed, also what the switches leave unused.
        const bool moved = n.centre.x != v.centreX || n.centre.y != v.centreY;
        MAP_COORDRECT before = n.bound;
        n.shiftX = v.shiftX;
        n.shiftY = v.shiftY;
        n.scale = v.scaleX;
        n.angle = v.angle;
        n.rotationFree = v.rotateFree ? 1 : 0;
        n.scalingFree = v.scaleFree ? 1 : 0;
        NailWrite(kernel, nail_, n);
        const MAP_COORDPT centre{v.centreX, v.centreY};
        SendOBJectMessage(kernel, nail_, nail_, 0, GRM_NAILSETPOINT, 0, LPARAM(&centre));
        if (moved) {
            MAP_COORDRECT after = before;
            SendOBJectMessage(kernel, nail_, nail_, 0, GRM_GETBOUNDRECT, 0, LPARAM(&after));
            InvalidateGraphRect(window_, &before, 1);
            InvalidateGraphRect(window_, &after, 1);
        }
    }
    const double angle = v.rotateFree ? v.angle : 0.0;
    const double sx = v.scaleFree ? v.scaleX : 1.0, sy = v.scaleFree ? v.scaleY : 1.0;
    const int done = TransformSelection(window_, v.centreX, v.centreY, v.shiftX, v.shiftY, sx, sy, angle, 1);
    Undo_SetNewStep(window_, kernel, UNDO_OP_TRANSFORMATIONS);
    MarkMapModified(window_);
    return done;
}
