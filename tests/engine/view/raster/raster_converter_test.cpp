// Which module reads a format, and what the engine makes of files and
// modules that are not what they should be.
#include "tests/engine/view/raster/raster_fixture.h"

#include <QByteArray>

#include <random>

namespace {

class RasterConverterTest : public RasterTest {
protected:
    void SetUp() override
    {
        RasterTest::SetUp();
        if (HasFatalFailure())
            return;
        picture = writeImage("picture.png", SolidImage(6, 5, qRgb(10, 200, 30)));
    }

    // Reads through the format's converter; the blocks are freed again.
    int read(const std::string &file, const char *format, RasterBodyParams *params = nullptr)
    {
        HGLOBAL header = 0, pixels = 0;
        const int ok = RasterImportByConverter(file.c_str(), format, &header, &pixels, params);
        if (!ok) {
            EXPECT_EQ(header, 0u);
            EXPECT_EQ(pixels, 0u);
        }
        for (const HGLOBAL b : {header, pixels})
            if (b)
                GlobalFree(b);
        return ok;
    }

    std::string picture;
};

TEST_F(RasterConverterTest, BuiltInNamesAreExactRegistryNamesAnyCase)
{
    EXPECT_EQ(read(picture, "PNG"), 1) << RasterConverterLastError();
    EXPECT_TRUE(RasterConverterLastError().empty());
    // Lower case has no built-in module.
    const std::string tif = writeImage("picture.tif", SolidImage(6, 5, qRgb(1, 2, 3)), "TIFF");
    EXPECT_EQ(read(tif, "TIFF"), 1) << RasterConverterLastError();
    EXPECT_EQ(read(tif, "tiff"), 0);
    EXPECT_NE(RasterConverterLastError().find("tiff"), std::string::npos);
    EXPECT_TRUE(RasterConverterPath("tiff").empty());

    // A registered format names its module in the third field; the module
    // is found in the modules folder whatever its case.
    ASSERT_EQ(m_RegValueSet("Converters\\Imports", "tiff", "Tagged image|tif;TIFF.CNV"), 1);
    EXPECT_EQ(read(tif, "tiff"), 1) << RasterConverterLastError();
    EXPECT_EQ(QFileInfo(QString::fromStdString(RasterConverterPath("tiff"))).fileName(), "tiff.cnv");
}

TEST_F(RasterConverterTest, BadConverterSettingsAreRefusedWithAReason)
{
    struct Case {
        const char *value;
        const char *reason;
    };
    const Case cases[] = {
        {"Portable network graphics", "names no module"},   // one field
        {"PNG,png", "names no module"},                     // two fields
        {"PNG,png,../png.cnv", "plain file name"},          // a path
        {"PNG,png,/usr/lib/libc.so.6", "plain file name"},  // a path
        {"PNG,png,nosuch.cnv", "not in the modules folder"} // missing
    };
    for (const Case &c : cases) {
        ASSERT_EQ(m_RegValueSet("Converters\\Imports", "MYPNG", c.value), 1);
        EXPECT_EQ(read(picture, "MYPNG"), 0) << c.value;
        EXPECT_NE(RasterConverterLastError().find(c.reason), std::string::npos)
            << c.value << ": " << RasterConverterLastError();
    }
    EXPECT_EQ(read(picture, ""), 0);
    EXPECT_EQ(read(picture, "BMPX"), 0);
}

TEST_F(RasterConverterTest, ModulesThatBreakTheContractGiveNothing)
{
    useModuleFolder({"noentry", "halfimage", "liar"});
    const size_t blocks = GlobalBlockCount();
    struct Case {
        const char *module;
        const char *reason;
    };
    for (const Case &c : {Case{"noentry.cnv", "no entry GormRasterBody"}, Case{"halfimage.cnv", "only part"},
                          Case{"liar.cnv", "fewer than its header says"}}) {
        ASSERT_EQ(m_RegValueSet("Converters\\Imports", "ODD", (std::string("Odd,odd,") + c.module).c_str()),
                  1);
        EXPECT_EQ(read(picture, "ODD"), 0) << c.module;
        EXPECT_NE(RasterConverterLastError().find(c.reason), std::string::npos)
            << c.module << ": " << RasterConverterLastError();
    }
    EXPECT_EQ(GlobalBlockCount(), blocks); // what they gave was freed
}

// Damaged, truncated, empty, renamed and missing files, a folder, and a
// header that claims 100000 x 100000 pixels: refused with a reason.
TEST_F(RasterConverterTest, BadFilesAreRefusedWithAReason)
{
    QFile png(QString::fromStdString(picture));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    const QByteArray whole = png.readAll();
    std::mt19937 random(7);
    QByteArray noise(4000, '\0');
    for (char &c : noise)
        c = char(random());
    // A PNG header whose IHDR says 100000 x 100000.
    QByteArray huge = whole;
    const qsizetype ihdr = huge.indexOf("IHDR");
    ASSERT_GT(ihdr, 0);
    const char size[8] = {0, 1, char(0x86), char(0xA0), 0, 1, char(0x86), char(0xA0)};
    huge.replace(ihdr + 4, 8, QByteArray(size, 8));
    const std::string jpeg = writeImage("real.jpg", SolidImage(64, 64, qRgb(9, 9, 9)), "JPEG");
    QFile jpg(QString::fromStdString(jpeg));
    ASSERT_TRUE(jpg.open(QIODevice::ReadOnly));
    const QByteArray jpegBytes = jpg.readAll();

    struct Case {
        std::string file;
        const char *format;
    };
    const Case cases[] = {
        {writeBytes("cut.png", whole.left(whole.size() / 2)), "PNG"},
        {writeBytes("cut.jpg", jpegBytes.left(jpegBytes.size() * 2 / 3)), "JPG"},
        {writeBytes("noise.png", noise), "PNG"},
        {writeBytes("empty.png", QByteArray()), "PNG"},
        {writeBytes("renamed.gif", whole), "GIF"},
        {writeBytes("huge.png", huge), "PNG"},
        {imagePath("missing.png"), "PNG"},
        {imagePath(""), "PNG"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(read(c.file, c.format), 0) << c.file;
        EXPECT_FALSE(RasterConverterLastError().empty()) << c.file;
    }
}

} // namespace
