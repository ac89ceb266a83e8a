#include "engine/editing/operations/polygon_boolean.h"

#include "engine/editing/beep.h"
#include "engine/editing/hit_tests.h"
#include "engine/editing/operations/operation_support.h"
#include "engine/editing/tools/undo_helpers.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/map_obj_arr.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/window/window_access.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_points.h"
#include "engine/window/window_selection.h"

#include <memory>
#include <vector>

namespace {

struct SetDeleter {
    void operator()(PlgOpResult *set) const { DeletePlgOpResult(set); }
};
using SetPtr = std::unique_ptr<PlgOpResult, SetDeleter>;

PlgOpResult *NewSet(int32_t contours, int32_t points)
{
    auto *set = new PlgOpResult{};
    set->polygons = contours ? new PlgListWithNumPoints[size_t(contours)] : nullptr;
    set->points = points ? new PlgList[size_t(points)] : nullptr;
    set->numPolygons = contours;
    set->totalPoints = points;
    return set;
}

// The registry names of the deletion switches of an operation: polygon
// operands, then polygons inside group operands.
struct DeleteSwitches {
    const char *polygons;
    const char *groups;
};

DeleteSwitches SwitchesOf(int operation)
{
    switch (operation) {
    case PLG_UNION:
        return {"Delete Polygons After Union", "Delete Polygons In Groups After Union"};
    case PLG_INTERSECTION:
        return {"Delete Polygons After Intersection", "Delete Polygons In Groups After Intersection"};
    case PLG_EXCLUSIVE_OR:
        return {"Delete Polygons After Xor", "Delete Polygons In Groups After Xor"};
    default:
        return {"Delete First Polygon After Complement", "Delete Polygons In First Group After Complement"};
    }
}

void DeleteObject(HWND window, OBJectKernel *kernel, OBJHANDLE object, int undo)
{
    if (undo)
        Undo_DeleteTree(kernel, object);
    else
        map_objects_Delete(window, &object, 1, 0);
}

std::vector<OBJHANDLE> Members(OBJectKernel *kernel, OBJHANDLE group)
{
    std::vector<OBJHANDLE> out;
    int32_t pos = -1;
    while (OBJHANDLE h = GetReference(kernel, group, REF_GROUP_MEMBER, &pos))
        out.push_back(h);
    return out;
}

// The group directly holding the object, 0 when none.
OBJHANDLE ParentGroup(const MapDoc &doc, OBJHANDLE object)
{
    int32_t pos = -1;
    const OBJHANDLE parent = GetReference(doc.kernel, object, REF_GROUP_PARENT, &pos);
    return doc.is(parent, CLASS_GROUP) ? parent : 0;
}

OBJHANDLE OutermostGroup(const MapDoc &doc, OBJHANDLE object)
{
    OBJHANDLE top = 0;
    for (int depth = 0; depth < kMaxSetDepth; ++depth) {
        const OBJHANDLE parent = ParentGroup(doc, object);
        if (!parent)
            break;
        top = object = parent;
    }
    return top;
}

bool GroupHoldsPolygon(const MapDoc &doc, OBJHANDLE group)
{
    for (OBJHANDLE h : GroupLeaves(doc.kernel, group))
        if (doc.classOf(h) == CLASS_POLYGON)
            return true;
    return false;
}

// The set of a polygon or a group operand; null for anything else.
PlgOpResult *OperandSet(const MapDoc &doc, OBJHANDLE object, bool allowPolyline)
{
    const uint16_t classId = doc.classOf(object);
    if (classId == CLASS_GROUP)
        return PlgOpResultFromGroup(doc.kernel, object);
    return PlgOpResultFromPolygon(doc.kernel, object, allowPolyline);
}

void DeleteBySettings(HWND window, const MapDoc &doc, OBJHANDLE object, int operation, int undo)
{
    const DeleteSwitches names = SwitchesOf(operation);
    const uint16_t classId = doc.classOf(object);
    if (classId == CLASS_POLYGON && EngineSettingInt(names.polygons, 0))
        DeleteObject(window, doc.kernel, object, undo);
    else if (classId == CLASS_GROUP && EngineSettingInt(names.groups, 0))
        DeleteGroupPolygons(window, object, 0, undo);
}

void DeleteOperand(HWND window, const MapDoc &doc, OBJHANDLE object, int undo)
{
    if (doc.classOf(object) == CLASS_GROUP)
        DeleteGroupPolygons(window, object, 0, undo);
    else
        DeleteObject(window, doc.kernel, object, undo);
}

// The selection's inputs deleted by the settings of the operation.
void DeleteSelectionInputs(HWND window, const MapDoc &doc, int operation, int undo)
{
    const DeleteSwitches names = SwitchesOf(operation);
    const bool polygons = EngineSettingInt(names.polygons, 0) != 0;
    const bool groups = EngineSettingInt(names.groups, 0) != 0;
    if (!polygons && !groups)
        return;
    std::vector<OBJHANDLE> listed;
    for (OBJHANDLE h : SelectedObjects(window)) {
        const uint16_t classId = doc.classOf(h);
        if ((classId == CLASS_POLYGON && polygons) || (classId == CLASS_GROUP && groups))
            listed.push_back(h);
    }
    for (OBJHANDLE h : listed) {
        if (doc.classOf(h) == CLASS_POLYGON)
            DeleteObject(window, doc.kernel, h, undo);
        else if (doc.classOf(h) == CLASS_GROUP)
            DeleteGroupPolygons(window, h, 0, undo);
    }
}

SetPtr Combine(const PlgOpResult *a, const PlgOpResult *b, int operation, bool &complete)
{
    PlgOpStatus status = PLG_OP_OK;
    SetPtr out(main_polygon_logical(a, b, operation, &status));
    complete = complete && status == PLG_OP_OK;
    return out;
}

void UnselectAll(HWND window, const MapDoc &doc) { SetOfObjectsUnSelect(window, doc.root(CLASS_LAYERS)); }

// Progress of the selection commands: kind 9 announced, then percentages.
class Progress {
public:
    explicit Progress(HWND window) : window_(window)
    {
        SendProgress(window_, MAPN_KIND_BUFFER, MAPN_PROGRESS_START);
        SendProgress(window_, MAPN_KIND_RUNNING, 0);
    }
    ~Progress() { SendProgress(window_, MAPN_KIND_RUNNING, MAPN_PROGRESS_END); }
    void add(double amount)
    {
        value_ += amount;
        SendProgress(window_, MAPN_KIND_RUNNING, LPARAM(value_));
    }
    void set(double value)
    {
        value_ = value;
        SendProgress(window_, MAPN_KIND_RUNNING, LPARAM(value_));
    }

private:
    HWND window_;
    double value_ = 0.0;
};

void UnionOrIntersection(HWND window, const MapDoc &doc, int operation)
{
    WaitCursorScope wait;
    Progress progress(window);
    const double step = 90.0 / (2.0 * CountSelectedPolygonItems(window));
    MAP_COORDRECT before{};
    SelectionBounds(window, before);

    SetPtr accumulated;
    bool complete = true;
    for (OBJHANDLE h : SelectedObjects(window)) {
        const uint16_t classId = doc.classOf(h);
        if (classId != CLASS_POLYGON && classId != CLASS_GROUP)
            continue;
        SetPtr set(OperandSet(doc, h, false));
        if (!set || set->numPolygons == 0)
            continue;
        if (!accumulated) {
            accumulated = std::move(set);
            continue;
        }
        progress.add(step);
        accumulated = Combine(accumulated.get(), set.get(), operation, complete);
        progress.add(step);
    }
    UndoRecordSelection(window);
    // Inputs go only when the result is whole: a partial answer must not
    // cost the user the polygons it came from.
    if (complete)
        DeleteSelectionInputs(window, doc, operation, 1);
    UnselectAll(window, doc);
    DisplaySelectAndDelPolygonStruct(window, accumulated.release(), nullptr, 1, 1);

    InvalidateMapArea(window, before);
    MAP_COORDRECT after{};
    SelectionBounds(window, after);
    InvalidateMapArea(window, after);
}

void ExclusiveOr(HWND window, const MapDoc &doc)
{
    WaitCursorScope wait;
    Progress progress(window);
    const double step = 90.0 / (2.0 * CountSelectedPolygonItems(window));
    MAP_COORDRECT before{};
    SelectionBounds(window, before);

    std::vector<SetPtr> sets;
    for (OBJHANDLE h : SelectedObjects(window)) {
        const uint16_t classId = doc.classOf(h);
        if (classId == CLASS_POLYGON || classId == CLASS_GROUP) {
            SetPtr set(OperandSet(doc, h, false));
            if (set && set->numPolygons > 0)
                sets.push_back(std::move(set));
        }
        progress.add(step);
    }
    // Each item less every other: the parts covered by exactly one item.
    bool complete = true;
    std::vector<SetPtr> pieces;
    for (size_t i = 0; i < sets.size(); ++i) {
        SetPtr rest(PlgOpResultCopy(sets[i].get()));
        for (size_t j = 0; j < sets.size(); ++j)
            if (j != i)
                rest = Combine(rest.get(), sets[j].get(), PLG_A_MINUS_B, complete);
        pieces.push_back(std::move(rest));
    }
    UndoRecordSelection(window);
    if (complete)
        DeleteSelectionInputs(window, doc, PLG_EXCLUSIVE_OR, 1);
    progress.add(5);
    UnselectAll(window, doc);
    for (SetPtr &piece : pieces) {
        DisplaySelectAndDelPolygonStruct(window, piece.release(), nullptr, 1, 1);
        progress.add(step);
    }
    InvalidateMapArea(window, before);
    MAP_COORDRECT after{};
    SelectionBounds(window, after);
    InvalidateMapArea(window, after);
}

int OperationOfCommand(int command)
{
    switch (command) {
    case kCommandUnion:
        return PLG_UNION;
    case kCommandIntersection:
        return PLG_INTERSECTION;
    case kCommandComplement:
        return PLG_A_MINUS_B;
    case kCommandXor:
        return PLG_EXCLUSIVE_OR;
    default:
        return 0;
    }
}

uint16_t UndoCodeOfCommand(int command)
{
    switch (command) {
    case kCommandUnion:
        return kUndoUnion;
    case kCommandIntersection:
        return kUndoIntersection;
    case kCommandComplement:
        return kUndoComplement;
    default:
        return kUndoXor;
    }
}

// The operation between a first operand and a clicked object.
int PairOperation(HWND window, OBJHANDLE first, OBJHANDLE second, int operation, bool bySettings, int undo)
{
    const MapDoc doc(window);
    if (!doc || !first || !second || first == second)
        return 0;
    auto valid = [&](OBJHANDLE h) {
        const uint16_t c = doc.classOf(h);
        return c == CLASS_POLYGON || c == CLASS_GROUP || (!bySettings && c == CLASS_POLYLINE);
    };
    if (!valid(first) || !valid(second))
        return 0;
    // A member of a group stands for the outermost group that holds it.
    OBJHANDLE secondOperand = second;
    if (doc.classOf(second) != CLASS_GROUP)
        if (const OBJHANDLE top = OutermostGroup(doc, second))
            secondOperand = top;
    SetPtr a(OperandSet(doc, first, !bySettings));
    SetPtr b(OperandSet(doc, secondOperand, !bySettings));
    if (!a || !b)
        return 0;

    WaitCursorScope wait;
    SendProgress(window, MAPN_KIND_BUFFER, MAPN_PROGRESS_START);
    MAP_COORDRECT firstRect{}, secondRect{};
    map_object_boundrect_Get(window, first, &firstRect);
    map_object_boundrect_Get(window, secondOperand, &secondRect);

    bool complete = true;
    std::vector<PlgOpResult *> made;
    SendProgress(window, MAPN_KIND_RUNNING, 25);
    // Formed before anything is deleted, so that a failed operation can
    // keep its inputs; exclusive or makes first minus second into polygons
    // first and then second minus first.
    SetPtr result;
    if (operation == PLG_EXCLUSIVE_OR) {
        made.push_back(Combine(a.get(), b.get(), PLG_A_MINUS_B, complete).release());
        result = Combine(b.get(), a.get(), PLG_A_MINUS_B, complete);
    } else {
        result = Combine(a.get(), b.get(), operation, complete);
    }
    if (undo)
        UndoRecordSelection(window);
    if (bySettings && complete) {
        DeleteBySettings(window, doc, first, operation, undo);
        if (operation != PLG_A_MINUS_B)
            DeleteBySettings(window, doc, secondOperand, operation, undo);
    }
    UnselectAll(window, doc);
    SendProgress(window, MAPN_KIND_RUNNING, 50);
    for (PlgOpResult *set : made)
        DisplaySelectAndDelPolygonStruct(window, set, nullptr, 1, undo);
    SendProgress(window, MAPN_KIND_RUNNING, 80);
    DisplaySelectAndDelPolygonStruct(window, result.release(), nullptr, 1, undo);
    InvalidateMapArea(window, firstRect);
    InvalidateMapArea(window, secondRect);
    SendProgress(window, MAPN_KIND_RUNNING, MAPN_PROGRESS_END);
    return 1;
}

} // namespace

