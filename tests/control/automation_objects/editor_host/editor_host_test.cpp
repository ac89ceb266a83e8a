// The map control and its object model as the editor uses them: everything
// by ProgID and by name, from a program that links only the platform
// library. Objects are built and added, read back and enumerated, changed
// as one grouped undo step, a font goes through the standard font object,
// the page is set up and printed to the PDF printer, and what is left after
// Close answers empty until the library may go.
#include "platform/automation_control.h"
#include "platform/automation_creation.h"
#include "platform/automation_dispatch.h"
#include "platform/automation_enum.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/module.h"
#include "platform/print_dialog.h"
#include "platform/profile.h"
#include "tests/support/temp_settings.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr DISPID kObjectAddEvent = 14;
const IID kMapEventsIid = {0x2CD73566, 0x4AC1, 0x11D1, {0x85, 0xD5, 0x00, 0xA0, 0x24, 0x57, 0x17, 0xF8}};

// Hears the map's events: the handles of ObjectAddEvent, and whether the
// Add that caused each had returned by then.
class Events : public ComObject<IDispatch> {
public:
    HRESULT GetIDsOfNames(std::span<const std::string>, std::span<DISPID>) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, WORD, DISPPARAMS &params, VARIANT *, EXCEPINFO *, UINT *) override
    {
        if (id == kObjectAddEvent && params.cArgs == 1) {
            added.push_back(params.rgvarg[0].lVal);
            addsReturnedFirst.push_back(addReturned);
        }
        return S_OK;
    }
    std::vector<int32_t> added;
    std::vector<bool> addsReturnedFirst;
    bool addReturned = true;

protected:
    void *FindInterface(const IID &iid) override
    {
        return iid == kMapEventsIid ? static_cast<IDispatch *>(this)
                                    : ComObject<IDispatch>::FindInterface(iid);
    }
};

using Ptr = ComPtr<IDispatch>;

// Late-bound calls that fail the test when the call fails.
Variant Do(IDispatch *o, std::string_view name, std::initializer_list<Variant> args = {})
{
    const std::vector<Variant> list(args);
    HRESULT hr = S_OK;
    EXCEPINFO info{};
    Variant r = CallByName(o, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, list, &hr, &info);
    EXPECT_EQ(hr, S_OK) << name << ": "
                        << (info.bstrDescription ? BstrToWindows1252(info.bstrDescription) : "");
    ClearExcepInfo(&info);
    return r;
}
void Set(IDispatch *o, std::string_view name, const Variant &v)
{
    EXPECT_EQ(PutByName(o, name, v), S_OK) << name;
}
Ptr Obj(const Variant &v) { return v.vt == VT_DISPATCH ? Ptr(v.pdispVal) : Ptr(); }
int32_t Long(const Variant &v)
{
    Variant r;
    VariantChangeType(&r, &v, 0, VT_I4);
    return r.lVal;
}
std::string Str(const Variant &v)
{
    Variant r;
    VariantChangeType(&r, &v, 0, VT_BSTR);
    return r.vt == VT_BSTR ? BstrToWindows1252(r.bstrVal) : std::string();
}
Ptr Create(const char *progId)
{
    Ptr p;
    EXPECT_EQ(CreateObject(progId, IDispatch::kIid, p.putVoid()), S_OK) << progId;
    return p;
}

