// The engine headers name a field "slots": they come before Qt's.
#include "engine/kernel/window_record.h"
#include "engine/view/dialogs/projection_wizard.h"
#include "engine/window/settings/gps_monitor.h"
#include "engine/window/settings/gps_page.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/screen_metrics.h"
#include "platform/text_codec.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cstring>

namespace {

template <class W>
W *item(W *w, int id)
{
    SetDialogItemId(w, id);
    return w;
}

QComboBox *list(int id, const std::vector<std::string> &items)
{
    auto *combo = item(new QComboBox, id);
    for (const std::string &text : items)
        combo->addItem(QString::fromStdString(text));
    return combo;
}

QFont qtFontOf(const LOGFONTA &lf)
{
    QFont f(QString::fromLatin1(lf.lfFaceName, qsizetype(strnlen(lf.lfFaceName, sizeof lf.lfFaceName))));
    if (lf.lfHeight != 0)
        f.setPixelSize(int(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight));
    f.setBold(lf.lfWeight > 500);
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    return f;
}

} // namespace

CGPSDlg::CGPSDlg(_WNDRES *rec, QWidget *parent) : QWidget(parent), rec_(rec), model_(rec)
{
    setObjectName(QString::number(GpsSettingsModel::kDialogId));
    setWindowTitle(QStringLiteral("GPS"));
    auto *layout = new QVBoxLayout(this);
    auto *portBox = new QGroupBox(QStringLiteral("Port Settings"));
    auto *grid = new QGridLayout(portBox);
    const auto row = [grid](int r, const char *label, QComboBox *combo) {
        grid->addWidget(new QLabel(QString::fromLatin1(label)), r, 0);
        grid->addWidget(combo, r, 1);
    };
    row(0, "Port Number:", port_ = list(kPortId, model_.ports));
    row(1, "Speed:", speed_ = list(kSpeedId, model_.speeds));
    row(2, "Data Bits:", bits_ = list(kDataBitsId, model_.dataBits));
    row(3, "Parity:", parity_ = list(kParityId, model_.parities));
    row(4, "Stop Bits:", stop_ = list(kStopBitsId, model_.stopBits));
    grid->addWidget(
        new QLabel(QStringLiteral("(*) Recommended value, must correspond with your GPS hardware settings")),
        5, 0, 1, 2);
    grid->addWidget(item(new QPushButton(QStringLiteral("Spy")), kSpyId), 6, 1);
    layout->addWidget(portBox);
    auto *projectionBox = new QGroupBox(QStringLiteral("Projection"));
    auto *projectionLayout = new QVBoxLayout(projectionBox);
    projectionLayout->addWidget(projection_ = item(new QLabel, kProjectionId));
    projectionLayout->addWidget(
        item(new QPushButton(QStringLiteral("Select Projection")), kSelectProjectionId));
    layout->addWidget(projectionBox);
    auto *markerBox = new QGroupBox(QStringLiteral("GPS System Marker"));
    auto *markerLayout = new QGridLayout(markerBox);
    markerLayout->addWidget(
        new QLabel(QStringLiteral("Symbol used for showing position and direction of the GPS unit")), 0, 0, 1,
        2);
    markerLayout->addWidget(symbol_ = item(new QPushButton, kSymbolId), 1, 0);
    markerLayout->addWidget(spin_ = item(new QSpinBox, kSpinId), 1, 1);
    spin_->setRange(-1, 1);
    layout->addWidget(markerBox);

    for (QComboBox *combo : {speed_, stop_, bits_, parity_, port_})
        connect(combo, &QComboBox::activated, this, [this] { model_.modified = true; });
    connect(spin_, &QSpinBox::valueChanged, this, [this](int v) {
        if (v == 0)
            return;
        model_.StepSymbol(v);
        symbol_->setText(QString::fromLatin1(model_.symbol.c_str(), qsizetype(model_.symbol.size())));
        const QSignalBlocker block(spin_);
        spin_->setValue(0);
    });
    connect(symbol_, &QPushButton::clicked, this, [this] { OnSymbol(); });
    connect(DialogItemAs<QPushButton>(this, kSpyId), &QPushButton::clicked, this, [this] { OnSpy(); });
    connect(DialogItemAs<QPushButton>(this, kSelectProjectionId), &QPushButton::clicked, this,
            [this] { OnSelectProjection(); });
}

