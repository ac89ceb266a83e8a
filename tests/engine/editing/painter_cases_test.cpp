// The painters' edge cases, one small image each: every case draws one
// object of a layer through the display pass and checks its pixels and the
// vertex bitmap. The images are also laid side by side into
// "painter_cases.png" in the test's working folder, for a look by eye.
#include "tests/engine/editing/display_fixture.h"

#include <QPainter>

#include <functional>
#include <string>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr uint32_t kHatch(int index) { return uint32_t(index + 1) << 24; }

struct PainterCase {
    const char *name;
    LayerLook look;
    bool line;                      // a polyline along the square's lower edge, else the square polygon
    bool selected;                  // drawn by the selection run too
    bool previewLayer;              // the layer is in preview
    std::vector<MAP_COORDPT> shape; // a polygon other than the square
    std::function<void(const class PainterCases &)> check;
    friend void PrintTo(const PainterCase &c, std::ostream *os) { *os << c.name; }
};

std::vector<QImage> &gallery()
{
    static std::vector<QImage> images;
    return images;
}

class PainterCases : public DisplayTest, public ::testing::WithParamInterface<PainterCase> {
public:
    using DisplayTest::countColour;
    using DisplayTest::countNotWhite;
    using DisplayTest::pixel;
    using DisplayTest::vertexBits;

    static void TearDownTestSuite()
    {
        if (gallery().empty())
            return;
        QImage all(int(gallery().size()) * (W + 4), H, QImage::Format_RGB32);
        all.fill(Qt::gray);
        QPainter p(&all);
        for (size_t i = 0; i < gallery().size(); ++i)
            p.drawImage(int(i) * (W + 4), 0, gallery()[i]);
        p.end();
        all.save("painter_cases.png");
    }
};

TEST_P(PainterCases, Draws)
{
    const PainterCase &c = GetParam();
    const OBJHANDLE l = layer(c.look);
    if (c.previewLayer) {
        char *p = OBJectLock(rec.kernel, l);
        StoreField<uint16_t>(p, offsetof(Layer, display), LAYER_DISPLAY_PREVIEW);
    }
    const OBJHANDLE h = c.line ? polyline({{10, 10}, {30, 10}, {30, 30}}, l)
                               : polygon(c.shape.empty() ? kSquare : c.shape, l);
    if (c.selected)
        select(h);
    EXPECT_EQ(runLayers(), 1);
    EXPECT_EQ(runSelection(), 1);
    c.check(*this);
    gallery().push_back(image.copy());
}

uint8_t blend(uint8_t colour, uint8_t under, int alpha)
{
    return uint8_t((colour * alpha + under * (255 - alpha) + 127) / 255);
}

