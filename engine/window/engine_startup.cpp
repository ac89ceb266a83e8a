#include "engine/window/engine_startup.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/upper_services.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/editing/tools/nail.h"
#include "engine/view/clipping/point_clipping.h"
#include "engine/view/raster/raster_object.h"
#include "engine/view/text/identifier_texts.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/page.h"
#include "engine/window/settings/settings_sheet.h"
#include "engine/window/wndres.h"

#include <mutex>

void EngineStartup()
{
    static std::once_flag once;
    std::call_once(once, [] {
        EnterGraphClassProc(CLASS_TEXT, TextProc);
        EnterGraphClassProc(CLASS_PAGE, PageProc);
        EnterGraphClassProc(CLASS_NAIL, NailClassProc);
        EnterGraphClassProc(CLASS_BITMAP, BitMapProc);
        KernelUpperServices services;
        services.pageOfWindow = PageGetFromWindow;
        services.pageUpdate = [](HWND window) { PageUpdateInWindow(window); };
        services.viewProjectionGet = PM_GetInitStruct;
        services.viewProjectionSet = PM_InitFromInitStruct;
        services.polygonArea = PolygonAreaInUnits;
        services.pointSetLength = SetOfLinesegmentLength;
        services.identifierTextCreate = IdentifierTextCreate;
        services.identifierTextGet = TextObjectTextGet;
        services.identifierTextSet = IdentifierTextSet;
        services.defaultSettings = RunDefaultSettingsSheet;
        SetKernelUpperServices(services);
        WndResInstallViewServices();
        InstallPointListClipper();
    });
}

namespace {

const bool started = (EngineStartup(), true);

} // namespace
