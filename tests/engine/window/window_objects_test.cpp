#include "engine/window/page.h"
#include "engine/window/window_heights.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_stubs.h"
#include "engine/window/window_view.h"
#include "tests/engine/window/window_functions_fixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using WindowObjectsFnTest = WindowFunctionsTest;

TEST_F(WindowObjectsFnTest, LayerBoundsAndDeletion)
{
    const OBJHANDLE a = make(CLASS_POLYGON, layer);
    EXPECT_EQ(map_object_layer_Get(window, a), layer);
    EXPECT_EQ(map_object_layer_Get(window, 0), 0u);
    const MAP_COORDRECT r{10, 20, 30, 40};
    SendOBJectMessage(kernel, a, a, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
    SendOBJectMessage(kernel, layer, layer, 0, GRM_CALCBOUNDRECT, 0, 0);
    MAP_COORDRECT got{};
    EXPECT_EQ(map_object_boundrect_Get(window, a, &got), 1);
    EXPECT_EQ(got.x1, 10);
    EXPECT_EQ(got.y2, 40);
    EXPECT_EQ(map_object_boundrect_Get(window, 0, &got), 1) << "the whole map";
    EXPECT_LE(got.x1, 10);
    EXPECT_GE(got.y2, 40);
    EXPECT_EQ(map_object_boundrect_Get(window, a, nullptr), 0);
    EXPECT_EQ(map_object_boundrect_Get(HWND(0), a, &got), 0);

    const OBJHANDLE gone[] = {a};
    EXPECT_EQ(map_objects_Delete(window, gone, 1, 0), 1);
    EXPECT_EQ(GetOBJectClassID(kernel, a), 0);
    EXPECT_TRUE(children(layer, REF_LAYER_MEMBER).empty());
    EXPECT_EQ(map_objects_Delete(window, gone, 1, 0), 1) << "a freed handle is skipped";
    EXPECT_EQ(map_objects_Delete(window, nullptr, 1, 0), 0);
}

TEST_F(WindowObjectsFnTest, ExtraDataRoundTripsAndIsCutToTheBuffer)
{
    const OBJHANDLE a = make(CLASS_POLYGON, layer);
    const uint16_t type = 7;
    const uint32_t value = 0xDEADBEEF;
    const char data[] = "0123456789";
    EXPECT_EQ(map_object_extradata_Get(window, a, nullptr, nullptr, nullptr, nullptr), 0) << "no block yet";
    ASSERT_EQ(map_object_extradata_Set(window, a, &type, &value, data, sizeof data, 0), 1);
    uint16_t t = 0;
    uint32_t v = 0;
    uint32_t size = 0;
    EXPECT_EQ(map_object_extradata_Get(window, a, &t, &v, nullptr, &size), 1);
    EXPECT_EQ(t, 7);
    EXPECT_EQ(v, 0xDEADBEEFu);
    EXPECT_GE(size, sizeof data);
    char small[5];
    std::memset(small, 'x', sizeof small);
    size = 4;
    EXPECT_EQ(map_object_extradata_Get(window, a, nullptr, nullptr, small, &size), 1);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::memcmp(small, "0123x", 5), 0) << "no byte past the size asked for";

    const uint32_t other = 5;
    ASSERT_EQ(map_object_extradata_Set(window, a, nullptr, &other, nullptr, 0, 0), 1);
    EXPECT_EQ(map_object_extradata_Get(window, a, &t, &v, nullptr, nullptr), 1);
    EXPECT_EQ(t, 7) << "the same block";
    EXPECT_EQ(v, 5u);
    EXPECT_EQ(map_object_extradata_Delete(window, a, 0), 1);
    EXPECT_EQ(map_object_extradata_Delete(window, a, 0), 0);
    EXPECT_EQ(map_object_extradata_Set(window, 0, &type, &value, data, 4, 0), 0);
    EXPECT_EQ(map_object_extradata_Set(HWND(0), a, &type, &value, data, 4, 0), 0);
}

