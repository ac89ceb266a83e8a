#include "platform/gdi_objects.h"

#include "platform/font_object.h"
#include "platform/large_image.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace gdi {
namespace {

struct Table {
    std::mutex mutex;
    std::unordered_map<uint32_t, std::unique_ptr<Object>> objects;
    uint32_t nextId = 0x100; // ids below are the stock objects
};

Table &table()
{
    static Table t;
    return t;
}

} // namespace

uint32_t Add(Object *object)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    uint32_t id = t.nextId++;
    t.objects.emplace(id, std::unique_ptr<Object>(object));
    return id;
}

Object *Find(uint32_t id)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(id);
    return it == t.objects.end() ? nullptr : it->second.get();
}

BOOL Remove(uint32_t id)
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(id);
    if (it == t.objects.end() || it->second->stock || it->second->selectedCount > 0)
        return FALSE;
    t.objects.erase(it);
    return TRUE;
}

namespace {

// The stock objects live in the table under ids 1 + index, made once.
void addStock(uint32_t id, Object *object)
{
    object->stock = true;
    Table &t = table();
    t.objects.emplace(id, std::unique_ptr<Object>(object));
}

void makeStockObjects()
{
    Table &t = table();
    std::lock_guard lock(t.mutex);
    const COLORREF greys[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(64, 64, 64),
                              RGB(0, 0, 0)};
    for (int i = WHITE_BRUSH; i <= BLACK_BRUSH; ++i) {
        auto *b = new Brush;
        b->color = greys[i];
        addStock(1 + i, b);
    }
    auto *nullBrush = new Brush;
    nullBrush->style = BS_NULL;
    addStock(1 + NULL_BRUSH, nullBrush);
    auto *white = new Pen;
    white->color = RGB(255, 255, 255);
    addStock(1 + WHITE_PEN, white);
    addStock(1 + BLACK_PEN, new Pen);
    auto *nullPen = new Pen;
    nullPen->style = PS_NULL;
    addStock(1 + NULL_PEN, nullPen);
    auto *systemFont = new Font;
    systemFont->description.lfHeight = 16;
    systemFont->description.lfWeight = FW_BOLD;
    addStock(1 + SYSTEM_FONT, systemFont);
    auto *bitmap = new Bitmap;
    bitmap->image = QImage(1, 1, QImage::Format_RGB32);
    bitmap->image.fill(0xFF000000u);
    addStock(DefaultBitmapId, bitmap);
}

} // namespace
} // namespace gdi

namespace gdi {
void EnsureStockObjects()
{
    static std::once_flag once;
    std::call_once(once, makeStockObjects);
}
} // namespace gdi

HGDIOBJ GetStockObject(int index)
{
    gdi::EnsureStockObjects();
    if ((index < WHITE_BRUSH || index > NULL_PEN) && index != SYSTEM_FONT)
        return 0;
    return HGDIOBJ(1 + index);
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    if (style < PS_SOLID || style > PS_INSIDEFRAME)
        return 0;
    auto *p = new gdi::Pen;
    p->style = style;
    p->width = width < 1 ? 1 : width;
    p->color = color & 0xFFFFFF;
    return gdi::Add(p);
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto *b = new gdi::Brush;
    b->color = color & 0xFFFFFF;
    return gdi::Add(b);
}

HBRUSH CreateHatchBrush(int style, COLORREF color)
{
    if (style < HS_HORIZONTAL || style > HS_DIAGCROSS)
        return 0;
    auto *b = new gdi::Brush;
    b->style = BS_HATCHED;
    b->hatch = style;
    b->color = color & 0xFFFFFF;
    return gdi::Add(b);
}

HBITMAP CreateBitmapOfSize(int width, int height)
{
    // Keep a bitmap's byte size well inside what QImage can address.
    if (width <= 0 || height <= 0 || int64_t(width) * height > (int64_t(1) << 28))
        return 0;
    auto *b = new gdi::Bitmap;
    // Large bitmaps (exported pictures) are filled at once: see large_block.h.
    b->image = LargeImage(width, height, QImage::Format_RGB32);
    if (b->image.isNull()) {
        delete b;
        return 0;
    }
    b->image.fill(0xFF000000u);
    return gdi::Add(b);
}

BOOL DeleteObject(HGDIOBJ object)
{
    gdi::Object *o = gdi::Find(object);
    if (!o || o->kind == gdi::Kind::DC)
        return FALSE;
    return gdi::Remove(object);
}

QImage GetBitmapImage(HBITMAP bitmap)
{
    auto *b = gdi::FindAs<gdi::Bitmap>(bitmap, gdi::Kind::Bitmap);
    return b ? b->image.copy() : QImage();
}
