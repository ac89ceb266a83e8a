// The kernel object browser: a diagnostic dialog that shows one object of a
// kernel at a time (handle, class, its class's information lines, head
// fields and counters, references, data as hexadecimal words), follows
// references with a history to go back along, and shows the tree that hangs
// below an object through one reference id.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>
#include <string>
#include <vector>

// Everything the dialog shows and does, without a window.
class ObjectBrowserModel {
public:
    static constexpr int kMaxHistory = 40;
    static constexpr int kMaxTreeLine = 80;

    // A step of the path taken: the object and the slot followed from it.
    struct Step {
        OBJHANDLE object;
        int32_t slot;
    };
    // A line of the lower-left list: in the reference list its data is the
    // slot, in the tree the node's handle.
    struct Line {
        std::string text;
        uint32_t data;
    };

    explicit ObjectBrowserModel(OBJectKernel *kernel) : kernel_(kernel) {}

    // Starts at the object: false (after the internal error box "No object
    // to start walk") without one.
    bool Open(OBJHANDLE start);

    OBJHANDLE Current() const { return current_; }
    const std::string &HandleText() const { return handleText_; }
    const std::string &ClassText() const { return classText_; }
    const std::vector<std::string> &InfoLines() const { return infoLines_; }
    const std::vector<Line> &ReferenceLines() const { return refLines_; }
    const std::vector<std::string> &DataLines() const { return dataLines_; }
    bool TreeShown() const { return treeShown_; }
    bool StructShown() const { return structShown_; }
    const char *ReferenceCaption() const { return treeShown_ ? "Tree:" : "References:"; }
    const char *DataCaption() const { return structShown_ ? "Structure Fields:" : "Data:"; }
    const std::vector<Step> &History() const { return history_; }

    // The selected row of the lower-left list (-1: none). In the tree,
    // selecting a line shows that node in the upper panes.
    int SelectedRow() const { return selectedRow_; }
    void SelectRow(int row);

    bool CanGoTo() const { return !treeShown_ && selectedRow_ >= 0; }
    bool CanShowTree() const { return treeShown_ || selectedRow_ >= 0; }
    bool CanGoBack() const { return !treeShown_ && !history_.empty(); }

    // Follows the selected reference; false when it cannot.
    bool GoTo();
    bool GoBack();
    // The tree below the current object through the selected slot's id.
    bool ShowTree();
    void ShowReferenceList();
    // The data space (false) or the fixed data (true).
    void ShowStructFields(bool structFields);

private:
    void fill(OBJHANDLE object);
    void fillUpper(OBJHANDLE object);
    void fillReferences();
    void fillData();
    void pushHistory(int32_t slot);

    OBJectKernel *kernel_;
    OBJHANDLE current_ = 0;
    std::string handleText_, classText_;
    std::vector<std::string> infoLines_;
    std::vector<Line> refLines_;
    std::vector<std::string> dataLines_;
    std::vector<Step> history_;
    bool treeShown_ = false;
    bool structShown_ = false;
    int selectedRow_ = -1;
};

// Shows the browser modally (template "OBJWalkDlg") on the kernel from the
// start object. 1 when it was shown, 0 without a kernel or a start object.
int OBJectWalk(OBJectKernel *kernel, HWND parent, OBJHANDLE start);