const PainterCase kCases[] = {
    {"SolidOpaque",
     {kBlack, 0, 1, kBlue},
     false,
     false,
     false,
     {},
     [](const PainterCases &t) {
         EXPECT_EQ(t.pixel(20, 20), kBlue);
         EXPECT_EQ(t.pixel(10, 20), kBlack); // the outline
         EXPECT_EQ(t.vertexBits(), 4);       // every vertex recorded
     }},
    {"SolidHalfTransparent",
     {kBlack, 0, 1, kBlue, LayerLook{}.mask, 0, 50},
     false,
     false,
     false,
     {},
     [](const PainterCases &t) {
         // alpha = 255 - 50 x 2.55 = 127 over white
         EXPECT_EQ(t.pixel(20, 20), RGB(blend(0, 255, 127), blend(0, 255, 127), 255));
         EXPECT_EQ(t.pixel(10, 20), kBlack);
     }},
    {"HatchIgnoresTransparency",
     {kBlack, 0, 1, kBlue | kHatch(0), LayerLook{}.mask, 0, 50},
     false,
     false,
     false,
     {},
     [](const PainterCases &t) {
         // Horizontal hatch from the brush origin (0, 0): rows 16, 24, 32.
         EXPECT_EQ(t.pixel(20, 48 - 24), kBlue);
         EXPECT_EQ(t.pixel(20, 48 - 25), kWhite); // clear between the lines
         EXPECT_EQ(t.countColour(RGB(blend(0, 255, 127), blend(0, 255, 127), 255)), 0);
     }},
    {"Style7Width8",
     {kRed, 7, 8, kBlue, LayerLook{}.mask, 0, 50},
     false,
     false,
     false,
     {{2, 2}, {62, 2}, {62, 46}, {2, 46}},
     [](const PainterCases &t) {
         // Filled opaque (transparency has no effect) under the renderer's
         // wide outline.
         EXPECT_GT(t.countColour(kBlue), 0);
         EXPECT_EQ(t.countColour(RGB(blend(0, 255, 127), blend(0, 255, 127), 255)), 0);
         EXPECT_GT(t.countColour(kRed), 100);
     }},
    {"BadStyleDrawnSolid",
     {kRed, 200, 1, LAYER_NO_FILL},
     false,
     false,
     false,
     {},
     [](const PainterCases &t) {
         EXPECT_EQ(t.pixel(10, 20), kRed);
         EXPECT_EQ(t.pixel(20, 20), kWhite);
     }},
    {"BadHatchDrawnSolid",
     {kBlack, 0, 1, kBlue | kHatch(8)},
     false,
     false,
     false,
     {},
     [](const PainterCases &t) { EXPECT_EQ(t.pixel(20, 20), kBlue); }},
    {"NoColourNoOutline",
     {CLR_INVALID, 3, 6, kBlue},
     false,
     false,
     false,
     {},
     [](const PainterCases &t) {
         EXPECT_EQ(t.pixel(20, 20), kBlue);
         EXPECT_EQ(t.countColour(kBlack), 0);
     }},
    {"PolygonWidthZeroStillFilled",
     {kRed, 0, 0, kBlue},
     false,
     false,
     false,
     {},
     [](const PainterCases &t) {
         EXPECT_EQ(t.pixel(20, 20), kBlue);
         EXPECT_EQ(t.countColour(kRed), 0);
     }},
    {"PolylineWidthZeroNothing",
     {kRed, 0, 0},
     true,
     false,
     false,
     {},
     [](const PainterCases &t) {
         EXPECT_EQ(t.countNotWhite(), 0);
         EXPECT_EQ(t.vertexBits(), 3); // its vertices are still recorded
     }},
    {"Preview",
     {kRed, 0, 4, kBlue},
     false,
     false,
     true,
     {},
     [](const PainterCases &t) {
         EXPECT_EQ(t.pixel(20, 20), kWhite); // no fill
         EXPECT_EQ(t.pixel(10, 20), kRed);
         EXPECT_EQ(t.pixel(9, 20), kWhite); // one pixel wide
     }},
    {"SelectedPolygonMarks",
     {kRed, 0, 1},
     false,
     true,
     false,
     {},
     [](const PainterCases &t) {
         // Skipped by the layers run; the selection run draws it in the
         // page layer's look (thin black, no fill) with a disc on every
         // vertex, which inverts the outline's vertex pixel.
         EXPECT_EQ(t.countColour(kRed), 0);
         for (const MAP_COORDPT &v : kSquare)
             EXPECT_EQ(t.pixel(v.x, v.y), kWhite) << v.x << "," << v.y;
         EXPECT_EQ(t.pixel(10, 20), kBlack);
         EXPECT_EQ(t.vertexBits(), 4);
     }},
    {"SelectedPolylineMarks",
     {kRed, 0, 1},
     true,
     true,
     false,
     {},
     [](const PainterCases &t) {
         EXPECT_EQ(t.pixel(30, 10), kWhite);         // interior vertex: disc
         EXPECT_EQ(t.pixel(10 - 3, 10 + 3), kBlack); // start: triangle's top-left
         EXPECT_EQ(t.pixel(30 - 3, 30 + 3), kBlack); // end: the same
         EXPECT_EQ(t.pixel(10 - 3, 10 - 3), kWhite); // below the triangle's tip row
         EXPECT_EQ(t.vertexBits(), 3);
     }},
};

INSTANTIATE_TEST_SUITE_P(Painters, PainterCases, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
