// "miff.cnv": the interchange files it reads and refuses, and its export,
// checked by the system's own reader of the format and by importing it
// again.
#include "engine/kernel/object_store.h"
#include "engine/kernel/settings.h"
#include "engine/window/window_identifiers.h"
#include "modules/miff/mif_format.h"
#include "tests/modules/converters/module_fixture.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

const char *kHeader = "Version 300\nCharset \"WindowsLatin1\"\nDelimiter \",\"\n"
                      "CoordSys NonEarth Units \"m\" Bounds (0, 0) (100, 100)\n"
                      "Columns 2\n  Code Char(12)\n  Name Char(32)\nData\n";

TEST(MifFormat, ReadsEveryKindWithItsAttributes)
{
    const std::string mif =
        std::string(kHeader) +
        "Point 1 2\n    Symbol (35,0,12)\n"
        "Line 0 0 10 10\n"
        "Pline Multiple 2\n  2\n0 0\n1 1\n  3\n5 5\n6 6\n7 7\n    Pen (1,2,0)\n    Smooth\n"
        "Region 1\n  4\n0 0\n10 0\n10 10\n0 10\n    Pen (1,2,0)\n    Brush (2,0,16777215)\n"
        "    Center 5 5\n"
        "none\n"
        "Text\n    \"Say \"\"hi\"\"\"\n    1.5 2.5 9 4\n    Font (\"Arial\",1,10,255)\n"
        "    Angle 45\n";
    const std::string mid = "A1,\"Oak\"\n,\nX,\"\"\nR,Reg\n,\n\"T,1\",Text\n";
    MifDocument doc;
    std::string error;
    ASSERT_TRUE(ParseMif(mif, &mid, &doc, &error)) << error;
    ASSERT_EQ(doc.features.size(), 6u);
    const MifKind kinds[] = {MifKind::Point,  MifKind::Pline, MifKind::Pline,
                             MifKind::Region, MifKind::None,  MifKind::Text};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(doc.features[i].kind, kinds[i]) << i;
    EXPECT_EQ(doc.features[2].parts.size(), 2u);
    EXPECT_EQ(doc.features[2].parts[1].size(), 3u);
    EXPECT_EQ(doc.features[3].parts[0].size(), 4u);
    const MifFeature &text = doc.features[5];
    EXPECT_EQ(text.text, "Say \"hi\"");
    EXPECT_EQ(text.parts[0][0].x, 1.5);
    EXPECT_EQ(text.face, "Arial");
    EXPECT_EQ(text.fontStyle, 1);
    EXPECT_EQ(text.fontSize, 10);
    EXPECT_EQ(text.fontColour, 255u);
    EXPECT_EQ(text.angle, 45);
    EXPECT_EQ(text.values, (std::vector<std::string>{"T,1", "Text"}));
    EXPECT_EQ(doc.features[0].values, (std::vector<std::string>{"A1", "Oak"}));
    EXPECT_EQ(doc.Column("name"), 1);
}

