// "mpd5.cnv": map documents and the native clipboard stream merged into the
// open map by layer number, identifiers matched by code and name, the
// merged objects selected.
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_store.h"
#include "engine/window/window_identifiers.h"
#include "engine/window/window_selection.h"
#include "platform/file.h"
#include "tests/modules/converters/module_fixture.h"

#include <QTemporaryDir>

#include <algorithm>
#include <random>

namespace {

class Mpd5ModuleTest : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        AttachedMapWindowTest::SetUp();
        ASSERT_TRUE(module.Loaded());
        import = module.Entry<GormImportFn>(kGormImportEntry);
        paste = module.Entry<GormClipbImportFn>(kGormClipbImportEntry);
        ASSERT_TRUE(import && paste);

        // The open map: layer 1 with a parcel of the identifier A1 / Oak.
        const OBJHANDLE base = MakeLayer(window, 1, "Base");
        const MAP_COORDPT parcel[] = {{0, 0}, {100, 0}, {100, 100}};
        map_polygon_Create(window, &own, parcel, 3, 0);
        PutOn(window, base, own);
        ASSERT_EQ(map_object_id_Set(window, own, "A1", "Oak", 0, 0, 0), 1);

        // The document to merge: layer 1 (named otherwise) with a road of the
        // same identifier, layer 7 with a field of a new one showing its code.
        const OBJHANDLE other = MakeLayer(source.window, 1, "Other name");
        const MAP_COORDPT road[] = {{500, 600}, {900, 800}};
        map_polyline_Create(source.window, &road_, road, 2, 0);
        PutOn(source.window, other, road_);
        ASSERT_EQ(map_object_id_Set(source.window, road_, "A1", "Oak", 0, 0, 0), 1);
        const OBJHANDLE fresh = MakeLayer(source.window, 7, "Fields");
        const MAP_COORDPT field[] = {{2000, 3000}, {2600, 3000}, {2600, 3400}, {2000, 3400}};
        map_polygon_Create(source.window, &field_, field, 4, 0);
        PutOn(source.window, fresh, field_);
        ASSERT_EQ(map_object_id_Set(source.window, field_, "B2", "Elm", 1, 0, 0), 1);
    }
    int32_t identifiers(HWND w) const
    {
        int32_t count = 0;
        map_identified_Get(w, &count, nullptr, 0);
        return count;
    }
    std::vector<OBJHANDLE> selection() const
    {
        int32_t count = 0;
        map_selection_Get(window, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 1);
        std::vector<OBJHANDLE> selected(size_t(std::max(count, 0)));
        map_selection_Get(window, &count, selected.data(), int32_t(selected.size()), nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 1);
        return selected;
    }
    MemoryFile copiedField()
    {
        map_selection_Set(source.window, &field_, 1, 0, -1, -1, -1, 0, 0, -1, 1, 0);
        MemoryFile stream;
        EXPECT_EQ(MapSaveToClipboard(source.window, stream, MAPCLIP_COPY), 2);
        stream.SeekToBegin();
        return stream;
    }

    LoadedModule module{"mpd5.cnv"};
    GormImportFn import = nullptr;
    GormClipbImportFn paste = nullptr;
    ExtraWindow source;
    OBJHANDLE own = 0, road_ = 0, field_ = 0;
    QTemporaryDir dir;
    MessageCatcher catcher;
};

