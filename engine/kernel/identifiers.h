// Identifiers: a code and a name given to graphical objects. Each identifier
// is an Id object held by the document's IdsList root in the order of its
// text (so it is found by a binary search); an object carries at most one,
// one identifier may be carried by several objects. An identifier may show
// its code and its name on the map as two text objects, and holds default
// drawing attributes and a small array of numbers for its objects.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// The fixed data of an Id, stored byte for byte in the map file. Its data
// space holds the identifier text (code, a tab, name, a zero byte) and then
// valueCount doubles.
struct IdRecord {
    uint16_t unused0;
    uint8_t mask;      // GD_* bits the identifier supplies
    uint8_t lineStyle; //
    uint32_t lineWidth;
    uint32_t colour; // fill colour, or the line colour when colourFlag is 1
    uint16_t hatch;
    uint16_t valueCount;
    uint16_t textLength; // text bytes with the zero; the values start here
    uint16_t unused18;
    uint32_t colourFlag;
};
static_assert(sizeof(IdRecord) == 24);
static_assert(offsetof(IdRecord, mask) == 2 && offsetof(IdRecord, lineStyle) == 3 &&
              offsetof(IdRecord, lineWidth) == 4 && offsetof(IdRecord, colour) == 8 &&
              offsetof(IdRecord, hatch) == 12 && offsetof(IdRecord, valueCount) == 14 &&
              offsetof(IdRecord, textLength) == 16 && offsetof(IdRecord, unused18) == 18 &&
              offsetof(IdRecord, colourFlag) == 20);

inline constexpr uint32_t ID_FIXED_SIZE = sizeof(IdRecord);
// The longest code and name an identifier keeps.
inline constexpr size_t ID_CODE_MAX = 12;
inline constexpr size_t ID_NAME_MAX = 32;
// The separator between code and name; any byte below ID_TEXT_END ends a part.
inline constexpr char ID_TEXT_SEPARATOR = '\t';
inline constexpr unsigned char ID_TEXT_END = 10;
// SetID's *error for a code and name that another identifier has (the
// string-table id of "Identifier exists").
inline constexpr int ID_ERROR_EXISTS = 760;

// The IdsList root's words: the identifier dialog's text options (bit 0 show
// the code text, bit 1 the name text) and the repair word.
inline constexpr size_t IDSLIST_TEXT_OPTIONS = 0;
inline constexpr size_t IDSLIST_REPAIR_WORD = 2;

// ---------------------------------------------------------------------------
// Small byte-string helpers of the identifier texts.

// -1, 0 or 1: byte by byte as signed 8-bit values (whatever the signedness
// of char); a text that is a prefix of the other is the smaller. A null
// text reads as empty.
int IdTextCompare(const char *a, const char *b);
// The first occurrence of c in the text, compared as signed 8-bit values;
// null when there is none (or for a null text).
char *_hstrchr(const char *text, int c);

// ---------------------------------------------------------------------------
// Look-ups

// The object's identifier (its first REF_ID target), 0 when none.
OBJHANDLE GetID(OBJectKernel *kernel, OBJHANDLE object);
OBJHANDLE GetIDWnd(HWND window, OBJHANDLE object);
// Every output may be null; nothing is written for a null or bad
// identifier. code receives at most 12 bytes and a zero, name at most 32;
// user the first carrier, list the IdsList, slot the identifier's slot in
// it (only when there is a list), codeText and nameText its text objects.
void GetIDOBJs(OBJectKernel *kernel, OBJHANDLE id, char code[ID_CODE_MAX + 1], char name[ID_NAME_MAX + 1],
               OBJHANDLE *user, OBJHANDLE *list, int32_t *slot, OBJHANDLE *codeText, OBJHANDLE *nameText);
// 1 when the object is the code or name text of an identifier.
int IsFromIDText(OBJectKernel *kernel, OBJHANDLE object);
// The compare procedure of the IdsList: Ids by text, an Id before any other
// object, other objects by handle; -2 or 2 when A's or B's record cannot be
// reached.
int CompareIDs(OBJectKernel *kernel, uint16_t idA, OBJHANDLE a, uint16_t idB, OBJHANDLE b);
// The slot of a matching identifier in the list, negative when none. With a
// code and a name: exactly that identifier. With a code only: the one with
// the code and an empty name, else one next to where it would stand whose
// code matches. With a name only: the first whose name matches.
int32_t FindIDSlot(OBJectKernel *kernel, OBJHANDLE list, const char *code, const char *name);
// The first object carrying the identifier FindIDSlot finds in the window's
// IdsList; 0 when none.
OBJHANDLE FindOBJectByIDText(HWND window, const char *code, const char *name);

// Value n of the identifier (of the object's identifier when given an
// object); DBL_MAX when there is none or n is not below the value count.
double IdValueGet(OBJectKernel *kernel, OBJHANDLE objectOrId, uint16_t n);
// Stores value n when n is below the value count and returns the old value;
// DBL_MAX otherwise.
double IdValueSet(OBJectKernel *kernel, OBJHANDLE objectOrId, uint16_t n, double value);

// ---------------------------------------------------------------------------
// Setting

// Creates, changes or removes the object's identifier and keeps its code and
// name texts in step. A null code or name keeps the current one; an empty
// code and name remove the identifier with its texts. show > 0 shows a
// text, < 0 deletes it, 0 leaves it as it is (refreshing its string). The
// roots may be 0 when a window is given. With undo set, every change is
// recorded in the kernel's history. Returns the identifier afterwards; 0
// when it was removed or nothing was done (*error = ID_ERROR_EXISTS when
// another identifier has the code and name).
OBJHANDLE SetID(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE layers, OBJHANDLE groups, HWND window,
                OBJHANDLE object, const char *code, const char *name, int showCode, int showName, int *error,
                int undo);

// ---------------------------------------------------------------------------
// Class procedures
LRESULT IdProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode, uint16_t message,
               WPARAM wParam, LPARAM lParam);
LRESULT IdListProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                   uint16_t message, WPARAM wParam, LPARAM lParam);

// After the history put back an older content of an object (undo or redo
// of a change), the holders that keep it in sorted-key order sort their
// references again, so that an identifier whose text went back stands where
// its text says.
void ResortSortedHoldersOf(OBJectKernel *kernel, OBJHANDLE object);
