// Identifiers: the text order, the Id record and its messages, the sorted
// IdsList and its look-ups, SetID with its code and name texts, and undo of
// SetID down to the bytes of the saved document. The text objects come from
// a stand-in of the text floor's service that keeps the string in the data
// space of a Text and records how it was asked to make it.
#include "docmodel_fixture.h"

#include "engine/kernel/identifiers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/upper_services.h"
#include "engine/kernel/window_record.h"
#include "tests/support/temp_settings.h"

#include <cfloat>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace docmodeltest;
namespace fs = std::filesystem;

struct TextCreation {
    std::string string;
    _COORDPT anchor;
    std::string face;
    int32_t size;
    int style;
    uint16_t flags;
};

std::vector<TextCreation> &creations()
{
    static std::vector<TextCreation> calls;
    return calls;
}

std::string dataString(OBJectKernel *kernel, OBJHANDLE h)
{
    const uint32_t n = DataSpaceSize(kernel, h);
    std::string s(n, '\0');
    TransferOBJectData(kernel, h, s.data(), n, 0);
    return s.substr(0, s.find('\0'));
}

void InstallTextStandIn()
{
    KernelUpperServices services;
    services.identifierTextCreate = [](HWND window, const char *string, const _COORDPT *anchor,
                                       const char *face, int32_t size, int style,
                                       uint16_t flags) -> OBJHANDLE {
        creations().push_back({string, *anchor, face, size, style, flags});
        OBJectKernel *kernel = GetWndRes(window)->kernel;
        const OBJHANDLE layer = GetActiveLayer(kernel, GetRootOBJect(window, CLASS_LAYERS));
        const OBJHANDLE text = CreateOBJect(kernel, CLASS_TEXT);
        InsertLayerRef(kernel, text, layer);
        TransferOBJectData(kernel, text, const_cast<char *>(string), uint32_t(std::strlen(string) + 1), 1);
        return text;
    };
    services.identifierTextGet = [](OBJectKernel *kernel, OBJHANDLE text, char *buffer, int size) {
        std::strncpy(buffer, dataString(kernel, text).c_str(), size_t(size));
        return 1;
    };
    services.identifierTextSet = [](OBJectKernel *kernel, HWND, OBJHANDLE text, const char *string) {
        // Grows the data space as a text does, telling the holders.
        TransferOBJectData(kernel, text, const_cast<char *>(string), uint32_t(std::strlen(string) + 1), 1);
        return 1;
    };
    SetKernelUpperServices(services);
}

class IdentifierTest : public DocModelTest {
protected:
    void SetUp() override
    {
        DocModelTest::SetUp();
        if (HasFatalFailure())
            return;
        creations().clear();
        InstallTextStandIn();
        record.settingsKey = &settings;
        record.undoEnabled = 1;
    }

    void TearDown() override
    {
        SetKernelUpperServices({});
        DocModelTest::TearDown();
    }

    OBJHANDLE set(OBJHANDLE object, const char *code, const char *name, int showCode = 0, int showName = 0,
                  int *error = nullptr, int undo = 0)
    {
        return SetID(kernel, idsList, layers, groups, window, object, code, name, showCode, showName, error,
                     undo);
    }

    std::string text(OBJHANDLE id) { return dataString(kernel, id); }

    IdRecord rec(OBJHANDLE id) { return LoadField<IdRecord>(OBJectLock(kernel, id), 0); }

    // The identifier texts of the list in slot order.
    std::vector<std::string> listTexts()
    {
        std::vector<std::string> out;
        for (OBJHANDLE id : targets(idsList, REF_IDLIST_MEMBER))
            out.push_back(text(id));
        return out;
    }

    OBJHANDLE codeText(OBJHANDLE id) { return FirstReference(kernel, id, REF_ID_TEXT1, nullptr); }
    OBJHANDLE nameText(OBJHANDLE id) { return FirstReference(kernel, id, REF_ID_TEXT2, nullptr); }

    void setValues(OBJHANDLE id, std::vector<double> values)
    {
        std::string data = text(id);
        data.push_back(0);
        const size_t textLength = data.size();
        data.append(reinterpret_cast<const char *>(values.data()), values.size() * sizeof(double));
        ASSERT_NE(ReSizeOBJectData(kernel, id, uint32_t(data.size())), 0u);
        TransferOBJectData(kernel, id, data.data(), uint32_t(data.size()), 1);
        IdRecord r = rec(id);
        r.textLength = uint16_t(textLength);
        r.valueCount = uint16_t(values.size());
        StoreField(OBJectLock(kernel, id), 0, r);
    }

    TempSettingsFolders folders_; // a registry of its own: the defaults show
    SettingsRegKey settings;
};

// ---------------------------------------------------------------------------
// Text order

TEST(IdentifierText, CompareIsSignedBytewise)
{
    struct Case {
        const char *a, *b;
        int expected;
    } cases[] = {
        {"A1\tOak", "A1\tOak", 0},
        {"", "", 0},
        {"A", "AB", -1},          // a prefix is the smaller
        {"AB", "A", 1},           //
        {"", "A", -1},            //
        {"\x80", "A", -1},        // 0x80 and above are negative
        {"\xE9t\xE9", "ete", -1}, // a Latin-1 accent before every plain letter
        {"z", "\xFF", 1},         //
        {"a\xFF", "a\x01", -1},   // -1 below 1
        {"A1\tAsh", "A1\tOak", -1},
        {"A1\t", "A1 ", -1}, // the tab before the space
    };
    for (const Case &c : cases) {
        EXPECT_EQ(IdTextCompare(c.a, c.b), c.expected) << c.a << " / " << c.b;
        EXPECT_EQ(IdTextCompare(c.b, c.a), -c.expected) << c.b << " / " << c.a;
    }
    EXPECT_EQ(IdTextCompare(nullptr, ""), 0);
    EXPECT_EQ(IdTextCompare(nullptr, "a"), -1);
}

