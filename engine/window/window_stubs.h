// Exported window-level functions that the engine keeps without a body of
// their own: each does only what its comment says and answers a fixed value.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

extern "C" {

// Nothing; 0.
int ToUndoAddOld(OBJectKernel *kernel, OBJHANDLE undoList, OBJHANDLE object);
int ToUndoCopyOBJ(OBJectKernel *kernel, OBJHANDLE undoList, OBJHANDLE object);
int ToUndoDelOBJ(OBJectKernel *kernel, OBJHANDLE undoList, OBJHANDLE object);
int map_Export(HWND window, const char *fileName, int format);
int map_Import(HWND window, const char *fileName, int format);
int map_menu_Set(HWND window, HMENU menu, int flags);
// Nothing; 1.
int map_block_Create(HWND window, OBJHANDLE *block, const OBJHANDLE *objects, int32_t count, int flags);
int map_objects_Paint(HWND window, const OBJHANDLE *objects, int32_t count, int flags);
int map_presentation_Delete(HWND window, OBJHANDLE presentation, int flags);
int map_block_Insert(HWND window, OBJHANDLE block, const MAP_COORDPT *at, int flags);
// Nothing; 0.
int map_undo_Undo(HWND window, int steps);
int map_undo_Clear(HWND window, int flags);
// Nothing is saved or compacted; 1.
int map_Save(HWND window, const char *fileName, int flags);
int map_memory_Compact(HWND window);
// The tool box stubs; 0.
int map_toolbox_Load(HWND window, HWND parent, HWND *toolbox);
int map_toolbox_Destroy(HWND window, void *tools);
int map_toolbox_Set(HWND window, HWND toolbox);
// Presentations and attribute sets: nothing; 0 (Text_Get: 1 for a non-zero
// presentation).
int map_presentation_Dot_Create(HWND window, OBJHANDLE *presentation, const void *data, int flags);
int map_presentation_Symbol_Create(HWND window, OBJHANDLE *presentation, const void *data, int flags);
int map_presentation_Symbol_Get(HWND window, OBJHANDLE presentation, void *data, int flags);
int map_presentation_Pie_Create(HWND window, OBJHANDLE *presentation, const void *data, int flags);
int map_presentation_Pie_Get(HWND window, OBJHANDLE presentation, void *data, int flags);
int map_presentation_Ranges_Create(HWND window, OBJHANDLE *presentation, const void *data, int flags);
int map_presentation_type_Get(HWND window, OBJHANDLE presentation);
int map_presentations_Get(HWND window, int32_t *count, OBJHANDLE *array, int32_t capacity);
int map_attribute_set_Take(HWND window, const char *name, int flags);
int map_presentation_Dot_Get(HWND window, OBJHANDLE presentation, void *data, int flags);
int map_presentation_Text_Create(HWND window, OBJHANDLE *presentation, const void *data, int flags);
int map_presentation_Text_Get(HWND window, OBJHANDLE presentation, void *data, int flags);
int map_attribute_set_Remove(HWND window, const char *name);
int map_attribute_set_Add(HWND window, const char *name, int flags);
int map_attribute_set_List(HWND window, char *buffer, int32_t size);
int map_presentation_Ranges_Get(HWND window, OBJHANDLE presentation, void *data, int flags);
// Nothing.
void SetGormFrame(HWND frame);
void UndoClear(HWND window);
// Hands a temporary selection list of the objects (all objects for a null
// array) to the print stub; 1.
int map_objects_Print(HWND window, const OBJHANDLE *objects, int32_t count, HDC dc, UINT flags);
// The window's legend through LegendGet, which finds none; 0.
int map_legend_Set(HWND window, const void *legend, int flags);
int map_legend_Get(HWND window, void *legend, int flags);
int map_legend_Delete(HWND window, int flags);
// Packs application, topic and item (127 characters together at most) and
// calls the paste-special stub with mode 3 (link) or 2 (paste); 1.
int map_data_Link(HWND window, const char *application, const char *topic, const char *item);
int map_data_Paste(HWND window, const char *application, const char *topic, const char *item);
// Calls the DDE stub; 0.
int map_data_Unlink(HWND window);
// The automatic polygon operation over the stubs of its steps; 0.
int m_AutoPolygonsOperation(HWND window, const OBJHANDLE *objects, int32_t count, void *buffer,
                            int32_t operation, int flags);
// No map window class exists: no window.
HWND map_window_Create(HWND parent, int x, int y, int width, int height, int flags);
HWND map_mdi_child_Create(HWND mdiClient, const char *title, int flags);
// No engine menu exists: 0.
HMENU map_menu_Load(HWND window);
// The record's menu bar and popup menu; 1 (0 without record).
int map_menu_Get(HWND window, uint32_t *menuBar, uint32_t *menuPopup);
// Sizes the window (a window of this platform has no position of its own)
// and repaints it when asked; the platform's result.
int map_window_Move(HWND window, int x, int y, int width, int height, int repaint);
int map_window_Destroy(HWND window);
int map_mdi_child_Destroy(HWND window);
// 0 for a null menu; else frees the plug-in modules, destroys the menu, 1.
int map_menu_Destroy(HMENU menu);

} // extern "C"
