#include "control/property_pages.h"

#include "control/control_ids.h"
#include "control/krtmap_module.h"
#include "control/map_ctrl.h"
#include "platform/file_dialog.h"
#include "platform/modal_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <charconv>
#include <cstdio>

namespace {

std::string NumberText(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", v);
    return buffer;
}

template <class T>
bool ParseNumber(const std::string &text, T *out)
{
    const char *first = text.data();
    const char *last = text.data() + text.size();
    while (first < last && *first == ' ')
        ++first;
    T value{};
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end == first)
        return false;
    *out = value;
    return true;
}

} // namespace

// --- The model -------------------------------------------------------------------

MapPropPageModel::MapPropPageModel(CMapCtrl *control) : control_(control) { Refresh(); }

void MapPropPageModel::Refresh()
{
    CMapCtrl *c = control_.data();
    if (!c)
        return;
    fileName = c->GetFileName();
    offscreenDrawing = c->GetOffscreenDrawing();
    mapScale = NumberText(c->GetMapScale());
    originX = std::to_string(c->GetOriginX());
    originY = std::to_string(c->GetOriginY());
}

void MapPropPageModel::Apply()
{
    CMapCtrl *c = control_.data();
    if (!c)
        return;
    if (fileName != c->GetFileName())
        c->SetFileName(fileName);
    c->SetOffscreenDrawing(offscreenDrawing);
    double scale = 0;
    if (ParseNumber(mapScale, &scale) && scale != c->GetMapScale())
        c->SetMapScale(scale);
    int32_t x = 0;
    if (ParseNumber(originX, &x) && x != c->GetOriginX())
        c->SetOriginX(x);
    int32_t y = 0;
    if (ParseNumber(originY, &y) && y != c->GetOriginY())
        c->SetOriginY(y);
    Refresh();
}

bool MapPropPageModel::Browse()
{
    CMapCtrl *c = control_.data();
    if (!c)
        return false;
    FileDialogRequest request;
    request.owner = c->hwnd();
    request.initialPath = fileName;
    request.filters = ParseFileFilter("Map Files (*.mpd)|*.mpd| All Files (*.*)|*.*||");
    request.flags = OFN_HIDEREADONLY;
    const std::optional<std::string> chosen = ShowOpenFileDialog(request);
    if (chosen) {
        fileName = *chosen;
        c->SetFileName(fileName);
        Refresh();
    }
    c->update();
    return chosen.has_value();
}

void MapPropPageModel::ZoomIn()
{
    if (CMapCtrl *c = control_.data()) {
        c->Zoom(nullptr, true);
        Refresh();
    }
}

void MapPropPageModel::ZoomOut()
{
    if (CMapCtrl *c = control_.data()) {
        c->Zoom(nullptr, false);
        Refresh();
        c->update();
    }
}

void MapPropPageModel::ViewAllObjects()
{
    if (CMapCtrl *c = control_.data()) {
        c->Command(mCmdViewAllObjects);
        Refresh();
    }
}

void MapPropPageModel::ViewPage()
{
    if (CMapCtrl *c = control_.data()) {
        c->Command(mCmdViewPage);
        Refresh();
    }
}

void MapPropPageModel::RefreshMap()
{
    if (CMapCtrl *c = control_.data()) {
        c->Command(mCmdViewRefresh);
        c->update();
    }
}

// --- The pages -----------------------------------------------------------------------

std::shared_ptr<const MemberTable> CMapPropPage::Table()
{
    static const auto table = std::make_shared<const MemberTable>(ClassInfo{
        .className = "CMapPropPage",
        .progId = "KrtLib.MapPropPage",
        .typeName = kMapPropPageTypeName,
        .clsid = kMapPropPageClsid,
    });
    return table;
}

