// Raster objects (class BitMap): an image file placed on the map by a
// rectangle in map units. The image is read through an outside converter
// module when the raster is first drawn and kept in the kernel's image table
// (engine/kernel/raster_images.h); a per-window cache bounds how many stay
// loaded. A raster whose format name begins with "WMS" shows a picture
// fetched for the current view instead of a file.
#pragma once

#include "engine/kernel/graph_services.h" // Z_BOUNDS
#include "engine/kernel/kernel_types.h"
#include "engine/kernel/coords.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct GraphDispl;
struct PresentationManager;
struct _WNDRES;

// ---------------------------------------------------------------------------
// The fixed data of a BitMap, stored byte for byte in the map file (the two
// image ids are written as 0). It may lie misaligned inside its block: read
// and write it through RasterRecordLoad and RasterRecordStore.
struct RasterObjectData {
    _COORDRECT bound; // graphical head: the placement, map units
    uint16_t graphFlags;
    uint16_t zero;
    _COORDPT selected;
    uint32_t heightFlags; // bit 0: the raster carries a height
    Z_BOUNDS heightRange;
    int32_t height;
    uint32_t pixelsId; // image table ids (raster_images.h); 0 not loaded
    uint32_t headerId;
    int32_t frameVisible; // 1: the frame is drawn
    int32_t imageVisible; // 1: the image is drawn
    int32_t clippingMode;
    uint8_t reserved64[8];
    char fileName[128];  // full path; for "WMS" the converter's request text
    char formatName[40]; // the converter's registered name: "TIFF", "PNG"...
    int32_t scale;       // N of 1:N for which the resolution is stated
    uint8_t reserved244[36];
};
static_assert(sizeof(RasterObjectData) == 280);
static_assert(offsetof(RasterObjectData, graphFlags) == 16 && offsetof(RasterObjectData, selected) == 20 &&
              offsetof(RasterObjectData, heightFlags) == 28 &&
              offsetof(RasterObjectData, heightRange) == 32 && offsetof(RasterObjectData, height) == 40 &&
              offsetof(RasterObjectData, pixelsId) == 44 && offsetof(RasterObjectData, headerId) == 48 &&
              offsetof(RasterObjectData, frameVisible) == 52 &&
              offsetof(RasterObjectData, imageVisible) == 56 &&
              offsetof(RasterObjectData, clippingMode) == 60 &&
              offsetof(RasterObjectData, reserved64) == 64 && offsetof(RasterObjectData, fileName) == 72 &&
              offsetof(RasterObjectData, formatName) == 200 && offsetof(RasterObjectData, scale) == 240 &&
              offsetof(RasterObjectData, reserved244) == 244);

inline constexpr uint32_t RASTER_FIXED_SIZE = sizeof(RasterObjectData);
// The longest names the fields keep with their terminating zero.
inline constexpr size_t RASTER_FILE_NAME_MAX = sizeof(RasterObjectData::fileName) - 1;
inline constexpr size_t RASTER_FORMAT_NAME_MAX = sizeof(RasterObjectData::formatName) - 1;
inline constexpr int32_t RASTER_DEFAULT_SCALE = 10000;

// Drawing mode bits the display reads.
inline constexpr uint16_t RASTER_MODE_FRAME_PASS = 0x8000; // added by the drawing loop
inline constexpr uint16_t RASTER_MODE_FRAME = 0x2000;      // draw the frame
inline constexpr uint16_t RASTER_MODE_ERASE = 0x0800;      // frame in the window colour
inline constexpr uint16_t RASTER_MODE_VERTICES = 0x0004;
inline constexpr uint16_t RASTER_MODE_UNSET_VERTICES = 0x0020;
inline constexpr uint16_t RASTER_MODE_SELECTED = 0x0060;
inline constexpr uint16_t RASTER_MODE_MARKS = 0x0208;
inline constexpr uint16_t RASTER_MODE_MARKS_TOO = 0x0010;

inline RasterObjectData RasterRecordLoad(const char *record)
{
    return LoadField<RasterObjectData>(record, 0);
}
inline void RasterRecordStore(char *record, const RasterObjectData &data) { StoreField(record, 0, data); }

// The fixed data of a BitMap; null for a bad handle or another class.
char *RasterObjectLock(OBJectKernel *kernel, OBJHANDLE raster);

// The raster's image blocks (0 when not loaded).
HGLOBAL RasterObjectHeaderBlock(OBJectKernel *kernel, OBJHANDLE raster);
HGLOBAL RasterObjectPixelBlock(OBJectKernel *kernel, OBJHANDLE raster);
// Hands new blocks (either may be 0) to the raster in place of its images,
// which it lets go. The blocks belong to the kernel afterwards. 0 for a bad
// handle (the blocks are freed).
int RasterObjectSetImages(OBJectKernel *kernel, OBJHANDLE raster, HGLOBAL header, HGLOBAL pixels);
// Lets both images go.
void RasterObjectFreeImages(OBJectKernel *kernel, OBJHANDLE raster);
// Width and height of the loaded image in pixels; false without a header.
bool RasterObjectPixelSize(OBJectKernel *kernel, OBJHANDLE raster, int32_t *width, int32_t *height);

