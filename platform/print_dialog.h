// The print and print set-up dialogs: Qt dialogs run through the modal
// dialog hook (modal_dialog.h) under the template numbers below, so tests
// choose a printer, a paper or the selection and answer in place of a
// person. Their controls carry the identifiers below.
#pragma once

#include "platform/printers.h"
#include "platform/types.h"

struct PRINTDLGA {
    DWORD lStructSize;
    HWND hwndOwner;
    HGLOBAL hDevMode; // in and out: the dialog gives new blocks and frees these
    HGLOBAL hDevNames;
    HDC hDC; // out, with PD_RETURNDC
    DWORD Flags;
    WORD nFromPage;
    WORD nToPage;
    WORD nMinPage;
    WORD nMaxPage;
    WORD nCopies;
};

inline constexpr DWORD PD_SELECTION = 0x00000001;
inline constexpr DWORD PD_NOSELECTION = 0x00000004;
inline constexpr DWORD PD_PRINTSETUP = 0x00000040;
inline constexpr DWORD PD_RETURNDC = 0x00000100;
inline constexpr DWORD PD_RETURNDEFAULT = 0x00000400;
inline constexpr DWORD PD_USEDEVMODECOPIESANDCOLLATE = 0x00040000;

// CommDlgExtendedError codes.
inline constexpr DWORD CDERR_INITIALIZATION = 0x0002;
inline constexpr DWORD PDERR_CREATEICFAILURE = 0x100A;
inline constexpr DWORD PDERR_NODEFAULTPRN = 0x1008;

// Template numbers the hook sees.
inline constexpr int PRINTDLGORD = 1538;
inline constexpr int PRNSETUPDLGORD = 1539;

// Control identifiers: the printer list (both dialogs), the paper list and
// the orientation buttons (set-up), the range buttons and copies (print).
inline constexpr int kPrinterListId = 1139;
inline constexpr int kPaperListId = 1137;
inline constexpr int kPortraitId = 1056;
inline constexpr int kLandscapeId = 1057;
inline constexpr int kAllPagesId = 1056;
inline constexpr int kSelectionId = 1057;
inline constexpr int kCopiesId = 1154;

// TRUE when the user confirmed: hDevMode and hDevNames are the chosen
// printer's (new blocks; the old ones are freed), PD_SELECTION tells whether
// the selection was chosen, hDC is a context for the printer with
// PD_RETURNDC. FALSE on cancel (CommDlgExtendedError 0) or failure (no
// printers: PDERR_NODEFAULTPRN; a context refused: PDERR_CREATEICFAILURE).
// PD_RETURNDEFAULT gives the default printer's blocks without a dialog.
BOOL PrintDlgA(PRINTDLGA *request);
DWORD CommDlgExtendedError();
