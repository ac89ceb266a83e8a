// The fixture first: the kernel's headers use a word that Qt makes a macro.
#include "tests/engine/editing/tools/tools_fixture.h"

#include "engine/editing/tools/nail.h"

#include "engine/editing/tools/transform.h"
#include "engine/editing/tools/transformation_dialog.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/window/map_painting.h"
#include "platform/dc.h"
#include "platform/modal_dialog.h"
#include "platform/menu.h"
#include "platform/popup_menu.h"

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include <map>

namespace {

using Points = std::vector<MAP_COORDPT>;

class NailTest : public ToolsTest {
protected:
    NailRecord record(OBJHANDLE nail)
    {
        NailRecord n{};
        EXPECT_TRUE(NailRead(kernel(), nail, &n));
        return n;
    }
    void select(std::vector<OBJHANDLE> hs) { SetSelection(window, hs.data(), uint32_t(hs.size()), 0, 0); }
};

TEST_F(NailTest, OneNailOnThePageWithItsStartingValues)
{
    ASSERT_NE(GetPageLayer(window), 0u);
    EXPECT_EQ(GetNailOBJFromPage(window), 0u);
    polygon({{1000, 1000}, {3000, 1000}, {3000, 2000}});
    // Without a point: the middle of all layers (the page's layer too).
    MAP_COORDRECT all{};
    const OBJHANDLE layers = GetRootOBJKern(kernel(), rec.rootObject, CLASS_LAYERS);
    SendOBJectMessage(kernel(), layers, layers, 0, GRM_GETBOUNDRECT, 0, LPARAM(&all));
    const OBJHANDLE nail = CreateNailOBJOnPage(window, nullptr);
    ASSERT_NE(nail, 0u);
    EXPECT_EQ(CreateNailOBJOnPage(window, nullptr), nail) << "no second nail";
    EXPECT_EQ(GetNailOBJFromPage(window), nail);
    EXPECT_EQ(record(nail).centre, (MAP_COORDPT{int32_t((int64_t(all.x1) + all.x2) / 2),
                                                int32_t((int64_t(all.y1) + all.y2) / 2)}));
    const MAP_COORDPT at{2000, 1500};
    SetNailObj2(window, &at);
    const NailRecord n = record(nail);
    EXPECT_EQ(n.centre, at);
    EXPECT_EQ(n.rotationFree, 1u);
    EXPECT_EQ(n.scalingFree, 1u);
    EXPECT_EQ(n.shiftOn, 1u);
    EXPECT_EQ(n.scale, 1.0);
    EXPECT_EQ(n.angle, 0.0);
    // The icon's rectangle: 7 pixels left and 27 above the point, 32 wide.
    const POINT w = pixel(at);
    const RECT icon{w.x - 7, w.y - 27, w.x + 25, w.y + 5};
    MAP_COORDRECT expected{};
    ASSERT_NE(PM_WindowToMapRect(rec.displayView, &icon, &expected), 0);
    EXPECT_EQ(n.bound, expected);
    EXPECT_EQ(n.bound.x1, 1930);
    EXPECT_EQ(n.bound.y1, 1450);
    MAP_COORDPT inside{2000, 1600};
    EXPECT_EQ(PointInObjectBoundRect(kernel(), nail, &inside), 1);
    EXPECT_EQ(NailHitTest(window, nail, rec.displayView, pixel(inside)), 1);
    EXPECT_EQ(NailHitTest(window, nail, rec.displayView, pixel({1000, 1000})), 0);
    EXPECT_EQ(NailHitTest(window, 0, rec.displayView, pixel(inside)), 0);
}

TEST_F(NailTest, PlacingTheFirstNailIsAStepMovingItIsNot)
{
    const MAP_COORDPT at{500, 600};
    expectUndoRule([&] {
        SetNailObj2(window, &at);
        EXPECT_EQ(lastStepCode(), UNDO_OP_CREATE_NAIL);
        EXPECT_TRUE(modified());
    });
    const int32_t steps = Undo_KernelUndoStepsCount(kernel());
    const MAP_COORDPT moved{900, 900};
    SetNailObj2(window, &moved);
    EXPECT_EQ(record(GetNailOBJFromPage(window)).centre, moved);
    EXPECT_EQ(Undo_KernelUndoStepsCount(kernel()), steps);
    SetNailObj2(window, nullptr);
    SetNailObj2(0, &moved);
}

// The nail is deleted outside the history and its handle may serve a new
// object: undoing "Create Nail" must leave that object alone.
TEST_F(NailTest, CreateNailUndoesSafelyAfterTheNailWasDeleted)
{
    const MAP_COORDPT at{500, 600};
    SetNailObj2(window, &at);
    const OBJHANDLE nail = GetNailOBJFromPage(window);
    ASSERT_NE(nail, 0u);
    NailDelete(window);
    EXPECT_EQ(GetNailOBJFromPage(window), 0u);
    const OBJHANDLE p = polygon({{0, 0}, {100, 0}, {100, 100}});
    const std::vector<char> before = saved();
    EXPECT_EQ(Undo_Undo(kernel()), 1);
    EXPECT_EQ(points(p), (Points{{0, 0}, {100, 0}, {100, 100}}));
    EXPECT_FALSE(IsOBJectUndoDeleted(kernel(), p));
    EXPECT_EQ(firstDifference(saved(), before), "");
    EXPECT_EQ(Undo_Redo(kernel()), 1);
    EXPECT_EQ(GetNailOBJFromPage(window), 0u);
    EXPECT_EQ(firstDifference(saved(), before), "");
    NailDelete(window); // no nail: nothing
}

TEST_F(NailTest, SwitchesAndTheStoredTransformation)
{
    const OBJHANDLE p = polygon({{100, 0}, {200, 0}, {200, 100}});
    select({p});
    EXPECT_EQ(DoNailOperations(window, 1), 0) << "no nail";
    const MAP_COORDPT origin{0, 0};
    SetNailObj2(window, &origin);
    const OBJHANDLE nail = GetNailOBJFromPage(window);
    NailRecord n = record(nail);
    n.angle = 90.0;
    n.scale = 2.0;
    n.shiftX = 5;
    ASSERT_TRUE(NailWrite(kernel(), nail, n));
    NailRotfree(window);
    NailScalfree(window);
    EXPECT_EQ(record(nail).rotationFree, 0u);
    EXPECT_EQ(record(nail).scalingFree, 0u);
    // Rotation and scaling off: the shift still applies.
    expectUndoRule([&] {
        EXPECT_EQ(DoNailOperations(window, 1), 1);
        Undo_SetNewStep(window, kernel(), UNDO_OP_NAIL_OPERATIONS);
    });
    EXPECT_EQ(points(p), (Points{{105, 0}, {205, 0}, {205, 100}}));
    NailRotfree(window);
    NailScalfree(window);
    EXPECT_EQ(DoNailOperations(window, 0), 1);
    EXPECT_EQ(points(p), (Points{{5, 210}, {5, 410}, {-195, 410}}));
    n = record(nail);
    n.rotationFree = n.scalingFree = n.shiftOn = 0;
    NailWrite(kernel(), nail, n);
    EXPECT_EQ(DoNailOperations(window, 0), 0);
}

TEST_F(NailTest, DrawnAsItsIconWithTheCircleWhenSelected)
{
    MapLibraryStartup(); // loads the icons and marker images
    const MAP_COORDPT at{2000, 1500};
    SetNailObj2(window, &at);
    const OBJHANDLE nail = GetNailOBJFromPage(window);
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    const HDC dc = CreateImageDC(&image);
    const POINT w = pixel(at);
    ASSERT_EQ(NailDisplay(window, dc, nail, 0, 0), 1);
    int inked = 0;
    for (int y = w.y - 27; y < w.y + 5; ++y)
        for (int x = w.x - 7; x < w.x + 25; ++x)
            inked += image.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(inked, 20);
    int outside = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            if (x < w.x - 7 || x >= w.x + 25 || y < w.y - 27 || y >= w.y + 5)
                outside += image.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_EQ(outside, 0);
    // The selected look inverts the circle's 4 x 4 pixels: drawing it twice
    // over the same icon gives the plain icon back.
    const QImage plain = image.copy();
    ASSERT_EQ(NailDisplay(window, dc, nail, 0x200, 0), 1);
    const QImage once = image.copy();
    ASSERT_EQ(NailDisplay(window, dc, nail, 0x200, 0), 1);
    EXPECT_NE(once, image);
    EXPECT_EQ(NailDisplay(0, dc, nail, 0, 0), 0);
    EXPECT_EQ(NailDisplay(window, dc, 12345, 0, 0), 0);
    DeleteDC(dc);
}

TEST_F(NailTest, ThePopupMenuSendsItsCommands)
{
    const MAP_COORDPT at{2000, 1500};
    SetNailObj2(window, &at);
    const OBJHANDLE nail = GetNailOBJFromPage(window);
    NailScalfree(window);
    const HMENU menu = NailMenuCreate(window, nail);
    EXPECT_TRUE(GetMenuState(menu, ID_NAIL_ROTATION_FREE, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(menu, ID_NAIL_SCALING_FREE, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(GetMenuItemID(menu, 3), ID_NAIL_DELETE);
    DestroyMenu(menu);
    const PopupMenuHook previous = SetPopupMenuHook([](HMENU, int, int) { return ID_NAIL_DELETE; });
    received.clear();
    // The right button on the icon, then beside it.
    EXPECT_EQ(OnDstrRBD(window, pixel({2000, 1600})), 1);
    EXPECT_EQ(receivedOf(WM_COMMAND), std::vector<WPARAM>{ID_NAIL_DELETE});
    EXPECT_EQ(OnDstrRBD(window, pixel({500, 500})), 1);
    EXPECT_EQ(receivedOf(WM_COMMAND).size(), 1u);
    SetPopupMenuHook(previous);
}

// The drag read-outs take the nail's centre and reference point.
TEST_F(NailTest, ReadOutsAboutTheNail)
{
    const MAP_COORDPT at{1000, 1000};
    SetNailObj2(window, &at);
    const OBJHANDLE nail = GetNailOBJFromPage(window);
    NailRecord n = record(nail);
    n.reference = {1100, 1000};
    ASSERT_TRUE(NailWrite(kernel(), nail, n));
    const MAP_COORDPT up{1000, 1300}, opposite{800, 1000};
    EXPECT_NEAR(GetAngle2(window, nail, &up), 90.0, 1e-4);
    EXPECT_NEAR(GetAngle2(window, nail, &opposite), -180.0, 1e-4);
    EXPECT_EQ(GetScale(window, nail, &up), 3.0);
    MAP_COORDPT result{};
    EXPECT_NEAR(GetPrjPointCircle(window, nail, &up, &result), 90.0, 1e-4);
    EXPECT_EQ(result, (MAP_COORDPT{1000, 1100}));
    ASSERT_EQ(GetPrjPoint(window, nail, &up, &result), 1);
    EXPECT_EQ(result, (MAP_COORDPT{1000, 1000}));
    // Not a nail: the neutral answers.
    const OBJHANDLE p = polygon({{0, 0}, {10, 0}, {0, 10}});
    EXPECT_EQ(GetAngle2(window, p, &up), 0.0);
    EXPECT_EQ(GetScale(window, p, &up), 1.0);
    EXPECT_EQ(GetPrjPoint(window, p, &up, &result), 0);
}

TEST_F(NailTest, NailMovesWithinRange)
{
    const MAP_COORDPT at{2000, 1500};
    SetNailObj2(window, &at);
    const OBJHANDLE nail = GetNailOBJFromPage(window);
    const NailRecord before = record(nail);
    EXPECT_EQ(NailMove(kernel(), nail, 10, -20), 1);
    EXPECT_EQ(record(nail).centre, (MAP_COORDPT{2010, 1480}));
    EXPECT_EQ(record(nail).bound.x1, before.bound.x1 + 10);
    EXPECT_EQ(NailMove(kernel(), nail, INT32_MAX, 0), 0);
    EXPECT_EQ(record(nail).centre, (MAP_COORDPT{2010, 1480}));
    EXPECT_EQ(NailMove(kernel(), 0, 1, 1), 0);
    MAP_COORDPT hit{};
    EXPECT_EQ(NailVertexHit(kernel(), nail, rec.displayView, pixel({2010, 1480}), &hit), 1);
    EXPECT_EQ(hit, (MAP_COORDPT{2010, 1480}));
    EXPECT_EQ(NailVertexHit(kernel(), nail, rec.displayView, POINT{0, 0}, &hit), 0);
}

// ---- the dialog -------------------------------------------------------------

TEST_F(NailTest, DialogStartsFromTheSelectionTheMapOrTheNail)
{
    EXPECT_EQ(TransformationModel(window).Initial().centreX, 0) << "empty map";
    const OBJHANDLE p = polygon({{1000, 1000}, {3000, 1000}, {3000, 2000}});
    polygon({{0, 0}, {100, 0}, {100, 100}});
    TransformationModel whole(window);
    EXPECT_EQ(whole.Initial().centreX, 1500);
    EXPECT_EQ(whole.Initial().centreY, 1000);
    select({p});
    TransformationModel selected(window);
    EXPECT_EQ(selected.Initial().centreX, 2000);
    EXPECT_EQ(selected.Initial().centreY, 1500);
    EXPECT_TRUE(selected.Initial().rotateFree && selected.Initial().scaleFree);
    EXPECT_EQ(selected.Initial().scaleX, 1.0);

    const MAP_COORDPT at{700, 800};
    SetNailObj2(window, &at);
    NailRotfree(window);
    TransformationModel nailed(window);
    EXPECT_EQ(nailed.Initial().centreX, 700);
    EXPECT_EQ(nailed.Initial().centreY, 800);
    EXPECT_FALSE(nailed.Initial().rotateFree);
    EXPECT_TRUE(nailed.Initial().scaleFree);
}

TEST_F(NailTest, NumbersWithTheWindowsDecimalCharacter)
{
    rec.decimalChar = ',';
    TransformationModel m(window);
    const std::pair<const char *, double> numbers[] = {
        {"1,5", 1.5}, {"2.5", 2.5}, {"abc", 0.0}, {"-725", -725.0}};
    for (const auto &[text, value] : numbers)
        EXPECT_EQ(m.ParseNumber(text), value) << text;
    EXPECT_EQ(m.ParseScale("0"), 1.0);
    EXPECT_EQ(m.ParseScale("0,0"), 1.0);
    EXPECT_EQ(m.ParseScale("-1"), -1.0);
    EXPECT_EQ(m.NumberText(1.5), "1,5");
    EXPECT_EQ(m.NumberText(2.0), "2");
    EXPECT_EQ(m.NumberText(0.12345), "0,123");
}

TEST_F(NailTest, UntickedRotationStoresTheAngleUnapplied)
{
    const OBJHANDLE p = polygon({{100, 0}, {200, 0}, {200, 100}});
    select({p});
    const MAP_COORDPT origin{0, 0};
    SetNailObj2(window, &origin);
    TransformationModel m(window);
    TransformationValues v = m.Initial();
    v.angle = 90.0;
    v.rotateFree = false;
    v.scaleX = v.scaleY = 0.0;
    v.shiftX = 10;
    EXPECT_EQ(m.Apply(v), 1);
    EXPECT_EQ(points(p), (Points{{110, 0}, {210, 0}, {210, 100}}));
    const NailRecord n = record(GetNailOBJFromPage(window));
    EXPECT_EQ(n.angle, 90.0);
    EXPECT_EQ(n.rotationFree, 0u);
    EXPECT_EQ(n.scale, 1.0);
    EXPECT_EQ(lastStepCode(), UNDO_OP_TRANSFORMATIONS);
}

// Opened once offscreen: the fields show the starting values, a scale of 0
// reads as 1 and OK closes one undo step.
TEST_F(NailTest, DialogOpensAndOkIsOneStep)
{
    const OBJHANDLE p = polygon({{1000, 1000}, {2000, 1000}, {2000, 2000}});
    select({p});
    std::map<int, std::string> shown;
    const ModalDialogHook previous = SetModalDialogHook([&](QDialog &d, int id) {
        EXPECT_EQ(id, TransformationDialog::kTemplateId);
        for (int field : {1005, 1001, 1056, 1058, 1007, 1000, 1006})
            shown[field] = DialogItemAs<QLineEdit>(&d, field)->text().toStdString();
        EXPECT_TRUE(DialogItemAs<QCheckBox>(&d, 1012)->isChecked());
        DialogItemAs<QLineEdit>(&d, 1056)->setText("0");
        DialogItemAs<QLineEdit>(&d, 1058)->setText("0");
        DialogItemAs<QLineEdit>(&d, 1007)->setText("90");
        DialogItemAs<QPushButton>(&d, IDOK)->click();
        return d.result();
    });
    expectUndoRule([&] { EXPECT_EQ(Transformation(window), 1); });
    SetModalDialogHook(previous);
    EXPECT_EQ(shown[1056], "1");
    EXPECT_EQ(shown[1007], "0");
    EXPECT_NE(shown[1005].find("1500"), std::string::npos) << shown[1005];
    EXPECT_EQ(points(p), (Points{{2000, 1000}, {2000, 2000}, {1000, 2000}}));
    EXPECT_EQ(lastStepCode(), UNDO_OP_TRANSFORMATIONS);
}

} // namespace
