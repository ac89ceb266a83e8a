// The bridge on a live control: typed objects create their engine objects
// with one undo step each, are written back and read back, refused
// geometry changes nothing, and objects that outlive their map answer as
// free-standing ones.
#include "tests/control/control_fixture.h"
#include "tests/control/automation_classes/automation_fixture.h"

#include "control/automation/library_objects.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layer_groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_queries.h"
#include "engine/kernel/object_store.h"
#include "engine/view/raster/raster_object.h"
#include "engine/window/undo_window.h"
#include "engine/window/window_identifiers.h"
#include "engine/window/window_layers.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_queries.h"
#include "engine/window/window_text.h"
#include "platform/message_box.h"

#include <QImage>
#include <QTemporaryDir>
#include <cstring>
#include <functional>

namespace {

class Bridge : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        previousHook = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook(previousHook);
        ControlTest::TearDown();
    }

    _WNDRES *rec() { return ctl->wndRes(); }
    OBJectKernel *kernel() { return rec()->kernel; }
    int32_t steps() { return Undo_UndoStepsCount(hwnd()); }
    uint16_t lastStep() { return Undo_GetStepWithIndex(hwnd(), 0, 1); }
    int32_t objects() { return GetHandlesCount(rec(), 0x800); }
    bool modified() { return (rec()->flags & WNDRES_MODIFIED) != 0; }
    void clearModified() { rec()->flags &= uint16_t(~WNDRES_MODIFIED); }

    // The dispatch error of a bridge call, 0 when it raised none.
    int32_t Raised(const std::function<void()> &call, std::string *text = nullptr)
    {
        try {
            call();
        } catch (const AutomationException &e) {
            if (text)
                *text = e.text();
            return e.code();
        }
        return 0;
    }

    std::vector<MessageBoxRequest> boxes;
    MessageBoxHook previousHook;
};

TEST_F(Bridge, PolysNeedEnoughPointsAndRefusedOnesChangeNothing)
{
    struct Case {
        bool polyline;
        int points;
        int32_t error;
        const char *text;
        uint16_t step;
    };
    const Case cases[] = {
        {false, 2, kErrorRefusedGeometry, "Polygon must have more than two points", 0},
        {false, 0, kErrorRefusedGeometry, "Polygon must have more than two points", 0},
        {true, 1, kErrorRefusedGeometry, "Polyline must have more than one point", 0},
        {true, 2, 0, "", 3},
        {false, 3, 0, "", 2},
    };
    for (const Case &c : cases) {
        auto poly = Make<KrtPoly>();
        poly->isPolyline = c.polyline;
        for (int i = 0; i < c.points; ++i)
            poly->points().Add(i * 100, i * i * 10);
        const int32_t before = objects(), stepsBefore = steps();
        clearModified();
        std::string text;
        OBJHANDLE h = 0;
        EXPECT_EQ(Raised([&] { h = KrtObjectFromAutomation(*ctl, D(poly.get())); }, &text), c.error);
        EXPECT_EQ(text, c.text);
        if (c.error) {
            EXPECT_EQ(objects(), before);
            EXPECT_EQ(steps(), stepsBefore);
            EXPECT_FALSE(modified());
            EXPECT_EQ(poly->hObject, 0u);
            EXPECT_FALSE(poly->map.bound());
            continue;
        }
        ASSERT_NE(h, 0u);
        EXPECT_EQ(poly->hObject, h);
        EXPECT_EQ(poly->hLayer, ctl->GetObjectLayer(0));
        EXPECT_EQ(poly->map.control(), ctl);
        EXPECT_EQ(lastStep(), c.step);
        EXPECT_EQ(steps(), stepsBefore + 1);
        EXPECT_TRUE(modified());
        EXPECT_EQ(ctl->GetObjectType(h), c.polyline ? 1 : 2);
    }
}

