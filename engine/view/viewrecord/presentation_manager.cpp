#include "engine/view/viewrecord/presentation_manager.h"

#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/module.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

void InitBuffers(PresentationManager *view)
{
    BufferInit(&view->worldPoints, 0, 8, 20);
    BufferInit(&view->clippedPoints, 0, 8, 20);
    BufferInit(&view->pointCodes, 0, 1, 20);
}

// Copies text into a fixed field: at most field - 1 characters and a zero.
void CopyField(char *field, size_t size, const char *text)
{
    const size_t n = text ? std::min(std::strlen(text), size - 1) : 0;
    if (n)
        std::memcpy(field, text, n);
    field[n] = '\0';
}

// A version-4 unit number in this version's numbering.
int RenumberVer4Unit(int unit)
{
    if (unit < 0)
        return unit;
    if (unit <= 2)
        return unit + 6;
    if (unit <= 7)
        return unit - 2;
    return unit + 1;
}

// Disconnecting a conversation: no link manager of this engine ever opens
// one, so there is nothing to tell a server; the entry is simply closed.
int DdeLinkMgrTerminate(DdeLinkManagerState *links)
{
    const int count = std::clamp(links->count, 0, 20);
    for (int i = 0; i < count; ++i) {
        DdeLinkEntry &e = links->entries[i];
        e.conversation = 0;
        e.connected = 0;
        if (e.memory) {
            GlobalFree(e.memory);
            e.memory = 0;
        }
    }
    links->active = 0;
    return 1;
}

} // namespace

