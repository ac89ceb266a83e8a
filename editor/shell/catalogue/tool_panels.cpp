#include "editor/shell/catalogue/tool_panels.h"

#include "editor/shell/catalogue/tool_button.h"
#include "editor/shell/catalogue/tool_catalogue.h"
#include "editor/shell/support/global.h"
#include "editor/shell/support/reg_link.h"

#include <QApplication>
#include <QBoxLayout>
#include <QMouseEvent>

#include <algorithm>

const char *const kDefaultToolbarLayout = "000708090C00191A001C1D00292A2C2B302D2F2E3100404152565726595824003F"
                                          "4D4F4728250042435F4A4849005D4445465B00";
const char *const kFixedToolbarLayout =
    "010708090C00191A001C1D00292A2C2B302D004041525726595824003F4D4F4728250042435F4849005D44454600";

namespace {

const QString kCustomiseHint = QStringLiteral("Right click to customise toolpanels");
const QString kFinishHint = QStringLiteral("Right click to finish customising");
const QString kLeaveHint = QStringLiteral("Right click to customise tool panels");

void JoinParentLayout(QWidget *panel, QWidget *parent, TPanelAlign alignment)
{
    auto *box = parent ? qobject_cast<QBoxLayout *>(parent->layout()) : nullptr;
    if (!box)
        return;
    if (alignment == alTop || alignment == alLeft)
        box->insertWidget(0, panel);
    else
        box->addWidget(panel);
}

} // namespace

TDivider::TDivider(QWidget *parent) : QFrame(parent) { setFrameStyle(QFrame::Panel | QFrame::Sunken); }

// ---- TToolPanel ----

TToolPanel::TToolPanel(const TfrmButtons &catalogue, QWidget *owner) : QFrame(owner), catalogue_(catalogue)
{
    setFrameStyle(QFrame::NoFrame);
    hide();
}

void TToolPanel::Place(QWidget *parent, TPanelAlign alignment)
{
    setParent(parent);
    align_ = alignment;
    horizontal_ = alignment == alTop || alignment == alBottom;
    if (horizontal_)
        setFixedHeight(ButtonStep);
    else
        setFixedWidth(ButtonStep);
    setFrameStyle(QFrame::NoFrame);
    setToolTip(alignment == alBottom ? QString() : kCustomiseHint);
    JoinParentLayout(this, parent, alignment);
    for (const Entry &entry : entries_)
        PlaceControl(entry);
    show();
}

QWidget *TToolPanel::MakeControl(uint8_t id)
{
    if (id == 0) {
        auto *divider = new TDivider(this);
        divider->Customise = customise_;
        return divider;
    }
    auto *button = new TToolBtn(this);
    const TToolData &entry = catalogue_.ToolData(id);
    button->Id = entry.Id;
    // The spacer has a hint only while customising.
    if (button->Id != 1)
        button->setToolTip(QString::fromStdString(entry.Hint));
    SetButtonGlyph(*button, TfrmButtons::MakeButtonGlyph(entry.Glyph));
    button->setFixedSize(ButtonStep, ButtonStep - 2);
    QObject::connect(button, &QToolButton::clicked, this, [this, button] {
        if (ClickTarget)
            ClickTarget(button);
    });
    button->OnDrop = [this](TToolBtn *target, QWidget *dropped) { MoveBefore(dropped, target); };
    button->SetCustomise(customise_);
    return button;
}

void TToolPanel::PlaceControl(const Entry &entry)
{
    const int thickness = horizontal_ ? height() : width();
    if (entry.divider) {
        if (horizontal_)
            entry.control->setGeometry(entry.position + 3, 4, 2, std::max(0, thickness - 6));
        else
            entry.control->setGeometry(2, entry.position, std::max(0, thickness - 4), 2);
    } else if (horizontal_) {
        entry.control->move(entry.position, 2);
    } else {
        entry.control->move(0, entry.position);
    }
    entry.control->show();
}

void TToolPanel::Clear()
{
    for (const Entry &entry : entries_)
        delete entry.control;
    entries_.clear();
}

int TToolPanel::EndPosition() const
{
    if (entries_.empty())
        return StartOffset;
    return entries_.back().position + StepOf(entries_.back());
}

