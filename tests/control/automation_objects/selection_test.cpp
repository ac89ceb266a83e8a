// The selection, the undo history with grouped steps, the export options,
// projections of their own, and zooming out about the view.
#include "object_model_fixture.h"

#include "control/automation/krt_poly.h"
#include "control/automation/krt_projection.h"
#include "control/automation/krt_selection.h"
#include "control/automation/krt_line_style.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/undo.h"
#include "engine/view/projection/projection_manager.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/undo_window.h"
#include "engine/window/window_points.h"
#include "engine/window/window_selection.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/module.h"
#include "platform/registry.h"
#include "test_paths.h"

#include <QDialog>
#include <QListWidget>
#include <QPushButton>

namespace {

class SelectionTest : public ObjectModelTest {
protected:
    // Selects the object with its selected point at the given place.
    void SelectAt(OBJHANDLE object, MAP_COORDPT at)
    {
        map_AddToSel(ctl->wndRes(), object);
        const OBJHANDLE list = GetRootOBJect(hwnd(), CLASS_SELLIST);
        _COORDPT p{at.x, at.y};
        SendOBJectMessage(ctl->wndRes()->kernel, list, list, 0, GRM_SETSELECTED, WPARAM(object), LPARAM(&p));
    }
    std::vector<MAP_COORDPT> PointsOf(OBJHANDLE h, bool polygon)
    {
        std::vector<MAP_COORDPT> out(16);
        int32_t n = 0;
        const int32_t got = polygon ? map_polygon_Get(hwnd(), h, &n, out.data(), 16)
                                    : map_polyline_Get(hwnd(), h, &n, out.data(), 16);
        out.resize(size_t(std::max(got, 0)));
        return out;
    }
    ComPtr<IDispatch> Selection() { return Property("Selection"); }
};

TEST(SelectionAngle, AFullTurnIsSixPointTwoEight)
{
    struct Case {
        double dx, dy;
        int32_t degrees;
    };
    for (const Case &c : {Case{10, 10, 45}, Case{-10, 0, 180}, Case{0, -10, 269}, Case{10, -1, 354},
                          Case{0, 10, 90}, Case{10, 0, 0}, Case{0, 0, -1}}) {
        SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
        EXPECT_EQ(KrtSelection::AngleOf(c.dx, c.dy), c.degrees);
    }
}

TEST_F(SelectionTest, LookRadiusLengthAndAngleWithoutAnOperation)
{
    auto s = Selection();
    EXPECT_EQ(Long(On(s.get(), "Angle")), -1);
    for (auto [put, read] : {std::pair{35, 20}, std::pair{-3, 0}, std::pair{7, 7}}) {
        ASSERT_EQ(PutOn(s.get(), "Radius", VariantFromLong(put)), S_OK);
        EXPECT_EQ(Long(On(s.get(), "Radius")), read);
    }
    ASSERT_EQ(PutOn(s.get(), "Length", VariantFromDouble(5.0)), S_OK);
    EXPECT_DOUBLE_EQ(On(s.get(), "Length").dblVal,
                     CMapCtrl::ValueInUnit(ctl->view(), ctl->view()->projection.lengthUnit, 5.0));

    auto look = ComPtr<KrtLineStyle>::Adopt(new KrtLineStyle);
    look->color = RGB(1, 2, 3);
    look->style = 4;
    look->width = 5;
    look->flags = 2;
    ASSERT_EQ(PutOn(s.get(), "Style", VariantFromDispatch(look.get())), S_OK);
    auto back = Obj(On(s.get(), "Style"));
    EXPECT_EQ(Long(On(back.get(), "Color")), int32_t(RGB(1, 2, 3)));
    EXPECT_EQ(Long(On(back.get(), "Width")), 5);
    EXPECT_EQ(ctl->wndRes()->selLineFlags, 2);
    ASSERT_EQ(PutOn(s.get(), "Style", VariantFromDispatch(Point(1, 1).get())), S_OK) << "ignored";
    EXPECT_EQ(ctl->wndRes()->selLineStyle, 4);

    EXPECT_EQ(Long(On(s.get(), "Save", {VariantFromLong(3)})), 0) << "a name must be a string";
    EXPECT_NE(PutOn(s.get(), "Objects", Variant()), S_OK);
    // By ProgID it belongs to no map.
    auto loose = ComPtr<KrtSelection>::Adopt(new KrtSelection);
    EXPECT_EQ(On(loose.get(), "Objects").pdispVal, nullptr);
    EXPECT_EQ(On(loose.get(), "SelectedPoint").pdispVal, nullptr);
    EXPECT_EQ(Long(On(loose.get(), "Angle")), -1);
}

TEST_F(SelectionTest, MovingTheSelectedVertexIsOneUndoStepAndMarksTheMap)
{
    auto s = Selection();
    auto to = Point(70, 80);
    // No object: nothing happens.
    ASSERT_EQ(PutOn(s.get(), "SelectedPoint", VariantFromDispatch(to.get())), S_OK);
    EXPECT_FALSE(ctl->GetIsModified());

    const OBJHANDLE polygon = Polygon({{0, 0}, {100, 0}, {100, 100}});
    const OBJHANDLE polyline = Polyline({{200, 200}, {300, 300}});
    // A selected point that is not a vertex: nothing.
    SelectAt(polygon, {50, 50});
    const int32_t steps = Undo_UndoStepsCount(hwnd());
    ASSERT_EQ(PutOn(s.get(), "SelectedPoint", VariantFromDispatch(to.get())), S_OK);
    EXPECT_EQ(PointsOf(polygon, true)[1].x, 100);
    EXPECT_EQ(Undo_UndoStepsCount(hwnd()), steps);
    EXPECT_FALSE(ctl->GetIsModified());

    struct Case {
        OBJHANDLE object;
        MAP_COORDPT vertex;
        bool polygon;
        uint16_t step;
    };
    for (const Case &c : {Case{polygon, {100, 0}, true, 220}, Case{polyline, {300, 300}, false, 222}}) {
        SCOPED_TRACE(c.step);
        map_selection_Clear(hwnd(), 0);
        SelectAt(c.object, c.vertex);
        ctl->SetIsModified(false);
        sink->events.clear();
        ASSERT_EQ(PutOn(s.get(), "SelectedPoint", VariantFromDispatch(to.get())), S_OK);
        const auto points = PointsOf(c.object, c.polygon);
        EXPECT_TRUE(
            std::any_of(points.begin(), points.end(), [](MAP_COORDPT p) { return p.x == 70 && p.y == 80; }));
        EXPECT_EQ(Undo_GetStepWithIndex(hwnd(), 0, 1), c.step);
        EXPECT_TRUE(ctl->GetIsModified());
        auto now = Obj(On(s.get(), "SelectedPoint"));
        EXPECT_EQ(Long(On(now.get(), "x")), 70);
        EXPECT_EQ(sink->Of(EVENT_MOUSEEVENT),
                  (std::vector<RecordedEvent>{{EVENT_MOUSEEVENT, {70, 80, 514, 0}}}));
        EXPECT_EQ(sink->Of(EVENT_SELECTIONCHANGED).size(), 1u);
        // Undone as one step.
        On(Property("UndoRedo").get(), "Undo", {VariantFromLong(1)});
        const auto undone = PointsOf(c.object, c.polygon);
        EXPECT_TRUE(std::any_of(undone.begin(), undone.end(),
                                [&](MAP_COORDPT p) { return p.x == c.vertex.x && p.y == c.vertex.y; }));
    }
}

TEST_F(SelectionTest, GroupedStepsAreUndoneAsOne)
{
    auto undo = Property("UndoRedo");
    auto objects = Property("MapObjects");
    const int32_t before = Long(On(undo.get(), "UndoItemsCount"));
    On(undo.get(), "BeginStep");
    for (int i = 0; i < 2; ++i) {
        auto poly = ComPtr<KrtPoly>::Adopt(new KrtPoly);
        poly->isPolyline = false;
        poly->points().Add(i * 100, 0);
        poly->points().Add(i * 100 + 50, 0);
        poly->points().Add(i * 100 + 50, 50);
        ASSERT_NE(Long(On(objects.get(), "Add", {VariantFromDispatch(poly.get())})), 0);
    }
    On(undo.get(), "Undo", {VariantFromLong(1)});
    EXPECT_EQ(Long(On(Property("MapPolygons").get(), "Count")), 2) << "no undo while a step is open";
    On(undo.get(), "EndStep", {VariantFromShort(0)});
    EXPECT_EQ(ctl->wndRes()->undoEnabled, 0) << "an identifier below 1 leaves it open";
    On(undo.get(), "EndStep", {VariantFromShort(6)});
    EXPECT_EQ(Long(On(undo.get(), "UndoItemsCount")), before + 1);
    auto item = Obj(On(undo.get(), "UndoItems", {VariantFromLong(0)}));
    ASSERT_TRUE(item);
    EXPECT_EQ(Long(On(item.get(), "Identifier")), 6);
    EXPECT_EQ(Text(On(item.get(), "Name")), OperationHumanName(6));
    EXPECT_EQ(On(undo.get(), "UndoItems", {VariantFromLong(before + 1)}).pdispVal, nullptr);
    EXPECT_EQ(On(undo.get(), "RedoItems", {VariantFromLong(0)}).pdispVal, nullptr);

    On(undo.get(), "Undo", {VariantFromLong(1)});
    EXPECT_EQ(Long(On(Property("MapPolygons").get(), "Count")), 0);
    EXPECT_EQ(Long(On(undo.get(), "RedoItemsCount")), 1);
    On(undo.get(), "Redo", {VariantFromLong(1)});
    EXPECT_EQ(Long(On(Property("MapPolygons").get(), "Count")), 2);
}

TEST(ExportParameters, ClampsAndOneMemberUnderBothNames)
{
    auto p = ComPtr<KrtExportParameters>::Adopt(new KrtExportParameters);
    struct Case {
        const char *name;
        int32_t put, read;
    };
    for (const Case &c : {Case{"JpgCompressionDegree", 0, 1}, Case{"JpgCompressionDegree", 250, 100},
                          Case{"JpgCompressionDegree", 55, 55}, Case{"PNGExportMode", 6, 2},
                          Case{"PngExportMode", -1, -1}, Case{"PngExportMode", 5, 1},
                          Case{"PngCompressionLevel", -7, -3}, Case{"PngCompressionLevel", 3, 3}}) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.put));
        ASSERT_EQ(PutByName(p.get(), c.name, VariantFromLong(c.put)), S_OK);
        const Variant v = CallByName(p.get(), c.name, DISPATCH_PROPERTYGET);
        EXPECT_EQ(v.lVal, c.read);
    }
    DISPID a = 0, b = 0;
    const std::string n1 = "PngExportMode", n2 = "PNGExportMode";
    p->GetIDsOfNames({&n1, 1}, {&a, 1});
    p->GetIDsOfNames({&n2, 1}, {&b, 1});
    EXPECT_EQ(a, 2);
    EXPECT_EQ(a, b);
    int16_t engine[4];
    p->ToEngine(engine);
    EXPECT_EQ(engine[0], 55);
    EXPECT_EQ(engine[3], 1);
}

