// The object model's classes as the library serves them: creatable by class
// id (and ProgID where they have one) and described in the type library.
#include "control/automation/krt_objects.h"
#include "control/automation/library_objects.h"
#include "control/automation/krt_page.h"
#include "control/automation/krt_projection.h"
#include "control/automation/krt_selection.h"

namespace {

template <class T>
void Serve(ServerModule &module, std::vector<const MemberTable *> &tables)
{
    tables.push_back(T::Table().get());
    module.AddClass({.table = T::Table().get()}, [] { return static_cast<IDispatch *>(new T); });
}

} // namespace

void AddObjectModelClasses(ServerModule &module, std::vector<const MemberTable *> &typeLibClasses)
{
    Serve<KrtObject>(module, typeLibClasses);
    Serve<KrtObjects>(module, typeLibClasses);
    Serve<KrtPage>(module, typeLibClasses);
    Serve<KrtPaper>(module, typeLibClasses);
    Serve<KrtPapers>(module, typeLibClasses);
    Serve<KrtSelection>(module, typeLibClasses);
    Serve<KrtUndoRedo>(module, typeLibClasses);
    Serve<KRTUndoRedoItem>(module, typeLibClasses);
    Serve<KrtProjection>(module, typeLibClasses);
    Serve<KrtExportParameters>(module, typeLibClasses);
    // Groups and layers hand out their members as collections of ours.
    SetCollectionMaker([](const MapLink &map, int kind, OBJHANDLE handle) -> IDispatch * {
        return new KrtObjects(map, kind, handle, handle);
    });
}
