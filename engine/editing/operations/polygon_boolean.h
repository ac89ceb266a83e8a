// Boolean operations on selected polygons: union, intersection, exclusive or
// and complement of polygon objects and groups of polygons through the
// polygon engine. Every contour of a result becomes a polygon object of the
// active layer; the operands are deleted when the user's settings ask for
// it. Commands close their own undo step; PolygonBooleanOperation leaves
// that to its caller.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "engine/polygon/polygon_logical.h"
#include "platform/types.h"

#include <cstdint>

class CMapObjArr;

// Command numbers of the control and the undo codes that close them.
inline constexpr int kCommandUnion = 405;
inline constexpr int kCommandIntersection = 406;
inline constexpr int kCommandComplement = 407;
inline constexpr int kCommandXor = 455;
inline constexpr uint16_t kUndoUnion = 203;
inline constexpr uint16_t kUndoIntersection = 204;
inline constexpr uint16_t kUndoXor = 205;
inline constexpr uint16_t kUndoComplement = 214;

// The set of one polygon (one contour, its points in stored order); null
// for anything but a polygon with points. With allowPolyline a polyline's
// points make a contour too.
PlgOpResult *PlgOpResultFromPolygon(OBJectKernel *kernel, OBJHANDLE polygon, bool allowPolyline = false);
// The polygons of a group at every depth, depth first in member order;
// never null (a group without polygons gives no contours).
PlgOpResult *PlgOpResultFromGroup(OBJectKernel *kernel, OBJHANDLE group);
// A new set: a's contours, then b's with their first indexes shifted. The
// inputs stay.
PlgOpResult *PlgOpResultConcat(const PlgOpResult *a, const PlgOpResult *b);
// A deep copy.
PlgOpResult *PlgOpResultCopy(const PlgOpResult *set);

// Creates one polygon per contour in the active layer (recorded as added
// with undo, appended to result when given, added to the selection with
// select) and frees the set.
void DisplaySelectAndDelPolygonStruct(HWND window, PlgOpResult *set, CMapObjArr *result, int select,
                                      int undo);

// Deletes the polygons of a group at every depth and tidies what is left
// (an emptied group goes, a group left with one member is dissolved).
void DeleteGroupPolygons(HWND window, OBJHANDLE group, OBJHANDLE enclosing, int undo);

// Selected polygons plus selected groups that hold a polygon at any depth.
int CountSelectedPolygonItems(HWND window);

// The selection command 405, 406 or 455: 1 when it ran, 0 for fewer than
// two polygon items or another number. Complement over a selection (407)
// has no meaning and gives 0, so that the caller waits for a click.
int SelectedPolygonsLogicalOper(HWND window, int command);
// The command between the first selected object and the polygon under the
// window point (complement: first minus clicked). 0 for another number.
int PolygonOperationInDLL(HWND window, unsigned int keys, POINT point, int command);
// Operation 101 to 104 between two polygons or groups; 0 when either is
// not one, they are the same, an operand has no points or the code is
// another. No step is closed.
int PolygonBooleanOperation(HWND window, OBJHANDLE first, OBJHANDLE second, CMapObjArr *result, int operation,
                            int deleteInputs, int bySettings, int select, int undo);
