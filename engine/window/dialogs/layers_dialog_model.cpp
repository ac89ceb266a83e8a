#include "engine/window/dialogs/layers_dialog_model.h"

#include "engine/kernel/graph_classes.h"
#include "engine/kernel/layers_support.h"
#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_classes.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/references.h"
#include "engine/window/line_width_unit.h"
#include "platform/message_box.h"

#include <algorithm>
#include <charconv>
#include <cstring>

using namespace docmodel;

namespace {

constexpr size_t kRecordBody = offsetof(Layer, display); // what follows the graph head
constexpr int kNoChange = 32767;
// Where the new root keeps the lowest changed position, for the window to
// repaint from there (32767: nothing to repaint).

bool readLayer(OBJectKernel *kernel, OBJHANDLE layer, Layer *out)
{
    const char *p = IsLayer(kernel, layer) ? OBJectLock(kernel, layer) : nullptr;
    if (!p)
        return false;
    std::memcpy(out, p, sizeof *out);
    out->name[LAYER_NAME_SIZE - 1] = 0;
    return true;
}

// A whole number from 1 to the largest ordinary layer number (the page
// layer's number is its own), the whole text; nullopt otherwise.
std::optional<int64_t> positiveNumber(const std::string &text, int64_t highest)
{
    int64_t value = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 1 || value > highest)
        return std::nullopt;
    return value;
}

void unite(MAP_COORDRECT &area, const MAP_COORDRECT &r)
{
    if (r.x1 > r.x2 || r.y1 > r.y2)
        return; // empty bound
    area.x1 = std::min(area.x1, r.x1);
    area.y1 = std::min(area.y1, r.y1);
    area.x2 = std::max(area.x2, r.x2);
    area.y2 = std::max(area.y2, r.y2);
}

} // namespace

bool LayerRecordsDiffer(const Layer &a, const Layer &b)
{
    return a.number != b.number || std::strncmp(a.name, b.name, LAYER_NAME_SIZE) != 0 ||
           a.visible != b.visible || a.selectable != b.selectable || a.lineOptions != b.lineOptions ||
           a.lineColor != b.lineColor || a.lineStyle != b.lineStyle || a.lineWidth != b.lineWidth ||
           a.fill != b.fill || a.attrMask != b.attrMask;
}

int LayerListDropPosition(int x, int y, int rowHeight, int top, int count)
{
    if (rowHeight <= 0 || x > 2 * rowHeight || y <= rowHeight / 4 || y < 0)
        return -1;
    const int q = rowHeight / 4;
    const int k = y / rowHeight;
    if (int64_t(top) + k >= count)
        return int64_t(y) <= int64_t(count - top) * rowHeight + q ? count : -1;
    if (y - k * rowHeight < q)
        return top + k;
    if ((k + 1) * rowHeight - y < q)
        return top + k + 1;
    return -1;
}

LayersDialogModel::LayersDialogModel(HWND window, OBJHANDLE root) : window_(window)
{
    const _WNDRES *record = GetWndRes(window);
    if (!record || !record->kernel)
        return;
    root_ = root ? root : GetRootOBJect(window, CLASS_LAYERS);
    if (!root_) {
        // A document without layers yet: the list starts with layer 0 alone,
        // and only OK makes the Layers root.
        kernel_ = record->kernel;
        keepFirstLineLayerZero();
        selectFirstLine();
        return;
    }
    const char *p =
        IsClass(record->kernel, root_, CLASS_LAYERS) ? OBJectLock(record->kernel, root_) : nullptr;
    if (!p) {
        root_ = 0; // not a Layers root: nothing to edit
        return;
    }
    kernel_ = record->kernel;
    for (size_t i = 0; i < custom_.size(); ++i)
        custom_[i] = LoadField<COLORREF>(p, offsetof(Layers, customColours) + i * sizeof(COLORREF));

    const OBJHANDLE activeLayer = GetActiveLayer(kernel_, root_);
    for (OBJHANDLE l : RefTargets(kernel_, root_, REF_LAYER_MEMBER)) {
        Layer r;
        if (readLayer(kernel_, l, &r) && r.name[0] != '\t')
            addLine(r, l);
    }
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].layer == activeLayer)
            active_ = int(i);
    keepFirstLineLayerZero();

    // The lines remembered at the last OK.
    std::set<int> remembered;
    const uint32_t size = DataSpaceSize(kernel_, root_);
    if (char *q = OBJectLock(kernel_, root_); q && size >= 4) {
        const char *data = DataSpaceBegin(q);
        for (uint32_t i = 0; i + 4 <= size; i += 4) {
            const int32_t index = LoadField<int32_t>(data, i);
            if (index < 0)
                break;
            if (size_t(index) < lines_.size())
                remembered.insert(index);
        }
    }
    if (remembered.empty()) {
        selectFirstLine();
        return;
    }
    takeActiveLineFields();
    Select(remembered);
}

