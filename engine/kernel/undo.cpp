#include "engine/kernel/undo.h"

#include "engine/kernel/bank.h"
#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/identifiers.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/raster_images.h"
#include "engine/kernel/references.h"
#include "engine/kernel/undo_holders.h"
#include "engine/kernel/window_record.h"
#include "platform/clipboard.h"
#include "platform/diagnostics.h"
#include "platform/global_memory.h"
#include "platform/heap.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_set>
#include <vector>

namespace {

// Tree walks of damaged data must not exhaust the stack.
constexpr int kMaxTreeDepth = 4096;

BankDesc *bankOf(OBJectKernel *kernel) { return kernel ? kernel->bank : nullptr; }

OBJectHead *headOf(OBJectKernel *kernel, OBJHANDLE h) { return h ? HeadLock(kernel, h) : nullptr; }

bool isHidden(const OBJectHead *head) { return head && (head->flags & UNDO_HIDDEN_FLAGS); }

// ---------------------------------------------------------------------------
// Counters. The store raises none of the undo-copy counters; the history
// keeps them equal to the objects flagged 0x4000, so that the object counts
// (objects - deleted - undo copies) leave hidden objects and copies out.

enum class Counter { Objects, Deleted, UndoCopies };

void step(uint32_t &v, bool up)
{
    if (up)
        ++v;
    else if (v > 0)
        --v;
}

void adjust(OBJectKernel *kernel, uint32_t classIndex, Counter which, bool up)
{
    auto pick = [which](uint32_t &objects, uint32_t &deleted, uint32_t &copies) -> uint32_t & {
        return which == Counter::Objects ? objects : which == Counter::Deleted ? deleted : copies;
    };
    OBJectGlobalCounters &g = GlobalObjectCounters();
    step(pick(g.objects, g.deleted, g.undoCopies), up);
    step(pick(kernel->objects, kernel->deleted, kernel->undoCopies), up);
    if (OBJectClassDescr *d = ClassDescrByIndex(classIndex))
        step(pick(d->objects, d->deleted, d->undoCopies), up);
    if (classIndex < OBJ_MAX_CLASSES) {
        OBJectClassDescrKernel &e = kernel->classes[classIndex];
        step(pick(e.objects, e.deleted, e.undoCopies), up);
    }
}

void setHiddenFlags(OBJectKernel *kernel, OBJHANDLE h, bool hidden)
{
    OBJectHead *head = headOf(kernel, h);
    if (!head)
        return;
    const bool wasCopy = head->flags & OBJF_UNDOCOPY;
    head->flags =
        hidden ? uint16_t(head->flags | UNDO_HIDDEN_FLAGS) : uint16_t(head->flags & ~UNDO_HIDDEN_FLAGS);
    if (wasCopy != hidden)
        adjust(kernel, head->classIndex, Counter::UndoCopies, hidden);
}

// ---------------------------------------------------------------------------
// Reference slots of one object, read out before anything changes them.

std::vector<OBJectRef> slotsOf(OBJectKernel *kernel, OBJHANDLE h)
{
    std::vector<OBJectRef> out;
    uint16_t id = 0;
    OBJHANDLE target = 0;
    for (int32_t n = 0; GetRef(kernel, h, &id, &target, n); ++n)
        out.push_back(OBJectRef{target, id, 0});
    return out;
}

int32_t findSlot(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id, OBJHANDLE target)
{
    uint16_t rid = 0;
    OBJHANDLE rt = 0;
    for (int32_t n = 0; GetRef(kernel, holder, &rid, &rt, n); ++n)
        if (rid == id && rt == target)
            return n;
    return -1;
}

// Hiding takes the object's links out of its targets but leaves its own
// slots, so that showing it can put the links back.
void hideObject(OBJectKernel *kernel, OBJHANDLE h)
{
    if (!headOf(kernel, h))
        return;
    for (const OBJectRef &ref : slotsOf(kernel, h)) {
        if (!(ref.id & REF_PAIRED) || !headOf(kernel, ref.target))
            continue;
        const int32_t back = findSlot(kernel, ref.target, uint16_t(ref.id ^ 1), h);
        if (back >= 0)
            RemRef(kernel, ref.target, back);
    }
    setHiddenFlags(kernel, h, true);
}

// The slots that hideObject takes out of the object's targets, in its order,
// each where it stands when it goes.
std::vector<UndoBackSlot> backSlotsOf(OBJectKernel *kernel, OBJHANDLE h)
{
    std::vector<UndoBackSlot> out;
    std::vector<std::pair<OBJHANDLE, std::vector<OBJectRef>>> lists; // the targets' slots as they go
    for (const OBJectRef &ref : slotsOf(kernel, h)) {
        if (!(ref.id & REF_PAIRED) || !headOf(kernel, ref.target))
            continue;
        auto list =
            std::find_if(lists.begin(), lists.end(), [&](const auto &l) { return l.first == ref.target; });
        if (list == lists.end())
            list = lists.insert(lists.end(), {ref.target, slotsOf(kernel, ref.target)});
        const uint16_t back = uint16_t(ref.id ^ 1);
        auto &slots = list->second;
        const auto at = std::find_if(slots.begin(), slots.end(),
                                     [&](const OBJectRef &r) { return r.id == back && r.target == h; });
        if (at == slots.end())
            continue;
        out.push_back(UndoBackSlot{ref.target, back, 0, int32_t(at - slots.begin())});
        slots.erase(at);
    }
    return out;
}

bool canHoldAgain(OBJectKernel *kernel, OBJHANDLE target)
{
    const OBJectHead *t = headOf(kernel, target);
    return t && !(t->flags & OBJF_DELETED);
}

// The flags go first, so that the targets' procedures see a live member
// when its link comes back. Links whose slots were kept go back there, last
// taken first; the others are appended and the target's ordering mode
// decides where the object lands.
void showObject(OBJectKernel *kernel, OBJHANDLE h, const UndoBackSlot *kept = nullptr, size_t keptCount = 0)
{
    if (!headOf(kernel, h))
        return;
    setHiddenFlags(kernel, h, false);
    std::vector<OBJectRef> links = slotsOf(kernel, h);
    std::vector<bool> done(links.size(), false);
    for (size_t k = keptCount; k-- > 0;) {
        const UndoBackSlot &s = kept[k];
        size_t i = 0;
        while (i < links.size() && (done[i] || links[i].target != s.holder ||
                                    uint16_t(links[i].id ^ 1) != s.id || !(s.id & REF_PAIRED)))
            ++i;
        if (i == links.size())
            continue;
        done[i] = true;
        if (canHoldAgain(kernel, s.holder))
            InsRef(kernel, s.holder, s.id, h, s.position);
    }
    for (size_t i = 0; i < links.size(); ++i) {
        if (done[i] || !(links[i].id & REF_PAIRED) || !canHoldAgain(kernel, links[i].target))
            continue;
        InsRef(kernel, links[i].target, uint16_t(links[i].id ^ 1), h, -1);
    }
}

const UndoBackSlot *backSlotsIn(const UndoObjectRecord *r)
{
    return reinterpret_cast<const UndoBackSlot *>(reinterpret_cast<const char *>(r) + sizeof *r);
}

// Drops a hidden object for good. Its own slots still count in their
// targets, so the targets' incoming counts go down first (a target deleted
// while referenced goes with its last reference, as RemRef does it). An
// object that something still references becomes "deleted while
// referenced" and goes with its last reference.
void finalFree(OBJectKernel *kernel, OBJHANDLE h)
{
    OBJectHead *head = headOf(kernel, h);
    if (!isHidden(head))
        return;
    RasterObjectReleaseImages(kernel, h);
    for (const OBJectRef &ref : slotsOf(kernel, h)) {
        if (ref.target == h)
            continue;
        OBJectHead *t = headOf(kernel, ref.target);
        if (!t)
            continue;
        if (t->refsIncoming)
            --t->refsIncoming;
        if (t->refsIncoming == 0 && (t->flags & OBJF_DELETED))
            KillOBJect(kernel, ref.target);
    }
    head = headOf(kernel, h);
    if (!head)
        return;
    if (head->refsIncoming == 0) {
        KillOBJect(kernel, h);
        return;
    }
    // The slots no longer count anywhere: clear them so that nothing lowers
    // the targets a second time.
    std::memset(reinterpret_cast<char *>(head) + head->refOffset, 0, size_t(head->refsHeld) * 8);
    head->refsHeld = 0;
    setHiddenFlags(kernel, h, false);
    head = headOf(kernel, h);
    if (!(head->flags & OBJF_DELETED)) {
        head->flags |= OBJF_DELETED;
        adjust(kernel, head->classIndex, Counter::Deleted, true);
    }
}

// Frees a saved copy. Its slots never counted in their targets. A raster
// copy lets go of the images it shares with the live object (or that only
// it still names).
void freeCopy(OBJectKernel *kernel, OBJHANDLE, OBJHANDLE copy)
{
    if (!isHidden(headOf(kernel, copy)))
        return;
    RasterObjectReleaseImages(kernel, copy);
    KillOBJect(kernel, copy);
}

// Moves the incoming counts of every target of the object's slots, when a
// block with other slots takes the object's place.
void countSlots(OBJectKernel *kernel, OBJHANDLE h, bool up)
{
    for (const OBJectRef &ref : slotsOf(kernel, h))
        if (OBJectHead *t = headOf(kernel, ref.target); t && ref.target != h) {
            if (up)
                ++t->refsIncoming;
            else if (t->refsIncoming)
                --t->refsIncoming;
        }
}

// Exchanges the object's block with its saved copy. The number of
// references that point at the object does not change with its content, so
// the incoming count stays with the handle; the targets count the slots of
// the block that is now the object's.
void exchangeBlocks(OBJectKernel *kernel, OBJHANDLE h, OBJHANDLE copy)
{
    BankDesc *bank = bankOf(kernel);
    if (!headOf(kernel, h) || !headOf(kernel, copy) || h == copy)
        return;
    _COORDRECT old;
    old.x1 = old.y1 = old.x2 = old.y2 = 0;
    SendOBJectMessage(kernel, 0, h, 0, GRM_GETBOUNDRECT, 0, LPARAM(&old));
    countSlots(kernel, h, false);
    const LRESULT largest = SendOBJectMessage(kernel, 0, h, 0, GRM_GETMAXDATASPACE, 0, 0);
    const uint32_t incoming = headOf(kernel, h)->refsIncoming;
    std::swap(bank->slots[h], bank->slots[copy]);
    OBJectHead *now = headOf(kernel, h);
    OBJectHead *saved = headOf(kernel, copy);
    now->refsIncoming = incoming;
    saved->refsIncoming = 0;
    now->flags = uint16_t(now->flags & ~UNDO_HIDDEN_FLAGS);
    saved->flags = uint16_t(saved->flags | UNDO_HIDDEN_FLAGS);
    countSlots(kernel, h, true);
    ResortSortedHoldersOf(kernel, h);
    // The holders keep the largest data space below them.
    if (SendOBJectMessage(kernel, 0, h, 0, GRM_GETMAXDATASPACE, 0, 0) != largest)
        PropagateOBJectMessage(kernel, h, REF_FILTER_LINK_BACK, GRM_DATASPACECHANGED, 0, largest);
    SendOBJectMessage(kernel, 0, h, 0, GRM_INVALIDATE, 0, LPARAM(&old));
}

// What one step's undo or redo touched, for the work that follows the whole
// step: links of exchanged blocks, and the lists that hold what changed.
struct StepWork {
    std::vector<std::pair<OBJHANDLE, OBJHANDLE>> exchanged; // object, its other block
    std::vector<UndoHolder> holders;
};

void noteTouched(OBJectKernel *kernel, StepWork &work, OBJHANDLE h)
{
    UndoCollectHolders(kernel, h, work.holders);
}

// Links first (they may move members), then the lists' derived fields. The
// lists that either block of an exchanged object named, before and after its
// links are repaired, have seen the object come or go.
void finishStep(OBJectKernel *kernel, StepWork &work, const std::vector<UndoHolderState> *states)
{
    for (const auto &[h, other] : work.exchanged) {
        UndoCollectHolders(kernel, h, work.holders);
        UndoCollectHolders(kernel, other, work.holders);
        UndoRepairLinks(kernel, h, other);
        UndoCollectHolders(kernel, h, work.holders);
    }
    UndoRecomputeHolders(kernel, work.holders);
    if (states)
        UndoRestoreHolderStates(kernel, *states);
    UndoCheckSelectionFields(kernel);
}

// ---------------------------------------------------------------------------
// The record list

uint16_t kindAt(const BankDesc *bank, uint32_t i)
{
    if (i >= bank->undoRecords.size())
        return 0;
    return UndoRecordKind(bank->undoRecords[i]);
}

uint16_t codeAt(const BankDesc *bank, uint32_t i)
{
    return static_cast<const UndoStepRecord *>(bank->undoRecords[i])->code;
}

void freeRecordAt(BankDesc *bank, uint32_t i)
{
    if (bank->undoRecords[i])
        HeapFree(bank->heap, 0, bank->undoRecords[i]);
    bank->undoRecords[i] = nullptr;
}

void resetHistory(OBJectKernel *kernel, HWND window)
{
    Undo_Reset(kernel);
    kernel->bank->undoResetNext = 0;
    Undo_ClipboardCheck(window, kernel);
}

// Steps 1 and 2 of every append of an object record.
void beforeObjectRecord(OBJectKernel *kernel, OBJHANDLE h)
{
    if (kernel->bank->undoResetNext)
        resetHistory(kernel, GetOBJectWnd(kernel, h));
    Undo_FreeFromCur(kernel);
}

void *allocRecord(BankDesc *bank, size_t size) { return HeapAlloc(bank->heap, HEAP_ZERO_MEMORY, size); }

// A record that carries the lists' selection fields behind its own bytes:
// the first record of a step (the state before it) and every marker (the
// state after it).
void *allocRecordWithStates(OBJectKernel *kernel, size_t size)
{
    const std::vector<UndoHolderState> states = UndoTakeHolderStates(kernel);
    char *r = static_cast<char *>(allocRecord(kernel->bank, size + UndoHolderTrailerSize(states)));
    if (r)
        UndoWriteHolderTrailer(r + size, states);
    return r;
}

bool opensStep(const BankDesc *bank);

// The first record of a step is allocated with the state before the step.
void *allocObjectRecord(OBJectKernel *kernel, size_t size)
{
    return opensStep(kernel->bank) ? allocRecordWithStates(kernel, size) : allocRecord(kernel->bank, size);
}

// The states that a record carries, given the size of its own fields.
std::vector<UndoHolderState> statesOf(const BankDesc *bank, const void *record, size_t size)
{
    const size_t total = record ? HeapSize(bank->heap, 0, record) : 0;
    if (total <= size)
        return {};
    return UndoReadHolderTrailer(static_cast<const char *>(record) + size, total - size);
}

size_t ownSize(const void *record)
{
    switch (UndoRecordKind(record)) {
    case UNDO_STEP:
        return sizeof(UndoStepRecord);
    case UNDO_CHANGED:
        return sizeof(UndoChangeRecord);
    case UNDO_DELETED:
        return sizeof(UndoObjectRecord) +
               size_t(static_cast<const UndoObjectRecord *>(record)->backSlots) * sizeof(UndoBackSlot);
    default:
        return sizeof(UndoObjectRecord);
    }
}

// The record at the index keeps the lists' selection fields as they are now:
// the position the history leaves keeps the fields it had when it was left,
// selections made after the step was recorded included, so that coming back
// to it gives them again. A record that cannot grow keeps the fields it had.
void keepStatesIn(OBJectKernel *kernel, uint32_t index)
{
    BankDesc *bank = kernel->bank;
    void *record = bank->undoRecords[index];
    const size_t own = ownSize(record);
    const std::vector<UndoHolderState> states = UndoTakeHolderStates(kernel);
    const size_t size = own + UndoHolderTrailerSize(states);
    if (HeapSize(bank->heap, 0, record) != size) {
        void *resized = HeapReAlloc(bank->heap, HEAP_ZERO_MEMORY, record, size);
        if (!resized)
            return;
        bank->undoRecords[index] = record = resized;
    }
    UndoWriteHolderTrailer(static_cast<char *>(record) + own, states);
}

// Puts the record at the position; false (the record freed) when the list
// cannot grow.
bool pushRecord(BankDesc *bank, void *record)
{
    try {
        bank->undoRecords.resize(bank->undoPosition);
        bank->undoRecords.push_back(record);
    } catch (const std::bad_alloc &) {
        HeapFree(bank->heap, 0, record);
        return false;
    }
    bank->undoEnd = ++bank->undoPosition;
    return true;
}

bool appendObjectRecord(OBJectKernel *kernel, uint16_t kind, OBJHANDLE h)
{
    BankDesc *bank = kernel->bank;
    auto *r = static_cast<UndoObjectRecord *>(allocObjectRecord(kernel, sizeof(UndoObjectRecord)));
    if (!r)
        return false;
    r->kind = kind;
    r->handle = h;
    return pushRecord(bank, r);
}

bool hasStep(const UndoStepInfo &s) { return s.index >= 0 && s.code != 0; }

bool opensStep(const BankDesc *bank)
{
    return bank->undoPosition == 0 || kindAt(bank, bank->undoPosition - 1) == UNDO_STEP;
}

void deleteTree(OBJectKernel *kernel, OBJHANDLE h, uint16_t childFilter, std::unordered_set<OBJHANDLE> &path);

// The subtrees under h's targets through the filter, last to first; the
// targets are taken first because the deletions change h's references.
void deleteChildren(OBJectKernel *kernel, OBJHANDLE h, uint16_t filter, uint16_t subtreeFilter,
                    std::unordered_set<OBJHANDLE> &path)
{
    std::vector<OBJHANDLE> children;
    int32_t pos = -1;
    for (OBJHANDLE c = FirstReference(kernel, h, filter, &pos); c; c = GetReference(kernel, h, filter, &pos))
        children.push_back(c);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (!isHidden(headOf(kernel, *it)))
            deleteTree(kernel, *it, subtreeFilter, path);
}

// Depth-first deletion of a subtree: children last to first, then the node.
// The path holds the nodes above, so a cycle ends the descent.
void deleteTree(OBJectKernel *kernel, OBJHANDLE h, uint16_t childFilter, std::unordered_set<OBJHANDLE> &path)
{
    if (path.size() >= size_t(kMaxTreeDepth) || !path.insert(h).second)
        return;
    deleteChildren(kernel, h, childFilter, REF_FILTER_FORWARD, path);
    path.erase(h);
    Undo_DeleteOBJect(kernel, h);
}

// The lists that lost members to the deletions of the step being closed
// get their fields from their members once, as undo and redo give them: the
// links taken out one by one leave a list's rectangle or largest data space
// from its members only where a member touched them.
void recomputeAfterDeletions(OBJectKernel *kernel)
{
    const BankDesc *bank = kernel->bank;
    StepWork work;
    for (uint32_t i = bank->undoPosition; i > 0 && kindAt(bank, i - 1) != UNDO_STEP; --i)
        if (kindAt(bank, i - 1) == UNDO_DELETED)
            noteTouched(kernel, work,
                        static_cast<const UndoObjectRecord *>(bank->undoRecords[i - 1])->handle);
    if (!work.holders.empty())
        UndoRecomputeHolders(kernel, work.holders);
}

} // namespace