TEST_F(Bridge, PolysReadBackAsCopiesAndUpdateByTheirOwnHandle)
{
    const OBJHANDLE polygon = Polygon({{0, 0}, {100, 0}, {100, 100}});
    ComPtr<IDispatch> read = ComPtr<IDispatch>::Adopt(KrtObjectReadEngine(*ctl, polygon));
    KrtPoly *poly = LibraryObjectAs<KrtPoly>(read.get());
    ASSERT_NE(poly, nullptr);
    EXPECT_FALSE(poly->isPolyline);
    EXPECT_EQ(poly->hObject, polygon);
    ASSERT_EQ(poly->points().count(), 3);
    EXPECT_EQ(poly->points().points()[1].x, 100);
    // The read-back list's rectangle stays empty.
    EXPECT_EQ(poly->points().bound.x1, 2147483647);

    poly->points().Add(-50, 50);
    clearModified();
    EXPECT_EQ(KrtObjectUpdateEngine(*ctl, read.get()), polygon);
    int32_t total = 0;
    map_polygon_Get(hwnd(), polygon, &total, nullptr, 0);
    EXPECT_EQ(total, 4);
    EXPECT_TRUE(modified());

    // Updated to two points, a polygon is refused and stays as it was.
    poly->points().SetCount(2);
    EXPECT_EQ(Raised([&] { KrtObjectUpdateEngine(*ctl, read.get()); }), kErrorRefusedGeometry);
    map_polygon_Get(hwnd(), polygon, &total, nullptr, 0);
    EXPECT_EQ(total, 4);
}

