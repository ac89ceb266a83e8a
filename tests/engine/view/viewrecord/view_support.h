// Views for the tests: plain, or projected through the Transverse Mercator
// module (geographic map in thousandths of a second, world in millimetres).
#pragma once

#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "tests/engine/view/projection/module_sandbox.h"

#include <gtest/gtest.h>

struct ScopedView {
    PresentationManager view;
    ScopedView() { PM_Constructor(&view); }
    ~ScopedView() { PM_Destructor(&view); }
    PresentationManager *operator->() { return &view; }
    PresentationManager *get() { return &view; }
};

// Geographic map coordinates (1/1000 second, spheric) shown on a grid in
// millimetres by the tm module with the given parameter text.
inline bool MakeProjected(PresentationManager *view, const char *text)
{
    PM_InitStructTag init{};
    init.baseKind = CS_SPHERIC;
    init.baseUnit = 8;
    init.baseDatum = 87;
    init.transformedKind = CS_CARTESIAN;
    init.transformedUnit = 2;
    init.transformedDatum = 87;
    init.areaUnit = 19;
    init.lengthUnit = 4;
    std::strcpy(init.modulePath, "tm.so");
    std::strcpy(init.parameterText, text);
    return PM_InitFromInitStruct(view, &init) == 1;
}

// Sizes a view to a client rectangle and shows the world rectangle in it.
inline void ShowWorld(PresentationManager *view, const MAP_COORDRECT &world, LONG width, LONG height)
{
    view->worldRect = world;
    const RECT client{0, 0, width, height};
    PM_OnWndSize(view, 0, 0, &client);
}
