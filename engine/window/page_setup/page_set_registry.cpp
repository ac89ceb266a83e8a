// The page setup kept in the registry: "Settings\Page" below the window's
// settings key, one text value per field. Values are written one by one
// (a failure skips only that value); on reading, a missing value or one
// that is not a number leaves its field alone, and the validating setters
// refuse values that do not fit the paper.

#include "engine/window/page_setup/page_set.h"

#include "engine/kernel/settings.h"
#include "platform/registry.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr const char *kOriginX = "Page - Origin X";
constexpr const char *kOriginY = "Page - Origin Y";
constexpr const char *kExtensionX = "Page - Extension X";
constexpr const char *kExtensionY = "Page - Extension Y";
constexpr const char *kOrientation = "Page - Orientation";
constexpr const char *kMarginLeft = "Page - Paper margin - left";
constexpr const char *kMarginRight = "Page - Paper margin - right";
constexpr const char *kMarginTop = "Page - Paper margin - top";
constexpr const char *kMarginBottom = "Page - Paper margin - bottom";
constexpr const char *kPaperNumber = "Page - Paper number";
constexpr const char *kPaperName = "Page - Paper name";
constexpr const char *kPaperSizeX = "Page - Paper size X";
constexpr const char *kPaperSizeY = "Page - Paper size Y";

// The longest text a value of this key holds: a paper name or a number.
constexpr DWORD kMaxText = 260;

std::string pageKeyPath(const _WNDRES *window)
{
    const std::string base = window && window->settingsKey ? window->settingsKey->path : GORM_REG_PATH;
    return base + "\\Settings\\Page";
}

HKEY rootOf(const _WNDRES *window)
{
    return window && window->settingsKey ? window->settingsKey->root : HKEY_CURRENT_USER;
}

class PageKeyReader {
public:
    explicit PageKeyReader(const _WNDRES *window)
    {
        if (RegOpenKeyExA(rootOf(window), pageKeyPath(window).c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS)
            key_ = 0;
    }
    ~PageKeyReader()
    {
        if (key_)
            RegCloseKey(key_);
    }
    PageKeyReader(const PageKeyReader &) = delete;
    PageKeyReader &operator=(const PageKeyReader &) = delete;

    // The text of a string value; nothing when it is missing or not text.
    std::optional<std::string> text(const char *name) const
    {
        if (!key_)
            return std::nullopt;
        char buffer[kMaxText + 1] = {};
        DWORD type = 0, size = kMaxText;
        if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ)
            return std::nullopt;
        buffer[std::min<DWORD>(size, kMaxText)] = '\0';
        return std::string(buffer);
    }

    // The leading decimal integer of a value ("2100 (in 0,1 mm)" reads as
    // 2100). A text without one, or one beyond 32 bits, is damaged: nothing.
    std::optional<LONG> number(const char *name) const
    {
        const std::optional<std::string> t = text(name);
        return t ? LeadingInteger(*t) : std::nullopt;
    }

private:
    HKEY key_ = 0;
};

} // namespace

void CPageSet::SavePageDataToRegistry()
{
    if (failed_)
        return;
    HKEY key = 0;
    if (RegCreateKeyExA(rootOf(window_), pageKeyPath(window_).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    auto put = [key](const char *name, const std::string &text) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                       DWORD(text.size() + 1));
    };
    auto number = [](LONG v) { return std::to_string(v); };
    auto length = [](LONG v) { return std::to_string(v) + " (in 0,1 mm)"; };
    put(kOriginX, number(GetXOrigin()));
    put(kOriginY, number(GetYOrigin()));
    put(kExtensionX, number(GetXExtension()));
    put(kExtensionY, number(GetYExtension()));
    put(kOrientation, IsLandscape() ? "Landscape" : "Portrait");
    put(kMarginLeft, length(GetLeftMargin()));
    put(kMarginRight, length(GetRightMargin()));
    put(kMarginTop, length(GetTopMargin()));
    put(kMarginBottom, length(GetBottomMargin()));
    put(kPaperNumber, number(GetActivePaperNum()));
    put(kPaperName, std::string(setup_.paperName, strnlen(setup_.paperName, sizeof setup_.paperName)));
    put(kPaperSizeX, length(GetPageXLenght()));
    put(kPaperSizeY, length(GetPageYLenght()));
    RegCloseKey(key);
}