TEST_F(Bridge, ATextWithoutFontNameTakesTheDefaultDescription)
{
    auto text = Make<KrtText>();
    const int32_t stepsBefore = steps();
    const OBJHANDLE h = KrtObjectFromAutomation(*ctl, D(text.get()));
    ASSERT_NE(h, 0u);
    EXPECT_EQ(lastStep(), 4);
    EXPECT_EQ(steps(), stepsBefore + 1);
    char face[64] = {}, buffer[16] = {};
    int32_t size = 0;
    map_text_GetEx(hwnd(), h, nullptr, buffer, sizeof buffer, nullptr, face, sizeof face, &size, nullptr,
                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_STREQ(face, "Arial");
    EXPECT_EQ(size, 10);
    EXPECT_STREQ(buffer, "x");
    EXPECT_EQ(text->hObject, h);
    EXPECT_EQ(text->map.control(), ctl);
    // A bound text made by hand carries no identifier reference.
    EXPECT_FALSE(GetValue(D(text.get()), "IsDerivedFromID").boolVal);
}

TEST_F(Bridge, LabelTextsOfIdentifiersAreDerivedFromThem)
{
    const OBJHANDLE polygon = Polygon({{0, 0}, {100, 0}, {100, 100}});
    ASSERT_EQ(ctl->SetObjectID(polygon, true, "P-17", 1), 1);
    OBJHANDLE label = 0, secondary = 0;
    char primary[16] = {};
    map_object_id_Get(hwnd(), polygon, primary, sizeof primary, nullptr, 0, &label, &secondary);
    ASSERT_NE(label, 0u);
    ComPtr<IDispatch> read = ComPtr<IDispatch>::Adopt(KrtObjectReadEngine(*ctl, label));
    ASSERT_EQ(AutomationObjectType(read.get()), kObjectTypeText);
    EXPECT_TRUE(GetValue(read.get(), "IsDerivedFromID").boolVal);
    EXPECT_EQ(GetText(read.get(), "Text"), "P-17");
}

TEST_F(Bridge, FontNameWinsAtCreationTheFontDescriptionAtUpdate)
{
    auto text = Make<KrtText>();
    PutValue(D(text.get()), "Text", VariantFromString("Label & <b>"));
    PutValue(D(text.get()), "FontName", VariantFromString("Courier New"));
    ComPtr<IDispatch> font =
        ComPtr<IDispatch>::Adopt(FontObjectFromDescription({12, "Times New Roman", 0, 0}));
    PutValue(D(text.get()), "Font", VariantFromDispatch(font.get()));
    PutValue(D(text.get()), "HorizontalAlignment", VariantFromLong(1));
    PutValue(D(text.get()), "Escapement", VariantFromLong(450));
    PutValue(D(text.get()), "Rotation", VariantFromLong(77));
    const OBJHANDLE h = KrtObjectFromAutomation(*ctl, D(text.get()));
    ASSERT_NE(h, 0u);
    auto face = [&] {
        char f[64] = {};
        map_text_GetEx(hwnd(), h, nullptr, nullptr, 0, nullptr, f, sizeof f, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr, nullptr);
        return std::string(f);
    };
    EXPECT_EQ(face(), "Courier New");
    EXPECT_EQ(KrtObjectUpdateEngine(*ctl, D(text.get())), h);
    EXPECT_EQ(face(), "Times New Roman");

    ComPtr<IDispatch> read = ComPtr<IDispatch>::Adopt(KrtObjectReadEngine(*ctl, h));
    KrtText *back = LibraryObjectAs<KrtText>(read.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->text, "Label & <b>");
    EXPECT_EQ(back->size, 12);
    EXPECT_EQ(back->font.size, 12);
    EXPECT_EQ(back->font.face, "Times New Roman");
    EXPECT_EQ(back->faceName, "Times New Roman");
    EXPECT_EQ(GetText(read.get(), "FontName"), "Times New Roman");
    EXPECT_EQ(back->escapement, 450);
    EXPECT_EQ(back->rotation, 0);
    EXPECT_EQ(GetLong(read.get(), "HorizontalAlignment"), 1);
    EXPECT_EQ(back->hLayer, ctl->GetObjectLayer(h));
}

TEST_F(Bridge, ALayerNumberedMinusOneReadsTheEnginesNumberBack)
{
    struct Case {
        int32_t number;
        bool rangeApplied;
    };
    for (const Case &c : {Case{-1, true}, Case{5, false}}) {
        auto layer = Make<KrtLayer>();
        layer->number = c.number;
        layer->visibleFromScale = 50000;
        layer->visibleToScale = 1000;
        PutValue(D(layer.get()), "Name", VariantFromString(std::string(60, 'N')));
        const OBJHANDLE h = KrtObjectFromAutomation(*ctl, D(layer.get()));
        ASSERT_NE(h, 0u);
        EXPECT_EQ(lastStep(), 8);
        int32_t number = 0;
        char name[64] = {};
        map_layer_Get(hwnd(), h, nullptr, nullptr, 0, &number, name, sizeof name, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr);
        EXPECT_EQ(layer->number, number);
        if (c.number >= 0)
            EXPECT_EQ(number, c.number);
        else
            EXPECT_GT(number, 0);
        EXPECT_EQ(std::string(name), std::string(47, 'N'));
        double from = -1, to = -1;
        LayerZoomGet(kernel(), h, &from, &to);
        EXPECT_EQ(from, c.rangeApplied ? 50000 : 0) << c.number;
        EXPECT_EQ(to, c.rangeApplied ? 1000 : 0) << c.number;
    }
}

TEST_F(Bridge, LayerUpdatesAreOneUndoableStep)
{
    auto layer = Make<KrtLayer>();
    layer->name = "Roads";
    const OBJHANDLE h = KrtObjectFromAutomation(*ctl, D(layer.get()));
    ASSERT_NE(h, 0u);

    ComPtr<IDispatch> read = ComPtr<IDispatch>::Adopt(KrtObjectReadEngine(*ctl, h));
    KrtLayer *copy = LibraryObjectAs<KrtLayer>(read.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->name, "Roads");
    EXPECT_EQ(copy->number, layer->number);
    copy->name = "Rivers";
    // A new layer has no fill: the fill colour counts once that flag is off.
    EXPECT_TRUE(copy->flags & KrtLayer::kNoFillColor);
    copy->flags &= uint16_t(~KrtLayer::kNoFillColor);
    copy->fillColor = 0x00FF8000;
    copy->fillPattern = 3;
    copy->lineStyle().width = 4;
    copy->lineStyle().color = 0x0000FF;
    copy->transparency = 40;
    clearModified();
    EXPECT_EQ(KrtObjectUpdateEngine(*ctl, read.get()), h);
    EXPECT_EQ(lastStep(), 261);
    EXPECT_TRUE(modified());

    ComPtr<IDispatch> again = ComPtr<IDispatch>::Adopt(KrtObjectReadEngine(*ctl, h));
    KrtLayer *now = LibraryObjectAs<KrtLayer>(again.get());
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->name, "Rivers");
    EXPECT_EQ(now->fillColor, 0x00FF8000u);
    EXPECT_EQ(now->fillPattern, 3);
    EXPECT_EQ(now->lineStyle().width, 4);
    EXPECT_EQ(now->lineStyle().color, 0x0000FFu);
    EXPECT_EQ(now->transparency, 40);

    ASSERT_EQ(Call("Command", {VariantFromLong(mCmdUndo)}).lVal, 1);
    char name[64] = {};
    map_layer_Get(hwnd(), h, nullptr, nullptr, 0, nullptr, name, sizeof name, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr);
    EXPECT_STREQ(name, "Roads");

    // Something that is not a layer is not written as one.
    auto bogus = Make<KrtLayer>();
    bogus->hObject = Polygon({{0, 0}, {5, 0}, {5, 5}});
    const int32_t stepsBefore = steps();
    EXPECT_EQ(KrtObjectUpdateEngine(*ctl, D(bogus.get())), 0u);
    EXPECT_EQ(steps(), stepsBefore);
}

