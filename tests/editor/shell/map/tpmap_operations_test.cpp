// The wrapper's map operations: layer numbers, rasters, fills, page sizes,
// selection texts, the sector store and the link path, and bad input.
#include "map_fixture.h"

#include "editor/shell/support/global.h"
#include "editor/shell/support/tracer_form.h"
#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

using Events = std::vector<int>;

class Operations : public MapTest {
protected:
    std::vector<int32_t> LayerNumbers()
    {
        std::vector<int32_t> numbers;
        TMapEnumerator e(map->Control().MapLayers());
        for (IKrtObject o = e.Next(); o; o = e.Next())
            numbers.push_back(o.Layer().Number());
        return numbers;
    }
    static std::string MakeImage(const QString &path)
    {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        EXPECT_TRUE(image.save(path));
        return path.toStdString();
    }
    static std::string MakeFile(const QString &path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        return path.toStdString();
    }
};

TEST_P(Operations, NextLayerNumberIsTheSmallestFreeFromOneHundred)
{
    EXPECT_EQ(map->NextLayerNumber(), 100) << "only the pen-parking layer 99";
    for (int32_t n : {103, 101, 100, 5})
        map->NewLayer("L" + std::to_string(n), n);
    EXPECT_EQ(map->NextLayerNumber(), 102);
    map->NewLayer("L102", 102);
    EXPECT_EQ(map->NextLayerNumber(), 104);
}

TEST_P(Operations, AddLayerKeepsOneAndReplacesTakenOrInvalidNumbers)
{
    struct Case {
        int32_t asked;
        int32_t given;
    };
    map->NewLayer("Hundred", 100);
    EXPECT_EQ(map->NewLayer("One", 1).Layer().Number(), 1) << "1 is not replaced";
    // Layer numbers are unique in a map: the control gives a second 1 the
    // number above the largest, and the free number then moves on.
    for (const Case &c : {Case{1, 101}, Case{100, 102}, Case{0, 103}, Case{-7, 104}, Case{500, 500}}) {
        EventLog log;
        log.Hear(*map, std::integer_sequence<int, 3>());
        const IKrtObject layer = map->NewLayer("New", c.asked);
        ASSERT_TRUE(layer) << c.asked;
        EXPECT_EQ(layer.Layer().Number(), c.given) << c.asked;
        EXPECT_EQ(log.events, (Events{3})) << c.asked;
        EXPECT_EQ(map->LayerArgs.Number, c.given);
    }
}

TEST_P(Operations, RastersTryTheFormatsInTheirFixedOrder)
{
    if (!IsFake())
        GTEST_SKIP() << "the order is seen through the fake control's record of tries";
    QTemporaryDir dir;
    struct Case {
        const char *name;
        const char *tries;
        int32_t format;
    };
    for (const Case &c :
         {Case{"photo.TIF", "2", 2}, Case{"photo.png", "0,3", 3}, Case{"photo.jpg", "0,3,1", 1},
          Case{"photo.bmp", "0", 0}, Case{"photo.gif", "0,3,1", -1}}) {
        const std::string file = MakeFile(dir.filePath(c.name));
        map->Control().PutString("FakeRasterTries", "");
        map->SetModified(false);
        const IKrtRaster r = IKrtRaster::New();
        r.PutFileName(file);
        const IKrtObject added = map->AddRaster(r);
        EXPECT_EQ(map->Control().GetString("FakeRasterTries"), c.tries) << c.name;
        if (c.format < 0) {
            EXPECT_FALSE(added) << c.name;
            EXPECT_FALSE(map->IsModified()) << c.name;
        } else {
            ASSERT_TRUE(added) << c.name;
            EXPECT_EQ(added.Raster().FileFormat(), c.format) << c.name;
            EXPECT_TRUE(map->IsModified()) << c.name;
        }
    }
}

TEST_P(Operations, ARasterTheControlRefusesWithAnErrorIsNotAdded)
{
    const int32_t before = map->Control().MapObjects().Count();
    const IKrtRaster r = IKrtRaster::New();
    r.PutFileName("/no/such/folder/photo.png");
    EXPECT_FALSE(map->AddRaster(r));
    EXPECT_EQ(map->Control().MapObjects().Count(), before);
}