TEST(MifFormat, RefusesDamagedFiles)
{
    const std::string h = kHeader;
    const struct {
        std::string mif;
        std::string mid;
        const char *reason;
    } cases[] = {
        {"Version 300\nColumns 1\n  A Char(5)\n", "", "\"Data\" is missing"},
        {"", "", "\"Data\" is missing"},
        {h + "Pline 3\n0 0\n1 1\n", ",\n", "the object claims more points"},
        {h + "Pline 99999999999\n0 0\n", ",\n", "out of range"},
        {h + "Region 1\n  2\n0 0\n1 1\n", ",\n", "fewer than three points"},
        {h + "Region 100000\n  3\n0 0\n1 1\n2 2\n", ",\n", "more rings"},
        {h + "Point abc 1\n", ",\n", "\"abc\" is not a number"},
        {h + "Point 1e999 1\n", ",\n", "is not a number"},
        {h + "Text\n \"unclosed\n", ",\n", "not closed"},
        {h + "Ellipse 0 0 1 1\n", ",\n", "\"Ellipse\" are not read"},
        {h + "Blob 1 2\n", ",\n", "\"Blob\" is not an object"},
        {h + "Point 1 2\n    Pen (1,2\n", ",\n", "\")\" is missing"},
        {h + "Point 1 2\nPoint 3 4\n", "A,B\n", "1 rows for 2 objects"},
        {h + "Point 1 2\n", "A,B,C\n", "3 values for 2 columns"},
    };
    for (const auto &c : cases) {
        MifDocument doc;
        std::string error;
        EXPECT_FALSE(ParseMif(c.mif, &c.mid, &doc, &error)) << c.mif;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

class MiffModuleTest : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        AttachedMapWindowTest::SetUp();
        ASSERT_TRUE(module.Loaded());
        import = module.Entry<GormImportFn>(kGormImportEntry);
        exportFile = module.Entry<GormExportFn>(kGormExportEntry);
        ASSERT_TRUE(import && exportFile);
    }
    std::string path(const std::string &name) const { return dir.path().toStdString() + "/" + name; }
    void write(const std::string &name, const std::string &text) const
    {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    // A map of every kind the format carries, on two layers.
    void fillMap()
    {
        const OBJHANDLE roads = MakeLayer(window, 3, "Roads");
        const OBJHANDLE parcels = MakeLayer(window, 5, "Parcels");
        OBJHANDLE h = 0;
        const MAP_COORDPT line[] = {{1000, 2000}, {3000, 2500}, {5000, 1000}};
        map_polyline_Create(window, &h, line, 3, 0);
        PutOn(window, roads, h);
        const MAP_COORDPT well{-700, 4200};
        h = 0;
        map_polyline_Create(window, &h, &well, 1, 0);
        PutOn(window, roads, h);
        const MAP_COORDPT field[] = {{0, 0}, {2000, 0}, {2000, 1500}, {0, 1500}};
        h = 0;
        map_polygon_Create(window, &h, field, 4, 0);
        PutOn(window, parcels, h);
        ASSERT_EQ(map_object_id_Set(window, h, "A1", "Oak", 0, 0, 0), 1);
        const MAP_COORDPT anchor{1500, 3000};
        h = 0;
        map_text_CreateEx(window, &text, "North \"field\"", &anchor, "Arial", 12, 2, 0x0000FF, 300, 0, 0, 0,
                          0, 1);
        PutOn(window, parcels, text);
    }
    static std::string run(const std::string &command)
    {
        std::string out;
        if (FILE *p = popen(command.c_str(), "r")) {
            char buffer[4096];
            for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;)
                out.append(buffer, n);
            pclose(p);
        }
        return out;
    }

    OBJHANDLE text = 0; // the map's text, made by fillMap
    LoadedModule module{"miff.cnv"};
    GormImportFn import = nullptr;
    GormExportFn exportFile = nullptr;
    QTemporaryDir dir;
    MessageCatcher catcher;
};

TEST_F(MiffModuleTest, ExportIsReadByTheFormatsReferenceReaderAndImportsAgainUnchanged)
{
    fillMap();
    const std::vector<std::string> before = DescribeMap(window);
    ASSERT_EQ(before.size(), 4u);
    ASSERT_EQ(exportFile(window, path("map.mif").c_str(), nullptr, 0), 1) << module.LastError();

    // The reference reader sees our objects: their number, kinds and extent.
    const std::string summary = run("ogrinfo -ro -al -so '" + path("map.mif") + "' 2>&1");
    EXPECT_NE(summary.find("Feature Count: 4"), std::string::npos) << summary;
    const QRegularExpressionMatch m =
        QRegularExpression(R"(Extent: \(([-\d.]+), ([-\d.]+)\) - \(([-\d.]+), ([-\d.]+)\))")
            .match(QString::fromStdString(summary));
    ASSERT_TRUE(m.hasMatch()) << summary;
    // A text stands in the file with its box, from its anchor across its
    // measured size: the reader's extent takes the box in.
    MAP_COORDRECT box{};
    ASSERT_EQ(map_object_boundrect_Get(window, text, &box), 1);
    EXPECT_EQ(m.captured(1).toDouble(), -700);
    EXPECT_EQ(m.captured(2).toDouble(), 0);
    EXPECT_EQ(m.captured(3).toDouble(), std::max<int64_t>(5000, 1500 + int64_t(box.x2) - box.x1));
    EXPECT_EQ(m.captured(4).toDouble(), std::max<int64_t>(4200, 3000 + int64_t(box.y2) - box.y1));
    const std::string all = run("ogrinfo -ro -al '" + path("map.mif") + "' 2>&1");
    std::vector<std::string> kinds;
    const QRegularExpression geometry(R"(^\s+(POLYGON|LINESTRING|POINT|MULTILINESTRING) )",
                                      QRegularExpression::MultilineOption);
    for (auto it = geometry.globalMatch(QString::fromStdString(all)); it.hasNext();)
        kinds.push_back(it.next().captured(1).toStdString());
    EXPECT_EQ(kinds, (std::vector<std::string>{"LINESTRING", "POINT", "POLYGON", "POINT"})) << all;
    EXPECT_NE(all.find("Code (String) = A1"), std::string::npos) << all;

    ExtraWindow other;
    ASSERT_EQ(import(other.window, path("map.mif").c_str(), nullptr, 0), 1) << module.LastError();
    EXPECT_EQ(DescribeMap(other.window), before);
    EXPECT_TRUE(catcher.messages.empty());
}