TEST(IdentifierText, FindCharacterComparesSignedBytes)
{
    const char text[] = "ab\xE9\tcd";
    EXPECT_EQ(_hstrchr(text, '\t'), text + 3);
    EXPECT_EQ(_hstrchr(text, 0xE9), text + 2) << "0xE9 given as an int finds the byte";
    EXPECT_EQ(_hstrchr(text, -23), text + 2) << "and so does its signed form";
    EXPECT_EQ(_hstrchr(text, 'x'), nullptr);
    EXPECT_EQ(_hstrchr(nullptr, 'a'), nullptr);
}

// ---------------------------------------------------------------------------
// The record and its messages

TEST_F(IdentifierTest, NewIdHoldsTheInitialRecordAndEmptyText)
{
    const OBJHANDLE id = CreateOBJect(kernel, CLASS_ID);
    ASSERT_NE(id, 0u);
    const IdRecord r = rec(id);
    EXPECT_EQ(r.mask, 0);
    EXPECT_EQ(r.lineStyle, 0);
    EXPECT_EQ(r.lineWidth, 1u);
    EXPECT_EQ(r.colour, 0xFFFFFFFFu);
    EXPECT_EQ(r.hatch, 0xFFFF);
    EXPECT_EQ(r.valueCount, 0);
    EXPECT_EQ(r.textLength, 2);
    EXPECT_EQ(r.colourFlag, 0u);
    ASSERT_GE(DataSpaceSize(kernel, id), 2u);
    EXPECT_EQ(std::memcmp(DataSpaceBegin(OBJectLock(kernel, id)), "\t", 2), 0) << "a tab and a zero byte";
    EXPECT_EQ(IdValueGet(kernel, id, 0), DBL_MAX) << "no values";
}

TEST_F(IdentifierTest, InfoLines)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE id = set(object, "A1", "Oak");
    ASSERT_NE(id, 0u);
    auto lines = [&] {
        std::vector<std::string> out;
        char buffer[160];
        for (WPARAM n = 0; n < 20 && SendOBJectMessage(kernel, 0, id, 0, OBJM_INFOLINE, n, LPARAM(buffer));
             ++n)
            out.push_back(buffer);
        return out;
    };
    EXPECT_EQ(lines(),
              (std::vector<std::string>{"-- <Id> OBJECT INFORMATIONS -----------", "No FillColor",
                                        "No FillPattern", "No LineStyle", "No LineWidth",
                                        "Id Strings size: 5", "Id Strings: A1\tOak", "Number of values: 0"}));
    GraphDispl g{GD_FILLCOLOR | GD_LINESTYLE | GD_LINEWIDTH, 0, 3, 7, 0x00112233, 5, 0};
    SendOBJectMessage(kernel, 0, id, 0, GRM_SETATTRIBUTES, 0, LPARAM(&g));
    setValues(id, {1.0, 2.5, -3, 4e10, 5, 6});
    const std::vector<std::string> more = lines();
    ASSERT_EQ(more.size(), 9u);
    EXPECT_EQ(more[1], "FillColor:   00112233");
    EXPECT_EQ(more[2], "FillPattern: 0005");
    EXPECT_EQ(more[3], "LineStyle: 3");
    EXPECT_EQ(more[4], "LineWidth: 7");
    EXPECT_EQ(more[7], "Number of values: 6");
    EXPECT_EQ(more[8], "Values: 1 ,2.5 ,-3 ,4e+10 ,5 ,") << "at most five values";
}

TEST_F(IdentifierTest, AttributesAsFillOrLineColour)
{
    const OBJHANDLE id = CreateOBJect(kernel, CLASS_ID);
    // wParam 0: a fill colour; the line colour bit never goes into the mask.
    GraphDispl in{GD_LINECOLOR | GD_FILLCOLOR | GD_FILLPATTERN | GD_LINEWIDTH, 0xAA, 2, 300, 0xBB, 9, 0};
    EXPECT_EQ(SendOBJectMessage(kernel, 0, id, 0, GRM_SETATTRIBUTES, 0, LPARAM(&in)), LRESULT(in.mask));
    IdRecord r = rec(id);
    EXPECT_EQ(r.mask, GD_FILLCOLOR | GD_FILLPATTERN | GD_LINEWIDTH);
    EXPECT_EQ(r.colour, 0xBBu);
    EXPECT_EQ(r.colourFlag, 0u);
    EXPECT_EQ(r.lineWidth, 300u) << "the whole width is kept";
    GraphDispl out{GD_LINECOLOR, 0x11, 0, 0, 0, 0, 0};
    EXPECT_EQ(SendOBJectMessage(kernel, 0, id, 0, GRM_GETATTRIBUTES, 1, LPARAM(&out)),
              LRESULT(GD_LINECOLOR | GD_FILLCOLOR | GD_FILLPATTERN | GD_LINEWIDTH));
    EXPECT_EQ(out.fillColor, 0xBBu);
    EXPECT_EQ(out.lineColor, 0x11u) << "the caller's colour stays";
    EXPECT_EQ(out.fillPattern, 9);

    // wParam non-zero: the colour is a line colour, and no fill is supplied.
    EXPECT_NE(SendOBJectMessage(kernel, 0, id, 0, GRM_SETATTRIBUTES, 1, LPARAM(&in)), 0);
    r = rec(id);
    EXPECT_EQ(r.colour, 0xAAu);
    EXPECT_EQ(r.colourFlag, 1u);
    GraphDispl caller{GD_FILLCOLOR | GD_LINECOLOR, 0x22, 0, 0, 0x33, 0, 0};
    const LRESULT mask = SendOBJectMessage(kernel, 0, id, 0, GRM_GETATTRIBUTES, 1, LPARAM(&caller));
    EXPECT_EQ(caller.lineColor, 0xAAu) << "the identifier's colour wins with wParam 1";
    EXPECT_EQ(caller.fillColor, 0x33u) << "the caller's fill stays";
    EXPECT_TRUE(mask & GD_LINECOLOR);
    caller = {GD_LINECOLOR, 0x22, 0, 0, 0, 0, 0};
    SendOBJectMessage(kernel, 0, id, 0, GRM_GETATTRIBUTES, 0, LPARAM(&caller));
    EXPECT_EQ(caller.lineColor, 0x22u) << "the caller's colour wins with wParam 0";
}

