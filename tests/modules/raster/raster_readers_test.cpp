// The raster converters read what Qt reads: small images made here in each
// format, with world files beside them, and files that must be refused.
#include "tests/modules/raster/raster_modules.h"

#include "platform/dc.h"
#include "platform/gdi_objects.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cstring>
#include <functional>

namespace {

struct Format {
    const char *module;
    const char *qt;
    const char *ext;
    const char *world;
};
const Format kFormats[] = {
    {"png", "png", "png", "pgw"}, {"jpg", "jpeg", "jpg", "jgw"}, {"tiff", "tiff", "tif", "tfw"},
    {"gif", "gif", "gif", "gfw"}, {"dib", "bmp", "bmp", "bpw"},
};

using CreateGifFn = int (*)(const char *, HBITMAP);

// A bitmap of the platform layer holding the picture.
HBITMAP BitmapOf(const QImage &picture)
{
    const HBITMAP b = CreateBitmapOfSize(picture.width(), picture.height());
    const HDC dc = CreateCompatibleDC(0);
    const HGDIOBJ old = SelectObject(dc, b);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            SetPixel(dc, x, y, RGB(qRed(c), qGreen(c), qBlue(c)));
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    return b;
}

// Writes the picture in the format: through Qt, or for GIF (which Qt cannot
// write) through the GIF module's writer.
bool Save(const QImage &picture, const QString &path, const Format &f)
{
    if (std::strcmp(f.qt, "gif") != 0)
        return picture.save(path, f.qt, f.qt == std::string("jpeg") ? 90 : -1);
    ConverterModule gif("gif");
    const HBITMAP b = BitmapOf(picture);
    const int ok = gif.Entry<CreateGifFn>("CreateGIFFile")(path.toLocal8Bit().constData(), b);
    DeleteObject(b);
    return ok == 1;
}

QImage Colourful(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 19 % 256, y * 35 % 256, (x * y * 7 + 40) % 256));
    return img;
}

QImage Indexed(int w, int h, int colours)
{
    QImage img(w, h, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i)
        table.push_back(qRgb(i * 37 % 256, 255 - i, i * 5 % 256));
    img.setColorTable(table);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, uint((x * 3 + y * 7) % colours));
    return img;
}

class RasterReaders : public ::testing::Test {
protected:
    QString Path(const QString &name) const { return dir.path() + "/" + name; }
    std::string Local(const QString &name) const { return Path(name).toLocal8Bit().toStdString(); }
    QTemporaryDir dir;
};

void ExpectSamePixels(const QImage &got, const QImage &qt, const std::string &what)
{
    ASSERT_EQ(got.size(), qt.size()) << what;
    for (int y = 0; y < qt.height(); ++y)
        for (int x = 0; x < qt.width(); ++x)
            ASSERT_EQ(got.pixel(x, y) & 0xFFFFFF, qt.pixel(x, y) & 0xFFFFFF)
                << what << " at " << x << "," << y;
}

TEST_F(RasterReaders, EachReaderGivesThePixelsQtReads)
{
    struct Picture {
        const char *name;
        QImage image;
        int pngBits; // the bit count a PNG of it keeps
    };
    const Picture pictures[] = {
        {"colour", Colourful(13, 7), 24},
        {"two", Indexed(13, 7, 2), 1},
        {"sixteen", Indexed(9, 5, 16), 4},
        {"many", Indexed(21, 6, 200), 8},
    };
    for (const Format &f : kFormats) {
        ConverterModule m(f.module);
        ASSERT_TRUE(m.Loaded()) << f.module;
        for (const Picture &p : pictures) {
            const std::string what = std::string(f.module) + " " + p.name;
            const QString name = QString("%1.%2").arg(p.name, f.ext);
            ASSERT_TRUE(Save(p.image, Path(name), f)) << what;
            HGLOBAL header = 0, bits = 0;
            const size_t blocks = GlobalBlockCount();
            ASSERT_EQ(m.Read(Local(name), &header, &bits), 1) << what << ": " << m.LastError();
            EXPECT_EQ(m.LastError(), "");
            const QImage qt(Path(name), f.qt);
            const DecodedBlocks d = DecodeAndFree(header, bits);
            EXPECT_EQ(GlobalBlockCount(), blocks);
            ExpectSamePixels(d.image, qt, what);
            if (qt.format() == QImage::Format_Indexed8 || qt.format() == QImage::Format_Mono) {
                EXPECT_LE(d.bitCount, 8) << what << ": a colour table is kept";
                EXPECT_EQ(d.colours, qt.colorCount()) << what;
            } else {
                EXPECT_EQ(d.bitCount, 24) << what;
            }
            if (std::strcmp(f.module, "png") == 0) {
                EXPECT_EQ(d.bitCount, p.pngBits) << what;
            }
        }
    }
}

