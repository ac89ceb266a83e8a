#include "engine/window/window_stubs.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/plugin_menus.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/unimplemented.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_access.h"
#include "platform/menu.h"
#include "platform/window.h"

#include <cstring>
#include <string>

namespace {

int nothingZero() { return 0; }
int nothingOne() { return 1; }

int legendStub(HWND window)
{
    void *legend = nullptr;
    LegendGet(window, &legend, 0);
    return 0;
}

// "application|topic!item" in at most 127 characters, as the paste-special
// service takes a link.
int pasteSpecial(HWND window, LONG mode, const char *application, const char *topic, const char *item)
{
    std::string text =
        std::string(application ? application : "") + '|' + (topic ? topic : "") + '!' + (item ? item : "");
    if (text.size() > 127)
        text.resize(127);
    DstrEditPasteSpecial(window, mode, text.data(), int(text.size() + 1));
    return 1;
}

} // namespace

extern "C" {

int ToUndoAddOld(OBJectKernel *, OBJHANDLE, OBJHANDLE) { return nothingZero(); }
int ToUndoCopyOBJ(OBJectKernel *, OBJHANDLE, OBJHANDLE) { return nothingZero(); }
int ToUndoDelOBJ(OBJectKernel *, OBJHANDLE, OBJHANDLE) { return nothingZero(); }
int map_Export(HWND, const char *, int) { return nothingZero(); }
int map_Import(HWND, const char *, int) { return nothingZero(); }
int map_menu_Set(HWND, HMENU, int) { return nothingZero(); }

int map_block_Create(HWND, OBJHANDLE *, const OBJHANDLE *, int32_t, int) { return nothingOne(); }
int map_objects_Paint(HWND, const OBJHANDLE *, int32_t, int) { return nothingOne(); }
int map_presentation_Delete(HWND, OBJHANDLE, int) { return nothingOne(); }
int map_block_Insert(HWND, OBJHANDLE, const MAP_COORDPT *, int) { return 1; }

int map_undo_Undo(HWND, int) { return 0; }
int map_undo_Clear(HWND, int) { return 0; }
int map_Save(HWND, const char *, int) { return 1; }
int map_memory_Compact(HWND) { return 1; }

int map_toolbox_Load(HWND window, HWND parent, HWND *toolbox)
{
    ToolBoxCreate(window, parent, toolbox);
    return 0;
}
int map_toolbox_Destroy(HWND window, void *tools)
{
    ToolsDelete(tools, window);
    return 0;
}
int map_toolbox_Set(HWND window, HWND toolbox)
{
    MAP_SetToolbox(window, toolbox);
    return 0;
}

int map_presentation_Dot_Create(HWND, OBJHANDLE *, const void *, int) { return 0; }
int map_presentation_Symbol_Create(HWND, OBJHANDLE *, const void *, int) { return 0; }
int map_presentation_Symbol_Get(HWND, OBJHANDLE, void *, int) { return 0; }
int map_presentation_Pie_Create(HWND, OBJHANDLE *, const void *, int) { return 0; }
int map_presentation_Pie_Get(HWND, OBJHANDLE, void *, int) { return 0; }
int map_presentation_Ranges_Create(HWND, OBJHANDLE *, const void *, int) { return 0; }
int map_presentation_type_Get(HWND, OBJHANDLE) { return 0; }
int map_presentations_Get(HWND, int32_t *, OBJHANDLE *, int32_t) { return 0; }
int map_attribute_set_Take(HWND, const char *, int) { return 0; }
int map_presentation_Dot_Get(HWND, OBJHANDLE, void *, int) { return 0; }
int map_presentation_Text_Create(HWND, OBJHANDLE *, const void *, int) { return 0; }
int map_presentation_Text_Get(HWND, OBJHANDLE presentation, void *, int) { return presentation ? 1 : 0; }
int map_attribute_set_Remove(HWND, const char *) { return 0; }
int map_attribute_set_Add(HWND, const char *, int) { return int(UndoProc(nullptr, 0, 0, 0, 0, 0, 0)); }
int map_attribute_set_List(HWND, char *, int32_t) { return int(UndoProc(nullptr, 0, 0, 0, 0, 0, 0)); }
int map_presentation_Ranges_Get(HWND, OBJHANDLE, void *, int)
{
    return int(UndoProc(nullptr, 0, 0, 0, 0, 0, 0));
}

void SetGormFrame(HWND) {}
void UndoClear(HWND) {}

int map_objects_Print(HWND window, const OBJHANDLE *objects, int32_t count, HDC dc, UINT flags)
{
    const MapDoc doc(window);
    if (!doc)
        return 1;
    const OBJHANDLE list = CreateSelList(doc.kernel);
    if (!list)
        return 1;
    if (objects) {
        for (int32_t i = 0; i < count; ++i)
            if (doc.classOf(objects[i]))
                InsertRefInPos(doc.kernel, list, REF_SELECTED, objects[i], -1, -1);
    } else if (const OBJHANDLE layers = doc.root(CLASS_LAYERS)) {
        InsertRefInPos(doc.kernel, list, REF_SELECTED, layers, -1, -1);
    }
    PrintPicture(window, reinterpret_cast<void *>(uintptr_t(list)), dc, flags);
    OBJectDelete(doc.kernel, list);
    return 1;
}

int map_legend_Set(HWND window, const void *, int) { return legendStub(window); }
int map_legend_Get(HWND window, void *, int) { return legendStub(window); }
int map_legend_Delete(HWND window, int) { return legendStub(window); }

int map_data_Link(HWND window, const char *application, const char *topic, const char *item)
{
    return pasteSpecial(window, 3, application, topic, item);
}
int map_data_Paste(HWND window, const char *application, const char *topic, const char *item)
{
    return pasteSpecial(window, 2, application, topic, item);
}
int map_data_Unlink(HWND window)
{
    DDE_DoTerminate(window);
    return 0;
}

int m_AutoPolygonsOperation(HWND window, const OBJHANDLE *objects, int32_t count, void *buffer,
                            int32_t operation, int flags)
{
    if (!objects || count < 2)
        return 0;
    if (!buffer) {
        buffer = TDLL_CreateBuffer();
        if (!buffer)
            return 0;
    }
    if (!TDLL_PrepareObjects(window, buffer, const_cast<void **>(reinterpret_cast<void *const *>(objects)),
                             DWORD(count), flags, 0))
        return 0;
    TDLL_ProcessObjects(buffer, operation, 0, 0, 0, 0, 0, 0, 0);
    return 0;
}

HWND map_window_Create(HWND, int, int, int, int, int) { return 0; }
HWND map_mdi_child_Create(HWND, const char *, int) { return 0; }
HMENU map_menu_Load(HWND) { return 0; }

int map_menu_Get(HWND window, uint32_t *menuBar, uint32_t *menuPopup)
{
    const _WNDRES *rec = window ? GetWndRes(window) : nullptr;
    if (!rec)
        return 0;
    if (menuBar)
        *menuBar = rec->menuBar;
    if (menuPopup)
        *menuPopup = rec->menuPopup;
    return 1;
}

int map_window_Move(HWND window, int, int, int width, int height, int repaint)
{
    if (!IsWindow(window))
        return 0;
    const BOOL sized = SetClientSize(window, width, height);
    if (sized && repaint) {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
    return sized ? 1 : 0;
}

int map_window_Destroy(HWND window) { return DestroyWindow(window) ? 1 : 0; }
int map_mdi_child_Destroy(HWND window) { return map_window_Destroy(window); }

int map_menu_Destroy(HMENU menu)
{
    if (!menu)
        return 0;
    PlugInMenusFree();
    DestroyMenu(menu);
    return 1;
}

} // extern "C"
