#include "control/automation/krt_page.h"

#include "control/automation/library_objects.h"
#include "control/automation/model_members.h"
#include "control/automation/object_ids.h"
#include "control/krt_geometry.h"
#include "control/krtmap_module.h"
#include "control/map_ctrl.h"
#include "control/variant_values.h"
#include "engine/window/printing/printer_type.h"

#include <cctype>

using namespace model;

namespace {

// A long property of the page set-up: the getter's default without one.
template <LONG (CPageSet::*get)() const, bool (CPageSet::*set)(LONG)>
MemberInfo PageLong(const char *name, int32_t fallback)
{
    return Prop(
        name, VT_I4,
        [fallback](DispatchObject &o, MemberCall &c) {
            CPageSet *p = Self<KrtPage>(o).pageSet();
            c.SetLong(p ? (p->*get)() : fallback);
        },
        [](DispatchObject &o, MemberCall &c) {
            if (CPageSet *p = Self<KrtPage>(o).pageSet())
                (p->*set)(c.value().lVal);
        });
}

RECT RectOf(const KrtRect &r) { return {r.left, r.top, r.right, r.bottom}; }

} // namespace

// --- KrtPaper ----------------------------------------------------------------

std::shared_ptr<const MemberTable> KrtPaper::Table()
{
    using O = DispatchObject;
    using C = MemberCall;
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtPaper",
        .progId = "KrtLib.KrtPaper",
        .clsid = kKrtPaperClsid,
        .dispatchIid = kIKrtPaperIid,
        .interfaceName = "IKrtPaper",
        .members =
            {
                Prop(
                    "SizeX", VT_I4, [](O &o, C &c) { c.SetLong(Self<KrtPaper>(o).sizeX); },
                    [](O &o, C &c) { Self<KrtPaper>(o).sizeX = c.value().lVal; }),
                Prop(
                    "SizeY", VT_I4, [](O &o, C &c) { c.SetLong(Self<KrtPaper>(o).sizeY); },
                    [](O &o, C &c) { Self<KrtPaper>(o).sizeY = c.value().lVal; }),
                Prop(
                    "Name", VT_VARIANT,
                    [](O &o, C &c) {
                        static_cast<Variant &>(c.result()) = VariantSetString(Self<KrtPaper>(o).name);
                    },
                    [](O &o, C &c) {
                        // Only a string changes the name.
                        std::string text;
                        if (VariantGetString(c.value(), &text))
                            Self<KrtPaper>(o).name = text;
                    }),
                Prop(
                    "Identifier", VT_I4, [](O &o, C &c) { c.SetLong(Self<KrtPaper>(o).identifier); },
                    [](O &o, C &c) { Self<KrtPaper>(o).identifier = c.value().lVal; }),
            },
    });
    return table;
}

KrtPaper::KrtPaper() : DispatchObject(Table()), lock_(KrtMapModule()) {}

KrtPaper::KrtPaper(const CPaperType &paper) : KrtPaper()
{
    sizeX = paper.width;
    sizeY = paper.height;
    name = paper.name;
    identifier = paper.number;
    custom = paper.IsCustomFormat();
}

KrtPaper::~KrtPaper() = default;

KrtPaper *AsKrtPaper(IDispatch *object) { return dynamic_cast<KrtPaper *>(object); }

// --- KrtPapers ---------------------------------------------------------------

std::shared_ptr<const MemberTable> KrtPapers::Table()
{
    using O = DispatchObject;
    using C = MemberCall;
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtPapers",
        .progId = "KrtLib.KrtPapers",
        .clsid = kKrtPapersClsid,
        .dispatchIid = kIKrtPapersIid,
        .interfaceName = "IKrtPapers",
        .members =
            {
                ReadOnly("Count", VT_I4, [](O &o, C &c) { c.SetLong(Self<KrtPapers>(o).Count()); }),
                ReadOnly("Custom", VT_I4, [](O &o, C &c) { c.SetLong(Self<KrtPapers>(o).Custom()); }),
                [] {
                    MemberInfo item = Prop(
                        "Item", VT_VARIANT,
                        [](O &o, C &c) {
                            const KrtPapers &p = Self<KrtPapers>(o);
                            c.SetDispatch(p.Item(p.FindIndex(c.arg(0))));
                        },
                        [](O &o, C &c) {
                            KrtPapers &self = Self<KrtPapers>(o);
                            if (self.papers_.empty() || self.custom_ < 0)
                                return;
                            KrtPaper *given = AsKrtPaper(ObjectOf(c.value()));
                            if (!given)
                                ThrowBadOleType();
                            self.SetItem(c.arg(0), *given);
                        },
                        {VT_VARIANT});
                    item.isDefault = true;
                    return item;
                }(),
            },
    });
    return table;
}

KrtPapers::KrtPapers() : DispatchObject(Table()), lock_(KrtMapModule()) {}

