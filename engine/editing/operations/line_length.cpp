#include "engine/editing/operations/line_length.h"

#include "engine/editing/operations/operation_support.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/editing/tools/undo_helpers.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/window/window_access.h"
#include "engine/window/window_groups.h"
#include "engine/window/window_objects.h"
#include "engine/window/window_points.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using Points = std::vector<MAP_COORDPT>;

double Hundredths(double v) { return std::trunc(v * 100.0 + 0.5) * 0.01; }

bool Same(MAP_COORDPT a, MAP_COORDPT b) { return a.x == b.x && a.y == b.y; }

bool InRange(double v)
{
    return v >= double(std::numeric_limits<int32_t>::min()) &&
           v <= double(std::numeric_limits<int32_t>::max());
}

double PartLength(HWND window, const Points &p, size_t end)
{
    double sum = 0.0;
    for (size_t i = 0; i + 1 <= end && i + 1 < p.size(); ++i)
        sum += SetOfLineLength(window, p[i], p[i + 1]);
    return sum;
}

// Puts the last point at the length m from the last but one along their
// direction; false when the segment is too short for it or the end would
// leave the coordinate range.
bool FitLastPoint(HWND window, Points &p, double wanted)
{
    const size_t n = p.size();
    const double m = wanted - PartLength(window, p, n - 2);
    if (m <= 0.0)
        return false;
    const MAP_COORDPT P = p[n - 2], E = p[n - 1];
    const double d = SetOfLineLength(window, P, E);
    if (d < m || !(d > 0.0))
        return false;
    if (d == m)
        return true;
    const double x = std::trunc((double(E.x) - P.x) * m / d + P.x);
    const double y = std::trunc((double(E.y) - P.y) * m / d + P.y);
    if (!InRange(x) || !InRange(y))
        return false;
    p[n - 1] = {int32_t(x), int32_t(y)};
    return true;
}

bool Shorten(HWND window, Points &p, double wanted)
{
    double running = 0.0;
    for (size_t k = 1; k < p.size(); ++k) {
        running += SetOfLineLength(window, p[k - 1], p[k]);
        if (running >= wanted) {
            p.resize(k + 1);
            return true;
        }
    }
    return false;
}

bool Lengthen(HWND window, Points &p, double wanted)
{
    const size_t n = p.size();
    const double m = wanted - PartLength(window, p, n - 2);
    if (m <= 0.0)
        return false;
    const MAP_COORDPT P = p[n - 2];
    MAP_COORDPT E = p[n - 1];
    // A last segment of no length never grows: refused, where doubling it
    // would run for ever.
    if (Same(P, E) || !(SetOfLineLength(window, P, E) > 0.0))
        return false;
    while (SetOfLineLength(window, P, E) < m) {
        const double x = 2.0 * E.x - P.x, y = 2.0 * E.y - P.y;
        if (!InRange(x) || !InRange(y))
            return false;
        E = {int32_t(x), int32_t(y)};
    }
    p[n - 1] = E;
    return true;
}

// ---- joining --------------------------------------------------------------

struct EndEntry {
    OBJHANDLE polyline;
    int32_t x, y;
    int32_t used;
    int32_t start;
};

Points ReadPolyline(HWND window, OBJHANDLE h)
{
    int32_t total = 0;
    map_polyline_Get(window, h, &total, nullptr, 0);
    Points p(static_cast<size_t>(std::max(total, 0)));
    if (total > 0)
        p.resize(size_t(map_polyline_Get(window, h, &total, p.data(), total)));
    return p;
}

OBJHANDLE ParentGroup(const MapDoc &doc, OBJHANDLE object)
{
    int32_t pos = -1;
    const OBJHANDLE parent = GetReference(doc.kernel, object, REF_GROUP_PARENT, &pos);
    return doc.is(parent, CLASS_GROUP) ? parent : 0;
}

std::vector<OBJHANDLE> Members(const MapDoc &doc, OBJHANDLE group)
{
    std::vector<OBJHANDLE> out;
    int32_t pos = -1;
    while (OBJHANDLE h = GetReference(doc.kernel, group, REF_GROUP_MEMBER, &pos))
        out.push_back(h);
    return out;
}

// The joined polyline goes (undoably); a group it leaves empty goes too, and
// a group left with one member hands it to its own enclosing group and goes.
void DeleteJoined(HWND window, const MapDoc &doc, OBJHANDLE polyline)
{
    const OBJHANDLE group = ParentGroup(doc, polyline);
    Undo_DeleteTree(doc.kernel, polyline);
    if (!group)
        return;
    const std::vector<OBJHANDLE> left = Members(doc, group);
    if (left.empty()) {
        Undo_DeleteOBJect(doc.kernel, group);
        return;
    }
    if (left.size() != 1)
        return;
    if (const OBJHANDLE enclosing = ParentGroup(doc, group)) {
        OBJHANDLE member = left[0];
        Undo_ChangeObject(doc.kernel, member);
        Undo_ChangeObject(doc.kernel, enclosing);
        Undo_ChangeObject(doc.kernel, group);
        map_group_Set(window, enclosing, &member, 1, 0, 0);
    }
    Undo_DeleteOBJect(doc.kernel, group);
}