TEST_F(Bridge, ThePageLayerKeepsItsNumberAndNameAndActivationIsUndone)
{
    const OBJHANDLE page = GetPageLayer(hwnd());
    ASSERT_NE(page, 0u);
    ComPtr<IDispatch> read = ComPtr<IDispatch>::Adopt(KrtObjectReadEngine(*ctl, page));
    KrtLayer *copy = LibraryObjectAs<KrtLayer>(read.get());
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->number, INT32_MAX);
    const std::string name = copy->name;
    copy->number = 3;
    copy->name = "Renamed";
    EXPECT_EQ(KrtObjectUpdateEngine(*ctl, read.get()), page);
    EXPECT_EQ(copy->number, INT32_MAX);
    char now[64] = {};
    map_layer_Get(hwnd(), page, nullptr, nullptr, 0, nullptr, now, sizeof now, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr);
    EXPECT_EQ(std::string(now), name);

    // Making another layer active is one step that undo takes back.
    const OBJHANDLE active = ctl->GetObjectLayer(0);
    auto layer = Make<KrtLayer>();
    const OBJHANDLE h = KrtObjectFromAutomation(*ctl, D(layer.get()));
    ASSERT_NE(h, 0u);
    ASSERT_EQ(ctl->GetObjectLayer(0), active);
    ComPtr<IDispatch> other = ComPtr<IDispatch>::Adopt(KrtObjectReadEngine(*ctl, h));
    ASSERT_EQ(PutValue(other.get(), "Active", VariantFromBool(true)).hr, S_OK);
    EXPECT_EQ(KrtObjectUpdateEngine(*ctl, other.get()), h);
    EXPECT_EQ(ctl->GetObjectLayer(0), h);
    ASSERT_EQ(Call("Command", {VariantFromLong(mCmdUndo)}).lVal, 1);
    EXPECT_EQ(ctl->GetObjectLayer(0), active);
}

