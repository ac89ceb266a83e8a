#include "engine/window/clipboard/clipboard_paste.h"

#include "engine/editing/set_geometry.h"
#include "engine/editing/tools/map_expert.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/graph_rect.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/undo.h"
#include "engine/view/raster/raster_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/clipboard/clipboard_copy.h"
#include "engine/window/clipboard/clipboard_images.h"
#include "engine/window/clipboard/map_clip_data.h"
#include "engine/window/clipboard/paste_choice_dialog.h"
#include "engine/window/converters/converter_entries.h"
#include "engine/window/map_painting.h"
#include "engine/window/undo_window.h"
#include "engine/window/window_access.h"
#include "engine/window/window_rasters.h"
#include "engine/window/window_selection.h"
#include "engine/window/window_text.h"
#include "engine/window/window_view.h"
#include "engine/kernel/unimplemented.h"
#include "platform/clipboard.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/gdi_objects.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/module.h"
#include "platform/wait_cursor.h"
#include "platform/window.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

void inform(const char *text)
{
    MessageBoxA(GetActiveWindow(), text, "Information !", MB_OK | MB_ICONINFORMATION);
}

// Holds the clipboard for one paste unless the caller already does.
class ClipboardHold {
public:
    ClipboardHold(HWND window, bool alreadyOpen) : mine_(!alreadyOpen)
    {
        ok_ = alreadyOpen || OpenClipboard(window);
        if (!ok_)
            inform("Another window has the clipboard open.!\n");
    }
    ~ClipboardHold()
    {
        if (ok_ && mine_)
            CloseClipboard();
    }
    ClipboardHold(const ClipboardHold &) = delete;
    ClipboardHold &operator=(const ClipboardHold &) = delete;
    explicit operator bool() const { return ok_; }

private:
    bool mine_;
    bool ok_ = false;
};

// The native format's id when the held clipboard has objects in it; 0,
// after telling the user the given reason, when the format cannot be
// registered or the clipboard has none.
UINT nativeObjectsFormat(const char *unregistered, const char *absent)
{
    const UINT native = RegisterClipboardFormatA(kNativeClipboardFormat);
    if (!native) {
        inform(unregistered);
        return 0;
    }
    if (!IsClipboardFormatAvailable(native)) {
        inform(absent);
        return 0;
    }
    return native;
}

// The point a paste at the view goes to: the top-left corner of the
// display view's visible world rectangle.
MAP_COORDPT viewCorner(const MapDoc &doc)
{
    const PresentationManager *view = doc.rec->displayView;
    if (!view)
        return {0, 0};
    const MAP_COORDRECT &r = view->worldRect;
    return {std::min(r.x1, r.x2), std::max(r.y1, r.y2)};
}

void invalidateLayers(const MapDoc &doc)
{
    const OBJHANDLE layers = doc.root(CLASS_LAYERS);
    if (!layers)
        return;
    _COORDRECT bound = kEmptyBoundRect;
    SendOBJectMessage(doc.kernel, 0, layers, 0, GRM_GETBOUNDRECT, 0, LPARAM(&bound));
    InvalidateGraphRect(doc.window, &bound, 1);
}

// The pasted object as one undo step of the given code, the document
// marked changed and its layers redrawn. Returns 1.
long finishPaste(const MapDoc &doc, OBJHANDLE made, int undoCode)
{
    Undo_AddNew(doc.kernel, made);
    Undo_SetNewStep(doc.window, doc.kernel, undoCode);
    doc.rec->flags |= WNDRES_MODIFIED;
    invalidateLayers(doc);
    return 1;
}

int32_t selectedCount(HWND window)
{
    int32_t count = 0;
    map_selection_Get(window, &count, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, 0);
    return count;
}

// A FileStream over a global block's bytes that reads them in place.
class GlobalBlockStream final : public FileStream {
public:
    GlobalBlockStream(const char *data, size_t size) : data_(data), size_(size) {}
    size_t Read(void *buffer, size_t count) override
    {
        const size_t n = std::min(count, size_ - position_);
        std::memcpy(buffer, data_ + position_, n);
        position_ += n;
        return n;
    }
    bool Write(const void *, size_t) override { return false; }
    uint64_t Size() const override { return size_; }
    uint64_t Position() const override { return position_; }

private:
    const char *data_;
    size_t size_;
    size_t position_ = 0;
};

void nativeModuleMissing(HWND window)
{
    const std::string text = LoadStringMapOr(856, "No converter library loaded: ") + kNativeReaderModule;
    MessageBoxA(window, text.c_str(), LoadStringMapOr(711, "Gorm Import").c_str(), MB_OK);
}

} // namespace

int32_t PasteScaleDenominator(double pageScale)
{
    int32_t n = 1;
    if (pageScale > 0) {
        const double inverse = 1.0 / pageScale + 0.5;
        n = inverse >= 2147483647.0 ? INT32_MAX : int32_t(inverse);
    }
    return n < 1 ? 10000 : n;
}

