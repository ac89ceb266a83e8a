// Printers: the system's (Qt's printer list) and a built-in printer that
// writes PDF files to the path named as its port. The device-mode and
// device-names blocks are movable global memory blocks in their classic
// layouts; DeviceCapabilitiesA answers the paper lists. A test hook replaces
// the system's printers by fake ones that print into PDF files with their
// own sheet, resolution and unprintable margins (print_dc.h draws on them).
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Device mode: the classic 124-byte record. The printers here read
// dmPaperSize, dmPaperLength, dmPaperWidth, dmOrientation and dmCopies
// whether or not dmFields names them.
struct DEVMODEA {
    char dmDeviceName[32];
    uint16_t dmSpecVersion;
    uint16_t dmDriverVersion;
    uint16_t dmSize;
    uint16_t dmDriverExtra;
    uint32_t dmFields;
    int16_t dmOrientation;
    int16_t dmPaperSize;
    int16_t dmPaperLength; // tenths of a millimetre, for a custom paper
    int16_t dmPaperWidth;
    int16_t dmScale;
    int16_t dmCopies;
    int16_t dmDefaultSource;
    int16_t dmPrintQuality;
    int16_t dmColor;
    int16_t dmDuplex;
    int16_t dmYResolution;
    int16_t dmTTOption;
    int16_t dmCollate;
    char dmFormName[32];
    uint16_t dmLogPixels;
    uint32_t dmBitsPerPel;
    uint32_t dmPelsWidth;
    uint32_t dmPelsHeight;
    uint32_t dmDisplayFlags;
    uint32_t dmDisplayFrequency;
};
static_assert(sizeof(DEVMODEA) == 124);
static_assert(offsetof(DEVMODEA, dmFields) == 40 && offsetof(DEVMODEA, dmOrientation) == 44 &&
              offsetof(DEVMODEA, dmPaperSize) == 46 && offsetof(DEVMODEA, dmCopies) == 54 &&
              offsetof(DEVMODEA, dmTTOption) == 66 && offsetof(DEVMODEA, dmFormName) == 70 &&
              offsetof(DEVMODEA, dmDisplayFrequency) == 120);

inline constexpr uint32_t DM_ORIENTATION = 0x00000001;
inline constexpr uint32_t DM_PAPERSIZE = 0x00000002;
inline constexpr uint32_t DM_PAPERLENGTH = 0x00000004;
inline constexpr uint32_t DM_PAPERWIDTH = 0x00000008;
inline constexpr uint32_t DM_COPIES = 0x00000100;
inline constexpr uint32_t DM_TTOPTION = 0x00004000;

inline constexpr int16_t DMORIENT_PORTRAIT = 1;
inline constexpr int16_t DMORIENT_LANDSCAPE = 2;
inline constexpr int16_t DMTT_BITMAP = 1;

inline constexpr int DMPAPER_LETTER = 1;
inline constexpr int DMPAPER_A3 = 8;
inline constexpr int DMPAPER_A4 = 9;
inline constexpr int DMPAPER_USER = 256;

// Device names: three offsets (in bytes from the block's start) of the
// driver, device and output (port) names, and the default-printer flag.
struct DEVNAMES {
    uint16_t wDriverOffset;
    uint16_t wDeviceOffset;
    uint16_t wOutputOffset;
    uint16_t wDefault;
};
static_assert(sizeof(DEVNAMES) == 8);

inline constexpr uint16_t DN_DEFAULTPRN = 0x0001;

// A new device-names block for the three names (each cut at 63 characters);
// 0 when memory is short.
HGLOBAL CreateDevNamesBlock(const char *driver, const char *device, const char *port, bool isDefault);
// The three names of a device-names block, each offset checked against the
// block's size and each name against its end; false for a bad block.
struct PrinterNames {
    std::string driver;
    std::string device;
    std::string port;
    bool isDefault = false;
};
bool ReadDevNamesBlock(HGLOBAL block, PrinterNames *names);

// ---------------------------------------------------------------------------
// DeviceCapabilitiesA. Answers the count (or the value) asked for, -1 for an
// unknown printer or capability. With an output buffer the items are
// written: DC_PAPERS as 16-bit paper codes, DC_PAPERNAMES as 64-character
// slots, DC_PAPERSIZE as POINTs (width, height) in tenths of a millimetre.
inline constexpr WORD DC_PAPERS = 2;
inline constexpr WORD DC_PAPERSIZE = 3;
inline constexpr WORD DC_DRIVER = 11;
inline constexpr WORD DC_PAPERNAMES = 16;
inline constexpr WORD DC_COPIES = 18;
inline constexpr int PAPER_NAME_SLOT = 64;

int DeviceCapabilitiesA(const char *device, const char *port, WORD capability, char *output,
                        const DEVMODEA *devMode);

// The default printer without a dialog: the profile's [windows] "device"
// entry ("device,driver,port") when it names a known printer, else the
// system's default printer, else none (false, both handles 0). The blocks
// are new movable blocks that belong to the caller.
bool GetDefaultPrinterBlocks(HGLOBAL *devMode, HGLOBAL *devNames);

// ---------------------------------------------------------------------------
// The printers known to the process, and the test hook that replaces them.

// A fake printer: its papers as three lists that need not be of one length
// (a driver may report more names than sizes), its resolution, its physical
// sheet, printable area and printing offset in pixels. It prints into the
// PDF file named as its port, with its own sheet.
struct FakePrinter {
    std::string device;
    std::string driver = "fake";
    std::string port; // the PDF file written
    std::vector<WORD> paperCodes;
    std::vector<std::string> paperNames;
    std::vector<POINT> paperSizes; // tenths of a millimetre
    int dpi = 150;
    SIZE sheet{1240, 1754}; // pixels
    POINT offset{0, 0};     // printing offset, pixels
    SIZE printable{1240, 1754};
    int copies = 99;                // DC_COPIES
    bool canClip = true;            // CLIPCAPS answers CP_RECTANGLE
    bool refusesContext = false;    // CreateDCA fails
    bool isDefault = false;         // the system's default printer
    int16_t paperSize = DMPAPER_A4; // the device mode's paper at first
    int16_t orientation = DMORIENT_PORTRAIT;
};

// Installs fake printers in place of the system's and the built-in one (an
// empty list: a machine without printers); nothing restores the real ones.
void SetFakePrinters(std::optional<std::vector<FakePrinter>> printers);

// The name of the built-in PDF printer and its driver.
inline constexpr const char *kPdfPrinterName = "PDF";
inline constexpr const char *kPdfPrinterDriver = "pdf";

// A new device-mode block with the printer's own defaults; 0 for an unknown
// printer.
HGLOBAL CreateDefaultDevModeBlock(const char *device);