TEST_F(WindowObjectsFnTest, TakeFromEmptyGivesThePreviousFlag)
{
    const int32_t was = map_TakeFromEmpyGet(window);
    EXPECT_EQ(map_TakeFromEmpySet(window, !was), was);
    EXPECT_EQ(map_TakeFromEmpyGet(window), !was ? 1 : 0);
    EXPECT_EQ(map_TakeFromEmpyGet(HWND(0)), 0);
}

TEST(WindowRectangles, IntersectGivesTheCommonPart)
{
    const struct {
        MAP_COORDRECT a, b, out;
        int meet;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 20, 20}, {5, 5, 10, 10}, 1},
        {{0, 0, 10, 10}, {10, 10, 20, 20}, {10, 10, 10, 10}, 1},
        {{0, 0, 10, 10}, {11, 0, 20, 10}, {0, 0, 0, 0}, 0},
    };
    for (const auto &c : cases) {
        MAP_COORDRECT out{9, 9, 9, 9};
        EXPECT_EQ(map_rect_Intersect(&out, &c.a, &c.b), c.meet);
        EXPECT_EQ(std::memcmp(&out, &c.out, sizeof out), 0);
    }
}

TEST(WindowHeightHelpers, RangesWidenOnlyWhenTheyChange)
{
    Z_BOUNDS r;
    z_InitBounds(&r);
    EXPECT_EQ(r.low, INT32_MAX);
    EXPECT_EQ(r.high, -INT32_MAX);
    EXPECT_EQ(z_ToBounds(&r, 5), 1);
    EXPECT_EQ(r.low, 5);
    EXPECT_EQ(r.high, 5);
    EXPECT_EQ(z_ToBounds(&r, 5), 0);
    const struct {
        Z_BOUNDS a, b, out;
        int changed;
    } sums[] = {
        {{1, 3}, {2, 2}, {1, 3}, 0},
        {{1, 3}, {0, 4}, {0, 4}, 1},
        {{1, 3}, {INT32_MAX, -INT32_MAX}, {1, 3}, 0},
        {{INT32_MAX, -INT32_MAX}, {-7, 9}, {-7, 9}, 1},
    };
    for (auto c : sums) {
        EXPECT_EQ(z_SumBounds(&c.a, &c.b), c.changed);
        EXPECT_EQ(c.a.low, c.out.low);
        EXPECT_EQ(c.a.high, c.out.high);
    }
    MAP3D_COORDCUBE cube{};
    Init3dBoundRect(&cube);
    EXPECT_EQ(cube.zmin, INT32_MAX);
    EXPECT_EQ(cube.xmax, -INT32_MAX);
}

TEST_F(WindowObjectsFnTest, DisplayOptionsMapTheirBits)
{
    uint32_t bits = 0;
    ASSERT_EQ(map_presentation_Get(window, &bits), 1);
    EXPECT_EQ(bits, 0x38u) << "the value set when attached";
    EXPECT_EQ(map_presentation_Set(window, 0x3F), 1);
    map_presentation_Get(window, &bits);
    EXPECT_EQ(bits, 0x3Fu);
    EXPECT_EQ(rec.gui->displayOptions, 0x3F);
    map_presentation_Set(window, 0x01);
    EXPECT_EQ(rec.gui->displayOptions, 0x02);
    EXPECT_EQ(map_presentation_Set(HWND(0), 1), 0);
}