uint16_t UndoRecordKind(const void *record)
{
    return record ? static_cast<const UndoStepRecord *>(record)->kind : 0;
}

// ---------------------------------------------------------------------------
// Recording

OBJHANDLE CreateUndoList(OBJectKernel *kernel) { return kernel ? CreateOBJect(kernel, CLASS_UNDO) : 0; }

int Undo_SetNewStep(HWND window, OBJectKernel *kernel, uint16_t code)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->undoEnabled || !kernel)
        return 0;
    BankDesc *bank = kernel->bank;
    Undo_ClipboardCheck(window, kernel);
    if (bank->undoResetNext)
        resetHistory(kernel, window);
    if (bank->undoPosition > 0) {
        Undo_FreeFromCur(kernel);
        recomputeAfterDeletions(kernel);
        if (auto *r = static_cast<UndoStepRecord *>(allocRecordWithStates(kernel, sizeof(UndoStepRecord)))) {
            r->kind = UNDO_STEP;
            r->code = code;
            pushRecord(bank, r);
        }
    }
    Undo_SendCaptions(window, kernel);
    Undo_SendState(window, MAPN_ENABLE, MAPN_UNDO);
    Undo_SendState(window, MAPN_DISABLE, MAPN_REDO);
    return 1;
}

int Undo_AddNew(OBJectKernel *kernel, OBJHANDLE handle)
{
    if (!headOf(kernel, handle))
        return 0;
    beforeObjectRecord(kernel, handle);
    return appendObjectRecord(kernel, UNDO_ADDED, handle) ? 1 : 0;
}