// The fields start from the active line: its width and unit, flags, line
// colour and fill.
void LayersDialogModel::takeActiveLineFields()
{
    const LayerLine &a = lines_[size_t(active_)];
    flags_ = a.record.lineOptions;
    width_ = std::max<uint32_t>(a.record.lineWidth, 1);
    lineColour_ = a.record.lineColor;
    fill_ = a.record.fill;
}

void LayersDialogModel::selectFirstLine()
{
    takeActiveLineFields();
    Select({0});
}

// A line whose number is already in the list replaces that line; else the
// line goes after the last one (AddLayerLine).
void LayersDialogModel::addLine(const Layer &record, OBJHANDLE layer)
{
    for (LayerLine &line : lines_)
        if (line.record.number == record.number) {
            line = {record, layer};
            return;
        }
    lines_.push_back({record, layer});
}

// The first line always holds layer 0: a default one is put before it when
// it does not.
void LayersDialogModel::keepFirstLineLayerZero()
{
    if (!lines_.empty() && lines_.front().record.number == 0)
        return;
    LayerLine zero;
    LayerInit(&zero.record);
    lines_.insert(lines_.begin(), zero);
    std::set<int> shifted;
    for (int i : selected_)
        shifted.insert(i + 1);
    selected_ = shifted;
    if (lines_.size() > 1)
        ++active_;
}

int32_t LayersDialogModel::nextFreeNumber() const
{
    if (lines_.empty())
        return 0;
    int64_t highest = 0;
    for (const LayerLine &l : lines_)
        highest = std::max<int64_t>(highest, l.record.number);
    return int32_t(std::min<int64_t>(highest + 1, PAGE_LAYER_NUMBER - 1));
}

std::string LayersDialogModel::unitText(bool inMapUnits) const
{
    return LineWidthUnitString(MapInstance(), window_, inMapUnits ? 1 : 0);
}

std::string LayersDialogModel::widthText(uint32_t width, bool inMapUnits) const
{
    return std::to_string(width) + unitText(inMapUnits);
}

void LayersDialogModel::Select(const std::set<int> &lines)
{
    selected_.clear();
    for (int i : lines)
        if (i >= 0 && size_t(i) < lines_.size())
            selected_.insert(i);
    showSelection();
}

