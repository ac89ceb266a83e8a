#include "engine/kernel/bank.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/map_notifications.h"
#include "engine/window/wndres.h"
#include "platform/file.h"
#include "platform/global_memory.h"
#include "platform/window.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

thread_local std::string lastError;

OBJectHead *slotHead(BankDesc *bank, uint32_t slot)
{
    return static_cast<OBJectHead *>(BankLock(bank, slot));
}

uint16_t classIdOf(const OBJectHead *head)
{
    const OBJectClassDescr *d = ClassDescrByIndex(head->classIndex);
    return d ? d->classId : 0;
}

class MapReader {
public:
    MapReader(FileStream &in, HWND window, bool showProgress)
        : in_(in), window_(window), showProgress_(showProgress), size_(in.Size())
    {
    }
    ~MapReader() { KernelDelete(kernel_); }

    int run(OBJHANDLE *rootOut, OBJectKernel **kernelOut);
    const std::string &error() const { return error_; }

private:
    bool fail(const char *format, ...) __attribute__((format(printf, 2, 3)));
    bool readRecords();
    bool readObject(const MapRecordHead &head, uint64_t at);
    bool readDocument(const MapRecordHead &head, uint64_t at);
    bool applyBank(const uint32_t (&words)[5]);
    bool checkObject(OBJHANDLE slot, uint64_t at);
    bool checkTargets();
    bool readBody(void *into, uint32_t length, uint64_t at);
    bool skip(uint32_t length, uint64_t at);
    uint64_t remaining() const { return size_ > in_.Position() ? size_ - in_.Position() : 0; }
    void progress(LPARAM value)
    {
        if (showProgress_ && window_)
            SendMessageA(window_, MAPN_PROGRESS, MAPN_KIND_RUNNING, value);
    }

    FileStream &in_;
    HWND window_;
    bool showProgress_;
    uint64_t size_;
    OBJectKernel *kernel_ = nullptr;
    MapFileHeader header_{};
    bool haveBank_ = false;
    bool haveView_ = false;
    bool havePageSetup_ = false;
    PM_InitStructTag view_{};
    uint8_t pageSetup_[MAPDOC_PAGESETUP_SIZE] = {};
    uint32_t highest_ = 0;
    int lastPercent_ = 0;
    std::string error_;
};

bool MapReader::fail(const char *format, ...)
{
    char text[300];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    error_ = std::string("The map document is damaged: ") + text + ".";
    return false;
}

bool MapReader::readBody(void *into, uint32_t length, uint64_t at)
{
    if (in_.Read(into, length) == length)
        return true;
    if (in_.Error())
        return fail("the record at byte %" PRIu64 " could not be read (%s)", at, std::strerror(in_.Error()));
    return fail("the file ends inside the record at byte %" PRIu64, at);
}

bool MapReader::skip(uint32_t length, uint64_t at)
{
    char scratch[4096];
    while (length) {
        const uint32_t n = std::min<uint32_t>(length, sizeof scratch);
        if (!readBody(scratch, n, at))
            return false;
        length -= n;
    }
    return true;
}

bool MapReader::checkObject(OBJHANDLE slot, uint64_t at)
{
    auto *block = static_cast<char *>(BankLock(kernel_->bank, slot));
    OBJectHead head;
    std::memcpy(&head, block, sizeof head);
    const uint32_t length = uint32_t(BankSize(kernel_->bank, slot));
    if (head.size != length)
        return fail("object %u at byte %" PRIu64 " says it is %u bytes long in a record of %u", slot,
                    at, head.size, length);
    const OBJectClassDescr *cls =
        int64_t(head.classIndex) < GetNumberOfClasses() ? ClassDescrByIndex(head.classIndex) : nullptr;
    if (!cls || !cls->classId)
        return fail("object %u has the unknown class number %u", slot, head.classIndex);
    if (!(head.flags & OBJF_CURRENTHEAD))
        return fail("object %u has a head of an unknown form", slot);
    if (head.refOffset < cls->fixedEnd || head.refOffset > head.dataOffset || head.dataOffset > head.size)
        return fail("the reference and data offsets of object %u lie outside its block or out of order",
                    slot);
    if (uint64_t(head.refOffset) + 8 * uint64_t(head.refsHeld) > head.dataOffset)
        return fail("object %u holds more references than its block has room for", slot);
    // Stored texts end inside their fields, whatever the file says.
    if (cls->classId == CLASS_LAYER)
        block[OBJ_HEAD_SIZE + offsetof(Layer, name) + LAYER_NAME_SIZE - 1] = '\0';
    else if (cls->classId == CLASS_ASPECT)
        block[OBJ_HEAD_SIZE + offsetof(Aspect, name) + ASPECT_NAME_SIZE - 1] = '\0';
    else if (cls->classId == CLASS_GROUP && head.size > head.dataOffset)
        block[head.size - 1] = '\0';
    return true;
}

