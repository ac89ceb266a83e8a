#include "engine/polygon/buffer/buffering_dialog.h"

#include "engine/kernel/settings.h"
#include "engine/kernel/window_record.h"
#include "engine/view/projection/unit_table.h"
#include "engine/view/viewrecord/presentation_manager.h"
#include "engine/window/map_notifications.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cctype>
#include <charconv>

namespace {

constexpr const char *kSection = "Settings";

struct Setting {
    const char *name;
    int32_t CBufferingDlg::*member;
    int32_t missing;
};

constexpr Setting kSettings[] = {
    {kBufferingSizeSetting, &CBufferingDlg::bufferSize, 10},
    {kBufferingSegmentsSetting, &CBufferingDlg::circleSegments, 10},
    {kBufferingEndingsSetting, &CBufferingDlg::endingsType, 0},
    {kBufferingCornersSetting, &CBufferingDlg::cornersType, 0},
    {kBufferingCalculationSetting, &CBufferingDlg::calculationType, 0},
    {kBufferingTimesSetting, &CBufferingDlg::times, 15},
    {kBufferingBothSidesSetting, &CBufferingDlg::bothSides, 0},
};

const SettingsRegKey &KeyOf(const _WNDRES *record)
{
    static const SettingsRegKey fallback;
    return record && record->settingsKey ? *record->settingsKey : fallback;
}

HWND OwnerOf(const _WNDRES *record) { return record ? record->hWnd : 0; }

// The range check of one field: its message and false when the text is not
// an integer within [low, high].
bool CheckField(HWND owner, const std::string &text, int32_t low, int32_t high, int32_t *value)
{
    int32_t v = 0;
    if (!ParseDialogInteger(text, &v)) {
        MessageBoxA(owner, "Please enter an integer.", "", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (v < low || v > high) {
        const std::string message =
            "Please enter an integer between " + std::to_string(low) + " and " + std::to_string(high) + ".";
        MessageBoxA(owner, message.c_str(), "", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    *value = v;
    return true;
}

} // namespace

bool ParseDialogInteger(const std::string &text, int32_t *value)
{
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    if (begin < end && text[begin] == '+')
        ++begin;
    if (begin == end)
        return false;
    int32_t v = 0;
    const auto [at, error] = std::from_chars(text.data() + begin, text.data() + end, v);
    if (error != std::errc() || at != text.data() + end)
        return false;
    *value = v;
    return true;
}

void CBufferingDlg::Initialize(_WNDRES *record)
{
    record_ = record;
    if (record && record->displayView) {
        const int unit = record->displayView->projection.baseUnit;
        char name[100] = {};
        if (FindUnitInfo(unit) && UnitStringGet(unit, 1, name, int(sizeof name)) && name[0])
            unitText = std::string(name) + ".";
    }
    LoadSettings();
    if (circleSegments < 1)
        circleSegments = 10;
    sizeEdit = bufferSize;
    segmentsEdit = circleSegments;
}

void CBufferingDlg::LoadSettings()
{
    const SettingsRegKey &key = KeyOf(record_);
    for (const Setting &s : kSettings) {
        uint32_t value = 0;
        this->*s.member = key.GetValue(kSection, s.name, &value, 0) ? int32_t(value) : s.missing;
    }
}

void CBufferingDlg::SaveSettings() const
{
    const SettingsRegKey &key = KeyOf(record_);
    for (const Setting &s : kSettings) {
        const uint32_t value = uint32_t(this->*s.member);
        key.SetValue(kSection, s.name, &value, 0);
    }
}

bool CBufferingDlg::OnOK(const std::string &sizeText, const std::string &segmentsText)
{
    int32_t size = 0, segments = 0;
    if (!CheckField(OwnerOf(record_), segmentsText, 1, kBufferSegmentsLimit, &segments) ||
        !CheckField(OwnerOf(record_), sizeText, -kBufferSizeLimit, kBufferSizeLimit, &size))
        return false;
    segmentsEdit = segments;
    sizeEdit = size;
    circleSegments = segmentsEdit;
    bufferSize = sizeEdit;
    SaveSettings();
    return true;
}

int CBufferingDlg::DoModal(HWND window)
{
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Buffering"));

    auto *endings = new QGroupBox(QStringLiteral("Endings : "), &dialog);
    SetDialogItemId(endings, kBufferingEndingsBoxId);
    auto *endingsLayout = new QVBoxLayout(endings);
    auto *endingsGroup = new QButtonGroup(&dialog);
    const struct {
        int id;
        const char *tip;
    } endingButtons[] = {{kBufferingEndingNoId, "No ending"},
                         {kBufferingEndingSquaredId, "Squared"},
                         {kBufferingEndingRoundedId, "Rounded"}};
    for (int i = 0; i < 3; ++i) {
        auto *button = new QRadioButton(endings);
        SetDialogItemId(button, endingButtons[i].id);
        button->setToolTip(QString::fromLatin1(endingButtons[i].tip));
        endingsGroup->addButton(button, i);
        endingsLayout->addWidget(button);
    }
    if (QAbstractButton *b = endingsGroup->button(endingsType))
        b->setChecked(true);
    QObject::connect(endingsGroup, &QButtonGroup::idClicked, &dialog, [this](int id) { endingsType = id; });

    auto *corners = new QGroupBox(QStringLiteral("Corners : "), &dialog);
    SetDialogItemId(corners, kBufferingCornersBoxId);
    auto *cornersLayout = new QVBoxLayout(corners);
    auto *cornersGroup = new QButtonGroup(&dialog);
    const struct {
        int id;
        const char *tip;
    } cornerButtons[] = {{kBufferingCornerSharpId, "Sharp"}, {kBufferingCornerRoundedId, "Rounded"}};
    for (int i = 0; i < 2; ++i) {
        auto *button = new QRadioButton(corners);
        SetDialogItemId(button, cornerButtons[i].id);
        button->setToolTip(QString::fromLatin1(cornerButtons[i].tip));
        cornersGroup->addButton(button, i);
        cornersLayout->addWidget(button);
    }
    if (QAbstractButton *b = cornersGroup->button(cornersType))
        b->setChecked(true);
    QObject::connect(cornersGroup, &QButtonGroup::idClicked, &dialog, [this](int id) { cornersType = id; });

    auto *sizeLabel = new QLabel(QStringLiteral("Buffer Size : "), &dialog);
    SetDialogItemId(sizeLabel, kBufferingSizeLabelId);
    auto *size = new QLineEdit(QString::number(sizeEdit), &dialog);
    SetDialogItemId(size, kBufferingSizeId);
    auto *unit = new QLabel(QString::fromLatin1(unitText.c_str()), &dialog);
    SetDialogItemId(unit, kBufferingUnitId);
    auto *segmentsLabel = new QLabel(QStringLiteral("Circle Segments : "), &dialog);
    SetDialogItemId(segmentsLabel, kBufferingSegmentsLabelId);
    auto *segments = new QLineEdit(QString::number(segmentsEdit), &dialog);
    SetDialogItemId(segments, kBufferingSegmentsId);
    auto *fast = new QCheckBox(QStringLiteral("Fast calculation metod."), &dialog);
    SetDialogItemId(fast, kBufferingFastId);
    fast->setVisible(false);
    fast->setEnabled(false);

    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    SetDialogItemId(ok, IDOK);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    SetDialogItemId(cancel, IDCANCEL);
    auto *help = new QPushButton(QStringLiteral("Help"), &dialog);
    SetDialogItemId(help, kBufferingHelpId);
    // A refused field keeps the dialog open.
    bool accepted = false;
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        accepted = OnOK(size->text().toStdString(), segments->text().toStdString());
        if (accepted)
            dialog.done(IDOK);
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(IDCANCEL); });
    QObject::connect(help, &QPushButton::clicked, &dialog,
                     [window] { GormF1Help(window, kBufferingDialogId); });

    auto *layout = new QHBoxLayout(&dialog);
    auto *left = new QVBoxLayout;
    auto *boxes = new QHBoxLayout;
    boxes->addWidget(endings);
    boxes->addWidget(corners);
    left->addLayout(boxes);
    auto *fields = new QGridLayout;
    fields->addWidget(sizeLabel, 0, 0);
    fields->addWidget(size, 0, 1);
    fields->addWidget(unit, 0, 2);
    fields->addWidget(segmentsLabel, 1, 0);
    fields->addWidget(segments, 1, 1);
    left->addLayout(fields);
    layout->addLayout(left);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addWidget(fast);
    buttons->addStretch();
    layout->addLayout(buttons);

    if (RunModalDialog(dialog, kBufferingDialogId) != IDOK)
        return IDCANCEL;
    // An answer of OK that did not come through the button still passes the
    // range checks.
    if (!accepted)
        accepted = OnOK(size->text().toStdString(), segments->text().toStdString());
    return accepted ? IDOK : IDCANCEL;
}
