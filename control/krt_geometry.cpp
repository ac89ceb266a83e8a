#include "control/krt_geometry.h"

#include "control/automation/library_objects.h"
#include "control/control_ids.h"
#include "control/krtmap_module.h"

namespace {

template <class T, int32_t T::*field>
MemberInfo LongField(const char *name)
{
    return {.name = name,
            .kind = MemberKind::Property,
            .type = VT_I4,
            .get = [](DispatchObject &o, MemberCall &c) { c.SetLong(static_cast<T &>(o).*field); },
            .put = [](DispatchObject &o, MemberCall &c) { static_cast<T &>(o).*field = c.value().lVal; }};
}

} // namespace

std::shared_ptr<const MemberTable> KrtPoint::Table()
{
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtPoint",
        .progId = "KrtLib.KrtPoint",
        .clsid = kKrtPointClsid,
        .dispatchIid = kIKrtPointIid,
        .interfaceName = "IKrtPoint",
        .members = {LongField<KrtPoint, &KrtPoint::x>("x"), LongField<KrtPoint, &KrtPoint::y>("y")},
    });
    return table;
}

KrtPoint::KrtPoint() : DispatchObject(Table()), lock_(KrtMapModule()) {}
KrtPoint::~KrtPoint() = default;

std::shared_ptr<const MemberTable> KrtRect::Table()
{
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtRect",
        .progId = "KrtLib.KrtRect",
        .clsid = kKrtRectClsid,
        .dispatchIid = kIKrtRectIid,
        .interfaceName = "IKrtRect",
        .members = {LongField<KrtRect, &KrtRect::left>("left"), LongField<KrtRect, &KrtRect::top>("top"),
                    LongField<KrtRect, &KrtRect::right>("right"),
                    LongField<KrtRect, &KrtRect::bottom>("bottom")},
    });
    return table;
}

KrtRect::KrtRect() : DispatchObject(Table()), lock_(KrtMapModule()) {}
KrtRect::~KrtRect() = default;

KrtPoint *AsKrtPoint(IDispatch *object) { return dynamic_cast<KrtPoint *>(object); }
KrtRect *AsKrtRect(IDispatch *object) { return dynamic_cast<KrtRect *>(object); }
