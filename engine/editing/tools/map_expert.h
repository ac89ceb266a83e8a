// The map expert: tests that check and repair a document's object store
// (point lists, identifiers, texts, groups, the kernel, bounding
// rectangles, the doughnut flag, references, layer flags) and the sorting
// of every layer's drawing order. The repairs are made directly in the
// store, outside the undo history; the dialog discards the history when it
// closes. Reports are texts of any length.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>
#include <string>

// Problem flags the tests OR into a caller's word.
inline constexpr uint32_t EXPERT_FEW_POLYGON_POINTS = 0x20;
inline constexpr uint32_t EXPERT_FEW_POLYLINE_POINTS = 0x40;
inline constexpr uint32_t EXPERT_FEW_POLYGON_POINTS_AFTER = 0x80;
inline constexpr uint32_t EXPERT_FEW_POLYLINE_POINTS_AFTER = 0x100;
inline constexpr uint32_t EXPERT_POLYGON_ZERO_SEGMENTS = 0x200;
inline constexpr uint32_t EXPERT_POLYLINE_ZERO_SEGMENTS = 0x400;
inline constexpr uint32_t EXPERT_EMPTY_GROUPS = 0x1000;
inline constexpr uint32_t EXPERT_ZERO_LENGTH_TEXTS = 0x2000;

// Text modes of the texts test.
inline constexpr int EXPERT_TEXTS_RECALCULATE = 1;
inline constexpr int EXPERT_TEXTS_REMOVE_SHORT = 2;
inline constexpr int EXPERT_TEXTS_REMOVE_ALL = 3;

// Sort keys (the ids of the "Sort by" buttons) and the sort record.
inline constexpr int EXPERT_SORT_X = 1257;
inline constexpr int EXPERT_SORT_Y = 1252;
inline constexpr int EXPERT_SORT_AREA = 1255;
inline constexpr int EXPERT_SORT_POINTS = 1259;
struct SortData {
    HWND window;
    int ascending;
    int key;
};

// Each test takes the map window and writes its report into *report when
// one is given (replacing what it held). 1 when run, 0 without a store.
int PolygonsPolylinesExpert(HWND window, std::string *report, uint32_t *problems);
int IdentifiersExpert(HWND window, std::string *report);
int TextsExpert(HWND window, int mode, std::string *report, uint32_t *problems);
int GroupsExpert(HWND window, std::string *report, uint32_t *problems);
int KernelExpert(HWND window, std::string *report);
int BoundExpert(HWND window);
int DoghnutsExpert(HWND window, std::string *report);
int ReferencesExpert(HWND window, std::string *report);
int LayersExpert(HWND window, std::string *report);
int SortExpertInt(HWND window, const SortData *sort);
// The main tests in their order, their reports separated by blank lines.
int AllTestsExpert(HWND window, std::string *report);

// 1 for a live object of a class the store knows; 0 otherwise.
int IsOBJValid(OBJectKernel *kernel, OBJHANDLE handle);
// 1 for a reference id the store uses.
int IsRefValid(uint16_t id);
// Recounts the incoming references of everything reachable from the object
// and removes references to invalid objects or with invalid ids below it;
// the number of slots removed.
int ReferenceCorr(OBJectKernel *kernel, OBJHANDLE object, int *counter);
