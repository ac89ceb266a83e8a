#include "engine/kernel/bank.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/map_file_image.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/upper_services.h"
#include "engine/kernel/window_record.h"
#include "engine/kernel/raster_images.h"
#include "platform/file.h"
#include "platform/global_memory.h"
#include "platform/window.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

thread_local std::string lastError;

constexpr uint64_t kReadBlock = uint64_t(4) << 20;

OBJectHead *slotHead(BankDesc *bank, uint32_t slot)
{
    return static_cast<OBJectHead *>(BankLock(bank, slot));
}

// What the reader learns of each registered class once, instead of asking
// the class table for every object.
struct ClassInfo {
    const OBJectClassDescr *descr = nullptr;           // null: not a class a file may hold
    uint32_t objects = 0, deleted = 0, undoCopies = 0; // of this document, added on success
};

// Handles that the selection list and the undo list keep in their fixed data
// name no object when the file did not hold it: they are cleared.
void clearStaleHandles(OBJectKernel *kernel, OBJHANDLE root)
{
    int32_t pos = -1;
    for (OBJHANDLE h = FirstReference(kernel, root, REF_ROOT, &pos); h;
         h = GetReference(kernel, root, REF_ROOT, &pos)) {
        const uint16_t cls = GetOBJectClassID(kernel, h);
        const OBJectHead *head = HeadLock(kernel, h);
        char *fixed = OBJectLock(kernel, h);
        auto clear = [&](size_t offset, uint32_t none) {
            if (OBJ_HEAD_SIZE + offset + 4 > head->refOffset)
                return;
            const uint32_t v = LoadField<uint32_t>(fixed, offset);
            if (v != 0 && v != 0xFFFFFFFFu && !HeadLock(kernel, v))
                StoreField<uint32_t>(fixed, offset, none);
        };
        if (cls == CLASS_SELLIST) {
            clear(GOH_SELSLOT, 0xFFFFFFFFu);
            clear(offsetof(SelList, lastDeselected), 0);
        } else if (cls == CLASS_UNDO) {
            clear(UNDO_SELECTED, 0xFFFFFFFFu);
        }
    }
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
    bool checkObject(OBJHANDLE slot, char *block, uint32_t length, uint64_t at);
    void noteReferences(OBJHANDLE slot, const char *block, ClassInfo &cls);
    bool checkTargets();
    void dropMissingReferences();
    void finishCounts();
    bool fill(size_t need);
    bool readBody(void *into, uint32_t length, uint64_t at);
    bool bodyFailed(uint64_t at);
    bool skip(uint32_t length, uint64_t at);
    uint64_t remaining() const { return size_ > offset_ ? size_ - offset_ : 0; }
    size_t buffered() const { return end_ - pos_; }
    void progress(LPARAM value)
    {
        if (showProgress_ && window_)
            SendMessageA(window_, MAPN_PROGRESS, MAPN_KIND_RUNNING, value);
    }

    FileStream &in_;
    HWND window_;
    bool showProgress_;
    uint64_t size_;
    // The stream is read in large blocks; offset_ is the stream position of
    // the next byte the records are parsed from, buffer_[pos_].
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0, pos_ = 0, end_ = 0;
    uint64_t offset_ = 0;
    OBJectKernel *kernel_ = nullptr;
    MapFileHeader header_{};
    bool haveBank_ = false;
    bool haveView_ = false;
    bool havePageSetup_ = false;
    PM_InitStructTag view_{};
    uint8_t pageSetup_[MAPDOC_PAGESETUP_SIZE] = {};
    uint32_t highest_ = 0;
    uint64_t objectsRead_ = 0;
    int lastPercent_ = 0;
    uint64_t nextProgressAt_ = 0; // the first position that reports a higher percent
    std::vector<ClassInfo> classes_;
    // Counted while the blocks are fresh in the cache, so that no pass over
    // all objects is needed for them afterwards.
    std::vector<uint32_t> incoming_; // references seen to each slot
    std::vector<uint32_t> stored_;   // each object's incoming count as the file has it
    uint32_t maxTarget_ = 0;         // the highest reference target seen
    bool nullTarget_ = false;        // some reference names slot 0
    bool uncounted_ = false;         // some reference went uncounted
    OBJHANDLE root_ = 0;             // the lowest slot of the root class
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

// Makes at least need bytes (at most the buffer's size) available; false
// when the stream ends or fails before.
bool MapReader::fill(size_t need)
{
    if (buffered() >= need)
        return true;
    if (pos_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + pos_, buffered());
        end_ -= pos_;
        pos_ = 0;
    }
    // The stream reads fewer bytes than asked only at its end or on an error.
    if (end_ < capacity_)
        end_ += in_.Read(buffer_.get() + end_, capacity_ - end_);
    return end_ >= need;
}

