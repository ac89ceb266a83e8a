#include "engine/kernel/bank.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/map_file_image.h"
#include "engine/kernel/map_file_internal.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/upper_services.h"
#include "engine/kernel/window_record.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "platform/window.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct KernelDeleter {
    void operator()(OBJectKernel *k) const { KernelDelete(k); }
};
using KernelPtr = std::unique_ptr<OBJectKernel, KernelDeleter>;

constexpr const char *kFilterFallback = "Map file (*.mpd)|*.mpd||";
constexpr UINT kFilterStringId = 715;

MapFileHeader makeHeader(bool clipboard)
{
    MapFileHeader h{};
    h.letter = 'O';
    h.word4 = 1;
    h.word8 = clipboard ? 1 : 2;
    h.word12 = clipboard ? 1 : 2;
    h.word16 = -1;
    h.word20 = -1;
    return h;
}

bool writeRecordHead(FileStream &out, uint8_t kind, uint32_t length, uint32_t tag)
{
    MapRecordHead head{};
    head.kind = kind;
    head.length = length;
    head.tag = tag;
    return out.Write(&head, sizeof head);
}

// The 96-byte page-setup block of the window, when it has one.
bool pageSetupOf(const _WNDRES *rec, uint8_t (&out)[MAPDOC_PAGESETUP_SIZE])
{
    if (!rec || !rec->pageSetup || GlobalSize(rec->pageSetup) < MAPDOC_PAGESETUP_SIZE)
        return false;
    const void *p = GlobalLock(rec->pageSetup);
    if (!p)
        return false;
    std::memcpy(out, p, MAPDOC_PAGESETUP_SIZE);
    GlobalUnlock(rec->pageSetup);
    return true;
}

// The kernel's counters said nothing was hidden, but a hidden block was met.
constexpr int64_t kWriteAgain = -2;

// Writes the whole stream; the number of object records, -1 when the output
// failed, or kWriteAgain when the stream has to be written again with every
// slot walked first.
int64_t writeStream(FileStream &out, HWND window, _WNDRES *rec, OBJectKernel *kernel,
                    const MapFileHeader &header, bool withPageSetup, bool everySlot = false)
{
    BankDesc *bank = kernel->bank;
    if (!out.Write(&header, sizeof header))
        return -1;
    // The file tells the counts and numbering of what it holds, not of the
    // hidden undo copies and freed slots that the kernel also keeps.
    const MapFileImage image(kernel, everySlot);
    uint32_t bankWords[5];
    image.bankWords(bankWords);
    if (!writeRecordHead(out, MAPREC_DOCUMENT, MAPDOC_BANK_SIZE, MAPDOC_BANK) ||
        !out.Write(bankWords, sizeof bankWords))
        return -1;
    uint32_t objects = 0;
    OBJectClassDescrKernel classes[OBJ_MAX_CLASSES];
    image.kernelCounts(&objects, classes);
    if (!writeRecordHead(out, MAPREC_DOCUMENT, MAPDOC_KERNEL_SIZE, MAPDOC_KERNEL) ||
        !out.Write(&objects, 4) || !out.Write(classes, sizeof classes))
        return -1;
    uint8_t pageSetup[MAPDOC_PAGESETUP_SIZE];
    if (withPageSetup && pageSetupOf(rec, pageSetup) &&
        (!writeRecordHead(out, MAPREC_DOCUMENT, MAPDOC_PAGESETUP_SIZE, MAPDOC_PAGESETUP) ||
         !out.Write(pageSetup, sizeof pageSetup)))
        return -1;
    if (rec && rec->displayView) {
        PM_InitStructTag init{};
        UpperViewProjectionGet(rec->displayView, &init);
        if (!writeRecordHead(out, MAPREC_DOCUMENT, MAPDOC_VIEW_SIZE, MAPDOC_VIEW) ||
            !out.Write(&init, sizeof init))
            return -1;
    }

    const uint32_t firstFree = std::min(bank->firstFree, bank->capacity);
    std::vector<char> scratch;
    int64_t written = 0;
    int lastPercent = 0;
    for (uint32_t slot = 1; slot < firstFree; ++slot) {
        const void *block = image.block(slot, scratch);
        if (!block) {
            if (image.dense())
                return kWriteAgain;
            continue;
        }
        const uint32_t size = static_cast<const OBJectHead *>(block)->size;
        if (!writeRecordHead(out, MAPREC_OBJECT, size, image.newHandle(slot)) || !out.Write(block, size))
            return -1;
        ++written;
        if (window) {
            const int percent = int(double(slot) * 100.0 / double(firstFree));
            if (percent > lastPercent) {
                lastPercent = percent;
                SendMessageA(window, MAPN_PROGRESS, MAPN_KIND_WRITING, percent);
            }
        }
    }
    if (!writeRecordHead(out, MAPREC_END, 0, 0))
        return -1;
    return written;
}

void progress(HWND window, LPARAM value)
{
    if (window)
        SendMessageA(window, MAPN_PROGRESS, MAPN_KIND_WRITING, value);
}

MapSaveDialogHook &saveDialogHook()
{
    static MapSaveDialogHook hook;
    return hook;
}

} // namespace

// ---------------------------------------------------------------------------

