// Time of the buffer zones and of the polygon cut against GEOS on the same
// inputs. Buffers: 10^3 polylines of 10^3 vertices each, buffered by the
// default and the extended calculation and by GEOS with the same caps,
// joins and arc fineness. Two kinds of lines:
// - "winding": lines that meander about a main direction, as roads and
//   rivers do, and never cross themselves; their outline ring is simple,
//   and both calculations take it as the zone without the Boolean union;
// - "looping" (10^2 lines): the heading wanders freely, so every line
//   crosses itself and the zone needs the union of its ring's overlaps.
// Cut: a star polygon of 10^5 vertices cut by a zigzag polyline that
// crosses it 80 times; GEOS takes the polygon less a thin band around the
// line.
//
// Before a case is timed, its results are checked against GEOS's in the
// same run: every zone must be made, not empty, and have GEOS's area within
// kAreaTolerance; the cut's pieces must keep the area GEOS keeps within
// kCutAreaTolerance, and be about as many as GEOS's (kCutPiecesTolerance).
// A case that fails is reported as an error (bench/support/bench_check.h),
// gets no ratio in the table after the runs, and the program exits with 1.
// The table gives each case's time and GEOS's time over ours.
#include <benchmark/benchmark.h>
#include <geos_c.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/polygon/buffer/buffer_outline.h"
#include "bench/support/bench_check.h"
#include "engine/polygon/cutting/polygon_cut.h"

namespace {

using Line = std::vector<MAP_COORDPT>;

constexpr int kVertices = 1000;
constexpr int64_t kSize = 50;
constexpr int kCircleSegments = 8;
// A zone's area may differ from GEOS's by this share: both draw the arcs
// with 8 segments to the quarter turn, but not through the same points.
constexpr double kAreaTolerance = 0.002;
// The cut's pieces together cover the polygon less GEOS's band of half a
// unit along the line, within this share; their number is GEOS's within
// the second share (where the line grazes a corner of the star, the band
// cuts off a sliver that the cut leaves on its piece, or the other way).
constexpr double kCutAreaTolerance = 1e-4;
constexpr double kCutPiecesTolerance = 0.005;

std::vector<Line> MakeLines(int count, bool looping, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(-0.15, 0.15), turn(-0.35, 0.35), step(80, 240),
        start(-1e7, 1e7), heading(0, 2 * M_PI), pace(0.02, 0.12);
    std::vector<Line> out;
    for (int l = 0; l < count; ++l) {
        double x = start(random), y = start(random), a = heading(random);
        const double base = a;
        double phase = 0;
        Line line;
        for (int i = 0; i < kVertices; ++i) {
            line.push_back({int32_t(std::lround(x)), int32_t(std::lround(y))});
            if (looping) {
                a += turn(random);
            } else {
                // Within a right angle of the main direction: never back.
                phase += pace(random);
                a = base + std::sin(phase) + jitter(random);
            }
            const double d = step(random);
            x += d * std::cos(a);
            y += d * std::sin(a);
        }
        out.push_back(std::move(line));
    }
    return out;
}

const std::vector<Line> &Lines(bool looping)
{
    static const std::vector<Line> winding = MakeLines(1000, false, 11);
    static const std::vector<Line> loops = MakeLines(100, true, 12);
    return looping ? loops : winding;
}

struct Style {
    const char *name;
    int corners, endings;
    int geosCap, geosJoin;
};

const Style kStyles[] = {
    {"round", mc_CornerRounded, mc_EndingsRounded, GEOSBUF_CAP_ROUND, GEOSBUF_JOIN_ROUND},
    {"mitre-square", mc_CornerSharped, mc_EndingsSquared, GEOSBUF_CAP_SQUARE, GEOSBUF_JOIN_MITRE},
    {"mitre-flat", mc_CornerSharped, mc_EndingsNo, GEOSBUF_CAP_FLAT, GEOSBUF_JOIN_MITRE},
};

std::map<std::string, std::map<std::string, double>> g_times;

template <class F>
void Timed(benchmark::State &state, const std::string &name, const std::string &engine, F run)
{
    double total = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        run();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        ++runs;
    }
    g_times[name][engine] = runs ? total / double(runs) : 0;
}