PlgOpResult *PlgOpResultFromPolygon(OBJectKernel *kernel, OBJHANDLE polygon, bool allowPolyline)
{
    PointSetAccess access;
    if (!LockPointSet(kernel, polygon, access) || access.count == 0)
        return nullptr;
    const uint16_t classId = GetOBJectClassID(kernel, polygon);
    if (classId != CLASS_POLYGON && !(allowPolyline && classId == CLASS_POLYLINE))
        return nullptr;
    PlgOpResult *set = NewSet(1, int32_t(access.count));
    set->polygons[0].firstPoint = 0;
    set->polygons[0].numPoints = int32_t(access.count);
    for (uint32_t i = 0; i < access.count; ++i) {
        const MAP_COORDPT p = access.at(i);
        set->points[i].x = p.x;
        set->points[i].y = p.y;
    }
    return set;
}

PlgOpResult *PlgOpResultConcat(const PlgOpResult *a, const PlgOpResult *b)
{
    const PlgOpResult none{};
    if (!a)
        a = &none;
    if (!b)
        b = &none;
    PlgOpResult *set = NewSet(a->numPolygons + b->numPolygons, a->totalPoints + b->totalPoints);
    for (int32_t i = 0; i < a->totalPoints; ++i)
        set->points[i] = a->points[i];
    for (int32_t i = 0; i < b->totalPoints; ++i)
        set->points[a->totalPoints + i] = b->points[i];
    for (int32_t i = 0; i < a->numPolygons; ++i)
        set->polygons[i] = a->polygons[i];
    for (int32_t i = 0; i < b->numPolygons; ++i) {
        set->polygons[a->numPolygons + i].firstPoint = b->polygons[i].firstPoint + a->totalPoints;
        set->polygons[a->numPolygons + i].numPoints = b->polygons[i].numPoints;
    }
    return set;
}

