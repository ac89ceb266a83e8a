// The map operations of the wrapper: thin compositions of the control's
// members. Views read from a map object (Layer, Text, Raster, Group) are
// copies, so every change below is written back through the object.
#include "editor/shell/map/tpmap.h"
#include "editor/shell/map/trace_scope.h"

#include "editor/shell/support/paths.h"
#include "platform/registry.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace {

// Rounds to the nearest integer, an exact half to the even neighbour.
int32_t RoundEven(double v) { return int32_t(std::nearbyint(v)); }

std::string Trimmed(const std::string &s)
{
    const size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const size_t last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

// Calls f for each object of a collection until it returns false.
template <class F>
void ForEach(const IKrtObjects &collection, F f)
{
    TMapEnumerator e(collection);
    for (IKrtObject o = e.Next(); o; o = e.Next())
        if (!f(o))
            break;
}

constexpr int kSectorBase = 65536;
// The face of symbol texts.
constexpr std::string_view kSymbolFont = "Wingdings";
constexpr int kLinkSector = 1;
constexpr int kLinkFirstSlot = 3;
constexpr int kLinkSlots = 13; // slots 3 to 15

int32_t SectorLayerNumber(int sector, int slot) { return kSectorBase + sector * 16 + slot; }

} // namespace

IKrtObject TPMap::FirstLayer(const std::function<bool(const IKrtLayer &)> &match) const
{
    IKrtObject found;
    ForEach(control_.MapLayers(), [&](const IKrtObject &o) {
        if (match(o.Layer()))
            found = o;
        return found.IsNone();
    });
    return found;
}

// --- Objects -----------------------------------------------------------------------

IKrtObject TPMap::AddObject(const KrtDispatch &object)
{
    const TTraceScope trace("TPMap.AddObject()");
    const IKrtObjects objects = control_.MapObjects();
    const int32_t handle = objects.Add(object);
    return handle > 0 ? objects.Item(handle) : IKrtObject();
}

IKrtObject TPMap::AddPoly(const IKrtPoly &poly, const IKrtObject &layer)
{
    const TTraceScope trace("TPMap.AddPoly()");
    IKrtObject o = AddObject(poly);
    if (o && layer)
        o.PuthLayer(layer.hObject());
    return o;
}

IKrtObject TPMap::AddText(const IKrtText &text, const IKrtObject &layer)
{
    const TTraceScope trace("TPMap.AddText()");
    IKrtObject o = AddObject(text);
    if (o && layer)
        o.PuthLayer(layer.hObject());
    return o;
}

IKrtObject TPMap::NewText(const std::string &text, int32_t x, int32_t y, const TFontSpec *font,
                          const IKrtObject &layer)
{
    const TTraceScope trace("TPMap.NewText()");
    const IKrtText t = IKrtText::New();
    t.PutText(text);
    const IKrtPoint at = IKrtPoint::New();
    at.Putx(x);
    at.Puty(y);
    t.PutPosition(at);
    t.PutLockTo(1);
    if (font) {
        t.PutFont(IStdFont::Of(font->Name, font->Size));
        t.PutSize(font->Size);
        t.PutColor(font->Color);
    } else {
        t.PutSize(8);
    }
    t.PutUseLayerColor(false);
    return AddText(t, layer);
}

IKrtObject TPMap::NewSymbol(char character, int32_t x, int32_t y, int32_t size, const IKrtObject &layer)
{
    const TTraceScope trace("TPMap.NewSymbol()");
    const IKrtText t = IKrtText::New();
    t.PutText(std::string(1, character));
    const IKrtPoint at = IKrtPoint::New();
    at.Putx(x);
    at.Puty(y);
    t.PutPosition(at);
    t.PutLockTo(1);
    t.PutFont(IStdFont::Of(kSymbolFont, std::max(size, 1)));
    t.PutSize(std::max(size, 1));
    t.PutHorizontalAlignment(1);
    t.PutVerticalAlignment(1);
    t.PutUseLayerColor(true);
    return AddText(t, layer);
}