int Undo_DeleteOBJect(OBJectKernel *kernel, OBJHANDLE handle)
{
    const OBJectHead *head = headOf(kernel, handle);
    if (!head || isHidden(head))
        return 0;
    beforeObjectRecord(kernel, handle);
    std::vector<UndoBackSlot> slots = backSlotsOf(kernel, handle);
    // More links than a record counts are put back at their holders' ends.
    if (slots.size() > UINT16_MAX)
        slots.clear();
    const size_t size = sizeof(UndoObjectRecord) + slots.size() * sizeof(UndoBackSlot);
    auto *r = static_cast<UndoObjectRecord *>(allocObjectRecord(kernel, size));
    if (!r)
        return 0;
    r->kind = UNDO_DELETED;
    r->backSlots = uint16_t(slots.size());
    r->handle = handle;
    if (!slots.empty())
        std::memcpy(reinterpret_cast<char *>(r) + sizeof *r, slots.data(),
                    slots.size() * sizeof(UndoBackSlot));
    if (!pushRecord(kernel->bank, r))
        return 0;
    hideObject(kernel, handle);
    // The selection list may name the hidden object as the one last
    // deselected: a field that names no object of the document goes.
    UndoCheckSelectionFields(kernel);
    return 1;
}

int Undo_DeleteTree(OBJectKernel *kernel, OBJHANDLE handle)
{
    return Undo_DeleteTree2(kernel, handle, REF_FILTER_FORWARD);
}

