// The raster record and class procedure, the images shared with undo copies
// and copies, save and load with images loaded, and the small operations.
#include "tests/engine/view/raster/raster_fixture.h"

#include "engine/kernel/map_file.h"
#include "engine/kernel/object_copy.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/view/viewrecord/view_transforms.h"

#include <QByteArray>

#include <cstring>

namespace {

// The first bytes of the header block, as a text, for comparing images.
std::string headerBytes(HGLOBAL header)
{
    const auto *p = static_cast<const char *>(GlobalLock(header));
    std::string s = p ? std::string(p, std::min<size_t>(GlobalSize(header), 64)) : std::string();
    GlobalUnlock(header);
    return s;
}

class RasterObjectTest : public RasterTest {
protected:
    void SetUp() override
    {
        RasterTest::SetUp();
        if (HasFatalFailure())
            return;
        red = writeImage("red.png", SolidImage(8, 4, qRgb(255, 0, 0)));
        blue = writeImage("blue.png", SolidImage(4, 8, qRgb(0, 0, 255)));
    }

    // Reads the file into the raster in place of its image.
    void load(OBJHANDLE h, const std::string &file)
    {
        HGLOBAL header = 0, pixels = 0;
        ASSERT_EQ(RasterImportByConverter(file.c_str(), "PNG", &header, &pixels, nullptr), 1)
            << RasterConverterLastError();
        ASSERT_EQ(RasterObjectSetImages(kernel, h, header, pixels), 1);
    }

    int32_t pixelWidth(OBJHANDLE h)
    {
        int32_t w = 0;
        RasterObjectPixelSize(kernel, h, &w, nullptr);
        return w;
    }

    std::string red, blue;
};

TEST_F(RasterObjectTest, NewRasterIsEmptyWithTheDefaultScale)
{
    const OBJHANDLE h = CreateOBJect(kernel, CLASS_BITMAP);
    const RasterObjectData d = data(h);
    EXPECT_EQ(d.scale, 10000);
    EXPECT_EQ(d.headerId, 0u);
    EXPECT_EQ(d.pixelsId, 0u);
    EXPECT_EQ(d.imageVisible, 0);
    EXPECT_EQ(d.fileName[0], '\0');
    EXPECT_EQ(RasterObjectLock(kernel, layer), nullptr); // another class
}

TEST_F(RasterObjectTest, NamesLongerThanTheirFieldsAreRefusedNotCut)
{
    const OBJHANDLE h = makeRaster(red, "PNG", {0, 0, 100, 100});
    const std::string longFile(128, 'a'), fitFile(127, 'b'), longFormat(40, 'F');
    EXPECT_EQ(RasterObjectSetNames(kernel, h, longFile.c_str(), "PNG"), 0);
    EXPECT_EQ(RasterObjectSetNames(kernel, h, red.c_str(), longFormat.c_str()), 0);
    EXPECT_EQ(std::string(data(h).fileName), red);
    EXPECT_EQ(std::string(data(h).formatName), "PNG");
    EXPECT_EQ(RasterObjectSetNames(kernel, h, fitFile.c_str(), nullptr), 1);
    EXPECT_EQ(std::string(data(h).fileName), fitFile);
}

// Undo copies name the same images as the raster: undoing a reload draws the
// older image, and neither a reset of the history nor the final deletion
// frees an image twice or leaves one behind.
TEST_F(RasterObjectTest, UndoCopiesShareImagesSafely)
{
    rec.undoEnabled = 1;
    const size_t blocks = GlobalBlockCount();
    const OBJHANDLE h = makeRaster(red, "PNG", {0, 0, 10000, 10000});
    load(h, red);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_CREATE_POLYLINE), 1);
    const std::string redHeader = headerBytes(RasterObjectHeaderBlock(kernel, h));

    ASSERT_EQ(Undo_ChangeObject(kernel, h), 1);
    load(h, blue);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_CREATE_POLYLINE), 1);
    EXPECT_EQ(RasterImageCount(kernel), 4u); // both images kept for undo
    EXPECT_EQ(pixelWidth(h), 4);

    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(pixelWidth(h), 8);
    EXPECT_EQ(headerBytes(RasterObjectHeaderBlock(kernel, h)), redHeader);
    EXPECT_EQ(draw(h), 1);
    // The cache lets the image go while the copy still names the other.
    EXPECT_EQ(ResetRasters(window, 0), 1);
    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_EQ(pixelWidth(h), 4);
    EXPECT_EQ(draw(h), 1);

    ASSERT_EQ(Undo_Reset(kernel), 1);
    EXPECT_EQ(RasterImageCount(kernel), 2u);

    ASSERT_EQ(Undo_DeleteOBJect(kernel, h), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_DELETE), 1);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(draw(h), 1);
    EXPECT_TRUE(loaded(h));
    ASSERT_EQ(Undo_Redo(kernel), 1);
    ASSERT_EQ(Undo_Reset(kernel), 1);
    EXPECT_EQ(RasterImageCount(kernel), 0u);
    EXPECT_EQ(GlobalBlockCount(), blocks);
}