PlgOpResult *PlgOpResultCopy(const PlgOpResult *set) { return PlgOpResultConcat(set, nullptr); }

PlgOpResult *PlgOpResultFromGroup(OBJectKernel *kernel, OBJHANDLE group)
{
    PlgOpResult *set = NewSet(0, 0);
    for (OBJHANDLE h : GroupLeaves(kernel, group)) {
        if (GetOBJectClassID(kernel, h) != CLASS_POLYGON)
            continue;
        SetPtr one(PlgOpResultFromPolygon(kernel, h));
        if (!one)
            continue;
        PlgOpResult *joined = PlgOpResultConcat(set, one.get());
        DeletePlgOpResult(set);
        set = joined;
    }
    return set;
}

void DisplaySelectAndDelPolygonStruct(HWND window, PlgOpResult *set, CMapObjArr *result, int select, int undo)
{
    SetPtr owned(set);
    const MapDoc doc(window);
    if (!doc || !set)
        return;
    for (int32_t c = 0; c < set->numPolygons; ++c) {
        const PlgListWithNumPoints &contour = set->polygons[c];
        if (contour.numPoints <= 0 || contour.firstPoint < 0 ||
            int64_t(contour.firstPoint) + contour.numPoints > set->totalPoints)
            continue;
        std::vector<MAP_COORDPT> points(size_t(contour.numPoints));
        for (int32_t i = 0; i < contour.numPoints; ++i)
            points[size_t(i)] = {set->points[contour.firstPoint + i].x,
                                 set->points[contour.firstPoint + i].y};
        OBJHANDLE h = 0;
        if (!map_polygon_Create(window, &h, points.data(), contour.numPoints, 0) || !h)
            continue;
        if (undo)
            Undo_AddNew(doc.kernel, h);
        if (result)
            result->Add(h);
        if (select)
            SetSelection(window, &h, 1, 1, 0);
    }
}