void CPageSet::InitPageDataFromRegistry()
{
    InitPaperSizeFromRegistry();
    InitPageOrientationFromRegistry();
    InitPageExtensionsFromRegistry();
    InitPaperMarginsFromRegistry();
    InitPageOriginsFromRegistry();
}

void CPageSet::InitPaperSizeFromRegistry()
{
    if (failed_)
        return;
    const PageKeyReader reg(window_);
    const std::optional<LONG> sizeX = reg.number(kPaperSizeX), sizeY = reg.number(kPaperSizeY);
    auto applySizes = [&] {
        if (sizeX)
            SetPageXLenght(*sizeX);
        if (sizeY)
            SetPageYLenght(*sizeY);
    };
    if (const std::optional<LONG> number = reg.number(kPaperNumber)) {
        const int index = GetPaperIndexByNumber(*number);
        if (index >= 0 && SetPaperByIndex(index)) {
            if (index == GetCustomPaperIndex())
                applySizes();
            return;
        }
    }
    if (const std::optional<std::string> name = reg.text(kPaperName)) {
        const int index = GetPaperIndexByName(*name);
        if (index >= 0 && SetPaperByIndex(index))
            return;
    }
    // Neither the number nor the name is a paper of this printer: the
    // stored size as a custom paper, when it was stored whole. Without it
    // nothing is known of the paper, and the page keeps the one it has.
    const int custom = GetCustomPaperIndex();
    if (sizeX && sizeY && *sizeX >= 50 && *sizeY >= 50 && custom >= 0 && SetPaperByIndex(custom))
        applySizes();
}

void CPageSet::InitPageOrientationFromRegistry()
{
    if (failed_)
        return;
    const std::optional<std::string> text = PageKeyReader(window_).text(kOrientation);
    if (!text || text->empty())
        return;
    // "Landscape" or "Portrait" by their first letter; any other text is
    // not an orientation and changes nothing.
    switch ((*text)[0]) {
    case 'L':
    case 'l':
        SetLandscape();
        break;
    case 'P':
    case 'p':
        SetPortrait();
        break;
    default:
        break;
    }
}

void CPageSet::InitPageExtensionsFromRegistry()
{
    if (failed_)
        return;
    const PageKeyReader reg(window_);
    const std::optional<LONG> x = reg.number(kExtensionX), y = reg.number(kExtensionY);
    // Both sides together place the page as it was saved; one at a time,
    // each keeping the aspect, would round the other side a second time.
    if (x && y && *x >= 5 && *y >= 5 && PlacePage(page_.origin.x, page_.origin.y, *x, *y))
        return;
    if (x)
        SetXExtension(*x);
    if (y)
        SetYExtension(*y);
}

void CPageSet::InitPaperMarginsFromRegistry()
{
    if (failed_)
        return;
    const PageKeyReader reg(window_);
    // A negative margin is damaged and skipped; the others are taken as one
    // set, so that a pair that does not fit the paper is refused whole
    // rather than half taken.
    auto margin = [&reg](const char *name, LONG current) {
        const std::optional<LONG> v = reg.number(name);
        return v && *v >= 0 ? *v : current;
    };
    RECT all{margin(kMarginLeft, GetLeftMargin()), margin(kMarginTop, GetTopMargin()),
             margin(kMarginRight, GetRightMargin()), margin(kMarginBottom, GetBottomMargin())};
    SetMargins(&all);
}

void CPageSet::InitPageOriginsFromRegistry()
{
    if (failed_)
        return;
    const PageKeyReader reg(window_);
    if (const std::optional<LONG> x = reg.number(kOriginX))
        SetXOrigin(*x);
    if (const std::optional<LONG> y = reg.number(kOriginY))
        SetYOrigin(*y);
}
