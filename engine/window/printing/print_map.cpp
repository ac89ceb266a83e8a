#include "engine/window/printing/print_map.h"

#include "engine/editing/display_pass.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/window_record.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/map_painting.h"
#include "engine/window/page.h"
#include "engine/window/page_setup/page_setup_dialog.h"
#include "engine/window/printing/printer_helpers.h"
#include "engine/window/view_window.h"
#include "platform/dc.h"
#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/print_dc.h"
#include "platform/print_dialog.h"
#include "platform/region.h"
#include "platform/window.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr const char *kNoPrinter =
    "NO INSTALED DEFAULT PRINTER\n For more information search in Windows Help";
constexpr const char *kInformation = "Information !";
constexpr int32_t kCustomPaper = 256;
constexpr int32_t kPhysicalPaper = 9999;

// Tenths of a millimetre to printer pixels.
LONG toPixels(int64_t tenths, int dpi) { return LONG(double(tenths) * dpi * 0.003937007874015748); }

LONG ceilDiv(int64_t a, int64_t b) { return b > 0 ? LONG((a + b - 1) / b) : 0; }

// The dialog and message boxes of printing run while the window's own
// thread waits; posted messages keep running between pages.
BOOL keepMessagesMoving(HDC, int)
{
    DispatchPendingMessages();
    return TRUE;
}

VPSetup readSetup(HGLOBAL block)
{
    VPSetup v{};
    if (GlobalSize(block) >= sizeof(VPSetup))
        if (const void *p = GlobalLock(block)) {
            std::memcpy(&v, p, sizeof v);
            GlobalUnlock(block);
        }
    if (v.paperWidth == 0) { // never set
        v.paperWidth = VP_DEFAULT_WIDTH;
        v.paperHeight = VP_DEFAULT_HEIGHT;
        v.leftMargin = v.topMargin = v.rightMargin = v.bottomMargin = VP_DEFAULT_MARGIN;
    }
    return v;
}

// A block's paper number that the printer cannot take becomes the custom
// size. false when the block cannot be locked.
bool correctPaperNumber(HGLOBAL pageSetup, HGLOBAL devNames, bool *papersUnreadable)
{
    auto *v =
        static_cast<VPSetup *>(GlobalSize(pageSetup) >= sizeof(VPSetup) ? GlobalLock(pageSetup) : nullptr);
    if (!v)
        return false;
    PaperList list;
    const bool readable = PaperListGet(&list, PAPER_LIST_NUMBERS, devNames, nullptr) > 0;
    if (papersUnreadable)
        *papersUnreadable = !readable;
    if (v->paperNumber == kPhysicalPaper ||
        (v->paperNumber != kCustomPaper &&
         std::find(list.numbers.begin(), list.numbers.end(), v->paperNumber) == list.numbers.end()))
        v->paperNumber = kCustomPaper;
    GlobalUnlock(pageSetup);
    return true;
}

HWND messageOwner() { return GetActiveWindow(); }

// Where a margin band or clip edge lies: edge + 5 when that stays below the
// limit, else edge + 3.
LONG bandEdge(LONG edge, LONG limit) { return edge + 5 < limit ? edge + 5 : edge + 3; }

void paintBand(HDC dc, LONG left, LONG top, LONG right, LONG bottom)
{
    if (right > left && bottom > top)
        Rectangle(dc, left, top, right, bottom);
}

void selectClip(HDC dc, LONG left, LONG top, LONG right, LONG bottom)
{
    if (GetDeviceCaps(dc, CLIPCAPS) == 0)
        return;
    const HRGN region = CreateRectRgn(left, top, right, bottom);
    SelectClipRgn(dc, region);
    DeleteObject(region);
}