TEST_F(Bridge, DeletingALayerIsStep102AndAPolygonNoStepOfItsOwn)
{
    auto layer = Make<KrtLayer>();
    const OBJHANDLE h = KrtObjectFromAutomation(*ctl, D(layer.get()));
    ASSERT_NE(h, 0u);
    const int32_t layers = GetLayersCount(rec());
    EXPECT_EQ(KrtObjectDeleteEngine(*ctl, h), 0);
    EXPECT_EQ(lastStep(), 102);
    EXPECT_EQ(GetLayersCount(rec()), layers - 1);

    const OBJHANDLE polygon = Polygon({{0, 0}, {10, 0}, {10, 10}});
    const int32_t stepsBefore = steps(), before = objects();
    clearModified();
    EXPECT_EQ(KrtObjectDeleteEngine(*ctl, polygon), 0);
    EXPECT_EQ(steps(), stepsBefore);
    EXPECT_EQ(objects(), before - 1);
    EXPECT_TRUE(modified());

    // Numbers that name no map object delete nothing: not the roots either.
    const int32_t all = int32_t(KernelGetHandlesCount(kernel()));
    clearModified();
    for (OBJHANDLE bogus : {OBJHANDLE(0), OBJHANDLE(1234), rec()->rootObject, OBJHANDLE(0xFFFFFFFF)})
        EXPECT_EQ(KrtObjectDeleteEngine(*ctl, bogus), 0);
    EXPECT_EQ(int32_t(KernelGetHandlesCount(kernel())), all);
    EXPECT_FALSE(modified());
}

TEST_F(Bridge, GroupsAreCreatedNamedAndReadBackWhateverPropertyAsksForThem)
{
    auto group = Make<KrtGroup>();
    group->name = "Parcels";
    const OBJHANDLE g = KrtObjectFromAutomation(*ctl, D(group.get()));
    ASSERT_NE(g, 0u);
    EXPECT_EQ(lastStep(), 9);
    EXPECT_EQ(ctl->GetObjectType(g), 33);

    // What reads Poly of a group yields a group.
    ComPtr<IDispatch> read = ComPtr<IDispatch>::Adopt(KrtObjectReadEngine(*ctl, g));
    EXPECT_EQ(AutomationObjectType(read.get()), kObjectTypeGroup);
    KrtGroup *back = LibraryObjectAs<KrtGroup>(read.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->name, "Parcels");
    EXPECT_EQ(back->hLayer, 0u);

    back->name = "Lots";
    EXPECT_EQ(KrtObjectUpdateEngine(*ctl, read.get()), g);
    char name[32] = {};
    uint32_t length = 0;
    GroupNameGet(kernel(), g, &length, name, sizeof name);
    EXPECT_STREQ(name, "Lots");
}

TEST_F(Bridge, ALayersThemeIsALayerGroupAndActsAtOnce)
{
    auto layer = Make<KrtLayer>();
    ASSERT_NE(KrtObjectFromAutomation(*ctl, D(layer.get())), 0u);
    auto group = Make<KrtGroup>();
    group->name = "Transport";
    ASSERT_NE(KrtObjectFromAutomation(*ctl, D(group.get())), 0u);

    clearModified();
    EXPECT_EQ(PutValue(D(layer.get()), "Theme", VariantFromDispatch(group.get())).hr, S_OK);
    EXPECT_TRUE(modified());
    EXPECT_TRUE(LG_IsLayerGroup(kernel(), group->hObject));
    Variant theme = GetValue(D(layer.get()), "Theme");
    KrtGroup *read = LibraryObjectAs<KrtGroup>(theme.pdispVal);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->hObject, group->hObject);
    EXPECT_EQ(read->name, "Transport");

    // A free-standing group, or no group, changes nothing.
    auto loose = Make<KrtGroup>();
    clearModified();
    for (const Variant &v : {VariantFromDispatch(loose.get()), VariantFromDispatch(layer.get()), Variant()})
        EXPECT_EQ(PutValue(D(layer.get()), "Theme", v).hr, S_OK);
    EXPECT_FALSE(modified());
}

