#include "engine/editing/operations/polygon_building.h"

#include "engine/editing/operations/operation_support.h"
#include "engine/editing/tools/undo_helpers.h"
#include "engine/editing/point_set.h"
#include "engine/editing/set_geometry.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/map_obj_arr.h"
#include "engine/kernel/references.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/undo.h"
#include "engine/polygon/polygon_logical.h"
#include "engine/window/window_access.h"
#include "engine/window/window_points.h"
#include "platform/message_box.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <unordered_set>

namespace {

uint64_t KeyOf(MAP_COORDPT p) { return (uint64_t(uint32_t(p.x)) << 32) | uint32_t(p.y); }
bool Same(MAP_COORDPT a, MAP_COORDPT b) { return a.x == b.x && a.y == b.y; }

CVector2D VectorOf(MAP_COORDPT p)
{
    CVector2D v;
    v.SetFromPoint(p);
    return v;
}

// The angle at b from segment a-b to segment b-c.
double TurnAt(MAP_COORDPT a, MAP_COORDPT b, MAP_COORDPT c)
{
    const CVector2D vb = VectorOf(b);
    return vb.Subtract(VectorOf(a)).AngleTo(VectorOf(c).Subtract(vb));
}

double InnerTurning(const std::vector<MAP_COORDPT> &p)
{
    double sum = 0.0;
    for (size_t i = 1; i + 1 < p.size(); ++i)
        sum += TurnAt(p[i - 1], p[i], p[i + 1]);
    return sum;
}

// The angle from X's last segment to Y's first one.
double JoinAngle(const CPolylineObj &x, const CPolylineObj &y)
{
    const size_t n = x.points.size();
    return TurnAt(x.points[n - 2], x.points[n - 1], y.points[1]);
}

uint64_t HashPoints(const std::vector<MAP_COORDPT> &p, bool reversed)
{
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < p.size(); ++i) {
        h ^= KeyOf(p[reversed ? p.size() - 1 - i : i]);
        h *= 1099511628211ull;
    }
    return h;
}

struct Bounds {
    int32_t x1, y1, x2, y2;
    bool inside(const Bounds &o) const { return x1 >= o.x1 && y1 >= o.y1 && x2 <= o.x2 && y2 <= o.y2; }
};

Bounds BoundsOf(const std::vector<MAP_COORDPT> &ring)
{
    Bounds b{ring[0].x, ring[0].y, ring[0].x, ring[0].y};
    for (const MAP_COORDPT &p : ring) {
        b.x1 = std::min(b.x1, p.x);
        b.y1 = std::min(b.y1, p.y);
        b.x2 = std::max(b.x2, p.x);
        b.y2 = std::max(b.y2, p.y);
    }
    return b;
}

std::vector<PlgList> AsPlgList(const std::vector<MAP_COORDPT> &ring)
{
    std::vector<PlgList> out(ring.size());
    for (size_t i = 0; i < ring.size(); ++i) {
        out[i].x = ring[i].x;
        out[i].y = ring[i].y;
    }
    return out;
}

// The faces accepted so far, and the test that refuses a new ring that
// overlaps one of them.
class FaceSet {
public:
    bool Overlaps(const std::vector<MAP_COORDPT> &ring)
    {
        const Bounds bounds = BoundsOf(ring);
        // Only faces whose rectangle lies inside the ring's can overlap it:
        // those with a left edge between the ring's left and right.
        vertices_.clear();
        for (auto it = byLeft_.lower_bound(bounds.x1); it != byLeft_.end() && it->first <= bounds.x2; ++it) {
            const Face &face = faces_[it->second];
            if (!face.bounds.inside(bounds))
                continue;
            if (vertices_.empty())
                for (const MAP_COORDPT &p : ring)
                    vertices_.insert(KeyOf(p));
            bool outside = false;
            for (const MAP_COORDPT &v : face.ring) {
                if (vertices_.count(KeyOf(v)))
                    continue;
                if (PointRingContainsPoint(ring.data(), uint32_t(ring.size()), &v))
                    return true;
                outside = true;
            }
            if (outside)
                continue;
            // Every vertex is shared: only the area tells.
            const std::vector<PlgList> a = AsPlgList(ring), b = AsPlgList(face.ring);
            PlgOpResult *common = main_polygon_logical(a.data(), int32_t(a.size()), b.data(),
                                                       int32_t(b.size()), PLG_INTERSECTION);
            const bool overlap = common->numPolygons > 0;
            DeletePlgOpResult(common);
            if (overlap)
                return true;
        }
        return false;
    }
    void Add(const std::vector<MAP_COORDPT> &ring)
    {
        faces_.push_back({ring, BoundsOf(ring)});
        byLeft_.emplace(faces_.back().bounds.x1, faces_.size() - 1);
    }

private:
    struct Face {
        std::vector<MAP_COORDPT> ring;
        Bounds bounds;
    };
    std::vector<Face> faces_;
    std::multimap<int32_t, size_t> byLeft_;
    std::unordered_set<uint64_t> vertices_;
};