bool TPMap::IsSymbolText(const IKrtObject &object) const
{
    const TTraceScope trace("TPMap.IsSymbolText()");
    if (object.IsNone() || object.ObjectType() != otText)
        return false;
    const IKrtText t = object.Text();
    return t.Text().size() == 1 && t.Font().Name() == kSymbolFont;
}

IKrtObject TPMap::NewGroup() { return AddObject(IKrtGroup::New()); }

IKrtObject TPMap::CopyObject(const IKrtObject &object)
{
    const TTraceScope trace("TPMap.CopyObject()");
    if (object.IsNone())
        return {};
    IKrtObject copy;
    switch (object.ObjectType()) {
    case otPolyline:
    case otPolygon:
        copy = AddObject(object.Poly());
        break;
    case otText:
        copy = AddObject(object.Text());
        break;
    default:
        return {};
    }
    if (copy)
        copy.PuthLayer(object.hLayer());
    return copy;
}

IKrtObject TPMap::CopyRaster(const IKrtObject &raster)
{
    const TTraceScope trace("TPMap.CopyRaster()");
    if (raster.IsNone() || raster.ObjectType() != otRaster)
        return {};
    const IKrtRaster source = raster.Raster();
    const IKrtRaster r = IKrtRaster::New();
    r.PutFileName(source.FileName());
    IKrtObject copy = AddRaster(r);
    if (copy) {
        const IKrtRaster placed = copy.Raster();
        placed.PutOriginX(source.OriginX());
        placed.PutOriginY(source.OriginY());
        placed.PutWidth(source.Width());
        placed.PutHeight(source.Height());
        copy.PutRaster(placed);
    }
    return copy;
}

IKrtObject TPMap::AddRaster(const IKrtRaster &raster)
{
    const TTraceScope trace("TPMap.AddRaster()");
    // The control decides whether the file matches a format: the first one
    // it accepts wins; TIFF is tried only for ".tif" files.
    std::vector<int32_t> formats = {0, 3, 1};
    if (SameTextIgnoringCase(ExtractFileExt(raster.FileName()), ".tif"))
        formats.insert(formats.begin(), 2);
    const IKrtObjects objects = control_.MapObjects();
    for (int32_t format : formats) {
        raster.PutFileFormat(format);
        int32_t handle = 0;
        try {
            handle = objects.Add(raster);
        } catch (const ControlException &) {
            handle = 0; // a format the control cannot read the file with
        }
        if (handle > 0) {
            control_.PutIsModified(true);
            return objects.Item(handle);
        }
    }
    return {};
}

IKrtObject TPMap::AddRasterOnLayer(const IKrtRaster &raster, const IKrtObject &layer)
{
    const TTraceScope trace("TPMap.AddRasterOnLayer()");
    IKrtObject o = AddRaster(raster);
    if (o && layer)
        o.PuthLayer(layer.hObject());
    return o;
}

bool TPMap::DeleteObject(const IKrtObject &object)
{
    const TTraceScope trace("TPMap.DeleteObject()");
    if (object.IsNone())
        return false;
    const int32_t type = object.ObjectType();
    if (type == otNone || type == otPage)
        return false;
    if (type == otLayer)
        return DeleteLayer(object);
    const int32_t handle = object.hObject();
    const IKrtObjects objects = control_.MapObjects();
    objects.Remove(handle);
    // Remove answers 0 whatever happened: the object went when its handle
    // reads as no object.
    return objects.Item(handle).ObjectType() == otNone;
}

IKrtObject TPMap::GetObject(int32_t handle) const
{
    const TTraceScope trace("TPMap.GetObject()");
    return handle > 0 ? control_.MapObjects().Item(handle) : IKrtObject();
}

IKrtObject TPMap::FindObject(const std::string &identifier) const
{
    const TTraceScope trace("TPMap.FindObject()");
    IKrtObject o = control_.MapObjects().Item(identifier);
    return o && o.ObjectType() != otNone ? o : IKrtObject();
}

void TPMap::ZoomToObject(const IKrtObject &object, int steps)
{
    const TTraceScope trace("TPMap.ZoomToObject()");
    const IKrtRect r = object.BoundingRectangle();
    control_.Zoom(r, true);
    for (int i = 0; i < steps; ++i)
        control_.Zoom(r, false);
}

