// Entry points that the engine keeps for compatibility without a body: each
// reports its own declaration to the debug viewer ("fn: " and the
// declaration) and returns 0 or a null pointer.
#pragma once

#include "engine/kernel/coords.h"
#include "platform/types.h"

struct GraphDispl;
struct PresentationManager;
struct Z_BOUNDS;

// Reports "fn: " + declaration + "\n" to the debug viewer; 0. For class
// procedures and other stubs kept elsewhere.
int ReportUnimplemented(const char *declaration);

int TabletPtToScreen(HWND window, POINT *screen, POINT *tablet, LONG flags);
int TabletPtToMap(HWND window, _COORDPT *map, POINT *tablet, LONG flags);
int SBSetCellText(HWND bar, int cell, char *text);
int SBGetCellText(HWND bar, int cell, char *text, int size);
int TextObjectTextGet(void *object, char *text, int size);
Z_BOUNDS *z_DeleteSubBounds(void *kernel, void *object, uint16_t filter);
int TextObjectLenGet(void *object);
int TextObjectDisplay(HWND window, HDC dc, void *object, uint16_t flags, GraphDispl *display);
int TextObjectAutoAdjust(void *object, HWND window, uint16_t flags);
int TextObjectExtentSet(void *object, HWND window, uint16_t flags);
HINSTANCE GetTaskData(HINSTANCE *instance, HINSTANCE *module, HTASK *task, char *name, int size);
char chDec();
int SBProgressStop(HWND bar, int cell);
int LegendUpdt(void *legend, HWND window, int flags);
int SBProgressUpdate(HWND bar, int cell, LONG percent);
int LegendOwnsDevPoint(void *legend, PresentationManager *view, POINT *device, _COORDPT *map);
int LegendGet(HWND window, void **legend, DWORD flags);
int TOPLOG(HWND window, HWND parent, HWND *created);
int ToolBoxCreate(HWND window, HWND parent, HWND *created);
int ToolsDelete(void *tools, HWND window);
int MAP_SetToolbox(HWND window, HWND toolbox);
int PrintPicture(HWND window, void *picture, HDC dc, UINT flags);
int LEGDATA_LOCK(void *legend);
int LegendSetFont(void *legend, char *face, int size);
int LegendMoveVertex(void *legend, _COORDPT *point, LONG dx, LONG dy);
LONG DstrEditPasteSpecial(HWND window, LONG format, char *text, int size);
int DDE_DoTerminate(HWND window);
HBITMAP ExportClipBitmapPgon(HWND window, void *polygon);
void *ExportClipMeta(HWND window, void *object);
void *OnDstrAcClipFile(HWND window, UINT format, void **data, DWORD size);
// Distinct from the object store's OBJectSpaceBegin(char *fixedData).
char *OBJectSpaceBegin(void *object);
int SheetOpenFile(HWND window, char *path);
int TDLL_DestroyBuffer(void *buffer);
DWORD TDLL_RetrieveObjects(HWND window, void *buffer, void **objects, DWORD count, DWORD *retrieved,
                           DWORD *skipped, int a, int b, int c, int d);
DWORD TDLL_ProcessObjects(void *buffer, LONG a, LONG b, LONG c, int d, int e, int f, int g, int h);
int TDLL_PrepareObjects(HWND window, void *buffer, void **objects, DWORD count, LONG flags, int mode);
void *TDLL_CreateBuffer();
int SBHide(HWND bar);
HWND SBNew(HWND parent, uint16_t id, int x, int y, int width, int height);
int SBDelete(HWND bar);
int TextObjectCopy(void **copy, void *object);

// Counts the changes that the graphical objects and the raster editor
// report; 0. Nothing reads the count but the tests.
int ChangeCounterBump();
uint32_t ChangeCounterValue();