// A closing point equal to the first goes; fewer than three distinct points
// make no ring.
bool RingFromPath(std::vector<MAP_COORDPT> &ring)
{
    if (ring.size() > 1 && Same(ring.front(), ring.back()))
        ring.pop_back();
    std::unordered_set<uint64_t> distinct;
    for (const MAP_COORDPT &p : ring)
        distinct.insert(KeyOf(p));
    return distinct.size() >= 3;
}

// Adds an edge's segments to the ring at the end each touches. False, with
// the ring unchanged, when neither end of the edge meets the ring.
bool JoinEdgeOntoRing(std::deque<MAP_COORDPT> &ring, const std::vector<MAP_COORDPT> &edge)
{
    auto joinSegment = [&ring](MAP_COORDPT a, MAP_COORDPT b) {
        if (Same(a, ring.front()) || Same(b, ring.front()))
            ring.push_front(Same(a, ring.front()) ? b : a);
        else if (Same(a, ring.back()) || Same(b, ring.back()))
            ring.push_back(Same(a, ring.back()) ? b : a);
    };
    const MAP_COORDPT first = edge.front(), last = edge.back();
    if (Same(first, ring.back()) || Same(first, ring.front())) {
        for (size_t i = 0; i + 1 < edge.size(); ++i)
            joinSegment(edge[i], edge[i + 1]);
        return true;
    }
    if (Same(last, ring.back()) || Same(last, ring.front())) {
        for (size_t i = edge.size() - 1; i > 0; --i)
            joinSegment(edge[i], edge[i - 1]);
        return true;
    }
    return false;
}

// The path search from a start edge, with its shared abort flag, on an
// explicit stack. One tracer serves every start of a run: its node counts
// return to zero after each trace.
class RingTracer {
public:
    explicit RingTracer(CPolylineList &edges) : edges_(edges), touching_(edges.nodeCount(), 0) {}

    // True with the ring's points (closing point kept) and the edges used;
    // concatenated is false when an edge could not be joined on.
    bool Trace(int32_t start, std::vector<MAP_COORDPT> &ring, std::vector<int32_t> &used, bool &concatenated)
    {
        start_ = start;
        startNode_ = edges_[size_t(start)].firstNode;
        startInner_ = edges_[size_t(start)].innerTurning();
        abort_ = false;
        stack_.clear();
        pool_.clear();
        ring_.clear();
        concatenated = true;
        State state = Enter(start, 0.0, used);
        while (!stack_.empty()) {
            Frame &f = stack_.back();
            const int32_t x = f.edge;
            if (state == State::Success) {
                if (!JoinEdgeOntoRing(ring_, edges_[size_t(x)].points))
                    concatenated = false;
                ++edges_[size_t(x)].useCount;
                used.push_back(x);
                Pop();
                continue;
            }
            // The sharpest turn among the neighbours left: of equal angles
            // the first in the list.
            const CPolylineObj &from = edges_[size_t(x)];
            size_t best = 0;
            double bestAngle = 0.0;
            for (size_t i = f.begin; !abort_ && i < pool_.size(); ++i) {
                if (pool_[i] < 0)
                    continue;
                const double a = JoinAngle(from, edges_[size_t(pool_[i])]);
                if (best == 0 || a < bestAngle) {
                    bestAngle = a;
                    best = i + 1;
                }
            }
            if (best == 0) {
                Pop();
                state = State::Fail;
                continue;
            }
            const int32_t y = pool_[best - 1];
            pool_[best - 1] = -1;
            CPolylineObj &next = edges_[size_t(y)];
            if (from.lastNode == next.lastNode)
                next.Reverse();
            const double turning = f.turning + JoinAngle(from, next) + next.innerTurning();
            state = Enter(y, turning, used);
        }
        ring.assign(ring_.begin(), ring_.end());
        return state == State::Success;
    }

private:
    enum class State { Pending, Success, Fail };
    struct Frame {
        int32_t edge;
        double turning;
        size_t begin; // its neighbours: pool_[begin ..] (taken ones are -1)
    };

