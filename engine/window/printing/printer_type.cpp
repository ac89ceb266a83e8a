#include "engine/window/printing/printer_type.h"

#include "engine/window/printing/printer_helpers.h"
#include "platform/dc.h"
#include "platform/global_memory.h"
#include "platform/print_dc.h"

#include <utility>

CPrinterType::CPrinterType(_WNDRES *window)
{
    if (!window || !window->devNames || !window->devMode)
        return;
    devNamesHandle_ = window->devNames;
    devModeHandle_ = window->devMode;
    devNames_ = static_cast<DEVNAMES *>(GlobalLock(devNamesHandle_));
    devMode_ = GlobalSize(devModeHandle_) >= sizeof(DEVMODEA)
                   ? static_cast<DEVMODEA *>(GlobalLock(devModeHandle_))
                   : nullptr;
    valid_ = devNames_ && devMode_ && PrinterNamesGet(devNamesHandle_, deviceName_, portName_, driverName_);
}

CPrinterType::~CPrinterType() { release(); }

CPrinterType::CPrinterType(CPrinterType &&other) noexcept { *this = std::move(other); }

CPrinterType &CPrinterType::operator=(CPrinterType &&other) noexcept
{
    if (this == &other)
        return *this;
    release();
    std::swap(deviceName_, other.deviceName_);
    std::swap(portName_, other.portName_);
    std::swap(driverName_, other.driverName_);
    valid_ = std::exchange(other.valid_, 0);
    devNamesHandle_ = std::exchange(other.devNamesHandle_, 0);
    devModeHandle_ = std::exchange(other.devModeHandle_, 0);
    devMode_ = std::exchange(other.devMode_, nullptr);
    devNames_ = std::exchange(other.devNames_, nullptr);
    printerDC_ = std::exchange(other.printerDC_, 0);
    return *this;
}

void CPrinterType::release()
{
    if (devNames_)
        GlobalUnlock(devNamesHandle_);
    if (devMode_)
        GlobalUnlock(devModeHandle_);
    if (printerDC_)
        DeleteDC(printerDC_);
    devNames_ = nullptr;
    devMode_ = nullptr;
    printerDC_ = 0;
    valid_ = 0;
}

int CPrinterType::CreatePrinterDC()
{
    if (!valid_)
        return 0;
    if (!printerDC_)
        printerDC_ = CreateDCA(driverName_, deviceName_, portName_, devMode_);
    return printerDC_ ? 1 : 0;
}

int CPrinterType::GetPhisicalPrintableAreaInPixels(RECT *rect)
{
    if (!rect || !CreatePrinterDC())
        return 0;
    *rect = RECT{0, 0, GetDeviceCaps(printerDC_, HORZRES), GetDeviceCaps(printerDC_, VERTRES)};
    return 1;
}

int CPrinterType::GetPhisicalPrintableAreaInMillimeters(RECT *rect)
{
    if (!rect || !CreatePrinterDC())
        return 0;
    *rect = RECT{0, 0, GetDeviceCaps(printerDC_, HORZSIZE), GetDeviceCaps(printerDC_, VERTSIZE)};
    return 1;
}

int CPrinterType::GetPhisicalPageMarginsSizeInPixels(RECT *rect)
{
    if (!rect || !CreatePrinterDC())
        return 0;
    POINT page{}, offset{};
    if (Escape(printerDC_, GETPHYSPAGESIZE, 0, nullptr, &page) <= 0 ||
        Escape(printerDC_, GETPRINTINGOFFSET, 0, nullptr, &offset) <= 0)
        return 0;
    *rect = RECT{offset.x, offset.y, page.x - offset.x - GetDeviceCaps(printerDC_, HORZRES),
                 page.y - offset.y - GetDeviceCaps(printerDC_, VERTRES)};
    return 1;
}

int CPrinterType::GetPhisicalPageMarginsSizeInMillimeters(RECT *rect)
{
    RECT px;
    if (!rect || !GetPhisicalPageMarginsSizeInPixels(&px))
        return 0;
    // Pixels per millimetre from pixels per inch.
    const double perMmX = GetDeviceCaps(printerDC_, LOGPIXELSX) * 0.03937007874015748;
    const double perMmY = GetDeviceCaps(printerDC_, LOGPIXELSY) * 0.03937007874015748;
    if (perMmX <= 0 || perMmY <= 0)
        return 0;
    *rect = RECT{LONG(px.left / perMmX + 0.5), LONG(px.top / perMmY + 0.5), LONG(px.right / perMmX + 0.5),
                 LONG(px.bottom / perMmY + 0.5)};
    return 1;
}