TEST_F(IdentifierTest, ValuesThroughObjectsAndMessages)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE id = set(object, "V", "");
    ASSERT_NE(id, 0u);
    setValues(id, {1.5, -2.0});
    EXPECT_EQ(IdValueGet(kernel, object, 1), -2.0) << "through the carrier";
    EXPECT_EQ(IdValueSet(kernel, object, 0, 7.0), 1.5) << "the old value";
    EXPECT_EQ(IdValueGet(kernel, id, 0), 7.0);
    EXPECT_EQ(IdValueSet(kernel, id, 2, 1.0), DBL_MAX) << "n not below the count";
    EXPECT_EQ(IdValueGet(kernel, id, 2), DBL_MAX);
    EXPECT_EQ(IdValueGet(kernel, makeObject(layer0), 0), DBL_MAX) << "no identifier";

    double v = 0;
    EXPECT_EQ(SendOBJectMessage(kernel, 0, id, 0, GRM_GETVALUE, 1, LPARAM(&v)), LPARAM(&v));
    EXPECT_EQ(v, -2.0);
    v = 9.0;
    EXPECT_EQ(SendOBJectMessage(kernel, 0, id, 0, GRM_SETVALUE, 1, LPARAM(&v)), LPARAM(&v));
    EXPECT_EQ(IdValueGet(kernel, id, 1), 9.0);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, id, 0, GRM_GETVALUE, 1, 0), 0);
    // The default procedure of a carrier passes GRM_SETVALUE on.
    v = 4.0;
    SendOBJectMessage(kernel, 0, object, 0, GRM_SETVALUE, 0, LPARAM(&v));
    EXPECT_EQ(IdValueGet(kernel, id, 0), 4.0);
}

TEST_F(IdentifierTest, DamagedRecordsAreReadWithinTheirDataSpace)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE id = set(object, "ABCDEFGHIJKL", "name");
    ASSERT_NE(id, 0u);
    // Values claimed beyond the data space, a text length past its end and
    // no zero byte.
    IdRecord r = rec(id);
    r.valueCount = 500;
    r.textLength = 4000;
    StoreField(OBJectLock(kernel, id), 0, r);
    ASSERT_NE(ReSizeOBJectData(kernel, id, 5), 0u);
    std::memcpy(DataSpaceBegin(OBJectLock(kernel, id)), "ABCDE", 5);
    EXPECT_EQ(IdValueGet(kernel, id, 0), DBL_MAX);
    EXPECT_EQ(IdValueSet(kernel, id, 3, 1.0), DBL_MAX);
    char code[ID_CODE_MAX + 1], name[ID_NAME_MAX + 1];
    std::memset(name, '#', sizeof name);
    GetIDOBJs(kernel, id, code, name, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_STREQ(code, "ABCDE") << "the code stops at the end of the data space";
    EXPECT_STREQ(name, "");
    char line[160];
    EXPECT_EQ(SendOBJectMessage(kernel, 0, id, 0, OBJM_INFOLINE, 6, LPARAM(line)), 1);
    EXPECT_STREQ(line, "Id Strings: ABCDE");
    EXPECT_EQ(SendOBJectMessage(kernel, 0, id, 0, OBJM_INFOLINE, 8, LPARAM(line)), 1);

    // Repair: the text length from the data, no values.
    EXPECT_EQ(SendOBJectMessage(kernel, 0, id, 0, OBJM_REPAIRED, 0, 0), 0);
    EXPECT_EQ(rec(id).textLength, 5);
    EXPECT_EQ(rec(id).valueCount, 0);
    std::memcpy(DataSpaceBegin(OBJectLock(kernel, id)), "AB\0DE", 5);
    SendOBJectMessage(kernel, 0, id, 0, OBJM_REPAIRED, 8, 0);
    EXPECT_EQ(rec(id).textLength, 3);
    r = rec(id);
    r.textLength = 77;
    StoreField(OBJectLock(kernel, id), 0, r);
    SendOBJectMessage(kernel, 0, id, 0, OBJM_REPAIRED, 9, 0);
    EXPECT_EQ(rec(id).textLength, 77) << "wParam 9 and above repair nothing";

    StoreField<uint16_t>(OBJectLock(kernel, idsList), IDSLIST_REPAIR_WORD, 0x55);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, idsList, 0, OBJM_REPAIRED, 3, 0), 1);
    EXPECT_EQ(LoadField<uint16_t>(OBJectLock(kernel, idsList), IDSLIST_REPAIR_WORD), 0);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, idsList, 0, OBJM_INFOLINE, 0, 0), 0);
}