// The job's state: everything it changed on the window, put back by the
// destructor on every road out.
class PrintJob {
public:
    PrintJob(_WNDRES *rec, HWND window, HDC dc) : rec_(rec), window_(window), dc_(dc)
    {
        EnableWindow(window_, FALSE);
        SetAbortProc(dc_, keepMessagesMoving);
        // A drawing pass may be reading the display view: it ends before the
        // view is swapped.
        StopAndWaitDrawing(rec_);
        view_ = new PresentationManager{};
        PM_Copy(view_, rec_->displayView);
        saved_ = rec_->displayView;
        rec_->displayView = view_;
        rec_->printerOnly = 1;
    }
    ~PrintJob()
    {
        if (docOpen_)
            AbortDoc(dc_);
        StopAndWaitDrawing(rec_);
        rec_->printerOnly = 0;
        rec_->displayView = saved_;
        PM_Destructor(view_);
        delete view_;
        EnableWindow(window_, TRUE);
        InvalidateRect(window_, nullptr, TRUE);
        DeleteDC(dc_);
    }
    PrintJob(const PrintJob &) = delete;
    PrintJob &operator=(const PrintJob &) = delete;

    bool StartDocument(const std::string &name)
    {
        DOCINFOA info{sizeof(DOCINFOA), name.c_str(), nullptr, nullptr, 0};
        docOpen_ = StartDocA(dc_, &info) > 0;
        return docOpen_;
    }
    void EndDocument()
    {
        if (docOpen_)
            EndDoc(dc_);
        docOpen_ = false;
    }
    PresentationManager *View() const { return view_; }

private:
    _WNDRES *rec_;
    HWND window_;
    HDC dc_;
    PresentationManager *view_ = nullptr;
    PresentationManager *saved_ = nullptr;
    bool docOpen_ = false;
};

void printOneSheet(PrintJob &job, _WNDRES *rec, HWND window, HDC dc, const PrintLayout &l, int selectionOnly,
                   const std::string &name)
{
    const RECT &P = l.paper, &U = l.unprintable, &M = l.margins, &S = l.sheet, &T = l.tile;
    selectClip(dc, M.left - U.left, M.top - U.top, bandEdge(P.right - M.right - U.left, S.right),
               bandEdge(P.bottom - M.bottom - U.top, S.bottom));
    const POINT offset{U.left, U.top};
    PM_SetForPrint(job.View(), window, &P, &offset, nullptr);
    if (!job.StartDocument(name) || StartPage(dc) <= 0)
        return;
    const RECT device = job.View()->displayRect;
    OnDstrPaint(rec, dc, &device, selectionOnly);
    SelectObject(dc, GetStockObject(NULL_PEN));
    paintBand(dc, 0, 0, T.right, M.top - U.top);
    paintBand(dc, 0, 0, M.left - U.left, T.bottom);
    paintBand(dc, bandEdge(P.right - M.right - U.left, T.right), 0, T.right, T.bottom);
    paintBand(dc, 0, bandEdge(P.bottom - U.top - M.bottom, T.bottom), T.right, T.bottom);
    if (EndPage(dc) > 0)
        job.EndDocument();
}

