// The import and export converter service: map documents read from and
// written to foreign formats through the converter modules registered
// under "Converters\Imports" and "Converters\Exports", with the file dialog
// of the converters or for a converter and a file given by name.
#pragma once

#include "platform/types.h"

#include <string>

// Result codes of ImportServiceEx and ExportServiceEx.
inline constexpr long CONVERT_DONE = 0;
inline constexpr long CONVERT_DIALOG_FAILED = 1;
inline constexpr long CONVERT_NO_NAME = 2;
inline constexpr long CONVERT_NO_FILE = 3;
inline constexpr long CONVERT_UNKNOWN = 4;
inline constexpr long CONVERT_NOT_LOADED = 6;

extern "C" {
// The import dialog: 1 when the converter was called for the chosen files
// (the last call's result), 0 when cancelled or no converter is usable.
int ImportService(HWND map, HWND sheet);
// The export dialog: the export entry's result; 0 when cancelled or no
// converter is usable.
int ExportService(HWND map, HWND sheet);
// A converter and a file by name: the codes above. With showDialog, an
// empty name runs the dialog form and a converter with options shows them
// first. The name is compared with the registered names upper-cased.
long ImportServiceEx(HWND map, const char *converter, const char *fileName, int showDialog);
long ExportServiceEx(HWND map, const char *converter, const char *fileName, int showDialog);
}

// One file through the module of the given full path: 1 when its import
// entry was called (the view and the page are then fitted to the map), 0
// when the module could not be loaded (with a message) or lacks the entry.
int ImportFileThroughConverter(HWND map, const std::string &fileName, const std::string &modulePath,
                               HWND sheet, int *shared);
// The export entry's result; 0 when the module cannot be loaded or lacks it.
int ExportFileThroughConverter(HWND map, const std::string &fileName, const std::string &modulePath,
                               HWND sheet);
