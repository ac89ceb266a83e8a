// Styled lines: the numbered line styles 0-73, the per-line drawing state
// LineStyleContext, and the renderer that walks every segment pixel by pixel
// with LineDDA and a per-style pattern callback.
//
// Calling order: LineStyleContextInit, any number of drawing calls,
// LineStyleContextRelease while the device context is still valid.
#pragma once

#include "platform/line_dda.h"
#include "platform/types.h"

#include <cstdint>

namespace gdi {
struct DeviceContext;
}

struct LineStyleContext;

// Span routines: what a pattern callback draws at one pixel of the walk.
using LineSpanProc = void (*)(int x, int y, LineStyleContext *ctx);
using LineSpanExProc = void (*)(int x, int y, LineStyleContext *ctx, uint8_t update);

struct LineStyleDPoint {
    double x = 0, y = 0;
};

// One segment's cross-section: sign patterns, the offsets of the two halves
// of a span (outer and inner width), and its measures.
struct LineSpanGeometry {
    LineStyleDPoint spanSigns, leftOffset, rightOffset;
    LineStyleDPoint innerSpanSigns, innerLeftOffset, innerRightOffset;
    LineStyleDPoint directionSigns, normalSigns;
    double absDx = 0, absDy = 0, segmentLength = 0;
    double endShiftX = 0, endShiftY = 0;
};

// A mark stroke at 45 degrees to the segment: axis signs and, per axis, the
// arm lengths of the left and the right half.
struct LineMarkStroke {
    LineStyleDPoint signs, left, right;
};

// Where the fans of a corner pass and the tick marks meet (signs, then two
// points).
struct LineTickAnchor {
    double signX = 0, signY = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// Figure codes (`figure`).
inline constexpr uint8_t kFigureOpen = 0x01;
inline constexpr uint8_t kFigureFirstOpen = 0x02;
inline constexpr uint8_t kFigureClosed = 0x04;
inline constexpr uint8_t kFigureFirstClosed = 0x08;
inline constexpr uint8_t kFigureLone = 0x10;
inline constexpr uint8_t kFigureSegment = 0x13;
inline constexpr uint8_t kFigurePolyline = 0x03;
inline constexpr uint8_t kFigurePolygon = 0x0C;

// Shape flags (`shapeFlags`).
inline constexpr uint16_t kShapePairToggle = 0x0001;
inline constexpr uint16_t kShapeCornerPass = 0x0002;
inline constexpr uint16_t kShapeRoundCorners = 0x0004;
inline constexpr uint16_t kShapePolygonCorners = 0x0008;
inline constexpr uint16_t kShapeAlways = 0x0010;
inline constexpr uint16_t kShapeSquareEnds = 0x0020;
inline constexpr uint16_t kShapeRoundEnds = 0x0040;
inline constexpr uint16_t kShapeTooShort = 0x0080;
inline constexpr uint16_t kShapeMultiLine = 0x0100;
inline constexpr uint16_t kShapeArcNoRounding = 0x0800; // also: a multi-line rounded end is walked

// Ends and corners flags byte of a line.
inline constexpr uint8_t kLineRoundedCorners = 0x02;
inline constexpr uint8_t kLineSquareEnds = 0x04;

// The per-line drawing state. A plain record the caller allocates; one
// thread, one style, width, colour and device context at a time. Window
// coordinates are kept in 32 bits here; the renderer clips every figure to
// a guard rectangle, so the pattern callbacks that take 16-bit coordinates
// never see a value that does not fit.
struct LineStyleContext {
    // procedures
    LINEDDAPROC lineProc = nullptr;
    LineSpanProc leftSideProc = nullptr, rightSideProc = nullptr, lastSideProc = nullptr;
    LineSpanProc multiLineProc = nullptr; // the cross-section of the multi-line styles
    LineSpanProc spanProc = nullptr;
    LineSpanExProc spanProcEx = nullptr;

    // pattern
    int16_t step = 0;
    int16_t markInnerStart = 0, markInnerEnd = 0, markStart = 0, markEnd = 0;
    int16_t breaks[9] = {};
    int16_t period = 0;
    uint16_t style = 0;

    // multi-line state and phase (the multi-line styles' own code keeps them)
    double parallelRatio = 0, parallelInset = 0;
    int32_t breakLong = 0, periodLong = 0;
    uint16_t parallelCount = 0;
    int cornerState = 0;

