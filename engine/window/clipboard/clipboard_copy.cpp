#include "engine/window/clipboard/clipboard_copy.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo.h"
#include "engine/window/clipboard/clipboard_images.h"
#include "engine/window/clipboard/clipboard_paste.h"
#include "engine/window/clipboard/map_clip_data.h"
#include "engine/window/window_access.h"
#include "engine/window/window_selection.h"
#include "platform/clipboard.h"
#include "platform/file.h"
#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/wait_cursor.h"

#include <cstring>
#include <optional>
#include <unordered_set>
#include <vector>

namespace {

bool isSelectionCopy(unsigned command) { return command == COPY_CUT || command == COPY_SELECTION; }

std::vector<OBJHANDLE> references(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id)
{
    std::vector<OBJHANDLE> out;
    int32_t pos = -1;
    while (OBJHANDLE h = GetReference(kernel, holder, id, &pos))
        out.push_back(h);
    return out;
}

// Every selected object, and every member of a selected group at any depth,
// still holds an object.
bool selectionExists(OBJectKernel *kernel, OBJHANDLE list)
{
    std::vector<OBJHANDLE> pending = references(kernel, list, REF_SELECTED);
    std::unordered_set<OBJHANDLE> seen;
    while (!pending.empty()) {
        const OBJHANDLE h = pending.back();
        pending.pop_back();
        if (!CheckIfObjectExists(kernel, h) || IsUndoneObj(kernel, h))
            return false;
        if (GetOBJectClassID(kernel, h) == CLASS_GROUP && seen.insert(h).second)
            for (OBJHANDLE member : references(kernel, h, REF_GROUP_MEMBER))
                pending.push_back(member);
    }
    return true;
}

// Moves the history to the copy's step and back again: steps forward when
// the copy lies ahead (it was undone since), back when it lies behind.
class CopyUndoPosition {
public:
    CopyUndoPosition(OBJectKernel *kernel, int target) : kernel_(kernel), target_(target)
    {
        before_ = Undo_GetPositionCurStep(kernel);
        int ok = 0;
        if (before_ < target)
            steps_ = GoToSavedRedo(kernel, target, &ok);
        else if (before_ > target)
            steps_ = GoToSavedUndo(kernel, target, &ok);
        reached_ = Undo_GetPositionCurStep(kernel) == target;
    }
    ~CopyUndoPosition()
    {
        for (int i = 0; i < steps_; ++i) {
            if (before_ <= target_)
                Undo_Undo(kernel_);
            else
                Undo_Redo(kernel_);
        }
    }
    CopyUndoPosition(const CopyUndoPosition &) = delete;
    CopyUndoPosition &operator=(const CopyUndoPosition &) = delete;
    bool reached() const { return reached_; }

private:
    OBJectKernel *kernel_;
    int target_;
    int before_ = 0;
    int steps_ = 0;
    bool reached_ = false;
};

// The saved selection in the selection list's slot for the time of a
// rendering; the present block goes back at the end.
class SavedSelection {
public:
    SavedSelection(OBJectKernel *kernel, OBJHANDLE list, void *saved) : kernel_(kernel), list_(list)
    {
        present_ = ReplaceSelList(kernel, list, saved);
    }
    ~SavedSelection() { ReplaceSelList(kernel_, list_, present_); }
    SavedSelection(const SavedSelection &) = delete;
    SavedSelection &operator=(const SavedSelection &) = delete;

private:
    OBJectKernel *kernel_;
    OBJHANDLE list_;
    void *present_ = nullptr;
};

// The display pass's clip rectangle for a rendering, cleared at its end
// whatever road it takes, so that the next paint draws the whole window.
class RenderClip {
public:
    RenderClip(HWND window, OBJectKernel *kernel, OBJHANDLE layers) : window_(window), layers_(layers)
    {
        _COORDRECT bound = kEmptyBoundRect;
        SendOBJectMessage(kernel, 0, layers, 0, GRM_GETBOUNDRECT, 1, LPARAM(&bound));
        LayersClipRectSet(window, layers, &bound);
    }
    ~RenderClip() { LayersClipRectSet(window_, layers_, nullptr); }
    RenderClip(const RenderClip &) = delete;
    RenderClip &operator=(const RenderClip &) = delete;

private:
    HWND window_;
    OBJHANDLE layers_;
};

// copyCommand is 0 while a renderer runs, so that nothing it calls takes
// the window for a pending copy.
class CommandCleared {
public:
    explicit CommandCleared(_WNDRES *rec) : rec_(rec), command_(rec->copyCommand) { rec->copyCommand = 0; }
    ~CommandCleared() { rec_->copyCommand = command_; }
    CommandCleared(const CommandCleared &) = delete;
    CommandCleared &operator=(const CommandCleared &) = delete;

private:
    _WNDRES *rec_;
    int32_t command_;
};

uint32_t renderFormat(const MapDoc &doc, UINT format, OBJHANDLE set, int command)
{
    const UINT native = RegisterClipboardFormatA(kNativeClipboardFormat);
    const CommandCleared cleared(doc.rec);
    if (native && format == native)
        return RenderNativeClipboardData(doc.window, command);
    switch (format) {
    case CF_TEXT:
        return OBJectInfoText(doc.kernel, set);
    case CF_BITMAP:
        return ClipboardBitmapOfSet(doc.window, set, command);
    case CF_ENHMETAFILE:
        return ClipboardPictureOfSet(doc.window, set, command);
    default:
        return 0;
    }
}

void freeRendered(UINT format, uint32_t handle)
{
    if (format == CF_BITMAP)
        DeleteObject(handle);
    else
        GlobalFree(handle);
}

void clipboardBusy(HWND window)
{
    MessageBoxA(window, "Another window has the clipboard open.!\n", "Information !",
                MB_OK | MB_ICONINFORMATION);
}

} // namespace

