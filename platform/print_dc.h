// Printer device contexts over QPrinter and QPainter. A printer context is a
// raster context (dc.h) whose pixels are one page of the printable area at
// the printer's resolution; each page is handed to the printer as an image
// when it ends. Device coordinates start at the printable area's top-left
// corner. A rectangular clip region limits what a page keeps of what is
// drawn while it is selected; the abort procedure runs at every page start
// and end and, at most every 100 ms, while a page draws.
#pragma once

#include "platform/printers.h"
#include "platform/types.h"

struct DOCINFOA {
    int cbSize;
    const char *lpszDocName;
    const char *lpszOutput; // a file to print into instead of the port
    const char *lpszDatatype;
    DWORD fwType;
};

// FALSE ends the job.
using ABORTPROC = BOOL (*)(HDC dc, int error);

inline constexpr int SP_ERROR = -1;

// Escapes.
inline constexpr int QUERYESCSUPPORT = 8;
inline constexpr int GETPHYSPAGESIZE = 12;
inline constexpr int GETPRINTINGOFFSET = 13;

// GetDeviceCaps indexes of printers.
inline constexpr int CLIPCAPS = 36;
inline constexpr int CP_NONE = 0;
inline constexpr int CP_RECTANGLE = 1;
inline constexpr int PHYSICALWIDTH = 110;
inline constexpr int PHYSICALHEIGHT = 111;
inline constexpr int PHYSICALOFFSETX = 112;
inline constexpr int PHYSICALOFFSETY = 113;

// A context for the printer named by device (the driver is not checked; the
// port is where the PDF printers write). The device mode may be null: the
// printer's defaults. 0 for an unknown printer or one that refuses.
HDC CreateDCA(const char *driver, const char *device, const char *port, const DEVMODEA *devMode);

// The job: a positive job number or a positive value for success, SP_ERROR
// (StartDocA also when the output cannot be opened; the pages when the job
// was not started, was aborted or the abort procedure ended it).
int StartDocA(HDC dc, const DOCINFOA *info);
int StartPage(HDC dc);
int EndPage(HDC dc);
int EndDoc(HDC dc);
// Drops the job and the file it was writing.
int AbortDoc(HDC dc);
// SP_ERROR for a context that is no printer's.
int SetAbortProc(HDC dc, ABORTPROC proc);

// GETPHYSPAGESIZE and GETPRINTINGOFFSET write a POINT to out and answer 1;
// QUERYESCSUPPORT answers 1 when the escape in in (an int) is one of them.
// 0 for anything else or a context that is no printer's.
int Escape(HDC dc, int escape, int inBytes, const void *in, void *out);

// Limits the page to the region's bounding rectangle until another region
// is selected (0: no limit). Printer contexts only. Answers the region's
// kind (NULLREGION with region 0), RGN_ERROR for a bad context or region.
int SelectClipRgn(HDC dc, HRGN region);
