// Printing the page of a map window: on one sheet when the page's paper
// fits the printer's sheet, otherwise tiled over as many sheets as it takes;
// the printer set-up and the Page Setup dialog of the window.
#pragma once

#include "platform/types.h"

// Prints the window's page. With showDialog 1 the print dialog asks first
// (and may choose another printer or the selection alone); otherwise the
// job goes to the window's printer. Tiled jobs report progress kind 5.
void PrintMap(HWND window, int showDialog);
// The printer set-up dialog for the window's printer blocks.
void PrinterSetup(HWND window);
// The Page Setup dialog over a new page setup of the window (saving to the
// registry, an undo step when undo is set); nothing for a window without a
// record.
void PageSetupShowDlg(HWND window, int undo);

// The rectangles of a print job, in printer pixels; exposed for tests.
struct PrintLayout {
    RECT paper;       // P: the page's paper, oriented
    RECT shrunkPaper; // P less 0.2 %, to choose between one sheet and tiles
    RECT sheet;       // S: the physical sheet
    RECT unprintable; // U: the unprintable margins
    RECT margins;     // M: the page's margins, at least U
    RECT tile;        // T: the printable area of one sheet
    bool oneSheet;
};
// The layout of the window's page on the printer of the context; false
// when the window has no page set-up block.
bool PrintLayoutGet(HWND window, HDC printerDC, PrintLayout *layout);