TEST_F(WindowObjectsFnTest, ProjectionTextsAreCutToTheirBuffers)
{
    ASSERT_EQ(map_projection_Set(window, "abc", "p=1", 1, 2, 3, 4, 5, 6), 1);
    const struct {
        int32_t size;
        const char *text;
        int result;
    } cases[] = {{4, "abc", 1}, {3, "a", 0}, {2, "", 0}, {1, "", 0}};
    for (const auto &c : cases) {
        char module[8];
        std::memset(module, 'x', sizeof module);
        int32_t length = 0;
        EXPECT_EQ(map_projection_Get(window, module, &length, c.size, nullptr, nullptr, 0, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr),
                  c.result);
        EXPECT_STREQ(module, c.text);
        EXPECT_EQ(module[c.size], 'x');
        EXPECT_EQ(length, 3);
    }
    int32_t u[6] = {};
    char parameters[8];
    EXPECT_EQ(map_projection_Get(window, nullptr, nullptr, 0, parameters, nullptr, sizeof parameters, &u[0],
                                 &u[1], &u[2], &u[3], &u[4], &u[5]),
              1);
    EXPECT_STREQ(parameters, "p=1");
    EXPECT_EQ(u[0], 1);
    EXPECT_EQ(u[3], 4);
    EXPECT_EQ(u[5], 6);
    EXPECT_EQ(map_projection_Get(HWND(0), nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr),
              0);
}

