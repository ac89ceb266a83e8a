#include "engine/window/printing/printer_helpers.h"

#include "engine/window/page.h"
#include "platform/dc.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/print_dc.h"
#include "platform/print_dialog.h"
#include "platform/profile.h"
#include "platform/window.h"

#include <algorithm>
#include <cstring>

namespace {

struct StandardPaper {
    const char *name;
    POINT size;
};

// Paper codes 1 to 41 (Windows-1252 names; 0xBD is the half sign).
constexpr StandardPaper kStandardPapers[] = {
    {"Letter, 8\xBD x 11 in.", {2159, 2794}},
    {"Letter Small, 8\xBD x 11 in.", {2154, 2794}},
    {"Tabloid, 11 x 17 in.", {2794, 4318}},
    {"Ledger, 17 x 11 in.", {4318, 2794}},
    {"Legal, 8\xBD x 14 in.", {2159, 3556}},
    {"Statement, 5\xBD x 8\xBD in.", {1397, 2159}},
    {"Executive, 7\xBD x 10\xBD in.", {1841, 2667}},
    {"A3, 297 x 420 mm", {2970, 4200}},
    {"A4, 210 x 297 mm", {2100, 2970}},
    {"A4 Small, 210 x 297 mm", {2100, 2970}},
    {"A5, 148 x 210 mm", {1480, 2100}},
    {"B4, 250 x 354 mm", {2500, 3540}},
    {"B5, 182 x 257 mm", {1820, 2570}},
    {"Folio, 8\xBD x 13 in.", {2159, 3302}},
    {"Quatro, 215 x 275 mm", {2150, 2750}},
    {"10 x 14 in.", {2540, 3556}},
    {"11 x 17 in.", {2794, 4318}},
    {"Note 8\xBD x 11 in.", {2159, 2794}},
    {"Envelope #9, 3 7/8 x 8 7/8 in.", {984, 2254}},
    {"Envelope #10 4 1/8 x 9 \xBD in.", {1048, 2413}},
    {"Envelope #11 4 \xBD x 10 3/8 in.", {1143, 2635}},
    {"Envelope #12 4 \xBD x 11 in.", {1143, 2794}},
    {"Envelope #14 5 x 11 \xBD in.", {1270, 2921}},
    {"C size sheet", {0, 0}},
    {"D size sheet", {0, 0}},
    {"E size sheet", {0, 0}},
    {"Envelope DL, 110 x 220 mm", {1100, 2200}},
    {"Envelope C5, 162 x 229 mm", {1620, 2290}},
    {"Envelope C3, 324 x 458 mm", {3240, 4580}},
    {"Envelope C4, 229 x 324 mm", {2290, 3240}},
    {"Envelope C6, 114 x 162 mm", {1140, 1620}},
    {"Envelope C65, 114 x 229 mm", {1140, 2290}},
    {"Envelope B4, 250 x 353 mm", {2500, 3530}},
    {"Envelope B5, 176 x 250 mm", {1760, 2500}},
    {"Envelope B6, 176 x 125 mm", {1760, 1250}},
    {"Envelope, 110 x 230 mm", {1100, 2300}},
    {"Envelope Monarch 3 7/8 x 7 \xBD in.", {984, 1905}},
    {"Envelope 3 5/8 x 6 \xBD in.", {920, 1651}},
    {"U.S. Standard Fanfold 14 7/8 x 11 in.", {3778, 2794}},
    {"German Standard Fanfold 8 \xBD x 12 in.", {2159, 3048}},
    {"German Legal Fanfold 8 \xBD x 13 in.", {2159, 3302}},
};
static_assert(std::size(kStandardPapers) == 41);

constexpr int32_t kMinimumMargin = 127;

void copyName(char *to, const std::string &from)
{
    if (!to)
        return;
    const size_t n = std::min<size_t>(from.size(), 63);
    std::memcpy(to, from.data(), n);
    to[n] = 0;
}

// The device and port of the block, or of the scratch record without one.
bool printerOf(HGLOBAL devNames, const _STATICS *statics, std::string *device, std::string *port)
{
    if (devNames) {
        PrinterNames names;
        if (!ReadDevNamesBlock(devNames, &names))
            return false;
        *device = names.device;
        *port = names.port;
        return true;
    }
    if (!statics)
        return false;
    *device = std::string(statics->deviceName, strnlen(statics->deviceName, 64));
    *port = std::string(statics->portName, strnlen(statics->portName, 64));
    return true;
}

std::vector<WORD> paperNumbers(const std::string &device, const std::string &port)
{
    const int n = DeviceCapabilitiesA(device.c_str(), port.c_str(), DC_PAPERS, nullptr, nullptr);
    if (n < 1)
        return {};
    std::vector<WORD> numbers(static_cast<size_t>(n));
    const int got = DeviceCapabilitiesA(device.c_str(), port.c_str(), DC_PAPERS,
                                        reinterpret_cast<char *>(numbers.data()), nullptr);
    numbers.resize(size_t(std::clamp(got, 0, n)));
    return numbers;
}

// Runs f with a context: the one given, or one made for the block and
// deleted afterwards. 0 when there is neither.
template <class F>
int withContext(HDC dc, HGLOBAL devNames, F f)
{
    if (dc)
        return f(dc);
    const HDC made = PrinterDCCreate(devNames, 0);
    if (!made)
        return 0;
    const int result = f(made);
    DeleteDC(made);
    return result;
}

// Pixels to tenths of a millimetre at the context's resolution; the A4
// default for a resolution below 1.
LONG tenths(LONG pixels, int dpi, LONG fallback)
{
    return dpi < 1 ? fallback : LONG(int64_t(pixels) * 254 / dpi);
}

} // namespace