struct Received {
    OBJHANDLE receiver;
    uint16_t message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received &) const = default;
};

std::vector<Received> &received()
{
    static std::vector<Received> calls;
    return calls;
}

TEST_F(IdentifierTest, SumMeasureGoesToTheTextsOnly)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE id = set(object, "S", "Sum", 1, 1);
    ASSERT_NE(id, 0u);
    auto recorder = [](OBJectKernel *k, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                       uint16_t message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == GRM_SUMMEASURE)
            received().push_back({receiver, message, wParam, lParam});
        return DefGraphOBjectProc(k, sender, receiver, subCode, message, wParam, lParam);
    };
    received().clear();
    SetOBJectClassFN(CLASS_TEXT, recorder);
    SetOBJectClassFN(CLASS_POLYLINE, recorder);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, id, 0, GRM_SUMMEASURE, 5, 77), 0);
    EXPECT_EQ(received(), (std::vector<Received>{{codeText(id), GRM_SUMMEASURE, 5, 77},
                                                 {nameText(id), GRM_SUMMEASURE, 5, 77}}))
        << "not to the carrier";
}

// ---------------------------------------------------------------------------
// The list, its order and its look-ups

TEST_F(IdentifierTest, ListKeepsTextOrderAndFinds)
{
    const char *codes[] = {"M", "B2", "\xC4z", "a", "B10", "Z"};
    std::vector<OBJHANDLE> ids;
    for (const char *c : codes)
        ids.push_back(set(makeObject(layer0), c, "n"));
    for (OBJHANDLE id : ids)
        ASSERT_NE(id, 0u);
    EXPECT_EQ(listTexts(), (std::vector<std::string>{"\xC4z\tn", "B10\tn", "B2\tn", "M\tn", "Z\tn", "a\tn"}));
    EXPECT_EQ(GetNthReferenceID(kernel, idsList, int32_t(ids.size())), REF_ROOT_BACK)
        << "the link to AllOBJects follows every Id";

    // Changing a code re-sorts; the list stays findable by binary search.
    EXPECT_EQ(set(FirstReference(kernel, ids[0], REF_ID_USER, nullptr), "0", nullptr), ids[0]);
    EXPECT_EQ(listTexts(), (std::vector<std::string>{"\xC4z\tn", "0\tn", "B10\tn", "B2\tn", "Z\tn", "a\tn"}));
    for (const char *c : {"0", "B2", "\xC4z", "a", "B10", "Z"}) {
        const int32_t slot = FindIDSlot(kernel, idsList, c, "n");
        ASSERT_GE(slot, 0) << c;
        EXPECT_EQ(text(GetNthReferenced(kernel, idsList, slot)), std::string(c) + "\tn");
    }
    EXPECT_LT(FindIDSlot(kernel, idsList, "B3", "n"), 0);
    EXPECT_LT(FindIDSlot(kernel, idsList, "B2", "m"), 0);
}

TEST_F(IdentifierTest, FindBySlotCodeOrName)
{
    const OBJHANDLE oak = makeObject(layer0), ash = makeObject(layer0);
    const OBJHANDLE idOak = set(oak, "A1", "Oak"), idAsh = set(ash, "B7", "Ash");
    ASSERT_NE(idOak, 0u);
    ASSERT_NE(idAsh, 0u);
    const int32_t oakSlot = FindReference(kernel, idsList, REF_IDLIST_MEMBER, idOak);
    EXPECT_EQ(FindIDSlot(kernel, idsList, "A1", "Oak"), oakSlot);
    EXPECT_EQ(FindIDSlot(kernel, idsList, "A1", nullptr), oakSlot) << "by code alone";
    EXPECT_EQ(FindIDSlot(kernel, idsList, nullptr, "Oak"), oakSlot) << "by name, walking the list";
    EXPECT_EQ(FindIDSlot(kernel, idsList, "B7", nullptr),
              FindReference(kernel, idsList, REF_IDLIST_MEMBER, idAsh));
    EXPECT_EQ(FindIDSlot(kernel, idsList, "A", nullptr), -1) << "a code is matched whole";
    EXPECT_EQ(FindIDSlot(kernel, idsList, nullptr, "Elm"), -1);
    EXPECT_EQ(FindIDSlot(kernel, idsList, nullptr, nullptr), -1);
    EXPECT_EQ(FindIDSlot(kernel, 0, "A1", "Oak"), -1);

    EXPECT_EQ(FindOBJectByIDText(window, "A1", "Oak"), oak);
    EXPECT_EQ(FindOBJectByIDText(window, nullptr, "Ash"), ash);
    EXPECT_EQ(FindOBJectByIDText(window, "Q", nullptr), 0u);
    EXPECT_EQ(FindOBJectByIDText(0, "A1", "Oak"), 0u);
}

TEST_F(IdentifierTest, CompareIdsRanksIdsFirstAndOthersByHandle)
{
    const OBJHANDLE a = CreateOBJect(kernel, CLASS_ID), b = CreateOBJect(kernel, CLASS_ID);
    TransferOBJectData(kernel, b, const_cast<char *>("B\tx"), 4, 1);
    const OBJHANDLE p = makeObject(), q = makeObject();
    EXPECT_EQ(CompareIDs(kernel, 0, a, 0, b), -1) << "the empty text first";
    EXPECT_EQ(CompareIDs(kernel, 0, b, 0, a), 1);
    EXPECT_EQ(CompareIDs(kernel, 0, a, 0, a), 0);
    EXPECT_LT(CompareIDs(kernel, 0, b, 0, p), 0) << "an Id before any other object";
    EXPECT_GT(CompareIDs(kernel, 0, p, 0, a), 0);
    EXPECT_EQ(CompareIDs(kernel, 0, p, 0, q), p < q ? -1 : 1);
    EXPECT_EQ(CompareIDs(kernel, 0, 0x7FFF0, 0, a), -2);
    EXPECT_EQ(CompareIDs(kernel, 0, a, 0, 0x7FFF0), 2);
}

