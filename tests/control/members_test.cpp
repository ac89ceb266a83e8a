// The members of IMap through dispatch: opening and saving documents,
// properties, conversions, units and zoom, and what bad input gets.
#include "control_fixture.h"

#include "engine/kernel/map_file.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/window.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray Bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Members : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        if (HasFatalFailure())
            return;
        previousBox = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r.text);
            return IDOK;
        });
        previousDialog = SetFileDialogHook([this](const FileDialogRequest &) { return dialogAnswer; });
    }
    void TearDown() override
    {
        SetMessageBoxHook(previousBox);
        SetFileDialogHook(previousDialog);
        ControlTest::TearDown();
    }
    // A document of two polygons written by the engine itself.
    std::string Fixture(const QString &name)
    {
        const OBJHANDLE a = Polygon({{0, 0}, {1000, 0}, {1000, 800}});
        const OBJHANDLE b = Polygon({{2000, 2000}, {2500, 2000}, {2500, 2600}, {2000, 2600}});
        EXPECT_TRUE(a && b);
        const std::string path = (dir.path() + "/" + name).toStdString();
        EXPECT_EQ(MapSave(hwnd(), path.c_str()), 1);
        return path;
    }

    QTemporaryDir dir;
    std::vector<std::string> boxes;
    std::optional<std::string> dialogAnswer;
    MessageBoxHook previousBox;
    FileDialogHook previousDialog;
};

TEST_F(Members, OpenThenSaveGivesTheEnginesOwnBytes)
{
    const std::string original = Fixture("original.mpd");
    ASSERT_EQ(Call("Close").lVal, 1);
    EXPECT_EQ(Call("Open", {VariantFromString(original)}).lVal, 1);
    EXPECT_EQ(BstrToWindows1252(Get("FileName").bstrVal), original);
    const std::string copy = (dir.path() + "/copy.mpd").toStdString();
    EXPECT_EQ(Call("SAVE", {VariantFromString(copy)}).lVal, 1);
    EXPECT_EQ(Bytes(QString::fromStdString(copy)), Bytes(QString::fromStdString(original)));
    EXPECT_FALSE(Get("IsModified").boolVal);
}

TEST_F(Members, AFailedOpenKeepsTheDocument)
{
    const std::string original = Fixture("original.mpd");
    ASSERT_EQ(Call("Open", {VariantFromString(original)}).lVal, 1);
    ASSERT_EQ(Put("IsModified", VariantFromBool(true)), S_OK);
    const OBJectKernel *kernel = ctl->wndRes()->kernel;

    QFile damaged(dir.path() + "/damaged.mpd");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(Bytes(QString::fromStdString(original)).left(150));
    damaged.close();
    QFile text(dir.path() + "/notes.mpd");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("These are notes, not a map document.\n");
    text.close();
    // A damaged document or a missing file is not read (0); only a file that
    // does not begin as a document of this version goes to the reader of
    // older documents, which does not ship (-1). None shows a box: the
    // caller says why.
    struct Case {
        std::string name;
        int32_t result;
    };
    const Case cases[] = {
        {(dir.path() + "/damaged.mpd").toStdString(), 0},
        {(dir.path() + "/missing.mpd").toStdString(), 0},
        {(dir.path() + "/notes.mpd").toStdString(), -1},
    };
    for (const Case &c : cases) {
        boxes.clear();
        EXPECT_EQ(Call("Open", {VariantFromString(c.name)}).lVal, c.result) << c.name;
        EXPECT_TRUE(boxes.empty()) << c.name << ": " << (boxes.empty() ? "" : boxes[0]);
        EXPECT_EQ(ctl->wndRes()->kernel, kernel) << "the document stays";
        EXPECT_EQ(BstrToWindows1252(Get("FileName").bstrVal), original);
        EXPECT_TRUE(Get("IsModified").boolVal);
    }
    // Through the FileName property too.
    EXPECT_EQ(Put("FileName", VariantFromString(cases[1].name)), S_OK);
    EXPECT_EQ(BstrToWindows1252(Get("FileName").bstrVal), original);
    EXPECT_EQ(ctl->wndRes()->kernel, kernel);
}

