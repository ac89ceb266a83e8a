#include "engine/window/page_setup/window_page_setup.h"

#include "engine/window/page.h"
#include "engine/window/page_setup/page_set.h"
#include "engine/window/printing/printer_helpers.h"
#include "platform/global_memory.h"

void WindowPageSetupCreate(_WNDRES *rec)
{
    if (!rec)
        return;
    rec->pageSetup = GlobalAlloc(GHND, sizeof(VPSetup));
    if (rec->pageSetup)
        VP_Default(rec->pageSetup, rec->devMode, rec->devNames, rec->statics);
}

int WindowPageAttach(_WNDRES *rec)
{
    if (!rec || !rec->hWnd || !PageCreate(rec->kernel, rec->rootObject))
        return 0;
    const MAP_COORDPT origin{0, 0}, extension{100000, 200000};
    PageSetOrgExtInWindow(rec->hWnd, &origin, &extension);
    PageUpdateInWindow(rec->hWnd);
    // The registry's page values win over the start values.
    CPageSet pageSet(rec, 0, 0, 0);
    if (pageSet.Failed())
        return 1;
    pageSet.InitPageDataFromRegistry();
    pageSet.Apply();
    return 1;
}