QWidget *TToolPanel::Append(uint8_t id)
{
    Entry entry{MakeControl(id), EndPosition(), id == 0};
    entries_.push_back(entry);
    PlaceControl(entry);
    Sort();
    return entry.control;
}

void TToolPanel::LoadLayout(const std::string &layout)
{
    Clear();
    for (const int position : CataloguePositionsOfString(layout, 2))
        Append(TfrmButtons::ToolOfIndex(position));
}

std::string TToolPanel::LayoutString()
{
    Sort();
    std::string layout = "00";
    for (const Entry &entry : entries_) {
        if (entry.control->isHidden())
            continue;
        int position = 0;
        if (!entry.divider) {
            position = TfrmButtons::IndexOfTool(static_cast<TToolBtn *>(entry.control)->Id);
            if (position < 0)
                continue; // a tool without a catalogue position cannot be stored
        }
        layout += CataloguePositionText(position);
    }
    return layout;
}

void TToolPanel::SetCustomise(bool on)
{
    customise_ = on;
    for (const Entry &entry : entries_) {
        if (entry.divider)
            static_cast<TDivider *>(entry.control)->Customise = on;
        else
            static_cast<TToolBtn *>(entry.control)->SetCustomise(on);
    }
}

int TToolPanel::IndexOf(const QWidget *control) const
{
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].control == control)
            return int(i);
    return -1;
}

int TToolPanel::PositionOf(const QWidget *control) const
{
    const int index = IndexOf(control);
    return index < 0 ? -1 : entries_[size_t(index)].position;
}

std::vector<QWidget *> TToolPanel::Controls() const
{
    std::vector<QWidget *> controls;
    for (const Entry &entry : entries_)
        controls.push_back(entry.control);
    return controls;
}

QWidget *TToolPanel::InsertBefore(uint8_t id, QWidget *target)
{
    const int at = IndexOf(target);
    if (at < 0)
        return Append(id);
    Entry entry{MakeControl(id), entries_[size_t(at)].position, id == 0};
    for (Entry &other : entries_) {
        if (other.position >= entry.position) {
            other.position += StepOf(entry);
            PlaceControl(other);
        }
    }
    entries_.push_back(entry);
    PlaceControl(entry);
    Sort();
    return entry.control;
}

void TToolPanel::CloseGap(size_t index)
{
    const Entry gone = entries_[index];
    for (Entry &other : entries_) {
        if (other.control != gone.control && other.position > gone.position) {
            other.position -= StepOf(gone);
            PlaceControl(other);
        }
    }
}

void TToolPanel::MoveBefore(QWidget *control, QWidget *target)
{
    if (control == target)
        return;
    const int from = IndexOf(control);
    if (from < 0 || IndexOf(target) < 0)
        return;
    CloseGap(size_t(from));
    Entry &moved = entries_[size_t(from)];
    const int step = StepOf(moved);
    moved.position = entries_[size_t(IndexOf(target))].position;
    for (Entry &other : entries_) {
        if (other.control != control && other.position >= moved.position) {
            other.position += step;
            PlaceControl(other);
        }
    }
    PlaceControl(moved);
    Sort();
}

void TToolPanel::Remove(QWidget *control)
{
    const int index = IndexOf(control);
    if (index < 0)
        return;
    CloseGap(size_t(index));
    control->hide();
    entries_.erase(entries_.begin() + index);
}

void TToolPanel::Sort()
{
    // Neighbours are exchanged until none is out of order.
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (size_t i = 1; i < entries_.size(); ++i) {
            if (entries_[i - 1].position > entries_[i].position) {
                std::swap(entries_[i - 1], entries_[i]);
                exchanged = true;
            }
        }
    }
}

void TToolPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton && OnRightClick) {
        OnRightClick();
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

// ---- TToolPanelMgr ----

TToolPanelMgr::TToolPanelMgr(const TRegLink &toolbars, TfrmButtons *catalogue)
    : toolbars_(toolbars), catalogue_(catalogue)
{
    // A value of another type counts as missing.
    static const std::string missing = "\x01";
    if (toolbars_.GetString("Toolbar0", missing) == missing)
        toolbars_.WriteString("Toolbar0", kDefaultToolbarLayout);
    if (catalogue_) {
        catalogue_->OnClosed = [this] {
            if (customise_)
                ToggleCustomise();
        };
    }
}

TToolPanelMgr::TToolPanelMgr(TfrmButtons *catalogue) : TToolPanelMgr(Global().ToolbarsKey(), catalogue) {}

TToolPanelMgr::~TToolPanelMgr()
{
    if (catalogue_)
        catalogue_->OnClosed = nullptr;
}

void TToolPanelMgr::AddPanel(TToolPanel *panel)
{
    if (!panel)
        return;
    panels_.push_back(panel);
    panel->ClickTarget = [this](QObject *sender) {
        if (ClickTarget)
            ClickTarget(sender);
    };
    panel->OnRightClick = [this] { ToggleCustomise(); };
}

void TToolPanelMgr::LoadLayouts()
{
    if (panels_.size() > 0)
        panels_[0]->LoadLayout(toolbars_.GetString("Toolbar0", "00"));
    if (panels_.size() > 1)
        panels_[1]->LoadLayout(toolbars_.GetString("Toolbar1", "00"));
}

void TToolPanelMgr::SaveLayouts()
{
    if (panels_.size() > 0)
        toolbars_.WriteString("Toolbar0", panels_[0]->LayoutString());
    if (panels_.size() > 1)
        toolbars_.WriteString("Toolbar1", panels_[1]->LayoutString());
}

void TToolPanelMgr::ToggleCustomise()
{
    if (!customise_)
        SaveLayouts();
    customise_ = !customise_;
    for (TToolPanel *panel : panels_) {
        panel->setAutoFillBackground(customise_);
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, customise_ ? QColor(192, 192, 192)
                                                      : QApplication::palette().color(QPalette::Button));
        panel->setPalette(palette);
        panel->setToolTip(customise_ ? kFinishHint : kLeaveHint);
        panel->SetCustomise(customise_);
    }
    if (catalogue_)
        catalogue_->setVisible(customise_);
    if (!customise_)
        SaveLayouts();
}

// ---- TToolPanelLite ----

TToolPanelLite::TToolPanelLite(const TfrmButtons &catalogue, const TRegLink &toolbars, QWidget *owner)
    : QFrame(owner), catalogue_(catalogue), toolbars_(toolbars)
{
    setFrameStyle(QFrame::NoFrame);
    hide();
}

TToolPanelLite::TToolPanelLite(const TfrmButtons &catalogue, QWidget *owner)
    : TToolPanelLite(catalogue, Global().ToolbarsKey(), owner)
{
}

void TToolPanelLite::Place(QWidget *parent, TPanelAlign alignment)
{
    setParent(parent);
    setFixedHeight(36);
    setFrameStyle(QFrame::NoFrame);
    JoinParentLayout(this, parent, alignment);
    show();
}

TToolBtnLite *TToolPanelLite::AddButton(uint8_t id)
{
    auto *button = new TToolBtnLite(this);
    const TToolData &entry = catalogue_.ToolData(id);
    button->Id = entry.Id;
    button->setToolTip(QString::fromStdString(entry.Hint));
    SetButtonGlyph(*button, TfrmButtons::MakeButtonGlyph(catalogue_.LiteGlyph(id)));
    if (id == 0)
        button->setFixedWidth(12);
    QObject::connect(button, &QToolButton::clicked, this, [this, button] {
        if (ClickTarget)
            ClickTarget(button);
    });
    button->show();
    return button;
}

TDivider *TToolPanelLite::AddDivider()
{
    auto *divider = new TDivider(this);
    divider->setGeometry(divider->x(), 2, 2, height() - 6);
    divider->show();
    return divider;
}

void TToolPanelLite::AddButtons(const std::vector<uint8_t> &ids)
{
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        delete child;
    int x = 4;
    for (const uint8_t id : ids) {
        if (id == 0) {
            AddDivider()->move(x, 2);
            x += 6;
        } else {
            TToolBtnLite *button = AddButton(id);
            button->move(x, 4);
            x += button->width() + 4;
        }
    }
}

void TToolPanelLite::LoadLayout()
{
    const std::string layout = toolbars_.GetString("Toolbar0", "00");
    if (layout.size() < 2 || layout[1] != '1')
        return;
    std::vector<uint8_t> ids;
    for (const int position : CataloguePositionsOfString(layout, 2))
        ids.push_back(TfrmButtons::ToolOfIndex(position));
    AddButtons(ids);
}
