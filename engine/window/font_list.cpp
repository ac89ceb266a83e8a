#include "engine/window/font_list.h"

#include "platform/dc.h"
#include "platform/font_enum.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

#include <strings.h>

namespace {

// The device a font list is made for: its context and its names.
struct DeviceEntry {
    uint32_t dc;
    char driver[kFontListNameSize];
    char device[kFontListNameSize];
    char port[kFontListNameSize];
};
static_assert(sizeof(DeviceEntry) == 196);

constexpr int kTwipsPerInch = 1440;

std::mutex lock;
FontListRecord keptList{};
char defaultFace[LF_FACESIZE] = {};
FontListContextHook contextHook;

HDC MakeDisplayContext()
{
    FontListContextHook hook;
    {
        std::lock_guard guard(lock);
        hook = contextHook;
    }
    // A context compatible with the screen measures as the display does.
    return hook ? hook() : CreateCompatibleDC(0);
}

// Pixels of the context to twips, rounded; -1 beyond what an entry holds.
int32_t ToTwips(LONG pixels, int dpi)
{
    const int64_t twips = (int64_t(pixels) * kTwipsPerInch + dpi / 2) / dpi;
    return twips < 0 || twips > 0xFFFF ? -1 : int32_t(twips);
}

int AddHeight(const LOGFONTA *font, const TEXTMETRICA *metrics, DWORD, LPARAM data)
{
    auto &[family, dpi] = *reinterpret_cast<std::pair<FontFamilyRecord *, int> *>(data);
    if (family->heightCount >= kFontFamilyHeights)
        return 0;
    const int32_t height = ToTwips(font->lfHeight, dpi);
    const int32_t leading = ToTwips(metrics->tmInternalLeading, dpi);
    if (height < 0 || leading < 0)
        return 1;
    const uint32_t *end = family->heights + family->heightCount;
    if (std::none_of(static_cast<const uint32_t *>(family->heights), end,
                     [&](uint32_t e) { return int32_t(e & 0xFFFF) == height; }))
        family->heights[family->heightCount++] = uint32_t(height) | uint32_t(leading) << 16;
    return 1;
}

int AddFamily(const LOGFONTA *font, const TEXTMETRICA *, DWORD fontType, LPARAM data)
{
    FontListRecord &list = *reinterpret_cast<FontListRecord *>(data);
    if (list.count >= list.capacity)
        return 0;
    const FontFamilyRecord *end = list.families + list.count;
    const bool listed = std::any_of(
        static_cast<const FontFamilyRecord *>(list.families), end, [&](const FontFamilyRecord &f) {
            return strncasecmp(f.logFont.lfFaceName, font->lfFaceName, LF_FACESIZE) == 0;
        });
    if (listed)
        return 1;
    FontFamilyRecord &family = list.families[list.count++];
    family.logFont = *font;
    family.logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
    family.logFont.lfHeight = 0;
    family.logFont.lfWidth = 0;
    family.fontType = uint16_t(fontType);
    return 1;
}

// Fills the list from the context: the families, then each one's heights.
bool Enumerate(FontListRecord &list, HDC dc)
{
    LOGFONTA all{};
    all.lfCharSet = DEFAULT_CHARSET;
    if (EnumFontFamiliesExA(dc, &all, AddFamily, reinterpret_cast<LPARAM>(&list), 0) == 0 &&
        list.count < list.capacity)
        return false;
    for (uint16_t i = 0; i < list.count; ++i) {
        FontFamilyRecord &family = list.families[i];
        std::pair<FontFamilyRecord *, int> context{&family, list.logPixelsY};
        EnumFontFamiliesExA(dc, &family.logFont, AddHeight, reinterpret_cast<LPARAM>(&context), 0);
        std::sort(family.heights, family.heights + family.heightCount,
                  [](uint32_t a, uint32_t b) { return (a & 0xFFFF) < (b & 0xFFFF); });
    }
    return true;
}

} // namespace

extern "C" int _wflNew()
{
    {
        std::lock_guard guard(lock);
        std::strncpy(defaultFace, "Roman", LF_FACESIZE - 1);
    }

    std::unique_ptr<DeviceEntry> entry(new (std::nothrow) DeviceEntry{});
    std::unique_ptr<FontListRecord> list(new (std::nothrow) FontListRecord{});
    if (!entry || !list)
        return 0;
    std::strncpy(entry->driver, "DISPLAY", kFontListNameSize - 1);
    entry->dc = MakeDisplayContext();
    if (entry->dc == 0)
        return 0;
    const HDC dc = entry->dc;

    std::memcpy(list->driver, entry->driver, kFontListNameSize);
    std::memcpy(list->device, entry->device, kFontListNameSize);
    std::memcpy(list->port, entry->port, kFontListNameSize);
    list->logPixelsX = GetDeviceCaps(dc, LOGPIXELSX);
    list->logPixelsY = GetDeviceCaps(dc, LOGPIXELSY);
    list->width = GetDeviceCaps(dc, HORZRES);
    list->height = GetDeviceCaps(dc, VERTRES);
    list->capacity = kFontListFamilies;

    const bool done = list->logPixelsY > 0 && Enumerate(*list, dc);
    DeleteDC(dc);
    if (!done)
        return 0;
    list->dc = 0;
    std::lock_guard guard(lock);
    keptList = *list;
    return 1;
}

const FontListRecord &EngineFontList() { return keptList; }

const char *EngineFontListDefaultFace() { return defaultFace; }

FontListContextHook SetFontListContextHook(FontListContextHook hook)
{
    std::lock_guard guard(lock);
    std::swap(contextHook, hook);
    return hook;
}
