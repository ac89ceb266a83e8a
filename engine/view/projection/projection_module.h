// The interface of a projection module: a library that exports ten entry
// points by name. Modules include this header too, so the signatures and
// the info block are one definition for both sides.
#pragma once

#include "engine/kernel/coords.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

// Coordinate-system kinds: masks of the unit kinds a system allows.
inline constexpr int32_t CS_CARTESIAN = 3;
inline constexpr int32_t CS_SPHERIC = 4;

// What a module's GetProjInfo fills.
struct tagProjInfo {
    int32_t unit; // unit id of the module's base coordinates
    int32_t reserved1;
    int32_t baseKind;        // kind of the module's input side
    int32_t transformedKind; // kind of its output side
    int32_t reserved2;
    int32_t hasSetup; // non-zero: Setup shows a dialog
    char text[512];   // parameter text for StringBasedSetup
};
static_assert(sizeof(tagProjInfo) == 536 && offsetof(tagProjInfo, text) == 24);

// "NO_INVERSION" in the text marks a conversion that cannot be inverted.
inline constexpr const char *kProjInfoNoInversion = "NO_INVERSION";

extern "C" {
// Source and destination may be the same array; the result is the number of
// points written.
using ProjConvertProc = int32_t (*)(HGLOBAL state, const MAP_COORDPT *source, MAP_COORDPT *destination,
                                    int32_t count);
using ProjSetupProc = int32_t (*)(HWND parent, HGLOBAL state);
using ProjConstructorProc = HGLOBAL (*)();
using ProjDestructorProc = int32_t (*)(HGLOBAL state);
using ProjIdentifyProc = int32_t (*)(char *buffer, int32_t length);
using ProjSetScaleProc = int32_t (*)(HGLOBAL state, double factor, int32_t datum);
using ProjGetProjInfoProc = int32_t (*)(HGLOBAL state, tagProjInfo *info);
using ProjStringBasedSetupProc = int32_t (*)(HGLOBAL state, const char *text);
}

// The exported names, in the order of the projection record's slots.
inline constexpr const char *kProjectionEntryNames[10] = {
    "Forward",         "Backward",         "Setup",       "Constructor",     "Destructor", "Identify",
    "SetForwardScale", "SetBackwardScale", "GetProjInfo", "StringBasedSetup"};
