// What the kernel asks of the engine's floors above it. The kernel includes
// nothing of those floors: the window and view floors enter their services
// here when the engine starts (EngineStartup), and the class procedures of
// the objects they own through SetOBJectClassFN. Until then, or in a program
// made of the kernel alone, every service answers that there is nothing.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "engine/kernel/view_projection_record.h"
#include "platform/types.h"

struct PresentationManager;

struct KernelUpperServices {
    // The page object of a map window; 0 when it has none.
    OBJHANDLE (*pageOfWindow)(HWND window) = nullptr;
    // Fits the window's page to its page set-up again.
    void (*pageUpdate)(HWND window) = nullptr;
    // The stored projection of a view: read from it, and given to it.
    int (*viewProjectionGet)(PresentationManager *view, PM_InitStructTag *out) = nullptr;
    int (*viewProjectionSet)(PresentationManager *view, const PM_InitStructTag *in) = nullptr;
};

// Replaces the services (all at once, before any document is opened).
void SetKernelUpperServices(const KernelUpperServices &services);

// The calls of the kernel; each does nothing, or answers 0, while its
// service is not entered.
OBJHANDLE UpperPageOfWindow(HWND window);
void UpperPageUpdate(HWND window);
int UpperViewProjectionGet(PresentationManager *view, PM_InitStructTag *out);
int UpperViewProjectionSet(PresentationManager *view, const PM_InitStructTag *in);
