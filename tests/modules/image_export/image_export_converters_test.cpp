// The export converters "DIB", "TIFF", "PNG" and "JPG" by name, as the
// control's ExportEx calls them, with their settings in the registry.
#include "tests/engine/window/image_export/image_fixture.h"

#include "engine/kernel/settings.h"
#include "engine/window/converters/converter_service.h"
#include "engine/window/converters/converter_table.h"
#include "engine/window/page.h"
#include "engine/window/window_selection.h"
#include "platform/message_box.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace {

QJsonObject gdalinfo(const std::string &path)
{
    QProcess p;
    p.start("gdalinfo", {"-json", QString::fromStdString(path)});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QSize sizeOf(const QJsonObject &info)
{
    const QJsonArray size = info.value("size").toArray();
    return {size.at(0).toInt(), size.at(1).toInt()};
}

class ImageExportConvertersTest : public MapImageTest {
protected:
    void SetUp() override
    {
        MapImageTest::SetUp();
        SetMessageBoxHook([this](const MessageBoxRequest &r) {
            messages.push_back(r.text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        MapImageTest::TearDown();
    }
    std::string file(const char *name) const { return (dir.path() + "/" + name).toStdString(); }
    static void set(const char *format, const char *name, int value)
    {
        m_RegValueSet((std::string("Converters\\Exports\\") + format).c_str(), name, value);
    }

    QTemporaryDir dir;
    std::vector<std::string> messages;
};

TEST_F(ImageExportConvertersTest, EachFormatIsRegisteredAndWritesTheWholeMapAtTheSettingsWidth)
{
    set("DIB", "Size of exported bitmap", 320);
    struct Case {
        const char *name, *file, *driver;
    };
    for (const Case c : {Case{"DIB", "m.bmp", "BMP"}, Case{"TIFF", "m.tif", "GTiff"},
                         Case{"PNG", "m.png", "PNG"}, Case{"JPG", "m.jpg", "JPEG"}}) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ExportServiceEx(window, c.name, file(c.file).c_str(), 0), CONVERT_DONE);
        const QJsonObject info = gdalinfo(file(c.file));
        EXPECT_EQ(info.value("driverShortName").toString(), c.driver);
        // The whole map: the line's 64 units wide, the square's 20 high.
        const QSize size = sizeOf(info);
        EXPECT_EQ(size.width(), 320);
        EXPECT_NEAR(size.height(), 320 * 20 / 64, 1);
    }
    EXPECT_TRUE(messages.empty());
    ConverterTable table;
    ASSERT_TRUE(BuildConverterTable(ConverterKind::Export, &table));
    for (const char *name : {"DIB", "TIFF", "PNG", "JPG"})
        EXPECT_GE(FindConverterEntry(table, name), 0) << name;
}

TEST_F(ImageExportConvertersTest, AFormatsOwnSettingsComeBeforeTheSharedOnes)
{
    set("DIB", "Size of exported bitmap", 320);
    set("PNG", "Size of exported bitmap", 200);
    ASSERT_EQ(ExportServiceEx(window, "PNG", file("own.png").c_str(), 0), CONVERT_DONE);
    EXPECT_EQ(sizeOf(gdalinfo(file("own.png"))).width(), 200);
    ASSERT_EQ(ExportServiceEx(window, "TIFF", file("shared.tif").c_str(), 0), CONVERT_DONE);
    EXPECT_EQ(sizeOf(gdalinfo(file("shared.tif"))).width(), 320);
}

TEST_F(ImageExportConvertersTest, SelectedObjectsAndThePageAreaChooseTheRectangle)
{
    set("DIB", "Size of exported bitmap", 200);
    set("DIB", "Export all objects", 1);
    ASSERT_EQ(ExportServiceEx(window, "DIB", file("sel.bmp").c_str(), 0), CONVERT_DONE);
    EXPECT_EQ(sizeOf(gdalinfo(file("sel.bmp"))), QSize(200, 200)); // the selected square
    const QImage image(QString::fromStdString(file("sel.bmp")));
    EXPECT_EQ(image.pixel(100, 100) & 0xFFFFFF, 0xFF0000u);

    // Nothing selected: nothing written, and the reason is shown.
    map_selection_Clear(window, 0);
    EXPECT_EQ(ExportServiceEx(window, "DIB", file("none.bmp").c_str(), 0), CONVERT_NOT_LOADED);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file("none.bmp"))));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "No objects are selected to export.");

    set("PNG", "Export all objects", 2);
    set("PNG", "Size of exported bitmap", 150);
    MAP_COORDPT origin{}, extension{};
    ASSERT_EQ(PageGetOrgExtInWindow(window, &origin, &extension), 1);
    ASSERT_EQ(ExportServiceEx(window, "PNG", file("page.png").c_str(), 0), CONVERT_DONE);
    const QSize page = sizeOf(gdalinfo(file("page.png")));
    const double aspect = double(std::abs(extension.y)) / std::abs(extension.x);
    EXPECT_EQ(std::max(page.width(), page.height()), 150);
    EXPECT_NEAR(double(page.height()) / page.width(), aspect, 0.02);
}

TEST_F(ImageExportConvertersTest, JpegQualityAndTiffCompressionAreHonoured)
{
    set("DIB", "Size of exported bitmap", 400);
    set("JPG", "Quality", 10);
    ASSERT_EQ(ExportServiceEx(window, "JPG", file("low.jpg").c_str(), 0), CONVERT_DONE);
    set("JPG", "Quality", 100);
    ASSERT_EQ(ExportServiceEx(window, "JPG", file("high.jpg").c_str(), 0), CONVERT_DONE);
    EXPECT_LT(QFileInfo(QString::fromStdString(file("low.jpg"))).size(),
              QFileInfo(QString::fromStdString(file("high.jpg"))).size());

    for (const int lzw : {0, 1}) {
        set("TIFF", "lzw", lzw);
        const std::string name = file(lzw ? "lzw.tif" : "plain.tif");
        ASSERT_EQ(ExportServiceEx(window, "TIFF", name.c_str(), 0), CONVERT_DONE);
        const QJsonObject structure =
            gdalinfo(name).value("metadata").toObject().value("IMAGE_STRUCTURE").toObject();
        EXPECT_EQ(structure.value("COMPRESSION").toString() == "LZW", lzw == 1);
    }
}

TEST_F(ImageExportConvertersTest, BadInputWritesNothing)
{
    EXPECT_EQ(ExportServiceEx(window, "PNG", "", 0), CONVERT_NO_FILE);
    EXPECT_EQ(ExportServiceEx(window, "PNG", "/nonexistent-folder/x.png", 0), CONVERT_NOT_LOADED);
    EXPECT_EQ(ExportServiceEx(window, "GIF", file("x.gif").c_str(), 0), CONVERT_UNKNOWN);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file("x.gif"))));
}

} // namespace
