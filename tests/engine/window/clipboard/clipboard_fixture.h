// A map window that owns what it copies: its handler answers render
// requests with DstrEditRenderCopy and counts them, and keeps the paste
// states and message boxes it is sent. A second window stands for another
// program of the same process.
#pragma once

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/window/clipboard/clipboard_copy.h"
#include "engine/window/clipboard/clipboard_paste.h"
#include "engine/window/window_points.h"
#include "engine/window/window_selection.h"
#include "engine/window/wndres.h"
#include "platform/clipboard.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/window.h"
#include "platform/window_messages.h"
#include "tests/support/temp_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

class ClipboardWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearClassTable();
        ASSERT_EQ(InitGraphClasses(0), 1);
        ASSERT_EQ(WndRes_Constructor(&rec), 1);
        window = CreateHeadlessWindow([this](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            if (msg == WM_RENDERFORMAT) {
                ++renders[UINT(wp)];
                return DstrEditRenderCopy(w, UINT(wp), 0);
            }
            if (msg == MAPN_PASTESTATE)
                pasteStates.emplace_back(wp, lp);
            return 0;
        });
        other = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        SetClientSize(window, 400, 300);
        ASSERT_EQ(WndRes_AttachToWindow(&rec, window, 1), 1);
        kernel = rec.kernel;
        layers = GetRootOBJect(window, CLASS_LAYERS);
        list = GetRootOBJect(window, CLASS_SELLIST);
        layer = GetActiveLayer(kernel, layers);
        ASSERT_NE(layer, 0u);
        previousBox_ = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            messages.push_back(r.text);
            return IDOK;
        });
        native = RegisterClipboardFormatA(kNativeClipboardFormat);
        putText(other, "before");
    }
    void TearDown() override
    {
        while (CloseClipboard()) {
        }
        // Another program takes the clipboard, so the window has nothing
        // left to render when it closes.
        if (OpenClipboard(other)) {
            EmptyClipboard();
            CloseClipboard();
        }
        SetMessageBoxHook(previousBox_);
        WndRes_Destructor(&rec);
        DestroyWindow(window);
        DestroyWindow(other);
    }

    // A polygon or polyline in the active layer as one undo step.
    OBJHANDLE make(uint16_t cls, std::vector<MAP_COORDPT> points)
    {
        OBJHANDLE h = 0;
        if (cls == CLASS_POLYGON)
            map_polygon_Create(window, &h, points.data(), int32_t(points.size()), 0);
        else
            map_polyline_Create(window, &h, points.data(), int32_t(points.size()), 0);
        EXPECT_NE(h, 0u);
        Undo_AddNew(kernel, h);
        Undo_SetNewStep(window, kernel,
                        cls == CLASS_POLYGON ? UNDO_OP_CREATE_POLYGON : UNDO_OP_CREATE_POLYLINE);
        return h;
    }
    void select(std::vector<OBJHANDLE> objects)
    {
        map_selection_Set(window, objects.data(), int32_t(objects.size()), 0, COLORREF(-1), -1, -1, 0, 0, -1,
                          1, 0);
    }

    static void putText(HWND by, const std::string &text)
    {
        ASSERT_TRUE(OpenClipboard(by));
        EmptyClipboard();
        const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        std::memcpy(GlobalLock(h), text.c_str(), text.size() + 1);
        GlobalUnlock(h);
        SetClipboardData(CF_TEXT, h);
        CloseClipboard();
    }
    // The bytes of a format as another program of the process reads them
    // (rendered on request); nothing when there is no data.
    std::string read(UINT format)
    {
        EXPECT_TRUE(OpenClipboard(other));
        std::string bytes;
        if (const HGLOBAL h = GetClipboardData(format)) {
            bytes.assign(static_cast<const char *>(GlobalLock(h)), GlobalSize(h));
            GlobalUnlock(h);
        }
        CloseClipboard();
        return bytes;
    }
    std::string readText()
    {
        const std::string bytes = read(CF_TEXT);
        return bytes.substr(0, bytes.find('\0'));
    }
    int rendered() const
    {
        int n = 0;
        for (auto [format, count] : renders)
            n += count;
        return n;
    }
    std::string layerLabel() const
    {
        const char *p = OBJectLock(kernel, layer);
        return "Layer:" + std::to_string(LoadField<int32_t>(p, offsetof(Layer, number))) +
               std::string(p + offsetof(Layer, name)) + ";";
    }
    // The live objects of the class in the layers.
    std::vector<OBJHANDLE> objectsOf(uint16_t cls)
    {
        std::vector<OBJHANDLE> all(GetChildrenOBJS(kernel, layers, REF_LAYER_MEMBER, 0, nullptr, 1));
        all.resize(GetChildrenOBJS(kernel, layers, REF_LAYER_MEMBER, int32_t(all.size()), all.data(), 1));
        std::vector<OBJHANDLE> out;
        for (OBJHANDLE h : all)
            if (GetOBJectClassID(kernel, h) == cls && !IsUndoneObj(kernel, h))
                out.push_back(h);
        return out;
    }
    std::vector<MAP_COORDPT> pointsOf(OBJHANDLE h)
    {
        const char *p = OBJectLock(kernel, h);
        std::vector<MAP_COORDPT> out(LoadField<uint32_t>(p, PS_COUNT));
        std::memcpy(out.data(), DataSpaceBegin(const_cast<char *>(p)), out.size() * sizeof(MAP_COORDPT));
        return out;
    }

    TempSettingsFolders folders;
    _WNDRES rec;
    HWND window = 0, other = 0;
    OBJectKernel *kernel = nullptr;
    OBJHANDLE layers = 0, list = 0, layer = 0;
    UINT native = 0;
    std::map<UINT, int> renders;
    std::vector<std::pair<WPARAM, LPARAM>> pasteStates;
    std::vector<std::string> messages;

private:
    MessageBoxHook previousBox_;
};
