// A map control for the control's tests: its own registry and profile
// folders, the control's dispatch object with its widget at 400 x 300
// pixels, and a sink that records every event it raises, in order.
#pragma once

#include "control/control_ids.h"
#include "control/krt_geometry.h"
#include "control/map_control_object.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/window_record.h"
#include "engine/window/window_points.h"
#include "platform/automation_connection.h"
#include "tests/support/temp_settings.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <vector>

// One event as a sink received it: its dispid and its arguments (numbers).
struct RecordedEvent {
    DISPID id;
    std::vector<double> args;
    bool operator==(const RecordedEvent &) const = default;
};

inline std::ostream &operator<<(std::ostream &os, const RecordedEvent &e)
{
    os << "event " << e.id << "(";
    for (double a : e.args)
        os << a << " ";
    return os << ")";
}

class EventRecorder : public ComObject<IDispatch> {
public:
    HRESULT GetIDsOfNames(std::span<const std::string>, std::span<DISPID>) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, WORD, DISPPARAMS &params, VARIANT *, EXCEPINFO *, UINT *) override
    {
        RecordedEvent e{id, {}};
        // Arguments arrive last first.
        for (UINT i = params.cArgs; i-- > 0;) {
            Variant d;
            VariantChangeType(&d, &params.rgvarg[i], 0, VT_R8);
            e.args.push_back(d.vt == VT_R8 ? d.dblVal : 0.0);
        }
        events.push_back(e);
        if (onEvent)
            onEvent(e);
        return S_OK;
    }
    // Events of one dispid.
    std::vector<RecordedEvent> Of(DISPID id) const
    {
        std::vector<RecordedEvent> r;
        for (const RecordedEvent &e : events)
            if (e.id == id)
                r.push_back(e);
        return r;
    }
    std::vector<RecordedEvent> events;
    std::function<void(const RecordedEvent &)> onEvent;

protected:
    void *FindInterface(const IID &iid) override
    {
        if (iid == kIMapEventsIid)
            return static_cast<IDispatch *>(this);
        return ComObject<IDispatch>::FindInterface(iid);
    }
};

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        object = ComPtr<MapControl>::Adopt(new MapControl);
        ctl = object->control();
        ASSERT_NE(ctl, nullptr);
        ctl->resize(400, 300);
        ctl->show();
        QApplication::processEvents();
        sink = ComPtr<EventRecorder>::Adopt(new EventRecorder);
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(object->FindConnectionPoint(kIMapEventsIid, point.put()), S_OK);
        ASSERT_EQ(point->Advise(sink->Identity(), &cookie), S_OK);
    }
    void TearDown() override
    {
        ctl = nullptr;
        object = ComPtr<MapControl>();
    }

    IDispatch *disp() { return static_cast<IDispatch *>(object.get()); }
    HWND hwnd() const { return ctl->hwnd(); }

    // Calls a member by name with arguments in natural order; the result.
    Variant Call(std::string_view name, std::initializer_list<Variant> args = {}, HRESULT *hr = nullptr,
                 WORD flags = DISPATCH_METHOD)
    {
        const std::vector<Variant> list(args);
        HRESULT status = S_OK;
        Variant r = CallByName(disp(), name, flags, list, &status);
        if (hr)
            *hr = status;
        else
            EXPECT_EQ(status, S_OK) << name;
        return r;
    }
    Variant Get(std::string_view name) { return Call(name, {}, nullptr, DISPATCH_PROPERTYGET); }
    HRESULT Put(std::string_view name, const Variant &value) { return PutByName(disp(), name, value); }

    // A new point or rectangle object, held by the caller.
    static ComPtr<KrtPoint> Point(int32_t x, int32_t y)
    {
        auto p = ComPtr<KrtPoint>::Adopt(new KrtPoint);
        p->x = x;
        p->y = y;
        return p;
    }
    static ComPtr<KrtRect> Rect(int32_t l, int32_t t, int32_t r, int32_t b)
    {
        auto k = ComPtr<KrtRect>::Adopt(new KrtRect);
        k->left = l;
        k->top = t;
        k->right = r;
        k->bottom = b;
        return k;
    }
    static Variant Obj(IDispatch *d) { return VariantFromDispatch(d); }

    // The helpers change the map behind the control's back, as a host's own
    // engine calls would: the drawing thread, which reads the store, is
    // stopped first, as the control does before each change of its own.
    OBJHANDLE Polygon(std::initializer_list<MAP_COORDPT> points)
    {
        ctl->StopDrawingThread();
        OBJHANDLE h = 0;
        const std::vector<MAP_COORDPT> p(points);
        EXPECT_EQ(map_polygon_Create(hwnd(), &h, p.data(), int32_t(p.size()), 0), 1);
        return h;
    }
    OBJHANDLE Polyline(std::initializer_list<MAP_COORDPT> points)
    {
        ctl->StopDrawingThread();
        OBJHANDLE h = 0;
        const std::vector<MAP_COORDPT> p(points);
        EXPECT_EQ(map_polyline_Create(hwnd(), &h, p.data(), int32_t(p.size()), 0), 1);
        return h;
    }

    TempSettingsFolders folders;
    ComPtr<MapControl> object;
    CMapCtrl *ctl = nullptr;
    ComPtr<EventRecorder> sink;
    DWORD cookie = 0;
};
