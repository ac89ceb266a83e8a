// Chain selection of polylines end to end. The selection list holds the
// chain in order, its selected point is the chain's free end, and its last
// deselected object is the candidate taken back last, so that repeated
// add and remove steps cycle through the polylines meeting at the free end.
#pragma once

#include "platform/types.h"

// Appends a polyline with an end at the free end; the free end moves to the
// new polyline's far end.
void AddPolylineToQueue(HWND window);
// Appends the polyline of the last one's layer whose nearer end lies nearest
// to the free end; the free end stays.
void AddNearestPolylineToQueue(HWND window);
// Takes the last polyline of the chain back.
void RemovePolylineFromQueue(HWND window);
