// What the editing operations share: the map window's document with its
// selection, the undo step that closes an operation only when something was
// recorded, and the registry switches of the engine's "Settings" key.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"
#include "platform/wait_cursor.h"

#include <cstdint>
#include <vector>

// The objects the selection list refers to directly, in selection order.
std::vector<OBJHANDLE> SelectedObjects(HWND window);
// The selected objects with the members of selected groups at every depth
// in their place (the groups themselves left out), each object once.
std::vector<OBJHANDLE> SelectedLeaves(HWND window);
// The leaves of a group at every depth, in member order; the group's own
// members when it holds no groups.
std::vector<OBJHANDLE> GroupLeaves(OBJectKernel *kernel, OBJHANDLE group);

// The selection's bounding rectangle; false without selection.
bool SelectionBounds(HWND window, MAP_COORDRECT &rect);
// Invalidates a rectangle that holds something (an empty one is skipped).
void InvalidateMapArea(HWND window, const MAP_COORDRECT &rect);

// A 32-bit switch under the engine key's "Settings"; missing gives the
// default.
int EngineSettingInt(const char *name, int missing);

// Notes the undo position on construction; Close ends the step with the
// code and marks the map modified when the position moved since. Returns
// whether it did.
class UndoStepScope {
public:
    explicit UndoStepScope(HWND window);
    bool moved() const;
    bool Close(uint16_t code);

private:
    HWND window_;
    OBJectKernel *kernel_;
    int position_;
};

// Marks the window's map modified.
void SetMapModified(HWND window);

// Shows the wait cursor for a scope.
using WaitCursorScope = WaitCursor;

// Sends a progress notification of the kind to the window.
void SendProgress(HWND window, WPARAM kind, LPARAM value);