extern "C" {

void Enable_AllPasteButtons(HWND window)
{
    SendMessageA(window, MAPN_PASTESTATE, MAPN_ENABLE, MAPN_PASTE_ALL);
}

void Enable_PasteSpecialButton(HWND window)
{
    SendMessageA(window, MAPN_PASTESTATE, MAPN_ENABLE, MAPN_PASTE_SPECIAL);
}

void Enable_Disable_Paste_Buttons(HWND window)
{
    const UINT native = RegisterClipboardFormatA(kNativeClipboardFormat);
    if (native && IsClipboardFormatAvailable(native)) {
        Enable_AllPasteButtons(window);
        return;
    }
    Disable_AllPasteButtons(window);
    if (IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_ENHMETAFILE) ||
        IsClipboardFormatAvailable(CF_BITMAP))
        Enable_PasteSpecialButton(window);
}

long DstrEditPaste(HWND window)
{
    const ClipboardHold hold(window, false);
    if (!hold)
        return 0;
    if (!nativeObjectsFormat("No registered clipboard format.!\n",
                             "There are no any GORM Objects in clipboard!\n"))
        return 0;
    GormObjects_Paste(window, 1, MAP_COORDPT{1, 1});
    return 1;
}

long GormObjects_Paste(HWND window, int clipboardOpen, MAP_COORDPT point)
{
    const MapDoc doc(window);
    if (!doc)
        return 0;
    const ClipboardHold hold(window, clipboardOpen != 0);
    if (!hold)
        return 0;
    const UINT native =
        nativeObjectsFormat("GORM clipboard format is not registered.!\n",
                            "Clipboard was changed.\nThere are no any GORM Objects in clipboard!\n");
    if (!native)
        return 0;
    const WaitCursor wait;
    const HGLOBAL block = GetClipboardData(native);
    if (!block)
        return 0;
    const HMODULE module = LoadLibraryA((RasterModulesFolder() + kNativeReaderModule).c_str());
    if (!module) {
        nativeModuleMissing(window);
        return 0;
    }
    long result = 0;
    if (auto entry = reinterpret_cast<GormClipbImportFn>(GetProcAddress(module, kGormClipbImportEntry))) {
        if (const OBJHANDLE layers = doc.root(CLASS_LAYERS))
            SetOfObjectsUnSelect(window, layers);
        // The reader reads the clipboard's block in place; it stays the
        // clipboard's.
        const char *bytes = static_cast<const char *>(GlobalLock(block));
        GlobalBlockStream stream(bytes, bytes ? GlobalSize(block) : 0);
        entry(window, &stream, 0, clipboardOpen, point.x, point.y);
        GlobalUnlock(block);
        map_UndoReset_NextT(window);
        KernelExpert(window, nullptr);
        RefreshMapWindow(window);
        SendMessageA(window, MAPN_SELCOUNT, WPARAM(selectedCount(window)), 0);
        result = 1;
    }
    if (MapDoc after(window); after)
        after.rec->flags |= WNDRES_MODIFIED;
    FreeLibrary(module);
    return result;
}

long Text_Paste(HWND window, int clipboardOpen, MAP_COORDPT point)
{
    const MapDoc doc(window);
    if (!doc)
        return 0;
    std::string text;
    {
        const ClipboardHold hold(window, clipboardOpen != 0);
        if (!hold)
            return 0;
        if (!IsClipboardFormatAvailable(CF_TEXT)) {
            inform("Clipboard was changed. There is no text!\n");
            return 0;
        }
        const HGLOBAL block = GetClipboardData(CF_TEXT);
        const char *p = block ? static_cast<const char *>(GlobalLock(block)) : nullptr;
        if (!p)
            return 0;
        text.assign(p, strnlen(p, std::min<size_t>(GlobalSize(block), PASTE_TEXT_LIMIT)));
        GlobalUnlock(block);
    }
    const MAP_COORDPT at = clipboardOpen ? viewCorner(doc) : point;
    OBJHANDLE made = 0;
    map_text_Create(window, &made, text.c_str(), &at, "Arial", 36, 0, 0, 0, 0, 0, 0);
    if (!made)
        return 0;
    return finishPaste(doc, made, 301);
}