bool MapReader::readObject(const MapRecordHead &head, uint64_t at)
{
    BankDesc *bank = kernel_->bank;
    if (head.length < OBJ_HEAD_SIZE)
        return fail("the object record at byte %" PRIu64 " is shorter than an object head", at);
    if (head.length > remaining())
        return fail("the object record at byte %" PRIu64 " is longer than the rest of the file", at);
    const OBJHANDLE slot = head.tag;
    if (slot == 0 || slot >= bank->capacity)
        return fail("the object record at byte %" PRIu64 " names slot %u outside the slot table", at, slot);
    if (haveBank_ && slot >= bank->firstFree)
        return fail("object %u lies past the first free slot %u", slot, bank->firstFree);
    if (BankLock(bank, slot))
        return fail("slot %u holds two objects", slot);
    if (!BankAllocInPos(bank, head.length, slot, 0)) {
        error_ = "There is not enough memory to read the map document.";
        return false;
    }
    if (!readBody(BankLock(bank, slot), head.length, at) || !checkObject(slot, at))
        return false;
    highest_ = std::max(highest_, slot);
    return true;
}

bool MapReader::applyBank(const uint32_t (&words)[5])
{
    BankDesc *bank = kernel_->bank;
    const uint32_t capacity = words[0], firstFree = words[1];
    if (firstFree == 0 || firstFree > MAPFILE_MAX_SLOTS)
        return fail("its first free slot %u is out of range", firstFree);
    if (highest_ >= firstFree)
        return fail("object %u lies past the first free slot %u", highest_, firstFree);
    // The stored capacity is kept when it is plausible, so that a document
    // read and saved again is the same file.
    const uint32_t entries = capacity >= firstFree && capacity <= MAPFILE_MAX_SLOTS ? capacity : firstFree;
    if (!BankSetMaxEntries(bank, entries) || bank->capacity != entries) {
        error_ = "There is not enough memory to read the map document.";
        return false;
    }
    bank->firstFree = firstFree;
    bank->freedCount = words[2];
    bank->lowestFreed = words[3];
    bank->reuseFlag = int32_t(words[4]);
    haveBank_ = true;
    return true;
}

bool MapReader::readDocument(const MapRecordHead &head, uint64_t at)
{
    if (head.length > remaining())
        return fail("the document record at byte %" PRIu64 " is longer than the rest of the file", at);
    if (head.tag == MAPDOC_BANK && head.length == MAPDOC_BANK_SIZE) {
        uint32_t words[5];
        return readBody(words, sizeof words, at) && applyBank(words);
    }
    if (head.tag == MAPDOC_VIEW && head.length == MAPDOC_VIEW_SIZE) {
        if (!readBody(&view_, sizeof view_, at))
            return false;
        view_.modulePath[sizeof view_.modulePath - 1] = '\0';
        view_.parameterText[sizeof view_.parameterText - 1] = '\0';
        haveView_ = true;
        return true;
    }
    if (head.tag == MAPDOC_PAGESETUP && head.length == MAPDOC_PAGESETUP_SIZE) {
        if (!readBody(pageSetup_, sizeof pageSetup_, at))
            return false;
        pageSetup_[PAGESETUP_NAME_SIZE - 1] = '\0';
        havePageSetup_ = true;
        return true;
    }
    // The kernel's counters are counted again from the objects read (the
    // stored ones also counted objects that a file never holds); unknown
    // records are passed over.
    return skip(head.length, at);
}

