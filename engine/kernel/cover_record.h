// Cover records: a file name with a drive letter in a small block of
// moveable global memory.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <cstdint>

// 520 bytes, zero-filled: the file name, the word 13 and the letter.
struct CoverRecord {
    char fileName[128];
    uint32_t kind; // always 13
    int32_t letter;
    uint8_t reserved[384];
};
static_assert(sizeof(CoverRecord) == 520);
static_assert(offsetof(CoverRecord, kind) == 128 && offsetof(CoverRecord, letter) == 132);

inline constexpr uint32_t COVER_RECORD_KIND = 13;

// Replaces the third character after the first "." (within the first 130
// characters) of the caller's file name with "D", stores the name in a new
// cover record and puts the record's handle (unlocked) in *out. Returns 1
// when a file of that name exists, else 0; 0 also when out is null or no
// memory can be had (*out is then 0).
int CoverCreateStruct(HGLOBAL *out, char *fileName, char letter);
// The same, except that with an extension given everything after the first
// "." is replaced by it. The caller's buffer is never made longer than the
// name it held: a longer extension is cut to fit.
int CoverCreateStruct2(HGLOBAL *out, char *fileName, char letter, const char *extension);
