// Fixture of the graphical class tests: the engine's class table in place of
// the process's one, a kernel with the roots of a new document attached to a
// headless map window, and a second window that records notifications.
#pragma once

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_window.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "platform/diagnostics.h"
#include "platform/message_box.h"
#include "platform/window.h"
#include "planar_measures.h"
#include "tests/support/graph_classes_in_place.h"

#include <gtest/gtest.h>

#include <vector>

// Rectangles compare and print in test messages.
inline bool operator==(const _COORDRECT &a, const _COORDRECT &b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

inline std::ostream &operator<<(std::ostream &os, const _COORDRECT &r)
{
    return os << "(" << r.x1 << ", " << r.y1 << ", " << r.x2 << ", " << r.y2 << ")";
}

namespace graphtest {

struct WindowMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages compare and print in test output.
inline bool operator==(const WindowMessage &a, const WindowMessage &b)
{
    return a.msg == b.msg && a.wParam == b.wParam && a.lParam == b.lParam;
}

inline std::ostream &operator<<(std::ostream &os, const WindowMessage &m)
{
    return os << "{" << m.msg << ", " << m.wParam << ", " << m.lParam << "}";
}

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(classes_.install([this](const MessageBoxRequest &r) {
            boxes.push_back(r);
            return IDOK;
        }));
        kernel = KernelNew();
        ASSERT_NE(kernel, nullptr);
        window = CreateHeadlessWindow([this](HWND, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            windowMessages.push_back({m, w, l});
            return 0;
        });
        target = CreateHeadlessWindow([this](HWND, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            notifications.push_back({m, w, l});
            return 0;
        });
        record.kernel = kernel;
        AttachWndRes(window, &record);
        all = CreateRootOBJects(kernel, window, &layers, &groups, &undo, &selList, &idsList);
        ASSERT_NE(all, 0u);
        ASSERT_EQ(SetRootOBJect(window, all), all);
        layer = FirstReference(kernel, layers, REF_LAYER_MEMBER, nullptr);
        ASSERT_NE(layer, 0u);
    }

    void TearDown() override
    {
        DestroyWindow(window);
        DestroyWindow(target);
        KernelDelete(kernel);
        classes_.restore();
    }

    // A point set with its points and bound rectangle, on no layer.
    OBJHANDLE makePointSet(uint16_t cls, std::vector<_COORDPT> points)
    {
        const OBJHANDLE h = CreateOBJect(kernel, cls);
        EXPECT_NE(h, 0u);
        setPoints(h, points);
        return h;
    }

    void setPoints(OBJHANDLE h, const std::vector<_COORDPT> &points)
    {
        const uint32_t bytes = uint32_t(points.size() * sizeof(_COORDPT));
        if (bytes) {
            EXPECT_EQ(TransferOBJectData(kernel, h, const_cast<_COORDPT *>(points.data()), bytes, 1), bytes);
        }
        StoreField<uint32_t>(OBJectLock(kernel, h), PS_COUNT, uint32_t(points.size()));
        _COORDRECT r;
        InitBoundRect(&r);
        for (const _COORDPT &p : points) {
            const _COORDRECT one{p.x, p.y, p.x, p.y};
            SumBoundRect(&r, &one);
        }
        SendOBJectMessage(kernel, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
    }

    // The rectangle as its object answers it.
    _COORDRECT bound(OBJHANDLE h)
    {
        _COORDRECT r{0, 0, 0, 0};
        SendOBJectMessage(kernel, 0, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
        return r;
    }

    void putOn(OBJHANDLE holder, OBJHANDLE object, uint16_t id = REF_LAYER_MEMBER)
    {
        ASSERT_NE(InsertRefInPos(kernel, holder, id, object, -1, -1), OBJ_INVALID);
    }

    OBJectKernel *kernel = nullptr;
    HWND window = 0;
    HWND target = 0;
    _WNDRES record;
    OBJHANDLE all = 0, layers = 0, groups = 0, undo = 0, selList = 0, idsList = 0, layer = 0;
    std::vector<WindowMessage> windowMessages;
    std::vector<WindowMessage> notifications;
    std::vector<MessageBoxRequest> boxes;

private:
    GraphClassesInPlace classes_;
    planartest::PlanarMeasures measures_;
};

} // namespace graphtest