// ShowSelectionInFields: a field shows a value only when every selected
// line shares it.
void LayersDialogModel::showSelection()
{
    Fields f;
    if (selected_.empty()) {
        f.number = std::to_string(nextFreeNumber());
        f.numberEnabled = true;
        f.name.clear();
        f.visible = fields_.visible == LayerCheck::Unchecked ? LayerCheck::Unchecked : LayerCheck::Checked;
        f.selectable =
            fields_.selectable == LayerCheck::Unchecked ? LayerCheck::Unchecked : LayerCheck::Checked;
        if (lines_.empty())
            f.visible = f.selectable = LayerCheck::Checked;
        f.active = lines_.empty() ? LayerCheck::Checked : LayerCheck::Unchecked;
        f.activeEnabled = false;
        f.unit = flags_ & LAYER_WIDTH_IN_UNITS ? 1 : 0;
        f.style = style_;
        f.lineColour = lineColour_;
        f.noFill = fill_ == LAYER_NO_FILL ? LayerCheck::Checked : LayerCheck::Unchecked;
        f.width = widthText(width_, flags_ & LAYER_WIDTH_IN_UNITS);
        f.deleteEnabled = false;
        fields_ = f;
        return;
    }
    auto common = [this](auto get) {
        const auto first = get(lines_[size_t(*selected_.begin())].record);
        for (int i : selected_)
            if (get(lines_[size_t(i)].record) != first)
                return std::optional<decltype(first)>{};
        return std::optional<decltype(first)>{first};
    };
    auto check = [](std::optional<uint8_t> v) {
        return !v ? LayerCheck::Indeterminate : *v ? LayerCheck::Checked : LayerCheck::Unchecked;
    };
    const bool one = selected_.size() == 1;
    const LayerLine &first = lines_[size_t(*selected_.begin())];
    f.numberEnabled = one;
    f.number = one ? std::to_string(first.record.number) : std::string();
    const auto name = common([](const Layer &r) { return std::string(r.name); });
    f.name = name ? *name : std::string();
    f.visible = check(common([](const Layer &r) { return r.visible; }));
    f.selectable = check(common([](const Layer &r) { return r.selectable; }));
    const auto unit = common([](const Layer &r) { return r.lineOptions & LAYER_WIDTH_IN_UNITS; });
    f.unit = unit ? (*unit ? 1 : 0) : -1;
    const auto colour = common([](const Layer &r) { return r.lineColor; });
    f.lineColour = colour;
    if (colour)
        lineColour_ = *colour;
    const auto fill = common([](const Layer &r) { return r.fill; });
    f.noFill = !fill                    ? LayerCheck::Indeterminate
               : *fill == LAYER_NO_FILL ? LayerCheck::Checked
                                        : LayerCheck::Unchecked;
    if (fill)
        fill_ = *fill;
    const auto style = common([](const Layer &r) { return r.lineStyle; });
    f.style = style ? int(*style) : -1;
    const auto width = common([](const Layer &r) {
        return std::make_pair(r.lineWidth, bool(r.lineOptions & LAYER_WIDTH_IN_UNITS));
    });
    f.width = width ? widthText(width->first, width->second) : std::string();
    if (width)
        width_ = std::max<uint32_t>(width->first, 1);
    const auto flags = common([](const Layer &r) { return r.lineOptions; });
    if (flags)
        flags_ = *flags;
    const bool activeSelected = selected_.count(active_) != 0;
    f.visibleEnabled = f.selectableEnabled = !activeSelected;
    f.activeEnabled = one && first.record.visible && first.record.selectable;
    f.active = one ? (activeSelected ? LayerCheck::Checked : LayerCheck::Unchecked)
                   : (activeSelected ? LayerCheck::Indeterminate : LayerCheck::Unchecked);
    f.deleteEnabled = !(one && *selected_.begin() == 0);
    fields_ = f;
}

// ApplyFieldsToSelectedLines for one changed field: the change goes to the
// copy of every selected line; with no line selected a new line is made
// from the fields instead.
template <class F>
void LayersDialogModel::apply(F change)
{
    for (int i : selected_)
        change(lines_[size_t(i)].record);
    keepFirstLineLayerZero();
    showSelection();
}

bool LayersDialogModel::SetNumberText(const std::string &text)
{
    const std::string former = fields_.number;
    if (text.empty() || text == "0" || !fields_.numberEnabled) {
        fields_.number = former;
        return true;
    }
    const auto number = positiveNumber(text, PAGE_LAYER_NUMBER - 1);
    if (!number) {
        MessageBoxA(0, LAYERSDLG_BAD_NUMBER_TEXT, "Layers", MB_OK | MB_ICONEXCLAMATION);
        fields_.number = text; // the field keeps the text and the focus
        return false;
    }
    const bool held = std::any_of(lines_.begin(), lines_.end(),
                                  [&](const LayerLine &l) { return l.record.number == *number; });
    if (std::to_string(*number) == former || held) {
        fields_.number = former;
        return true;
    }
    if (selected_.empty()) {
        Add(int32_t(*number));
        return true;
    }
    apply([&](Layer &r) { r.number = int32_t(*number); });
    return true;
}

