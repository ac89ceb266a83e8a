#include "text_fixture.h"

#include "engine/kernel/map_file.h"

#include <string>
#include <vector>

namespace {

TEST_F(TextTest, CreateExGetExRoundTrip)
{
    OBJHANDLE h = 77;
    const MAP_COORDPT anchor{1234, -5678};
    ASSERT_EQ(map_text_CreateEx(window, &h, "Round\r\ntrip", &anchor, "Times New Roman", 12,
                                TEXT_STYLE_BOLD | TEXT_STYLE_ITALIC, RGB(10, 20, 30), 300, 99,
                                TEXT_ALIGN_RIGHT | TEXT_LOCK_MAP, 0, 204, 1),
              1);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(GetOBJectClassID(kernel, h), CLASS_TEXT);
    EXPECT_NE(GetOBJectLayer(kernel, h), 0u) << "in the active layer";

    uint32_t length = 0;
    char buffer[64], face[64];
    MAP_COORDPT at{};
    int32_t size = 0;
    int style = 0, rotation = 0, escapement = 5, own = 0;
    COLORREF colour = 0;
    uint16_t flags = 0;
    uint8_t charSet = 0;
    EXPECT_EQ(map_text_GetEx(window, h, &length, buffer, sizeof buffer, &at, face, sizeof face, &size, &style,
                             &colour, &rotation, &escapement, &flags, &charSet, &own),
              12);
    EXPECT_EQ(length, 12u);
    EXPECT_STREQ(buffer, "Round\r\ntrip");
    EXPECT_STREQ(face, "Times New Roman");
    EXPECT_EQ(at.x, 1234);
    EXPECT_EQ(at.y, -5678);
    EXPECT_EQ(size, 12);
    EXPECT_EQ(style, TEXT_STYLE_BOLD | TEXT_STYLE_ITALIC);
    EXPECT_EQ(colour, RGB(10, 20, 30));
    EXPECT_EQ(rotation, 300);
    EXPECT_EQ(escapement, 0);
    EXPECT_EQ(flags, TEXT_ALIGN_RIGHT | TEXT_LOCK_MAP);
    EXPECT_EQ(charSet, 204);
    EXPECT_EQ(own, 1);

    const TextObjectData d = data(h);
    EXPECT_EQ(d.selected.x, 1234) << "the head's selected point is the anchor";
    EXPECT_EQ(d.selected.y, -5678);
    EXPECT_EQ(d.mapHeight, PointSizeToMap(window, 12));
    EXPECT_EQ(d.colorMode, 1);
}

TEST_F(TextTest, GetExBufferIsLimitedAndTerminated)
{
    const OBJHANDLE h = makeText("0123456789", {0, 0}, 10, 0, 0, 2);
    uint32_t length = 0;
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    int own = 9;
    EXPECT_EQ(map_text_GetEx(window, h, &length, buffer, 5, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, &own),
              5);
    EXPECT_EQ(length, 11u);
    EXPECT_EQ(std::string(buffer, 6), std::string("0123\0#", 6));
    EXPECT_EQ(own, 0) << "colour mode 2 is not the own-colour flag";
    // No outputs at all, and handles that are not texts.
    EXPECT_EQ(map_text_GetEx(window, h, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
    const OBJHANDLE layer = GetOBJectLayer(kernel, h);
    EXPECT_EQ(map_text_GetEx(window, layer, &length, buffer, 5, nullptr, nullptr, 0, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(map_text_SetEx(window, layer, "x", nullptr, nullptr, 1, 0, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(map_text_SetEx(window, 0, "x", nullptr, nullptr, 1, 0, 0, 0, 0, 0, 0, 0, 0), 0);
}

TEST_F(TextTest, SetExKeepsWhatItIsNotGiven)
{
    const OBJHANDLE h = makeText("keep", {100, 200}, 14, 0);
    TextObjectData before = data(h);
    before.style = TEXT_STYLE_UNDERLINE;
    store(h, before);
    ASSERT_EQ(map_text_SetEx(window, h, nullptr, nullptr, nullptr, 0, -1, RGB(1, 1, 1), 0, 0, 0, 0, 0, 0), 1);
    const TextObjectData d = data(h);
    EXPECT_EQ(d.textLength, 4u);
    EXPECT_EQ(d.anchorX, 100);
    EXPECT_STREQ(d.faceName, "Arial");
    EXPECT_EQ(d.size, 14) << "0 is not stored";
    EXPECT_EQ(d.style, TEXT_STYLE_UNDERLINE) << "-1 is not stored";
    EXPECT_EQ(d.ownColor, RGB(1, 1, 1));
    EXPECT_EQ(d.colorMode, 0);
    // Style 0 is stored by the extended form.
    map_text_SetEx(window, h, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(data(h).style, 0);
}

TEST_F(TextTest, BaseCreateTakesTheLayerColourForMinusOne)
{
    OBJHANDLE h = 0;
    const MAP_COORDPT anchor{5, 6};
    std::string longFace(100, 'f');
    ASSERT_EQ(map_text_Create(window, &h, "base", &anchor, longFace.c_str(), 0, 0, 0xFFFFFFFFu, 0, 0, 0, 0),
              1);
    TextObjectData d = data(h);
    EXPECT_EQ(d.colorMode, 0);
    EXPECT_EQ(d.ownColor, 0xFFFFFFFFu);
    EXPECT_EQ(d.size, 0) << "the defaults of a new text stay";
    EXPECT_EQ(std::string(d.faceName), std::string(63, 'f'));
    ASSERT_EQ(map_text_Create(window, &h, "own", &anchor, nullptr, 9, 0, RGB(7, 8, 9), 0, 0, 0, 0), 1);
    d = data(h);
    EXPECT_EQ(d.colorMode, 1);
    EXPECT_EQ(d.ownColor, RGB(7, 8, 9));
    EXPECT_EQ(d.size, 9);
}

TEST_F(TextTest, CreateWithoutAWindowRecordMakesNothing)
{
    const HWND bare = CreateHeadlessWindow(nullptr);
    OBJHANDLE h = 5;
    const MAP_COORDPT anchor{0, 0};
    EXPECT_EQ(map_text_CreateEx(bare, &h, "x", &anchor, "Arial", 10, 0, 0, 0, 0, 0, 0, 0, 1), 1);
    EXPECT_EQ(h, 0u);
    DestroyWindow(bare);
}

TEST_F(TextTest, MapFileKeepsTextsByteForByte)
{
    std::vector<OBJHANDLE> texts = {
        makeText("first line\r\nsecond", {100, 200}, 12, TEXT_ALIGN_HCENTER, 450),
        makeText(std::string(2100, 'z').c_str(), {-300, 400}, 20, TEXT_LOCK_SCREEN),
        makeText("", {0, 0}, 8, TEXT_LOCK_MAP, 0, 0)};
    auto snapshot = [&](OBJHANDLE h) {
        const OBJectHead *head = HeadLock(rec.kernel, h);
        return std::vector<char>(reinterpret_cast<const char *>(head),
                                 reinterpret_cast<const char *>(head) + head->size);
    };
    std::vector<std::vector<char>> before;
    for (OBJHANDLE h : texts)
        before.push_back(snapshot(h));
    const std::string path = (folders.path() + "/texts.mpd").toStdString();
    ASSERT_EQ(MapSave(window, path.c_str()), 1);
    // Read back as the control does: the old document goes first.
    KernelDelete(rec.kernel);
    rec.kernel = nullptr;
    OBJHANDLE root = 0;
    OBJectKernel *read = nullptr;
    ASSERT_EQ(ReadMapToKern(window, path.c_str(), &root, &read, 0), 1);
    ASSERT_EQ(rec.kernel, read);
    rec.rootObject = root;
    kernel = read;
    for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(GetOBJectClassID(read, texts[i]), CLASS_TEXT);
        const std::vector<char> after = snapshot(texts[i]);
        const size_t fixed = OBJ_HEAD_SIZE + TEXT_FIXED_SIZE;
        ASSERT_GE(after.size(), fixed);
        EXPECT_EQ(std::vector<char>(after.begin() + OBJ_HEAD_SIZE, after.begin() + fixed),
                  std::vector<char>(before[i].begin() + OBJ_HEAD_SIZE, before[i].begin() + fixed))
            << "fixed data of text " << i;
        // The data space: the text and its terminator.
        OBJectHead ha{}, hb{};
        std::memcpy(&ha, after.data(), sizeof ha);
        std::memcpy(&hb, before[i].data(), sizeof hb);
        ASSERT_EQ(ha.dataOffset, hb.dataOffset);
        ASSERT_EQ(ha.size, hb.size);
        EXPECT_EQ(std::vector<char>(after.begin() + ha.dataOffset, after.end()),
                  std::vector<char>(before[i].begin() + hb.dataOffset, before[i].end()))
            << "text of text " << i;
    }
    EXPECT_EQ(data(texts[1]).textLength, 2046u);
}

} // namespace
