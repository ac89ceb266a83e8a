// The catalogue of the numbered line styles: family, pattern callback, side
// routines, pattern word and the rules that turn a width into span halves
// and pattern breakpoints.
#include "engine/view/linestyle/line_style_internal.h"

#include "platform/dc.h"
#include "platform/gdi_objects.h"

#include <algorithm>
#include <cmath>

namespace linestyle {
namespace {

enum class Group : uint8_t {
    None,
    P1,
    P2,
    P3,
    P4,
    P5,
    D1,
    D2,
    D3,
    D4,
    M1,
    M2,
    E1,
    E2,
    E3,
    T1,
    T2,
    T3,
    L1,
    L2
};

struct StyleRow {
    LINEDDAPROC proc;
    uint8_t family;
    Group group;
    double f[5];
    Sides sides;
    uint8_t sideToggle;
    uint16_t patternWord;
    uint8_t markClass;
    uint16_t ellipseSize;
    uint16_t parallel;
};

using S = Sides;
using G = Group;
constexpr S N = S::None;

// clang-format off
const StyleRow kStyles[74] = {
    /* 0 */ {LineProcSolid, 1, G::None, {1, 1, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /* 1 */ {LineProcOneInterval, 1, G::P1, {8, 13, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /* 2 */ {LineProcOneInterval, 1, G::P1, {2, 3, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /* 3 */ {LineProcTwoInterval, 1, G::P2, {2, 1.6, 7.4, 1, 1}, N, 0, 0, 0, 0, 0},
    /* 4 */ {LineProcThreeInterval, 1, G::P3, {4.8, 1.6, 1.8, 1, 1}, N, 0, 0, 0, 0, 0},
    /* 5 */ {LineProcOneInterval, 1, G::P1, {1, 3, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /* 6 */ {LineProcOneInterval, 1, G::P1, {1.5, 2, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /* 7 */ {LineProcOneInterval, 1, G::P1, {2.5, 4, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /* 8 */ {LineProcOneInterval, 1, G::P1, {4, 5.2, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /* 9 */ {LineProcOneInterval, 1, G::P1, {6, 7.2, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*10 */ {LineProcOneInterval, 1, G::P1, {1, 5, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*11 */ {LineProcOneInterval, 1, G::P1, {2.4, 4.8, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*12 */ {LineProcOneInterval, 1, G::P1, {4, 8, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*13 */ {LineProcOneInterval, 1, G::P1, {6, 12, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*14 */ {LineProcTwoInterval, 1, G::P2, {4, 2.4, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*15 */ {LineProcTwoInterval, 1, G::P2, {6, 1.2, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*16 */ {LineProcTwoInterval, 1, G::P2, {6, 0.8, 2.4, 1, 1}, N, 0, 0, 0, 0, 0},
    /*17 */ {LineProcTwoInterval, 1, G::P4, {9.6, 1.6, 2.4, 1, 1}, N, 0, 0, 0, 0, 0},
    /*18 */ {LineProcThreeInterval, 1, G::P4, {9.6, 1.6, 2, 1, 1}, N, 0, 0, 0, 0, 0},
    /*19 */ {LineProcFourInterval, 1, G::P4, {9.6, 1.6, 2, 1, 1}, N, 0, 0, 0, 0, 0},
    /*20 */ {LineProcThreeInterval, 1, G::P3, {4, 2.4, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*21 */ {LineProcFourInterval, 1, G::P5, {4, 2.4, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*22 */ {LineProcTwoInterval, 1, G::P2, {4, 0.8, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*23 */ {LineProcThreeInterval, 1, G::P3, {4, 0.8, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*24 */ {LineProcFourInterval, 1, G::P5, {4, 1.2, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*25 */ {LineProcLVOne, 2, G::D1, {2.4, 1, 0.4, 1, 1}, S::FullFull, 1, 0, 0, 0, 0},
    /*26 */ {LineProcLVOne, 2, G::D1, {4, 1, 0.4, 1, 1}, S::FullFull, 1, 0, 0, 0, 0},
    /*27 */ {LineProcLVOne, 2, G::D1, {6, 1, 0.4, 1, 1}, S::FullFull, 1, 0, 0, 0, 0},
    /*28 */ {LineProcLVOne, 2, G::D1, {2.4, 1, 0.4, 1, 1}, S::PlusMinus, 1, 0, 0, 0, 0},
    /*29 */ {LineProcLVl2, 4, G::D2, {1.6, 1, 0.3, 1, 0.8}, S::PlusMinus, 0, 0, 0, 0, 0},
    /*30 */ {LineProcLVl2, 2, G::D2, {2.4, 1, 0.3, 1, 3.6}, S::FullFull, 0, 0, 0, 0, 0},
    /*31 */ {LineProcLlVl, 2, G::D3, {2, 1, 1.6, 1, 1}, S::FullFull, 1, 0, 0, 0, 0},
    /*32 */ {LineProcIntervalPerpendTwo, 2, G::D4, {1.6, 1, 0.3, 1, 1.6}, S::FullFull, 0, 0, 0, 0, 0},
    /*33 */ {LineProcLlVl, 2, G::D3, {2, 1, 1.6, 1, 1}, S::PlusMinus, 1, 0, 0, 0, 0},
    /*34 */ {LineProcIntervalPerpendTwo, 4, G::D4, {1.6, 1, 0.3, 1, 1.6}, S::PlusMinus, 0, 0, 0, 0, 0},
    /*35 */ {LineProcIntervalPerpendTwo, 2, G::D4, {-1, 1, 2.4, 1, 1.2}, S::FullFull, 0, 0, 0, 0, 0},
    /*36 */ {LineProcIntervalPerpendTwo, 2, G::D4, {-1, 1, 4, 1, 1.6}, S::FullFull, 0, 0, 0, 0, 0},
    /*37 */ {LineProcLCrossArrow, 2, G::M1, {3.5, 1, 1, 1, 1}, N, 0, 13, 4, 0, 0},
    /*38 */ {LineProcLlCross, 2, G::M1, {3.5, 1, 1, 1, 1}, N, 0, 12, 4, 0, 0},
    /*39 */ {LineProcLlPlus, 2, G::M1, {3.5, 1, 1, 1, 1}, N, 0, 0, 4, 0, 0},
    /*40 */ {LineProcLsEllipse, 2, G::E2, {1.6, 2, 1, 1, 1}, N, 0, 0, 0, 1, 0},
    /*41 */ {LineProcLsEllipse, 2, G::E2, {1.6, 2, 1.6, 1, 1}, N, 0, 0, 0, 2, 0},
    /*42 */ {LineProcLsEllipse, 2, G::E2, {1.6, 2, 1.6, 1, 1}, N, 0, 0, 0, 3, 0},
    /*43 */ {LineProcLsEllipse, 2, G::E2, {1.6, 2, 1.6, 1, 1}, N, 0, 0, 0, 4, 0},
    /*44 */ {LineProcLsEllipse, 2, G::E3, {6, 1, 1, 1, 1}, N, 0, 0, 0, 5, 0},
    /*45 */ {LineProcPerpendOnly, 2, G::T1, {0.4, 1, 0.1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*46 */ {LineProcLsVOne, 2, G::T2, {0, 1, 0.4, 0.6, 1}, N, 0, 0, 0, 0, 0},
    /*47 */ {LineProcLV, 2, G::T1, {0.4, 1, 0.1, 1, 1}, S::PlusMinus, 0, 0, 0, 0, 0},
    /*48 */ {LineProcLV, 2, G::T1, {0.4, 1, 0.1, 1, 1}, S::MinusPlus, 0, 0, 0, 0, 0},
    /*49 */ {LineProcLV, 2, G::T1, {0.8, 1, 0.1, 1, 1}, S::PlusMinus, 0, 0, 0, 0, 0},
    /*50 */ {LineProcLV, 2, G::T1, {0.8, 1, 0.1, 1, 1}, S::MinusPlus, 0, 0, 0, 0, 0},
    /*51 */ {LineProcLlVDouble, 2, G::T3, {1.6, 1, 0.3, 1.6, 1}, S::PlusMinus, 0, 0, 0, 0, 0},
    /*52 */ {LineProcLlVDouble, 2, G::T3, {1.6, 1, 0.3, 1.6, 1}, S::MinusPlus, 0, 0, 0, 0, 0},
    /*53 */ {LineProcLCrossArrow, 2, G::M1, {3.5, 1, 1, 1, 1}, N, 0, 5, 2, 0, 0},
    /*54 */ {LineProcLCrossArrow, 2, G::M1, {3.5, 1, 1, 1, 1}, N, 0, 9, 2, 0, 0},
    /*55 */ {LineProcLCrossArrow, 2, G::M1, {3.5, 1, 1, 1, 1}, N, 1, 3, 2, 0, 0},
    /*56 */ {LineProcLCrossArrow, 8, G::M1, {3.5, 1, 1, 1, 1}, N, 0, 4, 2, 0, 0},
    /*57 */ {LineProcLCrossArrow, 8, G::M1, {3.5, 1, 1, 1, 1}, N, 0, 8, 2, 0, 0},
    /*58 */ {LineProcSolidArrow, 2, G::M2, {1, 1, 1, 1, 1}, N, 0, 4, 4, 0, 0},
    /*59 */ {LineProcSolidArrow, 2, G::M2, {1, 1, 1, 1, 1}, N, 0, 8, 2, 0, 0},
    /*60 */ {LineProcSolidArrow, 2, G::M2, {1, 1, 1, 1, 1}, N, 0, 24, 4, 0, 0},
    /*61 */ {LineProcSolidEllipse, 2, G::E1, {1, 1, 1, 1, 1}, N, 0, 0, 0, 0, 0},
    /*62 */ {LineProcTripleCentral, 16, G::None, {1, 1, 1, 1, 1}, N, 0, 0x2010, 0, 0, 0},
    /*63 */ {LineProcTripleCentral, 32, G::None, {1, 1, 1, 1, 1}, N, 0, 0x2020, 0, 0, 0},
    /*64 */ {LineProcTripleCentral, 16, G::None, {1, 1, 1, 1, 1}, N, 0, 0x2010, 0, 0, 3},
    /*65 */ {LineProcTripleCentral, 32, G::None, {1, 1, 1, 1, 1}, N, 0, 0x2020, 0, 0, 3},
    /*66 */ {LineProcTripleCentral, 16, G::None, {1, 1, 1, 1, 1}, N, 0, 0x2010, 0, 0, 2},
    /*67 */ {LineProcTripleCentral, 16, G::L1, {8, 1, 1, 1, 1}, N, 0, 0x3010, 0, 0, 4},
    /*68 */ {LineProcTripleCentral, 16, G::L1, {8, 1, 1, 1, 1}, N, 0, 0x3010, 0, 0, 2},
    /*69 */ {LineProcTripleCentral, 16, G::L1, {8, 1, 1, 1, 1}, N, 0, 0x3010, 0, 0, 2},
    /*70 */ {LineProcTripleCentral, 16, G::L2, {8, 1, 1, 1, 1}, N, 1, 0x3010, 0, 0, 2},
    /*71 */ {LineProcTripleCentral, 16, G::L1, {8, 1, 1, 1, 1}, N, 0, 0x3010, 0, 0, 4},
    /*72 */ {LineProcTripleCentral, 16, G::L2, {8, 1, 1, 1, 1}, N, 0, 0x3010, 0, 0, 10},
    /*73 */ {LineProcTripleCentral, 16, G::L2, {8, 1, 1, 1, 1}, N, 0, 0x3010, 0, 0, 12},
};
// clang-format on

// Numbers outside 0-73 answer as style 0 does (the lookups take the low 16
// bits; negative numbers are outside too).
const StyleRow *row(int style) { return style >= 0 && style < 74 ? &kStyles[style] : nullptr; }
const StyleRow &rowOrSolid(int style)
{
    const StyleRow *r = row(style);
    return r ? *r : kStyles[0];
}

int t(double v) { return Trunc(v); }

} // namespace

Sides StyleSides(int style) { return rowOrSolid(style).sides; }

} // namespace linestyle

using namespace linestyle;

uint8_t LineStyleFamilyFlags(int style) { return rowOrSolid(style).family; }

uint16_t LineStyleParallelCount(int style) { return rowOrSolid(style).parallel; }

uint16_t LineStyleIsMultiLine(int style) { return style >= 62 && style <= 73 ? 1 : 0; }

bool LineStyleHasAsymmetricSides(int style)
{
    return style == 28 || style == 29 || style == 33 || style == 34 || (style >= 47 && style <= 52);
}

bool LineStyleHasSideMarks(int style)
{
    return (style >= 25 && style <= 36) || style == 39 || (style >= 45 && style <= 52);
}

uint8_t LineStyleMarkClass(int style) { return rowOrSolid(style).markClass; }

int LineStyleIsValid(int style) { return style >= 0 && style <= 73 ? 1 : 0; }

int LineStyleSampleWidth(int style, int kind)
{
    const bool plain = (style >= 0 && style <= 4) || (style >= 6 && style <= 24);
    const bool narrowMulti = style == 62 || style == 64 || (style >= 66 && style <= 73);
    const bool wideMulti = style == 63 || style == 65;
    if (kind == 0)
        return plain ? 1 : 3;
    if (kind == 1)
        return plain ? 4 : narrowMulti ? 5 : wideMulti ? 7 : 6;
    return narrowMulti ? 5 : wideMulti ? 7 : 4;
}

double LineStylePatternFactor1(int style) { return rowOrSolid(style).f[0]; }
double LineStylePatternFactor2(int style) { return rowOrSolid(style).f[1]; }
double LineStylePatternFactor3(int style) { return rowOrSolid(style).f[2]; }
double LineStylePatternFactor4(int style) { return rowOrSolid(style).f[3]; }
double LineStylePatternFactor5(int style) { return rowOrSolid(style).f[4]; }

void LineStyleSetWidth(LineStyleContext *ctx, int style, int width, int endsAndCorners)
{
    uint16_t s = uint16_t(style);
    const int W = std::min(width & 0xFFFF, kMaxWidth);
    auto start = [&] {
        ctx->parallelCount = LineStyleParallelCount(s);
        ctx->style = s;
        ctx->requestedWidth = W;
        ctx->spanProc = LineSpanFull;
        ctx->spanProcEx = LineSpanInner;
        ctx->step = 0;
        ctx->nextGeometryReady = false;
    };
    start();
    if (W == 0)
        return;
    uint8_t family = LineStyleFamilyFlags(s);
    auto setShape = [&] {
        const uint16_t ends = (endsAndCorners & kLineSquareEnds) ? kShapeSquareEnds : kShapeRoundEnds;
        if (family & 48)
            ctx->shapeFlags = kShapeMultiLine | kShapeAlways | ends;
        else
            ctx->shapeFlags =
                kShapeAlways | ends |
                ((endsAndCorners & kLineRoundedCorners) ? kShapeRoundCorners : kShapePolygonCorners);
    };
    setShape();

    const uint8_t markClass = LineStyleMarkClass(s);
    int K = 1;
    if (markClass != 0) {
        K = 1 + W / 4;
    } else if (family == 1) {
        K = 1;
    } else if (family & 48) {
        const bool wide = family == 32;
        if (W >= (wide ? 5 : 3)) {
            K = 1 + W / 2;
        } else {
            // Too narrow for its parallel lines: drawn as style 0.
            ctx->patternWord = wide ? 0x20 : 0x10;
            s = 0;
            start();
            family = 1;
            setShape();
            K = 1;
        }
    } else {
        K = 1 + W / 4;
    }
    ctx->width = W;
    ctx->innerWidth = K;
    ctx->innerHalfWidth = K / 2.0;
    ctx->halfWidth = W / 2.0;

    ctx->leftHalf = ctx->rightHalf = W / 2.0;
    if (W % 2 == 1 && markClass == 0 && family != 1 && K % 2 == 1 && W / 2.0 > 2.6) {
        ctx->leftHalf = W / 2.0 - 0.5;
        ctx->rightHalf = W / 2.0 + 0.5;
    }
    if (family != 1) {
        ctx->innerLeftHalf = ctx->innerRightHalf = K / 2.0;
        if (K % 2 == 1 && markClass == 0) {
            ctx->innerLeftHalf = K / 2.0 - 0.5;
            ctx->innerRightHalf = K / 2.0 + 0.5;
        }
        if (W < 4) {
            if (ctx->innerLeftHalf <= 0)
                ctx->innerLeftHalf = 0.1;
            if (ctx->innerRightHalf <= 0)
                ctx->innerRightHalf = 0.1;
        }
        if (family & 48) {
            ctx->parallelRatio = (K / 2.0) / (W * (family == 32 ? 6.0 : 4.0));
            if (family == 32)
                ctx->parallelInset = 0.5 - ctx->parallelRatio * 0.5;
        } else {
            const double w = ctx->leftHalf + ctx->rightHalf;
            ctx->innerLeftRatio = ctx->innerLeftHalf / w;
            ctx->innerRightRatio = ctx->innerRightHalf / w;
        }
    }

    // The context's own brush and one-pixel pen, selected for its drawing.
    ctx->brush = CreateSolidBrush(ctx->color);
    ctx->pen = CreatePen(PS_SOLID, 1, ctx->color);
    ctx->oldBrush = SelectObject(ctx->dc, ctx->brush);
    ctx->oldPen = SelectObject(ctx->dc, ctx->pen);

    LineStylePatternSetup(ctx, s);

    if (ctx->shapeFlags & kShapeRoundEnds) {
        ctx->rightHalfSquared = ctx->rightHalf * ctx->rightHalf;
        ctx->leftHalfSquared = ctx->leftHalf * ctx->leftHalf;
        if (family != 1) {
            ctx->innerRightHalfSquared = ctx->innerRightHalf * ctx->innerRightHalf;
            ctx->innerLeftHalfSquared = ctx->innerLeftHalf * ctx->innerLeftHalf;
        }
    }
}

void LineStylePatternSetup(LineStyleContext *ctx, int style)
{
    const StyleRow &r = rowOrSolid(uint16_t(style));
    const double *f = r.f;
    const int W = ctx->width;
    const int S = int(std::ceil(ctx->leftHalf + ctx->rightHalf));
    const int c = int(std::ceil(ctx->innerLeftHalf + ctx->innerRightHalf));
    int b[9] = {};
    int P = 0;
    // "b + 2 if c <= 1, else t(b + f * c)", the step of every stroke window.
    auto strokeEnd = [&](int from, double factor) { return c <= 1 ? from + 2 : t(from + factor * c); };
    switch (r.group) {
    case Group::None:
        break;
    case Group::P1:
        b[0] = t(f[0] * S);
        P = t(f[1] * S);
        break;
    case Group::P2:
        b[0] = t(f[0] * S);
        b[1] = b[0] + (S <= 1 ? 3 : t(f[1] * S));
        b[2] = b[1] + (S <= 1 ? 2 : t(f[2] * S));
        P = b[2] + (b[1] - b[0]) + 1;
        break;
    case Group::P3:
        b[0] = t(f[0] * S);
        b[1] = b[0] + (S <= 2 ? 3 : t(f[1] * S));
        b[2] = b[1] + (S <= 1 ? 2 : t(f[2] * S));
        b[3] = b[2] + (b[1] - b[0]);
        b[4] = b[3] + (b[2] - b[1]);
        P = style == 4 ? b[4] + 1 + (S <= 1 ? 2 : t(S)) : b[4] + (b[1] - b[0]) + 1;
        break;
    case Group::P4:
        b[0] = t(f[0] * S);
        b[1] = b[0] + (S <= 2 ? 3 : t(f[1] * S));
        b[2] = b[1] + (S <= 1 ? 3 : t(f[2] * S));
        P = b[2];
        if (style != 17) {
            b[3] = b[2] + (b[1] - b[0]);
            b[4] = b[3] + (b[2] - b[1]);
            P = b[4];
        }
        if (style == 19) {
            b[5] = b[4] + (b[1] - b[0]);
            b[6] = b[5] + (b[2] - b[1]);
            P = b[6];
        }
        P += (b[1] - b[0]) + 1;
        break;
    case Group::P5:
        b[0] = t(f[0] * S);
        b[1] = b[0] + (S <= 1 ? 3 : t(f[1] * S));
        b[2] = b[1] + (S <= 1 ? 2 : t(f[2] * S));
        b[3] = b[2] + (b[1] - b[0]);
        b[4] = b[3] + (style == 21 ? b[2] - b[1] : (S <= 1 ? 3 : t(f[3] * S)));
        b[5] = b[4] + (b[1] - b[0]);
        b[6] = b[5] + (b[2] - b[1]);
        P = b[6] + (b[1] - b[0]) + 1;
        break;
    case Group::D1:
        b[0] = t(f[0] * W);
        b[1] = strokeEnd(b[0], f[1]);
        P = t(b[1] + f[2] * W + 1);
        break;
    case Group::D2:
        b[0] = t(f[0] * W);
        b[1] = strokeEnd(b[0], f[1]);
        b[2] = b[1] + (W <= 4 ? 2 : t(f[2] * W));
        b[3] = strokeEnd(b[2], f[3]);
        P = t(b[3] + f[4] * W + 1);
        break;
    case Group::D3:
        b[0] = t(f[0] * W);
        b[1] = strokeEnd(b[0], f[1]);
        b[2] = b[0] + b[1];
        P = t(b[2] + f[2] * W + 1);
        break;
    case Group::D4:
        b[0] = t(f[0]);
        b[1] = strokeEnd(b[0], f[1]);
        b[2] = b[1] + (style == 32 && W <= 4 ? 2 : t(f[2] * W));
        b[3] = strokeEnd(b[2], f[3]);
        b[4] = b[0] + b[3];
        P = t(b[4] + f[4] * W + 1);
        break;
    case Group::M1:
    case Group::M2: {
        const int M = std::max(W, 2);
        const int E = std::max(1, int(std::ceil((M - c) / 2.0)));
        if (r.group == Group::M2) {
            b[0] = t(f[0] * E);
            ctx->markInnerStart = ctx->markInnerEnd = -1;
            break;
        }
        b[0] = t(f[0] * M);
        const int mC = b[0] + M, mA = mC + E, mB = mA + c - 1, mD = mB + E;
        ctx->markStart = int16_t(mC);
        ctx->markInnerStart = int16_t(mA);
        ctx->markInnerEnd = int16_t(mB);
        ctx->markEnd = int16_t(mD);
        P = mD + M;
        ctx->width = mD - mC + 1;
        break;
    }
    case Group::E1:
    case Group::E2:
    case Group::E3: {
        const int rr = (W + 1) / 2;
        ctx->ellipseRadius = int16_t(rr - 1);
        ctx->ellipseRest = int16_t(W - rr);
        b[0] = ctx->ellipseRadius;
        if (r.group == Group::E3) {
            P = t(f[0] * W) + b[0] + 1;
        } else if (r.group == Group::E2) {
            b[1] = ctx->ellipseRest + (W <= 1 ? 3 : t(f[0] * W)) + b[0] - 1;
            b[2] = W <= 1 ? b[1] + 3 : t(b[1] + f[1] * W);
            const int x = W <= 1 ? 3 : t(f[2] * W);
            const int dash = b[2] - b[1];
            int last = 2;
            for (int k = 41; k <= style && k <= 43; ++k) {
                b[last + 1] = b[last] + x;
                b[last + 2] = b[last + 1] + dash;
                last += 2;
            }
            P = style == 40 ? b[2] + 1 + (W <= 1 ? 3 : t(f[3] * W)) : b[last] + x + 1;
        }
        break;
    }
    case Group::T1:
        b[0] = W < 4 ? 2 : t(f[0] * W);
        b[1] = strokeEnd(b[0], f[1]);
        P = t(b[1] + f[2] * W + 1);
        break;
    case Group::T2:
        b[0] = t(f[0]) - 1;
        b[1] = strokeEnd(b[0], f[1]);
        b[2] = b[1] + (W < 5 ? 3 : t(f[2] * W));
        P = b[2] + 1 + (W < 4 ? 3 : t(f[3] * W));
        break;
    case Group::T3:
        b[0] = t(f[0] * W);
        b[1] = strokeEnd(b[0], f[1]);
        b[2] = b[1] + (W <= 4 ? 2 : t(f[2] * W));
        b[3] = c <= 1 ? b[2] + 2 : t(b[2] + c);
        b[4] = b[0] + b[3];
        P = b[4] + t(f[3] * W) + 1;
        break;
    case Group::L1:
    case Group::L2: {
        double q = ctx->innerWidth / 8.0;
        if (q <= 0.5)
            q = 1.0;
        b[0] = t(f[0] * q);
        P = r.group == Group::L1 ? b[0] + 1 : 2 * b[0];
        ctx->breakLong = b[0];
        ctx->periodLong = P;
        break;
    }
    }
    for (int i = 0; i < 9; ++i)
        ctx->breaks[i] = int16_t(b[i]);
    ctx->period = int16_t(P);
}

void LineStyleContextInit(LineStyleContext *ctx, int style, HDC dc, COLORREF color, int width,
                          int endsAndCorners)
{
    *ctx = LineStyleContext{};
    ctx->color = color;
    ctx->dc = dc;
    uint16_t s = uint16_t(style);
    int w = width < 0 ? 0 : width & 0xFFFF; // a negative width draws nothing
    if (s >= 74) {
        s = 0;
        w = 1;
    }
    ctx->endsAndCorners = uint8_t(endsAndCorners);
    LineStyleSetWidth(ctx, s, w, endsAndCorners & 0xFF);
    const StyleRow &r = rowOrSolid(ctx->style);
    ctx->lineProc = r.proc;
    RestoreSpans(ctx);
    ctx->sideToggle = r.sideToggle;
    ctx->patternWord |= r.patternWord;
    ctx->ellipseSize = r.ellipseSize;
    ctx->multiLineProc = LineStyleIsMultiLine(ctx->style) ? MultiLineProcStraight : nullptr;
    ctx->patternWordInit = ctx->patternWord;
}

void LineStyleContextRelease(LineStyleContext *ctx)
{
    if (ctx->oldBrush)
        SelectObject(ctx->dc, ctx->oldBrush);
    if (ctx->brush)
        DeleteObject(ctx->brush);
    if (ctx->oldPen)
        SelectObject(ctx->dc, ctx->oldPen);
    if (ctx->pen)
        DeleteObject(ctx->pen);
    ctx->oldBrush = ctx->brush = 0;
    ctx->oldPen = ctx->pen = 0;
}