HGLOBAL OBJectInfoText(OBJectKernel *kernel, OBJHANDLE object) { return GraphDescribe(kernel, object); }

void DeleteSelectionForCut(HWND window)
{
    const MapDoc doc(window);
    const OBJHANDLE list = doc.root(CLASS_SELLIST);
    const OBJHANDLE layers = doc.root(CLASS_LAYERS);
    if (!list || !layers)
        return;
    const WaitCursor wait;
    _COORDRECT bound = kEmptyBoundRect;
    SendOBJectMessage(doc.kernel, 0, list, 0, GRM_GETBOUNDRECT, 0, LPARAM(&bound));
    PropagateOBJectMessage(doc.kernel, layers, REF_LAYER_MEMBER, GRM_SETFLAGS, 4, 0);
    Undo_DeleteRootTree(doc.kernel, list);
    Undo_SetNewStep(window, doc.kernel, UNDO_OP_CUT);
    PropagateOBJectMessage(doc.kernel, layers, REF_LAYER_MEMBER, GRM_SETFLAGS, 4, 0xFFFF);
    InvalidateGraphRect(window, &bound, 1);
}

HGLOBAL RenderNativeClipboardData(HWND window, int command)
{
    MemoryFile stream;
    MapSaveToClipboard(window, stream, command); // a partial stream is refused by the reader
    return stream.Data().empty() ? 0 : stream.DetachToGlobal();
}