TEST_F(RasterReaders, OnlyOneSlotOrNoneAndTransparentPixelsOnWhite)
{
    QImage img(4, 3, QImage::Format_ARGB32);
    img.fill(qRgba(0, 0, 0, 0));
    img.setPixel(1, 1, qRgba(200, 10, 20, 255));
    ASSERT_TRUE(img.save(Path("alpha.png"), "png"));
    ConverterModule m("png");
    HGLOBAL header = 0, bits = 0;
    ASSERT_EQ(m.Read(Local("alpha.png"), &header, &bits), 1);
    const DecodedBlocks d = DecodeAndFree(header, bits);
    EXPECT_EQ(d.image.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(d.image.pixel(1, 1) & 0xFFFFFF, 0xC80A14u);

    const size_t blocks = GlobalBlockCount();
    header = 0;
    ASSERT_EQ(m.Read(Local("alpha.png"), &header, nullptr), 1);
    EXPECT_EQ(GlobalSize(header), 40u);
    GlobalFree(header);
    EXPECT_EQ(m.Read(Local("alpha.png"), nullptr, nullptr), 1) << "a check of the file alone";
    EXPECT_EQ(GlobalBlockCount(), blocks);
}

TEST_F(RasterReaders, WorldFilesPlaceTheImageAsGdalDoes)
{
    for (const Format &f : kFormats) {
        const std::string what = f.module;
        const QString name = QString("placed.%1").arg(f.ext);
        ASSERT_TRUE(Save(Colourful(20, 10), Path(name), f)) << what;
        QFile world(Path(QString("placed.%1").arg(f.world)));
        ASSERT_TRUE(world.open(QIODevice::WriteOnly));
        world.write("2.5\n0\n0\n-1.5\n1000.25\n2000.75\n");
        world.close();
        ConverterModule m(f.module);
        RasterBodyParams p = FreshParams();
        ASSERT_EQ(m.Read(Local(name), nullptr, nullptr, &p), 1) << what;
        EXPECT_DOUBLE_EQ(p.d[0], 2.5) << what;
        EXPECT_DOUBLE_EQ(p.d[1], 1.5) << what;
        EXPECT_DOUBLE_EQ(p.d[6], 999.0) << what << ": the corner, not the first pixel's centre";
        EXPECT_DOUBLE_EQ(p.d[7], 2001.5) << what;
        EXPECT_DOUBLE_EQ(p.d[3], 1049.0) << what;
        EXPECT_DOUBLE_EQ(p.d[4], 1986.5) << what;
        const GdalInfo g = RunGdalInfo(Path(name));
        ASSERT_TRUE(g.ok && g.hasCorners) << what << ": gdalinfo";
        EXPECT_DOUBLE_EQ(p.d[6], g.upperLeft[0]) << what;
        EXPECT_DOUBLE_EQ(p.d[7], g.upperLeft[1]) << what;
        EXPECT_DOUBLE_EQ(p.d[3], g.lowerRight[0]) << what;
        EXPECT_DOUBLE_EQ(p.d[4], g.lowerRight[1]) << what;
    }
}

TEST_F(RasterReaders, WorldFileVariantsAndRotatedOnes)
{
    struct Case {
        const char *file;
        const char *text;
        bool placed;
    };
    const Case cases[] = {
        {"a.wld", "1\n0\n0\n-1\n10.5\n20.5\n", true},      {"a.PGW", "1\n0\n0\n-1\n10.5\n20.5\n", true},
        {"a.pgw", "1\n0.2\n0.1\n-1\n10.5\n20.5\n", false}, // rotated
        {"a.pgw", "1\n0\n0\n-1\n10.5\n", false},           // five numbers
        {"a.pgw", "1\n0\n0\nabc\n10.5\n20.5\n", false},    {"a.pgw", "0\n0\n0\n-1\n10.5\n20.5\n", false},
    };
    ASSERT_TRUE(Colourful(4, 4).save(Path("a.png"), "png"));
    ConverterModule m("png");
    for (const Case &k : cases) {
        QFile world(Path(k.file));
        ASSERT_TRUE(world.open(QIODevice::WriteOnly));
        world.write(k.text);
        world.close();
        RasterBodyParams p = FreshParams();
        ASSERT_EQ(m.Read(Local("a.png"), nullptr, nullptr, &p), 1) << k.file;
        if (k.placed) {
            EXPECT_DOUBLE_EQ(p.d[6], 10.0) << k.file;
            EXPECT_DOUBLE_EQ(p.d[7], 21.0) << k.file;
        } else {
            EXPECT_EQ(p.d[6], std::numeric_limits<double>::max()) << k.file << " " << k.text;
            EXPECT_EQ(p.d[0], 0.0) << k.file;
        }
        QFile::remove(Path(k.file));
    }
}

TEST_F(RasterReaders, DotsPerInchComeFromTheImage)
{
    QImage img = Colourful(5, 5);
    img.setDotsPerMeterX(11811); // 300 dpi
    img.setDotsPerMeterY(5906);  // 150 dpi
    struct Case {
        const Format &f;
        double x, y; // 0: none stated
    };
    const Case cases[] = {
        {kFormats[0], 300, 150}, {kFormats[1], 300, 150}, {kFormats[2], 300, 150},
        {kFormats[3], 0, 0},     {kFormats[4], 300, 150},
    };
    for (const Case &k : cases) {
        const QString name = QString("dpi.%1").arg(k.f.ext);
        ASSERT_TRUE(Save(img, Path(name), k.f));
        ConverterModule m(k.f.module);
        RasterBodyParams p = FreshParams();
        HGLOBAL header = 0, bits = 0;
        ASSERT_EQ(m.Read(Local(name), &header, &bits, &p), 1) << k.f.module;
        const DecodedBlocks d = DecodeAndFree(header, bits);
        if (k.x == 0) {
            EXPECT_EQ(p.d[9], std::numeric_limits<double>::max()) << k.f.module;
            EXPECT_EQ(d.xPelsPerMeter, 0) << k.f.module;
        } else {
            EXPECT_NEAR(p.d[9], k.x, 0.5) << k.f.module;
            EXPECT_NEAR(p.d[10], k.y, 0.5) << k.f.module;
            EXPECT_NEAR(d.xPelsPerMeter, k.x / 0.0254, 20) << k.f.module;
        }
    }
}

// The file of a small image of the format, its bytes changed by patch.
QByteArray Patched(const QByteArray &bytes, const std::function<void(QByteArray &)> &patch)
{
    QByteArray b = bytes;
    patch(b);
    return b;
}

void PutBE16(QByteArray &b, qsizetype at, uint16_t v)
{
    b[at] = char(v >> 8);
    b[at + 1] = char(v);
}
void PutLE32(QByteArray &b, qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (8 * i));
}
uint32_t Crc32(const char *p, size_t n)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= uint8_t(p[i]);
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

