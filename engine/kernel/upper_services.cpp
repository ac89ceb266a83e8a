#include "engine/kernel/upper_services.h"

namespace {

KernelUpperServices &services()
{
    static KernelUpperServices s;
    return s;
}

} // namespace

void SetKernelUpperServices(const KernelUpperServices &s) { services() = s; }

KernelUpperServices GetKernelUpperServices() { return services(); }

OBJHANDLE UpperPageOfWindow(HWND window)
{
    const auto f = services().pageOfWindow;
    return f ? f(window) : 0;
}

void UpperPageUpdate(HWND window)
{
    if (const auto f = services().pageUpdate)
        f(window);
}

int UpperViewProjectionGet(PresentationManager *view, PM_InitStructTag *out)
{
    const auto f = services().viewProjectionGet;
    return f ? f(view, out) : 0;
}

int UpperViewProjectionSet(PresentationManager *view, const PM_InitStructTag *in)
{
    const auto f = services().viewProjectionSet;
    return f ? f(view, in) : 0;
}

OBJHANDLE UpperIdentifierTextCreate(HWND window, const char *string, const _COORDPT *anchor, const char *face,
                                    int32_t size, int style, uint16_t flags)
{
    const auto f = services().identifierTextCreate;
    return f ? f(window, string, anchor, face, size, style, flags) : 0;
}

int UpperIdentifierTextGet(OBJectKernel *kernel, OBJHANDLE text, char *buffer, int size)
{
    if (buffer && size > 0)
        buffer[0] = 0;
    const auto f = services().identifierTextGet;
    return f ? f(kernel, text, buffer, size) : 0;
}

int UpperIdentifierTextSet(OBJectKernel *kernel, HWND window, OBJHANDLE text, const char *string)
{
    const auto f = services().identifierTextSet;
    return f ? f(kernel, window, text, string) : 0;
}

double UpperPolygonArea(OBJectKernel *kernel, OBJHANDLE polygon)
{
    const auto f = services().polygonArea;
    return f ? f(kernel, polygon) : -1.0;
}

double UpperPointSetLength(OBJectKernel *kernel, OBJHANDLE object, int closed)
{
    const auto f = services().pointSetLength;
    return f ? f(kernel, object, closed) : 0.0;
}

int UpperDefaultSettings(_WNDRES *record)
{
    const auto f = services().defaultSettings;
    return f ? f(record) : 0;
}