TEST_F(IdentifierTest, GetIdObjectsFillsEveryOutput)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE id = set(object, "ABCDEFGHIJKL", "Oak", 1, 1);
    ASSERT_NE(id, 0u);
    char code[ID_CODE_MAX + 2], name[ID_NAME_MAX + 1];
    std::memset(code, '#', sizeof code);
    OBJHANDLE user = 0, list = 0, t1 = 0, t2 = 0;
    int32_t slot = -5;
    GetIDOBJs(kernel, id, code, name, &user, &list, &slot, &t1, &t2);
    EXPECT_EQ(std::string(code, 14), std::string("ABCDEFGHIJKL\0#", 14)) << "12 characters and the zero";
    EXPECT_STREQ(name, "Oak");
    EXPECT_EQ(user, object);
    EXPECT_EQ(list, idsList);
    EXPECT_EQ(slot, FindReference(kernel, idsList, REF_IDLIST_MEMBER, id));
    EXPECT_EQ(t1, codeText(id));
    EXPECT_EQ(t2, nameText(id));
    EXPECT_NE(t1, 0u);
    EXPECT_EQ(IsFromIDText(kernel, t1), 1);
    EXPECT_EQ(IsFromIDText(kernel, t2), 1);
    EXPECT_EQ(IsFromIDText(kernel, object), 0);
    EXPECT_EQ(GetIDWnd(window, object), id);
    // A null identifier writes nothing.
    slot = -5;
    GetIDOBJs(kernel, 0, code, name, &user, &list, &slot, &t1, &t2);
    EXPECT_EQ(slot, -5);
    GetIDOBJs(kernel, object, code, name, &user, &list, &slot, &t1, &t2);
    EXPECT_EQ(slot, -5) << "an object that is not an Id";
}

// ---------------------------------------------------------------------------
// SetID

TEST_F(IdentifierTest, NewIdentifierWithItsCodeText)
{
    const OBJHANDLE object = makeObject(layer0, {-7, -3, 2, 20});
    const OBJHANDLE id = set(object, "A1", "Oak", 1, 0);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(text(id), "A1\tOak");
    EXPECT_EQ(rec(id).textLength, 7);
    EXPECT_EQ(GetID(kernel, object), id);
    EXPECT_EQ(GetNthReferenceID(kernel, object, 0), REF_ID)
        << "the identifier is the object's first reference";
    EXPECT_EQ(listTexts(), std::vector<std::string>{"A1\tOak"});

    ASSERT_EQ(creations().size(), 1u) << "only the code text is shown";
    const TextCreation &t = creations()[0];
    EXPECT_EQ(t.string, "A1");
    EXPECT_EQ(t.anchor.x, -2) << "the centre, the half rounded toward zero";
    EXPECT_EQ(t.anchor.y, 8);
    EXPECT_EQ(t.face, "Arial");
    EXPECT_EQ(t.size, 10);
    EXPECT_EQ(t.style, 0);
    EXPECT_EQ(t.flags, 9) << "centred, standing above the anchor";
    const OBJHANDLE code = codeText(id);
    ASSERT_NE(code, 0u);
    EXPECT_EQ(dataString(kernel, code), "A1");
    EXPECT_EQ(GetOBJectLayer(kernel, code), layer0);
    EXPECT_EQ(nameText(id), 0u);
}

TEST_F(IdentifierTest, TextSettingsComeFromTheTextSection)
{
    const DWORD size = 14, bold = 1, italic = 1, format = 0x21;
    ASSERT_EQ(settings.SetValue("Text", "Size", &size, 0), 1);
    ASSERT_EQ(settings.SetValue("Text", "Bold", &bold, 0), 1);
    ASSERT_EQ(settings.SetValue("Text", "Italic", &italic, 0), 1);
    ASSERT_EQ(settings.SetValue("Text", "Format", &format, 0), 1);
    const OBJHANDLE object = makeObject(layer0, {INT32_MIN + 1, INT32_MIN + 1, INT32_MAX, INT32_MAX});
    ASSERT_NE(set(object, "C", "Name", 1, 1), 0u);
    ASSERT_EQ(creations().size(), 2u);
    EXPECT_EQ(creations()[0].flags, 0x20 | 9);
    EXPECT_EQ(creations()[1].flags, 0x20 | 1) << "the name text below the anchor";
    EXPECT_EQ(creations()[1].string, "Name");
    EXPECT_EQ(creations()[0].size, 14);
    EXPECT_EQ(creations()[0].style, 6);
    EXPECT_EQ(creations()[0].anchor.x, 0) << "no overflow near the limits";
    EXPECT_EQ(creations()[0].anchor.y, 0);
}