bool TPMap::IsBlank() const
{
    const TTraceScope trace("TPMap.IsBlank()");
    bool blank = true;
    ForEach(control_.MapObjects(), [&](const IKrtObject &o) {
        const int32_t t = o.ObjectType();
        blank = t != otPolyline && t != otPolygon && t != otText;
        return blank;
    });
    return blank;
}

bool TPMap::InMapBounds(int32_t x, int32_t y) const
{
    const TTraceScope trace("TPMap.InMapBounds()");
    const IKrtRect r = control_.MapObjects().BoundingRectangle();
    return r.left() <= x && x <= r.right() && r.top() <= y && y <= r.bottom();
}

// --- Layers ------------------------------------------------------------------------

int32_t TPMap::NextLayerNumber() const
{
    const TTraceScope trace("TPMap.NextLayerNumber()");
    // R is the smallest number from 100 not seen yet; numbers above it wait
    // in a sorted set until R reaches them.
    int64_t r = 100;
    std::set<int64_t> above;
    ForEach(control_.MapLayers(), [&](const IKrtObject &o) {
        const int64_t n = o.Layer().Number();
        if (n == r) {
            ++r;
            while (above.erase(r))
                ++r;
        } else if (n > r) {
            above.insert(n);
        }
        return true;
    });
    return int32_t(std::min<int64_t>(r, INT32_MAX));
}

IKrtObject TPMap::DoAddLayer(const IKrtLayer &layer, int32_t number)
{
    const TTraceScope trace("TPMap.DoAddLayer()");
    if (number < 1 || (number > 1 && GetLayerByNumber(number)))
        number = NextLayerNumber();
    IKrtObject o = AddObject(layer);
    if (o.IsNone())
        return {};
    const IKrtLayer l = o.Layer();
    l.PutNumber(number);
    o.PutLayer(l);
    SetLayerArgs(o);
    FireEvent(meContentChanged);
    return o;
}

IKrtObject TPMap::NewLayer(const std::string &name, int32_t number)
{
    const TTraceScope trace("TPMap.NewLayer()");
    const IKrtLayer l = IKrtLayer::New();
    l.PutName(name);
    return DoAddLayer(l, number);
}

IKrtObject TPMap::NewLayerAt(const std::string &name, int32_t order)
{
    const TTraceScope trace("TPMap.NewLayerAt()");
    const IKrtLayer l = IKrtLayer::New();
    l.PutName(name);
    l.PutOrder(order);
    return DoAddLayer(l, NextLayerNumber());
}

int32_t TPMap::RenumberLayer(const IKrtObject &object)
{
    const TTraceScope trace("TPMap.RenumberLayer()");
    if (object.IsNone() || object.ObjectType() != otLayer)
        return -1;
    const int32_t number = NextLayerNumber();
    const IKrtLayer l = object.Layer();
    l.PutNumber(number);
    object.PutLayer(l);
    return number;
}

int32_t TPMap::SetLayerOrder(const IKrtObject &object, int32_t order)
{
    const TTraceScope trace("TPMap.SetLayerOrder()");
    if (object.IsNone() || object.ObjectType() != otLayer)
        return -1;
    const IKrtLayer l = object.Layer();
    l.PutOrder(order);
    object.PutLayer(l);
    return object.Layer().Order();
}

IKrtObject TPMap::GetActiveLayer() const
{
    const TTraceScope trace("TPMap.GetActiveLayer()");
    return FirstLayer([](const IKrtLayer &l) { return l && l.Active(); });
}

void TPMap::SetActiveLayer(const IKrtObject &layer)
{
    const TTraceScope trace("TPMap.SetActiveLayer()");
    if (layer.IsNone() || IsPageOutlineLayer(layer))
        return;
    const IKrtLayer l = layer.Layer();
    l.PutVisible(true);
    l.PutSelectable(true);
    l.PutActive(true);
    const std::string name = l.Name();
    if (!name.empty() && name[0] == '_') {
        // Private layers never become active.
        if (OnMessage)
            OnMessage(*this, "Attempt to make " + name + " ACTIVE");
        return;
    }
    layer.PutLayer(l);
    FireEvent(meActiveLayerChanged);
}

