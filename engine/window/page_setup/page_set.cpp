// The page setup working copy: construction from the window, the paper
// list, margins, orientation, choosing a paper, and Apply.

#include "engine/window/page_setup/page_set.h"

#include "engine/editing/display_pass.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/undo.h"
#include "engine/view/text/text_object.h"
#include "engine/window/printing/printer_helpers.h"
#include "platform/global_memory.h"
#include "platform/printers.h"

#include <algorithm>
#include <cstdint>
#include <cctype>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

constexpr const char *kCustomPaperName = "Custom Size...";
constexpr unsigned kCustomPaperStringId = 50;
// The smallest custom paper side the page setup accepts.
constexpr LONG kMinPaperSide = 50;
constexpr int64_t kMinExtension = 5;

std::string customPaperName()
{
    char text[64] = {};
    return LoadStringMap(kCustomPaperStringId, text, int(sizeof text)) > 0 ? std::string(text)
                                                                           : std::string(kCustomPaperName);
}

void copyName(char (&to)[64], const std::string &from)
{
    std::memset(to, 0, sizeof to);
    std::strncpy(to, from.c_str(), sizeof to - 1);
}

// A block that was never set, or one damaged so that a side is not
// positive, stands for the custom A4-like sheet.
void giveCustomDefaults(VPSetup &s)
{
    s = VPSetup{};
    copyName(s.paperName, customPaperName());
    s.paperWidth = VP_DEFAULT_WIDTH;
    s.paperHeight = VP_DEFAULT_HEIGHT;
    s.leftMargin = s.topMargin = s.rightMargin = s.bottomMargin = VP_DEFAULT_MARGIN;
    s.orientation = VP_ORIENT_PORTRAIT;
    s.paperNumber = PAPER_CUSTOM_NUMBER;
}

} // namespace

CPageSet::CPageSet(_WNDRES *window, int undo, uint16_t, int save) : window_(window)
{
    failed_ = 1;
    if (!window_ || !window_->pageSetup || GlobalSize(window_->pageSetup) < sizeof(VPSetup))
        return;
    const void *block = GlobalLock(window_->pageSetup);
    if (!block)
        return;
    std::memcpy(&setup_, block, sizeof setup_);
    GlobalUnlock(window_->pageSetup);
    setup_.paperName[sizeof setup_.paperName - 1] = '\0';
    if (setup_.paperWidth <= 0 || setup_.paperHeight <= 0)
        giveCustomDefaults(setup_);
    if (setup_.orientation != VP_ORIENT_LANDSCAPE)
        setup_.orientation = VP_ORIENT_PORTRAIT;

    const OBJHANDLE page = PageGetFromWindow(window_->hWnd);
    if (!page || !PageRead(window_->kernel, page, &page_))
        return;
    FillPapers();
    undo_ = undo;
    save_ = save;
    failed_ = 0;
}

// ---------------------------------------------------------------------------
// Paper list

bool CPageSet::FillPapers()
{
    papers_.clear();
    if (window_->devNames && PrinterNamesGet(window_->devNames, device_, port_, driver_)) {
        PaperList list;
        const int count = PaperListGet(&list, PAPER_LIST_NAMES | PAPER_LIST_SIZES | PAPER_LIST_NUMBERS,
                                       window_->devNames, nullptr);
        const size_t n =
            std::min({size_t(std::max(count, 0)), list.names.size(), list.sizes.size(), list.numbers.size()});
        for (size_t i = 0; i < n; ++i) {
            // The printer's own custom size is left out: the page setup
            // offers its own, last.
            if (list.numbers[i] == PAPER_CUSTOM_NUMBER)
                continue;
            papers_.emplace_back(list.numbers[i], list.names[i], list.sizes[i].x, list.sizes[i].y);
        }
    }
    papers_.emplace_back(PAPER_CUSTOM_NUMBER, customPaperName(), setup_.paperWidth, setup_.paperHeight, true);
    active_ = -1;
    for (size_t i = 0; i < papers_.size(); ++i)
        if (papers_[i].number == setup_.paperNumber)
            active_ = int(i);
    if (active_ < 0) {
        setup_.paperNumber = PAPER_CUSTOM_NUMBER;
        active_ = int(papers_.size()) - 1;
    }
    Fill_VP_PaperName();
    return true;
}

void CPageSet::Fill_VP_PaperName()
{
    if (active_ >= 0 && active_ < int(papers_.size()))
        copyName(setup_.paperName, papers_[size_t(active_)].name);
}

int CPageSet::GetPaperIndexByNumber(int number) const
{
    if (number < 0)
        return -1;
    for (size_t i = 0; i < papers_.size(); ++i)
        if (papers_[i].number == number)
            return int(i);
    return -1;
}

