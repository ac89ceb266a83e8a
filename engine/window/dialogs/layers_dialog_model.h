// What the Layers dialog works on, without a window: working copies of the
// map's layers shown as list lines. Every change of a field applies at once
// to the copies of the selected lines; only OK writes them back, by building
// a new Layers root that holds the layers in list order with the page layer
// last. Cancel leaves the map as it was.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "engine/kernel/layers.h"
#include "platform/types.h"

#include <array>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct OBJectKernel;

// The controls of the dialog, by their identifiers.
enum LayersDlgControl : int {
    IDC_LAYERS_NUMBER = 108,
    IDC_LAYERS_NAME = 109,
    IDC_LAYERS_SELECTABLE = 110,
    IDC_LAYERS_VISIBLE = 111,
    IDC_LAYERS_ACTIVE = 112,
    IDC_LAYERS_ADD = 115,
    IDC_LAYERS_DELETE = 116,
    IDC_LAYERS_LIST = 118,
    IDC_LAYERS_FILL = 125,
    IDC_LAYERS_NO_FILL = 127,
    IDC_LAYERS_WIDTH = 130,
    IDC_LAYERS_WIDTH_UP = 131,
    IDC_LAYERS_WIDTH_DOWN = 132,
    IDC_LAYERS_PIXELS = 133,
    IDC_LAYERS_UNITS = 134,
    IDC_LAYERS_STYLE = 135,
    IDC_LAYERS_COLOUR = 136,
    IDC_LAYERS_OPTIONS = 137,
    IDC_LAYERS_HEADER_NAME = 202,
    IDC_LAYERS_HEADER_VISIBLE = 203,
    IDC_LAYERS_HEADER_SELECTABLE = 204,
    IDC_LAYERS_HEADER_CORNER = 205,
    IDC_LAYERS_HEADER_END = 206,
    IDC_LAYERS_HEADER_STYLE = 207,
    IDC_LAYERS_HELP = 2000,
    // The "Options" dialog: endings and corners.
    IDC_LAYERS_END_ROUND = 226,
    IDC_LAYERS_END_SQUARE = 227,
    IDC_LAYERS_CORNER_SQUARE = 230,
    IDC_LAYERS_CORNER_ROUND = 231,
};

// The help topic of the dialog.
inline constexpr int LAYERSDLG_HELP_TOPIC = 464;
// The message for a number field that holds no positive layer number.
inline constexpr const char *LAYERSDLG_BAD_NUMBER_TEXT =
    "The layer number must be a whole number from 1 to 2147483646.";

// Bits of the flags byte (Layer::lineOptions).
inline constexpr uint8_t LAYER_WIDTH_IN_UNITS = 1;
inline constexpr uint8_t LAYER_ROUND_CORNERS = 2;
inline constexpr uint8_t LAYER_SQUARE_ENDS = 4;

// One list line: a copy of a layer's record and the layer, 0 for a layer
// added in the dialog.
struct LayerLine {
    Layer record{};
    OBJHANDLE layer = 0;
};

enum class LayerCheck { Unchecked, Checked, Indeterminate };

// Whether two records differ in what the dialog edits.
bool LayerRecordsDiffer(const Layer &a, const Layer &b);

// Where selected lines dragged over the list would be dropped: the line
// before which they go (the line count: the end), or -1 for no drop
// position. x and y are the pointer in the list, rowHeight the height of a
// row, top the first visible line, count the number of lines.
int LayerListDropPosition(int x, int y, int rowHeight, int top, int count);

// The repeat of a held width button: one step each time at least 70 ms
// have passed since the press or the previous step; a release before any
// step gives one step, so a short click steps once. Times in milliseconds.
class WidthButtonRepeat {
public:
    static constexpr int64_t kStepMs = 70;
    void Press(int64_t now)
    {
        last_ = now;
        steps_ = 0;
        held_ = true;
    }
    // The steps due at time now while the button is held: 0 or 1.
    int Poll(int64_t now)
    {
        if (!held_ || now - last_ < kStepMs)
            return 0;
        last_ = now;
        ++steps_;
        return 1;
    }
    // The steps due at the release.
    int Release()
    {
        const bool wasHeld = held_;
        held_ = false;
        return wasHeld && steps_ == 0 ? 1 : 0;
    }
    bool held() const { return held_; }

private:
    int64_t last_ = 0;
    int steps_ = 0;
    bool held_ = false;
};

