// Grouping and ungrouping the selection, and the counts of selected objects
// that other commands ask before they run.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

// Results of Tool_Group and Tool_UnGroup.
inline constexpr int GROUP_DONE = 0;
inline constexpr int GROUP_BAD_SELECTION = 1; // fewer than two, or not one group
inline constexpr int GROUP_NO_MEMORY = 2;
inline constexpr int GROUP_REFUSED = 3; // a member already grouped, or no group made

// Groups the selected objects (at least two, none in a group yet) and
// selects the group alone; with undo one step 201.
int Tool_Group(HWND window, int undo);
// Dissolves the one selected group; its members stay selected. With undo
// one step 202.
int Tool_UnGroup(HWND window, int undo);

// The selected objects of the class; with inGroups also the members of
// selected groups at every depth: all of them with all, else only the
// first found directly in each group (nested groups met before it count
// the same way).
int32_t NumberSelectedObjects(HWND window, uint16_t classId, int inGroups, int all);
// Selected texts, inside selected groups too; without all only those that
// carry no identifier.
int32_t NumberSelectedTexts(HWND window, int all);
// 1 when the selection holds at least two line items (polylines, polygons,
// groups that hold one of them at some depth).
int PerformMultiselectCut(HWND window);

// 1 when a text object carries an identifier or shows one.
int DoesTextContainId(OBJectKernel *kernel, OBJHANDLE text);
