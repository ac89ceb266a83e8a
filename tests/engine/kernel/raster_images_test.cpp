// The kernel's table of raster images: shared entries counted by their
// holders, the undo history's copies as holders, and kernels made of a
// selection, whose rasters name nothing of the source's table.
#include "engine/kernel/raster_images.h"

#include "engine/kernel/map_file.h"
#include "engine/kernel/undo.h"
#include "platform/global_memory.h"
#include "tests/engine/kernel/docmodel_fixture.h"

namespace {

using docmodeltest::DocModelTest;

class RasterImagesTest : public DocModelTest {
protected:
    void SetUp() override
    {
        DocModelTest::SetUp();
        record.undoEnabled = 1;
    }

    // A raster on the first layer holding two new blocks of the size.
    OBJHANDLE rasterWithImage(size_t size)
    {
        const OBJHANDLE h = makeObject(layer0, {0, 0, 10, 10}, CLASS_BITMAP);
        setImage(h, size);
        return h;
    }

    void setImage(OBJHANDLE h, size_t size)
    {
        RasterObjectReleaseImages(kernel, h);
        const uint32_t header = RasterImageAdd(kernel, GlobalAlloc(GHND, size));
        const uint32_t pixels = RasterImageAdd(kernel, GlobalAlloc(GHND, size));
        char *p = OBJectLock(kernel, h);
        StoreField(p, RASTER_HEADER_ID, header);
        StoreField(p, RASTER_PIXELS_ID, pixels);
    }

    size_t headerSize(OBJHANDLE h)
    {
        return GlobalSize(RasterImageBlock(kernel, RasterObjectImageIds(kernel, h).header));
    }
};

TEST_F(RasterImagesTest, EntriesGoWithTheirLastHolder)
{
    const size_t blocks = GlobalBlockCount();
    const uint32_t id = RasterImageAdd(kernel, GlobalAlloc(GHND, 16));
    ASSERT_NE(id, 0u);
    EXPECT_EQ(RasterImageRetain(kernel, id), 1);
    EXPECT_EQ(RasterImageRelease(kernel, id), 1);
    EXPECT_NE(RasterImageBlock(kernel, id), 0u);
    EXPECT_EQ(RasterImageRelease(kernel, id), 1);
    EXPECT_EQ(RasterImageBlock(kernel, id), 0u);
    EXPECT_EQ(RasterImageRelease(kernel, id), 0); // gone: a second release is refused
    EXPECT_EQ(RasterImageRetain(kernel, 0), 0);
    EXPECT_EQ(RasterImageAdd(kernel, 0), 0u);
    EXPECT_EQ(RasterImageAdd(nullptr, GlobalAlloc(GHND, 16)), 0u); // the block is freed all the same
    // A new entry never takes the id of one that went.
    EXPECT_NE(RasterImageAdd(kernel, GlobalAlloc(GHND, 16)), id);
    RasterImagesDestroy(kernel);
    EXPECT_EQ(GlobalBlockCount(), blocks);
}

// A change recorded for undo shares the raster's images with its copy;
// undo and redo swap them back and forth, and ending the history lets the
// copies' images go once.
TEST_F(RasterImagesTest, TheHistoryHoldsTheImagesOfItsCopies)
{
    const size_t blocks = GlobalBlockCount();
    const OBJHANDLE h = rasterWithImage(100);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_CREATE_POLYLINE), 1);
    ASSERT_EQ(Undo_ChangeObject(kernel, h), 1);
    setImage(h, 200);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_CREATE_POLYLINE), 1);
    EXPECT_EQ(RasterImageCount(kernel), 4u);
    ASSERT_EQ(Undo_Undo(kernel), 1);
    EXPECT_EQ(headerSize(h), 100u);
    ASSERT_EQ(Undo_Redo(kernel), 1);
    EXPECT_EQ(headerSize(h), 200u);
    // Undone again and then replaced by a new step: the redo branch goes.
    ASSERT_EQ(Undo_Undo(kernel), 1);
    ASSERT_EQ(Undo_ChangeObject(kernel, h), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_CREATE_POLYLINE), 1);
    EXPECT_EQ(headerSize(h), 100u);
    EXPECT_EQ(RasterImageCount(kernel), 2u);
    ASSERT_EQ(Undo_Reset(kernel), 1);
    EXPECT_EQ(RasterImageCount(kernel), 2u);
    // A deletion made final frees the images once.
    ASSERT_EQ(Undo_DeleteOBJect(kernel, h), 1);
    ASSERT_EQ(Undo_SetNewStep(window, kernel, UNDO_OP_DELETE), 1);
    ASSERT_EQ(Undo_Reset(kernel), 1);
    EXPECT_EQ(RasterImageCount(kernel), 0u);
    EXPECT_EQ(GlobalBlockCount(), blocks);
}

TEST_F(RasterImagesTest, AKernelOfTheSelectionNamesNoImageOfTheSource)
{
    const OBJHANDLE h = rasterWithImage(64);
    const OBJHANDLE pick[] = {h};
    ASSERT_EQ(SetSelection(window, pick, 1, 0, 0), 1u);
    OBJectKernel *sel = KernFromSel(window);
    ASSERT_NE(sel, nullptr);
    bool found = false;
    for (OBJHANDLE o = 1; o < GetFirstFree(sel); ++o)
        if (GetOBJectClassID(sel, o) == CLASS_BITMAP) {
            found = true;
            EXPECT_EQ(RasterObjectImageIds(sel, o).header, 0u);
            EXPECT_EQ(RasterObjectImageIds(sel, o).pixels, 0u);
        }
    EXPECT_TRUE(found);
    KernelDelete(sel);
    EXPECT_NE(RasterImageBlock(kernel, RasterObjectImageIds(kernel, h).header), 0u);
}

} // namespace
