#include "graph_fixture.h"

#include "engine/kernel/graph_services.h"

#include <functional>
#include <string>

using namespace graphtest;

// Every exported function of the graphical classes that takes a kernel and
// a handle answers its failure value for a null kernel, handle 0, a freed
// handle and one beyond the kernel's objects, and changes nothing.
TEST_F(GraphTest, BadKernelsAndHandlesGiveFailureValues)
{
    const OBJHANDLE freed = CreateOBJect(kernel, CLASS_POLYGON);
    ASSERT_EQ(OBJectDelete(kernel, freed), 0);
    const OBJHANDLE beyond = KernGiveAllObjectsAmount(kernel) + 100;
    const uint32_t objectsBefore = GetNumberOfOBJectsKernel(kernel, 0);

    struct Bad {
        const char *what;
        OBJectKernel *k;
        OBJHANDLE h;
    } bads[] = {
        {"null kernel", nullptr, layer},
        {"handle 0", kernel, 0},
        {"freed", kernel, freed},
        {"beyond", kernel, beyond},
    };
    using Call = std::function<int64_t(OBJectKernel *, OBJHANDLE)>;
    _COORDRECT r{};
    Z_BOUNDS z{};
    struct Fn {
        const char *name;
        Call call;
        int64_t failure;
    } fns[] = {
        {"DefGraphOBjectProc",
         [&](auto k, auto h) { return DefGraphOBjectProc(k, 0, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r)); }, 0},
        {"DefGraphOBjectProc create",
         [](auto k, auto h) { return DefGraphOBjectProc(k, 0, h, 0, OBJM_CREATE, 0, 0); }, 0},
        {"AllOBjectsProc", [](auto k, auto h) { return AllOBjectsProc(k, 0, h, 0, OBJM_CREATE, 0, 0); }, 0},
        {"UndoOBjectProc", [](auto k, auto h) { return UndoOBjectProc(k, 0, h, 0, GRM_GETSELECTED, 0, 0); },
         0},
        {"NailProc", [](auto k, auto h) { return NailProc(k, 0, h, 0, GRM_GETSELECTABLE, 0, 0); }, 0},
        {"PresentationProc",
         [](auto k, auto h) { return PresentationProc(k, 0, h, 0, GRM_GETSELECTABLE, 0, 0); }, 0},
        {"CompareBlocks", [&](auto k, auto h) { return CompareBlocks(k, 0, h, 0, layer); }, -2},
        {"GetRootOBJectOf", [](auto k, auto h) { return GetRootOBJectOf(k, h, 0); }, 0},
        {"FindRootOBJect", [](auto k, auto h) { return FindRootOBJect(k, h, CLASS_LAYERS); }, 0},
        {"GetOBJectWnd", [](auto k, auto h) { return GetOBJectWnd(k, h); }, 0},
        {"GraphDescribe", [](auto k, auto h) { return GraphDescribe(k, h); }, 0},
        {"GraphHeadLock", [](auto k, auto h) { return GraphHeadLock(k, h, 0) != nullptr; }, 0},
        {"IsObject3d", [](auto k, auto h) { return IsObject3d(k, h); }, 0},
        {"z_UpdateChildrenBounds", [&](auto k, auto h) { return z_UpdateChildrenBounds(k, h, 0xC800, &z); },
         0},
        {"SetVisible", [](auto k, auto h) { return SetVisible(k, h, 0, nullptr, nullptr, 0, 0, 1) - 1; }, 0},
    };
    for (const Fn &fn : fns)
        for (const Bad &bad : bads)
            EXPECT_EQ(fn.call(bad.k, bad.h), fn.failure) << fn.name << " with " << bad.what;
    EXPECT_EQ(CreateRootOBJects(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr), 0u);
    z_CalculateBounds(nullptr, layer, 0, 0);
    z_UpdateBounds(kernel, freed, beyond, 0, nullptr);
    EXPECT_EQ(GetNumberOfOBJectsKernel(kernel, 0), objectsBefore);
}

// The window-level functions answer failure for a window without a record,
// a window that is gone and the handle 0.
TEST_F(GraphTest, BadWindowsGiveFailureValues)
{
    const HWND bare = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    const HWND gone = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    DestroyWindow(gone);
    for (HWND w : {HWND(0), bare, gone}) {
        EXPECT_EQ(GetRootOBJect(w, CLASS_LAYERS), 0u);
        EXPECT_EQ(SetRootOBJect(w, layers), 0u);
        EXPECT_EQ(GraphGetNumberOfLeafOBJS(w), int32_t(OBJ_INVALID));
        EXPECT_EQ(map_notification_Set(w, target, 1), 0u);
        _COORDPT p{1, 2};
        SelListPointsGet(w, &p, nullptr);
        EXPECT_EQ(p.x, 1);
        SelListPointsSet(w, &p, &p);
        UndoWithSelection(w);
        InvalidateGraphRect(w, nullptr, 0);
    }
    // A record without a document.
    _WNDRES empty;
    AttachWndRes(bare, &empty);
    EXPECT_EQ(GetRootOBJect(bare, CLASS_ALLOBJECTS), 0u);
    empty.kernel = kernel;
    EXPECT_EQ(SetRootOBJect(bare, layers), 0u) << "no AllOBJects to link under";
    EXPECT_EQ(SetRootOBJect(bare, 0x7FFFFFF0), 0u);
    AttachWndRes(bare, nullptr);
    DestroyWindow(bare);
}