TEST_F(IdentifierTest, DuplicateCodeAndNameAreRefused)
{
    const OBJHANDLE first = makeObject(layer0), second = makeObject(layer0);
    const OBJHANDLE id = set(first, "A1", "Oak");
    ASSERT_NE(id, 0u);
    int error = 0;
    EXPECT_EQ(set(second, "A1", "Oak", 1, 1, &error), 0u);
    EXPECT_EQ(error, ID_ERROR_EXISTS);
    EXPECT_EQ(GetID(kernel, second), 0u);
    EXPECT_TRUE(creations().empty());
    EXPECT_EQ(listTexts().size(), 1u);

    // Changing another identifier into an existing one is refused too.
    const OBJHANDLE other = set(second, "B1", "Oak");
    ASSERT_NE(other, 0u);
    error = 0;
    EXPECT_EQ(set(second, "A1", nullptr, 0, 0, &error), 0u);
    EXPECT_EQ(error, ID_ERROR_EXISTS);
    EXPECT_EQ(text(other), "B1\tOak");
    // A name alone names a different identifier from one with a code.
    EXPECT_NE(set(makeObject(layer0), nullptr, "Oak"), 0u);
    // Codes that differ only past the 12 characters kept are the same code.
    EXPECT_NE(set(makeObject(layer0), "ABCDEFGHIJKLmn", "x"), 0u);
    error = 0;
    EXPECT_EQ(set(makeObject(layer0), "ABCDEFGHIJKLop", "x", 0, 0, &error), 0u);
    EXPECT_EQ(error, ID_ERROR_EXISTS);
}

TEST_F(IdentifierTest, LongAndControlCharactersAreCut)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE id = set(object, "ABCDEFGHIJKLMNOPQRST", std::string(40, 'n').c_str());
    ASSERT_NE(id, 0u);
    EXPECT_EQ(text(id), "ABCDEFGHIJKL\t" + std::string(32, 'n'));
    EXPECT_EQ(set(object, "X\tY",
                  "a\x05"
                  "b"),
              id);
    EXPECT_EQ(text(id), "X\ta") << "a byte below 10 would end the part when read";
}

TEST_F(IdentifierTest, NullKeepsThePartAndValuesSurvive)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE id = set(object, "A1", "Oak");
    ASSERT_NE(id, 0u);
    setValues(id, {3.5, 4.5});
    GraphDispl g{GD_LINEWIDTH, 0, 0, 5, 0, 0, 0};
    SendOBJectMessage(kernel, 0, id, 0, GRM_SETATTRIBUTES, 0, LPARAM(&g));
    EXPECT_EQ(set(object, nullptr, "Elm"), id);
    EXPECT_EQ(text(id), "A1\tElm");
    EXPECT_EQ(set(object, "C9", nullptr), id);
    EXPECT_EQ(text(id), "C9\tElm");
    EXPECT_EQ(rec(id).textLength, 7);
    EXPECT_EQ(IdValueGet(kernel, id, 1), 4.5);
    EXPECT_EQ(IdValueGet(kernel, id, 0), 3.5);
    EXPECT_EQ(rec(id).lineWidth, 5u);
    EXPECT_EQ(set(object, nullptr, nullptr), id) << "nothing to change";
    EXPECT_EQ(text(id), "C9\tElm");
}

TEST_F(IdentifierTest, EmptyCodeAndNameRemoveTheIdentifierAndItsTexts)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE id = set(object, "A1", "Oak", 1, 1);
    ASSERT_NE(id, 0u);
    const OBJHANDLE t1 = codeText(id), t2 = nameText(id);
    ASSERT_NE(t1, 0u);
    ASSERT_NE(t2, 0u);
    EXPECT_EQ(set(object, "", ""), 0u);
    EXPECT_EQ(GetID(kernel, object), 0u);
    EXPECT_EQ(GetOBJectClassID(kernel, id), 0) << "the identifier is gone";
    EXPECT_EQ(GetOBJectClassID(kernel, t1), 0);
    EXPECT_EQ(GetOBJectClassID(kernel, t2), 0);
    EXPECT_TRUE(listTexts().empty());
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER), std::vector<OBJHANDLE>{object});
    EXPECT_EQ(set(object, "", ""), 0u) << "nothing to remove";

    // An empty code with the name left alone removes an identifier that has
    // no name, and so does an empty name with an identifier without code.
    ASSERT_NE(set(object, "A1", nullptr), 0u);
    EXPECT_EQ(set(object, "", nullptr), 0u);
    EXPECT_EQ(GetID(kernel, object), 0u);
    ASSERT_NE(set(object, nullptr, "Oak"), 0u);
    EXPECT_EQ(set(object, nullptr, ""), 0u);
    EXPECT_EQ(GetID(kernel, object), 0u);
    // An empty code on an identifier with a name only clears the code.
    const OBJHANDLE kept = set(object, "A1", "Oak");
    EXPECT_EQ(set(object, "", nullptr), kept);
    EXPECT_EQ(text(kept), "\tOak");
}

TEST_F(IdentifierTest, ShowFlagsDeleteKeepOrRefreshTheTexts)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE id = set(object, "A1", "Oak", 1, 1);
    ASSERT_NE(id, 0u);
    const OBJHANDLE t1 = codeText(id), t2 = nameText(id);
    ASSERT_NE(t1, 0u);
    const OBJHANDLE other = makeObject(layer0); // drawn after the texts

    // Same text, shown: nothing changes, not even the drawing order.
    EXPECT_EQ(set(object, "A1", "Oak", 1, 1), id);
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER).back(), other);
    // Show 0 refreshes: the texts are set again and drawn last.
    EXPECT_EQ(set(object, "A2", nullptr, 0, 0), id);
    EXPECT_EQ(dataString(kernel, t1), "A2");
    EXPECT_EQ(targets(layer0, REF_LAYER_MEMBER), (std::vector<OBJHANDLE>{object, other, t1, t2}));
    EXPECT_EQ(codeText(id), t1) << "the same text object";
    // Show -1 deletes the code text; the name text stays.
    EXPECT_EQ(set(object, nullptr, nullptr, -1, 0), id);
    EXPECT_EQ(codeText(id), 0u);
    EXPECT_EQ(GetOBJectClassID(kernel, t1), 0);
    EXPECT_EQ(nameText(id), t2);
    EXPECT_EQ(dataString(kernel, t2), "Oak");
    // Both null with show code 1 brings the code text back with the code.
    EXPECT_EQ(set(object, nullptr, nullptr, 1, 0), id);
    ASSERT_NE(codeText(id), 0u);
    EXPECT_EQ(dataString(kernel, codeText(id)), "A2");
    // An empty name deletes the name text, a new one is not made without
    // an active layer.
    EXPECT_EQ(set(object, nullptr, "", 1, 1), id);
    EXPECT_EQ(nameText(id), 0u);
    EXPECT_EQ(SetID(kernel, idsList, 0, groups, 0, object, nullptr, "Elm", 1, 1, nullptr, 0), id);
    EXPECT_EQ(nameText(id), 0u) << "no Layers root, no active layer";
    EXPECT_EQ(text(id), "A2\tElm");
}