    // Multi-line cross-sections: the spacing vector of the bands (fitted)
    // and its half before fitting; the one-side and outer-corner flags; the
    // side of the last join; and the points each cross-section leaves for the
    // next one, which the join and corner fans connect.
    LineStyleDPoint innerOffset, innerHalfOffset;
    uint16_t multiLineFlags = 0;
    int cornerJoinSide = 0;
    POINT lastInner{0, 0}, lastOuter{0, 0}, lastInnerCopy{0, 0}, lastEdge{0, 0};
    // The straight sections' offsets (a, b, c, d) and what they were made
    // from: they change per segment and corner side, not per pixel.
    double sectionKey[12] = {};
    POINT sectionOffsets[4] = {};
    bool sectionOffsetsValid = false;

    // Multi-line corners: the thickness of one radial band, the side-1 inner
    // edge line of the current segment, the last radial section of the
    // narrow-spaced styles, the last pixel and inner point of a radial
    // section, and the corner-adjusted phase of the periodic styles.
    double cornerInnerOffset = 0;
    POINT cornerEdgeLine[2] = {};
    POINT lastCornerInner{0, 0}, lastCornerPixel{0, 0};
    POINT cornerPixel{0, 0}, cornerInner{0, 0};
    POINT cornerPhasePoint{0, 0};
    int cornerBreak = 0, cornerPeriod = 0, cornerPhaseValid = 0;

    // figure walk
    const POINT *points = nullptr;
    int segmentIndex = 0; // index of the current segment's end point
    uint8_t figure = 0;
    int pointsLeft = 0;
    int pointCount = 0;
    POINT figureStart{0, 0};  // the first point of the figure (start cap)
    bool lastSegment = false; // the current segment ends an open figure

    // corner points
    POINT nextStart{0, 0};
    LineStyleDPoint plusJoinPoint, minusJoinPoint;
    bool mitreClipped = false;
    POINT cornerPrev{0, 0};     // the point before the vertex
    POINT cornerEnd{0, 0};      // the vertex of the pending corner
    bool cornerPending = false; // a corner follows the current segment
    POINT cornerNext{0, 0};     // the point after the vertex

    // flags and walk ends
    uint16_t shapeFlags = 0;
    int cornerSide = 0;
    POINT ddaStart{0, 0};
    POINT ddaEnd{0, 0};

    // span records
    LineTickAnchor tickAnchor;
    LineStyleDPoint innerSpanStart, innerSpanEnd;
    bool innerSpanValid = false;

    // geometry of the current segment, of the next one (computed ahead by the
    // join handling) and of the previous one
    LineSpanGeometry geo, nextGeo, prevSpanGeometry;
    bool nextGeometryReady = false;

    // mark geometry
    double arrowReachX = 0, arrowReachY = 0;
    LineMarkStroke markStrokeA, markStrokeB;

    uint8_t endsAndCorners = 0;

    // widths
    int innerWidth = 0;
    double innerHalfWidth = 0;
    int requestedWidth = 0;
    int width = 0;
    double halfWidth = 0, leftHalf = 0, rightHalf = 0, innerLeftHalf = 0, innerRightHalf = 0;

    uint16_t patternWord = 0, patternWordInit = 0;
    double innerLeftRatio = 0, innerRightRatio = 0;

    // corner working storage
    double cornerInnerScaleX = 0, cornerInnerScaleY = 0;
    POINT cornerCentre{0, 0};
    POINT cornerEdgeLines[2][2] = {};
    bool cornerTickLimitsX[2] = {};
    double cornerTickLimits[2][2] = {};
    POINT cornerEdgeHits[2] = {};
    bool fanEndsValid = false;
    POINT fanEndA{0, 0}, fanEndB{0, 0};

    // end working storage
    POINT capCentre{0, 0};
    LineStyleDPoint capInnerCentre;
    LineStyleDPoint capTip;
    int capSide = 0;
    int capFlags = 0;
    bool capSpanValid = false;
    POINT capLeftEnd{0, 0}, capRightEnd{0, 0};
    POINT capInnerLeftEnd{0, 0}, capInnerRightEnd{0, 0};
    bool capInnerValid = false;
    struct CapSpan {
        POINT base{0, 0}, tip{0, 0};
    } capSpan, prevCapSpan;
    double rightHalfSquared = 0, leftHalfSquared = 0, innerRightHalfSquared = 0, innerLeftHalfSquared = 0;