TEST_F(Bridge, ForeignObjectsCreateNothingAndPresentationsAreToldAbout)
{
    auto foreign = ComPtr<ForeignObject>::Adopt(new ForeignObject);
    const int32_t before = objects();
    EXPECT_EQ(KrtObjectFromAutomation(*ctl, D(Make<KrtRect>().get())), 0u);
    EXPECT_EQ(KrtObjectFromAutomation(*ctl, nullptr), 0u);
    EXPECT_EQ(KrtObjectFromAutomation(*ctl, foreign.get()), 0u);
    EXPECT_TRUE(boxes.empty());
    // A legend waits for the presentations: nothing is made.
    EXPECT_EQ(KrtObjectFromAutomation(*ctl, D(Make<KrtLegend>().get())), 0u);

    foreign->offersPresentation = true;
    EXPECT_EQ(KrtObjectFromAutomation(*ctl, foreign.get()), 0u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Object is KrtPresentation - but IUnknown interface is not supported now");
    EXPECT_EQ(boxes[0].caption, "Ranges of Area");

    foreign->offersPresentation = false;
    foreign->refuseDispatch = true;
    EXPECT_EQ(KrtObjectFromAutomation(*ctl, foreign.get()), 0u);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Object does not support IDispatch!");
    EXPECT_EQ(boxes[1].caption, "KrtMap warning");
    EXPECT_EQ(objects(), before);
    EXPECT_EQ(AutomationObjectHandle(foreign.get()), 0u);
    EXPECT_EQ(AutomationObjectType(foreign.get()), 0);
}

TEST_F(Bridge, MovesAndLayerPutsActOnTheEngineObject)
{
    auto poly = MakePoly(false, {{0, 0}, {100, 0}, {100, 100}});
    const OBJHANDLE h = KrtObjectFromAutomation(*ctl, D(poly.get()));
    ASSERT_NE(h, 0u);
    EXPECT_EQ(KrtObjectMoveEngine(*ctl, h, 10, -5), 1);
    MAP_COORDPT points[3] = {};
    int32_t total = 0;
    map_polygon_Get(hwnd(), h, &total, points, 3);
    EXPECT_EQ(points[2].x, 110);
    EXPECT_EQ(points[2].y, 95);

    auto layer = Make<KrtLayer>();
    const OBJHANDLE other = KrtObjectFromAutomation(*ctl, D(layer.get()));
    ASSERT_NE(other, 0u);
    EXPECT_EQ(PutValue(D(poly.get()), "hLayer", VariantFromLong(int32_t(other))).hr, S_OK);
    EXPECT_EQ(map_object_layer_Get(hwnd(), h), other);
}

// --- Rasters ------------------------------------------------------------------------------

class BridgeRasters : public Bridge {
protected:
    void SetUp() override
    {
        Bridge::SetUp();
        ASSERT_TRUE(dir.isValid());
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(qRgb(20, 120, 200));
        file = (dir.path() + "/image.png").toStdString();
        ASSERT_TRUE(image.save(QString::fromStdString(file), "PNG"));
    }
    QTemporaryDir dir;
    std::string file;
};

TEST_F(BridgeRasters, WidthAndHeightSurviveAnUpdateAndUnknownFormatsReadAsMinusOne)
{
    auto raster = Make<KrtRaster>();
    raster->fileName = file;
    raster->fileFormat = 3;
    raster->originX = 0;
    raster->originY = 0;
    raster->width = 600;
    raster->rasterScale = 10000;
    const OBJHANDLE h = KrtObjectFromAutomation(*ctl, D(raster.get()));
    ASSERT_NE(h, 0u);
    EXPECT_EQ(lastStep(), 11);

    // Added, the object describes the placement: 600 wide keeps the image's
    // proportions.
    EXPECT_EQ(raster->width, 600);
    EXPECT_EQ(raster->height, 400);
    EXPECT_GT(raster->resolutionX, 0.0);

    // A read-back copy written with a new size keeps it, height and width
    // each on its own axis.
    ComPtr<IDispatch> copy = ComPtr<IDispatch>::Adopt(KrtObjectReadEngine(*ctl, h));
    KrtRaster *changed = LibraryObjectAs<KrtRaster>(copy.get());
    ASSERT_NE(changed, nullptr);
    changed->width = 300;
    changed->height = 200;
    EXPECT_EQ(KrtObjectUpdateEngine(*ctl, copy.get()), h);
    ComPtr<IDispatch> read = ComPtr<IDispatch>::Adopt(KrtObjectReadEngine(*ctl, h));
    KrtRaster *back = LibraryObjectAs<KrtRaster>(read.get());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->width, 300);
    EXPECT_EQ(back->height, 200);
    EXPECT_EQ(back->fileFormat, 3);
    EXPECT_EQ(back->fileName, file);
    EXPECT_GT(back->resolutionX, 0.0);
    EXPECT_GT(back->resolutionY, 0.0);

    // Conflicting changes raise the engine's collected error, the raster as
    // it was.
    back->width = 100;
    back->resolutionX *= 2;
    std::string text;
    EXPECT_EQ(Raised([&] { KrtObjectUpdateEngine(*ctl, read.get()); }, &text), 1052);
    EXPECT_NE(text.find("It's not allowed to change both width and horizontal resolution"),
              std::string::npos);

    // A format name that is none of the five.
    char *locked = RasterObjectLock(kernel(), h);
    ASSERT_NE(locked, nullptr);
    RasterObjectData data = RasterRecordLoad(locked);
    std::strcpy(data.formatName, "BMP");
    RasterRecordStore(locked, data);
    ComPtr<IDispatch> bmp = ComPtr<IDispatch>::Adopt(KrtObjectReadEngine(*ctl, h));
    EXPECT_EQ(GetLong(bmp.get(), "FileFormat"), -1);
}