TEST_F(Members, OpenWithoutANameAsksAndACancelChangesNothing)
{
    const std::string original = Fixture("original.mpd");
    const OBJectKernel *kernel = ctl->wndRes()->kernel;
    dialogAnswer.reset();
    EXPECT_EQ(Call("Open", {VariantFromString("")}).lVal, 0);
    EXPECT_EQ(Call("Open", {Variant()}).lVal, 0);
    EXPECT_EQ(ctl->wndRes()->kernel, kernel);
    dialogAnswer = original;
    EXPECT_EQ(Call("Open", {VariantFromString("")}).lVal, 1);
    EXPECT_EQ(BstrToWindows1252(Get("FileName").bstrVal), original);
}

TEST_F(Members, ALongFileNameIsKeptWhole)
{
    const QString folder = dir.path() + "/" + QString(120, 'd');
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString name = folder + "/" + QString(200 - folder.size() - 5, 'f') + ".mpd";
    ASSERT_EQ(name.size(), 200);
    const std::string path = Fixture(name.mid(dir.path().size() + 1));
    ASSERT_EQ(Call("Open", {VariantFromString(path)}).lVal, 1);
    EXPECT_EQ(BstrToWindows1252(Get("FileName").bstrVal), path);
    EXPECT_EQ(Call("Save", {VariantFromString(BstrToWindows1252(Get("FileName").bstrVal))}).lVal, 1);
    EXPECT_TRUE(QFile::exists(name));
}

TEST_F(Members, PropertiesReadBackAsThePartSays)
{
    EXPECT_EQ(Put("Name", VariantFromString("Atlas")), S_OK);
    EXPECT_EQ(BstrToWindows1252(Get("Name").bstrVal), "");
    EXPECT_TRUE(ctl->IsControlModified());

    Polygon({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}});
    ctl->Command(mCmdViewAllObjects);
    EXPECT_EQ(Put("OriginAlignment", VariantFromShort(4)), S_OK);
    const MAP_COORDRECT w = ctl->view()->worldRect;
    const int32_t x = Get("OriginX").lVal;
    const int32_t y = Get("OriginY").lVal;
    EXPECT_EQ(x, int32_t((int64_t(w.x1) + w.x2) / 2));
    EXPECT_EQ(y, int32_t((int64_t(w.y1) + w.y2) / 2));
    EXPECT_EQ(Put("OriginX", VariantFromLong(x)), S_OK);
    EXPECT_EQ(ctl->view()->worldRect.x1, w.x1) << "the same origin does not move the view";
    EXPECT_EQ(Put("OriginX", VariantFromLong(x + 100)), S_OK);
    EXPECT_EQ(ctl->view()->worldRect.x1, w.x1 + 100);
    // Alignments outside 0 to 8 take the left top corner.
    EXPECT_EQ(Put("OriginAlignment", VariantFromShort(11)), S_OK);
    EXPECT_EQ(Get("OriginX").lVal, ctl->view()->worldRect.x1);
    EXPECT_EQ(Get("OriginY").lVal, ctl->view()->worldRect.y2);

    for (int32_t which : {0, 5, -1})
        EXPECT_EQ(Call("UnitsGet", {VariantFromLong(which)}).lVal, 0) << which;
    Call("UnitsSet", {VariantFromLong(3), VariantFromLong(7)});
    EXPECT_EQ(Call("UnitsGet", {VariantFromLong(3)}).lVal, 7);
    EXPECT_EQ(ctl->view()->projection.lengthUnit, 7);

    EXPECT_EQ(Put("OffscreenDrawing", VariantFromBool(true)), S_OK);
    EXPECT_TRUE(Get("OffscreenDrawing").boolVal);
    EXPECT_EQ(Put("MapScale", VariantFromDouble(50000)), S_OK);
    EXPECT_NEAR(Get("MapScale").dblVal, 50000, 50) << "the engine fits the scale to whole pixels";
    EXPECT_EQ(sink->Of(EVENT_DISPLAYSCALECHANGED).back().args.at(0), Get("MapScale").dblVal);
}

