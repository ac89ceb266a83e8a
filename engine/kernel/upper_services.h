// What the kernel asks of the engine's floors above it. The kernel includes
// nothing of those floors: the window, view and editing floors enter their services
// here when the engine starts (EngineStartup), and the class procedures of
// the objects they own through SetOBJectClassFN. Until then, or in a program
// made of the kernel alone, every service answers that there is nothing.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "engine/kernel/view_projection_record.h"
#include "platform/types.h"

struct PresentationManager;
struct _WNDRES;

using IdentifierTextCreateProc = OBJHANDLE (*)(HWND window, const char *string, const _COORDPT *anchor,
                                               const char *face, int32_t size, int style, uint16_t flags);

struct KernelUpperServices {
    // The page object of a map window; 0 when it has none.
    OBJHANDLE (*pageOfWindow)(HWND window) = nullptr;
    // Fits the window's page to its page set-up again.
    void (*pageUpdate)(HWND window) = nullptr;
    // The stored projection of a view: read from it, and given to it.
    int (*viewProjectionGet)(PresentationManager *view, PM_InitStructTag *out) = nullptr;
    int (*viewProjectionSet)(PresentationManager *view, const PM_InitStructTag *in) = nullptr;
    // Measures of point-set objects: a polygon's area in the map's area unit
    // (-1 on failure) and a line's length, its closing edge with closed.
    double (*polygonArea)(OBJectKernel *kernel, OBJHANDLE polygon) = nullptr;
    double (*pointSetLength)(OBJectKernel *kernel, OBJHANDLE object, int closed) = nullptr;
    // The text objects that show an identifier's code and name: made in the
    // window's active layer at the anchor (0 when none could be made), read
    // (strncpy semantics, at most size bytes) and given a new string (their
    // rectangle measured again in the window when one is given).
    IdentifierTextCreateProc identifierTextCreate = nullptr;
    int (*identifierTextGet)(OBJectKernel *kernel, OBJHANDLE text, char *buffer, int size) = nullptr;
    int (*identifierTextSet)(OBJectKernel *kernel, HWND window, OBJHANDLE text, const char *string) = nullptr;
    // Runs the engine settings sheet of a window record: its modal result.
    int (*defaultSettings)(_WNDRES *record) = nullptr;
};

// Replaces the services (all at once, before any document is opened).
void SetKernelUpperServices(const KernelUpperServices &services);
// The services in force.
KernelUpperServices GetKernelUpperServices();

// The calls of the kernel; each does nothing, or answers 0, while its
// service is not entered.
OBJHANDLE UpperPageOfWindow(HWND window);
void UpperPageUpdate(HWND window);
int UpperViewProjectionGet(PresentationManager *view, PM_InitStructTag *out);
int UpperViewProjectionSet(PresentationManager *view, const PM_InitStructTag *in);
// -1 and 0 while the measures are not entered.
double UpperPolygonArea(OBJectKernel *kernel, OBJHANDLE polygon);
double UpperPointSetLength(OBJectKernel *kernel, OBJHANDLE object, int closed);
OBJHANDLE UpperIdentifierTextCreate(HWND window, const char *string, const _COORDPT *anchor, const char *face,
                                    int32_t size, int style, uint16_t flags);
// Without the service the buffer is left empty.
int UpperIdentifierTextGet(OBJectKernel *kernel, OBJHANDLE text, char *buffer, int size);
int UpperIdentifierTextSet(OBJectKernel *kernel, HWND window, OBJHANDLE text, const char *string);
// 0 (nothing shown, nothing changed) while the sheet is not entered.
int UpperDefaultSettings(_WNDRES *record);
