#include "platform/printers.h"

#include "platform/global_memory.h"
#include "platform/printer_devices.h"
#include "platform/profile.h"

#include <QPageSize>
#include <QPrinterInfo>

#include <cstdlib>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

std::mutex &fakeMutex()
{
    static std::mutex m;
    return m;
}

std::optional<std::vector<FakePrinter>> &fakePrinters()
{
    static std::optional<std::vector<FakePrinter>> list;
    return list;
}

// The papers the built-in PDF printer offers, in this order.
constexpr QPageSize::PageSizeId kPdfPapers[] = {
    QPageSize::Letter, QPageSize::Legal, QPageSize::Tabloid, QPageSize::Executive,
    QPageSize::A3,     QPageSize::A4,    QPageSize::A5,      QPageSize::B5,
};

POINT tenthsOfMillimetre(const QPageSize &size)
{
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return POINT{LONG(std::lround(mm.width() * 10)), LONG(std::lround(mm.height() * 10))};
}

void addQtPaper(printing::PrinterDescription &d, const QPageSize &size)
{
    const int code = size.windowsId();
    if (code <= 0 || code > 0x7FFF || code == DMPAPER_USER)
        return; // the device mode can only name papers that have a code
    d.paperCodes.push_back(WORD(code));
    d.paperNames.push_back(size.name().toStdString());
    d.paperSizes.push_back(tenthsOfMillimetre(size));
}

printing::PrinterDescription pdfPrinter()
{
    printing::PrinterDescription d;
    d.kind = printing::PrinterKind::Pdf;
    d.device = kPdfPrinterName;
    d.driver = kPdfPrinterDriver;
    d.port = "map.pdf";
    for (QPageSize::PageSizeId id : kPdfPapers)
        addQtPaper(d, QPageSize(id));
    d.dpi = 300;
    return d;
}

printing::PrinterDescription fromFake(const FakePrinter &f)
{
    printing::PrinterDescription d;
    d.kind = printing::PrinterKind::Fake;
    d.device = f.device;
    d.driver = f.driver;
    d.port = f.port;
    d.paperCodes = f.paperCodes;
    d.paperNames = f.paperNames;
    d.paperSizes = f.paperSizes;
    d.dpi = f.dpi;
    d.sheet = f.sheet;
    d.offset = f.offset;
    d.printable = f.printable;
    d.copies = f.copies;
    d.canClip = f.canClip;
    d.refusesContext = f.refusesContext;
    d.isDefault = f.isDefault;
    d.paperSize = f.paperSize;
    d.orientation = f.orientation;
    return d;
}

std::string cut63(const std::string &s) { return s.substr(0, 63); }

} // namespace