int CPageSet::GetPaperIndexByName(const std::string &name) const
{
    if (std::none_of(name.begin(), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
        return -1;
    for (size_t i = 0; i < papers_.size(); ++i)
        if (papers_[i].name.find(name) != std::string::npos)
            return int(i);
    return -1;
}

int CPageSet::GetCustomPaperIndex() const { return GetPaperIndexByNumber(PAPER_CUSTOM_NUMBER); }

bool CPageSet::SetPaperByNumber(int number)
{
    const int index = GetPaperIndexByNumber(number);
    return index >= 0 && SetPaperByIndex(index);
}

bool CPageSet::SetPaperByIndex(int index)
{
    if (index < 0 || index >= int(papers_.size()))
        return false;
    const CPaperType &chosen = papers_[size_t(index)];
    // A printer may report a paper without a size; it cannot carry a page.
    if (chosen.width <= 0 || chosen.height <= 0)
        return false;
    if (chosen.IsCustomFormat()) {
        const bool wantLandscape = chosen.width > chosen.height;
        const bool wantPortrait = chosen.width < chosen.height;
        if ((wantLandscape && IsPortrait()) || (wantPortrait && IsLandscape())) {
            // Turning the page swaps the active custom entry; swapping it
            // back leaves the entry with the sides it was given.
            if (wantLandscape)
                SetLandscape();
            else
                SetPortrait();
            ChangeActivePaperFormatOrientation();
        }
    }
    const CPaperType entry = papers_[size_t(index)];
    // Map units per tenth of a millimetre of the page as it is.
    const double xRatio = double(page_.extension.x) / double(GetPageXLenght());
    const double yRatio = double(page_.extension.y) / double(GetPageYLenght());

    FitMarginsToNewSize(POINT{entry.width, entry.height});
    setup_.paperWidth = std::min(entry.width, entry.height);
    setup_.paperHeight = std::max(entry.width, entry.height);

    double ex = std::trunc(double(GetPageXLenght()) * xRatio + 0.5);
    double ey = std::trunc(double(GetPageYLenght()) * yRatio + 0.5);
    if (ex < kMinExtension || ey < kMinExtension) {
        const double fx = ex >= kMinExtension ? 1.0 : kMinExtension / std::max(ex, 1.0);
        const double fy = ey >= kMinExtension ? 1.0 : kMinExtension / std::max(ey, 1.0);
        const double f = std::max(fx, fy);
        ex = std::trunc(ex * f + 0.5);
        ey = std::trunc(ey * f + 0.5);
    }
    copyName(setup_.paperName, entry.name);
    setup_.paperNumber = entry.number;
    active_ = index;
    // A page that would leave the coordinate range keeps its extension; the
    // recompute then fits it to the new paper.
    if (!PlacePage(page_.origin.x, page_.origin.y, int64_t(std::max(ex, 1.0)), int64_t(std::max(ey, 1.0))))
        UpdatePageObjectCoords();
    return true;
}

bool CPageSet::SetPageXLenght(LONG v)
{
    if (v < kMinPaperSide || active_ < 0 || !papers_[size_t(active_)].IsCustomFormat())
        return false;
    CPaperType &entry = papers_[size_t(active_)];
    // The entry's sides follow the page, so the X length is its width.
    entry.width = v;
    return SetPaperByIndex(active_);
}

bool CPageSet::SetPageYLenght(LONG v)
{
    if (v < kMinPaperSide || active_ < 0 || !papers_[size_t(active_)].IsCustomFormat())
        return false;
    papers_[size_t(active_)].height = v;
    return SetPaperByIndex(active_);
}

void CPageSet::FitMarginsToNewSize(POINT size)
{
    auto fit = [](LONG newLength, LONG oldLength, int32_t &a, int32_t &b) {
        if (int64_t(a) + b < newLength)
            return;
        if (oldLength > 0) {
            a = int32_t(int64_t(newLength) * a / oldLength);
            b = int32_t(int64_t(newLength) * b / oldLength);
        }
        if (int64_t(a) + b >= newLength)
            a = b = int32_t(std::trunc(newLength * 0.25));
    };
    const LONG oldX = GetPageXLenght(), oldY = GetPageYLenght();
    fit(size.x, oldX, setup_.leftMargin, setup_.rightMargin);
    fit(size.y, oldY, setup_.topMargin, setup_.bottomMargin);
}

// ---------------------------------------------------------------------------
// Margins

bool CPageSet::GetMargins(RECT *margins) const
{
    if (!margins)
        return false;
    *margins = RECT{setup_.leftMargin, setup_.topMargin, setup_.rightMargin, setup_.bottomMargin};
    return true;
}

bool CPageSet::SetMargins(const RECT *m)
{
    if (!m || m->left < 0 || m->top < 0 || m->right < 0 || m->bottom < 0 ||
        int64_t(m->left) + m->right >= setup_.paperWidth || int64_t(m->top) + m->bottom >= setup_.paperHeight)
        return false;
    setup_.leftMargin = m->left;
    setup_.topMargin = m->top;
    setup_.rightMargin = m->right;
    setup_.bottomMargin = m->bottom;
    UpdatePageObjectCoords();
    return true;
}

bool CPageSet::SetLeftMargin(LONG m)
{
    if (m < 0 || int64_t(m) + setup_.rightMargin >= setup_.paperWidth)
        return false;
    setup_.leftMargin = m;
    UpdatePageObjectCoords();
    return true;
}

bool CPageSet::SetRightMargin(LONG m)
{
    if (m < 0 || int64_t(m) + setup_.leftMargin >= setup_.paperWidth)
        return false;
    setup_.rightMargin = m;
    UpdatePageObjectCoords();
    return true;
}

bool CPageSet::SetTopMargin(LONG m)
{
    if (m < 0 || int64_t(m) + setup_.bottomMargin >= setup_.paperHeight)
        return false;
    setup_.topMargin = m;
    UpdatePageObjectCoords();
    return true;
}

bool CPageSet::SetBottomMargin(LONG m)
{
    if (m < 0 || int64_t(m) + setup_.topMargin >= setup_.paperHeight)
        return false;
    setup_.bottomMargin = m;
    UpdatePageObjectCoords();
    return true;
}

// ---------------------------------------------------------------------------
// Orientation

bool CPageSet::SetPortrait()
{
    if (!IsPortrait())
        ChangeOrientation();
    return true;
}

bool CPageSet::SetLandscape()
{
    if (!IsLandscape())
        ChangeOrientation();
    return true;
}

bool CPageSet::ChangeOrientation()
{
    VPSetup &s = setup_;
    const int32_t l = s.leftMargin, t = s.topMargin, r = s.rightMargin, b = s.bottomMargin;
    if (IsPortrait()) {
        s.orientation = VP_ORIENT_LANDSCAPE;
        s.leftMargin = b;
        s.topMargin = l;
        s.rightMargin = t;
        s.bottomMargin = r;
    } else {
        s.orientation = VP_ORIENT_PORTRAIT;
        s.leftMargin = t;
        s.topMargin = r;
        s.rightMargin = b;
        s.bottomMargin = l;
    }
    std::swap(page_.extension.x, page_.extension.y);
    ChangeActivePaperFormatOrientation();
    UpdatePageObjectCoords();
    return true;
}

void CPageSet::ChangeActivePaperFormatOrientation()
{
    if (active_ >= 0 && active_ < int(papers_.size()) && papers_[size_t(active_)].IsCustomFormat())
        std::swap(papers_[size_t(active_)].width, papers_[size_t(active_)].height);
}

// ---------------------------------------------------------------------------
// Apply

void CPageSet::WritePrinterPaper()
{
    const HGLOBAL block = window_->devMode;
    if (!block || GlobalSize(block) < sizeof(DEVMODEA))
        return;
    auto *dm = static_cast<DEVMODEA *>(GlobalLock(block));
    if (!dm)
        return;
    // The printer keeps its own paper while the page uses the page setup's
    // custom size. dmFields is left as it is: the printers read the fields
    // without it.
    const bool builtInCustom =
        active_ >= 0 && active_ < int(papers_.size()) && papers_[size_t(active_)].IsGormCustomFormat();
    auto to16 = [](int32_t v) { return int16_t(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX)); };
    if (!builtInCustom) {
        dm->dmPaperSize = to16(setup_.paperNumber);
        if (setup_.paperNumber == PAPER_CUSTOM_NUMBER) {
            dm->dmPaperLength = to16(setup_.paperHeight);
            dm->dmPaperWidth = to16(setup_.paperWidth);
        }
    }
    dm->dmOrientation = to16(setup_.orientation);
    GlobalUnlock(block);
}

void CPageSet::Apply()
{
    if (failed_)
        return;
    const HWND hwnd = window_->hWnd;
    // Nothing may draw the page while it changes under it.
    StopAndWaitDrawing(window_);

    WritePrinterPaper();
    if (save_)
        SavePageDataToRegistry();

    bool blockChanged = true;
    if (window_->pageSetup && GlobalSize(window_->pageSetup) >= sizeof(VPSetup)) {
        if (void *block = GlobalLock(window_->pageSetup)) {
            blockChanged = std::memcmp(block, &setup_, sizeof setup_) != 0;
            std::memcpy(block, &setup_, sizeof setup_);
            GlobalUnlock(window_->pageSetup);
        }
    }

    bool pageChanged = false;
    const OBJHANDLE page = PageGetFromWindow(hwnd);
    OBJectKernel *kernel = window_->kernel;
    if (page) {
        if (char *p = GraphHeadLock(kernel, page, PAGE_FIXED_SIZE)) {
            pageChanged = std::memcmp(p, &page_, sizeof page_) != 0;
            const bool recordStep = undo_ && !blockChanged && pageChanged;
            if (recordStep)
                Undo_ChangeObject(kernel, page);
            // The record may have moved while the undo copy was made.
            if ((p = GraphHeadLock(kernel, page, PAGE_FIXED_SIZE)))
                std::memcpy(p, &page_, sizeof page_);
            if (recordStep)
                Undo_SetNewStep(hwnd, kernel, UNDO_OP_PAGE_SETUP);
        }
    }
    if (save_ && (blockChanged || pageChanged))
        window_->flags |= WNDRES_MODIFIED;
    if (page) {
        PageSetBoundingRectangle(kernel, window_->displayView, page);
        TextObjectsRecalcAll(hwnd);
    }
}
