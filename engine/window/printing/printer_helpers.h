// Small services over the printers: the names in a device-names block, the
// papers a printer offers with their names and sizes, the table of standard
// paper names, the printer's physical sheet and printable area in tenths of
// a millimetre, the page set-up of a new window from its printer
// (VP_Default) and the printer chooser (ChoosePrinter).
#pragma once

#include "engine/kernel/window_record.h"
#include "platform/printers.h"
#include "platform/types.h"

#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Names. The buffers (each may be null) take at most 63 characters and a
// terminator. 0 when the block cannot be read.
int PrinterNamesGet(HGLOBAL devNames, char *device, char *port, char *driver);
// The same into the scratch record of a window.
int PrinterNamesToStatics(HGLOBAL devNames, _STATICS *statics);

// ---------------------------------------------------------------------------
// Papers. A list holds the papers in the printer's order; the lists asked
// for have one length, the count returned.
struct PaperList {
    std::vector<std::string> names;
    std::vector<POINT> sizes; // tenths of a millimetre
    std::vector<WORD> numbers;
};
inline constexpr int PAPER_LIST_NAMES = 1;
inline constexpr int PAPER_LIST_SIZES = 2;
inline constexpr int PAPER_LIST_NUMBERS = 4;

// Reads the papers of the printer named by the device-names block, or by
// the scratch record when the block is 0. A driver whose name and size
// counts differ (or are none) gets names and sizes from the standard table
// for its paper numbers. Lists of differing lengths are cut to the shortest.
// The count, 0 when nothing can be read (or numbers were asked and the
// printer has none).
int PaperListGet(PaperList *list, int parts, HGLOBAL devNames, const _STATICS *statics);
// 1 when the printer's paper numbers include the number.
int PaperIsOffered(HGLOBAL devNames, int paperNumber);
// The standard paper of a code from 1 to 41: its name (Windows-1252, into a
// 64-character buffer) and size (width x height); 1. Any other code gives an
// empty name, 0 x 0 and 0. Both outputs may be null.
int PaperNameAndSizeGet(int code, char *name, POINT *size);

// ---------------------------------------------------------------------------
// Devices. A context for the printer of the device-names block with the
// device mode (which may be 0); 0 on failure.
HDC PrinterDCCreate(HGLOBAL devNames, HGLOBAL devMode);
// The printer's physical sheet, short side first, in tenths of a
// millimetre, from the context or, without one, from a context made for the
// block and deleted again. number gets 9999 and name an empty text. The
// result: 2 when the sheet lies wider than tall, 1 otherwise, 0 on failure.
int PhysicalPageGet(HDC dc, HGLOBAL devNames, int *number, char *name, POINT *size);
// The printable area, short side first, in tenths of a millimetre; 1, or 0.
int PrintableSizeGet(HDC dc, HGLOBAL devNames, POINT *size);
// The unprintable margins taken as equal on opposite sides, in tenths of a
// millimetre; 1 when both are at least 0.
int CentredMarginsGet(HDC dc, HGLOBAL devNames, RECT *margins);

// The default printer as the profile's [windows] "device" entry names it.
struct PrinterEntry {
    uint32_t dc; // made on request
    char driver[64];
    char device[64];
    char output[64];
};
static_assert(sizeof(PrinterEntry) == 196);
// 1 when the entry names a device, a driver and a port; the context is made
// when asked (and the entry's dc is 0 when it could not be).
int DefaultPrinterEntryGet(PrinterEntry *entry, int makeContext);
// Sets the block's default flag to whether it names the profile's default
// printer; 1, or 0 for a block that cannot be read.
int DefaultPrinterTest(HGLOBAL devNames);

// ---------------------------------------------------------------------------
// Fills a window's page set-up block from its printer: with a device mode
// the printer's paper of that number, margins of 127 (a printer without that
// paper leaves the block as it was); without one the physical sheet (paper
// number 9999) with its centred margins, each at least 127. 1, or 0 without
// a block or printer names, or when the sheet cannot be read.
int VP_Default(HGLOBAL pageSetup, HGLOBAL devMode, HGLOBAL devNames, _STATICS *statics);

// The printer set-up dialog over the blocks; on OK the chosen printer's
// blocks replace them. 1, or 0 on cancel, failure, a bad window or a
// missing pointer.
int ChoosePrinter(HWND owner, HGLOBAL *devMode, HGLOBAL *devNames);
