// What the identifier dialog works on, without a window. It opens in one of
// two modes:
// - object mode, when the window's selection holds an object: the fields
//   edit the identifier of the last selected object, applied to it by OK;
// - list mode, when nothing is selected: every change applies at once to
//   the identifiers of the chosen list items, and OK selects on the map the
//   objects that carry them.
// Every change is recorded in the undo history from the position taken at
// opening: OK closes the records into one step, Cancel undoes them.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <set>
#include <string>
#include <vector>

struct OBJectKernel;

// Undo step code of the dialog's changes ("Change identification").
inline constexpr uint16_t UNDO_OP_CHANGE_IDENTIFICATION = 260;
// The dialog's strings: captions in object and list mode.
inline constexpr unsigned IDS_IDDLG_OBJECT_CAPTION = 754;
inline constexpr unsigned IDS_IDDLG_LIST_CAPTION = 755;
// The help topic of the dialog.
inline constexpr int IDDLG_HELP_TOPIC = 356;

// The controls, by their identifiers.
enum IdDlgControl : int {
    IDC_IDDLG_EXISTING_LABEL = 101,
    IDC_IDDLG_SECONDARY_LABEL = 103,
    IDC_IDDLG_ORDER_CODE_FIRST = 104,
    IDC_IDDLG_ORDER_NAME_FIRST = 105,
    IDC_IDDLG_LIST = 106,
    IDC_IDDLG_DELETE = 110,
    IDC_IDDLG_NAME = 112,
    IDC_IDDLG_CODE = 113,
    IDC_IDDLG_PRIMARY_LABEL = 114,
    IDC_IDDLG_ORDER_GROUP = 115,
    IDC_IDDLG_TEXT_GROUP = 116,
    IDC_IDDLG_SHOW_CODE = 117,
    IDC_IDDLG_SHOW_NAME = 118,
    IDC_IDDLG_HELP = 2000,
};

// A three-state check box.
enum class IdCheck { Unchecked, Checked, Indeterminate };

struct IdDlgItem {
    std::string text; // "code\tname" or "name\tcode" by the order
    OBJHANDLE id = 0;
};

class IdentifierDialogModel {
public:
    // Opens on the window's document: takes the undo position, clears the
    // layers' graph flag 4 while the dialog is open and, in object mode,
    // gives an object without identifier the texts selected just before it.
    explicit IdentifierDialogModel(HWND window);
    // Sets the layers' graph flag 4 again.
    ~IdentifierDialogModel();
    IdentifierDialogModel(const IdentifierDialogModel &) = delete;
    IdentifierDialogModel &operator=(const IdentifierDialogModel &) = delete;

    bool valid() const { return kernel_ != nullptr; }
    HWND window() const { return window_; }
    bool objectMode() const { return object_ != 0; }
    OBJHANDLE object() const { return object_; }
    std::string caption() const;

    // The list, sorted by its texts as a sorted list box sorts them.
    const std::vector<IdDlgItem> &items() const { return items_; }
    // The chosen items: in object mode at most one, the current item.
    const std::set<int> &selection() const { return selected_; }
    int order() const { return order_; }
    // The list's tab stop in dialog units: 56 with the code first, 136
    // with the name first.
    int tabStop() const { return order_ == 0 ? 56 : 136; }
    int framedItem() const { return framed_; }
    uint16_t options() const { return options_; }

    // The fields as the dialog shows them; the widget writes the edits back.
    std::string code, name;
    IdCheck showCode = IdCheck::Unchecked, showName = IdCheck::Unchecked;
    bool checksEnabled = false, deleteEnabled = false;

    // Fills the list again and restores what was chosen (object mode: the
    // object's identifier, then as a selection change).
    void Fill();
    // The user changed the list's selection to these items.
    void SelectItems(const std::set<int> &indexes);
    // Radio buttons: 0 code first, 1 name first.
    void SetOrder(int order);
    // A click on a text option (IDC_IDDLG_SHOW_CODE or IDC_IDDLG_SHOW_NAME).
    void ClickTextOption(int control);
    // An edit field lost the focus; modified tells whether it was edited.
    void EditFocusLost(bool modified);
    // An edit field's text changed: the typed search unless one item is
    // chosen.
    void EditTextChanged();
    // The typed search: frames the first item whose columns begin with the
    // typed code and name; 1.
    int FindTyped();
    // Applies the fields (or removes, with del) as the mode says; 1 done,
    // 0 nothing done or stopped at a refusal.
    int Apply(bool del);
    // The Delete button: true when the dialog is to end as by OK (object
    // mode).
    bool Delete();
    // OK: applies, stores the options, closes the undo step when anything
    // changed and repaints what changed. Returns the dialog's result 1.
    int Ok();
    // Cancel or the close command: undoes what the dialog did. Returns 0.
    int Cancel();

    // The texts of the chosen items, each followed by CR LF (empty when none
    // is chosen); CopySelection puts them on the clipboard as text.
    std::string SelectionText() const;
    bool CopySelection(HWND owner) const;

    // The first carrier of an identifier; 0 when none.
    OBJHANDLE userOf(OBJHANDLE id) const;

private:
    void autoIdentify();
    std::string itemText(const std::string &code, const std::string &name) const;
    void addItem(const std::string &text, OBJHANDLE id);
    void selectionChanged();
    void enableControls(bool enable, bool enableDelete);
    void addChanged(OBJHANDLE object);
    int setId(OBJHANDLE object, const char *code, const char *name, int showCode, int showName);
    void setLayerFlag(bool on);

    HWND window_ = 0;
    OBJectKernel *kernel_ = nullptr;
    OBJHANDLE selList_ = 0, idsList_ = 0, layers_ = 0, groups_ = 0;
    OBJHANDLE object_ = 0;
    int order_ = 0;
    uint16_t options_ = 0;
    _COORDRECT changed_{};
    int undoAtOpening_ = 0;
    int single_ = -1;
    int framed_ = -1;
    std::vector<IdDlgItem> items_;
    std::set<int> selected_;
};