// Stores the file and format names. Names that do not fit their fields
// (RASTER_FILE_NAME_MAX, RASTER_FORMAT_NAME_MAX) are refused, never cut:
// 0 with nothing changed.
int RasterObjectSetNames(OBJectKernel *kernel, OBJHANDLE raster, const char *file, const char *format);
// True when both names fit their fields.
bool RasterNamesFit(const char *file, const char *format);

// ---------------------------------------------------------------------------
// Class procedure
LRESULT BitMapProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t subCode,
                   uint16_t message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------
// Converter modules

// The fourth argument of a converter's GormRasterBody: eleven doubles. For a
// WMS request the display fills d3, d4 (west, south), d6, d7 (east, north)
// in degrees and d9, d10 (picture width and height in pixels). A file
// converter gives d0, d1 (map units per pixel across and down), d3, d4 and
// d6, d7 (lower-right and upper-left corners) and d9, d10 (dots per inch).
struct RasterBodyParams {
    double d[11];
};
static_assert(sizeof(RasterBodyParams) == 88);

// The georeference record as the creating functions hand it over: d0, d1
// and d2 zero, the rest the largest double.
RasterBodyParams RasterFreshParams();

// The folder converter modules are loaded from, with a trailing "/".
std::string RasterModulesFolder();
// The full path of the converter of a format: the third field of the value
// named after the format under "Converters\Imports" (fields split at ",",
// "|" or ";"), else the built-in name of "TIFF", "JPG", "GIF", "PNG",
// "WMS" (exact case) or "DIB"; the module name must be a plain file name
// and is found in the modules folder ignoring case. Empty, with the reason
// in RasterConverterLastError, when there is none.
std::string RasterConverterPath(const char *format);
// Reads the file through the format's converter: 1 with the slots given
// filled (each a block the caller owns; a header without pixels or pixels
// without a header, and blocks that do not hold the image their header
// describes, count as a failure and are freed), else 0 with the slots
// untouched and the reason in RasterConverterLastError.
int RasterImportByConverter(const char *file, const char *format, HGLOBAL *header, HGLOBAL *pixels,
                            RasterBodyParams *params);
// The full path of the module of that plain file name in the modules folder,
// found ignoring case; empty (with the reason kept) when there is none.
std::string RasterModuleInFolder(const std::string &module);
// RasterImportByConverter through the module at the full path.
int RasterImportByModule(const std::string &path, const char *file, HGLOBAL *header, HGLOBAL *pixels,
                         RasterBodyParams *params);
// Why the last conversion on this thread failed; empty after a success.
std::string RasterConverterLastError();

// ---------------------------------------------------------------------------
// Drawing and the raster cache

// Draws the raster into the window's screen view, loading its image first
// when the rules say so. offScreen: a copy or an exported picture (the
// whole raster is wanted). 1; -1 when the working copy of the header cannot
// be had.
int RasterObjectDisplay(int offScreen, HWND window, HDC dc, OBJHANDLE raster, uint16_t mode,
                        GraphDispl *attributes);
// The frame (with a cross when the image is missing), the vertex bits of
// the corners and the selection marks, as the mode asks. 1.
int RasterObjectDrawFrame(HWND window, HDC dc, OBJHANDLE raster, uint16_t mode, const GraphDispl *attributes);

// Lets images go: n < 0 those of rasters outside the view, n >= 1 until at
// most n rasters hold one, n = 0 all. Returns the number of rasters freed.
int ResetRasters(HWND window, int n);
// Sets the cache mode (0 off). 1; 0 without a record.
int RastersManagement(_WNDRES *record, int mode);
// Counts the rasters of the window's layers that hold an image, keeps the
// count in the window record and returns it. Loads and the cache refresh the
// record's count; deletions and other changes show at the next count.
int RasterLoadedCount(HWND window);

// ---------------------------------------------------------------------------
// Measures

// K x ((pixels / value) x scale) / divisor, K = the unit's factor x 0.0254
// for metric and imperial units, else 0.0254; 0 for an unknown unit. With a
// size in map units it gives dots per inch, with dots per inch a size.
double ResOrDim(int unit, long pixels, double value, long divisor, long scale);
// ((multiplier x dpi x size) / pixels) / K: the scale at which the pixels
// at dpi cover the size.
double SclFromResDim(int unit, long pixels, double dpi, double size, long multiplier);

// ---------------------------------------------------------------------------
// Small operations
int RasterObjectContainsPoint(OBJectKernel *kernel, OBJHANDLE raster, const MAP_COORDPT *point);
int RasterObjectMove(OBJectKernel *kernel, OBJHANDLE raster, int32_t dx, int32_t dy);
// A new raster, linked nowhere, with the source's data and images of its
// own. 1; 0 when anything is missing or cannot be had.
int RasterObjectCopy(OBJectKernel *kernel, OBJHANDLE *copy, OBJHANDLE source);
// The last corner whose window pixel is the point exactly goes to out.
int RasterObjectFindVertex(OBJectKernel *kernel, OBJHANDLE raster, const PresentationManager *view,
                           const POINT *point, MAP_COORDPT *out);
