// The map document file (".mpd") and the engine's native clipboard stream:
// a header, the document records (bank words, kernel counters, page setup,
// the view's projection) and every object block as it lies in the bank, each
// in the slot it came from. Also the helpers of saving: a kernel built from
// the selection, the compression of a kernel's slot table and the file
// dialog of map documents.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class FileStream;
class MemoryFile;
struct FileDialogRequest;

// ---------------------------------------------------------------------------
// Stored layout

struct MapFileHeader {
    char letter; // 'O'
    uint8_t reserved[3];
    int32_t word4;     // 1
    int32_t word8;     // 2 file, 1 clipboard stream
    int32_t word12;    // 2 file, 1 clipboard stream
    int32_t word16;    // -1
    int32_t word20;    // -1
    uint8_t extra[96]; // zero; a page copy puts "page", rectangles, margins here
};
static_assert(sizeof(MapFileHeader) == 120);
static_assert(offsetof(MapFileHeader, word8) == 8 && offsetof(MapFileHeader, extra) == 24);

// Offsets inside MapFileHeader::extra of a page copy.
inline constexpr size_t MAPFILE_PAGE_RECTS = 4;    // eight signed words
inline constexpr size_t MAPFILE_PAGE_MARGINS = 36; // left, top, right, bottom

struct MapRecordHead {
    uint8_t kind;
    uint8_t reserved[3];
    uint32_t length; // bytes of the body
    uint32_t tag;    // document record: its tag; object record: its handle
};
static_assert(sizeof(MapRecordHead) == 12);

inline constexpr uint8_t MAPREC_OBJECT = 1;
inline constexpr uint8_t MAPREC_DOCUMENT = 2;
inline constexpr uint8_t MAPREC_END = 3;

inline constexpr uint32_t MAPDOC_KERNEL = 1;    // 516 bytes
inline constexpr uint32_t MAPDOC_VIEW = 2;      // 868 bytes
inline constexpr uint32_t MAPDOC_BANK = 4;      // 20 bytes
inline constexpr uint32_t MAPDOC_PAGESETUP = 5; // 96 bytes
inline constexpr uint32_t MAPDOC_KERNEL_SIZE = 516;
inline constexpr uint32_t MAPDOC_VIEW_SIZE = 868;
inline constexpr uint32_t MAPDOC_BANK_SIZE = 20;
inline constexpr uint32_t MAPDOC_PAGESETUP_SIZE = 96;

// The window record's page-setup block: paper name, then signed words.
inline constexpr size_t PAGESETUP_NAME_SIZE = 64;
inline constexpr size_t PAGESETUP_MARGINS = 72; // left, top, right, bottom, 0.1 mm

// The raster class keeps the memory handles of its loaded image at these
// offsets of its fixed data; a file never carries them.
inline constexpr size_t RASTER_IMAGE_HANDLE1 = 44;
inline constexpr size_t RASTER_IMAGE_HANDLE2 = 48;

// The preview bit of a Layer's flag word at offset 36 of its fixed data.
inline constexpr uint16_t LAYER_PREVIEW_FLAG = 0x4000;

// Commands of the clipboard stream.
inline constexpr int MAPCLIP_CUT = 201;
inline constexpr int MAPCLIP_COPY = 202;
inline constexpr int MAPCLIP_MAP = 203;
inline constexpr int MAPCLIP_PAGE = 210;

// The largest slot table a document may ask for: it bounds the memory a
// damaged file can make the reader take.
inline constexpr uint32_t MAPFILE_MAX_SLOTS = 1u << 24;

// ---------------------------------------------------------------------------
// Saving

// The save dialog of map documents: the chosen path, or nothing when
// cancelled; the "Save Selection" check box's state goes to saveSelection.
// Without a hook the dialog is cancelled (there is no save dialog with a
// check box to show yet); tests answer it through the hook.
using MapSaveDialogHook =
    std::function<std::optional<std::string>(const FileDialogRequest &, int *saveSelection)>;
MapSaveDialogHook SetMapSaveDialogHook(MapSaveDialogHook hook);
std::optional<std::string> ShowMapSaveDialog(const FileDialogRequest &request, int *saveSelection);

// 1 when the user confirmed a file name, 0 when cancelled. The save form
// (open = 0) offers "Save Selection"; its state goes to selectionOnly.
int GetMapFileNameDlg(HWND window, int open, std::string *name, int *selectionOnly);
// 1 the map was saved, 2 the selection was saved, 0 nothing was saved. The
// file is replaced only when the whole document was written.
int MapSaveInt(HWND window, const char *fileName, int selectionOnly);
int MapSave(HWND window, const char *fileName);
int MapSaveSelection(HWND window, const char *fileName);
// Writes the clipboard stream of a command into the memory file: 1 the map
// or page, 2 the selection, 0 nothing. Never changes the modified flag.
int MapSaveToClipboard(HWND window, MemoryFile &file, int command);

// ---------------------------------------------------------------------------
// Reading

// 1 when the file was read and its kernel installed in the window record;
// 0 with the window record unchanged. The root and the kernel go to the
// outputs that are not null.
int ReadMapToKern(HWND window, const char *fileName, OBJHANDLE *root, OBJectKernel **kernel,
                  int showProgress);
// The same over any stream (clipboard data). With window 0 the kernel is
// only handed out (the caller deletes it). error receives why a stream was
// refused.
int ReadMapFromStream(HWND window, FileStream &stream, OBJHANDLE *root, OBJectKernel **kernel,
                      int showProgress, std::string *error);
// Why the last read on this thread was refused; empty after a success.
const std::string &MapFileLastError();
// The reason a read gives for a file that does not begin as a map document of
// this version (too short, or another first letter): a document of an older
// version, for the reader of older documents, or no document at all.
inline constexpr const char *MAPFILE_NOT_A_DOCUMENT = "The file is not a map document.";
// Clears the preview flag of every layer of the document.
void ResetPreview(OBJectKernel *kernel, OBJHANDLE root);

// ---------------------------------------------------------------------------
// Kernels from the selection, compression

int CopyToBank(OBJectKernel *kernel, OBJHANDLE handle, BankDesc *bank);
int CopyTree(OBJectKernel *kernel, OBJHANDLE handle, BankDesc *bank);
uint32_t GetFirstFree(OBJectKernel *kernel);
// A new kernel with the selected objects and the structure they need; the
// caller deletes it with KernelDelete. Null without a window kernel.
OBJectKernel *KernFromSel(HWND window);
// Closes the holes of the window kernel's slot table; stores the root's new
// handle in the window record. 1.
int CompressKernel(HWND window);
// The routine under CompressKernel: renumbers references and the handles the
// selection list and the undo list keep; returns the root's new handle.
OBJHANDLE CompressKernelWithRoot(OBJectKernel *kernel, OBJHANDLE root);