bool MapReader::readRecords()
{
    for (;;) {
        const uint64_t at = in_.Position();
        MapRecordHead head;
        const size_t got = in_.Read(&head, sizeof head);
        if (got == 0 && !in_.Error())
            return true; // the records end with the file
        if (got < sizeof head)
            return in_.Error() ? fail("the record head at byte %" PRIu64 " could not be read", at)
                               : fail("the file ends inside the record head at byte %" PRIu64, at);
        bool ok = true;
        switch (head.kind) {
        case MAPREC_OBJECT: ok = readObject(head, at); break;
        case MAPREC_DOCUMENT: ok = readDocument(head, at); break;
        case MAPREC_END: return true;
        default: return fail("the record at byte %" PRIu64 " has the unknown kind %u", at, head.kind);
        }
        if (!ok)
            return false;
        if (showProgress_ && size_) {
            const int percent = int(in_.Position() * 100 / size_);
            if (percent > lastPercent_) {
                lastPercent_ = percent;
                progress(percent);
            }
        }
    }
}

bool MapReader::checkTargets()
{
    BankDesc *bank = kernel_->bank;
    for (uint32_t slot = 1; slot < bank->firstFree; ++slot) {
        const OBJectHead *head = slotHead(bank, slot);
        if (!head)
            continue;
        for (uint32_t i = 0; i < head->refsHeld; ++i) {
            const OBJHANDLE t = LoadField<uint32_t>(head, head->refOffset + size_t(8) * i);
            if (t >= bank->firstFree)
                return fail("object %u refers to slot %u past the first free slot %u", slot, t,
                            bank->firstFree);
        }
    }
    return true;
}

// References to objects the file does not hold (undo copies are never
// written) are taken out; every incoming count and the kernel's counters are
// counted again from what is there.
void repairAndCount(OBJectKernel *kernel)
{
    BankDesc *bank = kernel->bank;
    const uint32_t n = bank->firstFree;
    std::vector<uint32_t> incoming(n, 0);
    for (uint32_t slot = 1; slot < n; ++slot) {
        OBJectHead *head = slotHead(bank, slot);
        if (!head)
            continue;
        char *block = reinterpret_cast<char *>(head);
        uint32_t kept = 0;
        for (uint32_t i = 0; i < head->refsHeld; ++i) {
            const OBJectRef r = LoadField<OBJectRef>(block, head->refOffset + size_t(8) * i);
            if (r.target == 0 || !slotHead(bank, r.target))
                continue;
            ++incoming[r.target];
            StoreField(block, head->refOffset + size_t(8) * kept++, r);
        }
        for (uint32_t i = kept; i < head->refsHeld; ++i)
            StoreField(block, head->refOffset + size_t(8) * i, OBJectRef{});
        head->refsHeld = kept;
    }
    OBJectGlobalCounters &global = GlobalObjectCounters();
    for (uint32_t slot = 1; slot < n; ++slot) {
        OBJectHead *head = slotHead(bank, slot);
        if (!head)
            continue;
        head->refsIncoming = incoming[slot];
        OBJectClassDescrKernel &e = kernel->classes[head->classIndex];
        OBJectClassDescr *d = ClassDescrByIndex(head->classIndex);
        ++kernel->objects, ++e.objects, ++global.objects, ++d->objects;
        if (head->flags & OBJF_DELETED)
            ++kernel->deleted, ++e.deleted, ++global.deleted, ++d->deleted;
        if (head->flags & OBJF_UNDOCOPY)
            ++kernel->undoCopies, ++e.undoCopies, ++global.undoCopies, ++d->undoCopies;
    }
}