TEST_F(MiffModuleTest, MultiplierScalesTheFilesCoordinates)
{
    ASSERT_TRUE(RegStringSet("Converters\\Imports\\MIF", "Multiplier", "100"));
    write("m.mif", std::string(kHeader) + "Pline 2\n1.5 -2.25\n3 4\n");
    write("m.mid", "\"C\",\"N\"\n");
    int shared = 0;
    ASSERT_EQ(import(window, path("m.mif").c_str(), &shared, 0), 1) << module.LastError();
    EXPECT_EQ(shared, 1);
    const std::vector<std::string> lines = DescribeMap(window);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("polyline 150,-225 300,400 id C/N"), std::string::npos) << lines[0];

    ASSERT_EQ(exportFile(window, path("out.mif").c_str(), nullptr, 0), 1);
    std::ifstream in(path("out.mif"));
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Pline 2\n1.5 -2.25\n3 4\n"), std::string::npos) << text.str();
}

TEST_F(MiffModuleTest, DamagedOrMissingFilesChangeNothing)
{
    fillMap();
    const std::vector<std::string> before = DescribeMap(window);
    const uint32_t objects = KernGiveAllObjectsAmount(rec.kernel);
    write("cut.mif", std::string(kHeader) + "Point 1 2\nRegion 1\n  5\n0 0\n1 1\n");
    write("cut.mid", "A,B\nC,D\n");
    write("far.mif", std::string(kHeader) + "Point 1 2\nPoint 1e12 0\n");
    write("far.mid", "A,B\nC,D\n");
    write("rows.mif", std::string(kHeader) + "Point 1 2\nPoint 3 4\n");
    write("rows.mid", "A,B\n");
    write("empty.mif", "");
    const struct {
        std::string file;
        const char *says;
    } cases[] = {
        {"cut.mif", "is damaged"},   {"far.mif", "beyond the map's range"}, {"rows.mif", "1 rows for 2"},
        {"empty.mif", "is damaged"}, {"missing.mif", "cannot be read"},     {"", "cannot be read"},
    };
    for (const auto &c : cases) {
        catcher.messages.clear();
        const std::string file = c.file.empty() ? dir.path().toStdString() : path(c.file);
        EXPECT_EQ(import(window, file.c_str(), nullptr, 0), 0) << c.file;
        ASSERT_EQ(catcher.messages.size(), 1u) << c.file;
        EXPECT_EQ(catcher.messages[0].caption, "Gorm Import");
        EXPECT_NE(catcher.messages[0].text.find(c.says), std::string::npos) << catcher.messages[0].text;
        EXPECT_EQ(module.LastError(), catcher.messages[0].text);
    }
    EXPECT_EQ(DescribeMap(window), before);
    EXPECT_EQ(KernGiveAllObjectsAmount(rec.kernel), objects);
}

TEST_F(MiffModuleTest, ExportToAnUnwritablePlaceFails)
{
    fillMap();
    EXPECT_EQ(exportFile(window, path("no/such/folder/x.mif").c_str(), nullptr, 0), 0);
    ASSERT_EQ(catcher.messages.size(), 1u);
    EXPECT_EQ(catcher.messages[0].caption, "Gorm Export");
}

} // namespace
