// Fixture of the layer, layer-group, group and selection tests: the engine's
// class table with the document model's procedures, a kernel with the roots
// of a new document attached to a headless map window, and a second window
// that records the notifications.
#pragma once

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/graph_window.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "platform/diagnostics.h"
#include "platform/message_box.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace docmodeltest {

struct WindowMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

inline constexpr UINT kNotifyMessage = 0x0400 + 0x222;

class DocModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = SaveClassTable();
        ClearClassTable();
        ASSERT_EQ(InitGraphClasses(0), 1);
        oldSink_ = SetInternalErrorSink([](std::string_view) {});
        oldHook_ = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r);
            return IDOK;
        });
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
        all = CreateRootOBJects(kernel, window, &layers, &groups, &undo, &selList, nullptr);
        ASSERT_NE(all, 0u);
        ASSERT_EQ(SetRootOBJect(window, all), all);
        ResetLayerGroups(kernel, all);
        layer0 = FirstReference(kernel, layers, REF_LAYER_MEMBER, nullptr);
        ASSERT_NE(layer0, 0u);
        aspect = GetActiveAspect(kernel, groups);
        ASSERT_NE(aspect, 0u);
    }

    void TearDown() override
    {
        DestroyWindow(window);
        DestroyWindow(target);
        KernelDelete(kernel);
        SetInternalErrorSink(oldSink_);
        SetMessageBoxHook(oldHook_);
        RestoreClassTable(saved_);
    }

    // A polyline with a bound rectangle, on the layer when one is given.
    OBJHANDLE makeObject(OBJHANDLE layer = 0, _COORDRECT rect = {0, 0, 10, 10},
                         uint16_t cls = CLASS_POLYLINE)
    {
        const OBJHANDLE h = CreateOBJect(kernel, cls);
        EXPECT_NE(h, 0u);
        SendOBJectMessage(kernel, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&rect));
        if (layer) {
            EXPECT_NE(InsertLayerRef(kernel, h, layer), OBJ_INVALID);
        }
        return h;
    }

    // A Group under the parent (a group or an aspect) holding the members.
    OBJHANDLE makeGroup(OBJHANDLE parent, std::vector<OBJHANDLE> members)
    {
        const OBJHANDLE g = CreateOBJect(kernel, CLASS_GROUP);
        EXPECT_NE(g, 0u);
        if (parent) {
            EXPECT_EQ(PutInGroup(kernel, g, parent), 1);
        }
        for (OBJHANDLE m : members)
            EXPECT_EQ(PutInGroup(kernel, m, g), 1);
        return g;
    }

    std::vector<OBJHANDLE> targets(OBJHANDLE holder, uint16_t id)
    {
        std::vector<OBJHANDLE> out;
        int32_t pos = -1;
        for (OBJHANDLE t = FirstReference(kernel, holder, id, &pos); t;
             t = GetReference(kernel, holder, id, &pos))
            out.push_back(t);
        return out;
    }

    std::vector<OBJHANDLE> layerOrder() { return targets(layers, REF_LAYER_MEMBER); }
    std::vector<OBJHANDLE> selected() { return targets(selList, REF_SELECTED); }

    uint16_t graphFlags(OBJHANDLE h)
    {
        return uint16_t(SendOBJectMessage(kernel, 0, h, 0, GRM_GETFLAGS, 0xFFFF, 0));
    }

    int32_t number(OBJHANDLE layer) { return LayerNumberNameGet(kernel, layer, nullptr); }

    std::string name(OBJHANDLE layer)
    {
        char buf[LAYER_NAME_SIZE];
        LayerNumberNameGet(kernel, layer, buf);
        return buf;
    }

    OBJHANDLE makePageLayer() { return CreateLayerOBJect(kernel, layers, PAGE_LAYER_NUMBER, PAGE_LAYER_NAME); }

    OBJectKernel *kernel = nullptr;
    HWND window = 0;
    HWND target = 0;
    _WNDRES record;
    OBJHANDLE all = 0, layers = 0, groups = 0, undo = 0, selList = 0, layer0 = 0, aspect = 0;
    std::vector<WindowMessage> windowMessages;
    std::vector<WindowMessage> notifications;
    std::vector<MessageBoxRequest> boxes;

private:
    std::shared_ptr<OBJectClassTableState> saved_;
    InternalErrorSink oldSink_;
    MessageBoxHook oldHook_;
};

} // namespace docmodeltest