TEST_P(Operations, CopyRasterPlacesTheCopyWhereTheSourceIs)
{
    QTemporaryDir dir;
    const IKrtRaster r = IKrtRaster::New();
    r.PutFileName(MakeImage(dir.filePath("a.png")));
    const IKrtObject source = map->AddRaster(r);
    ASSERT_TRUE(source);
    const IKrtRaster placed = source.Raster();
    placed.PutOriginX(1200);
    placed.PutOriginY(-300);
    placed.PutWidth(4000);
    placed.PutHeight(3000);
    source.PutRaster(placed);
    const IKrtObject copy = map->CopyRaster(source);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.hObject(), source.hObject());
    const IKrtRaster c = copy.Raster();
    EXPECT_EQ(c.FileName(), r.FileName());
    EXPECT_EQ((std::vector<int32_t>{c.OriginX(), c.OriginY(), c.Width(), c.Height()}),
              (std::vector<int32_t>{1200, -300, 4000, 3000}));
}

TEST_P(Operations, LayerFillTakesTheAlphaByteAsPercent)
{
    const IKrtObject layer = map->NewLayer("Fill", 0);
    struct Case {
        uint32_t colour;
        int32_t transparency;
        int32_t fillFlag;
    };
    for (const Case &c : {Case{0x80123456u, 50, 1}, Case{0xFF123456u, 100, 1}, Case{0x00ABCDEFu, 0, 0}}) {
        map->SetLayerFill(layer, c.colour, 3, c.fillFlag);
        const IKrtLayer l = layer.Layer();
        EXPECT_EQ(l.Transparency(), c.transparency) << std::hex << c.colour;
        EXPECT_EQ(l.NoFillColor(), c.fillFlag != 1);
        if (c.fillFlag == 1) { // what an unfilled layer keeps of its fill is the control's
            EXPECT_EQ(uint32_t(l.FillColor()), c.colour & 0xFFFFFFu);
            EXPECT_EQ(l.FillHatch(), 3);
        }
    }
}

TEST_P(Operations, LineStyleIsWrittenThroughTheLayer)
{
    const IKrtObject layer = map->NewLayer("Lines", 0);
    map->SetLayerLineStyle(layer, 4, 25, 0x0000FF, 0);
    const IKrtLineStyle s = layer.Layer().LineStyle();
    EXPECT_EQ(s.Style(), 4);
    EXPECT_EQ(s.Width(), 25);
    EXPECT_EQ(s.Color(), 0x0000FF);
    EXPECT_TRUE(s.WidthInUnits());
    map->SetLayerLineStyle(layer, 0, 2, 0, 1);
    EXPECT_FALSE(layer.Layer().LineStyle().WidthInUnits());
}

TEST_P(Operations, PageASizeIsTheNearestIsoSizeAbove)
{
    // A page always has a paper (a null one is refused): its long side counts,
    // whatever the scale.
    const IKrtPage page = map->GetPage();
    EXPECT_THROW(page.PutPaper(IKrtPaper()), ControlException);
    std::vector<int> sizes;
    for (double scale : {100.0, 2500.0}) {
        page.PutScale(scale);
        map->SetPage(page);
        sizes.push_back(map->PageASize());
    }
    EXPECT_EQ(sizes.front(), sizes.back());
    if (const IKrtPaper a4 = page.Papers().Item("A4")) {
        page.PutPaper(a4);
        map->SetPage(page);
        EXPECT_EQ(map->PageASize(), 4);
    }
    // Other long sides through the custom paper, which the paper list offers
    // where a printer gives one.
    const IKrtPaper custom = page.Papers().Item("Custom");
    if (!custom)
        GTEST_SKIP() << "no printer: the paper list has no custom paper";
    struct Case {
        int32_t longSide; // millimetres on paper
        int size;
    };
    for (const Case &c : {Case{180, 6}, Case{181, 5}, Case{1189, 0}, Case{5000, 0}, Case{100, 6}}) {
        custom.PutSizeX(c.longSide * 10); // tenths of a millimetre
        custom.PutSizeY(1000);
        page.PutPaper(custom);
        map->SetPage(page);
        EXPECT_EQ(map->PageASize(), c.size) << c.longSide;
    }
}