IKrtObject TPMap::GetLayerByNumber(int32_t number) const
{
    const TTraceScope trace("TPMap.GetLayerByNumber()");
    return FirstLayer([number](const IKrtLayer &l) { return l && l.Number() == number; });
}

IKrtObject TPMap::GetLayerByName(const std::string &name) const
{
    const TTraceScope trace("TPMap.GetLayerByName()");
    return FirstLayer([&name](const IKrtLayer &l) { return l && l.Name() == name; });
}

std::string TPMap::LayerName(int32_t layerHandle) const
{
    const TTraceScope trace("TPMap.LayerName()");
    const IKrtObject o = control_.MapLayers().Item(layerHandle);
    return o && o.ObjectType() == otLayer ? o.Layer().Name() : std::string();
}

IKrtObjects TPMap::GetLayerObjects(const IKrtObject &layer) const { return layer.Layer().Objects(); }

void TPMap::SetLayerSelectable(const IKrtObject &layer, bool selectable)
{
    const TTraceScope trace("TPMap.SetLayerSelectable()");
    const IKrtLayer l = layer.Layer();
    l.PutSelectable(selectable);
    layer.PutLayer(l);
}

void TPMap::SetLayerLineStyle(const IKrtObject &layer, int32_t style, int32_t width, int32_t colour,
                              int32_t unitFlag)
{
    const TTraceScope trace("TPMap.SetLayerLineStyle()");
    const IKrtLayer l = layer.Layer();
    const IKrtLineStyle s = l.LineStyle();
    s.PutStyle(style);
    s.PutWidth(width);
    s.PutColor(colour);
    s.PutWidthInUnits(unitFlag != 1);
    l.PutLineStyle(s);
    layer.PutLayer(l);
}

void TPMap::SetLayerFill(const IKrtObject &layer, uint32_t colourWithAlpha, int32_t hatch, int32_t fillFlag)
{
    const TTraceScope trace("TPMap.SetLayerFill()");
    const IKrtLayer l = layer.Layer();
    l.PutFillColor(int32_t(colourWithAlpha & 0xFFFFFF));
    l.PutTransparency(RoundEven((colourWithAlpha >> 24) * 0.39216)); // the alpha byte as a percentage
    l.PutFillHatch(hatch);
    l.PutNoFillColor(fillFlag != 1);
    layer.PutLayer(l);
}

bool TPMap::IsPageOutlineLayer(const IKrtObject &object) const
{
    const TTraceScope trace("TPMap.IsPageOutlineLayer()");
    return object && object.ObjectType() == otLayer && object.Layer().Number() == kPageOutlineLayer;
}

bool TPMap::IsPenParkingLayer(const IKrtObject &object) const
{
    const TTraceScope trace("TPMap.IsPenParkingLayer()");
    return object && object.ObjectType() == otLayer && object.Layer().Number() == kPenParkingLayer;
}

int TPMap::PurgeEmptyLayers(bool remove)
{
    const TTraceScope trace("TPMap.PurgeEmptyLayers()");
    std::vector<IKrtObject> empty;
    ForEach(control_.MapLayers(), [&](const IKrtObject &o) {
        const IKrtLayer l = o.Layer();
        const int32_t n = l.Number();
        const std::string name = l.Name();
        if (n != kPageOutlineLayer && n != kPenParkingLayer && (name.empty() || name[0] != '_') &&
            l.Objects().Count() == 0)
            empty.push_back(o);
        return true;
    });
    if (remove) {
        HoldEvent(meObjectsRemoved);
        try {
            for (const IKrtObject &o : empty)
                DeleteLayer(o);
        } catch (...) {
            HoldEvent(meNone);
            FireEvent(meObjectsRemoved);
            throw;
        }
        HoldEvent(meNone);
        FireEvent(meObjectsRemoved);
    }
    return int(empty.size());
}

