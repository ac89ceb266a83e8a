#include "fake_document.h"

#include "platform/registry.h"

#include <algorithm>
#include <cmath>

namespace fake {

namespace {

// The operation code of a change made outside an open step.
constexpr int32_t kSingleChange = 1;

constexpr DISPID kSelectionChanged = 9;
constexpr DISPID kUndoRedoCaption = 12;
constexpr DISPID kObjectAdd = 14;

std::string ReadLabelFont(int32_t *size)
{
    std::string face = "Arial";
    *size = 8;
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KRT\\GORM 8.0\\Text", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return face;
    char buffer[256] = {};
    DWORD type = 0;
    DWORD length = sizeof buffer - 1;
    if (RegQueryValueExA(key, "FaceName", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &length) ==
            ERROR_SUCCESS &&
        type == REG_SZ)
        face = std::string(buffer);
    DWORD value = 0;
    length = sizeof value;
    if (RegQueryValueExA(key, "Size", nullptr, &type, reinterpret_cast<BYTE *>(&value), &length) ==
            ERROR_SUCCESS &&
        type == REG_DWORD)
        *size = int32_t(value);
    RegCloseKey(key);
    return face;
}

} // namespace

void PageData::FollowPaper()
{
    if (!hasPaper)
        return;
    const int32_t across =
        isPortrait ? std::min(paper.sizeX, paper.sizeY) : std::max(paper.sizeX, paper.sizeY);
    const int32_t down = isPortrait ? std::max(paper.sizeX, paper.sizeY) : std::min(paper.sizeX, paper.sizeY);
    width = int32_t(std::lround(across * scale / 100));
    height = int32_t(std::lround(down * scale / 100));
}

const std::vector<PaperData> &Papers()
{
    static const std::vector<PaperData> papers = {
        {"A4", 9, 2100, 2970},
        {"A3", 8, 2970, 4200},
        {"A2", 66, 4200, 5940},
        {"Custom size", 256, 2000, 2000},
    };
    return papers;
}

void Rect::Add(Pt p)
{
    if (empty) {
        left = right = p.x;
        top = bottom = p.y;
        empty = false;
        return;
    }
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
}

void Rect::Add(const Rect &r)
{
    if (r.empty)
        return;
    Add(Pt{r.left, r.top});
    Add(Pt{r.right, r.bottom});
}

Document::Document()
{
    page.paper = Papers()[0];
    page.originX = 100;
    page.originY = 100;
    page.FollowPaper();
    Obj rootGroup;
    rootGroup.type = 33;
    rootGroup.groupName = "Root";
    root = NewHandle();
    state.objects[root] = rootGroup;
    Obj first;
    first.type = 17;
    first.group = root;
    first.layerData.name = "";
    first.layerData.number = 0;
    first.layerData.active = true;
    state.objects[NewHandle()] = first;
    // Every map has its page on a hidden layer of its own.
    Obj pageHolder;
    pageHolder.type = 17;
    pageHolder.group = root;
    pageHolder.layerData.name = "\t__PAGE__";
    pageHolder.layerData.number = kPageLayerNumber;
    pageLayer = NewHandle();
    state.objects[pageLayer] = pageHolder;
    Obj pageOnLayer;
    pageOnLayer.type = 6;
    pageOnLayer.layer = pageLayer;
    pageObject = NewHandle();
    state.objects[pageObject] = pageOnLayer;
}

int32_t Document::LayerNumberFor(int32_t asked, int32_t layer) const
{
    bool taken = asked < 0 || asked == kPageLayerNumber;
    int64_t highest = -1;
    for (const auto &[h, o] : state.objects) {
        if (o.type != 17 || h == layer || o.layerData.number == kPageLayerNumber)
            continue;
        taken |= o.layerData.number == asked;
        highest = std::max<int64_t>(highest, o.layerData.number);
    }
    if (!taken)
        return asked;
    int64_t next = highest + 1;
    if (next >= kPageLayerNumber) {
        next = 0;
        while (LayerNumberFor(int32_t(next), layer) != next)
            ++next;
    }
    return int32_t(next);
}

void Document::Fire(DISPID id, std::vector<Variant> args)
{
    if (fire)
        fire(id, std::move(args));
}

const Obj *Document::Find(int32_t handle) const
{
    const auto it = state.objects.find(handle);
    return it == state.objects.end() ? nullptr : &it->second;
}

Obj *Document::Find(int32_t handle)
{
    const auto it = state.objects.find(handle);
    return it == state.objects.end() ? nullptr : &it->second;
}

int32_t Document::ActiveLayer() const
{
    for (const auto &[h, o] : state.objects)
        if (o.type == 17 && o.layerData.active)
            return h;
    for (const auto &[h, o] : state.objects)
        if (o.type == 17)
            return h;
    return 0;
}

bool Document::IsSelected(int32_t handle) const
{
    return std::find(state.selection.begin(), state.selection.end(), handle) != state.selection.end();
}

void Document::Select(int32_t handle, bool on)
{
    if (on == IsSelected(handle) || (on && !Find(handle)))
        return;
    if (on)
        state.selection.push_back(handle);
    else
        std::erase(state.selection, handle);
    Fire(kSelectionChanged, {VariantFromLong(int32_t(state.selection.size()))});
}

void Document::DeselectAll()
{
    if (state.selection.empty())
        return;
    state.selection.clear();
    Fire(kSelectionChanged, {VariantFromLong(0)});
}

void Document::BeginChange()
{
    modified = true;
    if (stepDepth_ > 0) {
        if (!stepRecorded_)
            undo_.push_back({state, 0});
        stepRecorded_ = true;
        return;
    }
    undo_.push_back({state, kSingleChange});
    redo_.clear();
}

void Document::EndChange(int32_t code)
{
    if (stepDepth_ > 0)
        return;
    if (!undo_.empty())
        undo_.back().code = code;
    FireCaptions();
}

void Document::BeginStep()
{
    if (stepDepth_++ == 0) {
        stepRecorded_ = false;
        redo_.clear();
    }
}

void Document::EndStep(int32_t code)
{
    if (stepDepth_ == 0 || --stepDepth_ > 0)
        return;
    if (stepRecorded_)
        undo_.back().code = code;
    FireCaptions();
}

void Document::ClearSteps()
{
    undo_.clear();
    redo_.clear();
    FireCaptions();
}

void Document::FireCaptions()
{
    Fire(kUndoRedoCaption, {VariantFromLong(3), VariantFromLong(undo_.empty() ? 0 : undo_.back().code)});
    Fire(kUndoRedoCaption, {VariantFromLong(4), VariantFromLong(redo_.empty() ? 0 : redo_.back().code)});
}

bool Document::Undo()
{
    if (undo_.empty() || stepDepth_ > 0)
        return false;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    redo_.push_back({state, step.code});
    const size_t before = state.selection.size();
    state = std::move(step.state);
    modified = true;
    if (before != 0 || !state.selection.empty())
        Fire(kSelectionChanged, {VariantFromLong(int32_t(state.selection.size()))});
    FireCaptions();
    return true;
}

bool Document::Redo()
{
    if (redo_.empty() || stepDepth_ > 0)
        return false;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    undo_.push_back({state, step.code});
    const size_t before = state.selection.size();
    state = std::move(step.state);
    modified = true;
    if (before != 0 || !state.selection.empty())
        Fire(kSelectionChanged, {VariantFromLong(int32_t(state.selection.size()))});
    FireCaptions();
    return true;
}

int32_t Document::Add(Obj obj)
{
    BeginChange();
    if (obj.type != 17 && obj.type != 33 && !Find(obj.layer))
        obj.layer = ActiveLayer();
    if (obj.type == 17 && !Find(obj.group))
        obj.group = root;
    const int32_t h = NewHandle();
    state.objects[h] = std::move(obj);
    Fire(kObjectAdd, {VariantFromLong(h)});
    EndChange(kSingleChange);
    return h;
}

bool Document::Remove(int32_t handle)
{
    Obj *o = Find(handle);
    if (!o || handle == root || handle == pageLayer || handle == pageObject)
        return false;
    BeginChange();
    std::vector<int32_t> gone = {handle};
    if (o->type == 17)
        for (int32_t m : LayerMembers(handle))
            gone.push_back(m);
    for (size_t i = 0; i < gone.size(); ++i)
        if (const Obj *g = Find(gone[i])) {
            if (g->primaryLabel)
                gone.push_back(g->primaryLabel);
            if (g->secondaryLabel)
                gone.push_back(g->secondaryLabel);
        }
    bool selectionChanged = false;
    for (int32_t g : gone) {
        selectionChanged |= IsSelected(g);
        std::erase(state.selection, g);
        state.objects.erase(g);
    }
    for (auto &[h, m] : state.objects)
        if (m.group == handle)
            m.group = m.type == 17 ? root : 0;
    if (selectionChanged)
        Fire(kSelectionChanged, {VariantFromLong(int32_t(state.selection.size()))});
    EndChange(kSingleChange);
    return true;
}

std::vector<int32_t> Document::LayerMembers(int32_t layer) const
{
    std::vector<int32_t> r;
    for (const auto &[h, o] : state.objects)
        if (o.type != 17 && o.type != 33 && o.layer == layer)
            r.push_back(h);
    return r;
}

std::vector<int32_t> Document::GroupMembers(int32_t group) const
{
    std::vector<int32_t> r;
    for (const auto &[h, o] : state.objects)
        if (o.group == group && h != group)
            r.push_back(h);
    return r;
}

std::vector<int32_t> Document::Layers() const
{
    std::vector<int32_t> r;
    for (const auto &[h, o] : state.objects)
        if (o.type == 17 && h != pageLayer)
            r.push_back(h);
    if (Find(pageLayer))
        r.push_back(pageLayer);
    return r;
}

std::vector<int32_t> Document::MapObjects() const
{
    std::vector<int32_t> r;
    for (const auto &[h, o] : state.objects)
        if (o.type != 17)
            r.push_back(h);
    return r;
}

Rect Document::Bounds(int32_t handle) const
{
    Rect r;
    const Obj *o = Find(handle);
    if (!o)
        return r;
    switch (o->type) {
    case 1:
    case 2:
        for (Pt p : o->points)
            r.Add(p);
        break;
    case 3:
        r.Add(o->text.position);
        break;
    case 5:
        r.Add(Pt{o->raster.originX, o->raster.originY});
        r.Add(Pt{o->raster.originX + o->raster.width, o->raster.originY + o->raster.height});
        break;
    case 6:
        r.Add(Pt{page.originX, page.originY});
        r.Add(Pt{page.originX + page.width, page.originY + page.height});
        break;
    case 17:
        for (int32_t m : LayerMembers(handle))
            r.Add(Bounds(m));
        break;
    case 33:
        for (int32_t m : GroupMembers(handle))
            if (Find(m)->type != 17)
                r.Add(Bounds(m));
        break;
    default:
        break;
    }
    return r;
}

double Document::Area(int32_t handle) const
{
    const Obj *o = Find(handle);
    if (!o || o->type != 2 || o->points.size() < 3)
        return 0;
    double twice = 0;
    for (size_t i = 0; i < o->points.size(); ++i) {
        const Pt a = o->points[i];
        const Pt b = o->points[(i + 1) % o->points.size()];
        twice += double(a.x) * b.y - double(b.x) * a.y;
    }
    const double squareMetres = std::fabs(twice) / 2 / 10000; // map units are centimetres
    switch (areaUnit) {
    case 29:
        return squareMetres / 10000;
    case 30:
        return squareMetres / 4046.8564224;
    default:
        return squareMetres;
    }
}

double Document::Length(int32_t handle) const
{
    const Obj *o = Find(handle);
    if (!o || (o->type != 1 && o->type != 2) || o->points.size() < 2)
        return 0;
    double cm = 0;
    const size_t n = o->points.size();
    const size_t edges = o->type == 2 ? n : n - 1;
    for (size_t i = 0; i < edges; ++i) {
        const Pt a = o->points[i];
        const Pt b = o->points[(i + 1) % n];
        cm += std::hypot(double(b.x) - a.x, double(b.y) - a.y);
    }
    return cm / 100;
}

int32_t Document::Label(int32_t handle, const std::string &text)
{
    const Rect r = Bounds(handle);
    Obj label;
    label.type = 3;
    label.layer = ActiveLayer();
    label.text.text = text;
    label.text.position = {int32_t((int64_t(r.left) + r.right) / 2),
                           int32_t((int64_t(r.top) + r.bottom) / 2)};
    label.text.fontName = ReadLabelFont(&label.text.size);
    label.text.isDerivedFromID = true;
    return Add(std::move(label));
}

} // namespace fake