void printTiles(PrintJob &job, _WNDRES *rec, HWND window, HDC dc, const PrintLayout &l, int selectionOnly,
                const std::string &name)
{
    const RECT &P = l.paper, &U = l.unprintable, &M = l.margins, &T = l.tile;
    if (!job.StartDocument(name))
        return;
    const LONG columns = std::max<LONG>(ceilDiv(P.right, T.right), 1);
    const LONG lastColumn = ceilDiv(int64_t(P.right) - M.right, T.right);
    const LONG lastRow = ceilDiv(int64_t(P.bottom) - M.bottom, T.bottom);
    const LONG firstColumn = M.left / T.right, firstRow = M.top / T.bottom;
    const POINT offset{U.left, U.top};
    for (int n = 1;; ++n) {
        int count = 0;
        if (!PM_SetForMultiPagePrint(job.View(), window, &P, &T, &offset, n, &count) || count < 1)
            break;
        if (n == 1)
            SendMessageA(window, MAPN_PROGRESS, MAPN_KIND_PRINTING, MAPN_PROGRESS_START);
        SendMessageA(window, MAPN_PROGRESS, MAPN_KIND_PRINTING, LPARAM(int64_t(n) * 100 / count));
        const LONG c = (n - 1) % columns + 1, r = (n - 1) / columns + 1;
        if (c > lastColumn || r > lastRow || r <= firstRow || c <= firstColumn)
            continue; // wholly in the margins
        RECT clip{0, 0, T.right, T.bottom};
        const bool topEdge = r == firstRow + 1, leftEdge = c == firstColumn + 1;
        const bool rightEdge = c == lastColumn, bottomEdge = r == lastRow;
        if (topEdge) {
            const LONG top = std::max<LONG>(M.top - T.bottom * firstRow, U.top) - U.top;
            if (top > 0)
                clip.top = top;
        }
        if (leftEdge) {
            const LONG left = std::max<LONG>(M.left - T.right * firstColumn, U.left) - U.left;
            if (left > 0)
                clip.left = left;
        }
        if (rightEdge) {
            const LONG right = P.right - (lastColumn - 1) * T.right - M.right - U.left;
            clip.right = right + 2 < T.right ? right + 2 : right;
        }
        if (bottomEdge) {
            const LONG bottom = P.bottom - (lastRow - 1) * T.bottom - U.top - M.bottom;
            clip.bottom = bottom + 2 < T.bottom ? bottom + 2 : bottom;
        }
        selectClip(dc, clip.left, clip.top, clip.right, clip.bottom);
        if (StartPage(dc) <= 0)
            return;
        const RECT device = job.View()->displayRect;
        OnDstrPaint(rec, dc, &device, selectionOnly);
        SelectObject(dc, GetStockObject(NULL_PEN));
        if (topEdge)
            paintBand(dc, 0, 0, T.right, clip.top);
        if (leftEdge)
            paintBand(dc, 0, 0, clip.left, T.bottom);
        if (rightEdge)
            paintBand(dc, clip.right, 0, T.right, T.bottom);
        if (bottomEdge)
            paintBand(dc, 0, clip.bottom, T.right, T.bottom);
        if (EndPage(dc) <= 0)
            return;
    }
    SendMessageA(window, MAPN_PROGRESS, MAPN_KIND_PRINTING, MAPN_PROGRESS_END);
    job.EndDocument();
}

std::string documentName(HWND window)
{
    char caption[128] = {};
    GetWindowTextA(GetParent(GetParent(window)), caption, sizeof caption);
    return caption;
}

// The print or print set-up dialog over the window's printer blocks, which
// take the chosen ones; false when cancelled (a failure of the dialog is
// reported).
bool runPrintDialog(_WNDRES *rec, HWND window, DWORD flags, PRINTDLGA *request)
{
    request->lStructSize = sizeof *request;
    request->hwndOwner = window;
    request->hDevMode = rec->devMode;
    request->hDevNames = rec->devNames;
    request->Flags = flags;
    if (!PrintDlgA(request)) {
        if (CommDlgExtendedError())
            MessageBoxA(0, "Can't display print dialog\n", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    rec->devMode = request->hDevMode;
    rec->devNames = request->hDevNames;
    return true;
}

} // namespace

bool PrintLayoutGet(HWND window, HDC dc, PrintLayout *layout)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->pageSetup || !layout)
        return false;
    const VPSetup v = readSetup(rec->pageSetup);
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    const bool landscape = v.orientation == VP_ORIENT_LANDSCAPE;
    PrintLayout l{};
    l.paper = RECT{0, 0, toPixels(landscape ? v.paperHeight : v.paperWidth, dpiX),
                   toPixels(landscape ? v.paperWidth : v.paperHeight, dpiY)};
    l.shrunkPaper = l.paper;
    l.shrunkPaper.right -= LONG(l.paper.right * 0.002);
    l.shrunkPaper.bottom -= LONG(l.paper.bottom * 0.002);
    POINT sheet{}, offset{};
    Escape(dc, GETPHYSPAGESIZE, 0, nullptr, &sheet);
    Escape(dc, GETPRINTINGOFFSET, 0, nullptr, &offset);
    l.sheet = RECT{0, 0, sheet.x, sheet.y};
    l.unprintable = RECT{offset.x, offset.y, sheet.x - GetDeviceCaps(dc, HORZRES) - offset.x,
                         sheet.y - GetDeviceCaps(dc, VERTRES) - offset.y};
    l.margins = RECT{std::max(toPixels(v.leftMargin, dpiX), l.unprintable.left),
                     std::max(toPixels(v.topMargin, dpiY), l.unprintable.top),
                     std::max(toPixels(v.rightMargin, dpiX), l.unprintable.right),
                     std::max(toPixels(v.bottomMargin, dpiY), l.unprintable.bottom)};
    l.tile = RECT{0, 0, sheet.x - l.unprintable.left - l.unprintable.right,
                  sheet.y - l.unprintable.top - l.unprintable.bottom};
    l.oneSheet = l.shrunkPaper.right <= l.sheet.right && l.shrunkPaper.bottom <= l.sheet.bottom;
    *layout = l;
    return true;
}

