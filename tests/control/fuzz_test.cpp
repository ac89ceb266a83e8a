// Every member of the control called with random arguments: counts 0 to 8,
// values of every type, by-reference forms, null and foreign objects. Each
// call gives S_OK or a DISP_E_* code, never a crash, and the control still
// answers afterwards. Dialogs and message boxes answer Cancel.
#include "control_fixture.h"

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QTemporaryDir>
#include <random>

namespace {

// An object of no class of the library.
class Foreign : public ComObject<IDispatch> {
public:
    HRESULT GetIDsOfNames(std::span<const std::string>, std::span<DISPID>) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, WORD, DISPPARAMS &, VARIANT *, EXCEPINFO *, UINT *) override { return E_NOTIMPL; }
};

class Fuzz : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        SetMessageBoxHook([](const MessageBoxRequest &) { return IDCANCEL; });
        SetFileDialogHook([](const FileDialogRequest &) { return std::optional<std::string>(); });
        SetModalDialogHook([](QDialog &, int) { return IDCANCEL; });
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        SetFileDialogHook({});
        SetModalDialogHook({});
        ControlTest::TearDown();
    }
};

TEST_F(Fuzz, EveryMemberSurvivesRandomArguments)
{
    QTemporaryDir dir;
    Polygon({{0, 0}, {1000, 0}, {1000, 1000}});
    Polyline({{-500, 200}, {1500, 700}});
    auto point = Point(10, 20);
    auto rect = Rect(-100, -100, 2000, 2000);
    auto foreign = ComPtr<Foreign>::Adopt(new Foreign);
    // Texts that may become file names stay inside the test's own folder.
    const std::string texts[] = {"",
                                 (dir.path() + "/x").toStdString(),
                                 (dir.path() + "/42").toStdString(),
                                 (dir.path() + "/f.mpd").toStdString(),
                                 dir.path().toStdString(),
                                 std::string("\0zero", 5)};

    std::mt19937 random(20261211);
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    // Values kept alive for the by-reference forms of one call.
    std::vector<std::unique_ptr<Variant>> targets;
    int32_t longTarget = 0;
    int16_t shortTarget = 0;
    BSTR bstrTarget = nullptr;
    auto value = [&]() -> VARIANT {
        VARIANT v{};
        switch (pick(14)) {
        case 0:
            v.vt = VT_EMPTY;
            break;
        case 1:
            v.vt = VT_NULL;
            break;
        case 2:
            v.vt = VT_I2;
            v.iVal = int16_t(random());
            break;
        case 3:
            v.vt = VT_I4;
            v.lVal = pick(3) ? int32_t(400 + pick(90)) : int32_t(random());
            break;
        case 4:
            v.vt = VT_R8;
            v.dblVal = pick(2) ? double(int32_t(random())) / 7.0 : double(pick(1000000));
            break;
        case 5:
            v.vt = VT_BOOL;
            v.boolVal = pick(2) ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case 6:
            v.vt = VT_BSTR;
            v.bstrVal = BstrFromWindows1252(texts[pick(6)]);
            break;
        case 7: {
            v.vt = VT_DISPATCH;
            IDispatch *objects[] = {nullptr, point.get(), rect.get(), foreign.get(), disp()};
            v.pdispVal = objects[pick(5)];
            if (v.pdispVal)
                v.pdispVal->AddRef();
            break;
        }
        case 8:
            v.vt = VT_BYREF | VT_I4;
            v.plVal = &longTarget;
            break;
        case 9:
            v.vt = VT_BYREF | VT_I2;
            v.piVal = &shortTarget;
            break;
        case 10:
            v.vt = VT_BYREF | VT_BSTR;
            v.pbstrVal = &bstrTarget;
            break;
        case 11: {
            targets.push_back(std::make_unique<Variant>(
                VariantFromDispatch(pick(2) ? static_cast<IDispatch *>(rect.get()) : point.get())));
            v = VariantRefTo(targets.back().get());
            break;
        }
        case 12:
            v.vt = VT_ERROR;
            v.scode = DISP_E_PARAMNOTFOUND;
            break;
        default:
            v.vt = VT_BYREF | VT_VARIANT;
            v.pvarVal = nullptr;
            break;
        }
        return v;
    };

    const MemberTable &table = object->table();
    std::vector<DISPID> ids;
    for (const MemberInfo &m : table.members())
        ids.push_back(m.dispid);
    ids.push_back(1);
    ids.push_back(99);
    const WORD flags[] = {DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT,
                          DISPATCH_METHOD | DISPATCH_PROPERTYGET, 0};
    int succeeded = 0;
    for (int call = 0; call < 1500; ++call) {
        const DISPID id = ids[size_t(pick(int(ids.size())))];
        WORD flag = flags[pick(5)];
        int count = pick(9);
        // Half the calls have the member's own shape, so that they reach it.
        if (const MemberInfo *m = table.FindById(id); m && pick(2)) {
            const bool put = m->kind == MemberKind::Property && pick(2);
            flag = m->kind == MemberKind::Method ? DISPATCH_METHOD
                   : put                         ? DISPATCH_PROPERTYPUT
                                                 : DISPATCH_PROPERTYGET;
            count = int(m->params.size()) + (put ? 1 : 0);
        }
        std::vector<VARIANT> args(static_cast<size_t>(count));
        for (VARIANT &a : args)
            a = value();
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{args.data(), flag == DISPATCH_PROPERTYPUT ? &named : nullptr, UINT(count),
                          UINT(flag == DISPATCH_PROPERTYPUT && count > 0 ? 1 : 0)};
        Variant result;
        EXCEPINFO exception{};
        UINT argErr = 0;
        const HRESULT hr = disp()->Invoke(id, flag, params, &result, &exception, &argErr);
        if (hr == S_OK) {
            ++succeeded;
        } else {
            EXPECT_TRUE((uint32_t(hr) & 0xFFFF0000u) == 0x80020000u || hr == E_INVALIDARG)
                << "dispid " << id << " gave " << std::hex << hr;
        }
        if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_BADVARTYPE || hr == DISP_E_OVERFLOW) {
            EXPECT_LT(argErr, UINT(count));
        }
        ClearExcepInfo(&exception);
        for (VARIANT &a : args)
            if (!(a.vt & VT_BYREF))
                VariantClear(&a);
        targets.clear();
        if (call % 100 == 0)
            ctl->WaitForDrawing();
    }
    SysFreeString(bstrTarget);
    ctl->WaitForDrawing();
    EXPECT_GT(succeeded, 100);
    // The control still works.
    EXPECT_EQ(Call("Close").lVal, 1);
    EXPECT_EQ(Call("UnitsGet", {VariantFromLong(0)}).lVal, 0);
}

} // namespace