TEST_P(Operations, SettingThePageFiresScaleAndPaperEvents)
{
    EventLog log;
    log.Hear(*map, std::integer_sequence<int, 12, 13>());
    map->SetPageScale(2500.4);
    EXPECT_TRUE(log.events.empty()) << "the rounded scale did not change";
    map->SetPageScale(1250);
    EXPECT_EQ(log.events, (Events{12}));
    // The page keeps whole map units: the scale reads back within them.
    EXPECT_NEAR(map->GetPageScale(), 1250, 0.05);
    EXPECT_EQ(map->PageRelativeSize(1250), 4460) << "portrait";
    EXPECT_EQ(map->PageRelativeSize(0), 1) << "at least 1";
    log.events.clear();
    const IKrtPage page = map->GetPage();
    page.PutPaper(page.Paper());
    map->SetPage(page);
    EXPECT_TRUE(log.events.empty()) << "the same paper";
    // Another paper where the list offers one (without a printer it holds
    // only the page's own).
    const IKrtPaper other = page.Papers().Item(1);
    if (!other)
        return;
    page.PutPaper(other);
    map->SetPage(page);
    EXPECT_EQ(log.events, (Events{13}));
}

TEST_P(Operations, CentrePageMovesThePageAroundThePoint)
{
    struct Case {
        int32_t x, y;
    };
    for (const Case &c : {Case{50000, 70000}, Case{-123457, 99}, Case{0, 0}}) {
        map->CentrePage(c.x, c.y);
        const IKrtPage page = map->GetPage();
        EXPECT_EQ(page.OriginX(), c.x - page.Width() / 2) << c.x;
        EXPECT_EQ(page.OriginY(), c.y - page.Height() / 2) << c.y;
        EXPECT_EQ(map->PageCentre(), (std::pair<int32_t, int32_t>{c.x, c.y}));
    }
}

TEST_P(Operations, ZoomToObjectShowsItAndStepsOutFromIt)
{
    const IKrtObject field = Poly({{100000, 200000}, {104000, 200000}, {104000, 203000}}, false);
    // The map point at the middle of the control's window.
    auto middle = [&] {
        const IKrtPoint window = IKrtPoint::New(), point = IKrtPoint::New();
        window.Putx(map->Widget()->width() / 2);
        window.Puty(map->Widget()->height() / 2);
        map->Control().WindowToMap(window, point);
        return std::pair<int32_t, int32_t>{point.x(), point.y()};
    };
    map->ZoomToObject(field, 0);
    const double close = std::abs(map->MapUnitsPerPixel());
    auto [x, y] = middle();
    EXPECT_NEAR(x, 102000, 500);
    EXPECT_NEAR(y, 201500, 500);
    map->ZoomToObject(field, 2);
    const double far = std::abs(map->MapUnitsPerPixel());
    // Out around a target as large as the view: 1.5 times, then 1.75 times.
    EXPECT_NEAR(far / close, 2.625, 0.15) << "two steps out";
    std::tie(x, y) = middle();
    EXPECT_NEAR(x, 102000, 20 * far) << "still about the object";
}

TEST_P(Operations, SetAlignKeepsTheControlInPlaceAsTheTabResizes)
{
    QWidget *w = map->Widget();
    tab->show();
    w->setGeometry(10, 10, 120, 80);
    struct Case {
        TPMap::TAlign align;
        QRect at400x300; // in the tab of 400 x 300
        QRect at500x200; // after the tab became 500 x 200
    };
    for (const Case &c : {Case{TPMap::alClient, {0, 0, 400, 300}, {0, 0, 500, 200}},
                          Case{TPMap::alTop, {0, 0, 400, 80}, {0, 0, 500, 80}},
                          Case{TPMap::alBottom, {0, 220, 400, 80}, {0, 120, 500, 80}},
                          Case{TPMap::alLeft, {0, 0, 120, 300}, {0, 0, 120, 200}},
                          Case{TPMap::alRight, {280, 0, 120, 300}, {380, 0, 120, 200}}}) {
        tab->resize(400, 300);
        w->setGeometry(10, 10, 120, 80);
        map->SetAlign(c.align);
        EXPECT_EQ(w->geometry(), c.at400x300) << c.align;
        tab->resize(500, 200);
        EXPECT_EQ(w->geometry(), c.at500x200) << c.align;
    }
    map->SetAlign(TPMap::alNone);
    tab->resize(300, 300);
    EXPECT_EQ(w->geometry(), QRect(380, 0, 120, 200)) << "left where it was";
}

