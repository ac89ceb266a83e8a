// Basic types of the object kernel: the object handle, the object head and
// its flags, reference slots and ids, the kernel record, class descriptors,
// the class and compare procedure contracts and the object messages.
#pragma once

#include "platform/types.h"

#include <bit>
#include <cstddef>
#include <cstdint>

// Stored blocks are written to the map file byte for byte.
static_assert(std::endian::native == std::endian::little, "the map file is little-endian");

// An object handle is the slot number of the object's block in its kernel's
// bank. 0 never names an object. Handles are stored inside object data, so
// they are one 32-bit type everywhere.
using OBJHANDLE = uint32_t;

// Failure value of the store's count-, slot- and size-returning operations.
inline constexpr uint32_t OBJ_INVALID = 0x7FFFFFFF;

struct BankDesc;
struct OBJectKernel;

// ---------------------------------------------------------------------------
// Object head: the first 28 bytes of every object block.
struct OBJectHead {
    uint32_t classIndex;   // position of the class in the class table
    uint32_t size;         // block size in bytes
    uint16_t flags;        // OBJectFlag bits
    uint16_t reserved1;    // zero
    uint32_t refsHeld;     // used reference slots
    uint32_t refsIncoming; // references of any object that point here
    uint16_t refOffset;    // start of the reference slots, from the head
    uint16_t reserved2;    // zero
    uint32_t dataOffset;   // start of the data space, from the head
};
static_assert(sizeof(OBJectHead) == 28);
static_assert(offsetof(OBJectHead, classIndex) == 0);
static_assert(offsetof(OBJectHead, size) == 4);
static_assert(offsetof(OBJectHead, flags) == 8);
static_assert(offsetof(OBJectHead, refsHeld) == 12);
static_assert(offsetof(OBJectHead, refsIncoming) == 16);
static_assert(offsetof(OBJectHead, refOffset) == 20);
static_assert(offsetof(OBJectHead, dataOffset) == 24);

inline constexpr uint32_t OBJ_HEAD_SIZE = sizeof(OBJectHead);

// OBJectFlag bits of OBJectHead::flags.
using OBJectFlag = uint16_t;
// Ordering modes of the held references (bits 0-2).
inline constexpr OBJectFlag OBJ_INSERTFIRST = 0;
inline constexpr OBJectFlag OBJ_APPEND = 1;
inline constexpr OBJectFlag OBJ_SORTEDHANDLE = 2;
inline constexpr OBJectFlag OBJ_SORTEDKEY = 4;
inline constexpr OBJectFlag OBJF_MODEMASK = 0x0007;
inline constexpr OBJectFlag OBJF_CLASSBIT = 0x0100;    // copied from the class mode
inline constexpr OBJectFlag OBJF_CURRENTHEAD = 0x0800; // current head form
inline constexpr OBJectFlag OBJF_USERMARK = 0x1000;    // user / visited mark
inline constexpr OBJectFlag OBJF_UNDODELETED = 0x2000; // hidden by undo
inline constexpr OBJectFlag OBJF_UNDOCOPY = 0x4000;    // saved copy of the undo history
inline constexpr OBJectFlag OBJF_DELETED = 0x8000;     // deleted while still referenced

// ---------------------------------------------------------------------------
// Reference slot, 8 bytes, in the holder's block from its reference offset.
struct OBJectRef {
    OBJHANDLE target;
    uint16_t id;
    uint16_t reserved; // zero
};
static_assert(sizeof(OBJectRef) == 8);
static_assert(offsetof(OBJectRef, target) == 0);
static_assert(offsetof(OBJectRef, id) == 4);

// Reference ids: bits 0-12 name the link, bit 0 its direction (odd forward,
// even back), bit 0x8000 marks a pair whose partner is id ^ 1.
inline constexpr uint16_t REF_PAIRED = 0x8000;
inline constexpr uint16_t REF_IDMASK = 0x1FFF;

inline constexpr uint16_t REF_ROOT = 0x8203;
inline constexpr uint16_t REF_ROOT_BACK = 0x8202;
inline constexpr uint16_t REF_LAYER_MEMBER = 0x8803;
inline constexpr uint16_t REF_LAYER_BACK = 0x8802;
inline constexpr uint16_t REF_GROUP_MEMBER = 0x8807;
inline constexpr uint16_t REF_GROUP_PARENT = 0x8806;
inline constexpr uint16_t REF_SELECTED = 0x8809;
inline constexpr uint16_t REF_SELECTED_BACK = 0x8808;
inline constexpr uint16_t REF_IDLIST_MEMBER = 0x8405;
inline constexpr uint16_t REF_IDLIST_BACK = 0x8404;
inline constexpr uint16_t REF_ID = 0x800F;
inline constexpr uint16_t REF_ID_USER = 0x800E;
inline constexpr uint16_t REF_ID_TEXT1 = 0x840B;
inline constexpr uint16_t REF_ID_TEXT1_BACK = 0x840A;
inline constexpr uint16_t REF_ID_TEXT2 = 0x840D;
inline constexpr uint16_t REF_ID_TEXT2_BACK = 0x840C;
inline constexpr uint16_t REF_EXTRA = 0x8021;
inline constexpr uint16_t REF_EXTRA_BACK = 0x8020;
inline constexpr uint16_t REF_ZOBJ = 0x8019;
inline constexpr uint16_t REF_ZOBJ_BACK = 0x8018;
inline constexpr uint16_t REF_LAYER_LINK = 0x802D;
inline constexpr uint16_t REF_LAYER_LINK_BACK = 0x802C;
inline constexpr uint16_t REF_PRES_DESCR = 0x8025;
inline constexpr uint16_t REF_PRES_DESCR_BACK = 0x8024;
inline constexpr uint16_t REF_PRES_COLUMN = 0x802B;
inline constexpr uint16_t REF_PRES_COLUMN_BACK = 0x802A;
inline constexpr uint16_t REF_PRES_RESULT = 0x8029;
inline constexpr uint16_t REF_PRES_RESULT_BACK = 0x8028;
inline constexpr uint16_t REF_PRES_OBJECT = 0x8023;
inline constexpr uint16_t REF_PRES_OBJECT_BACK = 0x8022;
inline constexpr uint16_t REF_PRES_LEGEND = 0x8011;
inline constexpr uint16_t REF_PRES_LEGEND_BACK = 0x8010;