void CGPSDlg::showEvent(QShowEvent *event)
{
    // The stored values are read once, at the first activation.
    if (!model_.loaded) {
        model_.LoadSettings();
        speed_->clear();
        for (const std::string &text : model_.speeds)
            speed_->addItem(QString::fromStdString(text));
        showValues();
    }
    QWidget::showEvent(event);
}

void CGPSDlg::showValues()
{
    speed_->setCurrentIndex(model_.speed);
    stop_->setCurrentIndex(model_.stop);
    bits_->setCurrentIndex(model_.bits);
    parity_->setCurrentIndex(model_.parity);
    port_->setCurrentIndex(model_.port);
    projection_->setText(FromWindows1252(model_.projection));
    symbol_->setText(QString::fromLatin1(model_.symbol.c_str(), qsizetype(model_.symbol.size())));
    makeMarkerFont();
}

void CGPSDlg::makeMarkerFont() { symbol_->setFont(qtFontOf(model_.MarkerFont())); }

void CGPSDlg::takeControls()
{
    model_.speed = speed_->currentIndex();
    model_.stop = stop_->currentIndex();
    model_.bits = bits_->currentIndex();
    model_.parity = parity_->currentIndex();
    model_.port = port_->currentIndex();
}

void CGPSDlg::Apply()
{
    if (!model_.loaded) // never shown: what is stored stays as it is
        return;
    takeControls();
    model_.Apply();
}

int CGPSDlg::OnSpy()
{
    takeControls();
    model_.FillPortParams(&params_);
    return RunGpsMonitor(rec_ ? rec_->hWnd : 0, &params_, this);
}

void CGPSDlg::OnSymbol()
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("ChooseFont"));
    dialog.setWindowTitle(QStringLiteral("Font"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *chooser = new QFontDialog(&dialog);
    chooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    chooser->setWindowFlags(Qt::Widget);
    chooser->setCurrentFont(qtFontOf(model_.logFont));
    layout->addWidget(chooser);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [&dialog] { dialog.done(IDOK); });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, [&dialog] { dialog.done(IDCANCEL); });
    layout->addWidget(buttons);
    if (RunModalDialog(dialog, kMarkerFontChooserTemplate) == IDOK) {
        const QFont f = chooser->currentFont();
        LOGFONTA chosen = model_.logFont;
        const std::string face = ToWindows1252(f.family()).substr(0, sizeof chosen.lfFaceName - 1);
        std::memset(chosen.lfFaceName, 0, sizeof chosen.lfFaceName);
        std::memcpy(chosen.lfFaceName, face.data(), face.size());
        chosen.lfWeight = f.bold() ? 700 : 400;
        chosen.lfItalic = f.italic() ? 1 : 0;
        chosen.lfUnderline = f.underline() ? 1 : 0;
        chosen.lfStrikeOut = f.strikeOut() ? 1 : 0;
        const int points = f.pointSize() > 0 ? f.pointSize() : 0;
        model_.FontChosen(chosen, points * 10, ScreenMetric(LOGPIXELSY));
    }
    makeMarkerFont();
    model_.modified = true;
}

void CGPSDlg::OnSelectProjection()
{
    auto *button = DialogItemAs<QPushButton>(this, kSelectProjectionId);
    button->setEnabled(false);
    model_.modified = true;
    char buffer[GpsSettingsModel::kProjectionMax + 1] = {};
    std::memcpy(buffer, model_.projection.data(), std::min(model_.projection.size(), sizeof buffer - 1));
    const int result = ProjectionWizard(rec_ ? rec_->hWnd : 0, buffer, 0);
    button->setEnabled(true);
    if (result != -1 && result != 2) {
        model_.SetProjection(buffer);
        projection_->setText(FromWindows1252(model_.projection));
    }
}