TEST_F(IdentifierTest, TextsJoinTheObjectsGroup)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE group = makeGroup(aspect, {object});
    const OBJHANDLE id = set(object, "G", "Grp", 1, 1);
    ASSERT_NE(id, 0u);
    const std::vector<OBJHANDLE> members = targets(group, REF_GROUP_MEMBER);
    EXPECT_EQ(members, (std::vector<OBJHANDLE>{object, codeText(id), nameText(id)}));
}

TEST_F(IdentifierTest, RootsComeFromTheWindowAndBadArgumentsChangeNothing)
{
    const OBJHANDLE object = makeObject(layer0);
    EXPECT_NE(SetID(nullptr, 0, 0, 0, window, object, "W", "Win", 1, 0, nullptr, 0), 0u);
    EXPECT_EQ(creations().size(), 1u);
    EXPECT_EQ(listTexts(), std::vector<std::string>{"W\tWin"});

    const size_t before = KernGiveAllObjectsAmount(kernel);
    EXPECT_EQ(SetID(kernel, idsList, layers, groups, window, 0, "X", "Y", 1, 1, nullptr, 0), 0u);
    EXPECT_EQ(SetID(kernel, idsList, layers, groups, window, 0x7FFF0, "X", "Y", 1, 1, nullptr, 0), 0u);
    EXPECT_EQ(SetID(kernel, idsList, layers, groups, window, idsList, "X", "Y", 1, 1, nullptr, 0), 0u);
    EXPECT_EQ(SetID(kernel, 0, layers, groups, 0, makeObject(layer0), "X", "Y", 1, 1, nullptr, 0), 0u)
        << "a new identifier needs a list";
    EXPECT_EQ(KernGiveAllObjectsAmount(kernel), before + 1) << "only the test's object was made";
}

TEST_F(IdentifierTest, NullAndForeignHandlesGiveFailureValues)
{
    const OBJHANDLE object = makeObject(layer0);
    const OBJHANDLE id = set(object, "A1", "Oak");
    ASSERT_NE(id, 0u);
    EXPECT_EQ(GetID(nullptr, object), 0u);
    EXPECT_EQ(GetID(kernel, 0x7FFF0), 0u);
    EXPECT_EQ(GetIDWnd(0, object), 0u);
    EXPECT_EQ(IsFromIDText(nullptr, object), 0);
    EXPECT_EQ(FindIDSlot(nullptr, idsList, "A1", "Oak"), -1);
    EXPECT_LT(FindIDSlot(kernel, object, "A1", "Oak"), 0) << "not a list";
    EXPECT_EQ(FindIDSlot(kernel, 0x7FFF0, "A1", "Oak"), -1);
    EXPECT_EQ(IdValueGet(nullptr, id, 0), DBL_MAX);
    EXPECT_EQ(IdValueSet(nullptr, id, 0, 1.0), DBL_MAX);
    EXPECT_EQ(IdValueGet(kernel, 0x7FFF0, 0), DBL_MAX);
    EXPECT_EQ(SetID(nullptr, idsList, layers, groups, 0, object, "B", "C", 0, 0, nullptr, 0), 0u);
    EXPECT_EQ(SendOBJectMessage(kernel, 0, object, 0, OBJM_REPAIRED, 0, 0), 0);
    EXPECT_EQ(text(id), "A1\tOak") << "nothing changed";
}

// ---------------------------------------------------------------------------
// Undo down to the saved document