TEST_P(Operations, OperationsWriteEntryAndExitLines)
{
    QTemporaryDir dir;
    Global().StartLog(dir.path().toStdString() + "/");
    Global().Tracer()->Model().SetMessagePump({});
    const IKrtObject layer = map->NewLayer("Traced", 0);
    map->DeleteLayer(layer);
    std::vector<std::string> lines = Global().Tracer()->Model().Lines();
    Global().StopLog();
    auto indexOf = [&](const std::string &text) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find(text) != std::string::npos)
                return int(i);
        return -1;
    };
    const int entry = indexOf("Entry : TPMap.DeleteLayer()");
    const int exit = indexOf("Exit  : TPMap.DeleteLayer()");
    ASSERT_GE(entry, 0);
    EXPECT_GT(exit, entry);
    EXPECT_GE(indexOf("Entry : TPMap.NewLayer()"), 0);
    EXPECT_LT(indexOf("Entry : TPMap.NewLayer()"), entry);
    // Without a log nothing is written and nothing breaks.
    EXPECT_TRUE(map->NewLayer("Untraced", 0));
}

TEST_P(Operations, SelectionIdTextNeedsAnIdentifier)
{
    const IKrtObject plain = Poly({{0, 0}, {10, 0}, {10, 10}}, false);
    plain.PutIsSelected(true);
    EXPECT_EQ(map->SelectionIDText(), "");
    map->RunCommand(471);
    EXPECT_EQ(map->SelectionIDText(), "") << "nothing selected";
    const IKrtObject named = Poly({{0, 0}, {10, 0}, {10, 10}}, false);
    named.PutPrimaryID("A1");
    named.PutSecondaryID("Oak");
    named.PutIsSelected(true);
    EXPECT_EQ(map->SelectionIDText(), "A1 : Oak");
}

TEST_P(Operations, SelectionLayerNameSaysWhenLayersDiffer)
{
    const IKrtObject a = map->NewLayer("Alpha", 0);
    const IKrtObject b = map->NewLayer("Beta", 0);
    const IKrtObject one = Poly({{0, 0}, {5, 5}}, true, a);
    const IKrtObject two = Poly({{0, 0}, {6, 6}}, true, a);
    const IKrtObject three = Poly({{0, 0}, {7, 7}}, true, b);
    EXPECT_EQ(map->SelectionLayerName(), "");
    one.PutIsSelected(true);
    two.PutIsSelected(true);
    EXPECT_EQ(map->SelectionLayerName(), "Alpha");
    three.PutIsSelected(true);
    EXPECT_EQ(map->SelectionLayerName(), "Multiple layers");
}

TEST_P(Operations, ActiveLayerRefusesPrivateLayers)
{
    std::vector<std::string> messages;
    map->OnMessage = [&](TPMap &, const std::string &text) { messages.push_back(text); };
    const IKrtObject user = map->NewLayer("Trees", 0);
    const IKrtObject hidden = map->NewLayer("_Hidden", 0);
    EventLog log;
    log.Hear(*map, std::integer_sequence<int, 7>());
    map->SetActiveLayer(user);
    EXPECT_EQ(map->GetActiveLayer().hObject(), user.hObject());
    map->SetActiveLayer(hidden);
    EXPECT_EQ(map->GetActiveLayer().hObject(), user.hObject());
    EXPECT_EQ(messages, (std::vector<std::string>{"Attempt to make _Hidden ACTIVE"}));
    map->SetActiveLayer(IKrtObject());
    EXPECT_EQ(log.events, (Events{7}));
}

TEST_P(Operations, PurgeEmptyLayersFiresSixOnce)
{
    const IKrtObject used = map->NewLayer("Used", 0);
    Poly({{0, 0}, {1, 1}}, true, used);
    map->NewLayer("Empty1", 0);
    map->NewLayer("Empty2", 0);
    map->NewLayer("_Private", 0);
    ASSERT_TRUE(map->GetLayerByNumber(kPageOutlineLayer)) << "kept though it holds only the page";
    EXPECT_EQ(map->PurgeEmptyLayers(false), 2);
    EventLog log;
    log.Hear(*map, std::integer_sequence<int, 4, 6>());
    EXPECT_EQ(map->PurgeEmptyLayers(true), 2);
    EXPECT_EQ(log.events, (Events{4, 4, 6}));
    EXPECT_FALSE(map->GetLayerByName("Empty1"));
    EXPECT_TRUE(map->GetLayerByName("_Private"));
    EXPECT_EQ(map->Registry.Held, 0);
}