int Undo_DeleteTree2(OBJectKernel *kernel, OBJHANDLE handle, uint16_t filter)
{
    if (!headOf(kernel, handle))
        return 0;
    std::unordered_set<OBJHANDLE> path;
    deleteTree(kernel, handle, filter, path);
    return 1;
}

int Undo_DeleteRootTree(OBJectKernel *kernel, OBJHANDLE root)
{
    return Undo_DeleteRootTree2(kernel, root, REF_FILTER_FORWARD);
}

int Undo_DeleteRootTree2(OBJectKernel *kernel, OBJHANDLE root, uint16_t filter)
{
    if (!headOf(kernel, root))
        return 0;
    // The root stays, but it is on the path: a child that leads back to it
    // is not deleted through it.
    std::unordered_set<OBJHANDLE> path{root};
    deleteChildren(kernel, root, filter, filter, path);
    return 1;
}

int Undo_ChangeObject(OBJectKernel *kernel, OBJHANDLE handle)
{
    if (!headOf(kernel, handle))
        return 0;
    beforeObjectRecord(kernel, handle);
    BankDesc *bank = kernel->bank;
    auto *r = static_cast<UndoChangeRecord *>(allocObjectRecord(kernel, sizeof(UndoChangeRecord)));
    if (!r)
        return 0;
    const uint32_t size = headOf(kernel, handle)->size;
    const OBJHANDLE copy = BankAlloc(bank, size);
    if (!copy || !BankLock(bank, copy)) {
        if (copy)
            BankFree(bank, copy);
        HeapFree(bank->heap, 0, r);
        return 0;
    }
    r->kind = UNDO_CHANGED;
    r->handle = handle;
    r->copy = copy;
    if (!pushRecord(bank, r)) {
        BankFree(bank, copy);
        return 0;
    }
    const OBJectHead *head = headOf(kernel, handle);
    auto *saved = static_cast<OBJectHead *>(BankLock(bank, copy));
    std::memcpy(saved, head, size);
    // The copy is an object of the store from now on; KillOBJect takes it
    // out of the same counters.
    saved->flags = uint16_t(saved->flags & ~UNDO_HIDDEN_FLAGS);
    adjust(kernel, saved->classIndex, Counter::Objects, true);
    if (saved->flags & OBJF_DELETED)
        adjust(kernel, saved->classIndex, Counter::Deleted, true);
    setHiddenFlags(kernel, copy, true);
    // A raster's copy names the same images as the object: one more holder
    // each, so that neither frees them under the other.
    RasterObjectRetainImages(kernel, copy);
    return 1;
}