void PrintMap(HWND window, int showDialog)
{
    const std::string name = documentName(window);
    _WNDRES *rec = IsWindow(window) ? GetWndRes(window) : nullptr;
    if (!rec || !rec->devNames) {
        MessageBoxA(messageOwner(), kNoPrinter, kInformation, MB_OK | MB_ICONINFORMATION);
        return;
    }
    int selectionOnly = 0;
    if (showDialog == 1) {
        PRINTDLGA request{};
        if (!runPrintDialog(rec, window, PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE, &request))
            return;
        selectionOnly = (request.Flags & PD_SELECTION) ? 1 : 0;
        // The job makes its own context from the chosen blocks.
        DeleteDC(request.hDC);
    }

    correctPaperNumber(rec->pageSetup, rec->devNames, nullptr);
    if (rec->devMode && GlobalSize(rec->devMode) >= sizeof(DEVMODEA)) {
        if (auto *m = static_cast<DEVMODEA *>(GlobalLock(rec->devMode))) {
            char device[64] = {}, port[64] = {};
            PrinterNamesGet(rec->devNames, device, port, nullptr);
            if (DeviceCapabilitiesA(device, port, DC_COPIES, nullptr, nullptr) < 1)
                m->dmCopies = 1;
            m->dmOrientation =
                int16_t(readSetup(rec->pageSetup).orientation == VP_ORIENT_LANDSCAPE ? DMORIENT_LANDSCAPE
                                                                                     : DMORIENT_PORTRAIT);
            m->dmTTOption = DMTT_BITMAP;
            GlobalUnlock(rec->devMode);
        }
    }

    const HDC dc = PrinterDCCreate(rec->devNames, rec->devMode);
    if (!dc) {
        MessageBoxA(messageOwner(), "Create DC error !", nullptr, MB_OK);
        return;
    }
    PrintLayout layout;
    PrintJob job(rec, window, dc);
    if (!PrintLayoutGet(window, dc, &layout) || layout.tile.right < 1 || layout.tile.bottom < 1)
        return;
    if (layout.oneSheet)
        printOneSheet(job, rec, window, dc, layout, selectionOnly, name);
    else
        printTiles(job, rec, window, dc, layout, selectionOnly, name);
}

void PrinterSetup(HWND window)
{
    _WNDRES *rec = IsWindow(window) ? GetWndRes(window) : nullptr;
    if (!rec || !rec->devNames) {
        MessageBoxA(messageOwner(), kNoPrinter, kInformation, MB_OK | MB_ICONINFORMATION);
        return;
    }
    PRINTDLGA request{};
    if (!runPrintDialog(rec, window, PD_PRINTSETUP | PD_USEDEVMODECOPIESANDCOLLATE, &request))
        return;
    bool papersUnreadable = false;
    if (!correctPaperNumber(rec->pageSetup, rec->devNames, &papersUnreadable)) {
        MessageBoxA(messageOwner(), "WLOCK(GETWNDRES(hWnd,WNDRES,hVp),VPAGE) returned null", kInformation,
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (papersUnreadable)
        MessageBoxA(messageOwner(),
                    "PrinterSetup exception, you printer driver does not support the papers:", kInformation,
                    MB_OK | MB_ICONINFORMATION);
}

void PageSetupShowDlg(HWND window, int undo)
{
    if (GetWndRes(window))
        RunPageSetupDialog(window, undo);
}
