// The raster dialog through its model on a 1000 x 500 pixel PNG raster:
// the fields as the dialog opens, the ties between width, height,
// resolution and scale, the visibility boxes, browsing for another file
// (and failing to), and EditRasterObject writing back only a confirmed
// copy, with the image table left as it was.
#include "tests/engine/window/window_functions_fixture.h"

#include "engine/kernel/raster_images.h"
#include "engine/kernel/selection_list.h"
#include "engine/view/raster/raster_object.h"
#include "engine/view/viewrecord/unit_text.h"
#include "engine/view/dialogs/raster_dialog.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/map_painting.h"
#include "engine/window/window_rasters.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <string>

namespace {

class RasterDialogTest : public WindowFunctionsTest {
protected:
    void SetUp() override
    {
        WindowFunctionsTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(dir.isValid());
        rec.displayView->projection.transformedUnit = 4; // metres
        QImage image(1000, 500, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        wide = (dir.path() + "/wide.png").toStdString();
        ASSERT_TRUE(image.save(QString::fromStdString(wide), "PNG"));
        // 1000 pixels over 2032 metres at 1:10000 are 125 dpi.
        map_raster_Create(window, &raster, wide.c_str(), "PNG", 0, 0, 2032, 1016, 10000, 0, 0, 1, 1, 0);
        ASSERT_NE(raster, 0u);
        SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r.text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        SetModalDialogHook({});
        WindowFunctionsTest::TearDown();
    }

    // The dialog's temporary copy, as EditRasterObject makes it.
    OBJHANDLE copyOf(OBJHANDLE h)
    {
        OBJHANDLE c = 0;
        EXPECT_EQ(RasterObjectCopy(kernel, &c, h), 1);
        return c;
    }
    RasterObjectData data(OBJHANDLE h) { return RasterRecordLoad(RasterObjectLock(kernel, h)); }
    static std::string metres(int32_t v)
    {
        char text[200] = {};
        PM_UnitValueToText(4, v, text);
        return text;
    }

    QTemporaryDir dir;
    std::string wide;
    OBJHANDLE raster = 0;
    std::vector<std::string> boxes;
};

TEST_F(RasterDialogTest, OpensWithThePlacementResolutionAndScale)
{
    const OBJHANDLE copy = copyOf(raster);
    RasterDialogModel model(window, copy);
    ASSERT_TRUE(model.valid());
    EXPECT_TRUE(model.ready());
    EXPECT_EQ(model.text(IDC_RASTERDLG_X), metres(0));
    EXPECT_EQ(model.text(IDC_RASTERDLG_WIDTH), metres(2032));
    EXPECT_EQ(model.text(IDC_RASTERDLG_HEIGHT), metres(1016));
    EXPECT_EQ(model.text(IDC_RASTERDLG_RES_X), "125.00 dpi");
    EXPECT_EQ(model.text(IDC_RASTERDLG_RES_Y), "125.00 dpi");
    EXPECT_EQ(model.text(IDC_RASTERDLG_SCALE), "10000");
    EXPECT_EQ(model.text(IDC_RASTERDLG_FILE), wide);
    EXPECT_TRUE(model.checked(IDC_RASTERDLG_FRAME));
    EXPECT_TRUE(model.checked(IDC_RASTERDLG_IMAGE));
    EXPECT_FALSE(model.checked(IDC_RASTERDLG_CLIPPING));
    EXPECT_TRUE(model.imageControlsEnabled());
    OBJectDelete(kernel, copy);
}

TEST_F(RasterDialogTest, EditedFieldsRecomputeTheTiedOnes)
{
    struct Case {
        const char *what;
        int id;
        std::string value;
        std::string width, resX, resY;
        int32_t right;
    };
    const Case cases[] = {
        {"a width of half", IDC_RASTERDLG_WIDTH, "1016", metres(1016), "250.00 dpi", "125.00 dpi", 1016},
        {"a resolution of twice", IDC_RASTERDLG_RES_X, "250 dpi", metres(1016), "250.00 dpi", "125.00 dpi",
         1016},
        // A resolution that cannot be used falls back to the rectangle's.
        {"resolution 0", IDC_RASTERDLG_RES_X, "0", metres(2032), "125.00 dpi", "125.00 dpi", 2032},
        {"width -5", IDC_RASTERDLG_WIDTH, "-5", metres(2032), "125.00 dpi", "125.00 dpi", 2032},
        // The resolution holds at the new scale: the map width halves.
        {"scale 5000", IDC_RASTERDLG_SCALE, "5000", metres(1016), "125.00 dpi", "125.00 dpi", 1016},
        {"scale 0 changes nothing", IDC_RASTERDLG_SCALE, "0", metres(2032), "125.00 dpi", "125.00 dpi", 2032},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const OBJHANDLE copy = copyOf(raster);
        RasterDialogModel model(window, copy);
        model.setText(c.id, c.value);
        model.EditFocusLost(c.id, true);
        EXPECT_TRUE(model.ready());
        EXPECT_EQ(model.text(IDC_RASTERDLG_WIDTH), c.width);
        EXPECT_EQ(model.text(IDC_RASTERDLG_RES_X), c.resX);
        EXPECT_EQ(model.text(IDC_RASTERDLG_RES_Y), c.resY);
        EXPECT_EQ(data(copy).bound.x2, c.right);
        // The raster itself is untouched while the dialog runs.
        EXPECT_EQ(data(raster).bound.x2, 2032);
        OBJectDelete(kernel, copy);
    }
    // A field left without an edit recomputes nothing.
    const OBJHANDLE copy = copyOf(raster);
    RasterDialogModel model(window, copy);
    model.setText(IDC_RASTERDLG_WIDTH, "10");
    model.EditFocusLost(IDC_RASTERDLG_WIDTH, false);
    EXPECT_EQ(data(copy).bound.x2, 2032);
    OBJectDelete(kernel, copy);
}

TEST_F(RasterDialogTest, FrameOrImageStaysTicked)
{
    const OBJHANDLE copy = copyOf(raster);
    RasterDialogModel model(window, copy);
    model.setChecked(IDC_RASTERDLG_IMAGE, false);
    model.ClickVisibility(IDC_RASTERDLG_IMAGE);
    EXPECT_TRUE(model.checked(IDC_RASTERDLG_FRAME));
    model.setChecked(IDC_RASTERDLG_FRAME, false);
    model.ClickVisibility(IDC_RASTERDLG_FRAME);
    EXPECT_TRUE(model.checked(IDC_RASTERDLG_IMAGE));
    EXPECT_FALSE(model.checked(IDC_RASTERDLG_FRAME));
    model.setChecked(IDC_RASTERDLG_IMAGE, false);
    model.ClickVisibility(IDC_RASTERDLG_FRAME);
    EXPECT_TRUE(model.checked(IDC_RASTERDLG_IMAGE));
    OBJectDelete(kernel, copy);
}

TEST_F(RasterDialogTest, BrowseBringsTheHeaderOrKeepsThePreviousFile)
{
    const OBJHANDLE copy = copyOf(raster);
    RasterObjectFreeImages(kernel, copy);
    RasterDialogModel model(window, copy);
    EXPECT_FALSE(model.imageControlsEnabled());
    EXPECT_EQ(model.text(IDC_RASTERDLG_RES_X), "");

    // Cancelled: nothing, no message.
    std::string filter;
    EXPECT_EQ(model.Browse([&](const RasterBrowseRequest &r) -> std::optional<std::string> {
        filter = r.filter;
        EXPECT_EQ(r.title, "Browse raster file");
        EXPECT_EQ(r.initialPath, wide);
        return std::nullopt;
    }),
              0);
    EXPECT_NE(filter.find("*.png|"), std::string::npos) << filter;
    EXPECT_EQ(filter.find("*.mpd"), std::string::npos) << "document converters are no raster converters";
    EXPECT_TRUE(boxes.empty());

    // A damaged file: the message, the previous file kept.
    const std::string damaged = (dir.path() + "/damaged.png").toStdString();
    FILE *f = std::fopen(damaged.c_str(), "wb");
    std::fputs("\x89PNG\r\n\x1a\n broken", f);
    std::fclose(f);
    EXPECT_EQ(model.Browse([&](const RasterBrowseRequest &) { return std::optional(damaged); }), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Could not open browsed file.");
    EXPECT_EQ(model.text(IDC_RASTERDLG_FILE), wide);
    EXPECT_FALSE(model.imageControlsEnabled());

    // Another image: its header gives the resolutions over the rectangle.
    QImage tall(500, 1000, QImage::Format_RGB32);
    tall.fill(Qt::red);
    const std::string tallPath = (dir.path() + "/tall.png").toStdString();
    ASSERT_TRUE(tall.save(QString::fromStdString(tallPath), "PNG"));
    EXPECT_NE(model.Browse([&](const RasterBrowseRequest &) { return std::optional(tallPath); }), 0);
    EXPECT_TRUE(model.imageControlsEnabled());
    EXPECT_EQ(model.text(IDC_RASTERDLG_FILE), tallPath);
    EXPECT_EQ(model.text(IDC_RASTERDLG_RES_X), "62.50 dpi");
    EXPECT_EQ(model.text(IDC_RASTERDLG_RES_Y), "250.00 dpi");
    EXPECT_EQ(std::string(data(copy).fileName), tallPath);
    EXPECT_EQ(std::string(data(copy).formatName), "PNG");
    EXPECT_EQ(RasterObjectPixelBlock(kernel, copy), 0u) << "browsing reads the header only";
    EXPECT_EQ(boxes.size(), 1u);
    OBJectDelete(kernel, copy);
}

class EditRasterObjectTest : public RasterDialogTest {
protected:
    // Runs EditRasterObject with a hook that edits the dialog's fields.
    int edit(const std::function<void(QDialog &)> &fill, int answer)
    {
        SetModalDialogHook([&](QDialog &dialog, int) {
            EXPECT_EQ(dialog.objectName(), "RASTERDLG");
            fill(dialog);
            return answer;
        });
        return EditRasterObject(window, raster);
    }
    static void set(QDialog &d, int id, const char *text)
    {
        auto *e = DialogItemAs<QLineEdit>(&d, id);
        ASSERT_NE(e, nullptr);
        e->setText(QString::fromLatin1(text));
        e->setModified(true);
    }
};

TEST_F(EditRasterObjectTest, WritesBackOnlyAConfirmedCopy)
{
    const size_t images = RasterImageCount(kernel);
    rec.flags &= ~WNDRES_MODIFIED;
    EXPECT_EQ(edit([](QDialog &d) { set(d, IDC_RASTERDLG_X, "100"); }, IDCANCEL), 0);
    EXPECT_EQ(data(raster).bound.x1, 0);
    EXPECT_EQ(rec.flags & WNDRES_MODIFIED, 0);
    EXPECT_EQ(RasterImageCount(kernel), images);

    EXPECT_EQ(edit(
                  [](QDialog &d) {
                      set(d, IDC_RASTERDLG_X, "100");
                      set(d, IDC_RASTERDLG_WIDTH, "1016");
                  },
                  IDOK),
              1);
    const RasterObjectData moved = data(raster);
    EXPECT_EQ(moved.bound.x1, 100);
    EXPECT_EQ(moved.bound.x2, 1116);
    EXPECT_EQ(moved.bound.y2, 1016);
    EXPECT_NE(rec.flags & WNDRES_MODIFIED, 0);
    EXPECT_NE(RasterObjectPixelBlock(kernel, raster), 0u) << "the same file keeps its images";
    EXPECT_EQ(RasterImageCount(kernel), images);
}

TEST_F(EditRasterObjectTest, ABrowsedFileReplacesTheImages)
{
    QImage tall(500, 1000, QImage::Format_RGB32);
    tall.fill(Qt::red);
    const std::string tallPath = (dir.path() + "/tall.png").toStdString();
    ASSERT_TRUE(tall.save(QString::fromStdString(tallPath), "PNG"));
    const size_t images = RasterImageCount(kernel);
    rec.flags &= ~WNDRES_MODIFIED;
    SetFileDialogHook([&](const FileDialogRequest &r) {
        EXPECT_EQ(r.title, "Browse raster file");
        return std::optional(tallPath);
    });
    EXPECT_EQ(edit([](QDialog &d) { DialogItemAs<QPushButton>(&d, IDC_RASTERDLG_BROWSE)->click(); }, IDOK),
              1);
    SetFileDialogHook({});
    EXPECT_EQ(std::string(data(raster).fileName), tallPath);
    EXPECT_NE(rec.flags & WNDRES_MODIFIED, 0);
    int32_t w = 0, h = 0;
    ASSERT_TRUE(RasterObjectPixelSize(kernel, raster, &w, &h));
    EXPECT_EQ(w, 500);
    EXPECT_EQ(h, 1000);
    EXPECT_EQ(RasterObjectPixelBlock(kernel, raster), 0u) << "the pixels load at the next drawing";
    // The old header and pixels went; the new header stayed.
    EXPECT_EQ(RasterImageCount(kernel), images - 1);
}

TEST_F(EditRasterObjectTest, VisibilityAloneRepaintsWithoutModifying)
{
    rec.flags &= ~WNDRES_MODIFIED;
    EXPECT_EQ(edit([](QDialog &d) { DialogItemAs<QCheckBox>(&d, IDC_RASTERDLG_FRAME)->click(); }, IDOK), 1);
    EXPECT_EQ(data(raster).frameVisible, 0);
    EXPECT_EQ(rec.flags & WNDRES_MODIFIED, 0);
    // Hiding the image lets its pixels go.
    EXPECT_EQ(edit(
                  [](QDialog &d) {
                      DialogItemAs<QCheckBox>(&d, IDC_RASTERDLG_IMAGE)->click();
                      EXPECT_TRUE(DialogItemAs<QCheckBox>(&d, IDC_RASTERDLG_FRAME)->isChecked());
                  },
                  IDOK),
              1);
    EXPECT_EQ(data(raster).imageVisible, 0);
    EXPECT_EQ(RasterObjectPixelBlock(kernel, raster), 0u);
}

TEST_F(EditRasterObjectTest, TheRightButtonOnASelectedRasterOpensIt)
{
    int opened = 0;
    SetModalDialogHook([&](QDialog &dialog, int) {
        EXPECT_EQ(dialog.objectName(), "RASTERDLG");
        ++opened;
        return IDCANCEL;
    });
    SetClientSize(window, 400, 300);
    PM_OnWndSize(rec.displayView, window, 0, nullptr);
    MAP_COORDRECT world{0, 0, 2032, 1016};
    ASSERT_NE(PM_SetWorldRect(rec.displayView, window, &world, 0), 0);
    POINT inside{};
    const MAP_COORDPT middle{1016, 508};
    PM_MapToWindow(rec.displayView, &middle, &inside, 1);
    EXPECT_EQ(OnDstrRBD(window, inside), 1);
    EXPECT_EQ(opened, 0) << "not selected";
    SetSelection(window, &raster, 1, 0, 0);
    EXPECT_EQ(OnDstrRBD(window, inside), 1);
    EXPECT_EQ(opened, 1);
}

TEST_F(EditRasterObjectTest, RefusesWhatIsNoRasterOfALiveWindow)
{
    const OBJHANDLE line = make(CLASS_POLYLINE, layer);
    EXPECT_EQ(EditRasterObject(window, line), 0);
    EXPECT_EQ(EditRasterObject(window, 0), 0);
    EXPECT_EQ(EditRasterObject(0, raster), 0);
    EXPECT_EQ(EditRasterObject(HWND(0x7fffff), raster), 0);
}

} // namespace
