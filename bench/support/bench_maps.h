// Maps for the benchmarks: a map window on a headless window whose display
// view shows a given part of the map, and layers and objects written
// straight into its kernel.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/object_store.h"
#include "engine/window/wndres.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// The one T of the process, made on first use and never destroyed: the
// engine's tables are gone by the time static objects are destroyed.
template <class T>
T &KeptForTheProcess()
{
    static T *kept = new T;
    return *kept;
}

// How a layer draws its objects.
struct BenchLayerLook {
    COLORREF line;
    int style, width;
    uint32_t fill;        // LAYER_NO_FILL, colour, or colour with hatch index + 1 on top
    int transparency = 0; // percent
};

// Starts the engine with fresh class tables and attaches rec to a new
// headless window of width x height pixels; attachFlags go to
// WndRes_AttachToWindow. Returns the window.
HWND OpenBenchMapWindow(_WNDRES *rec, int width, int height, int attachFlags);

// Makes rec's display view show world across width x height pixels (scale
// from the widths) and sizes the vertex bitmap to match.
void ShowBenchWorld(_WNDRES *rec, const MAP_COORDRECT &world, int width, int height);

// The layers of a benchmark's map: one for each look of lines, then one for
// each look of areas, numbered 1, 2, ... in that order.
struct BenchLayers {
    std::vector<OBJHANDLE> lines, areas;
};
BenchLayers AddBenchLayers(_WNDRES *rec, std::span<const BenchLayerLook> lineLooks,
                           std::span<const BenchLayerLook> areaLooks);

// An object of class cls (CLASS_POLYLINE, CLASS_POLYGON) with the points, its
// bounds set, on layer.
OBJHANDLE AddBenchObject(OBJectKernel *kernel, uint16_t cls, std::vector<MAP_COORDPT> &points,
                         OBJHANDLE layer);

// Replaces points with start and the given number of random steps from it.
void RandomWalk(std::vector<MAP_COORDPT> &points, MAP_COORDPT start, int steps,
                const std::function<int()> &step);

// Replaces points with the corners of a ring of the given radius about
// (cx, cy); radiusFactor, when given, scales the radius of each coordinate
// in turn (x then y of each corner).
void RingAround(std::vector<MAP_COORDPT> &points, int cx, int cy, int radius, int corners,
                const std::function<double()> &radiusFactor = {});