TEST_F(Members, ConversionsWriteTheSecondObject)
{
    Polygon({{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}});
    ctl->Command(mCmdViewAllObjects);
    auto map = Point(500, 500);
    auto window = Point(0, 0);
    EXPECT_EQ(Call("MapToWindow", {Obj(map.get()), Obj(window.get())}).lVal, 1);
    auto back = Point(0, 0);
    EXPECT_EQ(Call("WindowToMap", {Obj(window.get()), Obj(back.get())}).lVal, 1);
    EXPECT_NEAR(back->x, 500, 5);
    EXPECT_NEAR(back->y, 500, 5);
    auto world = Point(0, 0);
    EXPECT_EQ(Call("MapToWorld", {Obj(map.get()), Obj(world.get())}).lVal, 1);
    EXPECT_EQ(world->x, 500) << "no projection: world is map";
    auto mapRect = Rect(0, 0, 1000, 1000);
    auto windowRect = Rect(0, 0, 0, 0);
    EXPECT_EQ(Call("MapToWindowRect", {Obj(mapRect.get()), Obj(windowRect.get())}).lVal, 1);
    EXPECT_LT(windowRect->left, windowRect->right);
    // A point where a rectangle belongs, and the other way round: nothing
    // is read or written.
    EXPECT_EQ(Call("MapToWindowRect", {Obj(map.get()), Obj(windowRect.get())}).lVal, 0);
    EXPECT_EQ(Call("MapToWindow", {Obj(mapRect.get()), Obj(window.get())}).lVal, 0);
}

TEST_F(Members, BadInputGetsADispatchErrorOrThePartsAnswer)
{
    auto point = Point(1, 2);
    struct Case {
        const char *name;
        std::vector<Variant> args;
        WORD flags;
        HRESULT hr;
    };
    VARIANT nowhere{};
    nowhere.vt = VT_BYREF | VT_I4;
    nowhere.plVal = nullptr;
    const Case cases[] = {
        {"UnitsGet", {VariantFromString("three")}, DISPATCH_METHOD, DISP_E_TYPEMISMATCH},
        {"UnitsGet", {}, DISPATCH_METHOD, DISP_E_BADPARAMCOUNT},
        {"UnitsGet", {VariantFromLong(1), VariantFromLong(2)}, DISPATCH_METHOD, DISP_E_BADPARAMCOUNT},
        {"Command", {Obj(point.get())}, DISPATCH_METHOD, DISP_E_TYPEMISMATCH},
        {"Command", {Variant(nowhere)}, DISPATCH_METHOD, DISP_E_TYPEMISMATCH},
        {"NoSuchMember", {}, DISPATCH_METHOD, DISP_E_UNKNOWNNAME},
        {"UnitsGet", {VariantFromDouble(1e12)}, DISPATCH_METHOD, DISP_E_OVERFLOW},
    };
    for (const Case &c : cases) {
        HRESULT hr = S_OK;
        CallByName(disp(), c.name, c.flags, c.args, &hr);
        EXPECT_EQ(hr, c.hr) << c.name;
    }
    // argErr names the argument (last first).
    Variant args[2] = {VariantFromBool(true), VariantFromString("x")};
    DISPPARAMS params{args, nullptr, 2, 0};
    UINT argErr = 99;
    Variant result;
    EXPECT_EQ(disp()->Invoke(DISPID_MAP_UNITSSET, DISPATCH_METHOD, params, &result, nullptr, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u) << "the first argument, stored last";
    // A type nobody knows.
    VARIANT raw[2] = {};
    raw[0].vt = VT_BOOL;
    raw[1].vt = 0x77;
    DISPPARAMS rawParams{raw, nullptr, 2, 0};
    EXPECT_EQ(disp()->Invoke(DISPID_MAP_ZOOM, DISPATCH_METHOD, rawParams, &result, nullptr, &argErr),
              DISP_E_BADVARTYPE);
    EXPECT_EQ(argErr, 1u);
    // Unknown dispids.
    for (DISPID id : {49, -600, 0}) {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        EXPECT_EQ(disp()->Invoke(id, DISPATCH_PROPERTYGET, none, &result, nullptr, nullptr),
                  DISP_E_MEMBERNOTFOUND)
            << id;
    }
    // Zoom with no rectangle object zooms the Part's way; null and foreign
    // objects are no rectangles.
    EXPECT_EQ(Call("Zoom", {Variant(), VariantFromBool(true)}).lVal, 1);
    EXPECT_EQ(Call("Zoom", {Obj(nullptr), VariantFromBool(false)}).lVal, 1);
    EXPECT_EQ(Call("Zoom", {Obj(point.get()), VariantFromBool(false)}).lVal, 1);
    EXPECT_EQ(Call("WindowToMap", {Obj(nullptr), Obj(point.get())}).lVal, 0);
    EXPECT_EQ(Call("QueryByMapRect", {VariantFromLong(1), Obj(point.get()), VariantFromBool(true)}).lVal, 0);
}

} // namespace