MapSaveDialogHook SetMapSaveDialogHook(MapSaveDialogHook hook)
{
    MapSaveDialogHook previous = std::move(saveDialogHook());
    saveDialogHook() = std::move(hook);
    return previous;
}

std::optional<std::string> ShowMapSaveDialog(const FileDialogRequest &request, int *saveSelection)
{
    *saveSelection = 0;
    if (const MapSaveDialogHook &hook = saveDialogHook())
        return hook(request, saveSelection);
    return std::nullopt;
}

int GetMapFileNameDlg(HWND window, int open, std::string *name, int *selectionOnly)
{
    if (selectionOnly)
        *selectionOnly = 0;
    char filter[256] = {};
    if (LoadStringA(MapInstance(), kFilterStringId, filter, int(sizeof filter)) <= 0)
        std::strcpy(filter, kFilterFallback);
    FileDialogRequest request;
    request.filters = ParseFileFilter(filter);
    request.flags = OFN_HIDEREADONLY;
    std::optional<std::string> chosen;
    if (open) {
        request.owner = window;
        chosen = ShowOpenFileDialog(request);
    } else {
        int checked = 0;
        chosen = ShowMapSaveDialog(request, &checked);
        if (chosen && selectionOnly)
            *selectionOnly = checked ? 1 : 0;
    }
    if (!chosen || chosen->empty())
        return 0;
    if (name)
        *name = *chosen;
    return 1;
}

int MapSaveInt(HWND window, const char *fileName, int selectionOnly)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    std::string name = fileName ? fileName : "";
    if (name.empty()) {
        int selection = selectionOnly;
        if (!GetMapFileNameDlg(window, 0, &name, &selection))
            return 0;
        selectionOnly = selection;
    }

    File file;
    if (!file.Open(name, File::Mode::ReplaceAtomic)) {
        MessageBoxA(window, FileErrorText(FileOperation::Create, file.Error(), name).c_str(), nullptr,
                    MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    progress(window, MAPN_PROGRESS_START);
    progress(window, 0);
    KernelPtr selection(selectionOnly ? KernFromSel(window) : nullptr);
    OBJectKernel *kernel = selectionOnly ? selection.get() : rec->kernel;
    int64_t written = -1;
    if (kernel)
        written = writeStream(file, window, rec, kernel, makeHeader(false), true);
    if (written == kWriteAgain) {
        file.Abandon();
        written = file.Open(name, File::Mode::ReplaceAtomic)
                      ? writeStream(file, window, rec, kernel, makeHeader(false), true, true)
                      : -1;
    }
    // Nothing replaces the old file unless the new one is whole and on disk.
    const bool ok = written > 0 && file.Commit();
    const int error = file.Error();
    if (!ok)
        file.Abandon();
    progress(window, MAPN_PROGRESS_END);
    if (!ok) {
        if (written < 0 || error)
            MessageBoxA(window, FileErrorText(FileOperation::Write, error, name).c_str(), nullptr,
                        MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    if (!selectionOnly)
        rec->flags &= uint16_t(~WNDRES_MODIFIED);
    MapFileSetWindowFileName(rec, name);
    return selectionOnly ? 2 : 1;
}

int MapSave(HWND window, const char *fileName) { return MapSaveInt(window, fileName, 0); }

int MapSaveSelection(HWND window, const char *fileName) { return MapSaveInt(window, fileName, 1); }

int MapSaveToClipboard(HWND window, MemoryFile &file, int command)
{
    _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return 0;
    progress(window, MAPN_PROGRESS_START);
    progress(window, 0);
    const bool selectionOnly = command == MAPCLIP_CUT || command == MAPCLIP_COPY;
    KernelPtr selection(selectionOnly ? KernFromSel(window) : nullptr);
    OBJectKernel *kernel = selectionOnly ? selection.get() : rec->kernel;
    MapFileHeader header = makeHeader(true);
    if (command == MAPCLIP_PAGE) {
        uint8_t setup[MAPDOC_PAGESETUP_SIZE];
        if (!pageSetupOf(rec, setup)) {
            progress(window, MAPN_PROGRESS_END);
            return 0;
        }
        std::memcpy(header.extra, "page", 5);
        if (const OBJHANDLE page = MapFilePageObject(window, rec->kernel)) {
            const char *fixed = OBJectLock(rec->kernel, page);
            const OBJectHead *head = HeadLock(rec->kernel, page);
            if (head->refOffset >= OBJ_HEAD_SIZE + 44 + 32)
                std::memcpy(header.extra + MAPFILE_PAGE_RECTS, fixed + 44, 32);
        }
        std::memcpy(header.extra + MAPFILE_PAGE_MARGINS, setup + PAGESETUP_MARGINS, 16);
    }
    int64_t written = kernel ? writeStream(file, window, rec, kernel, header, false) : -1;
    if (written == kWriteAgain) {
        MemoryFile again;
        written = writeStream(again, window, rec, kernel, header, false, true);
        file = std::move(again);
    }
    progress(window, MAPN_PROGRESS_END);
    // Copying leaves the modified flag alone: the document is not saved.
    if (written <= 0)
        return 0;
    return selectionOnly ? 2 : 1;
}
