// The engine library's start-up and the services that hang on its instance:
// strings of its string table, the cursors and icons it hands out by number,
// the marker bitmaps, and its two error message boxes.
//
// Start-up runs once, when libmap.so is loaded (a static initialiser calls
// MapLibraryStartup), before any kernel exists. A program that links the
// engine statically calls MapLibraryStartup itself; it does the work once.
#pragma once

#include "platform/types.h"

#include <exception>
#include <string>

struct _WNDRES;

inline constexpr int GDI_OBJECT_COUNT = 23;
inline constexpr int MARKER_BITMAP_COUNT = 5;
// The two 7 x 7 selection marks among the marker bitmaps, drawn inverting.
inline constexpr int MARKER_FULL_SQUARE = 3;
inline constexpr int MARKER_CROSS = 4;
inline constexpr int SELECTION_MARK_SIZE = 7;

// Runs the start-up once (later calls do nothing); 1 when the class table
// was registered.
int MapLibraryStartup();
// Deletes the marker bitmaps (runs when the library is unloaded).
void MapLibraryExit();

// The library's instance handle (its module; 0 when the engine is part of
// the program itself).
HINSTANCE MapInstance();

// String id of the library's string table, cut to size - 1 characters with
// a terminating zero; the characters copied, 0 when there is no such string.
int LoadStringMap(unsigned id, char *buffer, int size);
// The string of that id (at most 511 characters), or the fallback when the
// table has none.
std::string LoadStringMapOr(unsigned id, const char *fallback);

// Cursor or icon number 0 to 22 (GDI_OBJECT_COUNT); 0 outside, for 7 and
// for a resource that could not be loaded.
HCURSOR GetGDIObject(int number);

// Marker bitmaps in order "square", "circle", "triangle", "full_sq",
// "crossbmp"; 0 outside 0-4 or after the library's exit.
HBITMAP MarkerBitmap(int index);

// The engine settings sheet for the window record; its modal result.
int DoGormDefaultSettings(_WNDRES *record);

// The calling thread's last system error as text, in a message box with the
// information icon.
void GormLastErrorMessageBox();
// text immediately followed by the exception's message (at most 260
// characters) in a message box with the stop icon.
void GormExceptionMessage(const std::exception &exception, const char *text);