class LayersDialogModel {
public:
    // Opens on the window's document and the Layers root (0: the window's).
    // A document without a Layers root opens with layer 0 alone (the Layer
    // defaults), and OK makes its first Layers root; a root that is not a
    // Layers root gives a model that is not valid.
    LayersDialogModel(HWND window, OBJHANDLE root = 0);

    bool valid() const { return kernel_ != nullptr; }
    HWND window() const { return window_; }
    OBJHANDLE root() const { return root_; }
    const std::vector<LayerLine> &lines() const { return lines_; }
    const std::set<int> &selection() const { return selected_; }
    int activeLine() const { return active_; }
    const std::array<COLORREF, 16> &customColours() const { return custom_; }

    // The fields as the dialog shows them (ShowSelectionInFields).
    struct Fields {
        std::string number, name, width;
        LayerCheck visible = LayerCheck::Checked, selectable = LayerCheck::Checked;
        LayerCheck active = LayerCheck::Unchecked, noFill = LayerCheck::Unchecked;
        int unit = 0;  // 0 pixels, 1 map units, -1 neither
        int style = 0; // -1 none selected
        std::optional<COLORREF> lineColour;
        bool numberEnabled = true, visibleEnabled = true, selectableEnabled = true;
        bool activeEnabled = false, deleteEnabled = false;
    };
    const Fields &fields() const { return fields_; }

    // The user changed the list's selection.
    void Select(const std::set<int> &lines);

    // Field changes; each applies to the selected lines (ApplyFieldsToSelectedLines).
    // The number: false when the text is refused with the message (the
    // field keeps its text); an empty field, "0", the former number or a
    // number another line holds change nothing and show the former text.
    bool SetNumberText(const std::string &text);
    void SetName(const std::string &name);
    void SetVisible(bool on);
    void SetSelectable(bool on);
    void SetActive();
    void SetUnit(bool inMapUnits);
    void SetStyle(int style);
    // A typed width: false (and nothing changes) unless it is a whole
    // number from 1 up.
    bool SetWidthText(const std::string &text);
    // The width buttons: one step up or down, never below 1.
    void StepWidth(bool up);
    void SetLineColour(COLORREF colour);
    // A fill colour; LAYER_NO_FILL for "<none>".
    void SetFill(uint32_t fill);
    // The "Options" dialog: rounded corners and square ends.
    void SetOptions(bool roundCorners, bool squareEnds);
    void SetCustomColours(const std::array<COLORREF, 16> &colours) { custom_ = colours; }
    // The current line colour and fill for the colour buttons.
    COLORREF currentLineColour() const { return lineColour_; }
    uint32_t currentFill() const { return fill_; }
    uint8_t currentFlags() const { return flags_; }

    // Add Layer: a new line with the next free number after the last line.
    void Add(int32_t number = -1);
    // Deletes the selected lines but the first; selects the first line.
    void Delete();
    // Moves the selected lines (never the first) before the line at
    // position (the line count: to the end). false for position 0 or
    // outside the list.
    bool MoveSelected(int position);

    // OK: the new Layers root, or the old one when it could not be made.
    OBJHANDLE Ok();
    // Cancel: the old root (0 when there was none); nothing changes.
    OBJHANDLE Cancel() const { return root_; }
    // After OK: the lowest list position whose layer changed (32767 when
    // none) and the area of the map that changed.
    int changedFrom() const { return changedFrom_; }
    MAP_COORDRECT changedArea() const { return changedArea_; }

    // The unit text of the width field for a unit.
    std::string unitText(bool inMapUnits) const;

private:
    template <class F>
    void apply(F change);
    void addLine(const Layer &record, OBJHANDLE layer);
    void keepFirstLineLayerZero();
    void takeActiveLineFields();
    void selectFirstLine();
    void showSelection();
    std::string widthText(uint32_t width, bool inMapUnits) const;
    int32_t nextFreeNumber() const;

    HWND window_ = 0;
    OBJectKernel *kernel_ = nullptr;
    OBJHANDLE root_ = 0;
    std::vector<LayerLine> lines_;
    std::set<int> selected_;
    int active_ = 0;
    std::array<COLORREF, 16> custom_{};
    COLORREF lineColour_ = 0;
    uint32_t fill_ = LAYER_NO_FILL;
    uint8_t flags_ = 0;
    uint32_t width_ = 1;
    int style_ = 0;
    Fields fields_;
    int changedFrom_ = 32767;
    MAP_COORDRECT changedArea_{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
};