TEST_F(RasterObjectTest, DeletingWithoutUndoFreesTheImages)
{
    const size_t blocks = GlobalBlockCount();
    const OBJHANDLE h = makeRaster(red, "PNG", {0, 0, 10000, 10000});
    load(h, red);
    EXPECT_EQ(RasterLoadedCount(window), 1);
    OBJectDelete(kernel, h);
    EXPECT_EQ(RasterImageCount(kernel), 0u);
    EXPECT_EQ(GlobalBlockCount(), blocks);
    // The loaded count follows: it counts rasters that hold an image.
    EXPECT_EQ(RasterLoadedCount(window), 0);
}

TEST_F(RasterObjectTest, TheImageTableGoesWithItsKernel)
{
    const size_t blocks = GlobalBlockCount();
    OBJectKernel *other = KernelNew();
    ASSERT_NE(other, nullptr);
    const uint32_t a = RasterImageAdd(other, GlobalAlloc(GHND, 100));
    const uint32_t b = RasterImageAdd(other, GlobalAlloc(GHND, 100));
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, a);
    EXPECT_EQ(RasterImageRetain(other, a), 1);
    EXPECT_EQ(RasterImageRelease(other, a), 1);
    EXPECT_NE(RasterImageBlock(other, a), 0u);
    EXPECT_EQ(RasterImageRelease(other, 12345), 0); // not an id of this table
    EXPECT_EQ(RasterImageBlock(kernel, a), 0u);     // nor of another kernel's
    KernelDelete(other);
    EXPECT_EQ(GlobalBlockCount(), blocks);
}

TEST_F(RasterObjectTest, CopiesHaveImagesOfTheirOwn)
{
    const OBJHANDLE h = makeRaster(red, "PNG", {100, 200, 300, 400});
    load(h, red);
    // A byte copy of the store never shares the source's images.
    const OBJHANDLE byteCopy = CopyOBJ(kernel, h);
    ASSERT_NE(byteCopy, 0u);
    EXPECT_FALSE(loaded(byteCopy));
    EXPECT_TRUE(loaded(h));

    OBJHANDLE copy = 0;
    ASSERT_EQ(RasterObjectCopy(kernel, &copy, h), 1);
    EXPECT_TRUE(loaded(copy));
    EXPECT_NE(RasterObjectHeaderBlock(kernel, copy), RasterObjectHeaderBlock(kernel, h));
    EXPECT_EQ(headerBytes(RasterObjectHeaderBlock(kernel, copy)),
              headerBytes(RasterObjectHeaderBlock(kernel, h)));
    EXPECT_EQ(bound(copy), (MAP_COORDRECT{100, 200, 300, 400}));
    EXPECT_EQ(std::string(data(copy).fileName), red);
    OBJectDelete(kernel, h);
    EXPECT_TRUE(loaded(copy));
    EXPECT_EQ(RasterObjectCopy(kernel, &copy, layer), 0);
}

