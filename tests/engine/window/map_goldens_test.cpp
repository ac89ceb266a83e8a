// Golden images of map painting: the fixture map of tests/data/display
// (made by make_fixture_map.py there) drawn by OnDstrPaint into an image
// context and into the window's retained surface. Both must equal each
// other, and the committed "golden_map.png" exactly, except inside the
// texts' rectangles, where fonts may render differently from one machine
// to another: there only the amount of ink is compared.
//
// To rewrite the golden image after an intended change of the drawing, run
// the test with MAP_UPDATE_GOLDENS=1 in the environment and review the new
// PNG before committing it.
#include "tests/engine/window/window_fixture.h"

#include "engine/editing/display_pass.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/selection_list.h"
#include "engine/kernel/module_startup.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/view/viewrecord/vertex_bitmap.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/window/map_painting.h"
#include "engine/window/page.h"
#include "engine/window/window_text.h"
#include "platform/dc.h"
#include "platform/window_dc.h"
#include "test_paths.h"

#include <QImage>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int W = 160, H = 120;
const std::string kDataDir = std::string(MAP_TEST_DATA_DIR) + "/display/";

COLORREF colourOf(const std::string &hex)
{
    const unsigned long v = std::stoul(hex.substr(0, 6), nullptr, 16);
    return RGB(BYTE(v >> 16), BYTE(v >> 8), BYTE(v));
}

class MapGoldens : public AttachedMapWindowTest {
protected:
    void SetUp() override
    {
        MapLibraryStartup();
        AttachedMapWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        SetClientSize(window, W, H);
        PresentationManager *v = rec.displayView;
        v->scale = 1.0;
        v->inverseScale = 1.0;
        v->worldRect = MAP_COORDRECT{0, 0, W, H};
        v->displayRect = RECT{0, 0, W, H};
        v->clipFlag = 0;
        v->scaleDenominator = 5000;
        VertexBitmapResize(&rec, RECT{0, 0, W, H});
        loadFixture();
    }

    void loadFixture()
    {
        std::ifstream in(kDataDir + "fixture_map.txt");
        ASSERT_TRUE(in) << "fixture_map.txt: run make_fixture_map.py in tests/data/display";
        OBJectKernel *k = rec.kernel;
        const OBJHANDLE root = GetRootOBJKern(k, rec.rootObject, CLASS_LAYERS);
        std::map<int, OBJHANDLE> layerOf;
        std::vector<OBJHANDLE> pointSets;
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream s(line);
            std::string kind;
            s >> kind;
            if (kind == "layer") {
                int number, style, width, options, transparency;
                std::string colour, fill;
                s >> number >> colour >> style >> width >> fill >> options >> transparency;
                const OBJHANDLE l = CreateLayerOBJect(k, root, number, "fixture");
                char *p = OBJectLock(k, l);
                StoreField<COLORREF>(p, offsetof(Layer, lineColor), colourOf(colour));
                StoreField<uint8_t>(p, offsetof(Layer, lineStyle), uint8_t(style));
                StoreField<uint32_t>(p, offsetof(Layer, lineWidth), uint32_t(width));
                uint32_t f = LAYER_NO_FILL;
                if (fill != "none") {
                    f = colourOf(fill);
                    if (const auto h = fill.find(":h"); h != std::string::npos)
                        f |= uint32_t(std::stoi(fill.substr(h + 2)) + 1) << 24;
                }
                StoreField<uint32_t>(p, offsetof(Layer, fill), f);
                StoreField<uint16_t>(p, offsetof(Layer, attrMask), uint16_t(0x1F));
                StoreField<uint8_t>(p, offsetof(Layer, lineOptions), uint8_t(options));
                LayerTrnsparencySet(k, l, transparency);
                layerOf[number] = l;
            } else if (kind == "polygon" || kind == "polyline") {
                int layer;
                s >> layer;
                std::vector<MAP_COORDPT> pts;
                int32_t x, y;
                while (s >> x >> y)
                    pts.push_back({x, y});
                const OBJHANDLE h = CreateOBJect(k, kind == "polygon" ? CLASS_POLYGON : CLASS_POLYLINE);
                TransferOBJectData(k, h, pts.data(), uint32_t(pts.size() * sizeof(MAP_COORDPT)), 1);
                char *p = OBJectLock(k, h);
                StoreField<uint32_t>(p, PS_COUNT, uint32_t(pts.size()));
                _COORDRECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
                for (const MAP_COORDPT &q : pts)
                    r = {std::min(r.x1, q.x), std::min(r.y1, q.y), std::max(r.x2, q.x), std::max(r.y2, q.y)};
                SendOBJectMessage(k, 0, h, 0, GRM_SETBOUNDRECT, 0, LPARAM(&r));
                InsertLayerRef(k, h, layerOf[layer]);
                pointSets.push_back(h);
            } else if (kind == "text") {
                int layer, size;
                MAP_COORDPT at{};
                std::string text;
                s >> layer >> at.x >> at.y >> size >> text;
                LayersActiveLayerSet(k, root, layerOf[layer]);
                OBJHANDLE h = 0;
                map_text_CreateEx(window, &h, text.c_str(), &at, "Liberation Sans", size, 0, RGB(0, 0, 0), 0,
                                  0, TEXT_LOCK_SCREEN, 0, 0, 0);
                ASSERT_NE(h, 0u);
                texts.push_back(h);
            } else if (kind == "select") {
                size_t index;
                s >> index;
                ASSERT_LT(index, pointSets.size());
                SetSelection(window, &pointSets[index], 1, 1, 0);
            } else if (kind == "page") {
                MAP_COORDPT origin{}, extension{};
                s >> origin.x >> origin.y >> extension.x >> extension.y;
                PageSetOrgExtInWindow(window, &origin, &extension);
            }
        }
    }

    // The texts' window rectangles, a little widened.
    std::vector<RECT> textAreas() const
    {
        std::vector<RECT> out;
        for (const OBJHANDLE t : texts) {
            _COORDRECT b{};
            SendOBJectMessage(rec.kernel, 0, t, 0, GRM_GETBOUNDRECT, 0, LPARAM(&b));
            RECT r{};
            PM_MapToWindowRect(rec.displayView, &b, &r);
            out.push_back(RECT{std::min(r.left, r.right) - 2, std::min(r.top, r.bottom) - 2,
                               std::max(r.left, r.right) + 2, std::max(r.top, r.bottom) + 2});
        }
        return out;
    }

    std::vector<OBJHANDLE> texts;
};