int ToUndoTreeProc(OBJectKernel *, OBJHANDLE, uint16_t, int32_t *, void *, int32_t, int32_t, int)
{
    return 0;
}

int IsOBJectUndoCopy(OBJectKernel *kernel, OBJHANDLE handle)
{
    return GetOBJectFlag(kernel, handle, OBJF_UNDOCOPY) ? 1 : 0;
}

uint16_t IsOBJectUndoDeleted(OBJectKernel *kernel, OBJHANDLE handle)
{
    return GetOBJectFlag(kernel, handle, OBJF_UNDODELETED) ? 1 : 0;
}

int UndoUndo(OBJectKernel *, OBJHANDLE) { return 0; }

int ToUndoAddNew(OBJectKernel *, OBJHANDLE, OBJHANDLE) { return 0; }

LRESULT UndoProc(OBJectKernel *, OBJHANDLE, OBJHANDLE, uint16_t, uint16_t, WPARAM, LPARAM) { return 0; }

// ---------------------------------------------------------------------------
// Replaying

namespace {

void *undoOne(OBJectKernel *kernel, StepWork &work)
{
    BankDesc *bank = bankOf(kernel);
    if (!bank || bank->undoPosition == 0)
        return nullptr;
    void *record = bank->undoRecords[bank->undoPosition - 1];
    switch (UndoRecordKind(record)) {
    case UNDO_STEP:
        return record;
    case UNDO_ADDED: {
        const OBJHANDLE h = static_cast<UndoObjectRecord *>(record)->handle;
        if (const OBJectHead *head = headOf(kernel, h); head && !isHidden(head)) {
            hideObject(kernel, h);
            noteTouched(kernel, work, h);
        }
        --bank->undoPosition;
        break;
    }
    case UNDO_DELETED: {
        const auto *r = static_cast<UndoObjectRecord *>(record);
        const OBJHANDLE h = r->handle;
        if (isHidden(headOf(kernel, h))) {
            showObject(kernel, h, backSlotsIn(r), r->backSlots);
            noteTouched(kernel, work, h);
        }
        --bank->undoPosition;
        break;
    }
    case UNDO_CHANGED: {
        const auto *r = static_cast<UndoChangeRecord *>(record);
        --bank->undoPosition;
        if (headOf(kernel, r->handle) && isHidden(headOf(kernel, r->copy))) {
            exchangeBlocks(kernel, r->handle, r->copy);
            work.exchanged.emplace_back(r->handle, r->copy);
        }
        break;
    }
    default:
        --bank->undoPosition;
        break;
    }
    return record;
}

// Redoes R[p - 1]; the caller moved the position over it.
void redoRecord(OBJectKernel *kernel, void *record, StepWork &work)
{
    switch (UndoRecordKind(record)) {
    case UNDO_ADDED: {
        const OBJHANDLE h = static_cast<UndoObjectRecord *>(record)->handle;
        if (isHidden(headOf(kernel, h))) {
            showObject(kernel, h);
            noteTouched(kernel, work, h);
        }
        break;
    }
    case UNDO_DELETED: {
        const OBJHANDLE h = static_cast<UndoObjectRecord *>(record)->handle;
        if (const OBJectHead *head = headOf(kernel, h); head && !isHidden(head)) {
            hideObject(kernel, h);
            noteTouched(kernel, work, h);
        }
        break;
    }
    case UNDO_CHANGED: {
        const auto *r = static_cast<UndoChangeRecord *>(record);
        if (headOf(kernel, r->handle) && isHidden(headOf(kernel, r->copy))) {
            exchangeBlocks(kernel, r->handle, r->copy);
            work.exchanged.emplace_back(r->handle, r->copy);
        }
        break;
    }
    default:
        break;
    }
}

void *redoOne(OBJectKernel *kernel, StepWork &work)
{
    BankDesc *bank = bankOf(kernel);
    if (!bank || bank->undoPosition == 0 || bank->undoPosition > bank->undoEnd)
        return nullptr;
    void *record = bank->undoRecords[bank->undoPosition - 1];
    if (UndoRecordKind(record) == UNDO_STEP)
        return record;
    redoRecord(kernel, record, work);
    // The last record of the branch was redone: the position stays at the
    // end.
    if (bank->undoPosition >= bank->undoEnd)
        return nullptr;
    ++bank->undoPosition;
    return bank->undoRecords[bank->undoPosition - 1];
}

} // namespace

