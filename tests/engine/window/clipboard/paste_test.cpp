#include "clipboard_fixture.h"

#include "engine/view/raster/raster_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/text/text_object.h"
#include "engine/window/clipboard/map_clip_data.h"
#include "engine/window/clipboard/paste_choice_dialog.h"
#include "engine/window/window_view.h"
#include "platform/file_dialog.h"
#include "platform/gdi_objects.h"
#include "platform/modal_dialog.h"

#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <filesystem>
#include <unistd.h>

namespace {

class ClipboardPaste : public ClipboardWindowTest {
protected:
    void SetUp() override
    {
        ClipboardWindowTest::SetUp();
        previousFile_ = SetFileDialogHook([this](const FileDialogRequest &r) {
            ++fileDialogs;
            EXPECT_TRUE(r.flags & OFN_SAVE_FORM);
            return saveAs;
        });
    }
    void TearDown() override
    {
        SetFileDialogHook(previousFile_);
        SetModalDialogHook({});
        ClipboardWindowTest::TearDown();
    }
    void putBitmap(int width, int height)
    {
        ASSERT_TRUE(OpenClipboard(other));
        EmptyClipboard();
        SetClipboardData(CF_BITMAP, CreateBitmapOfSize(width, height));
        CloseClipboard();
    }
    void putMapData(const std::string &bytes)
    {
        ASSERT_TRUE(OpenClipboard(other));
        EmptyClipboard();
        const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
        GlobalUnlock(h);
        SetClipboardData(RegisterClipboardFormatA(kMapClipboardFormat), h);
        CloseClipboard();
    }
    // Paste Special answered by clicking the line and the option given.
    void answerPasteSpecial(const std::string &line, int option, int button = IDOK)
    {
        SetModalDialogHook([=](QDialog &dialog, int templateId) {
            EXPECT_EQ(templateId, PASTE_SPECIAL_TEMPLATE);
            auto *list = DialogItemAs<QListWidget>(&dialog, PASTE_SPECIAL_LIST);
            const auto found = list->findItems(QString::fromStdString(line), Qt::MatchExactly);
            if (!found.isEmpty())
                list->setCurrentItem(found.front());
            DialogItemAs<QRadioButton>(&dialog, option)->click();
            DialogItemAs<QPushButton>(&dialog, button)->click();
            return dialog.result();
        });
    }

    QTemporaryDir dir;
    std::optional<std::string> saveAs;
    int fileDialogs = 0;

private:
    FileDialogHook previousFile_;
};

TEST_F(ClipboardPaste, NativeObjectsComeBackAtTheirCoordinatesAndCannotBeUndone)
{
    const std::vector<MAP_COORDPT> points{{100, 200}, {400, 200}, {400, 600}};
    const OBJHANDLE a = make(CLASS_POLYGON, points);
    select({a});
    ASSERT_EQ(DstrEditCopy(window, COPY_SELECTION), 1);
    ASSERT_EQ(DstrEditPaste(window), 1);
    const std::vector<OBJHANDLE> polygons = objectsOf(CLASS_POLYGON);
    ASSERT_EQ(polygons.size(), 2u);
    for (OBJHANDLE h : polygons) {
        const std::vector<MAP_COORDPT> got = pointsOf(h);
        ASSERT_EQ(got.size(), points.size());
        for (size_t i = 0; i < points.size(); ++i)
            EXPECT_TRUE(got[i].x == points[i].x && got[i].y == points[i].y) << i;
    }
    EXPECT_FALSE(Undo_HasUndoStep(kernel));
    EXPECT_TRUE(rec.flags & WNDRES_MODIFIED);
    EXPECT_EQ(renders[native], 1) << "the paste asked the window for its own data";
}

TEST_F(ClipboardPaste, WithoutNativeDataOrWithTheClipboardHeldNothingIsPasted)
{
    EXPECT_EQ(DstrEditPaste(window), 0);
    ASSERT_TRUE(OpenClipboard(other));
    EXPECT_EQ(DstrEditPaste(window), 0);
    EXPECT_EQ(Text_Paste(window, 0, {0, 0}), 0);
    EXPECT_EQ(Bitmap_Paste(window, 0, {0, 0}), 0);
    EXPECT_EQ(map_edit_Paste(window, 0), 0);
    CloseClipboard();
    const std::vector<std::string> expected{
        "There are no any GORM Objects in clipboard!\n", "Another window has the clipboard open.!\n",
        "Another window has the clipboard open.!\n", "Another window has the clipboard open.!\n",
        "Another window has the clipboard open.!\n"};
    EXPECT_EQ(messages, expected);
    EXPECT_TRUE(objectsOf(CLASS_TEXT).empty());
}

TEST_F(ClipboardPaste, DamagedNativeDataOrAMissingReaderPastesNothing)
{
    make(CLASS_POLYGON, {{0, 0}, {10, 0}, {10, 10}});
    ASSERT_TRUE(OpenClipboard(other));
    EmptyClipboard();
    const std::string junk = "O\x01\x00\x00not a map stream at all";
    const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, junk.size());
    std::memcpy(GlobalLock(h), junk.data(), junk.size());
    GlobalUnlock(h);
    SetClipboardData(native, h);
    CloseClipboard();
    EXPECT_EQ(DstrEditPaste(window), 1) << "native data was there";
    EXPECT_EQ(objectsOf(CLASS_POLYGON).size(), 1u);
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("Nothing was pasted."), std::string::npos) << messages.back();

    QTemporaryDir empty;
    setenv("MAP_MODULES_DIR", empty.path().toLocal8Bit().constData(), 1);
    EXPECT_EQ(GormObjects_Paste(window, 0, MAP_COORDPT{5, 5}), 0);
    unsetenv("MAP_MODULES_DIR");
    EXPECT_EQ(messages.back().rfind("No converter library loaded: ", 0), 0u) << messages.back();
    EXPECT_EQ(messages.back().substr(messages.back().size() - 8), "mpd5.cnv");
    EXPECT_EQ(objectsOf(CLASS_POLYGON).size(), 1u);
}