class ProjectionTest : public ObjectModelTest {
protected:
    void SetUp() override
    {
        ObjectModelTest::SetUp();
        setenv("MAP_MODULES_DIR", MAP_MODULES_DIR, 1);
        HKEY key = 0;
        const std::string path = std::string(kEngineSettingsKey) + "\\" + kProjectionsSubkey;
        RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        const std::string file = "tm.so";
        RegSetValueExA(key, "Transverse Mercator", 0, REG_SZ, reinterpret_cast<const BYTE *>(file.c_str()),
                       DWORD(file.size() + 1));
        RegCloseKey(key);
    }
    void TearDown() override
    {
        SetModalDialogHook({});
        unsetenv("MAP_MODULES_DIR");
        ObjectModelTest::TearDown();
    }
};

TEST_F(ProjectionTest, ABareModuleNameIsLookedForBesideTheLibrary)
{
    const std::string folder = ModuleFolderOf(reinterpret_cast<const void *>(&KrtProjection::FullModulePath));
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(KrtProjection::FullModulePath("tm.so"), folder + "tm.so");
    EXPECT_EQ(KrtProjection::FullModulePath("/opt/x/tm.so"), "/opt/x/tm.so");

    auto p = ComPtr<KrtProjection>::Adopt(new KrtProjection);
    EXPECT_FALSE(On(p.get(), "IsValid").boolVal);
    EXPECT_EQ(Text(On(p.get(), "Name")), "");
    EXPECT_EQ(Text(On(p.get(), "GetPathFromhLib")), "");
    auto a = Point(1, 2), b = Point(0, 0);
    EXPECT_EQ(Long(On(p.get(), "Forward", {VariantFromDispatch(a.get()), VariantFromDispatch(b.get())})), 0);
    EXPECT_EQ(Long(On(p.get(), "GetBaseCoordSystem")), CS_SPHERIC);
    EXPECT_EQ(Long(On(p.get(), "UnitTransformed")), 4);

    ASSERT_EQ(PutOn(p.get(), "Path", VariantFromString("tm.so")), S_OK);
    EXPECT_EQ(Text(On(p.get(), "Path")), "tm.so");
    ASSERT_TRUE(On(p.get(), "IsValid").boolVal);
    const std::string file = Text(On(p.get(), "GetPathFromhLib"));
    EXPECT_EQ(file.substr(file.size() - 6), "/tm.so");
    EXPECT_NE(Text(On(p.get(), "Name")), "");
    EXPECT_EQ(Long(On(p.get(), "Forward", {VariantFromDispatch(a.get()), VariantFromDispatch(b.get())})), 1);
    EXPECT_EQ(Long(On(p.get(), "Forward",
                      {VariantFromDispatch(a.get()), VariantFromDispatch(Rect(0, 0, 0, 0).get())})),
              0)
        << "a rectangle is not a point";

    const std::string metre = Text(On(p.get(), "GetUnitName", {VariantFromLong(4)}));
    ASSERT_FALSE(metre.empty());
    EXPECT_EQ(Long(On(p.get(), "GetUnitID", {VariantFromString(metre)})), 4);
    EXPECT_EQ(Long(On(p.get(), "GetUnitID", {VariantFromString("no such unit")})), -1);
    const std::string datum = Text(On(p.get(), "GetDatumName", {VariantFromLong(116)}));
    EXPECT_EQ(Long(On(p.get(), "GetDatumID", {VariantFromString(datum)})), 116);
    EXPECT_EQ(Text(On(p.get(), "GetDatumName", {VariantFromLong(5000)})), "");
}

