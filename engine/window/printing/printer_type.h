// The printer of a map window, wrapped for one query: its printable area and
// its unprintable margins, in pixels or millimetres. The wrapper keeps the
// window's printer blocks locked for its life and owns the printer context
// it makes, so it cannot be copied; moving hands both over.
#pragma once

#include "engine/kernel/window_record.h"
#include "platform/printers.h"
#include "platform/types.h"

class CPrinterType {
public:
    explicit CPrinterType(_WNDRES *window);
    ~CPrinterType();
    CPrinterType(const CPrinterType &) = delete;
    CPrinterType &operator=(const CPrinterType &) = delete;
    CPrinterType(CPrinterType &&other) noexcept;
    CPrinterType &operator=(CPrinterType &&other) noexcept;

    // Makes the printer context once; 1, or 0 when invalid or refused.
    int CreatePrinterDC();
    // Each fills the rectangle and answers 1, or answers 0 and leaves it
    // untouched (invalid wrapper, no context, null rectangle).
    // (0, 0, HORZRES, VERTRES)
    int GetPhisicalPrintableAreaInPixels(RECT *rect);
    // (0, 0, HORZSIZE, VERTSIZE)
    int GetPhisicalPrintableAreaInMillimeters(RECT *rect);
    // The unprintable margins: left and top the printing offset, right and
    // bottom what the sheet has beyond the printable area.
    int GetPhisicalPageMarginsSizeInPixels(RECT *rect);
    int GetPhisicalPageMarginsSizeInMillimeters(RECT *rect);

    bool IsValid() const { return valid_ != 0; }
    const char *DeviceName() const { return deviceName_; }
    const char *PortName() const { return portName_; }
    const char *DriverName() const { return driverName_; }

private:
    void release();

    char deviceName_[64] = {};
    char portName_[64] = {};
    char driverName_[64] = {};
    int valid_ = 0;
    HGLOBAL devNamesHandle_ = 0;
    HGLOBAL devModeHandle_ = 0;
    DEVMODEA *devMode_ = nullptr;
    DEVNAMES *devNames_ = nullptr;
    HDC printerDC_ = 0;
};