void DeleteGroupPolygons(HWND window, OBJHANDLE group, OBJHANDLE enclosing, int undo)
{
    const MapDoc doc(window);
    if (!doc.is(group, CLASS_GROUP))
        return;
    map_selection_Clear(window, 0);
    const std::vector<OBJHANDLE> members = Members(doc.kernel, group);
    if (members.empty())
        return;
    for (OBJHANDLE h : members) {
        const uint16_t classId = doc.classOf(h);
        if (classId == CLASS_POLYGON)
            DeleteObject(window, doc.kernel, h, undo);
        else if (classId == CLASS_GROUP)
            DeleteGroupPolygons(window, h, group, undo);
    }
    auto deleteGroupObject = [&](OBJHANDLE g) {
        if (undo)
            Undo_DeleteOBJect(doc.kernel, g);
        else
            map_objects_Delete(window, &g, 1, 0);
    };
    const std::vector<OBJHANDLE> left = Members(doc.kernel, group);
    if (left.empty()) {
        DeleteObject(window, doc.kernel, group, undo);
        return;
    }
    if (left.size() > 1)
        return;
    OBJHANDLE member = left[0];
    if (enclosing) {
        if (undo) {
            Undo_ChangeObject(doc.kernel, member);
            Undo_ChangeObject(doc.kernel, enclosing);
            Undo_ChangeObject(doc.kernel, group);
        }
        map_group_Set(window, enclosing, &member, 1, 0, 0);
        deleteGroupObject(group);
        return;
    }
    if (doc.classOf(member) == CLASS_GROUP) {
        const std::vector<OBJHANDLE> inner = Members(doc.kernel, member);
        if (undo) {
            Undo_ChangeObject(doc.kernel, member);
            Undo_ChangeObject(doc.kernel, group);
            for (OBJHANDLE h : inner)
                Undo_ChangeObject(doc.kernel, h);
        }
        if (!inner.empty())
            map_group_Set(window, group, inner.data(), int32_t(inner.size()), 0, 0);
        deleteGroupObject(member);
        return;
    }
    if (undo) {
        Undo_DeleteOBJect(doc.kernel, group);
        return;
    }
    map_objects_Ungroup(window, &member, 1, 0);
    SetSelection(window, &member, 1, 1, 0);
    map_objects_Delete(window, &group, 1, 0);
}

