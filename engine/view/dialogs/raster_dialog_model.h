// What the raster dialog ("Raster Object") works on, without a window: a
// temporary copy of one raster object whose placement, visibility,
// resolution, scale and file the fields edit. Width, height, resolution and
// scale are tied by ResOrDim: a field that loses the focus after an edit
// recomputes the others. Nothing reaches the raster itself until
// EditRasterObject writes the confirmed copy back.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

struct OBJectKernel;

// The controls, by their identifiers.
enum RasterDlgControl : int {
    IDC_RASTERDLG_BROWSE = 101,
    IDC_RASTERDLG_FILE = 102,
    IDC_RASTERDLG_FILE_LABEL = 103,
    IDC_RASTERDLG_X = 104,
    IDC_RASTERDLG_X_LABEL = 105,
    IDC_RASTERDLG_Y = 106,
    IDC_RASTERDLG_Y_LABEL = 107,
    IDC_RASTERDLG_WIDTH = 108,
    IDC_RASTERDLG_WIDTH_LABEL = 109,
    IDC_RASTERDLG_HEIGHT = 110,
    IDC_RASTERDLG_HEIGHT_LABEL = 111,
    IDC_RASTERDLG_PLACEMENT_GROUP = 112,
    IDC_RASTERDLG_FRAME = 113,
    IDC_RASTERDLG_VISUAL_GROUP = 114,
    IDC_RASTERDLG_IMAGE = 115,
    IDC_RASTERDLG_RES_X = 116,
    IDC_RASTERDLG_RES_Y = 117,
    IDC_RASTERDLG_RES_GROUP = 118,
    IDC_RASTERDLG_RES_X_LABEL = 119,
    IDC_RASTERDLG_RES_Y_LABEL = 120,
    IDC_RASTERDLG_CLIPPING = 121,
    IDC_RASTERDLG_SCALE = 1000,
    IDC_RASTERDLG_HELP = 57670,
};

// The dialog's strings and help topic.
inline constexpr unsigned IDS_RASTERDLG_BROWSE_TITLE = 716;  // "Browse raster file"
inline constexpr unsigned IDS_RASTERDLG_BROWSE_FAILED = 717; // "Could not open browsed file."
inline constexpr int RASTERDLG_HELP_TOPIC = 680;

// The chooser of RasterBrowse: the raster file picked, or nothing when
// cancelled. The default asks the open-file dialog.
struct RasterBrowseRequest {
    HWND owner = 0;
    std::string title;
    std::string initialPath;
    std::string filter; // "description|pattern|" per converter and one more "|"
};
using RasterFileChooser = std::function<std::optional<std::string>(const RasterBrowseRequest &)>;

class RasterDialogModel {
public:
    // Fills the fields from the copy (the dialog's start). owner is the map
    // window of the raster; copy a raster linked nowhere, which the model
    // edits but does not own.
    RasterDialogModel(HWND owner, OBJHANDLE copy);

    bool valid() const { return kernel_ != nullptr; }
    HWND owner() const { return owner_; }
    bool hasImage() const { return hasImage_; }
    int32_t scale() const { return scale_; }
    // False while the fields are being filled or recomputed: focus changes
    // then recompute nothing.
    bool ready() const { return ready_; }

    // The edit fields' texts and the check boxes' states, by control id.
    std::string text(int id) const;
    void setText(int id, const std::string &value) { texts_[id] = value; }
    bool checked(int id) const;
    void setChecked(int id, bool on) { checks_[id] = on; }
    // The resolution and visibility controls are usable only with an image.
    bool imageControlsEnabled() const { return hasImage_; }

    // An edited field lost the focus: recomputes the tied fields when ready
    // and the copy has an image (EN_KILLFOCUS of 108, 110, 116, 117, 1000).
    void EditFocusLost(int id, bool modified);
    // RasterDlgRecalc: recomputes the fields tied to the edited one. 1.
    int Recalc(int id);
    // Frame or image clicked: at least one of the two stays ticked.
    void ClickVisibility(int id);
    // RasterBrowse: picks a file through the chooser and reads its header
    // through the converter registered for it. Non-zero when a file was
    // converted; 0 otherwise (with the message box on a converter failure).
    int Browse(const RasterFileChooser &chooser = {});
    // OK: writes the fields to the copy. The dialog's result 1.
    int Ok();

private:
    void showResolutions(double rx, double ry);
    _COORDRECT bound() const;
    void setBound(const _COORDRECT &r);
    bool pixelSize(int32_t *p, int32_t *q) const;
    double resOrDim(long pixels, double value) const;

    HWND owner_ = 0;
    OBJectKernel *kernel_ = nullptr;
    OBJHANDLE copy_ = 0;
    int unit_ = 0;
    int32_t scale_ = 0;
    bool hasImage_ = false;
    bool ready_ = false;
    std::map<int, std::string> texts_;
    std::map<int, bool> checks_;
};

// Resolutions as the dialog shows them: "%.2f dpi", "0 dpi" when not
// positive.
std::string RasterDpiText(double dpi);

// Lets the user change the raster in place through the dialog "RASTERDLG".
// 1 when confirmed, 0 when cancelled or when the window or raster is gone,
// -1 when the dialog cannot be made. Records no undo step.
int EditRasterObject(HWND window, OBJHANDLE raster);
