#include "engine/window/page_setup/page_setup_dialog_model.h"

#include "engine/kernel/graph_rect.h"
#include "engine/window/map_notifications.h"
#include "engine/window/page.h"

#include <cctype>
#include <charconv>
#include <optional>

PageSetupDialogModel::PageSetupDialogModel(_WNDRES *window, std::unique_ptr<CPageSet> pageSet)
    : window_(window), pageSet_(std::move(pageSet))
{
    for (const CPaperType &paper : pageSet_->Papers())
        paperNames_.push_back(paper.name);
}

MAP_COORDRECT PageSetupDialogModel::PageBound() const
{
    PageRecord page{};
    if (window_ && PageRead(window_->kernel, PageGetFromWindow(window_->hWnd), &page))
        return page.bound;
    return MAP_COORDRECT{1, 1, 0, 0};
}

void PageSetupDialogModel::Open()
{
    oldBound_ = PageBound();
    ShowAll();
    ClearMarks();
    applyEnabled_ = false;
}

bool PageSetupDialogModel::SizeBoxesEnabled() const
{
    const int index = pageSet_->GetActivePaperIndex();
    return index >= 0 && size_t(index) < pageSet_->Papers().size() &&
           pageSet_->Papers()[size_t(index)].IsCustomFormat();
}

void PageSetupDialogModel::ShowAll()
{
    const CPageSet &s = *pageSet_;
    auto set = [this](PageSetupBox box, std::string text) { texts_[size_t(box)] = std::move(text); };
    set(PageSetupBox::XOrigin, s.ConvToGormUI(s.GetXOrigin()));
    set(PageSetupBox::YOrigin, s.ConvToGormUI(s.GetYOrigin()));
    set(PageSetupBox::XExtension, s.ConvToGormUI(s.GetXExtension()));
    set(PageSetupBox::YExtension, s.ConvToGormUI(s.GetYExtension()));
    set(PageSetupBox::LeftMargin, CPageSet::ConvToRegionalMeasure(s.GetLeftMargin()));
    set(PageSetupBox::TopMargin, CPageSet::ConvToRegionalMeasure(s.GetTopMargin()));
    set(PageSetupBox::RightMargin, CPageSet::ConvToRegionalMeasure(s.GetRightMargin()));
    set(PageSetupBox::BottomMargin, CPageSet::ConvToRegionalMeasure(s.GetBottomMargin()));
    set(PageSetupBox::ScalePaper, std::to_string(s.GetScalePaper()));
    set(PageSetupBox::ScaleMap, std::to_string(s.GetScaleMap()));
    set(PageSetupBox::PaperWidth, CPageSet::ConvToRegionalMeasure(s.GetPageXLenght()));
    set(PageSetupBox::PaperHeight, CPageSet::ConvToRegionalMeasure(s.GetPageYLenght()));
}

void PageSetupDialogModel::Type(PageSetupBox box, const std::string &text)
{
    texts_[size_t(box)] = text;
    edited_[size_t(box)] = true;
    applyEnabled_ = true;
}

void PageSetupDialogModel::CommitScale()
{
    // A side that is no number counts as 0, which the page setup refuses.
    const POINT pair{LeadingInteger(Text(PageSetupBox::ScalePaper)).value_or(0),
                     LeadingInteger(Text(PageSetupBox::ScaleMap)).value_or(0)};
    pageSet_->ScaleSet(&pair);
}

