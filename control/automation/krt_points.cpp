#include "control/automation/krt_points.h"

#include "control/automation/geometry_class_ids.h"
#include "control/automation/member_helpers.h"
#include "control/automation/library_objects.h"
#include "control/krt_geometry.h"
#include "control/krtmap_module.h"

#include <algorithm>

namespace {

using automation_members::As;

void Grow(MAP_COORDRECT &r, const MAP_COORDPT &p)
{
    r.x1 = std::min(r.x1, p.x);
    r.y1 = std::min(r.y1, p.y);
    r.x2 = std::max(r.x2, p.x);
    r.y2 = std::max(r.y2, p.y);
}

[[noreturn]] void ThrowBadOleType() { throw AutomationException(kErrorBadOleType, "Bad OLE type"); }

} // namespace

std::shared_ptr<const MemberTable> KrtPoints::Table()
{
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtPoints",
        .progId = "KrtLib.KrtPoints",
        .clsid = kKrtPointsClsid,
        .dispatchIid = kIKrtPointsIid,
        .interfaceName = "IKrtPoints",
        .members =
            {
                {.name = "Count",
                 .kind = MemberKind::Property,
                 .type = VT_I4,
                 .get = [](DispatchObject &o, MemberCall &c) { c.SetLong(As<KrtPoints>(o).count()); },
                 .put = [](DispatchObject &o, MemberCall &c) { As<KrtPoints>(o).SetCount(c.value().lVal); }},
                {.name = "Add",
                 .kind = MemberKind::Method,
                 .type = VT_I4,
                 .params = {VT_VARIANT},
                 .get =
                     [](DispatchObject &o, MemberCall &c) {
                         const KrtPoint *p = AsKrtPoint(c.Dispatch(0));
                         if (!p)
                             ThrowBadOleType();
                         c.SetLong(As<KrtPoints>(o).Add(p->x, p->y));
                     }},
                {.name = "AddXY",
                 .kind = MemberKind::Method,
                 .type = VT_I4,
                 .params = {VT_I4, VT_I4},
                 .get = [](DispatchObject &o,
                           MemberCall &c) { c.SetLong(As<KrtPoints>(o).Add(c.Long(0), c.Long(1))); }},
                {.name = "RemoveAll",
                 .kind = MemberKind::Method,
                 .type = VT_I4,
                 .get =
                     [](DispatchObject &o, MemberCall &c) {
                         As<KrtPoints>(o).RemoveAll();
                         c.SetLong(1);
                     }},
                {.name = "Item",
                 .kind = MemberKind::Property,
                 .type = VT_VARIANT,
                 .params = {VT_I4},
                 .get =
                     [](DispatchObject &o, MemberCall &c) {
                         const KrtPoints &self = As<KrtPoints>(o);
                         const int32_t i = c.Long(0);
                         if (i < 0 || i >= self.count()) {
                             c.SetDispatch(nullptr);
                             return;
                         }
                         auto *p = new KrtPoint;
                         p->x = self.points()[size_t(i)].x;
                         p->y = self.points()[size_t(i)].y;
                         c.SetDispatch(p);
                     },
                 .put =
                     [](DispatchObject &o, MemberCall &c) {
                         const VARIANT &v = c.value();
                         IDispatch *d = v.vt == VT_DISPATCH                               ? v.pdispVal
                                        : v.vt == (VT_BYREF | VT_DISPATCH) && v.ppdispVal ? *v.ppdispVal
                                                                                          : nullptr;
                         if (const KrtPoint *p = AsKrtPoint(d))
                             As<KrtPoints>(o).SetItem(c.Long(0), p->x, p->y);
                     },
                 .putRef = true},
            },
    });
    return table;
}

KrtPoints::KrtPoints() : DispatchObject(Table()), lock_(KrtMapModule()) {}
KrtPoints::~KrtPoints() = default;

void KrtPoints::Reserve(size_t n)
{
    if (n <= points_.capacity())
        return;
    points_.reserve(std::max(n, points_.capacity() + 512));
}

int32_t KrtPoints::Add(int32_t x, int32_t y)
{
    if (int64_t(points_.size()) >= kMaxPoints)
        throw AutomationException(E_OUTOFMEMORY, "Out of memory");
    Reserve(points_.size() + 1);
    const int32_t index = count();
    if (!points_.empty())
        Grow(bound, points_.back());
    points_.push_back({x, y});
    Grow(bound, points_.back());
    return index;
}

void KrtPoints::SetCount(int64_t n)
{
    if (n < 0)
        return;
    if (n == 0) {
        std::vector<MAP_COORDPT>().swap(points_);
        return;
    }
    if (n > kMaxPoints)
        throw AutomationException(E_OUTOFMEMORY, "Out of memory");
    try {
        Reserve(size_t(n));
        points_.resize(size_t(n), MAP_COORDPT{0, 0});
    } catch (const std::bad_alloc &) {
        throw AutomationException(E_OUTOFMEMORY, "Out of memory");
    }
}

void KrtPoints::Assign(std::vector<MAP_COORDPT> points) { points_ = std::move(points); }

bool KrtPoints::SetItem(int32_t index, int32_t x, int32_t y)
{
    if (index < 0 || index >= count())
        return false;
    const size_t i = size_t(index);
    if (i > 0)
        Grow(bound, points_[i - 1]);
    if (i + 1 < points_.size())
        Grow(bound, points_[i + 1]);
    points_[i] = {x, y};
    Grow(bound, points_[i]);
    return true;
}
