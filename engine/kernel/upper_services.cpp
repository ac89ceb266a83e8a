#include "engine/kernel/upper_services.h"

namespace {

KernelUpperServices &services()
{
    static KernelUpperServices s;
    return s;
}

} // namespace

void SetKernelUpperServices(const KernelUpperServices &s) { services() = s; }

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