KrtPapers::KrtPapers(const CPaperTypesArr &papers) : KrtPapers()
{
    for (size_t i = 0; i < papers.size(); ++i) {
        papers_.push_back(papers[i]);
        if (papers[i].IsCustomFormat())
            custom_ = int32_t(i);
    }
}

KrtPapers::~KrtPapers() = default;

int32_t KrtPapers::FindByName(const std::string &text) const
{
    if (papers_.empty() || text.empty())
        return -1;
    bool meaningful = false;
    for (unsigned char ch : text)
        meaningful = meaningful || (std::isalnum(ch) && ch != ' ');
    if (!meaningful)
        return -1;
    for (size_t i = 0; i < papers_.size(); ++i)
        if (papers_[i].name.find(text) != std::string::npos)
            return int32_t(i);
    return -1;
}

int32_t KrtPapers::FindIndex(const VARIANT &key) const
{
    Variant number;
    if (SUCCEEDED(VariantChangeType(&number, &key, 0, VT_I4)))
        return number.lVal >= 0 && number.lVal < int32_t(papers_.size()) ? number.lVal : -1;
    std::string text;
    if (VariantGetString(key, &text))
        return FindByName(text);
    return -1;
}

IDispatch *KrtPapers::Item(int32_t index) const
{
    if (index < 0 || index >= int32_t(papers_.size()))
        return nullptr;
    return new KrtPaper(papers_[size_t(index)]);
}

void KrtPapers::SetItem(const VARIANT &key, const KrtPaper &paper)
{
    const int32_t index = FindIndex(key);
    if (index < 0 || index != custom_)
        return;
    papers_[size_t(index)].width = paper.sizeX;
    papers_[size_t(index)].height = paper.sizeY;
}

// --- KrtPage -----------------------------------------------------------------

std::shared_ptr<const MemberTable> KrtPage::Table()
{
    using O = DispatchObject;
    using C = MemberCall;
    using P = CPageSet;
    auto fitRect = [](bool printable) {
        return Method(printable ? "FitPrintableAreaToRect" : "FitPageToRect", VT_BOOL,
                      {VT_VARIANT, VT_I4, VT_I4}, [printable](O &o, C &c) {
                          CPageSet *p = Self<KrtPage>(o).pageSet();
                          KrtRect *r = AsKrtRect(c.Dispatch(0));
                          if (!p || !r) {
                              c.SetBool(false);
                              return;
                          }
                          const int h = HorizontalCode(c.Long(1));
                          const int v = VerticalCode(c.Long(2));
                          c.SetBool((printable ? p->FitPrintableAreaToRect(RectOf(*r), h, v)
                                               : p->FitPageToRect(RectOf(*r), h, v)) != 0);
                      });
    };
    static const auto table = LibraryTable(ClassInfo{
        .className = "KrtPage",
        .progId = "KrtLib.KrtPage",
        .clsid = kKrtPageClsid,
        .dispatchIid = kIKrtPageIid,
        .interfaceName = "IKrtPage",
        .members =
            {
                PageLong<&P::GetXExtension, &P::SetXExtension>("Width", -1),
                PageLong<&P::GetYExtension, &P::SetYExtension>("Height", -1),
                PageLong<&P::GetXOrigin, &P::SetXOrigin>("OriginX", 0),
                PageLong<&P::GetYOrigin, &P::SetYOrigin>("OriginY", 0),
                Prop(
                    "IsPortrait", VT_BOOL,
                    [](O &o, C &c) {
                        CPageSet *p = Self<KrtPage>(o).pageSet();
                        c.SetBool(p && p->IsPortrait());
                    },
                    [](O &o, C &c) {
                        if (CPageSet *p = Self<KrtPage>(o).pageSet())
                            c.value().boolVal != VARIANT_FALSE ? p->SetPortrait() : p->SetLandscape();
                    }),
                PageLong<&P::GetLeftMargin, &P::SetLeftMargin>("MarginLeft", -1),
                PageLong<&P::GetRightMargin, &P::SetRightMargin>("MarginRight", -1),
                PageLong<&P::GetTopMargin, &P::SetTopMargin>("MarginTop", -1),
                PageLong<&P::GetBottomMargin, &P::SetBottomMargin>("MarginBottom", -1),
                Prop(
                    "Scale", VT_R8,
                    [](O &o, C &c) {
                        double scale = 0.0;
                        if (CPageSet *p = Self<KrtPage>(o).pageSet(); !p || !p->GetScale(&scale))
                            scale = 0.0;
                        c.SetDouble(scale);
                    },
                    [](O &o, C &c) {
                        if (CPageSet *p = Self<KrtPage>(o).pageSet())
                            p->ScaleSet(c.value().dblVal);
                    }),
                Prop(
                    "Paper", VT_VARIANT, [](O &o, C &c) { c.SetDispatch(Self<KrtPage>(o).Paper()); },
                    [](O &o, C &c) { Self<KrtPage>(o).SetPaper(ObjectOf(c.value())); }),
                ReadOnly("Papers", VT_DISPATCH,
                         [](O &o, C &c) {
                             CPageSet *p = Self<KrtPage>(o).pageSet();
                             c.SetDispatch(p ? new KrtPapers(p->Papers()) : nullptr);
                         }),
                Method("FitToObjects", VT_BOOL, {VT_BOOL, VT_BOOL, VT_I4, VT_I4},
                       [](O &o, C &c) {
                           CPageSet *p = Self<KrtPage>(o).pageSet();
                           c.SetBool(p && p->FitToObjects(c.Bool(0) ? 1 : 0, c.Bool(1) ? 1 : 0,
                                                          HorizontalCode(c.Long(2)),
                                                          VerticalCode(c.Long(3))) != 0);
                       }),
                fitRect(false),
                fitRect(true),
                Method("GetPrinterPhysicalPrintableArea", VT_DISPATCH, {VT_BOOL},
                       [](O &o, C &c) { c.SetDispatch(Self<KrtPage>(o).PrinterRect(false, c.Bool(0))); }),
                Method("GetPrinterPhysicalMargins", VT_DISPATCH, {VT_BOOL},
                       [](O &o, C &c) { c.SetDispatch(Self<KrtPage>(o).PrinterRect(true, c.Bool(0))); }),
            },
    });
    return table;
}

