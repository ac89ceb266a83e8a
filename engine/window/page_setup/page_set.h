// The page setup of a map window as one working copy: which paper (one of
// the printer's or a custom size), in which orientation, with which margins,
// and where the page lies on the map. It is built from the window's page
// set-up block and page object, changed through validating members and
// written back by Apply; the Page Setup dialog, the window's attach and the
// page's automation objects all work through it.
//
// Units: paper sizes and margins in tenths of a millimetre; origin and
// extension in the world coordinates of the window's view. The paper's
// sides are stored short side first; the orientation alone says how the
// paper lies, and the margins are those of the oriented page.
#pragma once

#include "engine/kernel/window_record.h"
#include "engine/window/page.h"
#include "engine/window/page_setup/paper_type.h"
#include "platform/types.h"

#include <cstdint>
#include <optional>
#include <string>

class CPageSet {
public:
    // undoOperation is what the caller would record; Apply always records
    // the page setup's own step.
    CPageSet(_WNDRES *window, int undo, uint16_t undoOperation, int save);
    CPageSet(const CPageSet &) = delete;
    CPageSet &operator=(const CPageSet &) = delete;

    // Construction failed (no record, no block, no page object): discard.
    bool Failed() const { return failed_ != 0; }

    // Writes the copy back to the window (block, page object, printer's
    // paper and orientation; registry and modified mark with the save flag;
    // an undo step when only the page moved or resized and the undo flag is
    // set).
    void Apply();

    // ---- registry ("Settings\Page" of the window's settings key)
    void SavePageDataToRegistry();
    // Paper size, orientation, extensions, margins, origins, in this order.
    // Missing and damaged values are skipped; refused ones change nothing.
    void InitPageDataFromRegistry();
    void InitPaperSizeFromRegistry();
    void InitPageOrientationFromRegistry();
    void InitPageExtensionsFromRegistry();
    void InitPaperMarginsFromRegistry();
    void InitPageOriginsFromRegistry();

    // ---- margins, as seen on the oriented page
    bool GetMargins(RECT *margins) const;
    LONG GetLeftMargin() const { return setup_.leftMargin; }
    LONG GetTopMargin() const { return setup_.topMargin; }
    LONG GetRightMargin() const { return setup_.rightMargin; }
    LONG GetBottomMargin() const { return setup_.bottomMargin; }
    // Each refuses a negative margin and one that, with its opposite, does
    // not leave some paper between them.
    bool SetMargins(const RECT *margins);
    bool SetLeftMargin(LONG m);
    bool SetTopMargin(LONG m);
    bool SetRightMargin(LONG m);
    bool SetBottomMargin(LONG m);

    // ---- orientation: 1 portrait, 2 landscape
    int GetOrient() const { return setup_.orientation; }
    bool IsPortrait() const { return setup_.orientation != VP_ORIENT_LANDSCAPE; }
    bool IsLandscape() const { return setup_.orientation == VP_ORIENT_LANDSCAPE; }
    bool SetPortrait();
    bool SetLandscape();
    // Turns the page: margins and extension rotate with it.
    bool ChangeOrientation();

    // ---- papers
    int GetActivePaperNum() const { return setup_.paperNumber; }
    int GetActivePaperIndex() const { return active_; }
    const CPaperTypesArr &Papers() const { return papers_; }
    void Fill_VP_PaperName();
    int GetPaperIndexByNumber(int number) const;
    int GetPaperIndexByName(const std::string &name) const;
    int GetCustomPaperIndex() const;
    bool SetPaperByNumber(int number);
    bool SetPaperByIndex(int index);
    // Custom sizes only, at least 50 (5 mm).
    bool SetPageXLenght(LONG v);
    bool SetPageYLenght(LONG v);

