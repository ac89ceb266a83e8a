// The clipboard: formats with data handles, as the engine expects them, over
// Qt's clipboard. Data set here is published to QClipboard at once, so other
// programs see it; data another program put there is converted on request.
// Without a QGuiApplication (tools, tests without a GUI) the clipboard lives
// in this process only.
//
// Data handles: CF_BITMAP carries an HBITMAP; every other format an HGLOBAL.
// The clipboard owns the handles it was given and frees them when it is
// emptied or the format is set again; handles it returns stay its own.
#pragma once

#include "platform/types.h"

#include <string>

inline constexpr UINT CF_TEXT = 1;         // zero-terminated Windows-1252 text
inline constexpr UINT CF_BITMAP = 2;       // an HBITMAP
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
// open or the handle is 0 (rendering on request is not offered).
HGLOBAL SetClipboardData(UINT format, HGLOBAL data);

// The id of a named format, the same for names that differ only in case;
// ids start at CF_FIRST_REGISTERED. 0 for an empty name.
UINT RegisterClipboardFormatA(const char *name);
// The name of a registered format, cut to size - 1 characters; the number of
// characters copied, 0 for a format that was not registered.
int GetClipboardFormatNameA(UINT format, char *buffer, int size);
