// Vector pictures ("enhanced metafiles") as SVG documents.
//
// CreateEnhMetaFileA gives a picture context: a raster context (dc.h) whose
// drawing is recorded at the resolution of a reference device over the
// picture's frame, on a transparent background. CloseEnhMetaFile turns the
// recording into an SVG document (QSvgGenerator) whose size is the frame in
// millimetres (a frame given in 0.01 mm: 10000 becomes "100mm"), whose view
// box is the frame in 0.01 mm, and whose title and description are the two
// strings of the picture's description; the recording fills the frame.
//
// A closed picture is a movable global memory block (global_memory.h)
// holding the SVG document's bytes: the form the clipboard carries under
// CF_ENHMETAFILE.
//
// The picture context answers GetDeviceCaps with the reference device's
// size in millimetres (HORZSIZE, VERTSIZE) and the resolution it records
// at (HORZRES, VERTRES, LOGPIXELSX, LOGPIXELSY): the reference device's,
// unless the frame at that resolution would pass the device's bitmap limit
// (device_limit.h) or 16 M pixels, in which case both axes are scaled down
// alike until it fits. TECHNOLOGY answers DT_METAFILE. Its logical mapping (map_mode.h) is
// kept as set: the caller draws at LPtoDP of its logical coordinates.
#pragma once

#include "platform/types.h"

#include <cstddef>

using HENHMETAFILE = HGLOBAL;

inline constexpr int DT_METAFILE = 5;

// reference: the device whose resolution the picture records at (0: the
// screen). fileName: where CloseEnhMetaFile also writes the document, or
// null. frame: the picture's rectangle in 0.01 mm (null: the reference
// device's whole surface). description: null, or "application\0picture\0\0".
// 0 for an empty or inverted frame or when the recording cannot be made.
HDC CreateEnhMetaFileA(HDC reference, const char *fileName, const RECT *frame, const char *description);
// Ends the recording and deletes the context; the picture, or 0 for a
// context that is no picture context or a file that cannot be written.
HENHMETAFILE CloseEnhMetaFile(HDC dc);
// Copies at most size bytes of the document into buffer; with a null buffer
// the document's size. 0 for a bad handle.
UINT GetEnhMetaFileBits(HENHMETAFILE picture, UINT size, BYTE *buffer);
BOOL DeleteEnhMetaFile(HENHMETAFILE picture);