TEST_F(ProjectionTest, SelectProjectionRunsTheEnginesDialogs)
{
    SetModalDialogHook([](QDialog &d, int id) {
        if (id == 139) {
            auto *list = DialogItemAs<QListWidget>(&d, 600);
            list->setCurrentItem(list->findItems("Transverse Mercator", Qt::MatchStartsWith).value(0));
            DialogItemAs<QPushButton>(&d, IDOK)->click();
            return d.result();
        }
        DialogItemAs<QPushButton>(&d, 610)->click();
        EXPECT_TRUE(DialogItemAs<QPushButton>(&d, IDOK)->isEnabled());
        DialogItemAs<QPushButton>(&d, IDOK)->click();
        return d.result();
    });
    auto p = ComPtr<KrtProjection>::Adopt(new KrtProjection);
    EXPECT_TRUE(On(p.get(), "SelectProjection", {VariantFromLong(0)}).boolVal);
    EXPECT_TRUE(On(p.get(), "IsValid").boolVal);
    SetModalDialogHook([](QDialog &, int) { return IDCANCEL; });
    EXPECT_FALSE(On(p.get(), "SelectProjection", {VariantFromLong(0)}).boolVal);
    EXPECT_TRUE(On(p.get(), "IsValid").boolVal) << "cancelling keeps the module";
}

TEST_F(ObjectModelTest, ZoomingOutAboutTheViewWithAnEmptyRectangle)
{
    const MAP_COORDRECT before = ctl->view()->worldRect;
    auto zeros = Rect(0, 0, 0, 0);
    ASSERT_EQ(Long(Call("Zoom", {VariantFromDispatch(zeros.get()), VariantFromBool(false)})), 1);
    const MAP_COORDRECT after = ctl->view()->worldRect;
    const double w0 = double(before.x2) - before.x1, w1 = double(after.x2) - after.x1;
    const double h0 = double(before.y2) - before.y1, h1 = double(after.y2) - after.y1;
    EXPECT_NEAR(w1 / w0, 2.0, 0.02);
    EXPECT_NEAR(h1 / h0, 2.0, 0.02);
    EXPECT_NEAR((double(after.x1) + after.x2) / 2, (double(before.x1) + before.x2) / 2, w0 * 0.01);
    EXPECT_NEAR((double(after.y1) + after.y2) / 2, (double(before.y1) + before.y2) / 2, h0 * 0.01);
}

} // namespace