TEST_F(WindowObjectsFnTest, PageSetUpRoundTripsAndBadScalesAreSkipped)
{
    const RECT margins{11, 12, 13, 14};
    const MAP_COORDPT origin{1000, 2000};
    ASSERT_EQ(map_page_Set(window, "Letter", 1, 1, 2159, 2794, &margins, &origin, 0.0), 1);
    char name[4];
    int32_t number = 0, landscape = -5;
    uint16_t width = 0, height = 0;
    RECT m{};
    MAP_COORDPT at{};
    double scale = 0;
    ASSERT_EQ(map_page_Get(window, name, sizeof name, &number, &landscape, &width, &height, &m, &at, &scale),
              1);
    EXPECT_STREQ(name, "Let");
    EXPECT_EQ(number, 1);
    EXPECT_EQ(landscape, 1);
    EXPECT_EQ(width, 2159);
    EXPECT_EQ(height, 2794);
    EXPECT_EQ(m.left, 11);
    EXPECT_EQ(m.bottom, 14);
    MAP_COORDPT org{}, size{}, corner{};
    PageGetOrgExtInWindow(window, &org, &size);
    EXPECT_EQ(at.x, org.x);
    EXPECT_EQ(at.y, org.y);
    ASSERT_EQ(PageHandlePosition(kernel, PageGetFromWindow(window), 6, &corner), 1);
    EXPECT_EQ(corner.x, 1000) << "the page's handle 6 goes to the origin given";
    EXPECT_EQ(corner.y, 2000);

    MAP_COORDPT ext{}, org2{};
    PageGetOrgExtInWindow(window, &org2, &ext);
    for (double bad : {-1.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e-12}) {
        ASSERT_EQ(map_page_Set(window, nullptr, 0, -1, 0, 0, nullptr, nullptr, bad), 1);
        MAP_COORDPT now{};
        PageGetOrgExtInWindow(window, &org2, &now);
        EXPECT_EQ(now.x, ext.x) << bad;
    }
    ASSERT_EQ(map_page_Set(window, nullptr, 0, -1, 0, 0, nullptr, nullptr, 0.01), 1);
    MAP_COORDPT scaled{};
    PageGetOrgExtInWindow(window, &org2, &scaled);
    EXPECT_GT(scaled.x, ext.x) << "a sound scale sizes the page";
    EXPECT_EQ(map_page_Set(HWND(0), "A4", 0, 0, 0, 0, nullptr, nullptr, 1.0), 0);
    EXPECT_EQ(map_page_Get(HWND(0), name, 4, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
}

TEST(WindowTrace, TextIsAppended)
{
    QTemporaryDir dir;
    const QByteArray path = (dir.path() + "/trace.log").toLocal8Bit();
    EXPECT_EQ(TraceGorm(path.constData(), "one"), 1);
    EXPECT_EQ(TraceGorm(path.constData(), " two"), 1);
    QFile file(QString::fromLocal8Bit(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("one two"));
    EXPECT_EQ(TraceGorm((dir.path() + "/no/such/dir/x").toLocal8Bit().constData(), "x"), 0);
}

TEST_F(WindowObjectsFnTest, StubsAnswerTheirFixedValues)
{
    const OBJHANDLE a = make(CLASS_POLYGON, layer);
    OBJHANDLE out = 0;
    HWND toolbox = 0;
    const struct {
        const char *name;
        int result;
        int expected;
    } cases[] = {
        {"ToUndoAddOld", ToUndoAddOld(kernel, 0, a), 0},
        {"ToUndoCopyOBJ", ToUndoCopyOBJ(kernel, 0, a), 0},
        {"ToUndoDelOBJ", ToUndoDelOBJ(kernel, 0, a), 0},
        {"map_Export", map_Export(window, "x", 0), 0},
        {"map_Import", map_Import(window, "x", 0), 0},
        {"map_menu_Set", map_menu_Set(window, 0, 0), 0},
        {"map_block_Create", map_block_Create(window, &out, &a, 1, 0), 1},
        {"map_objects_Paint", map_objects_Paint(window, &a, 1, 0), 1},
        {"map_presentation_Delete", map_presentation_Delete(window, a, 0), 1},
        {"map_block_Insert", map_block_Insert(window, a, nullptr, 0), 1},
        {"map_undo_Undo", map_undo_Undo(window, 1), 0},
        {"map_undo_Clear", map_undo_Clear(window, 0), 0},
        {"map_Save", map_Save(window, "x", 0), 1},
        {"map_memory_Compact", map_memory_Compact(window), 1},
        {"map_toolbox_Load", map_toolbox_Load(window, 0, &toolbox), 0},
        {"map_toolbox_Destroy", map_toolbox_Destroy(window, nullptr), 0},
        {"map_toolbox_Set", map_toolbox_Set(window, 0), 0},
        {"map_presentation_Dot_Create", map_presentation_Dot_Create(window, &out, nullptr, 0), 0},
        {"map_presentation_Symbol_Create", map_presentation_Symbol_Create(window, &out, nullptr, 0), 0},
        {"map_presentation_Symbol_Get", map_presentation_Symbol_Get(window, a, nullptr, 0), 0},
        {"map_presentation_Pie_Create", map_presentation_Pie_Create(window, &out, nullptr, 0), 0},
        {"map_presentation_Pie_Get", map_presentation_Pie_Get(window, a, nullptr, 0), 0},
        {"map_presentation_Ranges_Create", map_presentation_Ranges_Create(window, &out, nullptr, 0), 0},
        {"map_presentation_type_Get", map_presentation_type_Get(window, a), 0},
        {"map_presentations_Get", map_presentations_Get(window, nullptr, nullptr, 0), 0},
        {"map_attribute_set_Take", map_attribute_set_Take(window, "x", 0), 0},
        {"map_presentation_Dot_Get", map_presentation_Dot_Get(window, a, nullptr, 0), 0},
        {"map_presentation_Text_Create", map_presentation_Text_Create(window, &out, nullptr, 0), 0},
        {"map_presentation_Text_Get 0", map_presentation_Text_Get(window, 0, nullptr, 0), 0},
        {"map_presentation_Text_Get", map_presentation_Text_Get(window, a, nullptr, 0), 1},
        {"map_attribute_set_Remove", map_attribute_set_Remove(window, "x"), 0},
        {"map_attribute_set_Add", map_attribute_set_Add(window, "x", 0), 0},
        {"map_attribute_set_List", map_attribute_set_List(window, nullptr, 0), 0},
        {"map_presentation_Ranges_Get", map_presentation_Ranges_Get(window, a, nullptr, 0), 0},
        {"map_objects_Print", map_objects_Print(window, &a, 1, 0, 0), 1},
        {"map_objects_Print all", map_objects_Print(window, nullptr, 0, 0, 0), 1},
        {"map_legend_Set", map_legend_Set(window, nullptr, 0), 0},
        {"map_legend_Get", map_legend_Get(window, nullptr, 0), 0},
        {"map_legend_Delete", map_legend_Delete(window, 0), 0},
        {"map_data_Link", map_data_Link(window, std::string(200, 'a').c_str(), "t", "i"), 1},
        {"map_data_Paste", map_data_Paste(window, "a", nullptr, "i"), 1},
        {"map_data_Unlink", map_data_Unlink(window), 0},
        {"m_AutoPolygonsOperation 1", m_AutoPolygonsOperation(window, &a, 1, nullptr, 0, 0), 0},
        {"m_AutoPolygonsOperation 2",
         m_AutoPolygonsOperation(window, std::vector<OBJHANDLE>{a, a}.data(), 2, nullptr, 0, 0), 0},
        {"map_window_Create", int(map_window_Create(window, 0, 0, 10, 10, 0)), 0},
        {"map_mdi_child_Create", int(map_mdi_child_Create(window, "x", 0)), 0},
        {"map_menu_Load", int(map_menu_Load(window)), 0},
        {"map_menu_Destroy", map_menu_Destroy(0), 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.result, c.expected) << c.name;
    uint32_t bar = 9, popup = 9;
    EXPECT_EQ(map_menu_Get(window, &bar, &popup), 1);
    EXPECT_EQ(bar, rec.menuBar);
    EXPECT_EQ(popup, rec.menuPopup);
    EXPECT_EQ(GetOBJectClassID(kernel, a), CLASS_POLYGON) << "the print list is gone, the object stays";
    EXPECT_EQ(map_window_Move(window, 0, 0, 200, 100, 1), 1);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right - client.left, 200);
}

} // namespace

namespace {

TEST_F(WindowObjectsFnTest, TextWithAHeightRoundTripsAndWidensItsLayer)
{
    const MAP3D_COORDPT at{10, 20, 30};
    OBJHANDLE text = 0;
    ASSERT_EQ(map3d_text_Create(window, &text, "Peak", &at, "Arial", 10, 0, 0xFFFFFFFF, 0, 0, 0, 0), 1);
    ASSERT_NE(text, 0u);
    EXPECT_EQ(map3d_is_object_3d(window, text), 1);
    MAP3D_COORDPT got{};
    char buffer[8];
    EXPECT_EQ(map3d_text_Get(window, text, nullptr, buffer, sizeof buffer, &got, nullptr, 0, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr),
              5);
    EXPECT_STREQ(buffer, "Peak");
    EXPECT_EQ(got.x, 10);
    EXPECT_EQ(got.y, 20);
    EXPECT_EQ(got.z, 30);
    Z_BOUNDS range;
    InitZB(&range);
    SendOBJectMessage(kernel, layer, layer, 0, GRM_GETZRANGE, 0, LPARAM(&range));
    EXPECT_LE(range.low, 30);
    EXPECT_EQ(range.high, 30);

    const MAP3D_COORDPT lower{10, 20, -4};
    ASSERT_EQ(map3d_text_Set(window, text, nullptr, &lower, nullptr, 0, 0, 0xFFFFFFFF, 0, 0, 0, 0), 1);
    map3d_text_Get(window, text, nullptr, nullptr, 0, &got, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr);
    EXPECT_EQ(got.z, -4);
    SendOBJectMessage(kernel, layer, layer, 0, GRM_GETZRANGE, 0, LPARAM(&range));
    EXPECT_EQ(range.low, -4);
    EXPECT_EQ(range.high, -4) << "the range follows the one text down";

    EXPECT_EQ(map3d_text_Set(window, make(CLASS_POLYGON, layer), nullptr, &at, nullptr, 0, 0, 0, 0, 0, 0, 0),
              0);
    EXPECT_EQ(map3d_text_Get(window, layer, nullptr, nullptr, 0, &got, nullptr, 0, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(map3d_is_object_3d(window, make(CLASS_TEXT, layer)), 0);
}

} // namespace