    // Edges that start at the start point do not count for the touching
    // test.
    bool Counts(const CPolylineObj &e) const { return e.firstNode != startNode_; }

    void Mark(int32_t x, int32_t step)
    {
        CPolylineObj &e = edges_[size_t(x)];
        e.pathCount += step;
        if (Counts(e)) {
            touching_[size_t(e.firstNode)] += step;
            touching_[size_t(e.lastNode)] += step;
        }
    }

    void Pop()
    {
        Mark(stack_.back().edge, -1);
        pool_.resize(stack_.back().begin);
        stack_.pop_back();
    }

    State Enter(int32_t x, double turning, std::vector<int32_t> &used)
    {
        if (abort_)
            return State::Fail;
        Mark(x, 1);
        CPolylineObj &e = edges_[size_t(x)];
        if (e.lastNode == startNode_) {
            // Back at the start: a clockwise ring (negative total turning)
            // or a single closed edge is a face; anything else stops the
            // whole search.
            const double total = turning + JoinAngle(e, edges_[size_t(start_)]) + startInner_;
            Mark(x, -1);
            if (total < 0.0 || x == start_) {
                ring_.assign(e.points.begin(), e.points.end());
                ++e.useCount;
                used.push_back(x);
                return State::Success;
            }
            abort_ = true;
            return State::Fail;
        }
        const size_t begin = pool_.size();
        for (int32_t y : edges_.EdgesAt(e.lastNode)) {
            CPolylineObj &candidate = edges_[size_t(y)];
            if (y == x || candidate.pathCount > 0 || candidate.useCount >= 2)
                continue;
            if (candidate.firstNode != e.lastNode)
                candidate.Reverse();
            if (touching_[size_t(candidate.lastNode)] > 0)
                continue;
            pool_.push_back(y);
        }
        stack_.push_back({x, turning, begin});
        return State::Pending;
    }

    CPolylineList &edges_;
    std::vector<int32_t> touching_;
    int32_t start_ = 0;
    int32_t startNode_ = 0;
    double startInner_ = 0.0;
    bool abort_ = false;
    std::vector<Frame> stack_;
    std::vector<int32_t> pool_;
    std::deque<MAP_COORDPT> ring_;
};

// One attempt from an edge: true when a face was accepted.
bool TryRing(CPolylineList &edges, RingTracer &tracer, int32_t start,
             const std::function<bool(const std::vector<MAP_COORDPT> &)> &accept)
{
    std::vector<MAP_COORDPT> ring;
    std::vector<int32_t> used;
    bool concatenated = true;
    if (!tracer.Trace(start, ring, used, concatenated))
        return false;
    bool accepted = false;
    if (!concatenated)
        MessageBoxA(0, "Could Not Concatenate edges !!!", nullptr, MB_OK);
    else if (RingFromPath(ring))
        accepted = accept(ring);
    // A ring that is refused, or incomplete, gives its edges back.
    for (int32_t e : used) {
        CPolylineObj &edge = edges[size_t(e)];
        if (accepted)
            edge.usedAlong[edge.reversed ? 1 : 0] = true;
        else
            --edge.useCount;
    }
    return accepted;
}

void ReadPoints(HWND window, OBJHANDLE object, uint16_t classId, std::vector<MAP_COORDPT> &out)
{
    auto get = classId == CLASS_POLYGON ? map_polygon_Get : map_polyline_Get;
    int32_t total = 0;
    get(window, object, &total, nullptr, 0);
    out.assign(size_t(std::max(total, 0)), MAP_COORDPT{});
    if (total > 0)
        out.resize(size_t(get(window, object, &total, out.data(), total)));
}