void LayersDialogModel::SetName(const std::string &name)
{
    apply([&](Layer &r) {
        std::memset(r.name, 0, sizeof r.name);
        std::strncpy(r.name, name.c_str(), LAYER_NAME_SIZE - 1);
    });
}

void LayersDialogModel::SetVisible(bool on)
{
    fields_.visible = on ? LayerCheck::Checked : LayerCheck::Unchecked;
    if (!fields_.visibleEnabled)
        return;
    apply([&](Layer &r) { r.visible = on; });
}

void LayersDialogModel::SetSelectable(bool on)
{
    fields_.selectable = on ? LayerCheck::Checked : LayerCheck::Unchecked;
    if (!fields_.selectableEnabled)
        return;
    apply([&](Layer &r) { r.selectable = on; });
}

void LayersDialogModel::SetActive()
{
    if (!fields_.activeEnabled || selected_.empty())
        return;
    active_ = *selected_.begin();
    showSelection();
}

void LayersDialogModel::SetUnit(bool inMapUnits)
{
    flags_ = uint8_t(inMapUnits ? flags_ | LAYER_WIDTH_IN_UNITS : flags_ & ~LAYER_WIDTH_IN_UNITS);
    apply([&](Layer &r) {
        r.lineOptions = uint8_t(inMapUnits ? r.lineOptions | LAYER_WIDTH_IN_UNITS
                                           : r.lineOptions & ~LAYER_WIDTH_IN_UNITS);
    });
}

void LayersDialogModel::SetStyle(int style)
{
    if (style < 0 || style > 73)
        return;
    style_ = style;
    apply([&](Layer &r) { r.lineStyle = uint8_t(style); });
}

bool LayersDialogModel::SetWidthText(const std::string &text)
{
    // The field shows the number followed by its unit text.
    std::string digits = text.substr(0, text.find_first_not_of("0123456789"));
    const auto width = positiveNumber(digits, INT32_MAX);
    const std::string rest = text.substr(digits.size());
    const bool unitOnly =
        rest.find_first_not_of(' ') == std::string::npos || rest == unitText(false) || rest == unitText(true);
    if (!width || !unitOnly) {
        showSelection(); // the field shows the former width again
        return false;
    }
    width_ = uint32_t(*width);
    apply([&](Layer &r) { r.lineWidth = width_; });
    return true;
}

void LayersDialogModel::StepWidth(bool up)
{
    const auto current =
        positiveNumber(fields_.width.substr(0, fields_.width.find_first_not_of("0123456789")), INT32_MAX);
    int64_t w = current ? *current : 0;
    if (up)
        w = std::min<int64_t>(std::max<int64_t>(w, 1) + (current ? 1 : 0), INT32_MAX);
    else
        w = std::max<int64_t>(w - 1, 1);
    width_ = uint32_t(w);
    apply([&](Layer &r) { r.lineWidth = width_; });
    fields_.width = widthText(width_, flags_ & LAYER_WIDTH_IN_UNITS);
}

void LayersDialogModel::SetLineColour(COLORREF colour)
{
    lineColour_ = colour;
    apply([&](Layer &r) { r.lineColor = colour; });
}

void LayersDialogModel::SetFill(uint32_t fill)
{
    fill_ = fill;
    apply([&](Layer &r) { r.fill = fill; });
}

void LayersDialogModel::SetOptions(bool roundCorners, bool squareEnds)
{
    const auto set = [&](uint8_t flags) {
        flags = uint8_t(roundCorners ? flags | LAYER_ROUND_CORNERS : flags & ~LAYER_ROUND_CORNERS);
        return uint8_t(squareEnds ? flags | LAYER_SQUARE_ENDS : flags & ~LAYER_SQUARE_ENDS);
    };
    flags_ = set(flags_);
    apply([&](Layer &r) { r.lineOptions = set(r.lineOptions); });
}

