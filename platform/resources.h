// Resources of a module: its string table, cursors, icons and bitmaps.
//
// Each module's resources sit in a folder of their own: a folder of Qt's
// resource system (":/...", compiled into the module) or a folder on disk.
// A module names its folder with SetModuleResourceFolder when it starts;
// others default to ":/resources/<name>", the name being the module's file
// name without a "lib" prefix and without extension. The folder holds:
//   strings.txt          lines "id<TAB>text" (UTF-8; \t, \n and \\ escapes;
//                        blank lines and lines starting with '#' are skipped)
//   cursors/<id>.png|xpm cursor images; cursors/hotspots.txt has lines
//                        "id<TAB>x<TAB>y" (the centre when missing)
//   icons/<id>.png|xpm   icon images
//   bitmaps/<name>.png|xpm|bmp
#pragma once

#include "platform/types.h"

#include <QCursor>
#include <QImage>
#include <string>

// System cursors (LoadCursorA with instance 0).
inline constexpr UINT IDC_ARROW = 32512;
inline constexpr UINT IDC_IBEAM = 32513;
inline constexpr UINT IDC_WAIT = 32514;
inline constexpr UINT IDC_CROSS = 32515;
inline constexpr UINT IDC_UPARROW = 32516;
inline constexpr UINT IDC_SIZENWSE = 32642;
inline constexpr UINT IDC_SIZENESW = 32643;
inline constexpr UINT IDC_SIZEWE = 32644;
inline constexpr UINT IDC_SIZENS = 32645;
inline constexpr UINT IDC_SIZEALL = 32646;
inline constexpr UINT IDC_NO = 32648;
inline constexpr UINT IDC_HAND = 32649;
inline constexpr UINT IDC_APPSTARTING = 32650;
// System icons (LoadIconA with instance 0).
inline constexpr UINT IDI_APPLICATION = 32512;

void SetModuleResourceFolder(HINSTANCE module, const std::string &folder);
std::string ModuleResourceFolder(HINSTANCE module);

// Copies string id of the module's table, cut to size - 1 characters, with
// a terminating zero; returns the characters copied, 0 (and an empty text)
// when the string does not exist.
int LoadStringA(HINSTANCE module, UINT id, char *buffer, int size);

// Cursors and icons are loaded once: loading the same resource again gives
// the same handle, as the system's shared cursors do. Instance 0 with an
// IDC_ or IDI_ number gives a system cursor or icon. 0 when not found.
HCURSOR LoadCursorA(HINSTANCE module, UINT id);
HICON LoadIconA(HINSTANCE module, UINT id);
// An icon named by text (icons/<name>.png|xpm), loaded once like the
// numbered ones; 0 when not found or the name is not a plain file name.
HICON LoadIconA(HINSTANCE module, const char *name);
// A new bitmap (the caller deletes it with DeleteObject); 0 when not found.
HBITMAP LoadBitmapA(HINSTANCE module, const char *name);

// What a widget needs of a cursor or icon handle. A system cursor has a
// shape and no image; a null image and Qt::ArrowCursor for a bad handle.
// CursorFromHandle needs a QGuiApplication.
bool IsCursorHandle(HCURSOR cursor);
Qt::CursorShape CursorShapeOf(HCURSOR cursor); // Qt::BitmapCursor for images
QImage CursorImage(HCURSOR cursor);
QPoint CursorHotSpot(HCURSOR cursor);
QCursor CursorFromHandle(HCURSOR cursor);
QImage IconImage(HICON icon);