int32_t TPMap::GridSystem() const
{
    const TTraceScope trace("TPMap.GridSystem()");
    int32_t grid = 255;
    ForEach(control_.MapLayers(), [&](const IKrtObject &o) {
        const int32_t n = o.Layer().Number();
        if (n >= 0 && n / 256 == 510)
            grid = n & 0xFF;
        return true;
    });
    return grid;
}

void TPMap::SetGridSystem(int32_t gridId)
{
    const TTraceScope trace("TPMap.SetGridSystem()");
    if ((GridSystem() & 0xFF) != 255)
        return;
    if (const IKrtObject layer = NewLayer("_Grid ID", 130560 + gridId))
        SetLayerSelectable(layer, false);
}

bool TPMap::AddLayerToTheme(const IKrtObject &theme, const IKrtObject &layer)
{
    const TTraceScope trace("TPMap.AddLayerToTheme()");
    const IKrtGroup group = theme.Group();
    group.Objects().Add(layer.Layer());
    theme.PutGroup(group);
    const IKrtLayer l = layer.Layer();
    l.PutTheme(group);
    layer.PutLayer(l);
    return true;
}

// --- Groups ------------------------------------------------------------------------

IKrtObject TPMap::GetRootGroup() const
{
    const TTraceScope trace("TPMap.GetRootGroup()");
    IKrtObject root;
    ForEach(control_.MapObjects(), [&](const IKrtObject &o) {
        if (o.ObjectType() == otGroup && o.Group().Name() == "Root")
            root = o;
        return root.IsNone();
    });
    return root;
}

IKrtObject TPMap::FindGroup(const std::string &name) const
{
    const TTraceScope trace("TPMap.FindGroup()");
    const IKrtObject root = GetRootGroup();
    if (name == "Root" || root.IsNone())
        return root;
    IKrtObject found;
    ForEach(root.Group().Objects(), [&](const IKrtObject &o) {
        if (o.ObjectType() == otGroup && o.Group().Name() == name)
            found = o;
        return found.IsNone();
    });
    return found;
}

IKrtObjects TPMap::GetGroupObjects(const IKrtObject &group) const { return group.Group().Objects(); }

void TPMap::AddToGroup(const IKrtObject &object, const IKrtObject &group)
{
    const TTraceScope trace("TPMap.AddToGroup()");
    KrtDispatch view;
    switch (object.ObjectType()) {
    case otPolyline:
    case otPolygon:
        view = object.Poly();
        break;
    case otText:
        view = object.Text();
        break;
    case otLayer:
        view = object.Layer();
        break;
    case otRaster:
        view = object.Raster();
        break;
    default:
        return;
    }
    group.Group().Objects().Add(view);
}

void TPMap::AddToGroupHandle(int32_t groupHandle, const IKrtObject &object)
{
    const TTraceScope trace("TPMap.AddToGroupHandle()");
    AddToGroup(object, GetObject(groupHandle));
}

int TPMap::PurgeEmptyGroups(bool remove)
{
    const TTraceScope trace("TPMap.PurgeEmptyGroups()");
    std::vector<IKrtObject> empty;
    ForEach(control_.MapObjects(), [&](const IKrtObject &o) {
        if (o.ObjectType() == otGroup && o.Group().Objects().Count() == 0)
            empty.push_back(o);
        return true;
    });
    if (remove)
        for (const IKrtObject &o : empty)
            DeleteObject(o);
    return int(empty.size());
}

// --- Selection ---------------------------------------------------------------------

IKrtObjects TPMap::GetSelected() const { return control_.Selection().Objects(); }
int32_t TPMap::SelectedCount() const { return GetSelected().Count(); }
double TPMap::SelectionLength() const { return control_.Selection().Length(); }
double TPMap::SelectionArea() const { return control_.Selection().Area(); }

std::string TPMap::SelectionLayerName() const
{
    const TTraceScope trace("TPMap.SelectionLayerName()");
    std::string name;
    bool first = true;
    ForEach(GetSelected(), [&](const IKrtObject &o) {
        if (o.ObjectType() == otGroup)
            return true;
        const std::string n = LayerName(o.hLayer());
        if (first) {
            name = n;
            first = false;
        } else if (n != name) {
            name = "Multiple layers";
            return false;
        }
        return true;
    });
    return name;
}