bool MapReader::bodyFailed(uint64_t at)
{
    if (in_.Error())
        return fail("the record at byte %" PRIu64 " could not be read (%s)", at, std::strerror(in_.Error()));
    return fail("the file ends inside the record at byte %" PRIu64, at);
}

bool MapReader::readBody(void *into, uint32_t length, uint64_t at)
{
    auto *out = static_cast<char *>(into);
    const size_t first = std::min<size_t>(length, buffered());
    std::memcpy(out, buffer_.get() + pos_, first);
    pos_ += first;
    offset_ += first;
    const size_t rest = length - first;
    if (rest == 0)
        return true;
    if (rest >= capacity_ / 2) {
        // A large body goes straight from the stream into its block.
        const size_t got = in_.Read(out + first, rest);
        offset_ += got;
        return got == rest || bodyFailed(at);
    }
    if (!fill(rest)) {
        pos_ = end_; // what was there was consumed, as a short read would
        offset_ += end_;
        return bodyFailed(at);
    }
    std::memcpy(out + first, buffer_.get() + pos_, rest);
    pos_ += rest;
    offset_ += rest;
    return true;
}

bool MapReader::skip(uint32_t length, uint64_t at)
{
    while (length) {
        if (!buffered() && !fill(1))
            return bodyFailed(at);
        const size_t n = std::min<size_t>(length, buffered());
        pos_ += n;
        offset_ += n;
        length -= uint32_t(n);
    }
    return true;
}

bool MapReader::checkObject(OBJHANDLE slot, char *block, uint32_t length, uint64_t at)
{
    OBJectHead head;
    std::memcpy(&head, block, sizeof head);
    if (head.size != length)
        return fail("object %u at byte %" PRIu64 " says it is %u bytes long in a record of %u", slot, at,
                    head.size, length);
    const OBJectClassDescr *cls =
        head.classIndex < classes_.size() ? classes_[head.classIndex].descr : nullptr;
    if (!cls)
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
    // A raster's image ids name entries of a table that ended with the
    // program that wrote the file.
    else if (cls->classId == CLASS_BITMAP && head.refOffset >= OBJ_HEAD_SIZE + RASTER_HEADER_ID + 4)
        RasterBlockClearImageIds(block + OBJ_HEAD_SIZE);
    return true;
}

// Counts the object and its references for the end of the reading; only a
// file that turns out whole makes use of them.
void MapReader::noteReferences(OBJHANDLE slot, const char *block, ClassInfo &cls)
{
    OBJectHead head;
    std::memcpy(&head, block, sizeof head);
    ++cls.objects;
    cls.deleted += (head.flags & OBJF_DELETED) != 0;
    cls.undoCopies += (head.flags & OBJF_UNDOCOPY) != 0;
    if (cls.descr->classId == CLASS_ALLOBJECTS && (!root_ || slot < root_))
        root_ = slot;
    if (slot >= stored_.size())
        stored_.resize(std::clamp<size_t>(2 * stored_.size(), slot + size_t(1), kernel_->bank->capacity));
    stored_[slot] = head.refsIncoming;
    const char *refs = block + head.refOffset;
    for (uint32_t i = 0; i < head.refsHeld; ++i) {
        const uint32_t t = LoadField<uint32_t>(refs, size_t(8) * i);
        maxTarget_ = std::max(maxTarget_, t);
        if (t == 0) {
            nullTarget_ = true;
            continue;
        }
        // A target at or past first free fails the reading later and needs
        // no count. Before the bank record the slot table bounds the counts
        // kept; a target beyond has all counts taken again at the end.
        const uint32_t bound = haveBank_ ? kernel_->bank->firstFree : kernel_->bank->capacity;
        if (t >= bound) {
            uncounted_ = uncounted_ || !haveBank_;
            continue;
        }
        if (t >= incoming_.size())
            incoming_.resize(std::clamp<size_t>(2 * incoming_.size(), t + size_t(1), bound));
        ++incoming_[t];
    }
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
    // The body overwrites the whole block at once, so it is not cleared first.
    if (!BankAllocInPosUncleared(bank, head.length, slot)) {
        error_ = "There is not enough memory to read the map document.";
        return false;
    }
    auto *block = static_cast<char *>(BankLock(bank, slot));
    if (!readBody(block, head.length, at) || !checkObject(slot, block, head.length, at))
        return false;
    noteReferences(slot, block, classes_[LoadField<uint32_t>(block, 0)]);
    highest_ = std::max(highest_, slot);
    ++objectsRead_;
    return true;
}