// A point along a segment, for sorting the splits of a line.
struct Split {
    size_t segment;
    double along;
    MAP_COORDPT point;
};

int32_t RoundCoordinate(double v) { return int32_t(std::floor(v + 0.5)); }

double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// Every point where the segments of a and b meet, as splits of both lines.
void FindSplits(const std::vector<MAP_COORDPT> &a, const std::vector<MAP_COORDPT> &b, std::vector<Split> &onA,
                std::vector<Split> &onB)
{
    auto along = [](MAP_COORDPT p, MAP_COORDPT q, MAP_COORDPT at) {
        const double dx = double(q.x) - p.x, dy = double(q.y) - p.y;
        const double len2 = dx * dx + dy * dy;
        return len2 > 0 ? ((double(at.x) - p.x) * dx + (double(at.y) - p.y) * dy) / len2 : 0.0;
    };
    for (size_t i = 0; i + 1 < a.size(); ++i) {
        const MAP_COORDPT p1 = a[i], p2 = a[i + 1];
        const int32_t ax1 = std::min(p1.x, p2.x), ax2 = std::max(p1.x, p2.x);
        const int32_t ay1 = std::min(p1.y, p2.y), ay2 = std::max(p1.y, p2.y);
        for (size_t j = 0; j + 1 < b.size(); ++j) {
            const MAP_COORDPT q1 = b[j], q2 = b[j + 1];
            if (std::max(q1.x, q2.x) < ax1 || std::min(q1.x, q2.x) > ax2 || std::max(q1.y, q2.y) < ay1 ||
                std::min(q1.y, q2.y) > ay2)
                continue;
            const double rx = double(p2.x) - p1.x, ry = double(p2.y) - p1.y;
            const double sx = double(q2.x) - q1.x, sy = double(q2.y) - q1.y;
            const double qpx = double(q1.x) - p1.x, qpy = double(q1.y) - p1.y;
            const double d = Cross(rx, ry, sx, sy);
            if (d != 0.0) {
                const double t = Cross(qpx, qpy, sx, sy) / d;
                const double u = Cross(qpx, qpy, rx, ry) / d;
                if (t < 0.0 || t > 1.0 || u < 0.0 || u > 1.0)
                    continue;
                const MAP_COORDPT at{RoundCoordinate(p1.x + t * rx), RoundCoordinate(p1.y + t * ry)};
                onA.push_back({i, t, at});
                onB.push_back({j, u, at});
                continue;
            }
            if (Cross(qpx, qpy, rx, ry) != 0.0)
                continue; // parallel, apart
            // Collinear: the ends of each that lie on the other.
            for (MAP_COORDPT q : {q1, q2}) {
                const double t = along(p1, p2, q);
                if (t >= 0.0 && t <= 1.0) {
                    onA.push_back({i, t, q});
                    onB.push_back({j, along(q1, q2, q), q});
                }
            }
            for (MAP_COORDPT p : {p1, p2}) {
                const double u = along(q1, q2, p);
                if (u >= 0.0 && u <= 1.0) {
                    onB.push_back({j, u, p});
                    onA.push_back({i, along(p1, p2, p), p});
                }
            }
        }
    }
}

// The pieces of a line split at the points.
std::vector<std::vector<MAP_COORDPT>> SplitLine(const std::vector<MAP_COORDPT> &line,
                                                std::vector<Split> splits)
{
    std::sort(splits.begin(), splits.end(), [](const Split &a, const Split &b) {
        return a.segment != b.segment ? a.segment < b.segment : a.along < b.along;
    });
    std::vector<std::vector<MAP_COORDPT>> pieces;
    std::vector<MAP_COORDPT> current;
    auto addPoint = [&current](MAP_COORDPT p) {
        if (current.empty() || !Same(current.back(), p))
            current.push_back(p);
    };
    auto cut = [&](MAP_COORDPT p) {
        addPoint(p);
        if (current.size() >= 2)
            pieces.push_back(current);
        current.assign(1, p);
    };
    size_t s = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        addPoint(line[i]);
        for (; s < splits.size() && splits[s].segment == i; ++s)
            cut(splits[s].point);
    }
    if (current.size() >= 2)
        pieces.push_back(current);
    return pieces;
}

} // namespace

double CVector2D::Length() const { return std::hypot(x, y); }