TEST_F(RasterObjectTest, SaveAndLoadWithImagesLoaded)
{
    const OBJHANDLE h = makeRaster(red, "PNG", {0, 0, 10000, 10000});
    load(h, red);
    ASSERT_TRUE(loaded(h));
    const std::string file = imagePath("map.mpd");
    ASSERT_EQ(MapSave(window, file.c_str()), 1);

    QFile f(QString::fromStdString(file));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    const qsizetype name = bytes.indexOf(QByteArray::fromStdString(red));
    ASSERT_GT(name, 72);
    const qsizetype ids = name - qsizetype(offsetof(RasterObjectData, fileName)) +
                          qsizetype(offsetof(RasterObjectData, pixelsId));
    EXPECT_EQ(bytes.mid(ids, 8), QByteArray(8, '\0')); // written as 0
    // Whatever a file holds there is cleared when it is read.
    bytes.replace(ids, 8, QByteArray("\x01\x00\x00\x00\x02\x00\x00\x00", 8));
    f.seek(0);
    f.write(bytes);
    f.close();

    KernelDelete(rec.kernel);
    rec.kernel = nullptr;
    OBJHANDLE root = 0;
    OBJectKernel *k = nullptr;
    ASSERT_EQ(ReadMapToKern(window, file.c_str(), &root, &k, 0), 1) << MapFileLastError();
    kernel = k;
    ASSERT_EQ(SetRootOBJect(window, root), root);
    layers = GetRootOBJect(window, CLASS_LAYERS);
    layer = GetActiveLayer(kernel, layers);
    OBJHANDLE raster = 0;
    int32_t pos = -1;
    for (OBJHANDLE e = FirstReference(kernel, layer, REF_LAYER_MEMBER, &pos); e;
         e = GetReference(kernel, layer, REF_LAYER_MEMBER, &pos))
        if (GetOBJectClassID(kernel, e) == CLASS_BITMAP)
            raster = e;
    ASSERT_NE(raster, 0u);
    EXPECT_EQ(data(raster).headerId, 0u);
    EXPECT_EQ(data(raster).pixelsId, 0u);
    EXPECT_EQ(RasterImageCount(kernel), 0u);
    EXPECT_EQ(draw(raster), 1); // loads again, lazily
    EXPECT_TRUE(loaded(raster));
}

TEST_F(RasterObjectTest, ContainsMovesAndFindsCorners)
{
    const OBJHANDLE h = makeRaster(red, "PNG", {10000, 10000, 20000, 20000});
    const MAP_COORDPT inside{10000, 20000}, outside{9999, 15000};
    EXPECT_EQ(RasterObjectContainsPoint(kernel, h, &inside), 1);
    EXPECT_EQ(RasterObjectContainsPoint(kernel, h, &outside), 0);
    EXPECT_EQ(RasterObjectContainsPoint(kernel, 0, &inside), 0);

    // Window pixels of the corners: x / 100, (30000 - y) / 100.
    MAP_COORDPT found{};
    const POINT topRight{200, 100}, offByOne{201, 100};
    EXPECT_EQ(RasterObjectFindVertex(kernel, h, rec.displayView, &topRight, &found), 1);
    EXPECT_EQ(found.x, 20000);
    EXPECT_EQ(found.y, 20000);
    EXPECT_EQ(RasterObjectFindVertex(kernel, h, rec.displayView, &offByOne, &found), 0);

    EXPECT_EQ(RasterObjectMove(kernel, h, 500, -300), 1);
    EXPECT_EQ(bound(h), (MAP_COORDRECT{10500, 9700, 20500, 19700}));
    EXPECT_EQ(RasterObjectMove(kernel, 0, 1, 1), 0);
}

TEST(RasterMeasures, ResolutionAndScaleConversions)
{
    // 1000 pixels over 2540 metres at 1:100: one dot per inch.
    EXPECT_DOUBLE_EQ(ResOrDim(4, 1000, 2540, 1, 100), 1.0);
    // And back: 1000 pixels at 1 dpi at 1:100 cover 2540 metres.
    EXPECT_DOUBLE_EQ(ResOrDim(4, 1000, 1.0, 1, 100), 2540.0);
    EXPECT_NEAR(SclFromResDim(4, 1000, 1.0, 2540, 1), 100.0, 1e-9);
    // Centimetres: 100 units to the metre.
    EXPECT_DOUBLE_EQ(ResOrDim(3, 1000, 254000, 1, 100), 1.0);
    // An angle unit counts the inch in metres.
    EXPECT_DOUBLE_EQ(ResOrDim(6, 1000, 2540, 1, 100), 1.0);
    EXPECT_EQ(ResOrDim(999, 1000, 2540, 1, 100), 0.0);
    EXPECT_EQ(SclFromResDim(999, 1000, 1.0, 2540, 1), 0.0);
}

} // namespace