BufferParameters Parameters(const Style &style)
{
    BufferParameters p;
    p.size = kSize;
    p.segments = kCircleSegments - 1;
    p.corners = style.corners;
    p.endings = style.endings;
    p.times = 15;
    return p;
}

GEOSGeometry *GeosLine(GEOSContextHandle_t ctx, const Line &line)
{
    GEOSCoordSequence *seq = GEOSCoordSeq_create_r(ctx, uint32_t(line.size()), 2);
    for (size_t i = 0; i < line.size(); ++i)
        GEOSCoordSeq_setXY_r(ctx, seq, uint32_t(i), line[i].x, line[i].y);
    return GEOSGeom_createLineString_r(ctx, seq);
}

GEOSGeometry *GeosZone(GEOSContextHandle_t ctx, const GEOSGeometry *line, const Style &style)
{
    return GEOSBufferWithStyle_r(ctx, line, double(kSize), kCircleSegments, style.geosCap, style.geosJoin,
                                 15.0);
}

// The area of a set of clockwise rings (holes hang on bridges), each ring
// summed from its first point for precision far from the origin.
double SetArea(const PlgOpResult *set)
{
    double area = 0;
    for (int32_t r = 0; r < set->numPolygons; ++r) {
        const PlgList *ring = set->points + set->polygons[r].firstPoint;
        const int32_t n = set->polygons[r].numPoints;
        double twice = 0;
        for (int32_t i = 1; i + 1 < n; ++i)
            twice += double(ring[i].x - ring[0].x) * double(ring[i + 1].y - ring[0].y) -
                     double(ring[i + 1].x - ring[0].x) * double(ring[i].y - ring[0].y);
        area -= twice / 2;
    }
    return area;
}

// GEOS's zone areas of the lines in a style, computed once.
const std::vector<double> &GeosAreas(const Style &style, bool looping)
{
    static std::map<std::pair<const Style *, bool>, std::vector<double>> cache;
    std::vector<double> &areas = cache[{&style, looping}];
    if (areas.empty()) {
        GEOSContextHandle_t ctx = GEOS_init_r();
        for (const Line &line : Lines(looping)) {
            GEOSGeometry *g = GeosLine(ctx, line);
            GEOSGeometry *zone = GeosZone(ctx, g, style);
            double area = 0;
            GEOSArea_r(ctx, zone, &area);
            areas.push_back(area);
            GEOSGeom_destroy_r(ctx, zone);
            GEOSGeom_destroy_r(ctx, g);
        }
        GEOS_finish_r(ctx);
    }
    return areas;
}

// Checks our zones of the lines against GEOS's under topic: every zone
// made, not empty and of GEOS's area within kAreaTolerance. The first wrong
// zone is described on stderr; the worst share goes to the counters.
bool CheckZones(benchmark::State &state, const std::string &topic, const Style &style, bool looping,
                int calculation)
{
    const BufferParameters p = Parameters(style);
    const std::vector<Line> &lines = Lines(looping);
    const std::vector<double> &reference = GeosAreas(style, looping);
    double worst = 0;
    int wrong = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const BufferResult r = calculation ? ExtendedBufferOutline(lines[i], false, p)
                                           : DefaultBufferOutline(lines[i], false, p);
        const double area = r.outcome == BufferOutcome::Made && r.set ? SetArea(r.set) : 0;
        DeletePlgOpResult(r.set);
        const double share = std::fabs(area - reference[i]) / reference[i];
        worst = std::max(worst, share);
        if (r.outcome == BufferOutcome::Made && area > 0 && share <= kAreaTolerance)
            continue;
        if (wrong++ == 0)
            std::fprintf(stderr, "%s: first wrong zone, line %zu: outcome %d, area %.0f, GEOS's %.0f\n",
                         topic.c_str(), i, int(r.outcome), area, reference[i]);
    }
    state.counters["worst_area_share"] = worst;
    char what[160];
    std::snprintf(what, sizeof what,
                  "wrong zones of %zu (not made, empty, or area off GEOS's by more than %.2f%%):",
                  lines.size(), kAreaTolerance * 100);
    return CheckResult(&state, topic, what, wrong, 0);
}

