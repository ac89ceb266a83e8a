#include "engine/kernel/dialogs/processing_dlg.h"

#include "engine/kernel/module_startup.h"
#include "platform/clipboard.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

void ProcessingModel::SetRange(int min, int max)
{
    rangeWidth_ = max - min;
    // The bar takes each bound as a 16-bit word.
    min_ = uint16_t(min);
    max_ = uint16_t(max);
    clampPosition();
}

void ProcessingModel::SetPos(int n)
{
    if (rangeWidth_ == 0)
        return;
    pos_ = int(int64_t(n) * 100 / rangeWidth_);
    clampPosition();
}

void ProcessingModel::StepIt()
{
    pos_ += step_;
    if (pos_ > max_)
        pos_ = min_ + (pos_ - max_);
    clampPosition();
}

void ProcessingModel::clampPosition()
{
    if (max_ >= min_)
        pos_ = std::clamp(pos_, min_, max_);
}

// ---------------------------------------------------------------------------

CProcessingDlg::CProcessingDlg(HWND parent) : parent_(parent)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return; // no widgets: the model alone
    window_ = std::make_unique<QDialog>(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    window_->setWindowTitle(QStringLiteral("Processing. Please wait ..."));
    SetDialogItemId(window_.get(), kTemplateId);
    auto *layout = new QVBoxLayout(window_.get());
    text_ = new QLabel(window_.get());
    text_->setAlignment(Qt::AlignHCenter);
    SetDialogItemId(text_, kTextId);
    bar_ = new QProgressBar(window_.get());
    bar_->setTextVisible(false);
    SetDialogItemId(bar_, kProgressId);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), window_.get());
    SetDialogItemId(cancel, kCancelId);
    QObject::connect(cancel, &QPushButton::clicked, window_.get(), [this] { OnCancelClicked(); });
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    // A caption without a close box: only Cancel stops the work, and Escape
    // must not close a window that the computation still feeds.
    window_->setModal(false);
    QObject::connect(window_.get(), &QDialog::rejected, window_.get(), [this] {
        OnCancelClicked();
        if (window_)
            window_->show();
    });
    showModel();
    window_->adjustSize();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window_->move(screen->availableGeometry().center() - window_->rect().center());
    window_->show();
}

CProcessingDlg::~CProcessingDlg() = default;

void CProcessingDlg::showModel()
{
    if (!window_)
        return;
    text_->setText(FromWindows1252(model_.Text()));
    bar_->setRange(model_.Minimum(), model_.Maximum());
    bar_->setValue(model_.Position());
}

void CProcessingDlg::SetRange(int min, int max)
{
    model_.SetRange(min, max);
    showModel();
}

void CProcessingDlg::SetPos(int n)
{
    model_.SetPos(n);
    showModel();
}

void CProcessingDlg::SetStep(int step) { model_.SetStep(step); }

void CProcessingDlg::StepIt()
{
    model_.StepIt();
    showModel();
}

void CProcessingDlg::SetText(const std::string &text)
{
    model_.SetText(text);
    showModel();
}

void CProcessingDlg::SetTextId(unsigned id)
{
    char buffer[256];
    SetText(LoadStringMap(id, buffer, int(sizeof buffer)) > 0 ? buffer : "");
}

void CProcessingDlg::OnCancelClicked() { model_.Cancel(); }

void CProcessingDlg::PumpMessages()
{
    if (window_) {
        // An operation is running: a clipboard request must not render
        // from its middle.
        const ClipboardRenderBlock block;
        QCoreApplication::processEvents();
    }
}

void CProcessingDlg::DestroyWindow()
{
    window_.reset();
    text_ = nullptr;
    bar_ = nullptr;
}