void AddJoinedObject(HWND window, const MapDoc &doc, OBJHANDLE h)
{
    Undo_AddNew(doc.kernel, h);
    SetSelection(window, &h, 1, 1, 0);
}

class Joiner {
public:
    Joiner(HWND window, const MapDoc &doc, std::vector<EndEntry> &table)
        : window_(window), doc_(doc), t_(table)
    {
    }

    // The number of objects made.
    int Run()
    {
        for (size_t i = 0; i < t_.size(); ++i) {
            if (t_[i].used)
                continue;
            for (size_t j = i + 1; j < t_.size(); ++j) {
                if (t_[j].used || t_[j].x != t_[i].x || t_[j].y != t_[i].y)
                    continue;
                if (t_[j].polyline == t_[i].polyline)
                    CloseOne(i, j);
                else
                    Chain(i, j);
                break;
            }
        }
        return made_;
    }

private:
    int32_t FirstUnused(OBJHANDLE polyline) const
    {
        for (size_t k = 0; k < t_.size(); ++k)
            if (!t_[k].used && t_[k].polyline == polyline)
                return int32_t(k);
        return -1;
    }
    int32_t FirstUnusedAt(int32_t x, int32_t y) const
    {
        for (size_t k = 0; k < t_.size(); ++k)
            if (!t_[k].used && t_[k].x == x && t_[k].y == y)
                return int32_t(k);
        return -1;
    }

    void CloseOne(size_t i, size_t j)
    {
        t_[i].used = t_[j].used = 1;
        const OBJHANDLE line = t_[i].polyline;
        const Points p = ReadPolyline(window_, line);
        OBJHANDLE h = 0;
        if (!map_polygon_Create(window_, &h, p.data(), int32_t(p.size()), 0) || !h)
            return;
        ++made_;
        AddJoinedObject(window_, doc_, h);
        DeleteJoined(window_, doc_, line);
    }

    struct Link {
        OBJHANDLE polyline;
        int32_t start;
    };

    void Walk(int32_t entry, bool front, std::vector<Link> &chain)
    {
        while (entry >= 0) {
            t_[size_t(entry)].used = 1;
            const Link link{t_[size_t(entry)].polyline, t_[size_t(entry)].start};
            if (front)
                chain.insert(chain.begin(), link);
            else
                chain.push_back(link);
            const int32_t other = FirstUnused(link.polyline);
            if (other < 0)
                return;
            t_[size_t(other)].used = 1;
            entry = FirstUnusedAt(t_[size_t(other)].x, t_[size_t(other)].y);
        }
    }

    void Chain(size_t i, size_t j)
    {
        std::vector<Link> chain;
        Walk(int32_t(i), false, chain);
        Walk(int32_t(j), true, chain);
        const bool closed = chain.size() > 1 && chain.front().polyline == chain.back().polyline;
        if (closed)
            chain.pop_back();

        std::vector<Points> lines;
        size_t count = closed ? 0 : 1;
        for (const Link &l : chain) {
            lines.push_back(ReadPolyline(window_, l.polyline));
            count += lines.back().empty() ? 0 : lines.back().size() - 1;
        }
        Points merged;
        merged.reserve(count);
        MAP_COORDPT end{};
        for (size_t k = 0; k < lines.size(); ++k) {
            const Points &p = lines[k];
            if (p.empty())
                continue;
            if (k == 0) {
                if (chain[0].start)
                    merged.assign(p.rbegin(), p.rend());
                else
                    merged = p;
                end = merged.back();
                continue;
            }
            if (Same(p.front(), end)) {
                for (size_t q = 1; q < p.size() && merged.size() < count; ++q)
                    merged.push_back(p[q]);
                end = p.back();
            } else {
                for (size_t q = p.size() - 1; q-- > 0 && merged.size() < count;)
                    merged.push_back(p[q]);
                end = p.front();
            }
        }
        merged.resize(std::min(merged.size(), count));
        OBJHANDLE h = 0;
        const bool made = closed ? map_polygon_Create(window_, &h, merged.data(), int32_t(merged.size()), 0)
                                 : map_polyline_Create(window_, &h, merged.data(), int32_t(merged.size()), 0);
        if (!made || !h)
            return;
        ++made_;
        // Recorded as added before the polylines go, so that undo takes it
        // out of the layer before the layer's own copy comes back.
        AddJoinedObject(window_, doc_, h);
        for (const Link &l : chain)
            DeleteJoined(window_, doc_, l.polyline);
    }

    HWND window_;
    const MapDoc &doc_;
    std::vector<EndEntry> &t_;
    int made_ = 0;
};

std::vector<OBJHANDLE> SelectedPolylines(HWND window, const MapDoc &doc)
{
    std::vector<OBJHANDLE> out;
    for (OBJHANDLE h : SelectedObjects(window)) {
        if (doc.classOf(h) == CLASS_POLYLINE)
            out.push_back(h);
        else if (doc.classOf(h) == CLASS_GROUP)
            for (OBJHANDLE leaf : GroupLeaves(doc.kernel, h))
                if (doc.classOf(leaf) == CLASS_POLYLINE)
                    out.push_back(leaf);
    }
    return out;
}