long Bitmap_Paste(HWND window, int clipboardOpen, MAP_COORDPT point)
{
    const MapDoc doc(window);
    if (!doc)
        return 0;
    const ClipboardHold hold(window, clipboardOpen != 0);
    if (!hold)
        return 0;
    if (!IsClipboardFormatAvailable(CF_BITMAP)) {
        inform("Clipboard was changed. There is no bitmap!\n");
        return 0;
    }
    FileDialogRequest request;
    request.owner = window;
    request.initialPath = "GormBitmap";
    request.filters = ParseFileFilter("Bitmap Files (*.bmp)|*.bmp||");
    request.flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    const std::optional<std::string> file = ShowSaveFileDialog(request, "bmp");
    if (!file)
        return 1; // cancelled: nothing made
    const HBITMAP bitmap = GetClipboardData(CF_BITMAP);
    if (!bitmap)
        return 0;
    // A raster pointing at no file would be worse than none.
    if (!WriteClipboardBitmapFile(window, *file, bitmap))
        return 0;
    double pageScale = 0;
    map_page_Get(window, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &pageScale);
    const int32_t n = PasteScaleDenominator(pageScale);
    const MAP_COORDPT at = clipboardOpen ? viewCorner(doc) : point;
    const int unit = doc.rec->displayView ? doc.rec->displayView->projection.transformedUnit : 0;
    const QSize size = GetBitmapImage(bitmap).size();
    const int32_t width = truncToInt32(ResOrDim(unit, size.width(), PASTE_BITMAP_DPI, 1, n));
    const int32_t height = truncToInt32(ResOrDim(unit, size.height(), PASTE_BITMAP_DPI, 1, n));
    OBJHANDLE raster = 0;
    const int64_t bottom = int64_t(at.y) - height;
    if (!map_RasterCreate(window, &raster, file->c_str(), "DIB", at.x,
                          int32_t(std::max<int64_t>(bottom, INT32_MIN)), width, height, 0, 1, 0, uint32_t(n),
                          0) ||
        !raster)
        return 0;
    return finishPaste(doc, raster, 302);
}

long DstrEditPasteSpecial(HWND window)
{
    const ClipboardHold hold(window, false);
    if (!hold)
        return 0;
    PasteSpecialModel model;
    const UINT native = RegisterClipboardFormatA(kNativeClipboardFormat);
    model.objectsAvailable = native && IsClipboardFormatAvailable(native);
    model.metafileAvailable = IsClipboardFormatAvailable(CF_ENHMETAFILE);
    model.bitmapAvailable = IsClipboardFormatAvailable(CF_BITMAP);
    model.textAvailable = IsClipboardFormatAvailable(CF_TEXT);
    RunPasteSpecialDialog(window, model);
    switch (model.pasteKind) {
    case PasteSpecialModel::Objects:
        if (!model.pasteNow)
            return PASTE_HERE_OBJECTS;
        GormObjects_Paste(window, 1, MAP_COORDPT{1, 1});
        break;
    case PasteSpecialModel::Metafile:
        inform("ENHACED METAFILE NOT IMPLEMENTED.!\n");
        break;
    case PasteSpecialModel::Bitmap:
        if (!model.pasteNow)
            return PASTE_HERE_BITMAP;
        Bitmap_Paste(window, 1, MAP_COORDPT{0, 0});
        break;
    case PasteSpecialModel::Text:
        if (!model.pasteNow)
            return PASTE_HERE_TEXT;
        Text_Paste(window, 1, MAP_COORDPT{0, 0});
        break;
    default:
        break;
    }
    return PASTE_HERE_NONE;
}

int map_edit_Paste(HWND window, unsigned formatBits)
{
    const MapDoc doc(window);
    if (!doc)
        return 0;
    if (doc.rec->pasteMetafile) {
        GlobalFree(doc.rec->pasteMetafile);
        doc.rec->pasteMetafile = 0;
    }
    {
        const ClipboardHold hold(window, false);
        if (!hold)
            return 0;
        const UINT format = RegisterClipboardFormatA(kMapClipboardFormat);
        if (format && IsClipboardFormatAvailable(format) && (formatBits == 0 || (formatBits & 1))) {
            const HGLOBAL block = GetClipboardData(format);
            const char *bytes = block ? static_cast<const char *>(GlobalLock(block)) : nullptr;
            std::vector<MapClipRecord> records;
            std::string why = "The clipboard holds no map data.";
            std::vector<OBJHANDLE> made;
            const OBJHANDLE layers = doc.root(CLASS_LAYERS);
            const OBJHANDLE layer = layers ? GetActiveLayer(doc.kernel, layers) : 0;
            if (bytes && MapClipRead(bytes, GlobalSize(block), &records, &why)) {
                UndoWithSelection(window);
                made = layer ? MapClipCreate(doc.kernel, layer, bytes, records) : made;
                if (made.empty())
                    why = "The objects could not be made.";
            }
            if (bytes)
                GlobalUnlock(block);
            if (made.empty()) {
                const std::string text = "The map data on the clipboard cannot be pasted.\n" + why;
                inform(text.c_str());
                return 0;
            }
            for (OBJHANDLE h : made) {
                _COORDRECT old = kEmptyBoundRect;
                SendOBJectMessage(doc.kernel, h, h, 0, GRM_INVALIDATE, 0, LPARAM(&old));
            }
            // Like the native paste, this one is not undone: the history
            // before it no longer describes the document.
            Undo_Reset(doc.kernel);
            Undo_SendCaptions(window, doc.kernel);
            doc.rec->flags |= WNDRES_MODIFIED;
            invalidateLayers(doc);
            return 1;
        }
    }
    if (!IsClipboardFormatAvailable(CF_TEXT) || (formatBits != 0 && !(formatBits & 2)))
        return 0;
    return DstrEditPasteSpecial(window, -65536, nullptr, 4);
}

} // extern "C"
