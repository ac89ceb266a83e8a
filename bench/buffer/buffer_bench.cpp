// Time of the buffer zones and of the polygon cut against GEOS on the same
// inputs. Buffers: 10^3 polylines of 10^3 vertices each, buffered by the
// default and the extended calculation and by GEOS with the same caps,
// joins and arc fineness. Two kinds of lines:
// - "winding": lines that meander about a main direction, as roads and
//   rivers do, and never cross themselves; their outline ring is simple,
//   and both calculations take it as the zone without the Boolean union;
// - "looping" (10^2 lines): the heading wanders freely, so every line
//   crosses itself and the zone needs the union of the Boolean engine.
// Cut: a star polygon of 10^5 vertices cut by a zigzag polyline that
// crosses it 80 times; GEOS takes the polygon less a thin band around the
// line. After the runs a table gives each case's time and GEOS's time over
// ours.
#include <benchmark/benchmark.h>
#include <geos_c.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/polygon/buffer/buffer_outline.h"
#include "engine/polygon/cutting/polygon_cut.h"

namespace {

using Line = std::vector<MAP_COORDPT>;

constexpr int kVertices = 1000;
constexpr int64_t kSize = 50;
constexpr int kCircleSegments = 8;

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

void OursBuffer(benchmark::State &state, const Style &style, bool looping, int calculation)
{
    BufferParameters p;
    p.size = kSize;
    p.segments = kCircleSegments - 1;
    p.corners = style.corners;
    p.endings = style.endings;
    p.times = 15;
    int failures = 0;
    // The lines are made before the clock starts.
    const std::vector<Line> &lines = Lines(looping);
    Timed(state, std::string(looping ? "looping/" : "winding/") + style.name,
          calculation ? "extended" : "default", [&] {
              for (const Line &line : lines) {
                  const BufferResult r = calculation ? ExtendedBufferOutline(line, false, p)
                                                     : DefaultBufferOutline(line, false, p);
                  failures += r.outcome != BufferOutcome::Made;
                  DeletePlgOpResult(r.set);
              }
          });
    state.counters["failures"] = failures;
}

GEOSGeometry *GeosLine(GEOSContextHandle_t ctx, const Line &line)
{
    GEOSCoordSequence *seq = GEOSCoordSeq_create_r(ctx, uint32_t(line.size()), 2);
    for (size_t i = 0; i < line.size(); ++i)
        GEOSCoordSeq_setXY_r(ctx, seq, uint32_t(i), line[i].x, line[i].y);
    return GEOSGeom_createLineString_r(ctx, seq);
}

void GeosBuffer(benchmark::State &state, const Style &style, bool looping)
{
    GEOSContextHandle_t ctx = GEOS_init_r();
    std::vector<GEOSGeometry *> lines;
    for (const Line &line : Lines(looping))
        lines.push_back(GeosLine(ctx, line));
    Timed(state, std::string(looping ? "looping/" : "winding/") + style.name, "geos", [&] {
        for (GEOSGeometry *line : lines)
            GEOSGeom_destroy_r(ctx, GEOSBufferWithStyle_r(ctx, line, double(kSize), kCircleSegments,
                                                          style.geosCap, style.geosJoin, 15.0));
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

void OursCut(benchmark::State &state)
{
    size_t pieces = 0;
    Timed(state, "cut/100000", "default",
          [&] { pieces = SplitRingByPolyline(CutPolygon(), Cutter()).size(); });
    state.counters["pieces"] = double(pieces);
}

void GeosCut(benchmark::State &state)
{
    GEOSContextHandle_t ctx = GEOS_init_r();
    const PointRing &ring = CutPolygon();
    GEOSCoordSequence *seq = GEOSCoordSeq_create_r(ctx, uint32_t(ring.size() + 1), 2);
    for (size_t i = 0; i <= ring.size(); ++i)
        GEOSCoordSeq_setXY_r(ctx, seq, uint32_t(i), ring[i % ring.size()].x, ring[i % ring.size()].y);
    GEOSGeometry *polygon = GEOSGeom_createPolygon_r(ctx, GEOSGeom_createLinearRing_r(ctx, seq), nullptr, 0);
    GEOSGeometry *line = GeosLine(ctx, Cutter());
    int pieces = 0;
    Timed(state, "cut/100000", "geos", [&] {
        // The polygon less a band of half a unit around the line.
        GEOSGeometry *band =
            GEOSBufferWithStyle_r(ctx, line, 0.5, 1, GEOSBUF_CAP_FLAT, GEOSBUF_JOIN_MITRE, 5);
        GEOSGeometry *cut = GEOSDifference_r(ctx, polygon, band);
        pieces = GEOSGetNumGeometries_r(ctx, cut);
        GEOSGeom_destroy_r(ctx, cut);
        GEOSGeom_destroy_r(ctx, band);
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

    std::printf("\n%-24s %12s %12s %12s %14s %14s\n", "case", "default ms", "extended ms", "geos ms",
                "geos/default", "geos/extended");
    for (const auto &[name, times] : g_times) {
        auto time = [&](const char *engine) {
            auto it = times.find(engine);
            return it == times.end() ? 0.0 : it->second;
        };
        const double d = time("default"), e = time("extended"), g = time("geos");
        std::printf("%-24s %12.1f %12.1f %12.1f %14.2f %14.2f\n", name.c_str(), d * 1e3, e * 1e3, g * 1e3,
                    d ? g / d : 0.0, e ? g / e : 0.0);
    }
    return 0;
}