void *Undo_One(OBJectKernel *kernel)
{
    StepWork work;
    void *record = undoOne(kernel, work);
    if (record)
        finishStep(kernel, work, nullptr);
    return record;
}

void *Redo_One(OBJectKernel *kernel)
{
    StepWork work;
    void *record = redoOne(kernel, work);
    finishStep(kernel, work, nullptr);
    return record;
}

void Undo_DropSince(OBJectKernel *kernel, int position)
{
    BankDesc *bank = bankOf(kernel);
    if (!bank)
        return;
    StepWork work;
    while (Undo_GetPositionCurStep(kernel) > position && kindAt(bank, bank->undoPosition - 1) != UNDO_STEP)
        if (!undoOne(kernel, work))
            break;
    finishStep(kernel, work, nullptr);
    Undo_FreeFromCur(kernel);
}

// A step is undone as a whole; then the links of its exchanged blocks are
// made whole and the lists get back the fields they had before it, which
// its first record keeps. Its marker keeps the fields it leaves.
int Undo_Undo(OBJectKernel *kernel)
{
    BankDesc *bank = bankOf(kernel);
    if (!bank || bank->undoPosition == 0)
        return 0;
    if (kindAt(bank, bank->undoPosition - 1) == UNDO_STEP) {
        keepStatesIn(kernel, bank->undoPosition - 1);
        --bank->undoPosition;
    }
    StepWork work;
    const void *first = nullptr;
    while (bank->undoPosition > 0 && kindAt(bank, bank->undoPosition - 1) != UNDO_STEP)
        first = undoOne(kernel, work);
    const std::vector<UndoHolderState> before =
        first ? statesOf(bank, first, ownSize(first)) : std::vector<UndoHolderState>{};
    finishStep(kernel, work, first ? &before : nullptr);
    return 1;
}

// The mirror: the lists get the fields that the step's marker keeps, and the
// step's first record the fields it leaves.
int Undo_Redo(OBJectKernel *kernel)
{
    BankDesc *bank = bankOf(kernel);
    if (!bank || bank->undoPosition >= bank->undoEnd)
        return 0;
    if (kindAt(bank, bank->undoPosition) == UNDO_STEP) {
        ++bank->undoPosition;
        return 1;
    }
    keepStatesIn(kernel, bank->undoPosition);
    ++bank->undoPosition;
    StepWork work;
    void *r = redoOne(kernel, work);
    while (r && UndoRecordKind(r) != UNDO_STEP)
        r = redoOne(kernel, work);
    const std::vector<UndoHolderState> after =
        r ? statesOf(bank, r, sizeof(UndoStepRecord)) : std::vector<UndoHolderState>{};
    finishStep(kernel, work, r ? &after : nullptr);
    return 1;
}

int Undo_FreeFromCur(OBJectKernel *kernel)
{
    BankDesc *bank = bankOf(kernel);
    if (!bank)
        return 0;
    const uint32_t end = std::min<uint32_t>(bank->undoEnd, uint32_t(bank->undoRecords.size()));
    for (uint32_t i = bank->undoPosition; i < end; ++i) {
        const void *record = bank->undoRecords[i];
        if (UndoRecordKind(record) == UNDO_ADDED)
            finalFree(kernel, static_cast<const UndoObjectRecord *>(record)->handle);
        else if (UndoRecordKind(record) == UNDO_CHANGED) {
            const auto *r = static_cast<const UndoChangeRecord *>(record);
            freeCopy(kernel, r->handle, r->copy);
        }
        freeRecordAt(bank, i);
    }
    bank->undoRecords.resize(std::min<size_t>(bank->undoPosition, bank->undoRecords.size()));
    bank->undoEnd = bank->undoPosition;
    if (end > bank->undoPosition)
        UndoCheckSelectionFields(kernel);
    return 1;
}

int Undo_Reset(OBJectKernel *kernel)
{
    BankDesc *bank = bankOf(kernel);
    if (!bank)
        return 0;
    Undo_FreeFromCur(kernel);
    const uint32_t end = std::min<uint32_t>(bank->undoPosition, uint32_t(bank->undoRecords.size()));
    for (uint32_t i = 0; i < end; ++i) {
        const void *record = bank->undoRecords[i];
        if (UndoRecordKind(record) == UNDO_DELETED)
            finalFree(kernel, static_cast<const UndoObjectRecord *>(record)->handle);
        else if (UndoRecordKind(record) == UNDO_CHANGED) {
            const auto *r = static_cast<const UndoChangeRecord *>(record);
            freeCopy(kernel, r->handle, r->copy);
        }
        freeRecordAt(bank, i);
    }
    std::vector<void *>().swap(bank->undoRecords);
    bank->undoPosition = bank->undoEnd = 0;
    UndoCheckSelectionFields(kernel);
    return 1;
}