TEST_P(Operations, GridSystemLivesInAnInternalLayer)
{
    EXPECT_EQ(map->GridSystem(), 255);
    map->SetGridSystem(61);
    EXPECT_EQ(map->GridSystem(), 61);
    const IKrtObject layer = map->GetLayerByName("_Grid ID");
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer.Layer().Number(), 130560 + 61);
    EXPECT_FALSE(layer.Layer().Selectable());
    map->SetGridSystem(30);
    EXPECT_EQ(map->GridSystem(), 61) << "set once";
}

TEST_P(Operations, ObjectsAreMadeFoundCopiedAndDeleted)
{
    const IKrtObject layer = map->NewLayer("Roads", 0);
    const IKrtObject line = Poly({{0, 0}, {100, 0}}, true, layer);
    ASSERT_TRUE(line);
    EXPECT_EQ(line.hLayer(), layer.hObject());
    line.PutPrimaryID("R1");
    EXPECT_EQ(map->FindObject("R1").hObject(), line.hObject());
    EXPECT_FALSE(map->FindObject("R2"));
    const IKrtObject copy = map->CopyObject(line);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy.hLayer(), layer.hObject());
    EXPECT_EQ(copy.ObjectType(), otPolyline);
    EXPECT_FALSE(map->CopyObject(map->NewGroup()));
    EXPECT_FALSE(map->IsBlank());
    // The bounds of all objects take in the page, which starts at (0, 0).
    const IKrtPage page = map->GetPage();
    EXPECT_TRUE(map->InMapBounds(50, 0));
    EXPECT_TRUE(map->InMapBounds(page.Width(), page.Height()));
    EXPECT_FALSE(map->InMapBounds(page.Width() + 1, 0));
    EXPECT_FALSE(map->InMapBounds(-1, 0));
    EXPECT_TRUE(map->DeleteObject(copy));
    EXPECT_EQ(copy.ObjectType(), otNone);
    EXPECT_FALSE(map->DeleteObject(copy)) << "gone already";
    EXPECT_FALSE(map->DeleteObject(IKrtObject()));
    EXPECT_FALSE(map->GetObject(0));
    EXPECT_FALSE(map->GetObject(-4));
}

TEST_P(Operations, DeletingAnObjectTheControlKeepsIsNoSuccess)
{
    const IKrtObject root = map->GetRootGroup();
    ASSERT_TRUE(root);
    EXPECT_EQ(root.Group().Name(), "Root");
    const IKrtObject layer = map->NewLayer("Kept", 0);
    const int32_t layers = map->Control().MapLayers().Count();
    EXPECT_FALSE(map->DeleteObject(root));
    EXPECT_EQ(root.ObjectType(), otGroup);
    // The themes' root holds every layer: deleting it would take them all.
    EXPECT_EQ(map->Control().MapLayers().Count(), layers);
    EXPECT_EQ(layer.ObjectType(), otLayer);
}

TEST_P(Operations, SymbolsAreOneWingdingsCharacter)
{
    const IKrtObject symbol = map->NewSymbol('J', 10, 20, 0, IKrtObject());
    ASSERT_TRUE(symbol);
    EXPECT_TRUE(map->IsSymbolText(symbol));
    EXPECT_EQ(symbol.Text().Size(), 1);
    EXPECT_TRUE(symbol.Text().UseLayerColor());
    const TFontSpec font{"Arial", 12, 0x00FF00};
    const IKrtObject text = map->NewText("J", 10, 20, &font, IKrtObject());
    EXPECT_FALSE(map->IsSymbolText(text));
    EXPECT_EQ(text.Text().Color(), 0x00FF00);
    EXPECT_EQ(text.Text().LockTo(), 1);
    EXPECT_EQ(map->GetTextFont(text).Size, 12);
    map->SetTextStyle(text, 0xFF, 2, 4, 45.25);
    EXPECT_EQ(text.Text().Escapement(), 452);
    EXPECT_EQ(text.Text().HorizontalAlignment(), 2);
}