void TPMap::UpdateSelectionTypes()
{
    const TTraceScope trace("TPMap.UpdateSelectionTypes()");
    SelectionTypes.fill(false);
    ForEach(GetSelected(), [&](const IKrtObject &o) {
        const int32_t t = o.ObjectType();
        if (t >= 0 && size_t(t) < SelectionTypes.size())
            SelectionTypes[size_t(t)] = true;
        return true;
    });
}

bool TPMap::SelectionHasType(int32_t type) const
{
    const TTraceScope trace("TPMap.SelectionHasType()");
    return type >= 0 && size_t(type) < SelectionTypes.size() && SelectionTypes[size_t(type)];
}

std::string TPMap::SelectionIDText() const
{
    const TTraceScope trace("TPMap.SelectionIDText()");
    std::string text;
    ForEach(GetSelected(), [&](const IKrtObject &o) {
        text = o.PrimaryID() + " : " + o.SecondaryID();
        return false;
    });
    return text.size() < 4 ? std::string() : text;
}

// --- Texts and identifiers ---------------------------------------------------------

void TPMap::SetTextStyle(const IKrtObject &text, int32_t colour, int32_t horizontal, int32_t vertical,
                         double degrees)
{
    const TTraceScope trace("TPMap.SetTextStyle()");
    const IKrtText t = text.Text();
    t.PutColor(colour);
    t.PutHorizontalAlignment(horizontal);
    t.PutVerticalAlignment(vertical);
    t.PutEscapement(RoundEven(degrees * 10)); // tenths of a degree
    text.PutText(t);
}

TPMap::TFontSpec TPMap::GetTextFont(const IKrtObject &text) const
{
    const TTraceScope trace("TPMap.GetTextFont()");
    TFontSpec font{"Arial", 8, 0};
    try {
        const IKrtText t = text.Text();
        const IStdFont f = t.Font();
        font = {f.Name(), f.Size(), t.Color()};
    } catch (const ControlException &) {
        // a failing read leaves the default font
    }
    return font;
}

void TPMap::StoreIdentifierFont()
{
    const TTraceScope trace("TPMap.StoreIdentifierFont()");
    std::string face = "Arial";
    int32_t size = 8;
    ForEach(control_.MapObjects(), [&](const IKrtObject &o) {
        if (o.ObjectType() != otText)
            return true;
        const IKrtText t = o.Text();
        if (!t.IsDerivedFromID())
            return true;
        // A label without a face or size leaves the default for them.
        if (const std::string f = t.FontName(); !f.empty())
            face = f;
        if (const int32_t s = t.Size(); s > 0)
            size = s;
        return false;
    });
    // Where the engine takes the font of new identifier labels.
    HKEY key = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KRT\\GORM 8.0\\Text", 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "FaceName", 0, REG_SZ, reinterpret_cast<const BYTE *>(face.c_str()),
                   DWORD(face.size() + 1));
    const DWORD value = DWORD(size);
    RegSetValueExA(key, "Size", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
    RegCloseKey(key);
}

bool TPMap::IsIdentifierText(const IKrtObject &object) const
{
    const TTraceScope trace("TPMap.IsIdentifierText()");
    return object && object.ObjectType() == otText && object.Text().IsDerivedFromID();
}

std::pair<IKrtObject, IKrtObject> TPMap::GetIdentifierTexts(const IKrtObject &object) const
{
    const TTraceScope trace("TPMap.GetIdentifierTexts()");
    auto textOf = [this](int32_t handle) {
        const IKrtObject o = GetObject(handle);
        return o && o.ObjectType() == otText ? o : IKrtObject();
    };
    return {textOf(object.GetHPrimaryID()), textOf(object.GetHSecondaryID())};
}

// --- Page and view -----------------------------------------------------------------

IKrtPage TPMap::GetPage() const { return control_.Page(); }