void OursBuffer(benchmark::State &state, const Style &style, bool looping, int calculation)
{
    const std::string name = std::string(looping ? "looping/" : "winding/") + style.name;
    const std::string engine = calculation ? "extended" : "default";
    // The check runs before the clock starts, on the same lines.
    if (!CheckZones(state, name + "/" + engine, style, looping, calculation))
        return;
    const BufferParameters p = Parameters(style);
    const std::vector<Line> &lines = Lines(looping);
    Timed(state, name, engine, [&] {
        for (const Line &line : lines) {
            const BufferResult r =
                calculation ? ExtendedBufferOutline(line, false, p) : DefaultBufferOutline(line, false, p);
            DeletePlgOpResult(r.set);
        }
    });
}

void GeosBuffer(benchmark::State &state, const Style &style, bool looping)
{
    GEOSContextHandle_t ctx = GEOS_init_r();
    std::vector<GEOSGeometry *> lines;
    for (const Line &line : Lines(looping))
        lines.push_back(GeosLine(ctx, line));
    Timed(state, std::string(looping ? "looping/" : "winding/") + style.name, "geos", [&] {
        for (GEOSGeometry *line : lines)
            GEOSGeom_destroy_r(ctx, GeosZone(ctx, line, style));
    });
    for (GEOSGeometry *line : lines)
        GEOSGeom_destroy_r(ctx, line);
    GEOS_finish_r(ctx);
}

// ------------------------------------------------------------------ cut

const PointRing &CutPolygon()
{
    static const PointRing ring = [] {
        std::mt19937 random(5);
        std::uniform_real_distribution<double> radius(800000, 1000000);
        PointRing out;
        const int n = 100000;
        for (int i = 0; i < n; ++i) {
            const double a = 2 * M_PI * i / n, r = radius(random);
            out.push_back({int32_t(std::lround(r * std::cos(a))), int32_t(std::lround(r * std::sin(a)))});
        }
        return out;
    }();
    return ring;
}

// A zigzag across the whole polygon: 40 legs from bottom to top and back.
const PointRing &Cutter()
{
    static const PointRing line = [] {
        PointRing out;
        for (int i = 0; i <= 40; ++i)
            out.push_back({-1100000 + i * 55000, (i % 2 ? 1100000 : -1100000)});
        return out;
    }();
    return line;
}

// GEOS's polygon less a band of half a unit around the line.
GEOSGeometry *GeosCutResult(GEOSContextHandle_t ctx, const GEOSGeometry *polygon, const GEOSGeometry *line)
{
    GEOSGeometry *band = GEOSBufferWithStyle_r(ctx, line, 0.5, 1, GEOSBUF_CAP_FLAT, GEOSBUF_JOIN_MITRE, 5);
    GEOSGeometry *cut = GEOSDifference_r(ctx, polygon, band);
    GEOSGeom_destroy_r(ctx, band);
    return cut;
}

GEOSGeometry *GeosPolygon(GEOSContextHandle_t ctx, const PointRing &ring)
{
    GEOSCoordSequence *seq = GEOSCoordSeq_create_r(ctx, uint32_t(ring.size() + 1), 2);
    for (size_t i = 0; i <= ring.size(); ++i)
        GEOSCoordSeq_setXY_r(ctx, seq, uint32_t(i), ring[i % ring.size()].x, ring[i % ring.size()].y);
    return GEOSGeom_createPolygon_r(ctx, GEOSGeom_createLinearRing_r(ctx, seq), nullptr, 0);
}

// Checks our cut against GEOS's under topic: the number of pieces and
// together the area GEOS keeps, within the tolerances.
bool CheckCut(benchmark::State &state, const std::string &topic)
{
    const std::vector<PointRing> pieces = SplitRingByPolyline(CutPolygon(), Cutter());
    double area = 0;
    for (const PointRing &piece : pieces) {
        double twice = 0;
        for (size_t i = 1; i + 1 < piece.size(); ++i)
            twice += double(piece[i].x - piece[0].x) * double(piece[i + 1].y - piece[0].y) -
                     double(piece[i + 1].x - piece[0].x) * double(piece[i].y - piece[0].y);
        area += std::fabs(twice) / 2;
    }
    GEOSContextHandle_t ctx = GEOS_init_r();
    GEOSGeometry *polygon = GeosPolygon(ctx, CutPolygon());
    GEOSGeometry *line = GeosLine(ctx, Cutter());
    GEOSGeometry *cut = GeosCutResult(ctx, polygon, line);
    const int expectedPieces = GEOSGetNumGeometries_r(ctx, cut);
    double expectedArea = 0;
    GEOSArea_r(ctx, cut, &expectedArea);
    GEOSGeom_destroy_r(ctx, cut);
    GEOSGeom_destroy_r(ctx, line);
    GEOSGeom_destroy_r(ctx, polygon);
    GEOS_finish_r(ctx);
    const bool piecesMatch =
        CheckResult(&state, topic, "pieces", double(pieces.size()), expectedPieces, {0, kCutPiecesTolerance});
    return CheckResult(&state, topic, "area", area, expectedArea, {0, kCutAreaTolerance}) && piecesMatch;
}

