// The entry points of converter modules: the signatures the engine calls
// them with and the names it binds them by. Modules define them extern "C".
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

class FileStream;

// Imports the file into the map window's document. shared points to an
// integer that all files chosen in one dialog run share (starting at 0), or
// is null; sheet is the caller's data sheet window or 0. Non-zero when the
// file was imported.
using GormImportFn = int (*)(HWND map, const char *fileName, int *shared, HWND sheet);
// Writes the document of the map window, from its Layers root, to the file;
// the export's result.
using GormExportFn = int (*)(HWND map, const char *fileName, OBJHANDLE *layersRoot, HWND sheet);
// The options of an import or export converter: the file dialog that asks
// (0 when called without one), the map window, and a buffer of size bytes
// holding the current file name, which the entry may replace by a new
// zero-terminated name.
using GormOptionsFn = int (*)(HWND dialog, HWND map, char *buffer, uint32_t size);
// Pastes the engine's native clipboard stream into the map window:
// atCopiedPlace 1 keeps the copied coordinates, 0 puts the top-left corner
// of what is pasted on the point (x, y).
using GormClipbImportFn = int (*)(HWND map, FileStream *stream, int reserved, int atCopiedPlace, int32_t x,
                                  int32_t y);
// Why the module's last call failed, or an empty text.
using GormConverterLastErrorFn = const char *(*)();

inline constexpr const char *kGormImportEntry = "GormImport";
inline constexpr const char *kGormImportOptionsEntry = "GormImportOptions";
inline constexpr const char *kGormExportEntry = "GormExport";
inline constexpr const char *kGormExportOptionsEntry = "GormExportOptions";
inline constexpr const char *kGormClipbImportEntry = "GormClipbImport";
inline constexpr const char *kGormConverterLastErrorEntry = "GormConverterLastError";

// The native clipboard reader module.
inline constexpr const char *kNativeReaderModule = "mpd5.cnv";