int Join(HWND window, UndoStepScope &step)
{
    const MapDoc doc(window);
    if (!doc)
        return 0;
    const std::vector<OBJHANDLE> lines = SelectedPolylines(window, doc);
    if (lines.size() < 2)
        return 0;
    MAP_COORDRECT before{};
    SelectionBounds(window, before);
    std::vector<EndEntry> table;
    table.reserve(lines.size() * 2);
    for (OBJHANDLE h : lines) {
        PointSetAccess a;
        if (!LockPointSet(doc.kernel, h, a) || a.count == 0)
            return 1; // a polyline without points: nothing further is joined
        const MAP_COORDPT first = a.at(0), last = a.at(a.count - 1);
        table.push_back({h, first.x, first.y, 0, 1});
        table.push_back({h, last.x, last.y, 0, 0});
    }
    const int position = Undo_GetPositionCurStep(doc.kernel);
    UndoRecordSelection(window);
    SetOfObjectsUnSelect(window, doc.root(CLASS_LAYERS));
    // Largest x first; equal x keep their selection order.
    std::stable_sort(table.begin(), table.end(),
                     [](const EndEntry &a, const EndEntry &b) { return a.x > b.x; });
    if (Joiner(window, doc, table).Run() == 0) {
        // Nothing joined: the selection comes back as it was, and no step.
        UndoDropRecordsSince(doc.kernel, position);
        return 1;
    }

    step.Close(kUndoJoiningPolylines);
    InvalidateMapArea(window, before);
    MAP_COORDRECT after{};
    SelectionBounds(window, after);
    InvalidateMapArea(window, after);
    SendMessageA(window, MAPN_SELCOUNT, WPARAM(SelectedObjects(window).size()), 0);
    return 1;
}

} // namespace

int SetLineLength(HWND window, OBJHANDLE polyline, double length, int undo)
{
    const MapDoc doc(window);
    if (!doc || !(length >= 1.0) || !doc.is(polyline, CLASS_POLYLINE))
        return 0;
    Points p = ReadPolyline(window, polyline);
    const double current = Hundredths(PartLength(window, p, p.size() - (p.empty() ? 0 : 1)));
    const double wanted = Hundredths(length);
    if (current == wanted)
        return 1;
    if (p.size() < 2)
        return 0;
    const Points before = p;
    const bool ok = wanted < current ? Shorten(window, p, wanted) : Lengthen(window, p, wanted);
    if (!ok || !FitLastPoint(window, p, wanted))
        return 0;
    if (std::equal(p.begin(), p.end(), before.begin(), before.end(), Same))
        return 1;
    // Recorded only now that the line is known to change.
    MAP_COORDRECT rect{};
    map_object_boundrect_Get(window, polyline, &rect);
    if (undo)
        Undo_ChangeObject(doc.kernel, polyline);
    map_polyline_Set(window, polyline, p.data(), int32_t(p.size()), 0);
    if (undo)
        Undo_SetNewStep(window, doc.kernel, kUndoSettingPolylineLength);
    SetMapModified(window);
    InvalidateMapArea(window, rect);
    map_object_boundrect_Get(window, polyline, &rect);
    InvalidateMapArea(window, rect);
    return 1;
}

int SelectedPolylinesJoin(HWND window)
{
    UndoStepScope step(window);
    return Join(window, step);
}

int SelectedPolylinesJoinExt(HWND window)
{
    const MapDoc doc(window);
    const std::vector<OBJHANDLE> selected = SelectedObjects(window);
    if (!doc || selected.empty() || doc.classOf(selected[0]) != CLASS_POLYLINE)
        return 0;
    UndoStepScope step(window);
    PointSetAccess a;
    if (!LockPointSet(doc.kernel, selected[0], a))
        return 0;
    MAP_COORDPT r = LoadField<MAP_COORDPT>(a.fixed, GOH_SELPOINT);
    OBJHANDLE previous = selected[0];
    for (size_t i = 1; i < selected.size(); ++i) {
        const OBJHANDLE h = selected[i];
        if (doc.classOf(h) != CLASS_POLYLINE || !LockPointSet(doc.kernel, h, a) || a.count == 0)
            continue;
        const MAP_COORDPT s = a.at(0), e = a.at(a.count - 1);
        const double toS = std::hypot(double(s.x) - r.x, double(s.y) - r.y);
        const double toE = std::hypot(double(e.x) - r.x, double(e.y) - r.y);
        const MAP_COORDPT far = toS >= toE ? e : s;
        const Linesegment bridge{r.x, r.y, far.x, far.y};
        // The bridge is a change of the previous polyline: recorded.
        if (SetOfLinesegmentIsEndPoint(doc.kernel, previous, &r)) {
            Undo_ChangeObject(doc.kernel, previous);
            SetOfLinesegmentJoinLinesegment(doc.kernel, &previous, &bridge);
        }
        r = toS >= toE ? s : e;
        previous = h;
    }
    const int joined = Join(window, step);
    step.Close(kUndoJoiningPolylines);
    return joined;
}