    // ---- texts
    // A map length with the unit of the window's view: "250 m" style.
    std::string ConvToGormUI(LONG v) const;
    // A paper length in centimetres or inches, as the regional settings ask.
    static std::string ConvToRegionalMeasure(LONG v);
    // The paper length such a text stands for; 0 for an empty text and -1
    // for one that holds no number or one too large to be a paper length.
    static LONG ConvFromRegionalMeasure(const std::string &text);
    static int IsMeticValue(const std::string &text);
    static int IsDefMetic();

    // ---- origin and extension (world coordinates of the window's view)
    LONG GetXOrigin() const { return page_.origin.x; }
    LONG GetYOrigin() const { return page_.origin.y; }
    // These and every setter below fail, changing nothing, when the page
    // would leave the coordinate range.
    bool SetXOrigin(LONG x);
    bool SetYOrigin(LONG y);
    LONG GetXExtension() const { return page_.extension.x; }
    LONG GetYExtension() const { return page_.extension.y; }
    // One side, keeping the page's aspect ratio; both sides at least 5.
    bool SetXExtension(LONG v);
    bool SetYExtension(LONG v);
    // The paper's length along the page's X and Y axes.
    LONG GetPageXLenght() const;
    LONG GetPageYLenght() const;
    // Fits the extension to the paper's aspect and recomputes the page and
    // printable rectangles.
    void UpdatePageObjectCoords();

    // ---- scale: map length per paper length
    bool GetScale(double *scale) const;
    // As a pair paper : map, (1, n) or (n, 1); (0, 0) and false on failure.
    bool GetScale(POINT *pair) const;
    LONG GetScalePaper() const;
    LONG GetScaleMap() const;
    bool ScaleSet(long double s);
    bool ScaleSet(double s) { return ScaleSet(static_cast<long double>(s)); }
    bool ScaleSet(const POINT *pair);

    // ---- fitting. The rectangle holds its lower-left corner in left, top
    // and its width and height in right, bottom. Horizontal alignment 0
    // centre, 1 left, 2 right; vertical 0 centre, 1 top, 2 bottom. 1 or 0.
    int FitPageToRect(RECT rect, int hAlign, int vAlign);
    int FitPrintableAreaToRect(RECT rect, int hAlign, int vAlign);
    int FitToAllObjects(int printable, int hAlign, int vAlign);
    int FitToSelectedObjects(int printable, int hAlign, int vAlign);
    int FitToObjects(int selected, int printable, int hAlign, int vAlign);

    // The working copies, for readers that want them whole.
    const VPSetup &Setup() const { return setup_; }
    const PageRecord &Page() const { return page_; }
    const char *DeviceName() const { return device_; }
    const char *PortName() const { return port_; }
    const char *DriverName() const { return driver_; }

private:
    bool FillPapers();
    void ChangeActivePaperFormatOrientation();
    void FitMarginsToNewSize(POINT size);
    // The active paper and the orientation into the printer's device mode.
    void WritePrinterPaper();
    // Places the page at the origin with the extension fitted to the paper;
    // false, changing nothing, when it would not fit the coordinate range.
    bool PlacePage(int64_t originX, int64_t originY, int64_t extX, int64_t extY);
    // Units per metre of the view's unit and its kind; false without one.
    bool ViewUnit(double *factor, int32_t *kind) const;
    int FitRect(RECT rect, int hAlign, int vAlign, int printable);

    uint8_t failed_ = 0;
    CPaperTypesArr papers_;
    int active_ = -1;
    _WNDRES *window_ = nullptr;
    VPSetup setup_{};
    PageRecord page_{};
    int undo_ = 0;
    int save_ = 0;
    char device_[64] = {};
    char port_[64] = {};
    char driver_[64] = {};
};

// The leading decimal integer of a text ("1200  cm" and "2100 (in 0,1 mm)"
// read as 1200 and 2100); nothing when the text does not begin with one or
// it leaves 32 bits, so that a stray word or a damaged value is not read as
// 0.
std::optional<LONG> LeadingInteger(const std::string &text);