// A tool's output. Run through the shell rather than a Qt process, which
// leaves a helper thread behind.
std::string RunTool(const std::string &command)
{
    std::string out;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

TEST(EditorHost, BuildsPrintsAndLetsGo)
{
    TempSettingsFolders folders;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folders.path())); // the PDF printer writes map.pdf here
    // The machine's default printer is the PDF printer.
    WriteProfileStringA("windows", "device", "PDF,pdf,map.pdf");
    const HMODULE library = LoadLibraryA(KRTMAP_LIBRARY);
    ASSERT_NE(library, HMODULE(0));
    auto registerServer =
        reinterpret_cast<DllRegisterServerFunction>(GetProcAddress(library, "DllRegisterServer"));
    auto canUnload = reinterpret_cast<DllCanUnloadNowFunction>(GetProcAddress(library, "DllCanUnloadNow"));
    ASSERT_TRUE(registerServer && canUnload);
    ASSERT_EQ(registerServer(), S_OK);

    Ptr map = Create("KRTMAP.MapCtrl.1");
    ASSERT_TRUE(map);
    ComPtr<IControlWidget> site;
    ASSERT_EQ(map->QueryInterface(IControlWidget::kIid, site.putVoid()), S_OK);
    site->Widget()->resize(600, 400);
    site->Widget()->show();
    QApplication::processEvents();
    auto events = ComPtr<Events>::Adopt(new Events);
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    ASSERT_EQ(map->QueryInterface(IConnectionPointContainer::kIid, points.putVoid()), S_OK);
    ASSERT_EQ(points->FindConnectionPoint(kMapEventsIid, point.put()), S_OK);
    ASSERT_EQ(point->Advise(events->Identity(), &cookie), S_OK);

    // A filled square and a text, built free-standing and added.
    Ptr objects = Obj(Do(map.get(), "MapObjects"));
    Ptr undo = Obj(Do(map.get(), "UndoRedo"));
    Ptr poly = Create("krtlib.krtpoly");
    Ptr text = Create("KRTLib.KRTText");
    ASSERT_TRUE(poly && text);
    Set(poly.get(), "IsPolyline", VariantFromBool(false));
    Ptr vertices = Obj(Do(poly.get(), "Points"));
    for (auto [x, y] : {std::pair{0, 0}, std::pair{20000, 0}, std::pair{20000, 20000}, std::pair{0, 20000}})
        Do(vertices.get(), "AddXY", {VariantFromLong(x), VariantFromLong(y)});
    Set(text.get(), "Text", VariantFromString("Harbour"));
    Ptr where = Create("KRTLib.KRTPoint");
    Set(where.get(), "x", VariantFromLong(1000));
    Set(where.get(), "y", VariantFromLong(25000));
    Set(text.get(), "Position", VariantFromDispatch(where.get()));

    events->addReturned = false;
    const int32_t hPoly = Long(Do(objects.get(), "Add", {VariantFromDispatch(poly.get())}));
    events->addReturned = true;
    ASSERT_NE(hPoly, 0);
    EXPECT_EQ(Long(Do(Obj(Do(undo.get(), "UndoItems", {VariantFromLong(0)})).get(), "Identifier")), 2);
    events->addReturned = false;
    const int32_t hText = Long(Do(objects.get(), "Add", {VariantFromDispatch(text.get())}));
    events->addReturned = true;
    ASSERT_NE(hText, 0);
    EXPECT_EQ(Long(Do(Obj(Do(undo.get(), "UndoItems", {VariantFromLong(0)})).get(), "Identifier")), 4);
    EXPECT_EQ(events->added, (std::vector<int32_t>{hPoly, hText}));
    EXPECT_EQ(events->addsReturnedFirst, (std::vector<bool>{false, false})) << "raised before Add returned";

    // Read back as typed copies.
    Ptr polyCopy = Obj(Do(Obj(Do(objects.get(), "Item", {VariantFromLong(hPoly)})).get(), "Poly"));
    EXPECT_EQ(Long(Do(Obj(Do(polyCopy.get(), "Points")).get(), "Count")), 4);
    Ptr textItem = Obj(Do(objects.get(), "Item", {VariantFromLong(hText)}));
    Ptr textCopy = Obj(Do(textItem.get(), "Text"));
    EXPECT_EQ(Str(Do(textCopy.get(), "Text")), "Harbour");

    // Enumerated: both are there.
    Variant e = Do(objects.get(), "_NewEnum");
    ASSERT_EQ(e.vt, VT_UNKNOWN);
    ComPtr<IEnumVARIANT> walk;
    ASSERT_EQ(e.punkVal->QueryInterface(IEnumVARIANT::kIid, walk.putVoid()), S_OK);
    std::vector<int32_t> kinds;
    VARIANT item;
    while (walk->Next(1, &item, nullptr) == S_OK) {
        const int32_t type = Long(Do(item.pdispVal, "ObjectType"));
        if (type == 2 || type == 3)
            kinds.push_back(type);
        VariantClear(&item);
    }
    EXPECT_EQ(kinds, (std::vector<int32_t>{2, 3}));

    // The layer gets a blue fill and a second square arrives, as one step.
    Ptr layerItem = Obj(Do(objects.get(), "Item", {VariantFromLong(Long(Do(textItem.get(), "hLayer")))}));
    Ptr layer = Obj(Do(layerItem.get(), "Layer"));
    ASSERT_TRUE(layer);
    const int32_t blue = 0xFF0000; // 0x00BBGGRR
    Set(layer.get(), "FillColor", VariantFromLong(blue));
    Set(layer.get(), "FillPattern", VariantFromLong(0));
    Set(layer.get(), "NoFillColor", VariantFromBool(false));
    const int32_t stepsBefore = Long(Do(undo.get(), "UndoItemsCount"));
    Do(undo.get(), "BeginStep");
    Set(layerItem.get(), "Layer", VariantFromDispatch(layer.get()));
    Ptr second = Create("KRTLib.KRTPoly");
    Set(second.get(), "IsPolyline", VariantFromBool(false));
    Ptr secondPoints = Obj(Do(second.get(), "Points"));
    for (auto [x, y] : {std::pair{30000, 0}, std::pair{31000, 0}, std::pair{31000, 1000}})
        Do(secondPoints.get(), "AddXY", {VariantFromLong(x), VariantFromLong(y)});
    const int32_t hSecond = Long(Do(objects.get(), "Add", {VariantFromDispatch(second.get())}));
    Do(undo.get(), "EndStep", {VariantFromShort(6)});
    EXPECT_EQ(Long(Do(undo.get(), "UndoItemsCount")), stepsBefore + 1);
    auto polygons = [&] { return Long(Do(Obj(Do(map.get(), "MapPolygons")).get(), "Count")); };
    EXPECT_EQ(polygons(), 2);
    Do(undo.get(), "Undo", {VariantFromLong(1)});
    EXPECT_EQ(polygons(), 1);
    EXPECT_NE(Long(Do(Obj(Do(layerItem.get(), "Layer")).get(), "FillColor")), blue) << "both undone";
    Do(undo.get(), "Redo", {VariantFromLong(1)});
    EXPECT_EQ(Long(Do(Obj(Do(layerItem.get(), "Layer")).get(), "FillColor")), blue);
    Do(objects.get(), "Remove", {VariantFromLong(hSecond)});

    // A font through the standard font object.
    Ptr font = Create("StdFont");
    ASSERT_TRUE(font);
    Set(font.get(), "Name", VariantFromString("Courier New"));
    Variant size;
    size.vt = VT_CY;
    size.cyVal.int64 = 14 * 10000;
    Set(font.get(), "Size", size);
    Set(font.get(), "Bold", VariantFromBool(true));
    Set(textCopy.get(), "Font", VariantFromDispatch(font.get()));
    Set(textItem.get(), "Text", VariantFromDispatch(textCopy.get()));
    Ptr fontBack = Obj(Do(Obj(Do(textItem.get(), "Text")).get(), "Font"));
    EXPECT_EQ(Str(Do(fontBack.get(), "Name")), "Courier New");
    EXPECT_EQ(Long(Do(fontBack.get(), "Size")), 14);
    EXPECT_TRUE(Do(fontBack.get(), "Bold").boolVal);

    // A4 landscape, fitted round the objects, printed to the PDF printer
    // chosen in the print dialog.
    SetModalDialogHook([](QDialog &d, int id) {
        if (id == PRINTDLGORD) {
            auto *printers = DialogItemAs<QComboBox>(&d, kPrinterListId);
            printers->setCurrentIndex(printers->findText(kPdfPrinterName));
            return IDOK;
        }
        return IDCANCEL;
    });
    Ptr page = Obj(Do(map.get(), "Page"));
    Ptr a4 = Obj(Do(Obj(Do(page.get(), "Papers")).get(), "Item", {VariantFromString("A4")}));
    ASSERT_TRUE(a4);
    Set(page.get(), "Paper", VariantFromDispatch(a4.get()));
    Set(page.get(), "IsPortrait", VariantFromBool(false));
    EXPECT_TRUE(Do(page.get(), "FitToObjects",
                   {VariantFromBool(false), VariantFromBool(false), VariantFromLong(1), VariantFromLong(1)})
                    .boolVal);
    Set(map.get(), "Page", VariantFromDispatch(page.get()));
    EXPECT_FALSE(Do(Obj(Do(map.get(), "Page")).get(), "IsPortrait").boolVal);
    EXPECT_EQ(Long(Do(map.get(), "Command", {VariantFromLong(444)})), 1);
    SetModalDialogHook({});

    const QString pdf = folders.path() + "/map.pdf";
    const std::string info = RunTool("pdfinfo '" + pdf.toStdString() + "'");
    const size_t pagesAt = info.find("Pages:");
    ASSERT_NE(pagesAt, std::string::npos) << info;
    int pages = 0;
    ASSERT_EQ(std::sscanf(info.c_str() + pagesAt, "Pages: %d", &pages), 1);
    EXPECT_EQ(pages, 1);
    double width = 0, height = 0;
    const size_t sizeAt = info.find("Page size:");
    ASSERT_NE(sizeAt, std::string::npos) << info;
    ASSERT_EQ(std::sscanf(info.c_str() + sizeAt, "Page size: %lf x %lf", &width, &height), 2) << info;
    EXPECT_NEAR(width, 841.9, 1) << "A4 landscape";
    EXPECT_NEAR(height, 595.3, 1);
    RunTool("pdftoppm -png -r 40 -singlefile '" + pdf.toStdString() + "' '" + folders.path().toStdString() +
            "/sheet'");
    const QImage sheet(folders.path() + "/sheet.png");
    ASSERT_FALSE(sheet.isNull());
    EXPECT_GT(sheet.width(), sheet.height());
    // The page is fitted round the square, centred: the sheet's middle is
    // the square's fill.
    const QRgb middle = sheet.pixel(sheet.width() / 2, sheet.height() / 2);
    EXPECT_LT(qRed(middle), 40);
    EXPECT_LT(qGreen(middle), 40);
    EXPECT_GT(qBlue(middle), 215);

    // Closed: what is left answers empty and changes nothing.
    EXPECT_EQ(Long(Do(map.get(), "Close")), 1);
    EXPECT_EQ(Long(Do(textItem.get(), "ObjectType")), 0);
    EXPECT_EQ(Long(Do(objects.get(), "Count")), 0);
    EXPECT_EQ(Long(Do(undo.get(), "UndoItemsCount")), 0);
    EXPECT_EQ(Obj(Do(textItem.get(), "Text")).get(), nullptr);
    walk->Reset();
    ASSERT_EQ(walk->Next(1, &item, nullptr), S_OK);
    EXPECT_EQ(Long(Do(item.pdispVal, "ObjectType")), 0);
    VariantClear(&item);

    // Released, all of it: the library may go.
    point->Unadvise(cookie);
    point = ComPtr<IConnectionPoint>();
    points = ComPtr<IConnectionPointContainer>();
    site = ComPtr<IControlWidget>();
    e = Variant();
    for (Ptr *p : {&map, &objects, &undo, &poly, &text, &vertices, &where, &polyCopy, &textItem, &textCopy,
                   &layerItem, &layer, &second, &secondPoints, &font, &fontBack, &page, &a4})
        *p = Ptr();
    walk = ComPtr<IEnumVARIANT>();
    EXPECT_EQ(canUnload(), S_OK);
    QDir::setCurrent(previous);
}

} // namespace
