// The Edit menu's Cut, Copy, Paste and Paste Here: enabled by the selection
// and by map objects on the system clipboard, sending the control's
// clipboard commands, and carrying objects from one map to another.
#include "tools_fixture.h"

#include "editor/shell/tools/copy_paste_tool.h"

#include "platform/global_memory.h"

#include <cstring>

namespace {

// The clipboard emptied, then holding a block of map objects in the control's
// format when asked (its bytes are not read here).
void SetClipboardMapObjects(bool objects)
{
    ASSERT_TRUE(OpenClipboard(0));
    ASSERT_TRUE(EmptyClipboard());
    if (objects) {
        const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
        ASSERT_NE(block, 0u);
        std::memset(GlobalLock(block), 0, 8);
        GlobalUnlock(block);
        ASSERT_NE(SetClipboardData(RegisterClipboardFormatA("KRT Gorm 5.0"), block), 0u);
    }
    ASSERT_TRUE(CloseClipboard());
}

constexpr uint8_t kCut = 52, kCopyObjects = 53, kCopy = 54, kPaste = 55, kPasteHere = 56;

} // namespace

TEST(CopyPasteWithoutMap, NothingIsEnabledAndNothingIsSent)
{
    TToolMgr mgr(Catalogue());
    SetClipboardMapObjects(true);
    for (uint8_t id : {kCut, kCopyObjects, kCopy, kPaste, kPasteHere, uint8_t(205), uint8_t(209)}) {
        EXPECT_FALSE(mgr.GetState(id)) << int(id);
        EXPECT_TRUE(mgr.ToolClick(nullptr, id)) << int(id);
    }
    EXPECT_FALSE(mgr.GetState(57)) << "pasting into a new map is not a command";
    SetClipboardMapObjects(false);
}

class CopyPasteTest : public ToolsTest {};

TEST_P(CopyPasteTest, CopiesNeedASelectionAndPastesMapObjectsOnTheClipboard)
{
    struct Case {
        bool selected;
        bool objectsOnClipboard;
        bool bitmapOnClipboard;
        bool copies; // 52, 53, 54
        bool pastes; // 55, 56, 205, 209
    };
    const Case cases[] = {
        {false, false, false, false, false}, {true, false, false, true, false},
        {false, true, false, false, true},   {true, true, false, true, true},
        {false, false, true, false, false}, // a picture is no map data
    };
    const IKrtObject line = Square(0, 0, false);
    for (const Case &c : cases) {
        line.PutIsSelected(c.selected);
        if (c.bitmapOnClipboard)
            SetClipboardBitmap(true);
        else
            SetClipboardMapObjects(c.objectsOnClipboard);
        const std::string what = std::to_string(c.selected) + std::to_string(c.objectsOnClipboard);
        for (uint8_t id : {kCut, kCopyObjects, kCopy})
            EXPECT_EQ(mgr->GetState(id), c.copies) << int(id) << " " << what;
        for (uint8_t id : {kPaste, kPasteHere, uint8_t(205), uint8_t(209)})
            EXPECT_EQ(mgr->GetState(id), c.pastes) << int(id) << " " << what;
    }
    // The page is no object to cut; copying it stays possible.
    line.PutIsSelected(true);
    map->SelectionTypes[otPage] = true;
    EXPECT_FALSE(mgr->GetState(kCut));
    EXPECT_TRUE(mgr->GetState(kCopy));
    SetClipboardMapObjects(false);
}

TEST_P(CopyPasteTest, EachSendsTheControlsClipboardCommand)
{
    Square(0, 0, true);
    EventLog log;
    map->Subscribe<&EventLog::On<15>>(15, &log);
    for (uint8_t id : {kCopy, kCopyObjects, kPaste, kPasteHere, kCut})
        EXPECT_TRUE(mgr->ToolClick(nullptr, id)) << int(id);
    EXPECT_EQ(log.commands, (std::vector<int32_t>{415, 415, 448, 458, 446}));
}

TEST_P(CopyPasteTest, ObjectsCopiedInOneMapArePastedIntoAnother)
{
    if (IsFake())
        GTEST_SKIP() << "the fake control keeps its copies to itself, not on the system clipboard";
    SetClipboardMapObjects(false);
    Square(0, 0, true, true);
    Square(300, 0, true);
    ASSERT_EQ(map->SelectedCount(), 2);
    const int32_t inFirst = map->Control().MapObjects().Count();
    ASSERT_TRUE(mgr->GetState(kCopy));
    ASSERT_TRUE(mgr->ToolClick(nullptr, kCopy));
    EXPECT_TRUE(ClipboardHoldsMapObjects());

    QWidget secondTab;
    secondTab.resize(400, 300);
    TPMap second(&secondTab, ClassOf(GetParam()));
    mgr->SetMap(&second);
    const int32_t before = second.Control().MapObjects().Count();
    ASSERT_TRUE(mgr->GetState(kPaste)) << "the other map's copy is on the clipboard";
    ASSERT_TRUE(mgr->ToolClick(nullptr, kPaste));
    EXPECT_EQ(second.Control().MapObjects().Count(), before + 2);
    EXPECT_EQ(second.SelectedCount(), 2) << "the pasted objects are selected";
    EXPECT_EQ(map->Control().MapObjects().Count(), inFirst) << "the first map keeps its own";
    mgr->SetMap(map.get());

    // A cut takes them from the first map; they paste back.
    ASSERT_TRUE(mgr->ToolClick(nullptr, kCut));
    EXPECT_EQ(map->Control().MapObjects().Count(), inFirst - 2);
    ASSERT_TRUE(mgr->GetState(kPaste));
    ASSERT_TRUE(mgr->ToolClick(nullptr, kPaste));
    EXPECT_EQ(map->Control().MapObjects().Count(), inFirst);
    SetClipboardMapObjects(false);
}

INSTANTIATE_TEST_SUITE_P(Controls, CopyPasteTest, ::testing::ValuesIn(ControlKinds()), KindName);