TEST_F(BridgeRasters, EngineRasterErrorsPassThroughWithTheirNumbers)
{
    auto raster = Make<KrtRaster>();
    raster->fileName = dir.path().toStdString() + "/missing.png";
    raster->fileFormat = 3;
    const int32_t before = objects();
    EXPECT_EQ(Raised([&] { KrtObjectFromAutomation(*ctl, D(raster.get())); }), 1050);

    raster->fileName = file;
    raster->width = 100;
    raster->resolutionX = 96;
    EXPECT_EQ(Raised([&] { KrtObjectFromAutomation(*ctl, D(raster.get())); }), 1051);
    EXPECT_EQ(objects(), before);
    EXPECT_EQ(raster->hObject, 0u);
}

// --- Lifetime -----------------------------------------------------------------------------

TEST_F(Bridge, ObjectsThatOutliveTheirMapAnswerAsFreeStanding)
{
    auto poly = MakePoly(false, {{0, 0}, {100, 0}, {100, 100}});
    auto text = Make<KrtText>();
    auto layer = Make<KrtLayer>();
    ASSERT_NE(KrtObjectFromAutomation(*ctl, D(poly.get())), 0u);
    ASSERT_NE(KrtObjectFromAutomation(*ctl, D(text.get())), 0u);
    ASSERT_NE(KrtObjectFromAutomation(*ctl, D(layer.get())), 0u);
    auto group = Make<KrtGroup>();
    ASSERT_NE(KrtObjectFromAutomation(*ctl, D(group.get())), 0u);
    PutValue(D(layer.get()), "Theme", VariantFromDispatch(group.get()));
    ASSERT_NE(GetValue(D(layer.get()), "Theme").pdispVal, nullptr);

    ASSERT_EQ(Call("Close").lVal, 1);
    EXPECT_EQ(poly->map.control(), nullptr);
    EXPECT_TRUE(poly->map.bound());
    EXPECT_EQ(PutValue(D(poly.get()), "hLayer", VariantFromLong(int32_t(layer->hObject))).hr, S_OK);
    EXPECT_FALSE(GetValue(D(text.get()), "IsDerivedFromID").boolVal);
    EXPECT_EQ(GetValue(D(layer.get()), "Theme").pdispVal, nullptr);

    // The control gone: the same answers, nothing touched.
    auto survivor = Make<KrtText>();
    ASSERT_NE(KrtObjectFromAutomation(*ctl, D(survivor.get())), 0u);
    object = ComPtr<MapControl>();
    ctl = nullptr;
    EXPECT_EQ(survivor->map.control(), nullptr);
    EXPECT_EQ(survivor->map.record(), nullptr);
    EXPECT_EQ(survivor->map.window(), HWND(0));
    EXPECT_EQ(PutValue(D(survivor.get()), "hLayer", VariantFromLong(3)).hr, S_OK);
    EXPECT_FALSE(GetValue(D(survivor.get()), "IsDerivedFromID").boolVal);
}

} // namespace