KrtPage::KrtPage() : DispatchObject(Table()), lock_(KrtMapModule()) {}

KrtPage::KrtPage(CMapCtrl *control) : KrtPage()
{
    map_ = MapLink(control);
    if (_WNDRES *record = map_.record()) {
        pageSet_ = std::make_unique<CPageSet>(record, 0, 0, 1);
        if (pageSet_->Failed())
            pageSet_.reset();
    }
}

KrtPage::~KrtPage() = default;

KrtPage *AsKrtPage(IDispatch *object) { return dynamic_cast<KrtPage *>(object); }

CPageSet *KrtPage::pageSet() const
{
    // The copy refers to its map's record: once that is gone it is unusable.
    return pageSet_ && map_.record() ? pageSet_.get() : nullptr;
}

bool KrtPage::Apply()
{
    CPageSet *p = pageSet();
    if (!p)
        return false;
    p->Apply();
    return true;
}

int KrtPage::HorizontalCode(int32_t alignment)
{
    switch (alignment) {
    case 1: // mc_AlignCenter
        return 0;
    case 2: // mc_AlignRight
        return 2;
    default:
        return 1;
    }
}

int KrtPage::VerticalCode(int32_t alignment)
{
    switch (alignment) {
    case 1: // mc_AlignCenter
        return 0;
    case 4: // mc_AlignBottom
        return 2;
    default:
        return 1;
    }
}

IDispatch *KrtPage::Paper() const
{
    CPageSet *p = pageSet();
    if (!p)
        return nullptr;
    const int index = p->GetActivePaperIndex();
    if (index < 0 || index >= int(p->Papers().size()))
        return nullptr;
    return new KrtPaper(p->Papers()[size_t(index)]);
}

void KrtPage::SetPaper(IDispatch *value)
{
    KrtPaper *paper = AsKrtPaper(value);
    if (!paper)
        ThrowBadOleType();
    CPageSet *p = pageSet();
    if (!p)
        return;
    int index = p->GetPaperIndexByNumber(paper->identifier);
    if (index < 0)
        index = p->GetPaperIndexByName(paper->name);
    const int custom = p->GetCustomPaperIndex();
    if (index < 0) {
        if (custom < 0)
            return;
        index = custom;
    }
    p->SetPaperByIndex(index);
    if (index == custom) {
        p->SetPageXLenght(paper->sizeX);
        p->SetPageYLenght(paper->sizeY);
    }
}

IDispatch *KrtPage::PrinterRect(bool margins, bool inPixels) const
{
    _WNDRES *record = map_.record();
    if (!record)
        return nullptr;
    CPrinterType printer(record);
    if (!printer.IsValid())
        return nullptr;
    RECT r{};
    int ok = 0;
    if (margins)
        ok = inPixels ? printer.GetPhisicalPageMarginsSizeInPixels(&r)
                      : printer.GetPhisicalPageMarginsSizeInMillimeters(&r);
    else
        ok = inPixels ? printer.GetPhisicalPrintableAreaInPixels(&r)
                      : printer.GetPhisicalPrintableAreaInMillimeters(&r);
    if (!ok)
        return nullptr;
    auto *rect = new KrtRect;
    rect->left = r.left;
    rect->top = r.top;
    rect->right = r.right;
    rect->bottom = r.bottom;
    return rect;
}