extern "C" {

long DstrEditCopy(HWND window, unsigned command)
{
    const MapDoc doc(window);
    if (!doc || (!isSelectionCopy(command) && command != COPY_MAP && command != COPY_PAGE))
        return 0;
    const OBJHANDLE list = doc.root(CLASS_SELLIST);
    const WaitCursor wait;
    // Nothing selected: the clipboard and the pending copy stay as they are.
    if (isSelectionCopy(command) && (!list || !FirstReference(doc.kernel, list, REF_SELECTED, nullptr)))
        return 1;
    if (!OpenClipboard(window)) {
        clipboardBusy(window);
        return 0;
    }
    if (isSelectionCopy(command)) {
        if (!CopySelList(window, doc.kernel, list)) {
            CloseClipboard();
            return 0;
        }
        doc.rec->selCopyUndoPos = uint32_t(Undo_GetPositionCurStep(doc.kernel));
    }
    doc.rec->copyCommand = int32_t(command);
    EmptyClipboard();
    if (const UINT native = RegisterClipboardFormatA(kNativeClipboardFormat))
        SetClipboardData(native, 0);
    for (UINT format : {CF_TEXT, CF_BITMAP, CF_ENHMETAFILE})
        SetClipboardData(format, 0);
    Enable_AllPasteButtons(window);
    CloseClipboard();

    if (command == COPY_CUT) {
        DeleteSelectionForCut(window);
        int32_t selected = 0;
        map_selection_Get(window, &selected, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, 0);
        SendMessageA(window, MAPN_SELCOUNT, WPARAM(selected), 0);
        doc.rec->flags |= WNDRES_MODIFIED;
    }
    return 1;
}

long DstrEditRenderCopy(HWND window, UINT format, long)
{
    const MapDoc doc(window);
    if (!doc || doc.rec->copyCommand == 0)
        return 0;
    const int command = doc.rec->copyCommand;
    const OBJHANDLE layers = doc.root(CLASS_LAYERS);
    const OBJHANDLE list = doc.root(CLASS_SELLIST);
    const bool selection = isSelectionCopy(unsigned(command));
    const OBJHANDLE set = selection ? list : layers;
    if (!set || !layers)
        return 0;
    const WaitCursor wait;
    uint32_t rendered = 0;
    {
        std::optional<CopyUndoPosition> moved;
        std::optional<SavedSelection> saved;
        if (selection) {
            if (!doc.rec->selCopy)
                return 0;
            moved.emplace(doc.kernel, int32_t(doc.rec->selCopyUndoPos));
            if (!moved->reached())
                return 0;
            saved.emplace(doc.kernel, list, doc.rec->selCopy);
            if (!selectionExists(doc.kernel, list))
                return 0;
        }
        const RenderClip clip(window, doc.kernel, layers);
        if (!selection || FirstReference(doc.kernel, set, REF_SELECTED, nullptr))
            rendered = renderFormat(doc, format, set, command);
    }
    if (rendered && !SetClipboardData(format, rendered))
        freeRendered(format, rendered);
    if (selection) {
        _COORDRECT bound = kEmptyBoundRect;
        SendOBJectMessage(doc.kernel, 0, layers, 0, GRM_GETBOUNDRECT, 0, LPARAM(&bound));
        InvalidateGraphRect(window, &bound, 1);
    }
    return 1;
}

int map_edit_Copy(HWND window, const OBJHANDLE *objects, unsigned long count, unsigned long formatBits)
{
    const MapDoc doc(window);
    if (!doc)
        return 0;
    if (count == 0 && objects)
        return 1; // nothing to copy
    const WaitCursor wait;
    if (!OpenClipboard(window)) {
        clipboardBusy(window);
        return 0;
    }
    EmptyClipboard();
    doc.rec->copyCommand = 0; // the clipboard holds no delayed copy any more
    const OBJHANDLE list = doc.root(CLASS_SELLIST);
    const OBJHANDLE layers = doc.root(CLASS_LAYERS);
    std::vector<OBJHANDLE> set;
    OBJHANDLE described = 0;
    if (objects) {
        for (unsigned long i = 0; i < count; ++i)
            if (CheckIfObjectExists(doc.kernel, objects[i]) && !IsUndoneObj(doc.kernel, objects[i]))
                set.push_back(objects[i]);
        described = set.size() == 1 ? set.front() : 0;
    } else {
        const OBJHANDLE from = count == 0xFFFFFFFFul ? layers : list;
        const uint16_t id = from == layers ? REF_LAYER_MEMBER : REF_SELECTED;
        if (from) {
            set.resize(GetChildrenOBJS(doc.kernel, from, id, 0, nullptr, 1));
            set.resize(GetChildrenOBJS(doc.kernel, from, id, int32_t(set.size()), set.data(), 1));
        }
        described = from;
    }
    const unsigned long bits = formatBits ? formatBits : 0xF;
    if (bits & 1) {
        const std::vector<char> data = MapClipWrite(doc.kernel, set);
        const UINT format = RegisterClipboardFormatA(kMapClipboardFormat);
        if (!data.empty() && format) {
            MemoryFile block(data.data(), data.size());
            if (const HGLOBAL h = block.DetachToGlobal())
                SetClipboardData(format, h);
        }
    }
    if ((bits & 2) && described)
        if (const HGLOBAL text = OBJectInfoText(doc.kernel, described))
            SetClipboardData(CF_TEXT, text);
    CloseClipboard();
    return 1;
}

} // extern "C"