namespace printing {

std::vector<PrinterDescription> AllPrinters()
{
    {
        std::lock_guard lock(fakeMutex());
        if (fakePrinters()) {
            std::vector<PrinterDescription> out;
            for (const FakePrinter &f : *fakePrinters())
                out.push_back(fromFake(f));
            return out;
        }
    }
    std::vector<PrinterDescription> out;
    // MAP_SYSTEM_PRINTERS=0 leaves the machine's printers out (the tests
    // set it: nothing they check may depend on the machine they run on).
    const char *system = std::getenv("MAP_SYSTEM_PRINTERS");
    if (system && std::string(system) == "0") {
        out.push_back(pdfPrinter());
        return out;
    }
    const QString systemDefault = QPrinterInfo::defaultPrinterName();
    for (const QPrinterInfo &info : QPrinterInfo::availablePrinters()) {
        PrinterDescription d;
        d.kind = PrinterKind::System;
        d.device = cut63(info.printerName().toStdString());
        d.driver =
            cut63(info.makeAndModel().isEmpty() ? std::string("system") : info.makeAndModel().toStdString());
        d.port = cut63(info.location().isEmpty() ? d.device : info.location().toStdString());
        for (const QPageSize &size : info.supportedPageSizes())
            addQtPaper(d, size);
        d.dpi = 300;
        d.isDefault = info.printerName() == systemDefault;
        const int code = info.defaultPageSize().windowsId();
        if (code > 0 && code < DMPAPER_USER)
            d.paperSize = int16_t(code);
        out.push_back(std::move(d));
    }
    out.push_back(pdfPrinter());
    return out;
}

std::optional<PrinterDescription> FindPrinter(const char *device)
{
    if (!device || !*device)
        return std::nullopt;
    for (PrinterDescription &d : AllPrinters())
        if (d.device == device)
            return std::move(d);
    return std::nullopt;
}

PrinterGeometry GeometryFor(const PrinterDescription &printer, const DEVMODEA *devMode)
{
    PrinterGeometry g;
    g.dpi = printer.dpi;
    g.canClip = printer.canClip;
    if (printer.kind == PrinterKind::Fake) {
        g.sheet = printer.sheet;
        g.offset = printer.offset;
        g.printable = printer.printable;
        return g;
    }
    // Qt's printers and the PDF printer: the device mode's paper, turned as
    // it says, printable to the edges.
    const int16_t code = devMode ? devMode->dmPaperSize : printer.paperSize;
    QPageSize size(QPageSize::A4);
    if (code == DMPAPER_USER && devMode && devMode->dmPaperWidth > 0 && devMode->dmPaperLength > 0)
        size = QPageSize(QSizeF(devMode->dmPaperWidth / 10.0, devMode->dmPaperLength / 10.0),
                         QPageSize::Millimeter);
    else if (code > 0 && QPageSize::id(int(code)) != QPageSize::Custom)
        size = QPageSize(QPageSize::id(int(code)));
    const bool landscape = (devMode ? devMode->dmOrientation : printer.orientation) == DMORIENT_LANDSCAPE;
    QSize px = size.sizePixels(g.dpi);
    if (landscape)
        px.transpose();
    g.pageSize = size;
    g.landscape = landscape;
    g.sheet = SIZE{px.width(), px.height()};
    g.offset = POINT{0, 0};
    g.printable = g.sheet;
    return g;
}

} // namespace printing

void SetFakePrinters(std::optional<std::vector<FakePrinter>> printers)
{
    std::lock_guard lock(fakeMutex());
    fakePrinters() = std::move(printers);
}

HGLOBAL CreateDevNamesBlock(const char *driver, const char *device, const char *port, bool isDefault)
{
    const std::string names[3] = {cut63(driver ? driver : ""), cut63(device ? device : ""),
                                  cut63(port ? port : "")};
    const size_t bytes = sizeof(DEVNAMES) + names[0].size() + names[1].size() + names[2].size() + 3;
    HGLOBAL block = GlobalAlloc(GHND, bytes);
    auto *p = static_cast<char *>(GlobalLock(block));
    if (!p) {
        GlobalFree(block);
        return 0;
    }
    DEVNAMES header{};
    size_t at = sizeof(DEVNAMES);
    uint16_t *offsets[3] = {&header.wDriverOffset, &header.wDeviceOffset, &header.wOutputOffset};
    for (int i = 0; i < 3; ++i) {
        *offsets[i] = uint16_t(at);
        std::memcpy(p + at, names[i].c_str(), names[i].size() + 1);
        at += names[i].size() + 1;
    }
    header.wDefault = isDefault ? DN_DEFAULTPRN : 0;
    std::memcpy(p, &header, sizeof header);
    GlobalUnlock(block);
    return block;
}

bool ReadDevNamesBlock(HGLOBAL block, PrinterNames *names)
{
    const size_t size = GlobalSize(block);
    if (size < sizeof(DEVNAMES) || !names)
        return false;
    const auto *p = static_cast<const char *>(GlobalLock(block));
    if (!p)
        return false;
    DEVNAMES header;
    std::memcpy(&header, p, sizeof header);
    // Each name must start inside the block and end before its end.
    auto read = [&](uint16_t offset, std::string *out) {
        if (offset < sizeof(DEVNAMES) || offset >= size)
            return false;
        const void *end = std::memchr(p + offset, 0, size - offset);
        if (!end)
            return false;
        *out = std::string(p + offset, static_cast<const char *>(end));
        return true;
    };
    PrinterNames n;
    const bool ok = read(header.wDriverOffset, &n.driver) && read(header.wDeviceOffset, &n.device) &&
                    read(header.wOutputOffset, &n.port);
    n.isDefault = (header.wDefault & DN_DEFAULTPRN) != 0;
    GlobalUnlock(block);
    if (ok)
        *names = std::move(n);
    return ok;
}