int PrinterNamesGet(HGLOBAL devNames, char *device, char *port, char *driver)
{
    PrinterNames names;
    if (!ReadDevNamesBlock(devNames, &names))
        return 0;
    copyName(device, names.device);
    copyName(port, names.port);
    copyName(driver, names.driver);
    return 1;
}

int PrinterNamesToStatics(HGLOBAL devNames, _STATICS *statics)
{
    if (!statics)
        return 0;
    return PrinterNamesGet(devNames, statics->deviceName, statics->portName, statics->driverName);
}

int PaperListGet(PaperList *list, int parts, HGLOBAL devNames, const _STATICS *statics)
{
    std::string device, port;
    if (!list || !printerOf(devNames, statics, &device, &port))
        return 0;
    *list = PaperList{};
    const char *dev = device.c_str(), *prt = port.c_str();
    DeviceCapabilitiesA(dev, prt, DC_DRIVER, nullptr, nullptr);
    const int nameCount = DeviceCapabilitiesA(dev, prt, DC_PAPERNAMES, nullptr, nullptr);
    const int sizeCount = DeviceCapabilitiesA(dev, prt, DC_PAPERSIZE, nullptr, nullptr);
    const bool wantNames = parts & PAPER_LIST_NAMES, wantSizes = parts & PAPER_LIST_SIZES,
               wantNumbers = parts & PAPER_LIST_NUMBERS;

    if (nameCount < 1 || sizeCount < 1 || nameCount != sizeCount) {
        // The driver's own names are not to be trusted: the standard table.
        const std::vector<WORD> numbers = paperNumbers(device, port);
        if (numbers.empty())
            return 0;
        for (WORD code : numbers) {
            char name[64];
            POINT size;
            PaperNameAndSizeGet(code, name, &size);
            if (wantNames)
                list->names.emplace_back(name);
            if (wantSizes)
                list->sizes.push_back(size);
        }
        if (wantNumbers)
            list->numbers = numbers;
        return int(numbers.size());
    }

    size_t count = size_t(nameCount);
    if (wantNames) {
        std::vector<char> nameSlots(static_cast<size_t>(nameCount) * PAPER_NAME_SLOT, 0);
        const int got = DeviceCapabilitiesA(dev, prt, DC_PAPERNAMES, nameSlots.data(), nullptr);
        count = std::min(count, size_t(std::max(got, 0)));
        for (size_t i = 0; i < count; ++i)
            list->names.emplace_back(&nameSlots[i * PAPER_NAME_SLOT],
                                     strnlen(&nameSlots[i * PAPER_NAME_SLOT], PAPER_NAME_SLOT));
    }
    if (wantSizes) {
        std::vector<POINT> sizes(static_cast<size_t>(sizeCount));
        const int got =
            DeviceCapabilitiesA(dev, prt, DC_PAPERSIZE, reinterpret_cast<char *>(sizes.data()), nullptr);
        sizes.resize(size_t(std::clamp(got, 0, sizeCount)));
        list->sizes = std::move(sizes);
        count = std::min(count, list->sizes.size());
    }
    if (wantNumbers) {
        list->numbers = paperNumbers(device, port);
        if (list->numbers.empty()) {
            *list = PaperList{};
            return 0;
        }
        count = std::min(count, list->numbers.size());
    }
    // The lists are parallel: none is read past the shortest.
    if (wantNames)
        list->names.resize(count);
    if (wantSizes)
        list->sizes.resize(count);
    if (wantNumbers)
        list->numbers.resize(count);
    return int(count);
}

