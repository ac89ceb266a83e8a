#include "engine/kernel/unimplemented.h"

#include "engine/kernel/debug_viewer.h"
#include "platform/debug_output.h"
#include "platform/debug_viewer_window.h"
#include "platform/global_memory.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class DebugViewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewer_ = CreateDebugViewerWindow();
        ASSERT_NE(viewer_, 0u);
        DebugOutputClear();
    }
    void TearDown() override { DestroyWindow(viewer_); }
    HWND viewer_ = 0;
};

TEST_F(DebugViewer, TextsReachTheViewerInSharedMemory)
{
    const size_t blocks = GlobalBlockCount();
    EXPECT_EQ(DebugMessage("hello"), 1);
    EXPECT_EQ(DebugMessage(std::string(2000, 'x').c_str()), 1);
    ASSERT_EQ(DebugOutputLines().size(), 2u);
    EXPECT_EQ(DebugOutputLines()[0], "hello");
    EXPECT_EQ(DebugOutputLines()[1], std::string(1023, 'x')) << "cut to the block";
    EXPECT_EQ(GlobalBlockCount(), blocks) << "the block is freed after sending";

    DestroyWindow(viewer_);
    EXPECT_EQ(DebugMessage("lost"), 0) << "no viewer, nothing sent";
    viewer_ = CreateDebugViewerWindow();
    EXPECT_EQ(DebugMessage("again"), 1) << "a new viewer is found";
    EXPECT_EQ(DebugOutputLines().back(), "again");
}

TEST_F(DebugViewer, StubsReportTheirDeclarationAndAnswerZero)
{
    const struct {
        std::function<bool()> call; // true when the answer was zero
        const char *declaration;
    } stubs[] = {
        {[] { return TabletPtToScreen(0, nullptr, nullptr, 0) == 0; },
         "int __stdcall TabletPtToScreen(struct HWND__ *,struct tagPOINT *,struct tagPOINT *,long)"},
        {[] { return TextObjectTextGet(nullptr, nullptr, 0) == 0; },
         "int __cdecl TextObjectTextGet(void *,char *,int)"},
        {[] { return z_DeleteSubBounds(nullptr, nullptr, 0) == nullptr; },
         "struct Z_BOUNDS * __stdcall z_DeleteSubBounds(void *,void *,unsigned short)"},
        {[] { return chDec() == 0; }, "char __stdcall chDec(void)"},
        {[] { return TOPLOG(0, 0, nullptr) == 0; },
         "int __stdcall TOPLOG (struct HWND__ *,struct HWND__ *,struct HWND__ * *)"},
        {[] { return OBJectSpaceBegin(static_cast<void *>(nullptr)) == nullptr; },
         "char * __stdcall OBJectSpaceBegin(void *)"},
        {[] { return SBNew(0, 1, 2, 3, 4, 5) == 0; },
         "struct HWND__ * __stdcall SBNew(struct HWND__ *,unsigned short,int,int,int,int)"},
        {[] { return TDLL_CreateBuffer() == nullptr; }, "void * __stdcall TDLL_CreateBuffer(void)"},
        {[] { return TextObjectCopy(nullptr, nullptr) == 0; },
         "int __stdcall TextObjectCopy(void * *,void *)"},
    };
    for (const auto &s : stubs) {
        DebugOutputClear();
        EXPECT_TRUE(s.call()) << s.declaration;
        ASSERT_EQ(DebugOutputLines().size(), 1u) << s.declaration;
        EXPECT_EQ(DebugOutputLines()[0], std::string("fn: ") + s.declaration + "\n");
    }
}

TEST(ChangeCounter, CountsSilently)
{
    DebugOutputClear();
    const uint32_t before = ChangeCounterValue();
    EXPECT_EQ(ChangeCounterBump(), 0);
    EXPECT_EQ(ChangeCounterBump(), 0);
    EXPECT_EQ(ChangeCounterValue(), before + 2);
    EXPECT_TRUE(DebugOutputLines().empty());
}

} // namespace
