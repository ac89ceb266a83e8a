// The control's own state: the registry values it reads at construction,
// its persistent properties, the keys it handles, the services it offers
// its automation objects, and its property pages and About box.
#include "control_fixture.h"

#include "control/property_pages.h"
#include "engine/kernel/settings.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "platform/automation_property_bag.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/window.h"
#include "platform/window_messages.h"
#include "platform/window_scroll.h"

#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

TEST_F(ControlTest, AMissingUseThreadsValueIsWrittenAndUsed)
{
    int value = 0;
    EXPECT_EQ(m_RegValueGet("Settings", "UseThreads", &value), 1);
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(ctl->UseThreads());
    EXPECT_FALSE(ctl->GetOffscreenDrawing());

    // Values that are there are used as they are.
    m_RegValueSet("Settings", "UseThreads", 0);
    m_RegValueSet("Settings", "OffscreenDrawing", 1);
    CMapCtrl other;
    EXPECT_FALSE(other.UseThreads());
    EXPECT_TRUE(other.GetOffscreenDrawing());
}

TEST_F(ControlTest, PropertiesPersistOnlyUnderTheirVersion)
{
    ctl->SetOffscreenDrawing(true);
    ctl->SetMapScale(25000);
    const double scale = ctl->GetMapScale();
    PropertyBag bag;
    {
        PropExchange save(bag, false);
        ctl->DoPropExchange(save);
    }
    CMapCtrl restored;
    {
        PropExchange load(bag, true);
        restored.DoPropExchange(load);
    }
    EXPECT_TRUE(restored.GetOffscreenDrawing());
    PropertyBag again;
    {
        PropExchange save(again, false);
        restored.DoPropExchange(save);
    }
    Variant stored;
    ASSERT_EQ(again.Read("MapScale", &stored), S_OK);
    EXPECT_EQ(stored.dblVal, scale);
    ASSERT_EQ(again.Read("OriginX", &stored), S_OK);

    // Another version restores nothing and resets three properties.
    PropertyBag old = bag;
    old.Write("_Version", VariantFromLong((2 << 16) | 6));
    ASSERT_EQ(old.Read("_Version", &stored), S_OK);
    restored.SetOffscreenDrawing(true);
    PropExchange load(old, true);
    restored.DoPropExchange(load);
    EXPECT_FALSE(restored.GetOffscreenDrawing());
}