    // discs
    int16_t ellipseRadius = 0, ellipseRest = 0;
    uint16_t ellipseSize = 0;
    uint8_t sideToggle = 0;

    // positions
    POINT penPos{0, 0}, segStart{0, 0}, segEnd{0, 0};

    // GDI state
    HDC dc = 0;
    HBRUSH brush = 0, oldBrush = 0;
    HPEN oldPen = 0, pen = 0;
    COLORREF color = 0;
    HDC drawDC = 0;
    // The drawing call's device context, resolved once per call.
    gdi::DeviceContext *surface = nullptr;
    uint32_t pixel = 0;
};

// Preparing and releasing. The style's low 16 bits, the width's low 16 bits
// and the flags' low 8 bits are used; a negative width draws nothing.
void LineStyleContextInit(LineStyleContext *ctx, int style, HDC dc, COLORREF color, int width,
                          int endsAndCorners);
void LineStyleContextRelease(LineStyleContext *ctx);

// Drawing. The points are window pixels; figures are clipped to a guard
// rectangle first, so any 32-bit coordinates may be passed.
void LineStyleDrawSegment(LineStyleContext *ctx, const POINT *start, const POINT *end, HDC dc);
int LineStyleDrawPolyline(LineStyleContext *ctx, const POINT *points, int count, HDC dc);
int LineStyleDrawPolygon(LineStyleContext *ctx, HBRUSH fill, const POINT *points, int count, HDC dc);
int LineStyleDrawRect(LineStyleContext *ctx, HDC dc, int left, int top, int right, int bottom);

// The catalogue's lookups (plain functions of the style number).
uint8_t LineStyleFamilyFlags(int style);
uint16_t LineStyleParallelCount(int style);
uint16_t LineStyleIsMultiLine(int style);
bool LineStyleHasAsymmetricSides(int style);
bool LineStyleHasSideMarks(int style);
uint8_t LineStyleMarkClass(int style);
int LineStyleIsValid(int style);
int LineStyleSampleWidth(int style, int kind);
double LineStylePatternFactor1(int style);
double LineStylePatternFactor2(int style);
double LineStylePatternFactor3(int style);
double LineStylePatternFactor4(int style);
double LineStylePatternFactor5(int style);
void LineStyleSetWidth(LineStyleContext *ctx, int style, int width, int endsAndCorners);
void LineStylePatternSetup(LineStyleContext *ctx, int style);

// The pattern callbacks (LineDDA callbacks; data is the context).
void LineProcSolid(int x, int y, LPARAM data);
void LineProcOneInterval(int x, int y, LPARAM data);
void LineProcTwoInterval(int x, int y, LPARAM data);
void LineProcThreeInterval(int x, int y, LPARAM data);
void LineProcFourInterval(int x, int y, LPARAM data);
void LineProcLVOne(int x, int y, LPARAM data);
void LineProcLVl2(int x, int y, LPARAM data);
void LineProcLlVl(int x, int y, LPARAM data);
void LineProcIntervalPerpendTwo(int x, int y, LPARAM data);
void LineProcLCrossArrow(int x, int y, LPARAM data);
void LineProcSolidArrow(int x, int y, LPARAM data);
void LineProcSolidEllipse(int x, int y, LPARAM data);
void LineProcLlCross(int x, int y, LPARAM data);
void LineProcLlPlus(int x, int y, LPARAM data);
void LineProcLsEllipse(int x, int y, LPARAM data);
void LineProcPerpendOnly(int x, int y, LPARAM data);
void LineProcLsVOne(int x, int y, LPARAM data);
void LineProcLV(int x, int y, LPARAM data);
void LineProcLlVDouble(int x, int y, LPARAM data);
void LineProcTripleCentral(int x, int y, LPARAM data);
void LineProc2PerRec(int x, int y, LPARAM data);

// The multi-line cross-sections (multiLineProc): straight, and radial at
// corners and rounded ends.
void MultiLineProcStraight(int x, int y, LineStyleContext *ctx);
void MultiLineProcCorner(int x, int y, LineStyleContext *ctx);

// Span routines.
void LineSpanFull(int x, int y, LineStyleContext *ctx);
void LineSpanInner(int x, int y, LineStyleContext *ctx, uint8_t update);
void LineSpanHalfPlus(int x, int y, LineStyleContext *ctx);
void LineSpanHalfMinus(int x, int y, LineStyleContext *ctx);
