// A map window with a page and a screen view of known scales, for the text
// object tests:
// - paper 210 mm wide, page 210000 map units wide, metres: page zoom factor
//   Z = 2100 / (10000 * 210000) = 1e-6 (1 : 1 000 000);
// - the screen view shows map (0, 0)-(40000, 30000) in 400 x 300 pixels: one
//   pixel is 100 map units.
#pragma once

// First: the class table's headers use names that Qt's headers define as
// macros.
#include "tests/engine/window/window_fixture.h"

#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/view/text/text_object.h"
#include "engine/view/viewrecord/view_transforms.h"
#include "engine/view/viewrecord/view_zoom.h"
#include "engine/window/page.h"
#include "engine/window/window_text.h"
#include "platform/dc.h"
#include "platform/global_memory.h"
#include "platform/window_dc.h"

#include <cstring>

inline bool operator==(const MAP_COORDRECT &a, const MAP_COORDRECT &b)
{
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

inline std::ostream &operator<<(std::ostream &os, const MAP_COORDRECT &r)
{
    return os << "(" << r.x1 << ", " << r.y1 << ", " << r.x2 << ", " << r.y2 << ")";
}

class TextTest : public MapWindowTest {
protected:
    static constexpr int32_t kPageWidth = 210000;

    void SetUp() override
    {
        MapLibraryStartup(); // the marker bitmaps of the selection marks
        MapWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(WndRes_AttachToWindow(&rec, window, 1), 1);
        ASSERT_NE(PageGetFromWindow(window), 0u);
        kernel = rec.kernel;
        setPaperWidth(2100);
        setPageWidth(kPageWidth);
        PresentationManager *v = rec.displayView;
        PM_OnWndSize(v, window, 0, nullptr); // sizes the vertex bitmap
        v->projection.transformedUnit = 4;   // metres
        v->worldRect = {0, 0, 40000, 30000};
        v->displayRect = {0, 0, 400, 300};
        v->scale = 0.01;
        v->inverseScale = 100;
    }

    void setPaperWidth(int32_t width)
    {
        void *p = GlobalLock(rec.pageSetup);
        ASSERT_NE(p, nullptr);
        std::memcpy(static_cast<char *>(p) + 64, &width, sizeof width);
        GlobalUnlock(rec.pageSetup);
    }

    void setPageWidth(int32_t width)
    {
        const MAP_COORDPT origin{0, 0}, extension{width, width / 210 * 297};
        ASSERT_EQ(PageSetOrgExtInWindow(window, &origin, &extension), 1);
    }

    // A text made through the window-level creation (face "Arial", own
    // colour red on a transparent background unless told otherwise).
    OBJHANDLE makeText(const char *s, MAP_COORDPT anchor, int size, uint16_t flags, int rotation = 0,
                       int colourMode = 1, COLORREF own = RGB(255, 0, 0))
    {
        OBJHANDLE h = 0;
        EXPECT_EQ(map_text_CreateEx(window, &h, s, &anchor, "Arial", size, 0, own, rotation, 0, flags, 0, 0,
                                    colourMode),
                  1);
        EXPECT_NE(h, 0u);
        return h;
    }

    TextObjectData data(OBJHANDLE h)
    {
        const char *p = TextObjectLock(kernel, h);
        EXPECT_NE(p, nullptr);
        return p ? TextRecordLoad(p) : TextObjectData{};
    }

    void store(OBJHANDLE h, const TextObjectData &d) { TextRecordStore(TextObjectLock(kernel, h), d); }

    // The extent of one line in the measuring font (64 pixels, "Arial").
    SIZE measure(const char *s)
    {
        LOGFONTA lf{};
        lf.lfHeight = 64;
        lf.lfWeight = FW_NORMAL;
        std::strcpy(lf.lfFaceName, "Arial");
        const HDC dc = CreateCompatibleDC(0);
        const HFONT font = CreateFontIndirectA(&lf);
        const HGDIOBJ old = SelectObject(dc, font);
        SIZE size{};
        GetTextExtentPoint32A(dc, s, int(std::strlen(s)), &size);
        SelectObject(dc, old);
        DeleteObject(font);
        DeleteDC(dc);
        return size;
    }

    OBJectKernel *kernel = nullptr;
};
