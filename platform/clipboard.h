// The clipboard: formats with data handles, as the engine expects them, over
// Qt's clipboard. EmptyClipboard publishes a new clipboard contents object to
// QClipboard; the formats set or announced afterwards join it, so other
// programs see them; data another program put there is converted on request.
// Without a QGuiApplication (tools, tests without a GUI) the clipboard lives
// in this process only.
//
// Data handles: CF_BITMAP carries an HBITMAP; every other format an HGLOBAL.
// The clipboard owns the handles it was given and frees them when it is
// emptied or the format is set again; handles it returns stay its own.
//
// Delayed rendering: the owner (the window that emptied the clipboard) may
// announce a format with SetClipboardData(format, 0). Its data is made only
// when asked for: the clipboard sends WM_RENDERFORMAT (wParam: the format)
// to the owner, whose handler calls SetClipboardData(format, data); the data
// then stays and later requests are answered from it. A request of this
// process (GetClipboardData) is sent at once. A request of another program,
// or of Qt's clipboard in this process, is sent on the GUI thread from its
// plain event loop only: one arriving in a nested event loop (a modal
// dialog's, the pump of a long job) or while a ClipboardRenderBlock lives
// (an operation is running) renders nothing, and neither does one arriving
// while another rendering runs. When the owner window is destroyed, every
// format still announced is rendered once, and the rest is dropped.
//
// Mime types on Qt's side: CF_TEXT is text/plain (converted from and to
// Windows-1252), CF_BITMAP an image (Qt offers it as image/png, image/bmp
// and its other image types), CF_ENHMETAFILE an SVG document
// (image/svg+xml). A registered format travels under one rule:
// "application/x-map-format-" followed by its name as first registered,
// percent-encoded (RFC 3986: letters, digits and "-._~" stay as they are),
// so "KRT Gorm 5.0" is "application/x-map-format-KRT%20Gorm%205.0"; the one
// exception is "Rich Text Format", which is text/rtf, so that other
// programs' rich text is seen and ours is understood. Other predefined
// formats are "application/x-map-cf-<number>".
#pragma once

#include "platform/types.h"

#include <string>

inline constexpr UINT CF_TEXT = 1;         // zero-terminated Windows-1252 text
inline constexpr UINT CF_BITMAP = 2;       // an HBITMAP
inline constexpr UINT CF_METAFILEPICT = 3; // an HGLOBAL of a picture (not converted)
inline constexpr UINT CF_ENHMETAFILE = 14; // an HGLOBAL of a vector picture (SVG)
inline constexpr UINT CF_FIRST_REGISTERED = 0xC000;

// Opens the clipboard for the window (0: for the calling thread). FALSE
// while another window or thread holds it open.
BOOL OpenClipboard(HWND owner);
// Tries OpenClipboard at most attempts times, waiting intervalMs between
// tries, so that a program that keeps the clipboard open cannot hold the
// caller forever.
BOOL OpenClipboardRetry(HWND owner, int attempts, int intervalMs);
BOOL CloseClipboard();
// The window that holds the clipboard open; 0 when it is closed or held by
// a thread without a window.
HWND GetOpenClipboardWindow();

// Frees the data held and makes the window that opened the clipboard its
// owner. Needs the clipboard open by the caller.
BOOL EmptyClipboard();
// The window that emptied the clipboard last, while its data is still there;
// 0 once another program has changed it.
HWND GetClipboardOwner();

BOOL IsClipboardFormatAvailable(UINT format);
// The format's data, or 0. Needs the clipboard open.
HGLOBAL GetClipboardData(UINT format);
// Takes ownership of the handle and returns it; 0 when the clipboard is not
// open by the caller. Inside the owner's WM_RENDERFORMAT handler the data is
// taken without the clipboard being open. A handle of 0 announces the format
// for delayed rendering (the answer is then 0 too); only the owner may
// announce, IsClipboardFormatAvailable tells whether it did.
HGLOBAL SetClipboardData(UINT format, HGLOBAL data);
// The mime type a format travels under on Qt's side (rule above); empty for
// 0 and for an id that is neither predefined nor registered.
std::string ClipboardMimeType(UINT format);

// While one of these lives on the GUI thread, an operation is running:
// requests from outside this process render nothing (the caller gets no
// data). Modal dialogs and the pending-message pump hold one.
class ClipboardRenderBlock {
public:
    ClipboardRenderBlock();
    ~ClipboardRenderBlock();
    ClipboardRenderBlock(const ClipboardRenderBlock &) = delete;
    ClipboardRenderBlock &operator=(const ClipboardRenderBlock &) = delete;
};
// Whether a request from outside would be refused on the calling thread now.
bool ClipboardRenderRefused();

// Called by DestroyWindow before the window's WM_DESTROY: when the window
// owns the clipboard, renders its announced formats once each and ends its
// ownership. The data stays on the clipboard.
void ClipboardOwnerDestroying(HWND window);

// The id of a named format, the same for names that differ only in case;
// ids start at CF_FIRST_REGISTERED. 0 for an empty name.
UINT RegisterClipboardFormatA(const char *name);
// The name of a registered format, cut to size - 1 characters; the number of
// characters copied, 0 for a format that was not registered.
int GetClipboardFormatNameA(UINT format, char *buffer, int size);
