#include "platform/clipboard.h"

#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/window.h"
#include "platform/window_messages.h"

#include <QClipboard>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <map>
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

TEST(ClipboardFormats, PredefinedIdsAndTheirMimeTypes)
{
    struct Case {
        UINT format;
        UINT id;
        const char *mime;
    };
    const Case cases[] = {
        {CF_TEXT, 1, "text/plain"},
        {CF_BITMAP, 2, "application/x-qt-image"},
        {CF_METAFILEPICT, 3, "application/x-map-cf-3"},
        {CF_ENHMETAFILE, 14, "image/svg+xml"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.format, c.id);
        EXPECT_EQ(ClipboardMimeType(c.format), c.mime);
    }
    EXPECT_EQ(ClipboardMimeType(RegisterClipboardFormatA("KRT Gorm 5.0")),
              "application/x-map-format-KRT%20Gorm%205.0");
    EXPECT_EQ(ClipboardMimeType(RegisterClipboardFormatA("rich text format")), "text/rtf");
    EXPECT_EQ(ClipboardMimeType(0), "");
    EXPECT_EQ(ClipboardMimeType(0xFFF0), "") << "never registered";
}

// An owner that renders on request and counts the requests by format.
class DelayedClipboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        native_ = RegisterClipboardFormatA("Test Native");
        owner_ = CreateHeadlessWindow([this](HWND, UINT msg, WPARAM w, LPARAM) -> LRESULT {
            if (msg != WM_RENDERFORMAT)
                return 0;
            const UINT format = UINT(w);
            ++renders_[format];
            if (format == CF_TEXT)
                SetClipboardData(CF_TEXT, blockOf(std::string("Rendered \xe9") + '\0'));
            else if (format == CF_BITMAP)
                SetClipboardData(CF_BITMAP, CreateBitmapOfSize(6, 4));
            else if (format == native_)
                SetClipboardData(native_, blockOf(std::string("\x00\x01native", 8)));
            if (emptyWhileRendering_)
                emptiedWhileRendering_ = EmptyClipboard();
            return 0;
        });
        reader_ = CreateHeadlessWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        ASSERT_TRUE(OpenClipboard(owner_));
        ASSERT_TRUE(EmptyClipboard());
        for (UINT format : {native_, CF_TEXT, CF_BITMAP})
            EXPECT_EQ(SetClipboardData(format, 0), 0u);
        ASSERT_TRUE(CloseClipboard());
    }
    void TearDown() override
    {
        while (CloseClipboard()) {
        }
        if (IsWindow(owner_))
            DestroyWindow(owner_);
        DestroyWindow(reader_);
        ASSERT_TRUE(OpenClipboard(reader_));
        EmptyClipboard();
        CloseClipboard();
    }
    int rendered() const
    {
        int n = 0;
        for (auto [format, count] : renders_)
            n += count;
        return n;
    }
    QByteArray qtData(const char *mime) const { return QGuiApplication::clipboard()->mimeData()->data(mime); }

    UINT native_ = 0;
    HWND owner_ = 0, reader_ = 0;
    std::map<UINT, int> renders_;
    bool emptyWhileRendering_ = false;
    BOOL emptiedWhileRendering_ = TRUE;
};

TEST_F(DelayedClipboard, AnnouncedFormatsRenderOnceWhenAsked)
{
    for (UINT format : {native_, CF_TEXT, CF_BITMAP})
        EXPECT_TRUE(IsClipboardFormatAvailable(format));
    const QStringList formats = QGuiApplication::clipboard()->mimeData()->formats();
    EXPECT_TRUE(formats.contains("text/plain"));
    EXPECT_TRUE(formats.contains("application/x-qt-image"));
    EXPECT_TRUE(formats.contains("application/x-map-format-Test%20Native"));
    EXPECT_EQ(rendered(), 0) << "listing the formats renders nothing";

    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Rendered \u00e9"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Rendered \u00e9"));
    EXPECT_EQ(renders_[CF_TEXT], 1) << "the rendered data stays";
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(6, 4));

    ASSERT_TRUE(OpenClipboard(reader_));
    const HGLOBAL native = GetClipboardData(native_);
    ASSERT_NE(native, 0u) << "a request of this process is sent at once";
    EXPECT_EQ(bytesOf(native), std::string("\x00\x01native", 8));
    EXPECT_EQ(GetClipboardData(CF_ENHMETAFILE), 0u) << "not announced";
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(rendered(), 3);
    EXPECT_EQ(GetClipboardOwner(), owner_);
}

