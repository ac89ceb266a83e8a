// The engine headers name a field "slots": they come before Qt's.
#include "engine/kernel/module_startup.h"
#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "engine/window/settings/settings_sheet.h"
#include "engine/window/settings/copy_page.h"
#include "engine/window/settings/general_page.h"
#include "engine/window/settings/gps_page.h"
#include "engine/window/settings/measures_page.h"
#include "engine/window/settings/selection_page.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr const char *kSection = "Settings";
constexpr const char *kActivePage = "Active Page";

QString caption(unsigned id)
{
    char buffer[128] = {};
    if (LoadStringMap(id, buffer, int(sizeof buffer)) > 0)
        return FromWindows1252(buffer);
    return QStringLiteral("Default Settings");
}

} // namespace

CSettingsPSheet::CSettingsPSheet(_WNDRES *rec, unsigned captionId, QWidget *parent, int firstPage)
    : QDialog(parent), rec_(rec)
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(caption(captionId));
    auto *layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget;
    layout->addWidget(tabs_);

    auto *general = new CGenSettings(rec);
    auto *selection = new CSelSettings(rec);
    auto *copy = new CCopyDlg(rec);
    auto *measures = new CMeasureDlg(rec);
    auto *gps = new CGPSDlg(rec);
    for (QWidget *page :
         {static_cast<QWidget *>(general), static_cast<QWidget *>(selection), static_cast<QWidget *>(copy),
          static_cast<QWidget *>(measures), static_cast<QWidget *>(gps)})
        tabs_->addTab(page, page->windowTitle());
    applies_ = {[general] { general->model().Apply(); }, [selection] { selection->Apply(); },
                [copy] { copy->Apply(); }, [measures] { measures->Apply(); }, [gps] { gps->Apply(); }};

    int32_t active = firstPage;
    if (rec && rec->settingsKey)
        rec->settingsKey->GetValue(kSection, kActivePage, &active, 0);
    tabs_->setCurrentIndex(active >= 0 && active < tabs_->count() ? int(active) : 0);

    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        ApplyAll();
        done(IDOK);
    });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { done(IDCANCEL); });
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { ApplyAll(); });
}

CSettingsPSheet::~CSettingsPSheet()
{
    if (rec_ && rec_->settingsKey) {
        const int32_t active = tabs_->currentIndex();
        rec_->settingsKey->SetValue(kSection, kActivePage, &active, 0);
    }
}

QWidget *CSettingsPSheet::PageWidget(Page page) const { return tabs_->widget(int(page)); }

void CSettingsPSheet::ApplyAll()
{
    for (const auto &apply : applies_)
        apply();
}

int RunDefaultSettingsSheet(_WNDRES *rec)
{
    if (!rec)
        return 0;
    CSettingsPSheet sheet(rec, CSettingsPSheet::kTemplateId);
    return RunModalDialog(sheet, CSettingsPSheet::kTemplateId) == IDOK ? IDOK : IDCANCEL;
}
