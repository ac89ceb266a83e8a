// Small services of the engine's user interface: a path helper, the
// initialisation-file browse dialog, the test whether the clipboard text is
// a table, and the GUI record of a map window.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <string_view>

struct _GUI;

// Cuts the path in place after its last folder separator ("\", "/" or ":",
// which stays) and returns the new length; a bare file name becomes empty.
int DirFromPath(char *path);

// An open-file dialog for an existing initialisation file. title and filter
// (pairs "description|patterns|...") may be null for the library's own.
// With an out buffer the path is copied into it (1), or 0 is returned when
// it does not fit. 1 when a file was chosen, else 0. A control id is not
// filled in: windows have no child controls here, so callers pass 0.
int BrowseIniFile(HWND owner, int controlId, const char *initialPath, const char *title, const char *filter,
                  char *out, int outSize);

// The library keeps no MDI client window: 0.
HWND GetMdiClientWnd();

// 1 when the text (up to a zero or length characters) is a table of TAB
// separated cells with at least one row and two columns, every row of the
// first row's width; rows, columns and a header flag (the first row has no
// cell that starts with a number, and more rows follow) are given back.
int TabTextTableScan(const char *text, size_t length, int *rows, int *columns, int *header);
// 1 when the text starts, after blanks, with a digit or a sign and a digit.
int TextStartsWithNumber(std::string_view text);
// 1 when the clipboard holds text that TabTextTableScan takes for a table.
int ClipboardLinkTextAvailable();

// The GUI record of a map window: 0 when the window is not a window, the
// out pointer is null or there is no memory; else 1 with *record set.
int newGUI(HWND window, _GUI **record);
// 0 for a null record, else 1.
int deleteGUI(_GUI *record);