void OursCut(benchmark::State &state)
{
    if (!CheckCut(state, "cut/100000/default"))
        return;
    size_t pieces = 0;
    Timed(state, "cut/100000", "default",
          [&] { pieces = SplitRingByPolyline(CutPolygon(), Cutter()).size(); });
    state.counters["pieces"] = double(pieces);
}

void GeosCut(benchmark::State &state)
{
    GEOSContextHandle_t ctx = GEOS_init_r();
    GEOSGeometry *polygon = GeosPolygon(ctx, CutPolygon());
    GEOSGeometry *line = GeosLine(ctx, Cutter());
    int pieces = 0;
    Timed(state, "cut/100000", "geos", [&] {
        GEOSGeometry *cut = GeosCutResult(ctx, polygon, line);
        pieces = GEOSGetNumGeometries_r(ctx, cut);
        GEOSGeom_destroy_r(ctx, cut);
    });
    state.counters["pieces"] = pieces;
    GEOSGeom_destroy_r(ctx, line);
    GEOSGeom_destroy_r(ctx, polygon);
    GEOS_finish_r(ctx);
}

} // namespace

int main(int argc, char **argv)
{
    for (bool looping : {false, true})
        for (const Style &style : kStyles) {
            const std::string name = std::string(looping ? "looping/" : "winding/") + style.name;
            benchmark::RegisterBenchmark(
                (name + "/default").c_str(),
                [&style, looping](benchmark::State &s) { OursBuffer(s, style, looping, 0); })
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1);
            benchmark::RegisterBenchmark(
                (name + "/extended").c_str(),
                [&style, looping](benchmark::State &s) { OursBuffer(s, style, looping, 1); })
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1);
            benchmark::RegisterBenchmark(
                (name + "/geos").c_str(),
                [&style, looping](benchmark::State &s) { GeosBuffer(s, style, looping); })
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1);
        }
    benchmark::RegisterBenchmark("cut/100000/ours", OursCut)->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("cut/100000/geos", GeosCut)->Unit(benchmark::kMillisecond)->Iterations(1);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf(
        "\nResults checked against GEOS before timing: every zone made, not empty and its area within "
        "%.2f%% of GEOS's; the cut's pieces within %.1f%% of GEOS's number, their area within %.3f%%.\n",
        kAreaTolerance * 100, kCutPiecesTolerance * 100, kCutAreaTolerance * 100);
    std::printf("\n%-24s %12s %12s %12s %14s %14s\n", "case", "default ms", "extended ms", "geos ms",
                "geos/default", "geos/extended");
    for (const auto &[name, times] : g_times) {
        auto time = [&](const char *engine) {
            auto it = times.find(engine);
            return it == times.end() ? 0.0 : it->second;
        };
        // A ratio only for a result that matched GEOS's.
        const auto ratio = [&](const char *engine) {
            const double ours = time(engine), geos = time("geos");
            char text[32];
            if (!ResultsMatched({name + "/" + engine}) || ours <= 0 || geos <= 0)
                std::snprintf(text, sizeof text, "-");
            else
                std::snprintf(text, sizeof text, "%.2f", geos / ours);
            return std::string(text);
        };
        std::printf("%-24s %12.1f %12.1f %12.1f %14s %14s\n", name.c_str(), time("default") * 1e3,
                    time("extended") * 1e3, time("geos") * 1e3, ratio("default").c_str(),
                    ratio("extended").c_str());
    }
    return ResultCheckStatus();
}