void TPMap::SetPage(const IKrtPage &page)
{
    const TTraceScope trace("TPMap.SetPage()");
    auto paperId = [](const IKrtPage &p) {
        const IKrtPaper paper = p.Paper();
        return paper ? paper.Identifier() : -1;
    };
    const IKrtPage before = control_.Page();
    const int32_t scaleBefore = RoundEven(before.Scale());
    const int32_t paperBefore = paperId(before);
    control_.PutPage(page);
    const IKrtPage after = control_.Page();
    if (RoundEven(after.Scale()) != scaleBefore)
        FireEvent(mePageScaleChanged);
    if (paperId(after) != paperBefore)
        FireEvent(mePaperChanged);
}

void TPMap::SetPageScale(double scale)
{
    const TTraceScope trace("TPMap.SetPageScale()");
    const IKrtPage page = control_.Page();
    page.PutScale(scale);
    SetPage(page);
}

double TPMap::GetPageScale() const { return control_.Page().Scale(); }

int32_t TPMap::PageRelativeSize(double value) const
{
    const TTraceScope trace("TPMap.PageRelativeSize()");
    const IKrtPage page = control_.Page();
    const double scale = page.Scale();
    if (!(scale > 0))
        return 1;
    return std::max(1, RoundEven(value * (page.IsPortrait() ? 4460 : 3150) / scale));
}

int TPMap::PageASize() const
{
    const TTraceScope trace("TPMap.PageASize()");
    const IKrtPage page = control_.Page();
    const double scale = page.Scale();
    if (!(scale > 0))
        return 0;
    const double longer = std::max(page.Width(), page.Height());
    const int64_t d = std::llround(longer / scale * 10); // the paper's long side in millimetres
    int size = 6;
    int64_t limit = 180;
    while (d > limit && size >= 1) {
        limit = std::llround(double(limit) * 1.4142);
        --size;
    }
    return size;
}

void TPMap::CentrePage(int32_t x, int32_t y)
{
    const TTraceScope trace("TPMap.CentrePage()");
    const IKrtPage page = control_.Page();
    // In 64 bits: a centre near the coordinate limits must not wrap.
    page.PutOriginX(int32_t(std::clamp<int64_t>(int64_t(x) - page.Width() / 2, INT32_MIN, INT32_MAX)));
    page.PutOriginY(int32_t(std::clamp<int64_t>(int64_t(y) - page.Height() / 2, INT32_MIN, INT32_MAX)));
    control_.PutPage(page);
}

std::pair<int32_t, int32_t> TPMap::PageCentre() const
{
    const IKrtPage page = control_.Page();
    return {int32_t(std::clamp<int64_t>(int64_t(page.OriginX()) + page.Width() / 2, INT32_MIN, INT32_MAX)),
            int32_t(std::clamp<int64_t>(int64_t(page.OriginY()) + page.Height() / 2, INT32_MIN, INT32_MAX))};
}

double TPMap::MapUnitsPerPixel()
{
    const TTraceScope trace("TPMap.MapUnitsPerPixel()");
    const IKrtPoint top = IKrtPoint::New();
    scratchA_.Putx(50);
    scratchA_.Puty(0);
    control_.WindowToMap(scratchA_, top);
    scratchA_.Puty(1000);
    control_.WindowToMap(scratchA_, scratchB_);
    return (double(scratchB_.y()) - top.y()) / 1000;
}

bool TPMap::MapFocused() const
{
    const TTraceScope trace("TPMap.MapFocused()");
    const QWidget *w = control_.Widget();
    return w && w->hasFocus();
}

// --- Units, undo, engine import and export -----------------------------------------

void TPMap::SetUnits(int32_t code) { control_.UnitsSet(code > 15 ? 4 : 3, code); }

std::string TPMap::LengthUnitName() const
{
    const TTraceScope trace("TPMap.LengthUnitName()");
    return Trimmed(control_.UnitStringGet(control_.UnitsGet(3), true));
}

std::string TPMap::AreaUnitName() const
{
    const TTraceScope trace("TPMap.AreaUnitName()");
    return Trimmed(control_.UnitStringGet(control_.UnitsGet(4), true));
}