TEST_F(ClipboardPaste, PasteHereAnswersWhatTheNextClickPastes)
{
    const OBJHANDLE a = make(CLASS_POLYGON, {{100, 200}, {400, 200}, {400, 600}});
    select({a});
    ASSERT_EQ(DstrEditCopy(window, COPY_SELECTION), 1);
    struct Case {
        const char *line;
        long code;
    };
    for (const Case &c : {Case{"GORM Object", PASTE_HERE_OBJECTS}, Case{"Text", PASTE_HERE_TEXT},
                          Case{"Bitmap", PASTE_HERE_BITMAP}}) {
        SCOPED_TRACE(c.line);
        answerPasteSpecial(c.line, PASTE_SPECIAL_PASTE_HERE);
        EXPECT_EQ(DstrEditPasteSpecial(window), c.code);
        EXPECT_EQ(objectsOf(CLASS_POLYGON).size(), 1u) << "nothing pasted yet";
    }
    // The click: the objects' top-left corner on the point.
    ASSERT_EQ(GormObjects_Paste(window, 0, MAP_COORDPT{1000, 2000}), 1);
    const std::vector<OBJHANDLE> polygons = objectsOf(CLASS_POLYGON);
    ASSERT_EQ(polygons.size(), 2u);
    const std::vector<MAP_COORDPT> moved = pointsOf(polygons.back());
    ASSERT_EQ(moved.size(), 3u);
    EXPECT_EQ(moved[0].x, 1000);
    EXPECT_EQ(moved[1].x - moved[0].x, 300);

    answerPasteSpecial("Text", PASTE_SPECIAL_PASTE, IDCANCEL);
    EXPECT_EQ(DstrEditPasteSpecial(window), PASTE_HERE_NONE);
    EXPECT_TRUE(objectsOf(CLASS_TEXT).empty());
}

TEST_F(ClipboardPaste, TextBecomesATextObjectOfItsFirstTwentyCharacters)
{
    putText(other, "abcdefghijklmnopqrstuvwxyz0123");
    ASSERT_EQ(Text_Paste(window, 0, MAP_COORDPT{50, 60}), 1);
    const std::vector<OBJHANDLE> texts = objectsOf(CLASS_TEXT);
    ASSERT_EQ(texts.size(), 1u);
    char text[64] = {};
    TextObjectTextGet(kernel, texts[0], text, sizeof text);
    EXPECT_STREQ(text, "abcdefghijklmnopqrst");
    EXPECT_EQ(Undo_CurrentStep(kernel).code, 301);

    // Paste Special "Paste": at the view's corner, at once.
    answerPasteSpecial("Text", PASTE_SPECIAL_PASTE);
    EXPECT_EQ(DstrEditPasteSpecial(window), PASTE_HERE_NONE);
    EXPECT_EQ(objectsOf(CLASS_TEXT).size(), 2u);

    ASSERT_TRUE(OpenClipboard(other));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(Text_Paste(window, 0, MAP_COORDPT{0, 0}), 0);
    EXPECT_EQ(messages.back(), "Clipboard was changed. There is no text!\n");
}

TEST(PasteScale, TheDenominatorFollowsThePageScale)
{
    struct Case {
        double scale;
        int32_t n;
    };
    for (const Case &c : {Case{0.001, 1000}, Case{0, 1}, Case{5, 10000}, Case{-2, 1}, Case{0.0004, 2500}})
        EXPECT_EQ(PasteScaleDenominator(c.scale), c.n) << c.scale;
}

