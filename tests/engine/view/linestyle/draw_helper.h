#pragma once

#include "tests/support/canvas.h"
#include "engine/view/linestyle/line_style.h"

#include <vector>

// Draws one figure with a fresh context and answers the picture as text.
inline std::string DrawFigure(int style, int width, int flags, const std::vector<POINT> &pts, int w, int h,
                              bool polygon = false)
{
    Canvas c(w, h);
    LineStyleContext ctx;
    LineStyleContextInit(&ctx, style, c.dc, 0, width, flags);
    if (polygon)
        LineStyleDrawPolygon(&ctx, 0, pts.data(), int(pts.size()), c.dc);
    else
        LineStyleDrawPolyline(&ctx, pts.data(), int(pts.size()), c.dc);
    LineStyleContextRelease(&ctx);
    return c.Art();
}

// The runs of set and clear pixels along one row, from its first set pixel.
inline std::vector<int> RowRuns(const std::string &art, int row)
{
    size_t start = 0;
    for (int r = 0; r < row; ++r)
        start = art.find('\n', start) + 1;
    const std::string line = art.substr(start, art.find('\n', start) - start);
    std::vector<int> runs;
    size_t i = line.find('#');
    while (i != std::string::npos && i < line.size()) {
        const char ch = line[i];
        size_t j = i;
        while (j < line.size() && line[j] == ch)
            ++j;
        runs.push_back(int(j - i));
        i = j;
    }
    return runs;
}
