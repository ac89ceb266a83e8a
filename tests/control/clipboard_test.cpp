// The control's copy commands announce the engine's formats and its window
// renders them when a reader asks; its paste command pastes them back.
#include "control_fixture.h"

#include "engine/window/clipboard/clipboard_copy.h"
#include "engine/window/window_selection.h"
#include "platform/clipboard.h"
#include "platform/window.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {

class ControlClipboard : public ControlTest {
protected:
    void TearDown() override
    {
        const HWND other = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        if (OpenClipboard(other)) {
            EmptyClipboard();
            CloseClipboard();
        }
        DestroyWindow(other);
        ControlTest::TearDown();
    }
    int command(int32_t id) { return Call("Command", {VariantFromLong(id)}).lVal; }
};

TEST_F(ControlClipboard, CopyRendersOnRequestAndPasteBringsTheObjectBack)
{
    OBJHANDLE p = Polygon({{0, 0}, {100, 0}, {100, 50}});
    map_selection_Set(hwnd(), &p, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0);
    command(mCmdObjectCopy);
    const UINT native = RegisterClipboardFormatA(kNativeClipboardFormat);
    EXPECT_TRUE(IsClipboardFormatAvailable(native));
    EXPECT_EQ(GetClipboardOwner(), hwnd());
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith("ObjClass:Polygon;")) << text.toStdString();
    command(mCmdObjectPaste);
    OBJHANDLE all[4] = {};
    int32_t count = 0;
    map_selection_Get(hwnd(), &count, all, 4, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, 0);
    EXPECT_EQ(count, 1) << "the pasted polygon is selected";
    EXPECT_NE(all[0], p);
}

} // namespace
