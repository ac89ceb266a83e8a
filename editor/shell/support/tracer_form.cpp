#include "editor/shell/support/tracer_form.h"

#include "editor/shell/support/save_dialog.h"
#include "platform/text_codec.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

TTracerForm::TTracerForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Tracer"));

    auto *traceGroup = new QGroupBox(QStringLiteral(" Trace "), this);
    memo_ = new QPlainTextEdit(traceGroup);
    memo_->setObjectName(QStringLiteral("memo"));
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("Courier"), 8);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    memo_->setFont(font);
    auto *traceLayout = new QVBoxLayout(traceGroup);
    traceLayout->addWidget(memo_);

    auto *controls = new QGroupBox(QStringLiteral(" Controls "), this);
    cmdActivate_ = new QPushButton(QStringLiteral("Suspend"), controls);
    cmdActivate_->setObjectName(QStringLiteral("cmdActivate"));
    auto *hide = new QPushButton(QStringLiteral("Hide"), controls);
    hide->setObjectName(QStringLiteral("cmdHide"));
    auto *save = new QPushButton(QStringLiteral("Save ..."), controls);
    save->setObjectName(QStringLiteral("cmdSave"));
    auto *clear = new QPushButton(QStringLiteral("Clear"), controls);
    clear->setObjectName(QStringLiteral("cmdClear"));
    auto *buttons = new QHBoxLayout(controls);
    for (QPushButton *b : {cmdActivate_, hide, save, clear})
        buttons->addWidget(b);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(traceGroup, 1);
    layout->addWidget(controls);
    resize(640, 480);

    connect(cmdActivate_, &QPushButton::clicked, this, [this] { cmdActivateClick(); });
    connect(hide, &QPushButton::clicked, this, [this] { cmdHideClick(); });
    connect(save, &QPushButton::clicked, this, [this] { cmdSaveClick(); });
    connect(clear, &QPushButton::clicked, this, [this] { cmdClearClick(); });

    model_.SetLineShown([this](const std::string &line) { memo_->appendPlainText(FromWindows1252(line)); });
}

void TTracerForm::cmdActivateClick()
{
    model_.ToggleTracing();
    cmdActivate_->setText(model_.Tracing() ? QStringLiteral("Suspend") : QStringLiteral("Resume"));
}

bool TTracerForm::cmdSaveClick()
{
    SaveDialogRequest request;
    request.title = "Save trace";
    request.proposedName = "Trace.txt";
    request.defaultExtension = "rtf";
    request.filters = {{"Text files", "*.txt"}, {"All files", "*"}};
    const std::optional<std::string> file = ShowSaveDialog(request);
    if (!file)
        return false;
    FILE *f = std::fopen(file->c_str(), "wb");
    if (!f)
        return false;
    bool ok = true;
    for (const std::string &line : model_.Lines())
        ok = std::fwrite(line.data(), 1, line.size(), f) == line.size() && std::fwrite("\n", 1, 1, f) == 1 &&
             ok;
    return std::fclose(f) == 0 && ok;
}

void TTracerForm::cmdClearClick()
{
    model_.ClearLines();
    memo_->clear();
}

void TTracerForm::cmdHideClick() { close(); }