int PaperIsOffered(HGLOBAL devNames, int paperNumber)
{
    PaperList list;
    if (PaperListGet(&list, PAPER_LIST_NUMBERS, devNames, nullptr) < 1)
        return 0;
    return std::find(list.numbers.begin(), list.numbers.end(), paperNumber) != list.numbers.end() ? 1 : 0;
}

int PaperNameAndSizeGet(int code, char *name, POINT *size)
{
    const bool known = code >= 1 && code <= int(std::size(kStandardPapers));
    if (name) {
        name[0] = 0;
        if (known)
            std::strcpy(name, kStandardPapers[code - 1].name);
    }
    if (size)
        *size = known ? kStandardPapers[code - 1].size : POINT{0, 0};
    return known ? 1 : 0;
}

HDC PrinterDCCreate(HGLOBAL devNames, HGLOBAL devMode)
{
    PrinterNames names;
    if (!ReadDevNamesBlock(devNames, &names))
        return 0;
    DEVMODEA mode{};
    bool hasMode = false;
    if (devMode && GlobalSize(devMode) >= sizeof(DEVMODEA)) {
        if (const void *p = GlobalLock(devMode)) {
            std::memcpy(&mode, p, sizeof mode);
            GlobalUnlock(devMode);
            hasMode = true;
        }
    }
    return CreateDCA(names.driver.c_str(), names.device.c_str(), names.port.c_str(),
                     hasMode ? &mode : nullptr);
}

int PhysicalPageGet(HDC dc, HGLOBAL devNames, int *number, char *name, POINT *size)
{
    return withContext(dc, devNames, [&](HDC context) {
        POINT sheet{};
        if (Escape(context, GETPHYSPAGESIZE, 0, nullptr, &sheet) <= 0)
            return 0;
        LONG w = tenths(sheet.x, GetDeviceCaps(context, LOGPIXELSX), 2100);
        LONG h = tenths(sheet.y, GetDeviceCaps(context, LOGPIXELSY), 2970);
        int orientation = 1;
        if (w > h) {
            std::swap(w, h);
            orientation = 2;
        }
        if (number)
            *number = 9999;
        if (name)
            name[0] = 0;
        if (size)
            *size = POINT{w, h};
        return orientation;
    });
}

int PrintableSizeGet(HDC dc, HGLOBAL devNames, POINT *size)
{
    return withContext(dc, devNames, [&](HDC context) {
        LONG w = tenths(GetDeviceCaps(context, HORZRES), GetDeviceCaps(context, LOGPIXELSX), 2100);
        LONG h = tenths(GetDeviceCaps(context, VERTRES), GetDeviceCaps(context, LOGPIXELSY), 2970);
        if (w > h)
            std::swap(w, h);
        if (size)
            *size = POINT{w, h};
        return 1;
    });
}

int CentredMarginsGet(HDC dc, HGLOBAL devNames, RECT *margins)
{
    return withContext(dc, devNames, [&](HDC context) {
        POINT page{}, printable{};
        if (!PhysicalPageGet(context, 0, nullptr, nullptr, &page) ||
            !PrintableSizeGet(context, 0, &printable))
            return 0;
        const LONG x = (page.x - printable.x) / 2, y = (page.y - printable.y) / 2;
        if (margins)
            *margins = RECT{x, y, x, y};
        return x >= 0 && y >= 0 ? 1 : 0;
    });
}

int DefaultPrinterEntryGet(PrinterEntry *entry, int makeContext)
{
    if (!entry)
        return 0;
    char value[1025] = {};
    GetProfileStringA("windows", "device", ",,,", value, 1024);
    // "device,driver,port"
    std::string parts[3];
    const std::string text(value);
    size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        const size_t comma = text.find(',', at);
        parts[i] = text.substr(at, i < 2 ? comma - at : std::string::npos);
        if (i < 2 && comma == std::string::npos)
            return 0;
        at = comma + 1;
    }
    if (parts[0].empty() || parts[1].empty() || parts[2].empty())
        return 0;
    *entry = PrinterEntry{};
    copyName(entry->device, parts[0]);
    copyName(entry->driver, parts[1]);
    copyName(entry->output, parts[2]);
    if (makeContext)
        entry->dc = CreateDCA(entry->driver, entry->device, entry->output, nullptr);
    return 1;
}

