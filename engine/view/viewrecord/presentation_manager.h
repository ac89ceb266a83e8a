// The view record of one map window: its projection, the visible part of
// the world, the surface rectangle, the scale, the scroll state, scratch
// point buffers and the rectangle invalidated since the last paint.
#pragma once

#include "engine/kernel/buffer.h"
#include "engine/kernel/coords.h"
#include "engine/kernel/view_projection_record.h"
#include "engine/view/projection/projection_manager.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>

// One conversation of the dynamic-data-exchange link manager.
struct DdeLinkEntry {
    uint32_t instance;
    uint32_t conversation;
    int32_t connected;
    HGLOBAL memory;
};

struct DdeLinkManagerState {
    int32_t count;
    uint32_t active; // the word after the count, cleared at tear-down
    DdeLinkEntry entries[20];
};

struct PresentationManager {
    ProjectionTag projection;
    MAP_COORDRECT worldRect; // visible world rectangle
    RECT displayRect;
    MAP_COORDRECT clipRect;
    int32_t clipMargin;
    MAP_COORDRECT allObjectsRect;
    double scale;        // pixels per world unit
    double inverseScale; // world units per pixel
    double scaleRatio;
    double scaleDenominator;
    int32_t screenWidthMm;
    int32_t screenHeightMm;
    int32_t resizeMode; // 0 keep the scale, 1 fit, 2 fit once then 0
    int32_t clipFlag;
    int32_t hScrollRange;
    int32_t vScrollRange;
    int32_t hScrollPos;
    int32_t vScrollPos;
    double lineStep;
    double pageStep;
    POINT brushOrigin;
    int32_t vMargin;
    int32_t hMargin;
    int32_t pickRadius;
    Buffer worldPoints;   // 8-byte items
    Buffer clippedPoints; // 8-byte items
    Buffer pointCodes;    // 1-byte items
    DdeLinkManagerState links;
    int32_t erasedFlag;
    RECT erasedRect;
    // A saved projection whose module could not be loaded: kept so that the
    // next save writes it back unchanged instead of dropping it.
    int32_t hasPendingProjection;
    PM_InitStructTag pendingProjection;
};

int PM_Constructor(PresentationManager *view);
int PM_Destructor(PresentationManager *view);
// The destination must hold no buffers or module of its own. 0 when the
// source's projection module could not be loaded again for the copy.
int PM_Copy(PresentationManager *destination, const PresentationManager *source);
int PM_Setup(PresentationManager *view);
int PM_GetInitStruct(PresentationManager *view, PM_InitStructTag *init);
// 0 when the saved module cannot be loaded: the user is told which one, and
// the structure is kept for the next PM_GetInitStruct.
int PM_InitFromInitStruct(PresentationManager *view, const PM_InitStructTag *init);
// Builds the structure from version-4 values and applies it to the view.
int PM_InitFromVer4Values(PresentationManager *view, int baseKind, int baseUnit, int transformedKind,
                          int transformedUnit, int areaUnit, int lengthUnit, const char *modulePath,
                          const char *parameterText);
// Forgets a kept saved projection (the user chose another projection).
void PM_ForgetPendingProjection(PresentationManager *view);
POINT PM_GetBrushOrg(const PresentationManager *view);
long PM_GetRadius(const PresentationManager *view);
void PM_InitErasedRect(PresentationManager *view);
void PM_UnionErasedRect(PresentationManager *view, const RECT *rect);
void PM_InvalidateRect(PresentationManager *view, HWND window, const RECT *rect, int erase);

// The window-system union: an empty operand leaves the other.
RECT UnionRectOf(const RECT &a, const RECT &b);