// Reference filters (see RefMatchesFilter in references.h).
inline constexpr uint16_t REF_FILTER_ALL = 0x0000;
inline constexpr uint16_t REF_FILTER_BITS = 0x4000;         // id has every bit of filter & 0x1FFF
inline constexpr uint16_t REF_FILTER_DIRECTION = 0x8000;    // with REF_FILTER_BITS: bit 0 must agree
inline constexpr uint16_t REF_FILTER_FORWARD = 0xC001;      // every forward id
inline constexpr uint16_t REF_FILTER_BACK = 0xC000;         // every back id
inline constexpr uint16_t REF_FILTER_LINK_FORWARD = 0xC801; // layer, group and selection links
inline constexpr uint16_t REF_FILTER_LINK_BACK = 0xC800;
inline constexpr uint16_t REF_FILTER_ID_FORWARD = 0xC401; // identifier links
inline constexpr uint16_t REF_FILTER_ID_BACK = 0xC400;

// ---------------------------------------------------------------------------
// Object messages sent by the store.
inline constexpr uint16_t OBJM_CREATE = 0x8001;
inline constexpr uint16_t OBJM_DELETING = 0x8002;
inline constexpr uint16_t OBJM_DELETED = 0x8003;
inline constexpr uint16_t OBJM_REFINSERTED = 0x8004;
inline constexpr uint16_t OBJM_REFERENCED = 0x8005;
inline constexpr uint16_t OBJM_REFREMOVED = 0x8006;
inline constexpr uint16_t OBJM_UNREFERENCED = 0x8007;
inline constexpr uint16_t OBJM_SORTING = 0x8008;
inline constexpr uint16_t OBJM_SORTED = 0x8009;
inline constexpr uint16_t OBJM_RESIZED = 0x800D;
inline constexpr uint16_t OBJM_INFOLINE = 0x800E;
inline constexpr uint16_t OBJM_PACKEDCOPY = 0x800F;
inline constexpr uint16_t OBJM_RESTORED = 0x8010;
inline constexpr uint16_t OBJM_REPAIRED = 0x8011;
inline constexpr uint16_t OBJM_COPIED = 0x8012;

// Class procedure: the behaviour of every object of a class. wParam, lParam
// and the result may carry pointers (OBJM_INFOLINE passes a text buffer), so
// they are pointer-sized.
using OBJectClassProc = LRESULT (*)(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver,
                                    uint16_t subCode, uint16_t message, WPARAM wParam, LPARAM lParam);

// Compare procedure of sorted holders: < 0 A before B, 0 same key, > 0 A
// after B, OBJ_COMPARE_EQUALKEYS equal keys that may coexist.
using OBJectCompareProc = int (*)(OBJectKernel *kernel, uint16_t idA, OBJHANDLE a, uint16_t idB, OBJHANDLE b);
inline constexpr int OBJ_COMPARE_EQUALKEYS = 5;

inline constexpr int OBJ_MAX_CLASSES = 32;
inline constexpr int OBJ_CLASS_NAME_SIZE = 14;

// One registered class. The table lives in memory only (it holds procedure
// addresses), so its layout is not a stored one.
struct OBJectClassDescr {
    uint16_t classId;
    uint32_t blockSize; // size of a new object's block
    uint32_t slots;     // initial reference slots
    uint32_t reserve;   // initial data space
    uint16_t fixedEnd;  // 28 + fixed data size
    OBJectCompareProc compare;
    OBJectClassProc proc;
    uint16_t mode; // initial OBJectFlag bits
    char name[OBJ_CLASS_NAME_SIZE];
    uint32_t objects; // in all kernels
    uint32_t deleted;
    uint32_t undoCopies;
};

// Per-kernel counters of one class; stored in the map file.
struct OBJectClassDescrKernel {
    uint32_t reserved; // always 0
    uint32_t objects;
    uint32_t deleted;
    uint32_t undoCopies;
};
static_assert(sizeof(OBJectClassDescrKernel) == 16);

// One map document's object store.
struct RasterImageTable; // engine/kernel/raster_images.h

struct OBJectKernel {
    BankDesc *bank;
    // The images of the document's raster objects; made on the first load.
    RasterImageTable *rasterImages;
    uint32_t objects;
    uint32_t deleted;
    uint32_t undoCopies;
    OBJectClassDescrKernel classes[OBJ_MAX_CLASSES];
};
static_assert(sizeof(OBJectKernel::classes) == 512);

// Fields inside object blocks sit at any byte offset (fixed data starts at
// head + 28), so they are read and written through memcpy.
template <class T>
inline T LoadField(const void *base, size_t offset)
{
    T v;
    __builtin_memcpy(&v, static_cast<const char *>(base) + offset, sizeof(T));
    return v;
}

template <class T>
inline void StoreField(void *base, size_t offset, const T &v)
{
    __builtin_memcpy(static_cast<char *>(base) + offset, &v, sizeof(T));
}
