// Window-level functions of raster objects: make a raster from an image
// file in the active layer, placed by a given size, by a resolution in dots
// per inch at a scale 1:N, or by the georeference the converter reads from
// a world file; change its placement, scale and switches; read a new image
// into it. Sizes and resolutions convert through ResOrDim and SclFromResDim
// in the map unit of the window's screen view.
//
// File and format names that do not fit the raster's fields (127 and 39
// characters) are refused, never cut. A format names its converter module
// by a plain name found in the modules folder.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

// A size or position argument that is not given.
inline constexpr int32_t RASTER_NOT_GIVEN = 0x7FFFFFFF;

// Reads the image (its pixels only when imageVisible is set) and makes the
// raster: the size from the resolutions (dots per inch at the scale) when
// given, else fitted into the page with the image's aspect from what is
// given; placed at (x, y), by default the page's lower left corner. scale 0
// takes the page's. *raster receives the handle. 1. Raises DispatchException
// 1050 (an image that cannot be read, a name too long: the reason follows
// the fixed text) or 1051 (both a size and a resolution for one side),
// before anything is made.
int map_raster_Create(HWND window, OBJHANDLE *raster, const char *file, const char *format, int32_t x,
                      int32_t y, int32_t width, int32_t height, uint32_t scale, double xResolution,
                      double yResolution, int frameVisible, int imageVisible, int clipping);

// Reads the image (its georeference too with useGeoreference) and makes the
// raster: placed by the world file's corner and pixel size when there is
// one, else sized from the image's dots per inch (200 when it has none) at
// the scale and placed at (x, y) with the given size when either is given,
// else centred on the page. 1; 0, with nothing made, when the image cannot
// be read (RasterConverterLastError tells why) or a name is too long.
int map_RasterCreate(HWND window, OBJHANDLE *raster, const char *file, const char *format, int32_t x,
                     int32_t y, int32_t width, int32_t height, int frameVisible, int imageVisible,
                     int clipping, uint32_t scale, int useGeoreference);

// A raster without an image: at (x, y) with the size given, else centred on
// the page. 1; 0 for a name too long or no active layer.
int map_RasterCreate2(HWND window, OBJHANDLE *raster, const char *file, const char *format, int32_t x,
                      int32_t y, int32_t width, int32_t height, int frameVisible, int imageVisible,
                      int clipping, uint32_t scale, int unused);

// Moves the raster to (x, y) and changes its size, scale, resolutions,
// switches and image. 1; 0 for a raster without a loaded image. Invalid
// values raise DispatchException 1052 with every message collected, the
// raster as it was; names too long raise 1050.
int Raster_Set(HWND window, OBJHANDLE raster, const char *file, const char *format, int32_t x, int32_t y,
               int32_t height, int32_t width, int32_t scale, double xResolution, double yResolution,
               int frameVisible, int imageVisible, int clipping);

// Reads the file through the module "<format>.cnv" of the modules folder
// and gives the image and the names to the raster. The converter's result
// (1); 0, the raster unchanged, when the module, its entry or the image is
// missing or a name is too long.
int Raster_Set_New_Filename(HWND window, OBJHANDLE raster, const char *file, const char *format);