TEST_F(DelayedClipboard, RequestsDuringOperationsAndNestedLoopsRenderNothing)
{
    {
        const ClipboardRenderBlock operation;
        EXPECT_TRUE(qtData("text/plain").isEmpty());
    }
    SetModalDialogHook([&](QDialog &, int) {
        EXPECT_TRUE(qtData("application/x-map-format-Test%20Native").isEmpty());
        return IDOK;
    });
    QDialog dialog;
    RunModalDialog(dialog, 1);
    SetModalDialogHook({});
    // A loop inside the plain event loop, as a dialog's exec would run.
    QEventLoop outer;
    QTimer::singleShot(0, &outer, [&] {
        QEventLoop inner;
        QTimer::singleShot(0, &inner, [&] {
            EXPECT_TRUE(qtData("text/plain").isEmpty());
            inner.quit();
        });
        inner.exec();
        outer.quit();
    });
    outer.exec();
    EXPECT_EQ(rendered(), 0);

    // The plain event loop serves the request.
    QTimer::singleShot(0, &outer, [&] {
        EXPECT_EQ(qtData("text/plain"), QByteArray("Rendered \xc3\xa9"));
        outer.quit();
    });
    outer.exec();
    EXPECT_EQ(rendered(), 1);
    {
        const ClipboardRenderBlock operation;
        ASSERT_TRUE(OpenClipboard(reader_));
        EXPECT_NE(GetClipboardData(native_), 0u) << "the program's own paste still renders";
        ASSERT_TRUE(CloseClipboard());
    }
}

TEST_F(DelayedClipboard, TheRendererTakesOnlyWhatWasAskedAndKeepsTheContents)
{
    emptyWhileRendering_ = true;
    ASSERT_TRUE(OpenClipboard(reader_));
    EXPECT_NE(GetClipboardData(CF_TEXT), 0u);
    EXPECT_FALSE(emptiedWhileRendering_);
    EXPECT_EQ(SetClipboardData(CF_ENHMETAFILE, 0), 0u);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_ENHMETAFILE)) << "only the owner announces";
    ASSERT_TRUE(CloseClipboard());
    EXPECT_TRUE(IsClipboardFormatAvailable(native_));
    // Data set outside a request while the clipboard is closed is refused.
    const HGLOBAL stray = blockOf("x");
    EXPECT_EQ(SetClipboardData(native_, stray), 0u);
    GlobalFree(stray);
}

TEST_F(DelayedClipboard, TheOwnerRendersEverythingOnceWhenItCloses)
{
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Rendered \u00e9"));
    DestroyWindow(owner_);
    EXPECT_EQ(renders_[CF_TEXT], 1);
    EXPECT_EQ(renders_[CF_BITMAP], 1);
    EXPECT_EQ(renders_[native_], 1);
    EXPECT_EQ(GetClipboardOwner(), 0u);
    EXPECT_EQ(qtData("application/x-map-format-Test%20Native"), QByteArray("\x00\x01native", 8));
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(6, 4));
    EXPECT_EQ(rendered(), 3) << "nothing asks the closed owner again";
}

TEST_F(DelayedClipboard, AnotherProgramTakingTheClipboardEndsTheAnnouncement)
{
    QGuiApplication::clipboard()->setText("theirs");
    EXPECT_EQ(GetClipboardOwner(), 0u);
    EXPECT_FALSE(IsClipboardFormatAvailable(native_));
    ASSERT_TRUE(OpenClipboard(reader_));
    EXPECT_EQ(GetClipboardData(native_), 0u);
    EXPECT_EQ(SetClipboardData(native_, 0), 0u) << "no owner to answer for it";
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(rendered(), 0);
}

} // namespace
