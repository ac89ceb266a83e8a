#include "control/automation/map_link.h"

#include "control/map_ctrl.h"
#include "engine/kernel/window_record.h"

MapLink::MapLink(CMapCtrl *control)
{
    if (!control || !control->wndRes())
        return;
    control_ = control;
    record_ = control->wndRes();
    generation_ = control->RecordGeneration();
}

CMapCtrl *MapLink::control() const
{
    CMapCtrl *c = control_.data();
    if (!c || !record_ || c->wndRes() != record_ || c->RecordGeneration() != generation_)
        return nullptr;
    return c;
}

_WNDRES *MapLink::record() const
{
    CMapCtrl *c = control();
    return c ? c->wndRes() : nullptr;
}

HWND MapLink::window() const
{
    CMapCtrl *c = control();
    return c ? c->hwnd() : HWND(0);
}

OBJectKernel *MapLink::kernel() const
{
    _WNDRES *r = record();
    return r ? r->kernel : nullptr;
}
