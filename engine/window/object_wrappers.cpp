#include "engine/window/object_wrappers.h"

#include "engine/kernel/bank.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/groups.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/layers_support.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/window_record.h"

namespace {

struct Document {
    OBJectKernel *kernel = nullptr;
    OBJHANDLE all = 0;
};

Document documentOf(HWND window)
{
    const _WNDRES *rec = GetWndRes(window);
    if (!rec || !rec->kernel)
        return {};
    return {rec->kernel, rec->rootObject};
}

OBJHANDLE rootOf(const Document &doc, uint16_t classId)
{
    return doc.kernel ? GetRootOBJKern(doc.kernel, doc.all, classId) : 0;
}

} // namespace

uint32_t InsertReferenceWnd(HWND window, OBJHANDLE holder, uint16_t id, OBJHANDLE target)
{
    OBJectKernel *kernel = documentOf(window).kernel;
    return kernel ? InsertRefInPos(kernel, holder, id, target, -1, -1) : OBJ_INVALID;
}

uint32_t RemoveReferenceWnd(HWND window, OBJHANDLE holder, uint16_t id, OBJHANDLE target)
{
    OBJectKernel *kernel = documentOf(window).kernel;
    return kernel ? RemoveReference(kernel, holder, id, target) : OBJ_INVALID;
}

OBJHANDLE FirstReferenceWnd(HWND window, OBJHANDLE holder, uint16_t filter, int32_t *pos)
{
    OBJectKernel *kernel = documentOf(window).kernel;
    if (!kernel) {
        if (pos)
            *pos = 0;
        return 0;
    }
    return FirstReference(kernel, holder, filter, pos);
}

OBJHANDLE CreateOBJectWnd(HWND window, uint16_t classId)
{
    OBJectKernel *kernel = documentOf(window).kernel;
    return kernel ? CreateOBJect(kernel, classId) : 0;
}

int BankSetDelStackWnd(HWND window)
{
    OBJectKernel *kernel = documentOf(window).kernel;
    if (!kernel)
        return 0;
    BankSetDelStack(kernel->bank);
    return 1;
}

int SetActiveLayer(HWND window, OBJHANDLE layer)
{
    const Document doc = documentOf(window);
    const OBJHANDLE root = rootOf(doc, CLASS_LAYERS);
    return root ? LayersActiveLayerSet(doc.kernel, root, layer) : 0;
}

OBJHANDLE GetActiveAspectWnd(HWND window)
{
    const Document doc = documentOf(window);
    const OBJHANDLE root = rootOf(doc, CLASS_GROUPS);
    return root ? GetActiveAspect(doc.kernel, root) : 0;
}

OBJHANDLE CreateGroupWnd(HWND window)
{
    const Document doc = documentOf(window);
    const OBJHANDLE root = rootOf(doc, CLASS_GROUPS);
    const OBJHANDLE aspect = root ? GetActiveAspect(doc.kernel, root) : 0;
    if (!aspect)
        return 0;
    return docmodel::CreateLinkedOBJect(doc.kernel, aspect, REF_GROUP_MEMBER, CLASS_GROUP);
}