bool MapReader::applyBank(const uint32_t (&words)[5])
{
    BankDesc *bank = kernel_->bank;
    const uint32_t firstFree = words[1], lowestFreed = words[3];
    if (firstFree == 0 || firstFree > MAPFILE_MAX_SLOTS)
        return fail("its first free slot %u is out of range", firstFree);
    if (highest_ >= firstFree)
        return fail("object %u lies past the first free slot %u", highest_, firstFree);
    // Every slot below first free is one the file could hold an object of:
    // a small file cannot ask for a large slot table.
    const uint64_t canHold = objectsRead_ + remaining() / (sizeof(MapRecordHead) + OBJ_HEAD_SIZE);
    if (firstFree - 1 > canHold)
        return fail("its first free slot %u is beyond the %" PRIu64 " objects the file can hold", firstFree,
                    canHold);
    if (lowestFreed >= firstFree)
        return fail("its lowest freed slot %u is not below the first free slot %u", lowestFreed, firstFree);
    // The stored capacity is not needed: the table is that of a fresh bank.
    const uint32_t entries = BankFreshCapacity(firstFree);
    if (!BankSetMaxEntries(bank, entries) || bank->capacity != entries) {
        error_ = "There is not enough memory to read the map document.";
        return false;
    }
    bank->firstFree = firstFree;
    bank->freedCount = words[2];
    bank->lowestFreed = lowestFreed;
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
        const uint64_t at = offset_;
        MapRecordHead head;
        if (!fill(sizeof head)) {
            const size_t got = buffered();
            pos_ = end_;
            offset_ += got;
            if (got == 0 && !in_.Error())
                return true; // the records end with the file
            return in_.Error() ? fail("the record head at byte %" PRIu64 " could not be read", at)
                               : fail("the file ends inside the record head at byte %" PRIu64, at);
        }
        std::memcpy(&head, buffer_.get() + pos_, sizeof head);
        pos_ += sizeof head;
        offset_ += sizeof head;
        bool ok = true;
        switch (head.kind) {
        case MAPREC_OBJECT:
            ok = readObject(head, at);
            break;
        case MAPREC_DOCUMENT:
            ok = readDocument(head, at);
            break;
        case MAPREC_END:
            return true;
        default:
            return fail("the record at byte %" PRIu64 " has the unknown kind %u", at, head.kind);
        }
        if (!ok)
            return false;
        if (showProgress_ && size_ && offset_ >= nextProgressAt_) {
            const int percent = int(offset_ * 100 / size_);
            if (percent > lastPercent_) {
                lastPercent_ = percent;
                progress(percent);
            }
            // The lowest position whose percent is above the last one sent.
            nextProgressAt_ = (uint64_t(lastPercent_ + 1) * size_ + 99) / 100;
        }
    }
}

// Walked only when some reference names a slot at or past first free, to
// name the first such object as a full walk would.
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
// written) are taken out and the incoming counts counted again. Only files
// with such references, or with references counted too early to be kept,
// need the walk.
void MapReader::dropMissingReferences()
{
    BankDesc *bank = kernel_->bank;
    const uint32_t n = bank->firstFree;
    std::fill(incoming_.begin(), incoming_.end(), 0);
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
            ++incoming_[r.target];
            StoreField(block, head->refOffset + size_t(8) * kept++, r);
        }
        for (uint32_t i = kept; i < head->refsHeld; ++i)
            StoreField(block, head->refOffset + size_t(8) * i, OBJectRef{});
        head->refsHeld = kept;
    }
}