HGLOBAL CreateDefaultDevModeBlock(const char *device)
{
    const std::optional<printing::PrinterDescription> printer = printing::FindPrinter(device);
    if (!printer)
        return 0;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DEVMODEA));
    auto *m = static_cast<DEVMODEA *>(GlobalLock(block));
    if (!m) {
        GlobalFree(block);
        return 0;
    }
    std::strncpy(m->dmDeviceName, printer->device.c_str(), sizeof m->dmDeviceName - 1);
    m->dmSpecVersion = 0x0401;
    m->dmSize = sizeof(DEVMODEA);
    m->dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES;
    m->dmOrientation = printer->orientation;
    m->dmPaperSize = printer->paperSize;
    m->dmCopies = 1;
    m->dmScale = 100;
    m->dmPrintQuality = int16_t(printer->dpi);
    m->dmYResolution = int16_t(printer->dpi);
    GlobalUnlock(block);
    return block;
}

bool GetDefaultPrinterBlocks(HGLOBAL *devMode, HGLOBAL *devNames)
{
    if (!devMode || !devNames)
        return false;
    *devMode = *devNames = 0;
    const std::vector<printing::PrinterDescription> printers = printing::AllPrinters();
    // The profile's choice: "device,driver,port".
    char entry[1025] = {};
    GetProfileStringA("windows", "device", ",,,", entry, sizeof entry);
    const QStringList parts = QString::fromLatin1(entry).split(QLatin1Char(','));
    const printing::PrinterDescription *chosen = nullptr;
    std::string port;
    if (parts.size() >= 3 && !parts[0].isEmpty()) {
        for (const auto &d : printers)
            if (d.device == parts[0].toStdString())
                chosen = &d;
        if (chosen)
            port = parts[2].trimmed().isEmpty() ? chosen->port : parts[2].trimmed().toStdString();
    }
    if (!chosen)
        for (const auto &d : printers)
            if (d.isDefault && !chosen) {
                chosen = &d;
                port = d.port;
            }
    if (!chosen)
        return false;
    *devNames = CreateDevNamesBlock(chosen->driver.c_str(), chosen->device.c_str(), port.c_str(), true);
    *devMode = CreateDefaultDevModeBlock(chosen->device.c_str());
    if (!*devNames || !*devMode) {
        GlobalFree(*devNames);
        GlobalFree(*devMode);
        *devMode = *devNames = 0;
        return false;
    }
    return true;
}

int DeviceCapabilitiesA(const char *device, const char *, WORD capability, char *output, const DEVMODEA *)
{
    const std::optional<printing::PrinterDescription> printer = printing::FindPrinter(device);
    if (!printer)
        return -1;
    switch (capability) {
    case DC_PAPERS:
        if (output)
            std::memcpy(output, printer->paperCodes.data(), printer->paperCodes.size() * sizeof(WORD));
        return int(printer->paperCodes.size());
    case DC_PAPERNAMES:
        if (output)
            for (size_t i = 0; i < printer->paperNames.size(); ++i) {
                char *slot = output + i * PAPER_NAME_SLOT;
                std::memset(slot, 0, PAPER_NAME_SLOT);
                std::strncpy(slot, printer->paperNames[i].c_str(), PAPER_NAME_SLOT - 1);
            }
        return int(printer->paperNames.size());
    case DC_PAPERSIZE:
        if (output)
            std::memcpy(output, printer->paperSizes.data(), printer->paperSizes.size() * sizeof(POINT));
        return int(printer->paperSizes.size());
    case DC_COPIES:
        return printer->copies;
    case DC_DRIVER:
        return 0x0400;
    default:
        return -1;
    }
}