int MapReader::run(OBJHANDLE *rootOut, OBJectKernel **kernelOut)
{
    if (in_.Read(&header_, sizeof header_) != sizeof header_ || header_.letter != 'O') {
        error_ = "The file is not a map document.";
        return 0;
    }
    progress(MAPN_PROGRESS_START);
    progress(0);
    kernel_ = KernelNew();
    if (!kernel_) {
        error_ = "There is not enough memory to read the map document.";
        progress(MAPN_PROGRESS_END);
        return 0;
    }
    bool ok = readRecords();
    if (ok && !haveBank_)
        kernel_->bank->firstFree = highest_ + 1; // no bank record: what was read counts
    ok = ok && checkTargets();
    if (!ok) {
        progress(MAPN_PROGRESS_END);
        return 0;
    }

    // Nothing fails from here on: the document is whole.
    BankDesc *bank = kernel_->bank;
    OBJHANDLE root = 0;
    for (uint32_t slot = 1; slot < bank->firstFree && !root; ++slot)
        if (const OBJectHead *head = slotHead(bank, slot); head && classIdOf(head) == CLASS_ALLOBJECTS)
            root = slot;
    repairAndCount(kernel_);
    root = CompressKernelWithRoot(kernel_, root);
    if (root) {
        // A window handle from another session names nothing here.
        if (OBJectHead *head = slotHead(bank, root); head->refOffset >= OBJ_HEAD_SIZE + ALL_WINDOW + 4)
            StoreField<uint32_t>(head, OBJ_HEAD_SIZE + ALL_WINDOW, window_);
    }
    if (header_.word8 == 1 && header_.word12 == 1)
        ResetPreview(kernel_, root);

    if (_WNDRES *rec = GetWndRes(window_)) {
        rec->kernel = kernel_;
        if (root)
            rec->rootObject = root;
        if (haveView_ && rec->displayView)
            PM_InitFromInitStruct(rec->displayView, &view_);
        if (havePageSetup_ && rec->pageSetup && GlobalSize(rec->pageSetup) >= MAPDOC_PAGESETUP_SIZE) {
            if (void *p = GlobalLock(rec->pageSetup)) {
                std::memcpy(p, pageSetup_, sizeof pageSetup_);
                GlobalUnlock(rec->pageSetup);
            }
        }
    }
    progress(100);
    progress(MAPN_PROGRESS_END);
    if (rootOut && root)
        *rootOut = root;
    if (kernelOut)
        *kernelOut = kernel_;
    kernel_ = nullptr; // handed over
    return 1;
}

} // namespace

const std::string &MapFileLastError()
{
    return lastError;
}

int ReadMapFromStream(HWND window, FileStream &stream, OBJHANDLE *root, OBJectKernel **kernel,
                      int showProgress, std::string *error)
{
    MapReader reader(stream, window, showProgress != 0);
    const int result = reader.run(root, kernel);
    lastError = reader.error();
    if (error)
        *error = reader.error();
    return result;
}

int ReadMapToKern(HWND window, const char *fileName, OBJHANDLE *root, OBJectKernel **kernel,
                  int showProgress)
{
    if (!GetWndRes(window) || !fileName) {
        lastError = "There is no map window to read the document into.";
        return 0;
    }
    File file;
    if (!file.Open(fileName, File::Mode::Read)) {
        lastError = FileErrorText(FileOperation::Open, file.Error(), fileName);
        return 0;
    }
    return ReadMapFromStream(window, file, root, kernel, showProgress, nullptr);
}

void ResetPreview(OBJectKernel *kernel, OBJHANDLE root)
{
    if (!kernel || !root)
        return;
    OBJHANDLE layers = root;
    int32_t pos = 0;
    for (OBJHANDLE h = FirstReference(kernel, root, REF_ROOT, &pos); h; h = GetReference(kernel, root, REF_ROOT, &pos))
        if (GetOBJectClassID(kernel, h) == CLASS_LAYERS) {
            layers = h;
            break;
        }
    pos = 0;
    for (OBJHANDLE h = FirstReference(kernel, layers, REF_LAYER_MEMBER, &pos); h;
         h = GetReference(kernel, layers, REF_LAYER_MEMBER, &pos)) {
        const OBJectHead *head = HeadLock(kernel, h);
        char *fixed = OBJectLock(kernel, h);
        if (!fixed || head->refOffset < OBJ_HEAD_SIZE + offsetof(Layer, display) + 2)
            continue;
        const uint16_t display = LoadField<uint16_t>(fixed, offsetof(Layer, display));
        StoreField<uint16_t>(fixed, offsetof(Layer, display), uint16_t(display & ~LAYER_PREVIEW_FLAG));
    }
}