// Every incoming count and the kernel's counters come from what was read.
void MapReader::finishCounts()
{
    BankDesc *bank = kernel_->bank;
    const uint32_t n = bank->firstFree;
    incoming_.resize(std::max<size_t>(incoming_.size(), n));
    bool missing = nullTarget_ || uncounted_;
    for (uint32_t slot = 1; slot < n && !missing; ++slot)
        missing = incoming_[slot] && !bank->slots[slot];
    if (missing)
        dropMissingReferences();
    // A document saved whole already holds the right counts: only the
    // objects whose stored count differs are touched again.
    stored_.resize(std::max<size_t>(stored_.size(), n));
    for (uint32_t slot = 1; slot < n; ++slot)
        if (incoming_[slot] != stored_[slot])
            if (OBJectHead *head = slotHead(bank, slot))
                head->refsIncoming = incoming_[slot];
    OBJectGlobalCounters &global = GlobalObjectCounters();
    for (size_t i = 0; i < classes_.size(); ++i) {
        const ClassInfo &c = classes_[i];
        if (!c.objects)
            continue;
        OBJectClassDescrKernel &e = kernel_->classes[i];
        OBJectClassDescr *d = ClassDescrByIndex(uint32_t(i));
        kernel_->objects += c.objects, e.objects += c.objects, global.objects += c.objects,
            d->objects += c.objects;
        kernel_->deleted += c.deleted, e.deleted += c.deleted, global.deleted += c.deleted,
            d->deleted += c.deleted;
        kernel_->undoCopies += c.undoCopies, e.undoCopies += c.undoCopies, global.undoCopies += c.undoCopies,
            d->undoCopies += c.undoCopies;
    }
}

int MapReader::run(OBJHANDLE *rootOut, OBJectKernel **kernelOut)
{
    // Blocks of a few MiB keep the system calls few and let the file layer
    // read straight into this buffer; a small stream gets a small buffer.
    capacity_ = size_t(std::clamp<uint64_t>(size_, 4096, kReadBlock));
    buffer_.reset(new char[capacity_]);
    if (!fill(sizeof header_)) {
        error_ = MAPFILE_NOT_A_DOCUMENT;
        return 0;
    }
    std::memcpy(&header_, buffer_.get(), sizeof header_);
    pos_ = sizeof header_;
    offset_ = sizeof header_;
    if (header_.letter != 'O') {
        error_ = MAPFILE_NOT_A_DOCUMENT;
        return 0;
    }
    for (int i = 0, n = GetNumberOfClasses(); i < n; ++i) {
        const OBJectClassDescr *d = ClassDescrByIndex(uint32_t(i));
        classes_.push_back({d && d->classId ? d : nullptr});
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
    // Every object lies below first free, so a target at or past it was seen.
    ok = ok && (maxTarget_ < kernel_->bank->firstFree || checkTargets());
    if (!ok) {
        progress(MAPN_PROGRESS_END);
        return 0;
    }

    // Nothing fails from here on: the document is whole.
    BankDesc *bank = kernel_->bank;
    finishCounts();
    const OBJHANDLE root = CompressKernelWithRoot(kernel_, root_);
    // Compressed, the bank is as a fresh one that handed out these slots.
    bank->freedCount = 0;
    bank->lowestFreed = 0;
    BankSetMaxEntries(bank, BankFreshCapacity(bank->firstFree));
    clearStaleHandles(kernel_, root);
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
            UpperViewProjectionSet(rec->displayView, &view_);
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

const std::string &MapFileLastError() { return lastError; }

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

int ReadMapToKern(HWND window, const char *fileName, OBJHANDLE *root, OBJectKernel **kernel, int showProgress)
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
    for (OBJHANDLE h = FirstReference(kernel, root, REF_ROOT, &pos); h;
         h = GetReference(kernel, root, REF_ROOT, &pos))
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