class IdentifierUndoTest : public IdentifierTest {
protected:
    void SetUp() override
    {
        IdentifierTest::SetUp();
        dir_ = fs::temp_directory_path() / ("identifier_test_" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }

    void TearDown() override
    {
        fs::remove_all(dir_);
        IdentifierTest::TearDown();
    }

    // The saved document's bytes, with its object records by handle and its
    // other records, which name what differs when two saves do.
    struct Saved {
        std::map<uint32_t, std::vector<char>> objects;
        std::vector<std::vector<char>> documentRecords;
        std::vector<char> whole;
        bool operator==(const Saved &) const = default;
    };

    // Names the records that differ.
    static std::string differences(const Saved &a, const Saved &b)
    {
        std::string out;
        std::map<uint32_t, int> handles;
        for (const auto &[h, bytes] : a.objects)
            handles[h] |= 1;
        for (const auto &[h, bytes] : b.objects)
            handles[h] |= 2;
        for (const auto &[h, in] : handles) {
            if (in != 3) {
                out += " object " + std::to_string(h) + (in == 1 ? " only before;" : " only after;");
                continue;
            }
            const std::vector<char> &x = a.objects.at(h), &y = b.objects.at(h);
            if (x == y)
                continue;
            size_t at = 0;
            while (at < std::min(x.size(), y.size()) && x[at] == y[at])
                ++at;
            out += " object " + std::to_string(h) + " (" + std::to_string(x.size()) + "/" +
                   std::to_string(y.size()) + " bytes) from byte " + std::to_string(at) + ";";
        }
        if (a.documentRecords != b.documentRecords)
            out += " document records;";
        if (out.empty() && a.whole != b.whole)
            out += " the bytes between the records;";
        return out;
    }

    Saved save()
    {
        const fs::path p = dir_ / "doc.mpd";
        EXPECT_EQ(MapSave(window, p.c_str()), 1);
        std::ifstream in(p, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        Saved s;
        s.whole = bytes;
        size_t at = sizeof(MapFileHeader);
        while (at + sizeof(MapRecordHead) <= bytes.size()) {
            MapRecordHead h;
            std::memcpy(&h, bytes.data() + at, sizeof h);
            if (h.kind == MAPREC_END)
                break;
            std::vector<char> body(bytes.begin() + long(at + sizeof h),
                                   bytes.begin() + long(at + sizeof h + h.length));
            if (h.kind == MAPREC_OBJECT)
                s.objects[h.tag] = body;
            else
                s.documentRecords.push_back(body);
            at += sizeof h + h.length;
        }
        return s;
    }

    // A document with a few objects and identifiers, some in a group.
    OBJHANDLE populate()
    {
        for (int i = 0; i < 5; ++i)
            makeObject(layer0, {i * 10, 0, i * 10 + 5, 5});
        const OBJHANDLE grouped = makeObject(layer0, {100, 100, 200, 200});
        makeGroup(aspect, {grouped, makeObject(layer0)});
        EXPECT_NE(set(makeObject(layer0), "K1", "Kept", 1, 1), 0u);
        EXPECT_NE(set(makeObject(layer0), "Z9", "Last", 1, 0), 0u);
        return grouped;
    }

    fs::path dir_;
};

TEST_F(IdentifierUndoTest, NewIdentifierUndoneGivesTheSameDocument)
{
    const OBJHANDLE object = populate();
    const Saved before = save();
    Undo_SetNewStep(window, kernel, UNDO_OP_NONE);
    const OBJHANDLE id = set(object, "M5", "Mid", 1, 1, nullptr, 1);
    ASSERT_NE(id, 0u);
    ASSERT_NE(codeText(id), 0u);
    Undo_SetNewStep(window, kernel, UNDO_OP_NONE);
    const Saved after = save();
    EXPECT_FALSE(after == before);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(GetID(kernel, object), 0u);
    const Saved undone = save();
    EXPECT_TRUE(undone == before) << differences(before, undone);

    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_EQ(GetID(kernel, object), id);
    EXPECT_EQ(listTexts(), (std::vector<std::string>{"K1\tKept", "M5\tMid", "Z9\tLast"}));
    EXPECT_GE(FindIDSlot(kernel, idsList, "M5", "Mid"), 0);
}

TEST_F(IdentifierUndoTest, ChangedIdentifierUndoneGivesTheSameDocument)
{
    const OBJHANDLE object = populate();
    const OBJHANDLE id = set(object, "A0", "First", 1, 1);
    ASSERT_NE(id, 0u);
    makeObject(layer0); // the texts are not drawn last
    const Saved before = save();
    Undo_SetNewStep(window, kernel, UNDO_OP_NONE);
    // A new code moves the identifier from first to last in the list and
    // redraws both texts.
    ASSERT_EQ(set(object, "ZZ", "Second name, longer", 0, 0, nullptr, 1), id);
    Undo_SetNewStep(window, kernel, UNDO_OP_NONE);
    EXPECT_EQ(listTexts(), (std::vector<std::string>{"K1\tKept", "Z9\tLast", "ZZ\tSecond name, longer"}));
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(listTexts(), (std::vector<std::string>{"A0\tFirst", "K1\tKept", "Z9\tLast"}))
        << "the list is in order again";
    const Saved undone = save();
    EXPECT_TRUE(undone == before) << differences(before, undone);
    for (const char *code : {"A0", "K1", "Z9"})
        EXPECT_GE(FindIDSlot(kernel, idsList, code, nullptr), 0) << code;

    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_EQ(listTexts(), (std::vector<std::string>{"K1\tKept", "Z9\tLast", "ZZ\tSecond name, longer"}));
    EXPECT_GE(FindIDSlot(kernel, idsList, "ZZ", "Second name, longer"), 0);
    EXPECT_EQ(dataString(kernel, codeText(id)), "ZZ");
}

TEST_F(IdentifierUndoTest, RemovalUndoneBringsTheIdentifierBack)
{
    const OBJHANDLE object = populate();
    const OBJHANDLE id = set(object, "R", "Removed", 1, 1);
    ASSERT_NE(id, 0u);
    const OBJHANDLE t1 = codeText(id);
    Undo_SetNewStep(window, kernel, UNDO_OP_NONE);
    EXPECT_EQ(set(object, "", "", 0, 0, nullptr, 1), 0u);
    EXPECT_EQ(GetID(kernel, object), 0u);
    EXPECT_EQ(FindIDSlot(kernel, idsList, "R", "Removed"), ~1) << "hidden, out of the list";
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(GetID(kernel, object), id);
    EXPECT_EQ(codeText(id), t1);
    EXPECT_EQ(FindOBJectByIDText(window, "R", "Removed"), object);
}

} // namespace