int CountSelectedPolygonItems(HWND window)
{
    const MapDoc doc(window);
    int count = 0;
    for (OBJHANDLE h : SelectedObjects(window)) {
        const uint16_t classId = doc.classOf(h);
        if (classId == CLASS_POLYGON || (classId == CLASS_GROUP && GroupHoldsPolygon(doc, h)))
            ++count;
    }
    return count;
}

int SelectedPolygonsLogicalOper(HWND window, int command)
{
    const MapDoc doc(window);
    if (!doc || command == kCommandComplement || !OperationOfCommand(command))
        return 0;
    if (CountSelectedPolygonItems(window) < 2)
        return 0;
    UndoStepScope step(window);
    if (command == kCommandXor)
        ExclusiveOr(window, doc);
    else
        UnionOrIntersection(window, doc, OperationOfCommand(command));
    step.Close(UndoCodeOfCommand(command));
    return 1;
}

int PolygonOperationInDLL(HWND window, unsigned int, POINT point, int command)
{
    const int operation = OperationOfCommand(command);
    const MapDoc doc(window);
    if (!operation || !doc)
        return 0;
    const std::vector<OBJHANDLE> selected = SelectedObjects(window);
    const OBJHANDLE first = selected.empty() ? 0 : selected.front();

    OBJHANDLE clicked = 0;
    _COORDPT map{};
    POINT seek = point;
    if (DisplayPointSeek(window, &seek, &map)) {
        OBJHANDLE set = doc.root(CLASS_LAYERS);
        int32_t index = -1;
        SetOfObjectsFindVertex(doc.kernel, &set, doc.rec->displayView, &seek, &map, &clicked, &index, 0);
    } else {
        _COORDPT kept[2]{};
        SelListPointsGet(window, &kept[0], &kept[1]);
        OBJHANDLE set = doc.root(CLASS_LAYERS);
        int32_t index = -1;
        SetOfObjectsFindInsidePoint(doc.kernel, &set, &kept[0], &clicked, &index, 0);
    }
    if (!clicked || clicked == first) {
        EditingBeep();
        return 1;
    }
    UndoStepScope step(window);
    if (PairOperation(window, first, clicked, operation, true, 1))
        step.Close(UndoCodeOfCommand(command));
    return 1;
}