RECT UnionRectOf(const RECT &a, const RECT &b)
{
    const bool aEmpty = a.right <= a.left || a.bottom <= a.top;
    const bool bEmpty = b.right <= b.left || b.bottom <= b.top;
    if (aEmpty)
        return bEmpty ? RECT{0, 0, 0, 0} : b;
    if (bEmpty)
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

int PM_Constructor(PresentationManager *view)
{
    std::memset(view, 0, sizeof *view);
    ProjMan_InitProjection(&view->projection);
    ProjMan_SetDefaultUnits(&view->projection);
    WorldRectInit(&view->worldRect);
    WorldRectInit(&view->allObjectsRect);
    view->scale = 1.0;
    view->inverseScale = 1.0;
    view->screenWidthMm = 274;
    view->screenHeightMm = 206;
    view->resizeMode = 2;
    view->clipFlag = 1;
    view->hScrollRange = view->vScrollRange = 1024;
    view->hScrollPos = view->vScrollPos = 512;
    view->lineStep = 0.0625;
    view->pageStep = 0.9;
    view->vMargin = view->hMargin = 1;
    view->pickRadius = 3;
    InitBuffers(view);
    return 1;
}

int PM_Destructor(PresentationManager *view)
{
    DdeLinkMgrTerminate(&view->links);
    ProjMan_FreeProjection(&view->projection);
    BufferDelete(&view->worldPoints);
    BufferDelete(&view->clippedPoints);
    BufferDelete(&view->pointCodes);
    return 1;
}

int PM_Copy(PresentationManager *destination, const PresentationManager *source)
{
    std::memcpy(static_cast<void *>(destination), source, sizeof *destination);
    InitBuffers(destination);
    // The link conversations stay with the source: a copy must not free them.
    std::memset(&destination->links, 0, sizeof destination->links);
    ProjMan_InitProjection(&destination->projection);
    // A projection that cannot be loaded again leaves the copy without one:
    // that is a failure, not a copy.
    return ProjMan_CopyProjection(&destination->projection, &source->projection);
}

int PM_Setup(PresentationManager *view) { return view->projection.Setup(0, view->projection.hInstanceData); }

int PM_GetInitStruct(PresentationManager *view, PM_InitStructTag *init)
{
    const ProjectionTag &p = view->projection;
    if (!p.hLib && view->hasPendingProjection) {
        *init = view->pendingProjection;
        return 1;
    }
    init->baseKind = p.baseKind;
    init->baseUnit = p.baseUnit;
    init->baseDatum = p.baseDatum;
    init->transformedKind = p.transformedKind;
    init->transformedUnit = p.transformedUnit;
    init->transformedDatum = p.transformedDatum;
    init->areaUnit = p.areaUnit;
    init->lengthUnit = p.lengthUnit;
    init->modulePath[0] = '\0';
    init->parameterText[0] = '\0';
    std::memset(init->reserved, 0, sizeof init->reserved);
    if (!p.hLib)
        return 1;
    // The module's full path when it fits the field; otherwise (a long
    // modules folder) its bare file name, which is all a load reads of it.
    char path[260] = {};
    const DWORD length = GetModuleFileNameA(p.hLib, path, sizeof path);
    if (length > 0 && length < 259) {
        CopyField(init->modulePath, 259, path);
    } else if (const std::string name = ProjectionModuleFileName(&p); !name.empty()) {
        CopyField(init->modulePath, 259, name.c_str());
    } else {
        ProjMan_Warning("can't find module name");
    }
    tagProjInfo info{};
    if (view->projection.GetProjInfo(p.hInstanceData, &info)) {
        info.text[sizeof info.text - 1] = '\0';
        CopyField(init->parameterText, 511, info.text);
    }
    return 1;
}

int PM_InitFromInitStruct(PresentationManager *view, const PM_InitStructTag *init)
{
    // Copied first: the caller may pass the view's own kept structure.
    const PM_InitStructTag saved = *init;
    ProjectionTag &p = view->projection;
    ProjMan_FreeProjection(&p);
    view->hasPendingProjection = 0;
    p.baseKind = saved.baseKind;
    p.baseUnit = saved.baseUnit;
    p.baseDatum = saved.baseDatum;
    p.transformedKind = saved.transformedKind;
    p.transformedUnit = saved.transformedUnit;
    p.transformedDatum = saved.transformedDatum;
    p.areaUnit = saved.areaUnit;
    p.lengthUnit = saved.lengthUnit;
    char path[260];
    CopyField(path, sizeof path, std::string(saved.modulePath, strnlen(saved.modulePath, 259)).c_str());
    if (!path[0])
        return 1;
    if (!ProjMan_LoadProjection(path, &p)) {
        view->pendingProjection = saved;
        view->hasPendingProjection = 1;
        const char *slash = std::max(std::strrchr(path, '/'), std::strrchr(path, '\\'));
        char text[400];
        std::snprintf(text, sizeof text,
                      "The projection module \"%s\" is not installed.\nThe map is shown without its "
                      "projection; its projection settings are kept and saved unchanged.",
                      slash ? slash + 1 : path);
        ProjMan_Warning(text);
        return 0;
    }
    ProjMan_UpdateScales(&p, ProjMan_SetBackwardAndForwardFunctions(&p));
    const std::string text(saved.parameterText, strnlen(saved.parameterText, 511));
    if (!text.empty())
        p.StringBasedSetup(p.hInstanceData, text.c_str());
    return 1;
}

int PM_InitFromVer4Values(PresentationManager *view, int baseKind, int baseUnit, int transformedKind,
                          int transformedUnit, int areaUnit, int lengthUnit, const char *modulePath,
                          const char *parameterText)
{
    PM_InitStructTag init{};
    init.baseKind = baseKind;
    init.baseUnit = RenumberVer4Unit(baseUnit);
    init.baseDatum = 0;
    init.transformedKind = transformedKind;
    init.transformedUnit = RenumberVer4Unit(transformedUnit);
    init.transformedDatum = 0;
    init.areaUnit = RenumberVer4Unit(areaUnit);
    init.lengthUnit = RenumberVer4Unit(lengthUnit);
    CopyField(init.modulePath, sizeof init.modulePath, modulePath);
    CopyField(init.parameterText, sizeof init.parameterText, parameterText);
    PM_InitFromInitStruct(view, &init);
    return 1;
}

void PM_ForgetPendingProjection(PresentationManager *view) { view->hasPendingProjection = 0; }

POINT PM_GetBrushOrg(const PresentationManager *view) { return view->brushOrigin; }

long PM_GetRadius(const PresentationManager *view) { return view->pickRadius; }

void PM_InitErasedRect(PresentationManager *view)
{
    view->erasedRect = RECT{0, 0, 0, 0};
    view->erasedFlag = 0;
}

void PM_UnionErasedRect(PresentationManager *view, const RECT *rect)
{
    view->erasedRect = UnionRectOf(view->erasedRect, *rect);
    view->erasedFlag |= 1;
}

void PM_InvalidateRect(PresentationManager *view, HWND window, const RECT *rect, int erase)
{
    view->erasedFlag |= erase;
    PM_UnionErasedRect(view, rect);
    InvalidateRect(window, rect, erase);
}