double CVector2D::AngleTo(const CVector2D &other) const
{
    double d = x * other.x + y * other.y;
    double c = x * other.y - y * other.x;
    const double product = Length() * other.Length();
    if (product != 0.0) {
        d /= product;
        c /= product;
    }
    const double angle = d >= 1.0 ? 0.0 : std::acos(std::max(d, -1.0));
    return c < 0.0 ? -angle : angle;
}

void CPolylineObj::Reverse()
{
    std::reverse(points.begin(), points.end());
    std::swap(innerForward, innerBackward);
    std::swap(firstNode, lastNode);
    reversed = !reversed;
}

bool CPolylineList::Add(const std::vector<MAP_COORDPT> &points, OBJHANDLE source)
{
    if (points.size() < 2)
        return false;
    const uint64_t shape = HashPoints(points, false) ^ HashPoints(points, true);
    const auto range = byShape_.equal_range(shape);
    for (auto it = range.first; it != range.second; ++it) {
        const std::vector<MAP_COORDPT> &other = edges_[size_t(it->second)].points;
        if (other.size() != points.size())
            continue;
        if (std::equal(other.begin(), other.end(), points.begin(), Same) ||
            std::equal(other.begin(), other.end(), points.rbegin(), Same))
            return false;
    }
    CPolylineObj edge;
    edge.points = points;
    edge.source = source;
    edge.innerForward = InnerTurning(points);
    std::vector<MAP_COORDPT> reversed(points.rbegin(), points.rend());
    edge.innerBackward = InnerTurning(reversed);
    const int32_t index = int32_t(edges_.size());
    edge.firstNode = NodeOf(points.front());
    edge.lastNode = NodeOf(points.back());
    byNode_[size_t(edge.firstNode)].push_back(index);
    if (edge.lastNode != edge.firstNode)
        byNode_[size_t(edge.lastNode)].push_back(index);
    edges_.push_back(std::move(edge));
    byShape_.emplace(shape, index);
    return true;
}

int32_t CPolylineList::NodeOf(MAP_COORDPT p)
{
    const auto [it, added] = nodes_.emplace(KeyOf(p), int32_t(byNode_.size()));
    if (added)
        byNode_.emplace_back();
    return it->second;
}

int TraceFaces(CPolylineList &edges, const std::function<bool(const std::vector<MAP_COORDPT> &)> &accept,
               const std::function<void(size_t, size_t)> &progress)
{
    int faces = 0;
    size_t examined = 0;
    const size_t total = edges.size() * 2;
    RingTracer tracer(edges);
    for (int32_t pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < edges.size(); ++i) {
            if (progress)
                progress(++examined, total);
            if (edges[i].useCount != pass)
                continue;
            // Along a way a face already runs, a trace could only find that
            // face again, which the overlap test refuses: such a way is not
            // traced again.
            if (!edges[i].usedAsItLies() && TryRing(edges, tracer, int32_t(i), accept)) {
                ++faces;
                continue;
            }
            edges[i].Reverse();
            if (!edges[i].usedAsItLies() && TryRing(edges, tracer, int32_t(i), accept))
                ++faces;
        }
    }
    return faces;
}

std::vector<std::vector<MAP_COORDPT>> FindFaceRings(CPolylineList &edges)
{
    FaceSet faces;
    std::vector<std::vector<MAP_COORDPT>> out;
    TraceFaces(edges, [&](const std::vector<MAP_COORDPT> &ring) {
        if (faces.Overlaps(ring))
            return false;
        faces.Add(ring);
        out.push_back(ring);
        return true;
    });
    return out;
}

int FindRings(HWND window, CPolylineList &edges, CMapObjArr *result, int select, int progress)
{
    const MapDoc doc(window);
    if (!doc)
        return 0;
    const bool report = progress && edges.size() > 0;
    if (report) {
        SendProgress(window, MAPN_KIND_POLYGONS, MAPN_PROGRESS_START);
        SendProgress(window, MAPN_KIND_RUNNING, 0);
    }
    FaceSet faces;
    TraceFaces(
        edges,
        [&](const std::vector<MAP_COORDPT> &ring) {
            if (faces.Overlaps(ring))
                return false;
            OBJHANDLE h = 0;
            if (!map_polygon_Create(window, &h, ring.data(), int32_t(ring.size()), 0) || !h)
                return false;
            faces.Add(ring);
            if (select) {
                Undo_AddNew(doc.kernel, h);
                SetSelection(window, &h, 1, 1, 0);
            }
            if (result)
                result->Add(h);
            return true;
        },
        [&](size_t examined, size_t total) {
            if (report)
                SendProgress(window, MAPN_KIND_RUNNING, LPARAM(examined * 100 / total));
        });
    if (report)
        SendProgress(window, MAPN_KIND_RUNNING, MAPN_PROGRESS_END);
    return 1;
}

