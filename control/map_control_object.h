// The map control as its container sees it: the dispatch interface IMap
// served from one member table, the event interface IMapEvents and
// property-change notices as connection points, and the control's widget
// for the container to place. The object owns its CMapCtrl widget.
#pragma once

#include "control/map_ctrl.h"
#include "platform/automation_control.h"
#include "platform/automation_dispatch.h"
#include "platform/automation_server.h"

#include <QPointer>

class MapControl : public DispatchObject, public IControlWidget, public ControlEventTarget {
public:
    static std::shared_ptr<const MemberTable> Table();
    MapControl();

    HRESULT QueryInterface(const IID &iid, void **out) override
    {
        return DispatchObject::QueryInterface(iid, out);
    }
    uint32_t AddRef() override { return DispatchObject::AddRef(); }
    uint32_t Release() override { return DispatchObject::Release(); }
    QWidget *Widget() override { return control_.data(); }

    // Null once the widget was destroyed.
    CMapCtrl *control() const { return control_.data(); }
    void FireEvent(DISPID id, std::span<const Variant> args) override;
    void PropertyChanged(DISPID id) override;

protected:
    ~MapControl() override;
    void *FindInterface(const IID &iid) override;

private:
    QPointer<CMapCtrl> control_;
    ConnectionPoint *events_ = nullptr;
    ConnectionPoint *notices_ = nullptr;
    ModuleLock lock_;
};
