#include "platform/clipboard.h"

#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/window.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

namespace {

HGLOBAL blockOf(const std::string &bytes)
{
    const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes.size());
    std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

std::string bytesOf(HGLOBAL h)
{
    const char *p = static_cast<const char *>(GlobalLock(h));
    std::string s(p, GlobalSize(h));
    GlobalUnlock(h);
    return s;
}

class Clipboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_ = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        other_ = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    }
    void TearDown() override
    {
        while (CloseClipboard()) {
        }
        DestroyWindow(window_);
        DestroyWindow(other_);
    }
    HWND window_ = 0, other_ = 0;
};

TEST_F(Clipboard, RegisteredFormatsHaveStableIds)
{
    const UINT link = RegisterClipboardFormatA("Test Link");
    EXPECT_GE(link, CF_FIRST_REGISTERED);
    EXPECT_EQ(RegisterClipboardFormatA("TEST LINK"), link);
    EXPECT_NE(RegisterClipboardFormatA("Test Other"), link);
    EXPECT_EQ(RegisterClipboardFormatA(""), 0u);
    char name[6];
    EXPECT_EQ(GetClipboardFormatNameA(link, name, sizeof name), 5);
    EXPECT_STREQ(name, "Test ");
    EXPECT_EQ(GetClipboardFormatNameA(CF_TEXT, name, sizeof name), 0);
}

TEST_F(Clipboard, OneHolderAtATimeAndBoundedRetry)
{
    ASSERT_TRUE(OpenClipboard(other_));
    EXPECT_EQ(GetOpenClipboardWindow(), other_);
    EXPECT_FALSE(OpenClipboard(window_));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(OpenClipboardRetry(window_, 3, 5)) << "gives up after its attempts";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_TRUE(OpenClipboardRetry(window_, 3, 5));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard()) << "already closed";
}

TEST_F(Clipboard, DataNeedsTheClipboardOpen)
{
    const HGLOBAL h = blockOf("x");
    EXPECT_EQ(SetClipboardData(CF_TEXT, h), 0u);
    EXPECT_EQ(GlobalFree(h), 0u) << "a refused handle stays the caller's";
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_EQ(GetClipboardData(CF_TEXT), 0u);
}

TEST_F(Clipboard, TextAndOwnFormatsArePublishedAndFreed)
{
    const size_t blocksBefore = GlobalBlockCount();
    const UINT link = RegisterClipboardFormatA("Test Link");
    ASSERT_TRUE(OpenClipboard(window_));
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_EQ(GetClipboardOwner(), window_);
    const HGLOBAL text = blockOf(std::string("Caf\xe9\tA\n", 7) + '\0');
    const HGLOBAL data = blockOf(std::string("\x01\x00\x02", 3));
    EXPECT_EQ(SetClipboardData(CF_TEXT, text), text);
    EXPECT_EQ(SetClipboardData(link, data), data);
    EXPECT_EQ(GetClipboardData(CF_TEXT), text);
    ASSERT_TRUE(CloseClipboard());

    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(link));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Caf\u00e9\tA\n"))
        << "Windows-1252 text reaches Qt";

    ASSERT_TRUE(OpenClipboard(window_));
    EXPECT_EQ(bytesOf(GetClipboardData(link)), std::string("\x01\x00\x02", 3));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(CloseClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(link));
    EXPECT_EQ(GlobalBlockCount(), blocksBefore) << "emptying frees the data";
}

TEST_F(Clipboard, AnotherProgramsTextIsConvertedAndEndsOurOwnership)
{
    ASSERT_TRUE(OpenClipboard(window_));
    ASSERT_TRUE(EmptyClipboard());
    SetClipboardData(CF_TEXT, blockOf(std::string("ours") + '\0'));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(GetClipboardOwner(), window_);

    QGuiApplication::clipboard()->setText(QString::fromUtf8("x\ty \u20ac"));
    EXPECT_EQ(GetClipboardOwner(), 0u);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    ASSERT_TRUE(OpenClipboard(window_));
    const HGLOBAL h = GetClipboardData(CF_TEXT);
    ASSERT_NE(h, 0u);
    EXPECT_STREQ(static_cast<const char *>(GlobalLock(h)), "x\ty \x80") << "the euro sign in Windows-1252";
    GlobalUnlock(h);
    EXPECT_EQ(GetClipboardData(CF_TEXT), h) << "converted once";
    ASSERT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, RichTextTravelsUnderItsCommonType)
{
    const UINT rtf = RegisterClipboardFormatA("Rich Text Format");
    auto *mime = new QMimeData;
    mime->setData("text/rtf", QByteArray("{\\rtf1 other}"));
    QGuiApplication::clipboard()->setMimeData(mime);
    EXPECT_TRUE(IsClipboardFormatAvailable(rtf));
    ASSERT_TRUE(OpenClipboard(window_));
    const HGLOBAL theirs = GetClipboardData(rtf);
    ASSERT_NE(theirs, 0u);
    EXPECT_EQ(bytesOf(theirs), "{\\rtf1 other}");

    ASSERT_TRUE(EmptyClipboard());
    SetClipboardData(rtf, blockOf("{\\rtf1 ours}"));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data("text/rtf"), QByteArray("{\\rtf1 ours}"));
    ASSERT_TRUE(OpenClipboard(window_));
    EmptyClipboard();
    CloseClipboard();
}

TEST_F(Clipboard, BitmapsBothWays)
{
    const HBITMAP bitmap = CreateBitmapOfSize(7, 5);
    ASSERT_TRUE(OpenClipboard(window_));
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_EQ(SetClipboardData(CF_BITMAP, bitmap), bitmap);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(7, 5));

    QImage image(3, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(image);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(GetObjectType(bitmap), 0u) << "our bitmap went with our contents";
    ASSERT_TRUE(OpenClipboard(window_));
    const HBITMAP pasted = GetClipboardData(CF_BITMAP);
    ASSERT_NE(pasted, 0u);
    EXPECT_EQ(GetBitmapImage(pasted).size(), QSize(3, 4));
    EXPECT_EQ(GetBitmapImage(pasted).pixel(1, 1), QColor(Qt::red).rgb());
    ASSERT_TRUE(CloseClipboard());
}

} // namespace