int Undo_GetPositionCurStep(OBJectKernel *kernel)
{
    const BankDesc *bank = bankOf(kernel);
    return bank ? int(int64_t(bank->undoPosition) - 1) : -1;
}

uint32_t Undo_IsResetNextT(OBJectKernel *kernel)
{
    const BankDesc *bank = bankOf(kernel);
    return bank ? bank->undoResetNext : 0;
}

int Undo_SetResetNext(OBJectKernel *kernel, uint32_t flag)
{
    BankDesc *bank = bankOf(kernel);
    if (!bank)
        return 0;
    bank->undoResetNext = flag;
    return 1;
}

int GoToSavedUndo(OBJectKernel *kernel, int stepIndex, int *out)
{
    int count = 0;
    UndoStepInfo cur = Undo_CurrentStep(kernel);
    int32_t i = hasStep(cur) ? cur.index : 0;
    while (hasStep(cur) && i != stepIndex) {
        if (!Undo_Undo(kernel))
            break;
        ++count;
        cur = Undo_CurrentStep(kernel);
        if (hasStep(cur))
            i = cur.index;
    }
    if (out)
        *out = 1;
    return count;
}

int GoToSavedRedo(OBJectKernel *kernel, int stepIndex, int *out)
{
    int count = 0;
    const UndoStepInfo cur = Undo_CurrentStep(kernel);
    int32_t i = hasStep(cur) ? cur.index : 0;
    UndoStepInfo next = Undo_NextRedoStep(kernel, i);
    while (hasStep(next)) {
        if (!Undo_Redo(kernel))
            break;
        ++count;
        const UndoStepInfo now = Undo_CurrentStep(kernel);
        i = hasStep(now) ? now.index : 0;
        if (i == stepIndex)
            break;
        next = Undo_NextRedoStep(kernel, i);
    }
    if (out)
        *out = 1;
    return count;
}

int CheckIfObjectExists(OBJectKernel *kernel, OBJHANDLE handle) { return headOf(kernel, handle) ? 1 : 0; }

void *ReplaceSelList(OBJectKernel *kernel, OBJHANDLE handle, void *block)
{
    BankDesc *bank = bankOf(kernel);
    if (!bank || handle == 0 || handle >= bank->capacity)
        return nullptr;
    void *old = bank->slots[handle];
    bank->slots[handle] = block;
    return old;
}

int CopySelList(HWND window, OBJectKernel *kernel, OBJHANDLE handle)
{
    _WNDRES *rec = GetWndRes(window);
    const OBJectHead *head = headOf(kernel, handle);
    if (!rec || !head)
        return 0;
    const size_t size = OBJectSizeBank(kernel, handle);
    void *copy = std::malloc(size ? size : 1);
    if (!copy)
        return 0;
    std::memcpy(copy, head, size);
    if (rec->selCopy && rec->selCopy != BankLock(kernel->bank, handle))
        std::free(rec->selCopy);
    rec->selCopy = copy;
    return 1;
}

// ---------------------------------------------------------------------------
// Steps

UndoStepInfo Undo_CurrentStep(OBJectKernel *kernel)
{
    const BankDesc *bank = bankOf(kernel);
    if (!bank || bank->undoPosition == 0 || kindAt(bank, bank->undoPosition - 1) != UNDO_STEP)
        return {0, -1};
    return {codeAt(bank, bank->undoPosition - 1), int32_t(bank->undoPosition - 1)};
}

UndoStepInfo Undo_PreviousStep(OBJectKernel *kernel, int32_t before)
{
    const BankDesc *bank = bankOf(kernel);
    if (!bank)
        return {0, -1};
    const int64_t top = std::min<int64_t>(int64_t(before) - 1, int64_t(bank->undoRecords.size()) - 1);
    for (int64_t i = top; i >= 1; --i) {
        const uint16_t kind = kindAt(bank, uint32_t(i));
        if (kind == 0)
            break;
        if (kind == UNDO_STEP)
            return {codeAt(bank, uint32_t(i)), int32_t(i)};
    }
    return {0, -1};
}

UndoStepInfo Undo_NextRedoStep(OBJectKernel *kernel, int32_t after)
{
    const BankDesc *bank = bankOf(kernel);
    if (!bank)
        return {0, -1};
    const int64_t end = std::min<int64_t>(bank->undoEnd, int64_t(bank->undoRecords.size()));
    for (int64_t i = std::max<int64_t>(int64_t(after) + 1, 0); i < end; ++i) {
        const uint16_t kind = kindAt(bank, uint32_t(i));
        if (kind == 0)
            break;
        if (kind == UNDO_STEP)
            return {codeAt(bank, uint32_t(i)), int32_t(i)};
    }
    return {0, -1};
}

bool Undo_HasUndoStep(OBJectKernel *kernel) { return hasStep(Undo_CurrentStep(kernel)); }

bool Undo_HasRedoStep(OBJectKernel *kernel)
{
    return hasStep(Undo_NextRedoStep(kernel, Undo_GetPositionCurStep(kernel)));
}

int32_t Undo_KernelUndoStepsCount(OBJectKernel *kernel)
{
    UndoStepInfo s = Undo_CurrentStep(kernel);
    if (s.index < 0)
        return 0;
    int32_t n = 1;
    for (s = Undo_PreviousStep(kernel, s.index); s.index >= 0; s = Undo_PreviousStep(kernel, s.index))
        ++n;
    return n;
}

int32_t Undo_KernelRedoStepsCount(OBJectKernel *kernel)
{
    int32_t n = 0;
    for (UndoStepInfo s = Undo_NextRedoStep(kernel, Undo_GetPositionCurStep(kernel)); s.index >= 0;
         s = Undo_NextRedoStep(kernel, s.index))
        ++n;
    return n;
}