void PageSetupDialogModel::Commit(PageSetupBox box)
{
    CPageSet &s = *pageSet_;
    const std::string &text = Text(box);
    switch (box) {
    case PageSetupBox::XOrigin:
    case PageSetupBox::YOrigin:
    case PageSetupBox::XExtension:
    case PageSetupBox::YExtension:
        if (const std::optional<LONG> v = LeadingInteger(text)) {
            if (box == PageSetupBox::XOrigin)
                s.SetXOrigin(*v);
            else if (box == PageSetupBox::YOrigin)
                s.SetYOrigin(*v);
            else if (box == PageSetupBox::XExtension)
                s.SetXExtension(*v);
            else
                s.SetYExtension(*v);
        }
        break;
    case PageSetupBox::LeftMargin:
        s.SetLeftMargin(CPageSet::ConvFromRegionalMeasure(text));
        break;
    case PageSetupBox::TopMargin:
        s.SetTopMargin(CPageSet::ConvFromRegionalMeasure(text));
        break;
    case PageSetupBox::RightMargin:
        s.SetRightMargin(CPageSet::ConvFromRegionalMeasure(text));
        break;
    case PageSetupBox::BottomMargin:
        s.SetBottomMargin(CPageSet::ConvFromRegionalMeasure(text));
        break;
    case PageSetupBox::ScalePaper:
    case PageSetupBox::ScaleMap:
        CommitScale();
        break;
    case PageSetupBox::PaperWidth:
        s.SetPageXLenght(CPageSet::ConvFromRegionalMeasure(text));
        break;
    case PageSetupBox::PaperHeight:
        s.SetPageYLenght(CPageSet::ConvFromRegionalMeasure(text));
        break;
    }
}

void PageSetupDialogModel::Leave(PageSetupBox box)
{
    switch (box) {
    case PageSetupBox::XOrigin:
    case PageSetupBox::YOrigin:
        if (!Edited(box))
            return;
        Commit(box);
        texts_[size_t(box)] = pageSet_->ConvToGormUI(box == PageSetupBox::XOrigin ? pageSet_->GetXOrigin()
                                                                                  : pageSet_->GetYOrigin());
        edited_[size_t(box)] = false;
        return;
    case PageSetupBox::ScalePaper:
        // The paper side waits for the map side.
        return;
    case PageSetupBox::ScaleMap:
        if (!Edited(PageSetupBox::ScaleMap) && !Edited(PageSetupBox::ScalePaper))
            return;
        break;
    default:
        if (!Edited(box))
            return;
        break;
    }
    Commit(box);
    ShowAll();
    ClearMarks();
}

void PageSetupDialogModel::ChoosePaper(int index)
{
    if (pageSet_->SetPaperByIndex(index))
        applyEnabled_ = true;
    ShowAll();
    ClearMarks();
}

void PageSetupDialogModel::ChooseOrientation(int index)
{
    if (index == 0 && !pageSet_->IsPortrait())
        pageSet_->SetPortrait();
    else if (index == 1 && !pageSet_->IsLandscape())
        pageSet_->SetLandscape();
    applyEnabled_ = true;
    ShowAll();
    ClearMarks();
}

void PageSetupDialogModel::TurnPage()
{
    pageSet_->ChangeOrientation();
    applyEnabled_ = true;
    ShowAll();
    ClearMarks();
}

void PageSetupDialogModel::ApplyAndRepaint()
{
    pageSet_->Apply();
    const HWND hwnd = window_ ? window_->hWnd : 0;
    InvalidateGraphRect(hwnd, &oldBound_, 1);
    oldBound_ = PageBound();
    InvalidateGraphRect(hwnd, &oldBound_, 1);
}

void PageSetupDialogModel::ApplyNow()
{
    if (Edited(PageSetupBox::ScalePaper) || Edited(PageSetupBox::ScaleMap))
        CommitScale();
    ApplyAndRepaint();
    ShowAll();
    ClearMarks();
    applyEnabled_ = false;
}

void PageSetupDialogModel::Accept()
{
    using B = PageSetupBox;
    for (const B box : {B::XOrigin, B::YOrigin, B::XExtension, B::YExtension, B::LeftMargin, B::TopMargin,
                        B::RightMargin, B::BottomMargin}) {
        if (Edited(box))
            Commit(box);
    }
    if (Edited(B::ScalePaper) || Edited(B::ScaleMap))
        CommitScale();
    for (const B box : {B::PaperHeight, B::PaperWidth}) {
        if (Edited(box))
            Commit(box);
    }
    ApplyAndRepaint();
    ClearMarks();
}

void PageSetupDialogModel::Help()
{
    if (window_ && window_->hWnd)
        GormF1Help(window_->hWnd, kHelpId);
}