void TPMap::BeginUndoStep() { control_.UndoRedo().BeginStep(); }

void TPMap::EndUndoStep(int32_t actionCode) { control_.UndoRedo().EndStep(actionCode); }

void TPMap::ClearUndoHistory() { control_.UndoRedo().Clear(); }

int32_t TPMap::ImportFile(const std::string &file, const std::string &formatKey)
{
    const TTraceScope trace("TPMap.ImportFile()");
    int32_t result = -1;
    try {
        result = control_.ImportEx(formatKey, file, false);
    } catch (const ControlException &) {
        result = -1;
    }
    FireEvent(meContentChanged);
    return result;
}

int32_t TPMap::ExportFile(const std::string &file, const std::string &formatKey)
{
    const TTraceScope trace("TPMap.ExportFile()");
    return control_.ExportEx(formatKey, file, false);
}

int32_t TPMap::Export() { return control_.Export(0); }

void TPMap::CopyProgress(int32_t percent)
{
    const TTraceScope trace("TPMap.CopyProgress()");
    if (OnProgress)
        OnProgress(*this, 2, percent);
}

// --- Sector store ------------------------------------------------------------------

void TPMap::SetSectorValue(int sector, int slot, const std::string &text)
{
    const TTraceScope trace("TPMap.SetSectorValue()");
    const int32_t number = SectorLayerNumber(sector, slot);
    IKrtObject layer = GetLayerByNumber(number);
    if (layer.IsNone()) {
        char name[16];
        std::snprintf(name, sizeof name, "_Sector%02X", unsigned(sector * 16 + slot) & 0xFFu);
        layer = NewLayer(name, number);
    }
    if (layer)
        layer.PutSecondaryID(text);
}

std::string TPMap::GetSectorValue(int sector, int slot) const
{
    const TTraceScope trace("TPMap.GetSectorValue()");
    const IKrtObject layer = GetLayerByNumber(SectorLayerNumber(sector, slot));
    return layer ? layer.SecondaryID() : std::string();
}

void TPMap::ClearSector(int sector)
{
    const TTraceScope trace("TPMap.ClearSector()");
    HoldEvent(meObjectsRemoved);
    try {
        for (int slot = 0; slot < 16; ++slot)
            if (const IKrtObject layer = GetLayerByNumber(SectorLayerNumber(sector, slot)))
                DeleteLayer(layer);
    } catch (...) {
        HoldEvent(meNone);
        throw;
    }
    HoldEvent(meNone);
}

void TPMap::SetLinkPath(const std::string &path)
{
    const TTraceScope trace("TPMap.SetLinkPath()");
    ClearSector(kLinkSector);
    std::vector<std::string> parts;
    if (!path.empty() && QFileInfo(QString::fromLocal8Bit(path.c_str())).isFile())
        parts = SplitPath(path);
    // Thirteen slots: a deeper path keeps its remaining parts in the last one,
    // so that no part spills into the next sector.
    if (parts.size() > size_t(kLinkSlots)) {
        parts[kLinkSlots - 1] = JoinPath({parts.begin() + (kLinkSlots - 1), parts.end()});
        parts.resize(kLinkSlots);
    }
    for (size_t i = 0; i < parts.size(); ++i)
        SetSectorValue(kLinkSector, kLinkFirstSlot + int(i), parts[i]);
    SetSectorValue(kLinkSector, 0, std::to_string(parts.size()));
}

std::string TPMap::GetLinkPath() const
{
    const TTraceScope trace("TPMap.GetLinkPath()");
    const std::string stored = GetSectorValue(kLinkSector, 0);
    int count = 0;
    try {
        size_t used = 0;
        count = std::stoi(stored, &used);
        if (used != stored.size())
            count = 0;
    } catch (const std::exception &) {
        count = 0;
    }
    count = std::min(count, kLinkSlots); // a damaged count never reads past the sector
    std::vector<std::string> parts;
    for (int i = 0; i < count; ++i)
        parts.push_back(GetSectorValue(kLinkSector, kLinkFirstSlot + i));
    return JoinPath(parts);
}