// The header of a valid file rewritten to claim 100000 x 100000 pixels (or
// the largest its 16-bit fields hold).
QByteArray HugeHeader(const QByteArray &file, const std::string &format)
{
    return Patched(file, [&](QByteArray &b) {
        if (format == "png") {
            for (int at : {16, 20})
                for (int i = 0; i < 4; ++i)
                    b[at + i] = char(100000u >> (8 * (3 - i)));
            const uint32_t crc = Crc32(b.constData() + 12, 17);
            for (int i = 0; i < 4; ++i)
                b[29 + i] = char(crc >> (8 * (3 - i)));
        } else if (format == "jpg") {
            const qsizetype sof = b.indexOf(QByteArray("\xFF\xC0", 2));
            PutBE16(b, sof + 5, 65535);
            PutBE16(b, sof + 7, 65535);
        } else if (format == "gif") {
            b[6] = b[7] = b[8] = b[9] = char(0xFF);
            const qsizetype image = b.indexOf(char(0x2C), 13);
            for (int i = 5; i <= 8; ++i)
                b[image + i] = char(0xFF);
        } else if (format == "dib") {
            PutLE32(b, 18, 100000);
            PutLE32(b, 22, 100000);
        } else if (format == "tiff") {
            // Qt writes little-endian TIFF: tags 256 and 257 in the first IFD.
            uint32_t ifd = 0;
            std::memcpy(&ifd, b.constData() + 4, 4);
            uint16_t count = 0;
            std::memcpy(&count, b.constData() + ifd, 2);
            for (int k = 0; k < count; ++k) {
                const qsizetype e = ifd + 2 + 12 * k;
                uint16_t tag = 0, type = 0;
                std::memcpy(&tag, b.constData() + e, 2);
                std::memcpy(&type, b.constData() + e + 2, 2);
                if (tag == 256 || tag == 257) {
                    b[e + 2] = 4; // LONG
                    b[e + 3] = 0;
                    PutLE32(b, e + 8, 100000);
                }
            }
        }
    });
}