void LayersDialogModel::Add(int32_t number)
{
    selected_.clear();
    showSelection();
    LayerLine line;
    LayerInit(&line.record);
    line.record.number = number >= 0 ? number : nextFreeNumber();
    std::strncpy(line.record.name, fields_.name.c_str(), LAYER_NAME_SIZE - 1);
    line.record.visible = fields_.visible != LayerCheck::Unchecked;
    line.record.selectable = fields_.selectable != LayerCheck::Unchecked;
    line.record.lineOptions = flags_;
    line.record.lineColor = lineColour_;
    line.record.lineStyle = uint8_t(style_);
    line.record.lineWidth = width_;
    line.record.fill = fill_;
    if (lines_.empty())
        active_ = 0;
    lines_.push_back(line);
    keepFirstLineLayerZero();
    showSelection();
}

void LayersDialogModel::Delete()
{
    const LayerLine *activeLine = size_t(active_) < lines_.size() ? &lines_[size_t(active_)] : nullptr;
    const OBJHANDLE activeLayer = activeLine ? activeLine->layer : 0;
    const int32_t activeNumber = activeLine ? activeLine->record.number : 0;
    for (auto it = selected_.rbegin(); it != selected_.rend(); ++it)
        if (*it > 0)
            lines_.erase(lines_.begin() + *it);
    active_ = 0;
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].layer == activeLayer && lines_[i].record.number == activeNumber)
            active_ = int(i);
    Select({0});
}

bool LayersDialogModel::MoveSelected(int position)
{
    if (position <= 0 || size_t(position) > lines_.size())
        return false;
    std::vector<LayerLine> moved;
    int removedAbove = 0;
    const int32_t activeNumber = lines_[size_t(active_)].record.number; // numbers are unique
    const bool activeMoves = selected_.count(active_) && active_ > 0;
    int activeOffset = 0;
    for (int i : selected_)
        if (i > 0) {
            if (i == active_)
                activeOffset = int(moved.size());
            moved.push_back(lines_[size_t(i)]);
            if (i < position)
                ++removedAbove;
        }
    if (moved.empty())
        return false;
    for (auto it = selected_.rbegin(); it != selected_.rend(); ++it)
        if (*it > 0)
            lines_.erase(lines_.begin() + *it);
    const int at = position - removedAbove;
    lines_.insert(lines_.begin() + at, moved.begin(), moved.end());
    if (activeMoves)
        active_ = at + activeOffset;
    else
        for (size_t i = 0; i < lines_.size(); ++i)
            if (lines_[i].record.number == activeNumber)
                active_ = int(i);
    std::set<int> range;
    for (int i = 0; i < int(moved.size()); ++i)
        range.insert(at + i);
    Select(range);
    return true;
}