TEST_F(ClipboardPaste, ABitmapBecomesARasterOfItsSavedFile)
{
    ASSERT_EQ(map_page_Set(window, nullptr, -1, -1, 0, 0, nullptr, nullptr, 0.001), 1);
    putBitmap(400, 200);
    saveAs = dir.path().toStdString() + "/pasted";
    ASSERT_EQ(Bitmap_Paste(window, 0, MAP_COORDPT{1000, 5000}), 1);
    EXPECT_EQ(fileDialogs, 1);
    const std::string file = *saveAs + ".bmp";
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    const std::vector<OBJHANDLE> rasters = objectsOf(CLASS_BITMAP);
    ASSERT_EQ(rasters.size(), 1u);
    const char *p = OBJectLock(kernel, rasters[0]);
    const auto &data = *reinterpret_cast<const RasterObjectData *>(p);
    EXPECT_STREQ(data.formatName, "DIB");
    EXPECT_EQ(std::string(data.fileName), file);
    double pageScale = 0;
    map_page_Get(window, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &pageScale);
    const int32_t n = PasteScaleDenominator(pageScale);
    EXPECT_EQ(data.scale, n);
    const int unit = rec.displayView->projection.transformedUnit;
    const int32_t width = truncToInt32(ResOrDim(unit, 400, 200.0, 1, n));
    const int32_t height = truncToInt32(ResOrDim(unit, 200, 200.0, 1, n));
    _COORDRECT bound{};
    SendOBJectMessage(kernel, 0, rasters[0], 0, GRM_GETBOUNDRECT, 0, LPARAM(&bound));
    EXPECT_EQ(bound.x1, 1000);
    EXPECT_EQ(int64_t(bound.x2) - bound.x1, width);
    EXPECT_EQ(std::max(bound.y1, bound.y2), 5000) << "the top-left corner on the point";
    EXPECT_EQ(std::abs(int64_t(bound.y2) - bound.y1), height);
    EXPECT_EQ(Undo_CurrentStep(kernel).code, 302);
}

TEST_F(ClipboardPaste, ACancelledOrUnwritableSaveMakesNothing)
{
    putBitmap(40, 20);
    saveAs.reset();
    EXPECT_EQ(Bitmap_Paste(window, 0, MAP_COORDPT{0, 0}), 1) << "cancelled";
    saveAs = dir.path().toStdString() + "/no/such/folder/x.bmp";
    EXPECT_EQ(Bitmap_Paste(window, 0, MAP_COORDPT{0, 0}), 1)
        << "a folder that is not there counts as cancelled";
    std::filesystem::create_directory(dir.path().toStdString() + "/locked");
    std::filesystem::permissions(dir.path().toStdString() + "/locked",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    saveAs = dir.path().toStdString() + "/locked/x.bmp";
    const bool root = ::geteuid() == 0;
    if (!root) {
        EXPECT_EQ(Bitmap_Paste(window, 0, MAP_COORDPT{0, 0}), 0);
        EXPECT_EQ(messages.back(), "ERROR CREATE BMP FILE.!\n");
    }
    saveAs = dir.path().toStdString() + "/folder.bmp"; // a folder is no file to write
    std::filesystem::create_directory(*saveAs);
    EXPECT_EQ(Bitmap_Paste(window, 0, MAP_COORDPT{0, 0}), 0);
    EXPECT_EQ(messages.back(), "ERROR CREATE BMP FILE.!\n");
    EXPECT_TRUE(objectsOf(CLASS_BITMAP).empty());
    EXPECT_FALSE(Undo_HasUndoStep(kernel));
}

TEST(PasteSpecialModelTest, OffersWhatIsThereAndChoosesByCaption)
{
    PasteSpecialModel model;
    EXPECT_TRUE(model.Lines().empty()) << "a metafile alone is not offered";
    model.metafileAvailable = model.bitmapAvailable = model.objectsAvailable = model.textAvailable = true;
    EXPECT_EQ(model.Lines(), (std::vector<std::string>{"Bitmap", "GORM Object", "Text"}));
    EXPECT_EQ(model.pasteNow, 1);
    model.ClickPasteHere();
    EXPECT_EQ(model.pasteNow, 0);
    EXPECT_EQ(model.optionsRadio, 1);
    model.ClickPaste();
    EXPECT_EQ(model.pasteNow, 1);
    EXPECT_EQ(model.optionsRadio, 0);
    const std::pair<const char *, int> choices[] = {{"Bitmap", PasteSpecialModel::Bitmap},
                                                    {"Enhaced Metafile", PasteSpecialModel::Metafile},
                                                    {"GORM Object", PasteSpecialModel::Objects},
                                                    {"Text", PasteSpecialModel::Text},
                                                    {"", PasteSpecialModel::None}};
    for (auto [line, kind] : choices) {
        model.Choose(line);
        EXPECT_EQ(model.pasteKind, kind) << line;
    }
    model.Cancel();
    EXPECT_EQ(model.pasteKind, PasteSpecialModel::None);
}

TEST(PasteSpecialDialogTest, OpensAndClosesWithoutAPerson)
{
    SetModalDialogHook({});
    PasteSpecialModel model;
    model.textAvailable = true;
    EXPECT_EQ(RunPasteSpecialDialog(0, model), IDCANCEL);
    EXPECT_EQ(model.pasteKind, PasteSpecialModel::None);
    // Shown and closed by a double click on its one line.
    SetModalDialogHook([](QDialog &dialog, int) {
        dialog.show();
        auto *list = DialogItemAs<QListWidget>(&dialog, PASTE_SPECIAL_LIST);
        EXPECT_EQ(list->count(), 1);
        emit list->itemDoubleClicked(list->item(0));
        return dialog.result();
    });
    EXPECT_EQ(RunPasteSpecialDialog(0, model), IDOK);
    EXPECT_EQ(model.pasteKind, PasteSpecialModel::Text);
    SetModalDialogHook({});
}

TEST_F(ClipboardPaste, MapDataTravelsThroughTheOlderCopyAndPaste)
{
    const std::vector<MAP_COORDPT> points{{10, 20}, {30, 40}, {50, 20}};
    const OBJHANDLE a = make(CLASS_POLYLINE, points);
    select({a});
    ASSERT_EQ(map_edit_Copy(window, nullptr, 0, 0), 1);
    EXPECT_EQ(rec.copyCommand, 0);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP)) << "no renderer answers for it";
    EXPECT_EQ(readText().substr(0, 18), "ObjClass:Polyline;");
    ASSERT_EQ(map_edit_Paste(window, 1), 1);
    const std::vector<OBJHANDLE> lines = objectsOf(CLASS_POLYLINE);
    ASSERT_EQ(lines.size(), 2u);
    const std::vector<MAP_COORDPT> got = pointsOf(lines.back());
    ASSERT_EQ(got.size(), points.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_TRUE(got[i].x == points[i].x && got[i].y == points[i].y);
    EXPECT_FALSE(Undo_HasUndoStep(kernel));
}