TEST_P(Operations, IdentifierFontIsStoredForTheEngine)
{
    map->StoreIdentifierFont(); // no label in the map: the default font
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KRT\\GORM 8.0\\Text", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char face[64] = {};
    DWORD type = 0, size = sizeof face;
    ASSERT_EQ(RegQueryValueExA(key, "FaceName", nullptr, &type, reinterpret_cast<BYTE *>(face), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(face, "Arial");
    DWORD points = 0;
    size = sizeof points;
    ASSERT_EQ(RegQueryValueExA(key, "Size", nullptr, &type, reinterpret_cast<BYTE *>(&points), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(points, 8u);
    RegCloseKey(key);
}

TEST_P(Operations, IdentifierLabelsAreFoundAndGiveTheirFont)
{
    const IKrtObject field = Poly({{0, 0}, {400, 0}, {400, 300}}, false);
    EXPECT_FALSE(map->GetIdentifierTexts(field).first);
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KRT\\GORM 8.0\\Text", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char face[] = "Liberation Serif";
    RegSetValueExA(key, "FaceName", 0, REG_SZ, reinterpret_cast<const BYTE *>(face), sizeof face);
    const DWORD size = 14;
    RegSetValueExA(key, "Size", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&size), sizeof size);
    RegCloseKey(key);
    field.SetPrimaryIDEx("F12", true);
    const auto [primary, secondary] = map->GetIdentifierTexts(field);
    ASSERT_TRUE(primary);
    EXPECT_FALSE(secondary);
    EXPECT_TRUE(map->IsIdentifierText(primary));
    EXPECT_FALSE(map->IsIdentifierText(field));
    EXPECT_EQ(primary.Text().Text(), "F12");
    // A label's font becomes the font of the next labels.
    const IKrtText t = primary.Text();
    t.PutFontName("Liberation Sans");
    primary.PutText(t);
    map->StoreIdentifierFont();
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KRT\\GORM 8.0\\Text", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char stored[64] = {};
    DWORD type = 0, length = sizeof stored;
    RegQueryValueExA(key, "FaceName", nullptr, &type, reinterpret_cast<BYTE *>(stored), &length);
    RegCloseKey(key);
    EXPECT_STREQ(stored, "Liberation Sans");
}

TEST_P(Operations, UnitsAndTheirTrimmedNames)
{
    map->SetUnits(30);
    EXPECT_EQ(map->GetUnits(4), 30);
    EXPECT_EQ(map->GetUnits(3), 4);
    map->SetUnits(29);
    const std::string length = map->LengthUnitName();
    const std::string area = map->AreaUnitName();
    EXPECT_FALSE(length.empty());
    EXPECT_NE(length.front(), ' ');
    EXPECT_NE(length.back(), ' ');
    EXPECT_NE(area.front(), ' ');
}

TEST_P(Operations, ImportFileTurnsAControlExceptionIntoMinusOne)
{
    EventLog log;
    log.Hear(*map, std::integer_sequence<int, 3>());
    EXPECT_EQ(map->ImportFile("/tmp/a.dxf", "DXF"), 1);
    EXPECT_EQ(log.events, (Events{3}));
    if (!IsFake())
        return;
    const int32_t before = map->Control().MapObjects().Count();
    FailNext(1099, "converter broke");
    EXPECT_EQ(map->ImportFile("/tmp/a.dxf", "DXF"), -1);
    EXPECT_EQ(log.events, (Events{3, 3})) << "fired in every case";
    EXPECT_EQ(map->Control().MapObjects().Count(), before) << "nothing lost";
}

TEST_P(Operations, OtherOperationsLetControlExceptionsThrough)
{
    if (!IsFake())
        GTEST_SKIP() << "needs the fake control's injected failure";
    const IKrtObject line = Poly({{0, 0}, {9, 9}}, true);
    FailNext(1234, "refused");
    try {
        map->DeleteObject(line);
        FAIL() << "no exception";
    } catch (const ControlException &e) {
        EXPECT_EQ(e.code(), 1234);
        EXPECT_EQ(e.text(), "refused");
    }
    EXPECT_EQ(line.ObjectType(), otPolyline) << "nothing lost";
    EXPECT_TRUE(map->DeleteObject(line));
}

TEST_P(Operations, SectorValuesLiveInHiddenLayers)
{
    map->SetSectorValue(2, 5, "five");
    EXPECT_EQ(map->GetSectorValue(2, 5), "five");
    EXPECT_EQ(map->GetSectorValue(2, 6), "");
    const IKrtObject layer = map->GetLayerByNumber(65536 + 2 * 16 + 5);
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer.Layer().Name(), "_Sector25");
    map->SetSectorValue(10, 15, "last");
    EXPECT_EQ(map->GetLayerByNumber(65536 + 175).Layer().Name(), "_SectorAF");
    EventLog log;
    log.Hear(*map, std::integer_sequence<int, 6>());
    map->ClearSector(2);
    EXPECT_TRUE(log.events.empty()) << "the hold covers the clearing, and nothing is fired after";
    EXPECT_EQ(map->GetSectorValue(2, 5), "");
    EXPECT_EQ(map->GetSectorValue(10, 15), "last");
    EXPECT_EQ(map->Registry.Held, 0);
}

TEST_P(Operations, LinkPathRoundTripsAndMissingFilesGiveNothing)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("maps/2024");
    const std::string file = MakeFile(dir.filePath("maps/2024/site plan.mpd"));
    map->SetLinkPath(file);
    EXPECT_EQ(map->GetLinkPath(), file);
    map->SetLinkPath(dir.filePath("missing.mpd").toStdString());
    EXPECT_EQ(map->GetLinkPath(), "");
    EXPECT_EQ(map->GetSectorValue(1, 0), "0");
}

TEST_P(Operations, ADeepLinkPathStaysInItsSector)
{
    QTemporaryDir dir;
    QString deep = "a";
    for (int i = 0; i < 19; ++i)
        deep += "/d" + QString::number(i);
    QDir(dir.path()).mkpath(deep);
    const std::string file = MakeFile(dir.path() + "/" + deep + "/f.mpd");
    ASSERT_GE(std::count(file.begin(), file.end(), '/'), 20);
    map->SetSectorValue(2, 0, "next sector");
    map->SetSectorValue(2, 1, "kept");
    map->SetLinkPath(file);
    EXPECT_EQ(map->GetSectorValue(1, 0), "13");
    // The rest is joined into the last part, of which a sector value keeps
    // 32 characters (a value is an identifier's description).
    const QStringList parts = QString::fromStdString(file).split('/');
    const QString last = QStringList(parts.mid(12)).join('/').left(32);
    EXPECT_EQ(map->GetLinkPath(), (QStringList(parts.mid(0, 12)).join('/') + "/" + last).toStdString());
    EXPECT_EQ(map->GetSectorValue(2, 0), "next sector");
    EXPECT_EQ(map->GetSectorValue(2, 1), "kept");
}

TEST_P(Operations, ADamagedPartCountIsClamped)
{
    for (int slot = 3; slot < 16; ++slot)
        map->SetSectorValue(1, slot, "p" + std::to_string(slot));
    map->SetSectorValue(2, 0, "not a part");
    map->SetSectorValue(1, 0, "40");
    const std::string path = map->GetLinkPath();
    EXPECT_EQ(std::count(path.begin(), path.end(), '/'), 12) << path;
    EXPECT_EQ(path.find("not a part"), std::string::npos);
    for (const char *bad : {"x", "", "-3", "2x"}) {
        map->SetSectorValue(1, 0, bad);
        EXPECT_EQ(map->GetLinkPath(), "") << bad;
    }
}

TEST_P(Operations, ThemesGroupsAndTheirMembers)
{
    const IKrtObject root = map->GetRootGroup();
    ASSERT_TRUE(root);
    EXPECT_EQ(map->FindGroup("Root").hObject(), root.hObject());
    const IKrtObject theme = map->NewGroup();
    const IKrtGroup g = theme.Group();
    g.PutName("Transport");
    theme.PutGroup(g);
    map->AddToGroup(theme, root); // a group is no view: nothing happens
    root.Group().Objects().Add(theme.Group());
    EXPECT_EQ(map->FindGroup("Transport").hObject(), theme.hObject());
    const IKrtObject layer = map->NewLayer("Rail", 0);
    EXPECT_TRUE(map->AddLayerToTheme(theme, layer));
    EXPECT_EQ(layer.Layer().Theme().hObject(), theme.hObject());
    const IKrtObject group = map->NewGroup();
    EXPECT_EQ(map->PurgeEmptyGroups(false), 1);
    const IKrtObject line = Poly({{0, 0}, {3, 3}}, true);
    map->AddToGroupHandle(group.hObject(), line);
    EXPECT_EQ(line.hGroup(), group.hObject());
    EXPECT_EQ(map->GetGroupObjects(group).Count(), 1);
    EXPECT_EQ(map->PurgeEmptyGroups(true), 0);
}

INSTANTIATE_TEST_SUITE_P(Controls, Operations, ::testing::ValuesIn(ControlKinds()), KindName);

} // namespace