int PolygonBooleanOperation(HWND window, OBJHANDLE first, OBJHANDLE second, CMapObjArr *result, int operation,
                            int deleteInputs, int bySettings, int select, int undo)
{
    const MapDoc doc(window);
    if (!doc || !first || !second || first == second)
        return 0;
    if (operation < PLG_UNION || operation > PLG_A_MINUS_B)
        return 0;
    auto valid = [&](OBJHANDLE h) {
        const uint16_t c = doc.classOf(h);
        return c == CLASS_POLYGON || c == CLASS_GROUP;
    };
    if (!valid(first) || !valid(second))
        return 0;
    SetPtr a(OperandSet(doc, first, false));
    SetPtr b(OperandSet(doc, second, false));
    if (!a || !b)
        return 0;
    if (undo && select)
        UndoRecordSelection(window);
    bool complete = true;
    std::vector<PlgOpResult *> made;
    SetPtr formed;
    if (operation == PLG_EXCLUSIVE_OR) {
        made.push_back(Combine(a.get(), b.get(), PLG_A_MINUS_B, complete).release());
        formed = Combine(b.get(), a.get(), PLG_A_MINUS_B, complete);
    } else {
        formed = Combine(a.get(), b.get(), operation, complete);
    }
    if (complete) {
        if (deleteInputs)
            DeleteOperand(window, doc, first, undo);
        else if (bySettings)
            DeleteBySettings(window, doc, first, operation, undo);
        if (operation != PLG_A_MINUS_B) {
            if (deleteInputs)
                DeleteOperand(window, doc, second, undo);
            else if (bySettings)
                DeleteBySettings(window, doc, second, operation, undo);
        }
    }
    for (PlgOpResult *set : made)
        DisplaySelectAndDelPolygonStruct(window, set, result, select, undo);
    DisplaySelectAndDelPolygonStruct(window, formed.release(), result, select, undo);
    return 1;
}