uint16_t Undo_KernelStepWithIndex(OBJectKernel *kernel, int32_t index, int undo)
{
    if (!kernel || index < 0)
        return 0;
    UndoStepInfo s =
        undo ? Undo_CurrentStep(kernel) : Undo_NextRedoStep(kernel, Undo_GetPositionCurStep(kernel));
    for (int32_t k = 0; k < index && s.index >= 0; ++k)
        s = undo ? Undo_PreviousStep(kernel, s.index) : Undo_NextRedoStep(kernel, s.index);
    return s.index >= 0 ? s.code : 0;
}

void GiveOperationHumanName(std::string *text, uint16_t code)
{
    if (text)
        *text = OperationHumanName(code);
}

std::string OperationHumanName(uint16_t code)
{
    struct Caption {
        uint16_t code;
        const char *text;
    };
    static constexpr Caption kCaptions[] = {
        {0, ""},
        {2, "Create Polygon"},
        {3, "Create Polyline"},
        {4, "Create Text"},
        {5, "Create Nail"},
        {6, "Create Legend"},
        {7, "Create Presentation"},
        {8, "Create Layer"},
        {9, "Create Group"},
        {10, "Create Group"},
        {11, "Create Raster Object"},
        {100, "Delete"},
        {101, "Delete Presentation"},
        {102, "Delete Layer"},
        {201, "Grouping"},
        {202, "Ungrouping"},
        {203, "Union"},
        {204, "Intersection"},
        {205, "Xor"},
        {211, "Deleting node"},
        {212, "Joining polylines"},
        {213, "Polyline to polygon"},
        {214, "Complement"},
        {215, "Clip"},
        {216, "Buffering"},
        {217, "Converting To Polygons"},
        {220, "Node dragging"},
        {221, "New node"},
        {222, "Node dragging"},
        {223, "New node"},
        {224, "Text move"},
        {225, "Dragging page"},
        {226, "Dragging raster"},
        {250, "Moving Objects"},
        {251, "Nail Operations"},
        {252, "Transformations"},
        {253, "Reducing"},
        {260, "Change identification"},
        {261, "Change Layer"},
        {280, "Page Setup"},
        {301, "Paste Text"},
        {302, "Paste Bitmap"},
        {305, "Cut"},
        {330, "Polyline continuing"},
        {331, "Setting polyline length"},
        {400, "Import from OS MasterMap file"},
    };
    for (const Caption &c : kCaptions)
        if (c.code == code)
            return c.text;
    return "Unrecognized Operation";
}

void Undo_SendCaptions(HWND window, OBJectKernel *kernel)
{
    if (!window)
        return;
    const bool deferred = Undo_IsResetNextT(kernel) != 0;
    const UndoStepInfo undo = Undo_CurrentStep(kernel);
    const UndoStepInfo redo = Undo_NextRedoStep(kernel, Undo_GetPositionCurStep(kernel));
    SendMessageA(window, MAPN_UNDOREDOCAPTION, MAPN_UNDO, deferred ? 0 : LPARAM(undo.code));
    SendMessageA(window, MAPN_UNDOREDOCAPTION, MAPN_REDO, deferred ? 0 : LPARAM(redo.code));
}

void Undo_SendState(HWND window, WPARAM enable, LPARAM command)
{
    if (window)
        SendMessageA(window, MAPN_UNDOREDOSTATE, enable, command);
}

void Undo_ClipboardCheck(HWND window, OBJectKernel *kernel)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !kernel || GetClipboardOwner() != window)
        return;
    // The position is saved as a signed step index (-1: before any record).
    const int64_t saved = int32_t(rec->selCopyUndoPos);
    if (saved <= int64_t(Undo_GetPositionCurStep(kernel)))
        return;
    if (OpenClipboardRetry(window, UNDO_CLIPBOARD_ATTEMPTS, UNDO_CLIPBOARD_INTERVAL_MS)) {
        EmptyClipboard();
        CloseClipboard();
    } else {
        ReportInternalError("Undo: the clipboard stayed locked; its pending copy was not emptied");
    }
    Disable_AllPasteButtons(window);
}

OBJHANDLE Undo_ListSelectedGet(OBJectKernel *kernel, OBJHANDLE undoList)
{
    if (GetOBJectClassID(kernel, undoList) != CLASS_UNDO)
        return 0;
    const char *p = GraphHeadLock(kernel, undoList, UNDO_SELECTED + 4);
    if (!p)
        return 0;
    const int32_t selected = LoadField<int32_t>(p, UNDO_SELECTED);
    return selected == -1 ? 0 : OBJHANDLE(selected);
}

int Undo_RemapListSelected(OBJectKernel *kernel, OBJHANDLE undoList,
                           const std::function<OBJHANDLE(OBJHANDLE)> &newHandleOf)
{
    if (GetOBJectClassID(kernel, undoList) != CLASS_UNDO || !newHandleOf)
        return 0;
    char *p = GraphHeadLock(kernel, undoList, UNDO_SELECTED + 4);
    if (!p)
        return 0;
    const int32_t selected = LoadField<int32_t>(p, UNDO_SELECTED);
    if (selected == -1 || selected == 0)
        return 1;
    const OBJHANDLE now = newHandleOf(OBJHANDLE(selected));
    // A selected object that did not survive leaves no selection.
    StoreField<int32_t>(p, UNDO_SELECTED, now ? int32_t(now) : -1);
    return 1;
}

void Disable_AllPasteButtons(HWND window)
{
    if (window)
        SendMessageA(window, MAPN_PASTESTATE, MAPN_DISABLE, MAPN_PASTE_ALL);
}
