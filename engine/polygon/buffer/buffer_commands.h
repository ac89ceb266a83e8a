// Buffer zones around the selected polygons, polylines and texts of a map
// window: new polygons in the active layer, selected, recorded as one undo
// step "Buffering". The buffered objects stay as they were.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "engine/polygon/buffer/buffer_outline.h"
#include "platform/types.h"

#include <cstdint>

// Undo step code of a buffer run ("Buffering").
inline constexpr uint16_t UNDO_CODE_BUFFERING = 216;

// The largest circle segment count a run accepts (the dialog's range).
inline constexpr int32_t kBufferMaxCircleSegments = 1000;

extern "C" {

// Buffers the selection with the parameters given (the size, circle
// segments, EndingsType, CornersType, BufferingType, mitre limit factor and
// CalculationType). A negative size buffers polygons inward. 1 when it ran;
// 0 for a size of 0, circle segments outside 1 to 1000, a parameter outside
// its enumeration, nothing to buffer or an inner buffer without a selected
// polygon (the selection is taken away in that last case).
int map_create_buffer2(HWND window, int32_t size, int32_t segments, int32_t endings, int32_t corners,
                       int32_t type, int32_t parallelLength, int32_t calculation);
// Asks for the parameters in the Buffering dialog, then buffers the
// selection. 1 when a run was made.
int map_create_buffer(HWND window);
// The same for the first selected object only, which must be a polygon or
// a polyline.
int map_create_buffer_single(HWND window);

} // extern "C"

// One polygon or polyline buffered into new selected polygons of the active
// layer, with the progress notifications of one object. Skipped quietly
// when the object is of another class, cannot be read or has too few
// distinct points. The outcome of the outline.
BufferOutcome BufferObject(HWND window, OBJHANDLE object, const BufferParameters &parameters,
                           int calculation);