std::string record(uint32_t key, uint16_t cls, const std::string &data)
{
    MapClipRecordHead head{key, uint32_t(data.size()), cls, 0};
    return std::string(reinterpret_cast<const char *>(&head), sizeof head) + data;
}

std::string count(uint32_t n) { return std::string(reinterpret_cast<const char *>(&n), 4); }

TEST_F(ClipboardPaste, DamagedMapDataIsRefusedWithTheMapUnchanged)
{
    make(CLASS_POLYLINE, {{1, 1}, {2, 2}});
    const std::string polyline(PS_FIXED_SIZE + 16, '\0');
    const std::string good = record(7, CLASS_POLYLINE, polyline);
    MapClipRecordHead past{7, 1000, CLASS_POLYLINE, 0};
    struct Case {
        const char *name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"zero count", count(0)},
        {"huge count", count(0xFFFFFFFF) + good},
        {"count past the block", count(2) + good},
        {"size past the block",
         count(1) + std::string(reinterpret_cast<const char *>(&past), sizeof past) + polyline},
        {"unknown class", count(1) + record(7, 0x4020, polyline)},
        {"a layer", count(1) + record(7, CLASS_LAYER, std::string(200, '\0'))},
        {"short of its fixed data", count(1) + record(7, CLASS_POLYLINE, std::string(8, '\0'))},
        {"bytes after the last", count(1) + good + "x"},
        {"a key twice", count(2) + good + good},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<MapClipRecord> records;
        std::string why;
        EXPECT_FALSE(MapClipRead(c.bytes.data(), c.bytes.size(), &records, &why));
        EXPECT_TRUE(records.empty()) << "all or nothing";
        EXPECT_FALSE(why.empty());
        putMapData(c.bytes);
        messages.clear();
        EXPECT_EQ(map_edit_Paste(window, 1), 0);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].rfind("The map data on the clipboard cannot be pasted.", 0), 0u) << messages[0];
        EXPECT_EQ(objectsOf(CLASS_POLYLINE).size(), 1u);
        EXPECT_TRUE(Undo_HasUndoStep(kernel)) << "the history is untouched";
    }
    // A point count beyond the data is cut to it.
    std::string overlong = polyline;
    const uint32_t many = 1000;
    std::memcpy(overlong.data() + PS_COUNT, &many, 4);
    putMapData(count(1) + record(9, CLASS_POLYLINE, overlong));
    ASSERT_EQ(map_edit_Paste(window, 0), 1);
    const std::vector<OBJHANDLE> lines = objectsOf(CLASS_POLYLINE);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(pointsOf(lines.back()).size(), 2u);
}

} // namespace
