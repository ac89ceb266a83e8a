// What the printer functions of this library know of one printer: its
// names, papers and device geometry. Shared by the printer list
// (printers.cpp), the printer contexts (print_dc.cpp) and the print dialogs
// (print_dialog.cpp); callers outside the library use printers.h.
#pragma once

#include "platform/printers.h"

#include <QPageSize>
#include <optional>
#include <string>
#include <vector>

namespace printing {

enum class PrinterKind {
    System, // one of Qt's printers
    Pdf,    // the built-in printer that writes the file named as its port
    Fake,   // a test printer that writes a PDF file with its own sheet
};

struct PrinterDescription {
    PrinterKind kind = PrinterKind::Pdf;
    std::string device;
    std::string driver;
    std::string port;
    std::vector<WORD> paperCodes;
    std::vector<std::string> paperNames;
    std::vector<POINT> paperSizes;
    int dpi = 300;
    SIZE sheet{0, 0};
    POINT offset{0, 0};
    SIZE printable{0, 0};
    int copies = 99;
    bool canClip = true;
    bool refusesContext = false;
    bool isDefault = false;
    int16_t paperSize = DMPAPER_A4;
    int16_t orientation = DMORIENT_PORTRAIT;
};

// The sheet of a printer for one device mode, in its pixels.
struct PrinterGeometry {
    int dpi = 300;
    SIZE sheet{0, 0};
    POINT offset{0, 0}; // the printable area's top-left corner on the sheet
    SIZE printable{0, 0};
    bool canClip = true;
    QPageSize pageSize; // the paper of Qt's printers; unset for fake ones
    bool landscape = false;
};

// The fake printers when installed, else Qt's printers and the PDF printer.
std::vector<PrinterDescription> AllPrinters();
std::optional<PrinterDescription> FindPrinter(const char *device);
// The device mode may be null: the printer's own defaults.
PrinterGeometry GeometryFor(const PrinterDescription &printer, const DEVMODEA *devMode);

} // namespace printing