void ClosePolygons(HWND window)
{
    const MapDoc doc(window);
    if (!doc)
        return;
    WaitCursorScope wait;
    UndoStepScope step(window);
    MAP_COORDRECT before{};
    SelectionBounds(window, before);

    CPolylineList edges;
    for (OBJHANDLE h : SelectedObjects(window)) {
        if (doc.classOf(h) != CLASS_POLYLINE)
            continue;
        std::vector<MAP_COORDPT> points;
        ReadPoints(window, h, CLASS_POLYLINE, points);
        edges.Add(points, h);
    }
    const int position = Undo_GetPositionCurStep(doc.kernel);
    UndoRecordSelection(window);
    SetOfObjectsUnSelect(window, doc.root(CLASS_LAYERS));

    CMapObjArr made;
    FindRings(window, edges, &made, 1, 1);
    if (made.GetSize() == 0) {
        // Nothing closed: the selection comes back as it was, and no step.
        UndoDropRecordsSince(doc.kernel, position);
        return;
    }
    // Polylines used often enough go.
    const int limit = EngineSettingInt("Delete PolyLine After Polygon", 2);
    for (size_t i = 0; i < edges.size(); ++i) {
        const OBJHANDLE source = edges[i].source;
        if (edges[i].useCount < limit || !doc.is(source, CLASS_POLYLINE))
            continue;
        // A polyline alone in its group takes the group with it.
        int32_t pos = -1;
        const OBJHANDLE group = GetReference(doc.kernel, source, REF_GROUP_PARENT, &pos);
        int32_t probe = -1;
        const bool alone = doc.is(group, CLASS_GROUP) &&
                           GetReference(doc.kernel, group, REF_GROUP_MEMBER, &probe) == source &&
                           !GetReference(doc.kernel, group, REF_GROUP_MEMBER, &probe);
        Undo_DeleteTree(doc.kernel, alone ? group : source);
    }
    step.Close(kUndoConvertingToPolygons);
    InvalidateMapArea(window, before);
    MAP_COORDRECT after{};
    SelectionBounds(window, after);
    InvalidateMapArea(window, after);
}

void PolylineCutPolygon(HWND window, OBJHANDLE polygon, OBJHANDLE cutter, CMapObjArr *result, int select)
{
    const MapDoc doc(window);
    if (!doc.is(polygon, CLASS_POLYGON) || !doc.is(cutter, CLASS_POLYLINE))
        return;
    std::vector<MAP_COORDPT> outline, line;
    ReadPoints(window, polygon, CLASS_POLYGON, outline);
    ReadPoints(window, cutter, CLASS_POLYLINE, line);
    if (outline.size() < 3 || line.size() < 2)
        return;
    const std::vector<MAP_COORDPT> ring = outline;
    outline.push_back(outline.front());

    std::vector<Split> onLine, onOutline;
    FindSplits(line, outline, onLine, onOutline);
    CPolylineList edges;
    // The parts of the line inside the polygon, tested at their second
    // point, or between the two points of a single segment.
    for (const std::vector<MAP_COORDPT> &piece : SplitLine(line, onLine)) {
        MAP_COORDPT probe = piece[1];
        if (piece.size() < 3)
            probe = {int32_t((int64_t(piece[0].x) + piece[1].x) / 2),
                     int32_t((int64_t(piece[0].y) + piece[1].y) / 2)};
        if (PointRingContainsPoint(ring.data(), uint32_t(ring.size()), &probe))
            edges.Add(piece, 0);
    }
    for (const std::vector<MAP_COORDPT> &piece : SplitLine(outline, onOutline))
        edges.Add(piece, 0);
    FindRings(window, edges, result, select, 0);
}
