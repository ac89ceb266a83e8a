// The library registers its classes from their member tables, unregisters
// exactly what it wrote, and is found and loaded by ProgID only while
// registered.
#include "control/control_ids.h"
#include "control/map_control_object.h"
#include "platform/automation_control.h"
#include "platform/automation_creation.h"
#include "platform/registry.h"
#include "tests/support/temp_settings.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <map>

extern "C" {
HRESULT DllRegisterServer();
HRESULT DllUnregisterServer();
HRESULT DllCanUnloadNow();
}

namespace {

std::string Default(const std::string &path)
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char buf[512] = {};
    DWORD size = sizeof buf - 1;
    RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(buf), &size);
    RegCloseKey(key);
    return buf;
}

void SetDefault(HKEY root, const std::string &path, const std::string &text)
{
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                   DWORD(text.size() + 1));
    RegCloseKey(key);
}

class Registration : public ::testing::Test {
protected:
    std::map<QString, QByteArray> RegistryFiles() const
    {
        std::map<QString, QByteArray> files;
        const QString dir = folders.path() + "/registry";
        for (const QString &name : QDir(dir).entryList(QDir::Files)) {
            QFile f(dir + "/" + name);
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            files[name] = f.readAll();
        }
        return files;
    }
    TempSettingsFolders folders;
};

TEST_F(Registration, RegisteringThenUnregisteringLeavesTheFilesAsTheyWere)
{
    SetDefault(HKEY_CLASSES_ROOT, "CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32",
               "/usr/lib/other.so");
    SetDefault(HKEY_CLASSES_ROOT, ".mpd", "MapFile");
    const auto before = RegistryFiles();

    ASSERT_EQ(DllRegisterServer(), S_OK);
    const std::string map = "CLSID\\" + GuidToString(kMapCtrlClsid);
    EXPECT_EQ(Default(map), "Krt Map Control");
    EXPECT_EQ(Default(map + "\\ProgID"), "KRTMAP.MapCtrl.1");
    EXPECT_EQ(Default(map + "\\MiscStatus\\1"), "131473");
    EXPECT_EQ(Default(map + "\\Control"), "");
    EXPECT_EQ(Default(map + "\\TypeLib"), GuidToString(kKrtMapLibId));
    EXPECT_EQ(Default(map + "\\Version"), "2.7");
    EXPECT_EQ(Default("KRTMAP.MapCtrl.1\\CLSID"), GuidToString(kMapCtrlClsid));
    EXPECT_EQ(Default("Interface\\" + GuidToString(kIMapIid)), "IMap");
    EXPECT_EQ(Default("TypeLib\\" + GuidToString(kKrtMapLibId) + "\\2.8"), "KrtMap ActiveX Control");
    EXPECT_EQ(Default("CLSID\\" + GuidToString(kMapPropPageClsid)), "Krt Map Property Page");
    EXPECT_EQ(Default("CLSID\\" + GuidToString(kPropPageAboutClsid)), "AboutKrtMapControl");
    EXPECT_EQ(Default("KrtLib.KrtPoint\\CLSID"), GuidToString(kKrtPointClsid));
    EXPECT_EQ(Default("KrtLib.KrtRect\\CLSID"), GuidToString(kKrtRectClsid));

    ASSERT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(RegistryFiles(), before);
    EXPECT_EQ(Default(map), "<missing>");
}

TEST_F(Registration, CreatesTheControlByProgIdOnlyWhileRegistered)
{
    ComPtr<IDispatch> control;
    EXPECT_EQ(CreateObject("krtmap.mapctrl.1", IDispatch::kIid, control.putVoid()), CO_E_CLASSSTRING);
    EXPECT_FALSE(control);

    ASSERT_EQ(DllRegisterServer(), S_OK);
    ASSERT_EQ(CreateObject("krtmap.mapctrl.1", IDispatch::kIid, control.putVoid()), S_OK);
    // The control locks the library while it lives, and shows a widget.
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    ComPtr<IControlWidget> widget;
    ASSERT_EQ(control->QueryInterface(IControlWidget::kIid, widget.putVoid()), S_OK);
    EXPECT_NE(widget->Widget(), nullptr);
    HRESULT hr = S_OK;
    const Variant units =
        CallByName(control.get(), "unitsget", DISPATCH_METHOD, std::vector<Variant>{VariantFromLong(0)}, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(units.lVal, 0);

    ComPtr<IDispatch> point;
    ASSERT_EQ(CreateObject("KRTLIB.KRTPOINT", IDispatch::kIid, point.putVoid()), S_OK);
    EXPECT_EQ(PutByName(point.get(), "X", VariantFromLong(-7)), S_OK);
    EXPECT_EQ(CallByName(point.get(), "x", DISPATCH_PROPERTYGET).lVal, -7);

    widget = ComPtr<IControlWidget>();
    control = ComPtr<IDispatch>();
    point = ComPtr<IDispatch>();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);

    ASSERT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(CreateObject("KRTMAP.MapCtrl.1", IDispatch::kIid, control.putVoid()), CO_E_CLASSSTRING);
}

} // namespace
