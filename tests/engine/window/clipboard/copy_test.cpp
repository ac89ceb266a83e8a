#include "clipboard_fixture.h"

#include "engine/kernel/map_file.h"
#include "engine/view/text/text_object.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_rasters.h"
#include "engine/window/window_text.h"
#include "engine/kernel/settings.h"
#include "platform/device_limit.h"
#include "platform/file.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSvgRenderer>

#include <cinttypes>
#include <cstdio>

namespace {

std::string boundOf(OBJectKernel *kernel, OBJHANDLE h)
{
    _COORDRECT r{};
    SendOBJectMessage(kernel, 0, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    char text[128];
    std::snprintf(text, sizeof text, "Bounding Rect: %" PRId32 ":%" PRId32 ":%" PRId64 ":%" PRId64 ";", r.x1,
                  r.y1, int64_t(r.x2) - r.x1, int64_t(r.y2) - r.y1);
    return text;
}

using ClipboardCopy = ClipboardWindowTest;

TEST_F(ClipboardCopy, ACopyAnnouncesFourFormatsAndRendersOnlyWhatIsAsked)
{
    const OBJHANDLE a = make(CLASS_POLYGON, {{0, 0}, {100, 0}, {100, 50}});
    select({a});
    ASSERT_EQ(DstrEditCopy(window, COPY_SELECTION), 1);
    for (UINT format : {native, CF_TEXT, CF_BITMAP, CF_ENHMETAFILE})
        EXPECT_TRUE(IsClipboardFormatAvailable(format)) << format;
    const QStringList types = QGuiApplication::clipboard()->mimeData()->formats();
    for (const char *type : {"application/x-map-format-KRT%20Gorm%205.0", "text/plain",
                             "application/x-qt-image", "image/svg+xml"})
        EXPECT_TRUE(types.contains(type)) << type;
    EXPECT_EQ(rendered(), 0);
    ASSERT_FALSE(pasteStates.empty());
    EXPECT_EQ(pasteStates.back(), std::make_pair(WPARAM(MAPN_ENABLE), LPARAM(MAPN_PASTE_ALL)));
    EXPECT_EQ(rec.copyCommand, 202);

    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "ObjClass:Polygon;Id:;" + layerLabel() +
                  "Bounding Rect: 0:0:100:50;Number of Points: 3 Points: 0:0,100:0,100:50");
    EXPECT_EQ(rendered(), 1);
    EXPECT_EQ(renders[CF_TEXT], 1);
    EXPECT_FALSE(read(native).empty());
    EXPECT_EQ(rendered(), 2);
    readText();
    EXPECT_EQ(rendered(), 2) << "rendered data is kept";
    LONG clip[4];
    EXPECT_EQ(LayersClipRectGet(window, layers, reinterpret_cast<MAP_COORDRECT *>(clip)), 0)
        << "the rendering's clip rectangle is cleared";
}

TEST_F(ClipboardCopy, TheTextDescribesEachKindOfCopy)
{
    const OBJHANDLE polygon = make(CLASS_POLYGON, {{0, 0}, {100, 0}, {100, 50}});
    const OBJHANDLE polyline = make(CLASS_POLYLINE, {{-10, 5}, {20, 25}});
    OBJHANDLE text = 0;
    const MAP_COORDPT anchor{300, 400};
    map_text_Create(window, &text, "North", &anchor, "Arial", 12, 0, 0, 0, 0, 0, 0);
    ASSERT_NE(text, 0u);
    OBJHANDLE raster = 0;
    map_RasterCreate2(window, &raster, "/maps/scan.bmp", "DIB", 10, 20, 300, 200, 0, 1, 0, 1, 0);
    ASSERT_NE(raster, 0u);
    const OBJHANDLE a = make(CLASS_POLYGON, {{500, 500}, {600, 500}, {600, 600}});
    const OBJHANDLE b = make(CLASS_POLYGON, {{700, 700}, {800, 700}, {800, 800}});
    OBJHANDLE group = 0;
    const OBJHANDLE members[] = {a, b};
    map_group_Create(window, &group, members, 2, 0);
    ASSERT_NE(group, 0u);
    const std::string inLayer = "Id:;" + layerLabel();
    struct Case {
        const char *name;
        std::vector<OBJHANDLE> selection;
        unsigned command;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"polygon",
         {polygon},
         COPY_SELECTION,
         "ObjClass:Polygon;" + inLayer +
             "Bounding Rect: 0:0:100:50;Number of Points: 3 Points: 0:0,100:0,100:50"},
        {"polyline",
         {polyline},
         COPY_SELECTION,
         "ObjClass:Polyline;" + inLayer +
             "Bounding Rect: -10:5:30:20;Number of Points: 2 Points: -10:5,20:25"},
        {"text", {text}, COPY_SELECTION, "ObjClass:Text;" + inLayer + boundOf(kernel, text) + "Text:North"},
        {"raster",
         {raster},
         COPY_SELECTION,
         "ObjClass:Raster;" + inLayer + boundOf(kernel, raster) +
             "The raster file format: DIB;The source file name: /maps/scan.bmp"},
        {"group", {group}, COPY_SELECTION, "ObjClass:Group;Id:;" + boundOf(kernel, group) + "Group:;;"},
        {"multi-selection",
         {polygon, polyline},
         COPY_SELECTION,
         "ObjClass:MultiSelection;Bounding Rect: -10:0:110:50;MultiSelection:;;"},
        {"whole map", {}, COPY_MAP, "ObjClass:Unknown;Id:;" + boundOf(kernel, layers)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        select(c.selection);
        ASSERT_EQ(DstrEditCopy(window, c.command), 1);
        EXPECT_EQ(readText(), c.text);
    }
}

TEST_F(ClipboardCopy, ThePicturesFollowTheWidthSettings)
{
    const OBJHANDLE wide = make(CLASS_POLYGON, {{0, 0}, {4000, 0}, {4000, 1000}, {0, 1000}});
    select({wide});
    struct BitmapCase {
        const char *stored;
        int side;
    };
    for (const BitmapCase c : {BitmapCase{"99", 1000}, BitmapCase{"100", 100}}) {
        SCOPED_TRACE(c.stored);
        SettingsStringSet(rec.settingsKey, "Settings", "Copied Bitmap Width", c.stored);
        ASSERT_EQ(DstrEditCopy(window, COPY_SELECTION), 1);
        const QImage image = QGuiApplication::clipboard()->image();
        EXPECT_NEAR(image.width(), c.side, 1) << "fitted into the square, the longer side across";
        EXPECT_LT(image.height(), image.width() / 2);
    }
    SetDeviceBitmapLimit(200 * 200); // the frame does not depend on the resolution: keep it quick
    struct PictureCase {
        const char *stored;
        const char *size;
    };
    for (const PictureCase c : {PictureCase{"400", "4000mm"}, PictureCase{"400.5", "100mm"}}) {
        SCOPED_TRACE(c.stored);
        SettingsStringSet(rec.settingsKey, "Settings", "Copied Metafile Width", c.stored);
        ASSERT_EQ(DstrEditCopy(window, COPY_SELECTION), 1);
        const QByteArray svg = QGuiApplication::clipboard()->mimeData()->data("image/svg+xml");
        EXPECT_TRUE(svg.contains(QByteArray("width=\"") + c.size)) << svg.left(400).toStdString();
        EXPECT_TRUE(QSvgRenderer(svg).isValid());
    }
    SetDeviceBitmapLimit(0);
    EXPECT_EQ(renders[CF_BITMAP], 2);
    EXPECT_EQ(renders[CF_ENHMETAFILE], 2);
    EXPECT_EQ(renders[CF_TEXT], 0);
}

TEST_F(ClipboardCopy, ACutDeliversTheCutObjectsWithTheHistoryWhereItWas)
{
    const OBJHANDLE keep = make(CLASS_POLYGON, {{0, 0}, {10, 0}, {10, 10}});
    const OBJHANDLE cut = make(CLASS_POLYLINE, {{5, 5}, {50, 70}, {90, 10}});
    select({cut});
    ASSERT_EQ(DstrEditCopy(window, COPY_CUT), 1);
    EXPECT_TRUE(IsUndoneObj(kernel, cut)) << "deleted at once";
    EXPECT_TRUE(rec.flags & WNDRES_MODIFIED);
    const int position = Undo_GetPositionCurStep(kernel);
    EXPECT_EQ(Undo_CurrentStep(kernel).code, UNDO_OP_CUT);

    const std::string bytes = read(native);
    ASSERT_FALSE(bytes.empty());
    MemoryFile stream(bytes.data(), bytes.size());
    OBJectKernel *pasted = nullptr;
    OBJHANDLE root = 0;
    ASSERT_EQ(ReadMapFromStream(0, stream, &root, &pasted, 0, nullptr), 1);
    uint32_t polylines = 0, polygons = 0;
    for (OBJHANDLE h = 1; h < GetFirstFree(pasted); ++h) {
        polylines += GetOBJectClassID(pasted, h) == CLASS_POLYLINE && !IsUndoneObj(pasted, h);
        polygons += GetOBJectClassID(pasted, h) == CLASS_POLYGON && !IsUndoneObj(pasted, h);
    }
    EXPECT_EQ(polylines, 1u);
    EXPECT_EQ(polygons, 0u);
    KernelDelete(pasted);
    EXPECT_EQ(readText().substr(0, 18), "ObjClass:Polyline;");

    EXPECT_TRUE(IsUndoneObj(kernel, cut)) << "still deleted after rendering";
    EXPECT_FALSE(IsUndoneObj(kernel, keep));
    EXPECT_EQ(Undo_GetPositionCurStep(kernel), position);
}

TEST_F(ClipboardCopy, RenderingRedoesToTheCopyAndUndoesBack)
{
    make(CLASS_POLYGON, {{0, 0}, {10, 0}, {10, 10}});
    const OBJHANDLE later = make(CLASS_POLYLINE, {{1, 2}, {3, 4}});
    select({later});
    ASSERT_EQ(DstrEditCopy(window, COPY_SELECTION), 1);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    const int position = Undo_GetPositionCurStep(kernel);
    ASSERT_TRUE(IsUndoneObj(kernel, later));

    EXPECT_EQ(readText(), "ObjClass:Polyline;Id:;" + layerLabel() +
                              "Bounding Rect: 1:2:2:2;Number of Points: 2 Points: 1:2,3:4")
        << "rendered from the document as it was at the copy";
    EXPECT_TRUE(IsUndoneObj(kernel, later)) << "undone back";
    EXPECT_EQ(Undo_GetPositionCurStep(kernel), position);
}

TEST_F(ClipboardCopy, AnEditBehindTheCopyEmptiesTheClipboard)
{
    const OBJHANDLE a = make(CLASS_POLYGON, {{0, 0}, {10, 0}, {10, 10}});
    make(CLASS_POLYGON, {{20, 0}, {30, 0}, {30, 10}});
    select({a});
    ASSERT_EQ(DstrEditCopy(window, COPY_SELECTION), 1);
    Undo_Undo(kernel);
    Undo_Undo(kernel);
    EXPECT_TRUE(IsClipboardFormatAvailable(native)) << "undoing alone keeps it";
    make(CLASS_POLYLINE, {{0, 0}, {5, 5}});
    EXPECT_FALSE(IsClipboardFormatAvailable(native));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(pasteStates.back(), std::make_pair(WPARAM(MAPN_DISABLE), LPARAM(MAPN_PASTE_ALL)));
    EXPECT_EQ(rendered(), 0);
}

TEST_F(ClipboardCopy, CopyingNothingLeavesTheClipboard)
{
    make(CLASS_POLYGON, {{0, 0}, {10, 0}, {10, 10}});
    for (unsigned command : {COPY_SELECTION, COPY_CUT}) {
        EXPECT_EQ(DstrEditCopy(window, command), 1);
        EXPECT_EQ(readText(), "before");
        EXPECT_EQ(rec.copyCommand, 0);
    }
    EXPECT_EQ(DstrEditCopy(window, 204), 0) << "not a copy command";
    EXPECT_EQ(DstrEditCopy(0, COPY_MAP), 0);
    EXPECT_EQ(rendered(), 0);
}

TEST_F(ClipboardCopy, APageCopyCarriesThePageHeader)
{
    make(CLASS_POLYGON, {{0, 0}, {10, 0}, {10, 10}});
    ASSERT_EQ(DstrEditCopy(window, COPY_PAGE), 1);
    EXPECT_EQ(rec.copyCommand, 210);
    const std::string page = read(native);
    ASSERT_GE(page.size(), sizeof(MapFileHeader));
    EXPECT_EQ(page.substr(offsetof(MapFileHeader, extra), 4), "page");
    ASSERT_EQ(DstrEditCopy(window, COPY_MAP), 1);
    const std::string map = read(native);
    ASSERT_GE(map.size(), sizeof(MapFileHeader));
    EXPECT_NE(map.substr(offsetof(MapFileHeader, extra), 4), "page");
}

TEST_F(ClipboardCopy, ARenderThatCannotReachTheCopyRendersNothing)
{
    const OBJHANDLE a = make(CLASS_POLYGON, {{0, 0}, {10, 0}, {10, 10}});
    select({a});
    rec.copyCommand = 0;
    EXPECT_EQ(DstrEditRenderCopy(window, CF_TEXT, 0), 0) << "no pending copy";
    ASSERT_EQ(DstrEditCopy(window, COPY_SELECTION), 1);
    const int position = Undo_GetPositionCurStep(kernel);
    // The history is gone: the copy's step cannot be reached.
    Undo_Reset(kernel);
    EXPECT_EQ(readText(), "");
    EXPECT_EQ(renders[CF_TEXT], 1);
    EXPECT_FALSE(IsUndoneObj(kernel, a));
    EXPECT_NE(Undo_GetPositionCurStep(kernel), position);

    // A copied object deleted for good.
    select({a});
    ASSERT_EQ(DstrEditCopy(window, COPY_SELECTION), 1);
    OBJectDelete(kernel, a);
    EXPECT_EQ(read(native), "");
    EXPECT_TRUE(OpenClipboard(window));
    EXPECT_EQ(DstrEditRenderCopy(window, CF_TEXT, 0), 0);
    CloseClipboard();
}

TEST_F(ClipboardCopy, AClipboardHeldElsewhereStopsACutBeforeItDeletes)
{
    const OBJHANDLE a = make(CLASS_POLYGON, {{0, 0}, {10, 0}, {10, 10}});
    select({a});
    ASSERT_TRUE(OpenClipboard(other));
    EXPECT_EQ(DstrEditCopy(window, COPY_CUT), 0);
    CloseClipboard();
    EXPECT_FALSE(IsUndoneObj(kernel, a));
    EXPECT_EQ(rec.copyCommand, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Another window has the clipboard open.!\n");
    EXPECT_EQ(readText(), "before");
}

} // namespace
