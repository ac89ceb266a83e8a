// The code and name texts of identifiers as real text objects: made through
// the window-level identifier function, placed at the object's centre,
// measured again when their string changes, removed with the identifier,
// and put back by undo as they were saved.
#include "text_fixture.h"

#include "engine/kernel/identifiers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/window/window_identifiers.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Names the object records that differ: handle and first byte.
std::string differences(const std::vector<std::vector<char>> &a, const std::vector<std::vector<char>> &b)
{
    std::string out = std::to_string(a.size()) + " / " + std::to_string(b.size()) + " objects;";
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] == b[i])
            continue;
        size_t at = 0;
        while (at < std::min(a[i].size(), b[i].size()) && a[i][at] == b[i][at])
            ++at;
        uint32_t handle = 0;
        std::memcpy(&handle, a[i].data(), 4);
        out += " object " + std::to_string(handle) + " (" + std::to_string(a[i].size()) + "/" +
               std::to_string(b[i].size()) + " bytes) from byte " + std::to_string(at - 4) + ";";
    }
    return out;
}

class IdentifierTextTest : public TextTest {
protected:
    void SetUp() override
    {
        TextTest::SetUp();
        if (HasFatalFailure())
            return;
        layers = GetRootOBJect(window, CLASS_LAYERS);
        layer = GetActiveLayer(kernel, layers);
        ASSERT_NE(layer, 0u);
    }