CMapPropPage::CMapPropPage(CMapCtrl *control, QWidget *parent) : QWidget(parent), model_(control)
{
    setWindowTitle("General");
    auto *form = new QFormLayout;
    fileName_ = new QLineEdit;
    SetDialogItemId(fileName_, 212);
    offscreen_ = new QCheckBox("OffScreenDrawing");
    SetDialogItemId(offscreen_, 213);
    mapScale_ = new QLineEdit;
    SetDialogItemId(mapScale_, 214);
    originX_ = new QLineEdit;
    SetDialogItemId(originX_, 215);
    originY_ = new QLineEdit;
    SetDialogItemId(originY_, 216);
    auto *browse = new QPushButton("Browse");
    SetDialogItemId(browse, 202);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(fileName_);
    fileRow->addWidget(browse);
    form->addRow("Map file :", fileRow);
    form->addRow(offscreen_);
    form->addRow("Map scale  1 :", mapScale_);
    form->addRow("Origin X :", originX_);
    form->addRow("Origin Y :", originY_);

    auto *buttons = new QHBoxLayout;
    struct Button {
        const char *text;
        int id;
        void (MapPropPageModel::*run)();
    };
    const Button list[] = {{"Zoom In", 203, &MapPropPageModel::ZoomIn},
                           {"Zoom Out", 204, &MapPropPageModel::ZoomOut},
                           {"View All Objects", 205, &MapPropPageModel::ViewAllObjects},
                           {"View Page", 206, &MapPropPageModel::ViewPage},
                           {"Refresh Map", 207, &MapPropPageModel::RefreshMap}};
    for (const Button &b : list) {
        auto *button = new QPushButton(b.text);
        SetDialogItemId(button, b.id);
        connect(button, &QPushButton::clicked, this, [this, run = b.run] {
            (model_.*run)();
            ShowFields();
        });
        buttons->addWidget(button);
    }
    connect(browse, &QPushButton::clicked, this, [this] {
        ReadFields();
        model_.Browse();
        ShowFields();
    });
    connect(offscreen_, &QCheckBox::clicked, this, [this] { ReadFields(); });
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    ShowFields();
}

void CMapPropPage::ShowFields()
{
    fileName_->setText(QString::fromStdString(model_.fileName));
    offscreen_->setChecked(model_.offscreenDrawing);
    mapScale_->setText(QString::fromStdString(model_.mapScale));
    originX_->setText(QString::fromStdString(model_.originX));
    originY_->setText(QString::fromStdString(model_.originY));
}

void CMapPropPage::ReadFields()
{
    model_.fileName = fileName_->text().toStdString();
    model_.offscreenDrawing = offscreen_->isChecked();
    model_.mapScale = mapScale_->text().toStdString();
    model_.originX = originX_->text().toStdString();
    model_.originY = originY_->text().toStdString();
}

std::shared_ptr<const MemberTable> CPropPageAbout::Table()
{
    static const auto table = std::make_shared<const MemberTable>(ClassInfo{
        .className = "CPropPageAbout",
        .progId = "KrtLib.CPropPageAbout",
        .typeName = kPropPageAboutTypeName,
        .clsid = kPropPageAboutClsid,
    });
    return table;
}

std::string CPropPageAbout::VersionText()
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "KrtMap.ocx Library v%d.%d", kControlVersionMajor,
                  kControlVersionMinor);
    return buffer;
}

CPropPageAbout::CPropPageAbout(QWidget *parent) : QWidget(parent)
{
    setWindowTitle("About KrtMap Control");
    auto *layout = new QVBoxLayout(this);
    auto *version = new QLabel(QString::fromStdString(VersionText()));
    SetDialogItemId(version, 201);
    layout->addWidget(version);
    layout->addWidget(new QLabel("Map control of the map editor project."));
}

AboutMapControlDialog::AboutMapControlDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle("About Map Control");
    auto *layout = new QVBoxLayout(this);
    auto *version = new QLabel(QString::fromStdString(CPropPageAbout::VersionText()));
    SetDialogItemId(version, 201);
    layout->addWidget(version);
    auto *ok = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(ok);
}

void CMapCtrl::AboutBox()
{
    AboutMapControlDialog dialog(this);
    RunModalDialog(dialog, 1);
}

PropertyPageObject::PropertyPageObject(std::shared_ptr<const MemberTable> table)
    : DispatchObject(std::move(table)), lock_(KrtMapModule())
{
}

PropertyPageObject::~PropertyPageObject() = default;
