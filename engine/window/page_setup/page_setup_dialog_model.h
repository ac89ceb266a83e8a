// What the Page Setup dialog does, without widgets: the texts of its boxes,
// which boxes were edited, the paper list and orientation it shows, and
// what each user action commits to the page setup working copy. Every edit
// goes to the CPageSet member that validates it; the boxes then show what
// the page setup really holds, so a refused value simply reappears as it was.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/window_record.h"
#include "engine/window/page_setup/page_set.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

// The dialog's edit boxes.
enum class PageSetupBox {
    XOrigin,
    YOrigin,
    XExtension,
    YExtension,
    LeftMargin,
    TopMargin,
    RightMargin,
    BottomMargin,
    ScalePaper,
    ScaleMap,
    PaperWidth,
    PaperHeight,
};
inline constexpr size_t kPageSetupBoxCount = 12;

class PageSetupDialogModel {
public:
    // Takes over the page setup, which the dialog owns for its life.
    PageSetupDialogModel(_WNDRES *window, std::unique_ptr<CPageSet> pageSet);

    // Opening: notes the page's area, shows every value, no box edited,
    // Apply disabled.
    void Open();

    // ---- what the dialog shows
    const std::vector<std::string> &PaperNames() const { return paperNames_; }
    int PaperIndex() const { return pageSet_->GetActivePaperIndex(); }
    // The width and height boxes (and their labels) are for custom sizes.
    bool SizeBoxesEnabled() const;
    // 0 portrait, 1 landscape: the radio buttons' index.
    int OrientationIndex() const { return pageSet_->IsLandscape() ? 1 : 0; }
    // The icon of the orientation button.
    const char *OrientationIcon() const { return pageSet_->IsLandscape() ? "ICO_LAND" : "ICO_PORT"; }
    const std::string &Text(PageSetupBox box) const { return texts_[size_t(box)]; }
    bool Edited(PageSetupBox box) const { return edited_[size_t(box)]; }
    bool ApplyEnabled() const { return applyEnabled_; }

    // ---- what the user does
    // The box's text changed: marked edited, Apply enabled.
    void Type(PageSetupBox box, const std::string &text);
    // The box lost the focus: an edited box commits its value.
    void Leave(PageSetupBox box);
    // A paper chosen in the list.
    void ChoosePaper(int index);
    // A radio button: 0 portrait, 1 landscape.
    void ChooseOrientation(int index);
    // The orientation icon button turns the page.
    void TurnPage();
    // Apply: commits the scale, writes the page setup to the window and
    // repaints the old and the new page area.
    void ApplyNow();
    // OK: commits every edited box, applies and repaints. The dialog closes.
    void Accept();
    // The help button: the engine's help request for this dialog.
    void Help();

    CPageSet &PageSet() { return *pageSet_; }
    _WNDRES *Window() const { return window_; }

    static constexpr int kHelpId = 163;

private:
    void ShowAll();
    void ClearMarks() { edited_.fill(false); }
    void CommitScale();
    void Commit(PageSetupBox box);
    void ApplyAndRepaint();
    MAP_COORDRECT PageBound() const;

    _WNDRES *window_;
    std::unique_ptr<CPageSet> pageSet_;
    std::vector<std::string> paperNames_;
    std::array<std::string, kPageSetupBoxCount> texts_;
    std::array<bool, kPageSetupBoxCount> edited_{};
    bool applyEnabled_ = false;
    MAP_COORDRECT oldBound_{1, 1, 0, 0};
};