    OBJHANDLE makeLine(_COORDRECT r)
    {
        const OBJHANDLE h = CreateOBJect(kernel, CLASS_POLYLINE);
        EXPECT_NE(h, 0u);
        SendOBJectMessage(kernel, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
        EXPECT_NE(InsertLayerRef(kernel, h, layer), OBJ_INVALID);
        return h;
    }

    std::string string(OBJHANDLE text)
    {
        char buffer[64] = {};
        TextObjectTextGet(kernel, text, buffer, sizeof buffer - 1);
        return buffer;
    }

    OBJHANDLE codeText(OBJHANDLE object)
    {
        return FirstReference(kernel, GetID(kernel, object), REF_ID_TEXT1, nullptr);
    }
    OBJHANDLE nameText(OBJHANDLE object)
    {
        return FirstReference(kernel, GetID(kernel, object), REF_ID_TEXT2, nullptr);
    }

    std::vector<OBJHANDLE> layerObjects()
    {
        std::vector<OBJHANDLE> out;
        int32_t pos = -1;
        for (OBJHANDLE t = FirstReference(kernel, layer, REF_LAYER_MEMBER, &pos); t;
             t = GetReference(kernel, layer, REF_LAYER_MEMBER, &pos))
            out.push_back(t);
        return out;
    }

    OBJHANDLE layers = 0, layer = 0;
};

TEST_F(IdentifierTextTest, CodeAboveAndNameBelowTheCentre)
{
    const OBJHANDLE line = makeLine({10000, 5000, 20001, 15000});
    ASSERT_EQ(map_object_id_Set(window, line, "A1", "Oak", 1, 1, 0), 1);
    const OBJHANDLE code = codeText(line), name = nameText(line);
    ASSERT_NE(code, 0u);
    ASSERT_NE(name, 0u);
    EXPECT_EQ(GetOBJectClassID(kernel, code), CLASS_TEXT);
    EXPECT_EQ(string(code), "A1");
    EXPECT_EQ(string(name), "Oak");
    EXPECT_EQ(GetOBJectLayer(kernel, code), layer);
    for (OBJHANDLE t : {code, name}) {
        int32_t x = 0, y = 0;
        TextObjectPositionGet(kernel, t, &x, &y);
        EXPECT_EQ(x, 15000);
        EXPECT_EQ(y, 10000);
        const TextObjectData d = data(t);
        EXPECT_STREQ(d.faceName, "Arial");
        EXPECT_EQ(d.size, 10);
    }
    EXPECT_EQ(data(code).flags, TEXT_ALIGN_HCENTER | TEXT_ALIGN_BOTTOM);
    EXPECT_EQ(data(name).flags, TEXT_ALIGN_HCENTER);
    // The code's box stands on the anchor, the name's hangs from it, both
    // centred on it.
    const _COORDRECT above = data(code).bound, below = data(name).bound;
    EXPECT_GT(above.y2, above.y1);
    EXPECT_NEAR(above.y1, 10000, 100);
    EXPECT_NEAR(below.y2, 10000, 100);
    EXPECT_NEAR((int64_t(above.x1) + above.x2) / 2, 15000, 100);
    EXPECT_NEAR((int64_t(below.x1) + below.x2) / 2, 15000, 100);
}

TEST_F(IdentifierTextTest, ChangedStringIsMeasuredAgain)
{
    const OBJHANDLE line = makeLine({0, 0, 2000, 2000});
    ASSERT_EQ(map_object_id_Set(window, line, "A", nullptr, 1, 0, 0), 1);
    const OBJHANDLE code = codeText(line);
    ASSERT_NE(code, 0u);
    const _COORDRECT before = data(code).bound;
    ASSERT_EQ(map_object_id_Set(window, line, "WWWWWWWWWWWW", nullptr, 0, 0, 0), 1);
    EXPECT_EQ(codeText(line), code);
    EXPECT_EQ(string(code), "WWWWWWWWWWWW");
    const _COORDRECT after = data(code).bound;
    EXPECT_GT(int64_t(after.x2) - after.x1, 4 * (int64_t(before.x2) - before.x1))
        << "the rectangle encloses the longer string";
    EXPECT_EQ(nameText(line), 0u) << "no name, no name text";
}

TEST_F(IdentifierTextTest, WindowFunctionRefusesAndRemoves)
{
    const OBJHANDLE line = makeLine({0, 0, 100, 100});
    EXPECT_EQ(map_object_id_Set(0, line, "A", "B", 1, 1, 0), 0);
    EXPECT_EQ(map_object_id_Set(window, 0, "A", "B", 1, 1, 0), 0);
    EXPECT_EQ(GetID(kernel, line), 0u);
    ASSERT_EQ(map_object_id_Set(window, line, "A", "B", 1, 1, 0), 1);
    const OBJHANDLE other = makeLine({0, 0, 100, 100});
    EXPECT_EQ(map_object_id_Set(window, other, "A", "B", 1, 1, 0), 0) << "the identifier exists";
    const OBJHANDLE code = codeText(line), name = nameText(line);
    EXPECT_EQ(FindOBJectByIDText(window, "A", "B"), line);
    EXPECT_EQ(map_object_id_Set(window, line, "", "", 0, 0, 0), 0) << "removed";
    EXPECT_EQ(GetID(kernel, line), 0u);
    EXPECT_EQ(GetOBJectClassID(kernel, code), 0);
    EXPECT_EQ(GetOBJectClassID(kernel, name), 0);
    EXPECT_EQ(layerObjects(), (std::vector<OBJHANDLE>{line, other}));
    EXPECT_EQ(FindOBJectByIDText(window, "A", "B"), 0u);
}

TEST_F(IdentifierTextTest, UndoOfAChangeGivesTheSavedDocumentBack)
{
    rec.undoEnabled = 1;
    const OBJHANDLE line = makeLine({0, 0, 4000, 4000});
    makeLine({100, 100, 200, 200});
    ASSERT_EQ(map_object_id_Set(window, makeLine({0, 0, 10, 10}), "M", "Middle", 1, 1, 0), 1);
    ASSERT_EQ(map_object_id_Set(window, line, "A", "First", 1, 1, 0), 1);
    makeLine({300, 300, 400, 400});
    const fs::path dir = fs::temp_directory_path() / ("identifier_text_test_" + std::to_string(getpid()));
    fs::create_directories(dir);
    // The saved bytes, and the object records to name what differs.
    struct Saved {
        std::vector<char> bytes;
        std::vector<std::vector<char>> objects;
    };
    auto save = [&] {
        const fs::path p = dir / "doc.mpd";
        EXPECT_EQ(MapSave(window, p.c_str()), 1);
        std::ifstream in(p, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        Saved out{bytes, {}};
        size_t at = sizeof(MapFileHeader);
        while (at + sizeof(MapRecordHead) <= bytes.size()) {
            MapRecordHead h;
            std::memcpy(&h, bytes.data() + at, sizeof h);
            if (h.kind == MAPREC_END)
                break;
            if (h.kind == MAPREC_OBJECT) {
                std::vector<char> body(bytes.begin() + long(at + sizeof h),
                                       bytes.begin() + long(at + sizeof h + h.length));
                body.insert(body.begin(), reinterpret_cast<const char *>(&h.tag),
                            reinterpret_cast<const char *>(&h.tag) + 4);
                out.objects.push_back(body);
            }
            at += sizeof h + h.length;
        }
        return out;
    };
    const Saved before = save();
    Undo_SetNewStep(window, kernel, UNDO_OP_NONE);
    const OBJHANDLE list = GetRootOBJect(window, CLASS_IDSLIST);
    ASSERT_NE(SetID(kernel, list, layers, 0, window, line, "Z", "Longer name", 0, 0, nullptr, 1), 0u);
    Undo_SetNewStep(window, kernel, UNDO_OP_NONE);
    EXPECT_EQ(string(nameText(line)), "Longer name");
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(string(nameText(line)), "First");
    const Saved after = save();
    EXPECT_TRUE(after.objects == before.objects) << differences(before.objects, after.objects);
    EXPECT_TRUE(after.bytes == before.bytes) << "the saved document is byte-identical";
    EXPECT_GE(FindIDSlot(kernel, list, "A", "First"), 0);
    EXPECT_GE(FindIDSlot(kernel, list, "M", "Middle"), 0);
    fs::remove_all(dir);
}

} // namespace
