#include "platform/enhanced_metafile.h"

#include "platform/dc.h"
#include "platform/device_limit.h"
#include "platform/gdi_objects.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace {

QByteArray documentOf(HENHMETAFILE picture)
{
    const UINT size = GetEnhMetaFileBits(picture, 0, nullptr);
    QByteArray bytes(int(size), '\0');
    EXPECT_EQ(GetEnhMetaFileBits(picture, size, reinterpret_cast<BYTE *>(bytes.data())), size);
    return bytes;
}

// The picture drawn by QSvgRenderer into an image of the given size.
QImage rendered(const QByteArray &svg, int w, int h)
{
    QSvgRenderer renderer(svg);
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

TEST(EnhancedMetafile, TheFrameBecomesTheSizeInMillimetresAndTheDrawingFillsIt)
{
    const RECT frame{0, 0, 10000, 5000}; // 100 mm x 50 mm
    const HDC dc = CreateEnhMetaFileA(0, nullptr, &frame, "App \0Some picture\0");
    ASSERT_NE(dc, 0u);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_METAFILE);
    // The screen's 1280 pixels on 320 mm: 4 pixels per millimetre.
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 1280);
    EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 320);
    // A blue block over the right half of the frame: 200 of 400 pixels.
    const HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    const HGDIOBJ oldBrush = SelectObject(dc, blue);
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 200, 0, 401, 201);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    const HENHMETAFILE picture = CloseEnhMetaFile(dc);
    DeleteObject(blue);
    ASSERT_NE(picture, 0u);
    const QByteArray svg = documentOf(picture);
    EXPECT_TRUE(svg.contains("width=\"100mm\"")) << svg.left(400).constData();
    EXPECT_TRUE(svg.contains("height=\"50mm\""));
    EXPECT_TRUE(svg.contains("<title>App </title>"));
    EXPECT_TRUE(svg.contains("<desc>Some picture</desc>"));
    QSvgRenderer renderer(svg);
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 10000, 5000));
    const QImage image = rendered(svg, 200, 100);
    EXPECT_EQ(image.pixelColor(150, 50), QColor(0, 0, 255));
    // No background: the left half shows what lies under the picture.
    EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::white));
    EXPECT_TRUE(DeleteEnhMetaFile(picture));
}

TEST(EnhancedMetafile, ALargeFrameRecordsAtAResolutionTheDeviceTakes)
{
    SetDeviceBitmapLimit(1000 * 1000);
    const RECT frame{0, 0, 400000, 400000}; // 4 m square: 16000 pixels a side at 4 per mm
    const HDC dc = CreateEnhMetaFileA(0, nullptr, &frame, nullptr);
    SetDeviceBitmapLimit(0);
    ASSERT_NE(dc, 0u);
    const int64_t side = int64_t(GetDeviceCaps(dc, HORZRES)) * 4000 / GetDeviceCaps(dc, HORZSIZE);
    EXPECT_LE(side * side, 1000 * 1000);
    EXPECT_GT(side, 900);
    const HENHMETAFILE picture = CloseEnhMetaFile(dc);
    ASSERT_NE(picture, 0u);
    EXPECT_TRUE(documentOf(picture).contains("width=\"4000mm\""));
    DeleteEnhMetaFile(picture);
}

TEST(EnhancedMetafile, AFileNameGetsTheDocumentToo)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/p.svg";
    const RECT frame{0, 0, 999, 999};
    const HDC dc = CreateEnhMetaFileA(0, path.toLocal8Bit().constData(), &frame, nullptr);
    const HENHMETAFILE picture = CloseEnhMetaFile(dc);
    ASSERT_NE(picture, 0u);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), documentOf(picture));
    EXPECT_EQ(QSvgRenderer(path).viewBox().width(), 999);
    DeleteEnhMetaFile(picture);
}

TEST(EnhancedMetafile, BadInputGivesNoPicture)
{
    const RECT empty{0, 0, 0, 100}, inverted{100, 100, 0, 0};
    EXPECT_EQ(CreateEnhMetaFileA(0, nullptr, &empty, nullptr), 0u);
    EXPECT_EQ(CreateEnhMetaFileA(0, nullptr, &inverted, nullptr), 0u);
    // A context that is no picture context.
    const HDC memory = CreateCompatibleDC(0);
    EXPECT_EQ(CloseEnhMetaFile(memory), 0u);
    EXPECT_NE(GetObjectType(memory), 0u); // not deleted
    DeleteDC(memory);
    EXPECT_EQ(CloseEnhMetaFile(0), 0u);
    // A file that cannot be written: no picture, the context still ends.
    const RECT frame{0, 0, 100, 100};
    const HDC dc = CreateEnhMetaFileA(0, "/nonexistent-folder/p.svg", &frame, nullptr);
    ASSERT_NE(dc, 0u);
    EXPECT_EQ(CloseEnhMetaFile(dc), 0u);
    EXPECT_EQ(GetObjectType(dc), 0u);
    EXPECT_EQ(GetEnhMetaFileBits(0, 0, nullptr), 0u);
    EXPECT_FALSE(DeleteEnhMetaFile(0));
}

} // namespace