TEST_F(ControlTest, ThePlusKeyZoomsInAboutTheCentre)
{
    Polygon({{0, 0}, {4000, 0}, {4000, 3000}, {0, 3000}});
    ctl->Command(mCmdViewAllObjects);
    const MAP_COORDRECT before = ctl->view()->worldRect;
    sink->events.clear();
    SendMessageA(hwnd(), WM_KEYDOWN, VK_ADD, 0);
    const MAP_COORDRECT after = ctl->view()->worldRect;
    EXPECT_NEAR(double(after.x2) - after.x1, (double(before.x2) - before.x1) / 2, 4);
    // About the centre, to a pixel of the window.
    EXPECT_NEAR((double(after.x1) + after.x2) / 2, (double(before.x1) + before.x2) / 2,
                (double(before.x2) - before.x1) / 100);
    EXPECT_EQ(sink->Of(EVENT_DISPLAYSCALECHANGED).size(), 1u);
    SendMessageA(hwnd(), WM_KEYDOWN, VK_SUBTRACT, 0);
    EXPECT_NEAR(double(ctl->view()->worldRect.x2) - ctl->view()->worldRect.x1, double(before.x2) - before.x1,
                8);

    // Home shows the top of the map, End its bottom, as the scroll bar would.
    SendMessageA(hwnd(), WM_KEYDOWN, VK_ADD, 0);
    SendMessageA(hwnd(), WM_KEYDOWN, VK_ADD, 0);
    SendMessageA(hwnd(), WM_KEYDOWN, VK_END, 0);
    const MAP_COORDRECT bottom = ctl->view()->worldRect;
    SendMessageA(hwnd(), WM_KEYDOWN, VK_HOME, 0);
    const MAP_COORDRECT top = ctl->view()->worldRect;
    EXPECT_GT(top.y1, bottom.y1);
    SendMessageA(hwnd(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_GT(ctl->view()->worldRect.x1, top.x1);
}

TEST_F(ControlTest, LengthsAndAreasComeInTheViewsUnits)
{
    PresentationManager *view = ctl->view();
    view->projection.baseUnit = 4; // metre
    view->projection.transformedUnit = 4;
    EXPECT_DOUBLE_EQ(CMapCtrl::ValueInUnit(view, 5, 2500), 2.5); // kilometre
    EXPECT_DOUBLE_EQ(CMapCtrl::ValueInUnit(view, 4, 2500), 2500);
    EXPECT_DOUBLE_EQ(CMapCtrl::ValueInUnit(view, 20, 2500000), 2.5); // square kilometre
    EXPECT_EQ(CMapCtrl::ValueInUnit(view, 0, 2500), 0.0) << "no such unit";
    const OBJHANDLE line = Polyline({{0, 0}, {3000, 4000}});
    view->projection.lengthUnit = 5;
    EXPECT_DOUBLE_EQ(ctl->GetObjectLength(line), 5.0);
    // While a figure is drawn the running length counts.
    ctl->SetOperationState(2);
    ctl->figureLength = 1500;
    EXPECT_DOUBLE_EQ(ctl->GetObjectLength(0), 1.5);
    ctl->SetOperationState(0);
    EXPECT_EQ(ctl->GetObjectType(line), 1);
    EXPECT_EQ(ctl->GetObjectLayer(line), ctl->GetObjectLayer(0)) << "made in the active layer";
    EXPECT_EQ(ctl->LocateObject(0), 1);
    EXPECT_EQ(ctl->GetObjectID(0, true), "");
    EXPECT_EQ(ctl->SetObjectID(line, true, "A12", 0), 1);
    EXPECT_EQ(ctl->GetObjectID(line, true), "A12");
}

TEST_F(ControlTest, PropertyPageShowsAndAppliesTheControlsProperties)
{
    QTemporaryDir dir;
    CMapPropPage page(ctl);
    page.show();
    QApplication::processEvents();
    auto *offscreen = page.findChild<QCheckBox *>("213");
    ASSERT_NE(offscreen, nullptr);
    EXPECT_FALSE(offscreen->isChecked());
    MapPropPageModel &model = page.model();
    model.offscreenDrawing = true;
    model.mapScale = "10000";
    model.originX = "not a number";
    model.Apply();
    EXPECT_TRUE(ctl->GetOffscreenDrawing());
    EXPECT_NEAR(ctl->GetMapScale(), 10000, 10);
    page.ShowFields();
    EXPECT_TRUE(offscreen->isChecked());

    // Browse opens the chosen file through FileName; a cancel changes nothing.
    SetFileDialogHook([](const FileDialogRequest &) { return std::optional<std::string>(); });
    EXPECT_FALSE(model.Browse());
    SetFileDialogHook({});
    auto *zoomIn = page.findChild<QPushButton *>("203");
    ASSERT_NE(zoomIn, nullptr);
    const double before = ctl->GetMapScale();
    zoomIn->click();
    EXPECT_LT(ctl->GetMapScale(), before);
    page.close();

    CPropPageAbout about;
    about.show();
    auto *version = about.findChild<QLabel *>("201");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), "KrtMap.ocx Library v2.7");
    about.close();

    int shown = 0;
    SetModalDialogHook([&](QDialog &dialog, int id) {
        ++shown;
        EXPECT_EQ(id, 1);
        EXPECT_EQ(dialog.windowTitle(), "About Map Control");
        return IDOK;
    });
    Call("AboutBox");
    SetModalDialogHook({});
    EXPECT_EQ(shown, 1);
}

} // namespace

namespace {

TEST_F(ControlTest, QtKeyEventsReachTheControlAsKeyMessages)
{
    Polygon({{0, 0}, {4000, 0}, {4000, 3000}, {0, 3000}});
    ctl->Command(mCmdViewAllObjects);
    const MAP_COORDRECT before = ctl->view()->worldRect;
    QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier);
    QApplication::sendEvent(ctl, &plus);
    EXPECT_LT(double(ctl->view()->worldRect.x2) - ctl->view()->worldRect.x1, double(before.x2) - before.x1);
    // The main keyboard's plus is not the numeric pad's.
    const MAP_COORDRECT zoomed = ctl->view()->worldRect;
    QKeyEvent mainPlus(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier);
    QApplication::sendEvent(ctl, &mainPlus);
    EXPECT_EQ(ctl->view()->worldRect.x1, zoomed.x1);
    EXPECT_EQ(ctl->view()->worldRect.x2, zoomed.x2);
}

} // namespace
