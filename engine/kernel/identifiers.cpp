#include "engine/kernel/identifiers.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/graph_object.h"
#include "engine/kernel/layers.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/undo.h"
#include "engine/kernel/unimplemented.h"
#include "engine/kernel/upper_services.h"
#include "engine/kernel/window_record.h"

#include <algorithm>
#include <cfloat>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Room the object browser gives one information line.
constexpr size_t kInfoLineSize = 130;
// The text objects' string as SetID compares it.
constexpr int kTextCompareSize = 128;
// Drawing mode of the five-argument text display after a change.
constexpr uint16_t kTextDisplayMode = 4;
constexpr uint16_t kTextAutoAdjustFlags = 0x300;
// Low four bits of the code and name texts' flags: centred horizontally,
// the code above the anchor (its bottom on it), the name below it.
constexpr uint16_t kCodeTextAlign = 9;
constexpr uint16_t kNameTextAlign = 1;

int compareBytes(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = int8_t(a[i]), y = int8_t(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool isId(OBJectKernel *kernel, OBJHANDLE h) { return h && GetOBJectClassID(kernel, h) == CLASS_ID; }

// The fixed data of an Id, null for anything else.
char *idLock(OBJectKernel *kernel, OBJHANDLE id)
{
    if (!isId(kernel, id))
        return nullptr;
    const OBJectHead *head = HeadLock(kernel, id);
    if (!head || head->refOffset < OBJ_HEAD_SIZE + ID_FIXED_SIZE)
        return nullptr;
    return OBJectLock(kernel, id);
}

IdRecord loadRecord(const char *p) { return LoadField<IdRecord>(p, 0); }
void storeRecord(char *p, const IdRecord &r) { StoreField(p, 0, r); }

// The data space of an Id as bytes.
std::string_view dataOf(OBJectKernel *kernel, OBJHANDLE id)
{
    char *p = idLock(kernel, id);
    if (!p)
        return {};
    return {DataSpaceBegin(p), DataSpaceSize(kernel, id)};
}

// The identifier text: the data space up to its first zero byte.
std::string_view textOf(std::string_view data)
{
    return data.substr(0, std::min(data.find('\0'), data.size()));
}

// A part of a text: its bytes while they are ID_TEXT_END or above.
std::string_view partAt(std::string_view text, size_t from)
{
    if (from >= text.size())
        return {};
    size_t end = from;
    while (end < text.size() && uint8_t(text[end]) >= ID_TEXT_END)
        ++end;
    return text.substr(from, end - from);
}

std::string_view codePart(std::string_view text) { return partAt(text, 0); }

std::string_view namePart(std::string_view text)
{
    const std::string_view code = partAt(text, 0);
    return code.size() < text.size() ? partAt(text, code.size() + 1) : std::string_view{};
}

// A caller's code or name as an identifier keeps it: up to its first byte
// below ID_TEXT_END (such a byte would end the part when read back), at most
// max bytes.
std::string cleanPart(const char *s, size_t max)
{
    const std::string_view part = partAt(std::string_view(s, strnlen(s, max + 1)), 0);
    return std::string(part.substr(0, max));
}

// At most max bytes of the part and a zero byte.
void copyPart(char *out, std::string_view part, size_t max)
{
    const size_t n = std::min(part.size(), max);
    if (n)
        std::memcpy(out, part.data(), n);
    out[n] = 0;
}

std::string idText(std::string_view code, std::string_view name)
{
    std::string t(code);
    t += ID_TEXT_SEPARATOR;
    t += name;
    return t;
}

// The values behind the text, as far as the data space holds them.
std::vector<char> valueBytes(OBJectKernel *kernel, OBJHANDLE id)
{
    const char *p = idLock(kernel, id);
    if (!p)
        return {};
    const IdRecord r = loadRecord(p);
    const std::string_view data = dataOf(kernel, id);
    const size_t from = std::min<size_t>(r.textLength, data.size());
    const size_t n = std::min<size_t>(size_t(r.valueCount) * sizeof(double), data.size() - from);
    return {data.data() + from, data.data() + from + n};
}

// Writes the text (and a zero) at the start of the data space with the
// values unchanged behind it.
bool writeText(OBJectKernel *kernel, OBJHANDLE id, const std::string &text)
{
    const std::vector<char> values = valueBytes(kernel, id);
    std::vector<char> data(text.begin(), text.end());
    data.push_back(0);
    const size_t textLength = data.size();
    data.insert(data.end(), values.begin(), values.end());
    if (!ReSizeOBJectData(kernel, id, uint32_t(data.size())))
        return false;
    char *p = idLock(kernel, id);
    if (!p)
        return false;
    std::memcpy(DataSpaceBegin(p), data.data(), data.size());
    IdRecord r = loadRecord(p);
    r.textLength = uint16_t(textLength);
    r.valueCount = uint16_t(values.size() / sizeof(double));
    storeRecord(p, r);
    return true;
}

// The position of value n in the Id's data space; -1 when there is none.
int64_t valueOffset(OBJectKernel *kernel, OBJHANDLE id, uint16_t n)
{
    const char *p = idLock(kernel, id);
    if (!p)
        return -1;
    const IdRecord r = loadRecord(p);
    if (n >= r.valueCount)
        return -1;
    const uint64_t at = uint64_t(r.textLength) + uint64_t(n) * sizeof(double);
    if (at + sizeof(double) > DataSpaceSize(kernel, id))
        return -1;
    return int64_t(at);
}

OBJHANDLE idOf(OBJectKernel *kernel, OBJHANDLE objectOrId)
{
    return isId(kernel, objectOrId) ? objectOrId : GetID(kernel, objectOrId);
}

// Compares the text of the Id in slot i of the list with a key text, as
// CompareIDs would compare them: a slot that is not an Id follows every Id.
int compareSlotWithKey(OBJectKernel *kernel, OBJHANDLE list, int32_t i, std::string_view key)
{
    const OBJHANDLE target = GetNthReferenced(kernel, list, i);
    if (!target)
        return -2;
    if (!isId(kernel, target))
        return 1;
    if (!idLock(kernel, target))
        return -2;
    return compareBytes(textOf(dataOf(kernel, target)), key);
}

bool isMemberSlot(OBJectKernel *kernel, OBJHANDLE list, int32_t i)
{
    return RefMatchesFilter(GetNthReferenceID(kernel, list, i), REF_IDLIST_MEMBER);
}

// The slot of the Id whose text is key, or the one's complement of the slot
// where it would stand: a binary search while the list is in order, else a
// walk.
int32_t findText(OBJectKernel *kernel, OBJHANDLE list, std::string_view key)
{
    const OBJectHead *head = HeadLock(kernel, list);
    if (!head)
        return int32_t(OBJ_INVALID);
    const int32_t held = int32_t(head->refsHeld);
    if ((head->flags & OBJF_MODEMASK) == OBJ_SORTEDKEY) {
        int32_t lo = 0, hi = held - 1;
        while (lo <= hi) {
            const int32_t mid = lo + (hi - lo) / 2;
            const int r = compareSlotWithKey(kernel, list, mid, key);
            if (r == 0)
                return isMemberSlot(kernel, list, mid) ? mid : ~mid;
            if (r < 0)
                lo = mid + 1;
            else
                hi = mid - 1;
        }
        return ~lo;
    }
    for (int32_t i = 0; i < held; ++i)
        if (isMemberSlot(kernel, list, i) && compareSlotWithKey(kernel, list, i, key) == 0)
            return i;
    return ~held;
}

// The Id of a list slot that holds an identifier, else 0.
OBJHANDLE memberAt(OBJectKernel *kernel, OBJHANDLE list, int32_t slot)
{
    if (slot < 0 || !isMemberSlot(kernel, list, slot))
        return 0;
    const OBJHANDLE h = GetNthReferenced(kernel, list, slot);
    return idLock(kernel, h) ? h : 0;
}

OBJHANDLE firstTarget(OBJectKernel *kernel, OBJHANDLE holder, uint16_t id)
{
    return FirstReference(kernel, holder, id, nullptr);
}

// ---------------------------------------------------------------------------
// The code and name texts

struct TextDefaults {
    std::string face = "Arial";
    DWORD size = 10;
    DWORD bold = 0;
    DWORD italic = 0;
    DWORD format = 0;
};

// The "Text" section of the window's settings; the defaults without one.
TextDefaults textDefaults(HWND window, DWORD defaultFormat)
{
    TextDefaults d;
    d.format = defaultFormat;
    const _WNDRES *rec = GetWndRes(window);
    const SettingsRegKey *key = rec ? rec->settingsKey : nullptr;
    if (!key)
        return d;
    std::string face;
    if (SettingsStringGet(key, "Text", "FaceName", nullptr, 0, &face))
        d.face = face;
    key->GetValue("Text", "Size", &d.size, 0);
    key->GetValue("Text", "Bold", &d.bold, 0);
    key->GetValue("Text", "Italic", &d.italic, 0);
    key->GetValue("Text", "Format", &d.format, 0);
    return d;
}

struct TextRole {
    uint16_t link; // REF_ID_TEXT1 or REF_ID_TEXT2
    uint16_t align;
};

struct SetIdContext {
    OBJectKernel *kernel;
    HWND window;
    OBJHANDLE object;
    OBJHANDLE id;
    OBJHANDLE activeLayer;
    bool undo;
};

void showText(const SetIdContext &c, OBJHANDLE text)
{
    if (c.window)
        TextObjectDisplay(c.window, 0, reinterpret_cast<void *>(uintptr_t(text)), kTextDisplayMode, nullptr);
}

void createText(const SetIdContext &c, const TextRole &role, const std::string &string)
{
    const TextDefaults d = textDefaults(c.window, role.align);
    const uint16_t flags = uint16_t((d.format & 0xF0) | role.align);
    const int style = (d.bold ? 2 : 0) + (d.italic ? 4 : 0);
    _COORDRECT r{0, 0, 0, 0};
    SendOBJectMessage(c.kernel, 0, c.object, 0, GRM_GETBOUNDRECT, 0, LPARAM(&r));
    // Halves of the sums, rounded toward zero, in 64 bits: the corners may
    // lie near the limits of the coordinates.
    const _COORDPT anchor{int32_t((int64_t(r.x1) + r.x2) / 2), int32_t((int64_t(r.y1) + r.y2) / 2)};
    const OBJHANDLE text = UpperIdentifierTextCreate(c.window, string.c_str(), &anchor, d.face.c_str(),
                                                     int32_t(d.size), style, flags);
    if (!text)
        return;
    if (c.undo)
        Undo_AddNew(c.kernel, text);
    InsertRefInPos(c.kernel, c.id, role.link, text, -1, -1);
    const OBJHANDLE parent = firstTarget(c.kernel, c.object, REF_GROUP_PARENT);
    if (parent && GetOBJectClassID(c.kernel, parent) == CLASS_GROUP)
        InsertRefInPos(c.kernel, parent, REF_GROUP_MEMBER, text, -1, -1);
    showText(c, text);
}

void deleteText(const SetIdContext &c, OBJHANDLE text)
{
    if (c.undo)
        Undo_DeleteOBJect(c.kernel, text);
    else
        OBJectDelete(c.kernel, text);
}

// A new string, drawn last on its layer.
void refreshText(const SetIdContext &c, OBJHANDLE text, const std::string &string)
{
    const OBJHANDLE layer = GetOBJectLayer(c.kernel, text);
    if (c.undo) {
        Undo_ChangeObject(c.kernel, text);
        // The layer's order too, so that undo puts the text back where it
        // was drawn.
        if (layer)
            Undo_ChangeObject(c.kernel, layer);
    }
    if (layer)
        RemoveReference(c.kernel, layer, REF_LAYER_MEMBER, text);
    UpperIdentifierTextSet(c.kernel, c.window, text, string.c_str());
    if (c.window)
        TextObjectAutoAdjust(reinterpret_cast<void *>(uintptr_t(text)), c.window, kTextAutoAdjustFlags);
    if (layer)
        InsertRefInPos(c.kernel, layer, REF_LAYER_MEMBER, text, -1, -1);
    showText(c, text);
}

// Step of one text: newText null leaves an existing text alone.
void updateText(const SetIdContext &c, const TextRole &role, const std::string *newText, int show)
{
    const OBJHANDLE text = firstTarget(c.kernel, c.id, role.link);
    if (!text) {
        if (newText && !newText->empty() && show > 0 && c.activeLayer)
            createText(c, role, *newText);
        return;
    }
    if ((newText && newText->empty()) || show < 0) {
        deleteText(c, text);
        return;
    }
    if (!newText)
        return;
    if (show > 0) {
        char current[kTextCompareSize + 1] = {};
        UpperIdentifierTextGet(c.kernel, text, current, kTextCompareSize);
        if (current[0] && *newText == current)
            return;
    }
    refreshText(c, text, *newText);
}

// Puts the Id into the list, where its text places it.
void linkIntoList(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE id)
{
    if (list)
        InsertRefInPos(kernel, list, REF_IDLIST_MEMBER, id, -1, -1);
}

std::string infoLine(const char *format, ...)
{
    char line[kInfoLineSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    return line;
}

LRESULT writeInfoLine(LPARAM buffer, const std::string &line)
{
    if (buffer)
        std::snprintf(reinterpret_cast<char *>(buffer), kInfoLineSize, "%s", line.c_str());
    return 1;
}

LRESULT idInfoLine(OBJectKernel *kernel, OBJHANDLE id, const char *p, WPARAM line, LPARAM buffer)
{
    const IdRecord r = loadRecord(p);
    switch (line) {
    case 0:
        return writeInfoLine(buffer, "-- <Id> OBJECT INFORMATIONS -----------");
    case 1:
        return writeInfoLine(buffer, (r.mask & GD_FILLCOLOR) ? infoLine("FillColor:   %08X", r.colour)
                                                             : std::string("No FillColor"));
    case 2:
        return writeInfoLine(buffer, (r.mask & GD_FILLCOLOR)
                                         ? infoLine("FillPattern: %04X", unsigned(r.hatch))
                                         : std::string("No FillPattern"));
    case 3:
        return writeInfoLine(buffer, (r.mask & GD_LINESTYLE)
                                         ? infoLine("LineStyle: %u", unsigned(r.lineStyle))
                                         : std::string("No LineStyle"));
    case 4:
        return writeInfoLine(buffer, (r.mask & GD_LINEWIDTH) ? infoLine("LineWidth: %u", r.lineWidth)
                                                             : std::string("No LineWidth"));
    case 5:
        return writeInfoLine(buffer, infoLine("Id Strings size: %u", unsigned(uint16_t(r.textLength - 2))));
    case 6: {
        const std::string_view data = dataOf(kernel, id);
        if (data.size() < 3)
            return writeInfoLine(buffer, "No Id Strings");
        return writeInfoLine(buffer, "Id Strings: " + std::string(textOf(data)));
    }
    case 7:
        return writeInfoLine(buffer, infoLine("Number of values: %u", unsigned(r.valueCount)));
    case 8: {
        if (r.valueCount == 0)
            return 0;
        std::string values;
        for (uint16_t i = 0; i < std::min<uint16_t>(r.valueCount, 5); ++i)
            values += infoLine("%.3g ,", IdValueGet(kernel, id, i));
        return writeInfoLine(buffer, "Values: " + values);
    }
    default:
        return 0;
    }
}

LRESULT getAttributes(const char *p, WPARAM ownFirst, LPARAM lParam)
{
    const IdRecord r = loadRecord(p);
    GraphDispl own{};
    own.mask = r.mask;
    own.lineStyle = r.lineStyle;
    own.lineWidth = r.lineWidth;
    own.fillColor = 0xFFFFFFFF;
    if (r.colourFlag == 1) {
        // The word is a line colour: the identifier supplies no fill.
        own.lineColor = r.colour;
        own.mask = (own.mask & ~GD_FILLCOLOR) | GD_LINECOLOR;
    } else {
        own.fillColor = r.colour;
    }
    own.fillPattern = r.hatch;
    if (!lParam)
        return LRESULT(own.mask);
    return LRESULT(MergeOwnGraphAttributes(&own, reinterpret_cast<GraphDispl *>(lParam), ownFirst != 0));
}

LRESULT setAttributes(char *p, WPARAM asLineColour, LPARAM lParam)
{
    if (!lParam)
        return 0;
    const GraphDispl g = *reinterpret_cast<const GraphDispl *>(lParam);
    IdRecord r = loadRecord(p);
    r.mask = uint8_t(g.mask & ~GD_LINECOLOR);
    r.lineStyle = uint8_t(g.lineStyle);
    r.lineWidth = g.lineWidth;
    r.colour = asLineColour ? g.lineColor : g.fillColor;
    r.colourFlag = asLineColour ? 1 : 0;
    r.hatch = g.fillPattern;
    storeRecord(p, r);
    return LRESULT(g.mask);
}

} // namespace

// ---------------------------------------------------------------------------

int IdTextCompare(const char *a, const char *b)
{
    return compareBytes(a ? std::string_view(a) : std::string_view{},
                        b ? std::string_view(b) : std::string_view{});
}

char *_hstrchr(const char *text, int c)
{
    if (!text)
        return nullptr;
    const int8_t wanted = int8_t(c);
    for (const char *s = text; *s; ++s)
        if (int8_t(*s) == wanted)
            return const_cast<char *>(s);
    return nullptr;
}

OBJHANDLE GetID(OBJectKernel *kernel, OBJHANDLE object)
{
    if (!kernel || !object || !HeadLock(kernel, object))
        return 0;
    return firstTarget(kernel, object, REF_ID);
}

OBJHANDLE GetIDWnd(HWND window, OBJHANDLE object)
{
    const _WNDRES *rec = GetWndRes(window);
    return rec ? GetID(rec->kernel, object) : 0;
}

void GetIDOBJs(OBJectKernel *kernel, OBJHANDLE id, char code[ID_CODE_MAX + 1], char name[ID_NAME_MAX + 1],
               OBJHANDLE *user, OBJHANDLE *list, int32_t *slot, OBJHANDLE *codeText, OBJHANDLE *nameText)
{
    if (!kernel || !idLock(kernel, id))
        return;
    const std::string_view data = dataOf(kernel, id);
    if (code)
        copyPart(code, codePart(data), ID_CODE_MAX);
    if (name)
        copyPart(name, namePart(data), ID_NAME_MAX);
    if (user)
        *user = firstTarget(kernel, id, REF_ID_USER);
    const OBJHANDLE owner = firstTarget(kernel, id, REF_IDLIST_BACK);
    if (list)
        *list = owner;
    if (slot && owner)
        *slot = FindReference(kernel, owner, REF_IDLIST_MEMBER, id);
    if (codeText)
        *codeText = firstTarget(kernel, id, REF_ID_TEXT1);
    if (nameText)
        *nameText = firstTarget(kernel, id, REF_ID_TEXT2);
}

int IsFromIDText(OBJectKernel *kernel, OBJHANDLE object)
{
    if (!kernel || !HeadLock(kernel, object))
        return 0;
    return firstTarget(kernel, object, REF_ID_TEXT1_BACK) || firstTarget(kernel, object, REF_ID_TEXT2_BACK)
               ? 1
               : 0;
}

int CompareIDs(OBJectKernel *kernel, uint16_t, OBJHANDLE a, uint16_t, OBJHANDLE b)
{
    const uint16_t classA = GetOBJectClassID(kernel, a);
    const uint16_t classB = GetOBJectClassID(kernel, b);
    if (!classA)
        return -2;
    if (!classB)
        return 2;
    if (classA == CLASS_ID && classB == CLASS_ID) {
        if (!idLock(kernel, a))
            return -2;
        if (!idLock(kernel, b))
            return 2;
        return compareBytes(textOf(dataOf(kernel, a)), textOf(dataOf(kernel, b)));
    }
    if (classA == CLASS_ID)
        return -1;
    if (classB == CLASS_ID)
        return 1;
    return a < b ? -1 : a > b ? 1 : 0;
}

int32_t FindIDSlot(OBJectKernel *kernel, OBJHANDLE list, const char *code, const char *name)
{
    if (!kernel || !HeadLock(kernel, list))
        return -1;
    if (code) {
        const std::string key = idText(code, name ? name : "");
        const int32_t found = findText(kernel, list, key);
        if (name || found >= 0 || found == int32_t(OBJ_INVALID))
            return found;
        const int32_t s = ~found;
        const int32_t held = int32_t(GetNumberOfReferencesFrom(kernel, list, 0));
        for (const int32_t candidate : {s, s - 1}) {
            if (candidate < 0 || candidate >= held)
                continue;
            const OBJHANDLE id = memberAt(kernel, list, candidate);
            if (id && compareBytes(codePart(textOf(dataOf(kernel, id))), code) == 0)
                return candidate;
        }
        return -1;
    }
    if (!name)
        return -1;
    int32_t pos = -1;
    for (OBJHANDLE id = FirstReference(kernel, list, REF_IDLIST_MEMBER, &pos); id;
         id = GetReference(kernel, list, REF_IDLIST_MEMBER, &pos))
        if (idLock(kernel, id) && compareBytes(namePart(textOf(dataOf(kernel, id))), name) == 0)
            return pos;
    return -1;
}

OBJHANDLE FindOBJectByIDText(HWND window, const char *code, const char *name)
{
    const _WNDRES *rec = GetWndRes(window);
    const OBJHANDLE list = GetRootOBJect(window, CLASS_IDSLIST);
    if (!rec || !list)
        return 0;
    const OBJHANDLE id = memberAt(rec->kernel, list, FindIDSlot(rec->kernel, list, code, name));
    return id ? firstTarget(rec->kernel, id, REF_ID_USER) : 0;
}

double IdValueGet(OBJectKernel *kernel, OBJHANDLE objectOrId, uint16_t n)
{
    const OBJHANDLE id = kernel ? idOf(kernel, objectOrId) : 0;
    const int64_t at = valueOffset(kernel, id, n);
    if (at < 0)
        return DBL_MAX;
    return LoadField<double>(DataSpaceBegin(idLock(kernel, id)), size_t(at));
}

double IdValueSet(OBJectKernel *kernel, OBJHANDLE objectOrId, uint16_t n, double value)
{
    const OBJHANDLE id = kernel ? idOf(kernel, objectOrId) : 0;
    const int64_t at = valueOffset(kernel, id, n);
    if (at < 0)
        return DBL_MAX;
    char *data = DataSpaceBegin(idLock(kernel, id));
    const double old = LoadField<double>(data, size_t(at));
    StoreField(data, size_t(at), value);
    return old;
}

OBJHANDLE SetID(OBJectKernel *kernel, OBJHANDLE list, OBJHANDLE layers, OBJHANDLE groups, HWND window,
                OBJHANDLE object, const char *code, const char *name, int showCode, int showName, int *error,
                int undo)
{
    (void)groups; // the object's own group is found from the object
    if (!kernel) {
        const _WNDRES *rec = GetWndRes(window);
        kernel = rec ? rec->kernel : nullptr;
    }
    const uint16_t cls = kernel && object ? GetOBJectClassID(kernel, object) : 0;
    if (!cls || cls == CLASS_ID || cls == CLASS_IDSLIST)
        return 0;
    if (window) {
        if (!list)
            list = GetRootOBJect(window, CLASS_IDSLIST);
        if (!layers)
            layers = GetRootOBJect(window, CLASS_LAYERS);
    }
    const OBJHANDLE activeLayer = layers ? GetActiveLayer(kernel, layers) : 0;

    OBJHANDLE id = GetID(kernel, object);
    char curCode[ID_CODE_MAX + 1] = {}, curName[ID_NAME_MAX + 1] = {};
    GetIDOBJs(kernel, id, curCode, curName, nullptr, nullptr, nullptr, nullptr, nullptr);

    // Removal: an empty code and name asked for.
    const bool codeEmpty = code && !*code, nameEmpty = name && !*name;
    if ((codeEmpty && nameEmpty) || (codeEmpty && !name && !*curName) || (nameEmpty && !code && !*curCode)) {
        if (id) {
            if (undo)
                Undo_DeleteTree2(kernel, id, REF_FILTER_ID_FORWARD);
            else
                DeleteTree(kernel, id, REF_FILTER_ID_FORWARD);
        }
        return 0;
    }

    // The texts the identifier will have, as it keeps them; both null keep
    // the identifier's text and refresh its texts only as the show flags ask.
    const bool keepText = !code && !name;
    const std::string newCode = code ? cleanPart(code, ID_CODE_MAX) : curCode;
    const std::string newName = name ? cleanPart(name, ID_NAME_MAX) : curName;
    const std::string text = idText(newCode, newName);

    if (!id) {
        if (newCode.empty() && newName.empty())
            return 0;
        if (!list)
            return 0;
        if (FindIDSlot(kernel, list, newCode.c_str(), newName.c_str()) >= 0) {
            if (error)
                *error = ID_ERROR_EXISTS;
            return 0;
        }
        id = CreateOBJect(kernel, CLASS_ID);
        if (!id)
            return 0;
        if (undo)
            Undo_AddNew(kernel, id);
        // The text goes in before the Id joins the list, which places it by
        // its text.
        writeText(kernel, id, text);
        linkIntoList(kernel, list, id);
        InsertRefInPos(kernel, id, REF_ID_USER, object, -1, 0);
    } else if (!keepText && (newCode != curCode || newName != curName)) {
        const OBJHANDLE owner = firstTarget(kernel, id, REF_IDLIST_BACK);
        if (!list)
            list = owner;
        const OBJHANDLE other =
            list ? memberAt(kernel, list, FindIDSlot(kernel, list, newCode.c_str(), newName.c_str())) : 0;
        if (other && other != id) {
            if (error)
                *error = ID_ERROR_EXISTS;
            return 0;
        }
        if (undo)
            Undo_ChangeObject(kernel, id);
        if (owner)
            RemoveReference(kernel, owner, REF_IDLIST_MEMBER, id);
        writeText(kernel, id, text);
        linkIntoList(kernel, list, id);
    }

    const SetIdContext c{kernel, window, object, id, activeLayer, undo != 0};
    const std::string *codeForText = &newCode;
    const std::string *nameForText = &newName;
    if (keepText) {
        codeForText = showCode ? &newCode : nullptr;
        nameForText = showName ? &newName : nullptr;
    }
    updateText(c, {REF_ID_TEXT1, kCodeTextAlign}, codeForText, showCode);
    updateText(c, {REF_ID_TEXT2, kNameTextAlign}, nameForText, showName);
    return id;
}

// ---------------------------------------------------------------------------

LRESULT IdProc(OBJectKernel *kernel, OBJHANDLE sender, OBJHANDLE receiver, uint16_t, uint16_t message,
               WPARAM wParam, LPARAM lParam)
{
    char *p = idLock(kernel, receiver);
    if (!p)
        return 0;
    switch (message) {
    case OBJM_CREATE: {
        IdRecord r{};
        r.lineWidth = 1;
        r.colour = 0xFFFFFFFF;
        r.hatch = 0xFFFF;
        r.textLength = 2;
        storeRecord(p, r);
        const char empty[2] = {ID_TEXT_SEPARATOR, 0};
        TransferOBJectData(kernel, receiver, const_cast<char *>(empty), sizeof empty, 1);
        return 0;
    }
    case OBJM_INFOLINE:
        return idInfoLine(kernel, receiver, p, wParam, lParam);
    case OBJM_REPAIRED: {
        if (wParam >= 9)
            return 0;
        const std::string_view data = dataOf(kernel, receiver);
        const size_t zero = data.find('\0');
        IdRecord r = loadRecord(p);
        r.textLength = uint16_t(zero == std::string_view::npos ? data.size() : zero + 1);
        r.valueCount = 0;
        storeRecord(p, r);
        return 0;
    }
    case GRM_GETATTRIBUTES:
        return getAttributes(p, wParam, lParam);
    case GRM_SETATTRIBUTES:
        return setAttributes(p, wParam, lParam);
    case GRM_GETVALUE:
        if (!lParam)
            return 0;
        StoreField(reinterpret_cast<void *>(lParam), 0, IdValueGet(kernel, receiver, uint16_t(wParam)));
        return lParam;
    case GRM_SETVALUE:
        if (!lParam)
            return 0;
        IdValueSet(kernel, receiver, uint16_t(wParam),
                   LoadField<double>(reinterpret_cast<void *>(lParam), 0));
        return lParam;
    case GRM_SUMMEASURE: {
        std::vector<std::pair<OBJHANDLE, uint16_t>> targets;
        uint16_t refId = 0;
        OBJHANDLE target = 0;
        for (int32_t n = 0; GetRef(kernel, receiver, &refId, &target, n); ++n)
            if (target && RefMatchesFilter(refId, REF_FILTER_FORWARD))
                targets.emplace_back(target, refId);
        for (const auto &[t, via] : targets)
            SendOBJectMessage(kernel, sender, t, via, message, wParam, lParam);
        return 0;
    }
    default:
        return 0;
    }
}

LRESULT IdListProc(OBJectKernel *kernel, OBJHANDLE, OBJHANDLE receiver, uint16_t, uint16_t message,
                   WPARAM wParam, LPARAM)
{
    if (message != OBJM_REPAIRED)
        return 0;
    if (wParam < 9) {
        const OBJectHead *head = HeadLock(kernel, receiver);
        if (head && head->refOffset >= OBJ_HEAD_SIZE + IDSLIST_REPAIR_WORD + 2)
            StoreField<uint16_t>(OBJectLock(kernel, receiver), IDSLIST_REPAIR_WORD, 0);
    }
    return 1;
}

void ResortSortedHoldersOf(OBJectKernel *kernel, OBJHANDLE object)
{
    std::vector<OBJHANDLE> holders;
    uint16_t refId = 0;
    OBJHANDLE target = 0;
    for (int32_t n = 0; GetRef(kernel, object, &refId, &target, n); ++n) {
        if (!target || !(refId & REF_PAIRED) || (refId & 1))
            continue; // only back links name a holder
        const OBJectHead *head = HeadLock(kernel, target);
        if (head && (head->flags & OBJF_MODEMASK) == OBJ_SORTEDKEY &&
            std::find(holders.begin(), holders.end(), target) == holders.end())
            holders.push_back(target);
    }
    for (OBJHANDLE holder : holders)
        SortReferences(kernel, holder, OBJ_SORTEDKEY);
}
