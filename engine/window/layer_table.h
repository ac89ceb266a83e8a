// Layer table files: a text file whose "[Layers]" section lists layers, one
// per line, as eleven fields separated by ';':
//   number; short name; long name; colour; value; value; kind; colour; code;
//   value; text
// Colours are six hexadecimal digits RRGGBB, or -1 for none. The table is
// read into fixed records that clients look up by number or short name,
// marking entries as used.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <cstdint>

struct KMSIniEntry {
    int32_t number; // never 0
    char shortName[25];
    char longName[48];
    int32_t colour; // COLORREF, or -1
    int32_t value1;
    int32_t value2;
    int32_t kind;    // 0 for "P" or "p", else 1
    int32_t colour2; // COLORREF, or -1
    char code[2];
    int32_t value3;
    char text[17];
    uint8_t used; // 1 once a marking look-up found the entry
};
static_assert(sizeof(KMSIniEntry) == 128);
static_assert(offsetof(KMSIniEntry, shortName) == 4 && offsetof(KMSIniEntry, longName) == 29 &&
              offsetof(KMSIniEntry, colour) == 80 && offsetof(KMSIniEntry, value1) == 84 &&
              offsetof(KMSIniEntry, value2) == 88 && offsetof(KMSIniEntry, kind) == 92 &&
              offsetof(KMSIniEntry, colour2) == 96 && offsetof(KMSIniEntry, code) == 100 &&
              offsetof(KMSIniEntry, value3) == 104 && offsetof(KMSIniEntry, text) == 108 &&
              offsetof(KMSIniEntry, used) == 125);

// Reads the file's entries, in file order, into a movable block of records
// (the caller frees it) and stores their number in *count. 0 (count not
// written) when the file cannot be found, has no "[Layers]" line or memory
// runs out. A name with a folder is opened as given; a bare name, or the
// last element of one that is not found, is looked for in the program's
// folder, the engine's folder and the folders of PATH, never in the
// current folder.
HGLOBAL ReadKMSIni(const char *fileName, unsigned *count);

// The first entry with that number, copied to *out (with its used byte as it
// was); mark sets the byte in the table. 0 when none or without table.
int FindKMSEntry(unsigned number, KMSIniEntry *table, KMSIniEntry *out, unsigned count, int mark);
// The same by short name (exact, case-sensitive); 0 also for an empty name.
int FindKMSEntryShort(const char *shortName, KMSIniEntry *table, KMSIniEntry *out, unsigned count, int mark);
// The first entry with that short name in the table itself; null when none.
KMSIniEntry *FindKMSEntryShort2(const char *shortName, KMSIniEntry *table, unsigned count, int mark);