OBJHANDLE LayersDialogModel::Ok()
{
    if (!valid())
        return root_;
    // Without a root before, every line becomes a new layer of the new root.
    const bool hadRoot = root_ != 0;
    const OBJHANDLE root = CreateOBJect(kernel_, CLASS_LAYERS);
    char *p = root ? OBJectLock(kernel_, root) : nullptr;
    if (!p)
        return root_;
    // The new layers are made first: a store too full for one of them ends
    // OK here, with the old root and its layers untouched.
    std::vector<OBJHANDLE> made(lines_.size(), 0);
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (hadRoot && lines_[i].layer && IsLayer(kernel_, lines_[i].layer))
            continue;
        made[i] = CreateOBJect(kernel_, CLASS_LAYER);
        char *q = made[i] ? OBJectLock(kernel_, made[i]) : nullptr;
        if (!q) {
            for (OBJHANDLE h : made)
                if (h)
                    OBJectDelete(kernel_, h);
            OBJectDelete(kernel_, root);
            return root_;
        }
        std::memcpy(q + kRecordBody, reinterpret_cast<const char *>(&lines_[i].record) + kRecordBody,
                    sizeof(Layer) - kRecordBody);
    }
    p = OBJectLock(kernel_, root);
    StoreField(p, offsetof(Layers, activeSlot), int32_t(active_));
    for (size_t i = 0; i < custom_.size(); ++i)
        StoreField(p, offsetof(Layers, customColours) + i * sizeof(COLORREF), custom_[i]);
    const OBJHANDLE selectedLayer = [&] {
        const char *q = hadRoot ? OBJectLock(kernel_, root_) : nullptr;
        const int32_t slot = q ? LoadField<int32_t>(q, GOH_SELSLOT) : -1;
        return slot >= 0 ? GetNthReferenced(kernel_, root_, slot) : OBJHANDLE(0);
    }();

    changedFrom_ = kNoChange;
    changedArea_ = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (size_t pos = 0; pos < lines_.size(); ++pos) {
        const LayerLine &line = lines_[pos];
        OBJHANDLE layer = line.layer;
        bool changed = false;
        if (!made[pos]) {
            Layer current;
            readLayer(kernel_, layer, &current);
            if (LayerRecordsDiffer(line.record, current) || changedFrom_ != kNoChange) {
                unite(changedArea_, current.head.bound);
                if (char *q = OBJectLock(kernel_, layer))
                    std::memcpy(q + kRecordBody, reinterpret_cast<const char *>(&line.record) + kRecordBody,
                                sizeof(Layer) - kRecordBody);
                changed = true;
            }
            const std::vector<OBJHANDLE> remaining = RefTargets(kernel_, root_, REF_LAYER_MEMBER);
            if (remaining.empty() || remaining.front() != layer)
                changed = true; // moved
            RemoveReference(kernel_, root_, REF_LAYER_MEMBER, layer);
        } else {
            layer = made[pos];
            changed = true;
        }
        InsertRefInPos(kernel_, root, REF_LAYER_MEMBER, layer, -1, -1);
        if (changed && int(pos) < changedFrom_)
            changedFrom_ = int(pos);
        if (layer == selectedLayer)
            if (char *q = OBJectLock(kernel_, root))
                StoreField(q, GOH_SELSLOT, FindReference(kernel_, root, REF_LAYER_MEMBER, layer));
    }

    if (hadRoot) {
        // The system layers (the page layer) follow, in their order.
        const std::vector<OBJHANDLE> left = RefTargets(kernel_, root_, REF_LAYER_MEMBER);
        for (OBJHANDLE l : left) {
            Layer r;
            if (readLayer(kernel_, l, &r) && r.name[0] == '\t') {
                RemoveReference(kernel_, root_, REF_LAYER_MEMBER, l);
                InsertRefInPos(kernel_, root, REF_LAYER_MEMBER, l, -1, -1);
            }
        }
        for (OBJHANDLE l : RefTargets(kernel_, root_, REF_LAYER_MEMBER)) {
            Layer r;
            if (readLayer(kernel_, l, &r))
                unite(changedArea_, r.head.bound);
        }
        DeleteTree(kernel_, root_, REF_LAYER_MEMBER);
    }

    if (char *q = OBJectLock(kernel_, root)) {
        const MAP_COORDRECT area = changedArea_;
        std::memcpy(q + offsetof(Layers, clipRect), &area, sizeof area);
        StoreField<uint32_t>(q, offsetof(Layers, clipFlag), 0);
        StoreField<int32_t>(q, offsetof(Layers, changedFrom), int32_t(changedFrom_));
    }
    // The selected lines, remembered for the next opening.
    std::vector<int32_t> remembered(selected_.begin(), selected_.end());
    remembered.push_back(-1);
    if (ReSizeOBJectData(kernel_, root, uint32_t(remembered.size() * sizeof(int32_t))))
        if (char *q = OBJectLock(kernel_, root))
            std::memcpy(DataSpaceBegin(q), remembered.data(), remembered.size() * sizeof(int32_t));
    root_ = root;
    return root;
}