TEST_F(Mpd5ModuleTest, DocumentMergesByLayerNumberAndIdentifierText)
{
    const std::string file = dir.path().toStdString() + "/source.mpd";
    ASSERT_GE(MapSave(source.window, file.c_str()), 1);
    int shared = 0;
    ASSERT_EQ(import(window, file.c_str(), &shared, 0), 1) << module.LastError();
    EXPECT_EQ(shared, 1);
    EXPECT_TRUE(catcher.messages.empty());

    const std::vector<std::string> lines = DescribeMap(window);
    const auto has = [&](const std::string &line) { return std::count(lines.begin(), lines.end(), line); };
    EXPECT_EQ(has("1 Base: polygon 0,0 100,0 100,100 id A1/Oak"), 1);
    EXPECT_EQ(has("1 Base: polyline 500,600 900,800 id A1/Oak"), 1) << "into the layer of the same number";
    EXPECT_EQ(has("7 Fields: polygon 2000,3000 2600,3000 2600,3400 2000,3400 id B2/Elm"), 1)
        << "a layer made";
    // The shared identifier is the open map's; the new one brought its code
    // text along, made once.
    EXPECT_EQ(identifiers(window), 2);
    const auto codeTexts = std::count_if(lines.begin(), lines.end(), [](const std::string &l) {
        return l.find("text \"B2\"") != std::string::npos;
    });
    EXPECT_EQ(codeTexts, 1);
    EXPECT_EQ(selection().size(), 2u) << "the merged objects are selected";
}

TEST_F(Mpd5ModuleTest, ClipboardStreamPastesAtThePointOrAtItsPlace)
{
    MemoryFile stream = copiedField();
    ASSERT_EQ(paste(window, &stream, 0, 0, 10000, 20000), 1) << module.LastError();
    std::vector<OBJHANDLE> pasted = selection();
    ASSERT_EQ(pasted.size(), 1u);
    MAP_COORDRECT r{};
    ASSERT_EQ(map_object_boundrect_Get(window, pasted[0], &r), 1);
    EXPECT_EQ(r.x1, 10000) << "top-left corner on the point";
    EXPECT_EQ(r.y2, 20000);
    EXPECT_EQ(r.x2 - r.x1, 600);

    stream.SeekToBegin();
    ASSERT_EQ(paste(window, &stream, 0, 1, 1, 1), 1);
    pasted = selection();
    ASSERT_EQ(pasted.size(), 1u);
    ASSERT_EQ(map_object_boundrect_Get(window, pasted[0], &r), 1);
    EXPECT_EQ(r.x1, 2000) << "at the copied place";
    EXPECT_EQ(r.y2, 3400);
    EXPECT_EQ(identifiers(window), 2) << "the second paste found B2 / Elm";
}

TEST_F(Mpd5ModuleTest, DamagedStreamsAndFilesChangeNothing)
{
    const std::vector<std::string> before = DescribeMap(window);
    const uint32_t objects = KernGiveAllObjectsAmount(rec.kernel);
    const MemoryFile good = copiedField();
    const std::vector<char> &bytes = good.Data();
    std::vector<char> noise(bytes.size());
    std::mt19937 random(7);
    for (char &c : noise)
        c = char(random());
    std::vector<char> flipped = bytes; // a record length that points past the end
    for (size_t i = 140; i < flipped.size() && i < 148; ++i)
        flipped[i] = char(0xFF);
    const std::vector<std::vector<char>> damaged = {
        {},
        {bytes.begin(), bytes.begin() + long(bytes.size() / 2)},
        {bytes.begin(), bytes.begin() + 60},
        noise,
        flipped,
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        catcher.messages.clear();
        MemoryFile stream(damaged[i].data(), damaged[i].size());
        EXPECT_EQ(paste(window, &stream, 0, 1, 0, 0), 0) << i;
        ASSERT_EQ(catcher.messages.size(), 1u) << i;
        EXPECT_EQ(catcher.messages[0].caption, "Gorm Import");
        EXPECT_NE(catcher.messages[0].text.find("cannot be read"), std::string::npos)
            << catcher.messages[0].text;
    }
    EXPECT_EQ(paste(window, nullptr, 0, 1, 0, 0), 0);
    for (const std::string &file : {dir.path().toStdString() + "/missing.mpd", dir.path().toStdString()})
        EXPECT_EQ(import(window, file.c_str(), nullptr, 0), 0) << file;
    EXPECT_EQ(DescribeMap(window), before);
    EXPECT_EQ(KernGiveAllObjectsAmount(rec.kernel), objects);
}

} // namespace