int DefaultPrinterTest(HGLOBAL devNames)
{
    PrinterNames names;
    if (!ReadDevNamesBlock(devNames, &names))
        return 0;
    PrinterEntry entry{};
    const bool isDefault = DefaultPrinterEntryGet(&entry, 0) && names.driver == entry.driver &&
                           names.device == entry.device && names.port == entry.output;
    auto *header = static_cast<DEVNAMES *>(GlobalLock(devNames));
    if (!header)
        return 0;
    header->wDefault = isDefault ? 1 : 0;
    GlobalUnlock(devNames);
    return 1;
}

int VP_Default(HGLOBAL pageSetup, HGLOBAL devMode, HGLOBAL devNames, _STATICS *statics)
{
    if (!pageSetup || !devNames || GlobalSize(pageSetup) < sizeof(VPSetup))
        return 0;
    if (devMode) {
        if (!statics || GlobalSize(devMode) < sizeof(DEVMODEA))
            return 0;
        auto *mode = static_cast<DEVMODEA *>(GlobalLock(devMode));
        if (!mode)
            return 0;
        auto *block = static_cast<VPSetup *>(GlobalLock(pageSetup));
        if (!block) {
            GlobalUnlock(devMode);
            return 0;
        }
        int result = 0;
        if (PrinterNamesToStatics(devNames, statics)) {
            PaperList papers;
            const int n =
                PaperListGet(&papers, PAPER_LIST_NAMES | PAPER_LIST_SIZES | PAPER_LIST_NUMBERS, 0, statics);
            for (int i = 0; i < n; ++i) {
                if (papers.numbers[size_t(i)] != WORD(mode->dmPaperSize))
                    continue;
                std::memset(block->paperName, 0, sizeof block->paperName);
                copyName(block->paperName, papers.names[size_t(i)]);
                block->paperWidth = papers.sizes[size_t(i)].x;
                block->paperHeight = papers.sizes[size_t(i)].y;
                block->orientation = mode->dmOrientation;
                block->paperNumber = papers.numbers[size_t(i)];
                block->leftMargin = block->topMargin = block->rightMargin = block->bottomMargin =
                    kMinimumMargin;
                break;
            }
            if (!statics->deviceName[0] || !statics->portName[0] || !statics->driverName[0])
                MessageBoxA(0, "WPFL HAS GOT NULL ", nullptr, MB_OK | MB_SYSTEMMODAL);
            else
                *statics = _STATICS{};
            result = 1;
        }
        GlobalUnlock(pageSetup);
        GlobalUnlock(devMode);
        return result;
    }

    auto *block = static_cast<VPSetup *>(GlobalLock(pageSetup));
    if (!block)
        return 0;
    int number = 0;
    char name[64] = {};
    POINT size{};
    const int orientation = PhysicalPageGet(0, devNames, &number, name, &size);
    if (!orientation) {
        GlobalUnlock(pageSetup);
        return 0;
    }
    std::memset(block->paperName, 0, sizeof block->paperName);
    copyName(block->paperName, name);
    block->paperWidth = size.x;
    block->paperHeight = size.y;
    block->paperNumber = number;
    block->orientation = orientation;
    RECT m{0, 0, 0, 0};
    CentredMarginsGet(0, devNames, &m);
    m.left = std::max<LONG>(m.left, kMinimumMargin);
    m.top = std::max<LONG>(m.top, kMinimumMargin);
    m.right = std::max<LONG>(m.right, kMinimumMargin);
    m.bottom = std::max<LONG>(m.bottom, kMinimumMargin);
    if (orientation == 2) {
        std::swap(m.left, m.top);
        std::swap(m.right, m.bottom);
    }
    block->leftMargin = m.left;
    block->topMargin = m.top;
    block->rightMargin = m.right;
    block->bottomMargin = m.bottom;
    GlobalUnlock(pageSetup);
    return 1;
}

int ChoosePrinter(HWND owner, HGLOBAL *devMode, HGLOBAL *devNames)
{
    if (!IsWindow(owner) || !devMode || !devNames)
        return 0;
    DefaultPrinterTest(*devNames);
    PRINTDLGA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hDevMode = *devMode;
    request.hDevNames = *devNames;
    request.Flags = PD_PRINTSETUP;
    if (!PrintDlgA(&request))
        return 0;
    *devMode = request.hDevMode;
    *devNames = request.hDevNames;
    return 1;
}
