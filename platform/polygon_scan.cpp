#include "platform/polygon_scan.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace gdi {

namespace {

struct Edge {
    int64_t ylo, yhi; // rows ylo <= y < yhi cross the edge
    double x0, slope; // x at row ylo, and its change per row
    int dir;          // +1 downwards, -1 upwards
};

} // namespace

void ScanPolygon(const POINT *points, int count, int fillMode, int width, int height,
                 const std::function<void(int y, int xa, int xb)> &span)
{
    if (!points || count < 3 || width <= 0 || height <= 0)
        return;
    std::vector<Edge> edges;
    edges.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const POINT &a = points[i], &b = points[(i + 1) % count];
        if (a.y == b.y)
            continue;
        const bool down = a.y < b.y;
        const POINT &top = down ? a : b, &bottom = down ? b : a;
        const double slope = (double(bottom.x) - top.x) / (double(bottom.y) - top.y);
        edges.push_back({top.y, bottom.y, double(top.x), slope, down ? 1 : -1});
    }
    if (edges.empty())
        return;
    std::sort(edges.begin(), edges.end(), [](const Edge &l, const Edge &r) { return l.ylo < r.ylo; });
    int64_t first = edges.front().ylo, last = first;
    for (const Edge &e : edges)
        last = std::max(last, e.yhi);
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, height);

    struct Crossing {
        double x;
        int dir;
    };
    std::vector<const Edge *> active;
    std::vector<Crossing> xs;
    size_t next = 0;
    for (int64_t y = first; y < last; ++y) {
        while (next < edges.size() && edges[next].ylo <= y) {
            active.push_back(&edges[next]);
            ++next;
        }
        active.erase(std::remove_if(active.begin(), active.end(), [y](const Edge *e) { return e->yhi <= y; }),
                     active.end());
        xs.clear();
        for (const Edge *e : active)
            xs.push_back({e->x0 + double(y - e->ylo) * e->slope, e->dir});
        std::sort(xs.begin(), xs.end(), [](const Crossing &l, const Crossing &r) { return l.x < r.x; });
        const auto emit = [&](double from, double to) {
            const int64_t xa = int64_t(std::clamp(std::ceil(from), 0.0, double(width)));
            const int64_t xb = int64_t(std::clamp(std::ceil(to), 0.0, double(width)));
            if (xa < xb)
                span(int(y), int(xa), int(xb));
        };
        if (fillMode == WINDING) {
            int wind = 0;
            for (size_t k = 0; k + 1 < xs.size(); ++k) {
                wind += xs[k].dir;
                if (wind != 0)
                    emit(xs[k].x, xs[k + 1].x);
            }
        } else {
            for (size_t k = 0; k + 1 < xs.size(); k += 2)
                emit(xs[k].x, xs[k + 1].x);
        }
    }
}

} // namespace gdi