bool inside(const std::vector<RECT> &areas, int x, int y)
{
    for (const RECT &r : areas)
        if (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom)
            return true;
    return false;
}

TEST_F(MapGoldens, ImageAndSurfaceMatchTheGolden)
{
    const RECT client{0, 0, W, H};
    QImage image(W, H, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    const HDC dc = CreateImageDC(&image);
    EXPECT_EQ(OnDstrPaint(&rec, dc, &client, 0), 1);
    DeleteDC(dc);

    const HDC surfaceDc = GetDC(window);
    ASSERT_NE(surfaceDc, 0u);
    EXPECT_EQ(OnDstrPaint(&rec, surfaceDc, &client, 0), 1);
    ReleaseDC(window, surfaceDc);
    const QImage surface = GetWindowSurface(window).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(surface, image) << "the window's surface and an image draw alike";

    const std::string golden = kDataDir + "golden_map.png";
    if (std::getenv("MAP_UPDATE_GOLDENS")) {
        ASSERT_TRUE(image.save(QString::fromStdString(golden)));
        GTEST_SKIP() << "rewrote " << golden << ": review it before committing";
    }
    const QImage expected = QImage(QString::fromStdString(golden)).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(expected.isNull()) << golden;
    ASSERT_EQ(expected.size(), image.size());
    const std::vector<RECT> areas = textAreas();
    int inkNow = 0, inkGolden = 0, differing = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const QRgb a = image.pixel(x, y), b = expected.pixel(x, y);
            if (inside(areas, x, y)) {
                inkNow += (a & 0xFFFFFF) != 0xFFFFFF;
                inkGolden += (b & 0xFFFFFF) != 0xFFFFFF;
            } else if (a != b && ++differing <= 5) {
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << a << " instead of " << b;
            }
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(inkNow, 0) << "the texts are drawn";
    EXPECT_NEAR(inkNow, inkGolden, inkGolden / 2 + 4) << "about as much ink in the texts";
    image.save("golden_map_drawn.png"); // beside the test, for a look when it fails
}

} // namespace