TEST_F(RasterReaders, BadFilesAreRefusedWithAReasonAndNothingAllocated)
{
    QByteArray random(1000, 0);
    QRandomGenerator gen(7);
    for (char &c : random)
        c = char(gen.bounded(256));
    ASSERT_TRUE(QDir(dir.path()).mkpath("folder.png"));
    for (const Format &f : kFormats) {
        const std::string module = f.module;
        ASSERT_TRUE(Save(Colourful(64, 48), Path(QString("good.%1").arg(f.ext)), f));
        QFile good(Path(QString("good.%1").arg(f.ext)));
        ASSERT_TRUE(good.open(QIODevice::ReadOnly));
        const QByteArray bytes = good.readAll();
        good.close();
        // Another format's file under this format's extension.
        const Format &other = module == "png" ? kFormats[4] : kFormats[0];
        ASSERT_TRUE(Save(Colourful(8, 8), Path(QString("renamed.%1").arg(f.ext)), other));

        struct Case {
            const char *what;
            QByteArray content; // written unless null
            const char *reason; // a word of the message
        };
        const Case cases[] = {
            {"missing", QByteArray(), "does not exist"},
            {"empty", QByteArray(""), "empty"},
            {"random", random, f.ext},
            {"truncated", bytes.left(bytes.size() * 6 / 10), f.ext},
            {"huge", HugeHeader(bytes, module), "pixels"},
            {"renamed", QByteArray(), f.ext},
        };
        ConverterModule m(f.module);
        for (const Case &k : cases) {
            const QString name = QString("%1.%2").arg(k.what, f.ext);
            if (!k.content.isNull()) {
                QFile out(Path(name));
                ASSERT_TRUE(out.open(QIODevice::WriteOnly));
                out.write(k.content);
            }
            const size_t blocks = GlobalBlockCount();
            HGLOBAL header = 0, bits = 0;
            RasterBodyParams p = FreshParams();
            EXPECT_EQ(m.Read(Local(name), &header, &bits, &p), 0) << module << " " << k.what;
            EXPECT_EQ(header, 0u);
            EXPECT_EQ(bits, 0u);
            GlobalFree(header); // after a wrong success, not to hide the failure under leaks
            GlobalFree(bits);
            header = bits = 0;
            EXPECT_EQ(GlobalBlockCount(), blocks) << module << " " << k.what;
            EXPECT_EQ(p.d[6], std::numeric_limits<double>::max());
            const std::string reason = m.LastError();
            EXPECT_NE(reason.find(std::string(k.reason) == f.ext ? "" : k.reason), std::string::npos)
                << module << " " << k.what << ": " << reason;
            EXPECT_FALSE(reason.empty()) << module << " " << k.what;
        }
        HGLOBAL header = 0, bits = 0;
        EXPECT_EQ(m.Read(Local("folder.png"), &header, &bits), 0);
        EXPECT_NE(m.LastError().find("folder"), std::string::npos) << m.LastError();
        EXPECT_EQ(m.Read("", &header, &bits), 0);
        auto body = m.Entry<RasterBodyFn>("GormRasterBody");
        EXPECT_EQ(body(nullptr, &header, &bits, nullptr), 0);
        EXPECT_EQ(header, 0u);
    }
}

} // namespace
