#include "engine/window/converters/converter_dialog.h"

#include "engine/window/converters/converter_entries.h"
#include "platform/beep.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/module.h"
#include "platform/window.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>
#include <map>
#include <mutex>

namespace {

// Modules loaded for their options stay loaded, so that what the options
// entry keeps is still there for the import or export that follows.
HMODULE keptModule(const std::string &path)
{
    static std::mutex mutex;
    static std::map<std::string, HMODULE> kept;
    std::lock_guard lock(mutex);
    auto it = kept.find(path);
    if (it != kept.end())
        return it->second;
    const HMODULE module = LoadLibraryA(path.c_str());
    if (module)
        kept.emplace(path, module);
    return module;
}

QString nameFilter(const std::pair<std::string, std::string> &f)
{
    return QString::fromLocal8Bit(f.first.c_str()) + " (" + QString::fromLocal8Bit(f.second.c_str()) + ")";
}

// "*.mif" gives "mif"; a pattern without a plain extension gives nothing.
QString defaultSuffix(const std::string &pattern)
{
    const size_t dot = pattern.rfind('.');
    if (dot == std::string::npos || pattern.find_first_of("*?;", dot) != std::string::npos)
        return {};
    return QString::fromLocal8Bit(pattern.substr(dot + 1).c_str());
}

} // namespace

std::string CleanTypedFileName(const std::string &typed)
{
    const size_t at = typed.find("http://");
    return at == std::string::npos ? typed : typed.substr(at);
}

ConverterDialogModel::ConverterDialogModel(HWND map, ConverterKind kind, ConverterTable table)
    : map_(map), kind_(kind), table_(std::move(table)),
      selected_(table_.current < table_.entries.size() ? table_.current : 0)
{
}

std::vector<std::pair<std::string, std::string>> ConverterDialogModel::Filters() const
{
    std::vector<std::pair<std::string, std::string>> filters;
    for (const ConverterEntry &e : table_.entries)
        filters.emplace_back(e.description, e.pattern);
    return filters;
}

bool ConverterDialogModel::SelectType(size_t index)
{
    if (index >= table_.entries.size()) {
        MessageBeep(MB_OK);
        return false;
    }
    selected_ = index;
    return true;
}

void ConverterDialogModel::SetFileNames(const std::vector<std::string> &names)
{
    files_.clear();
    for (const std::string &n : names)
        files_.push_back(CleanTypedFileName(n));
}

int ConverterDialogModel::PressOption(HWND dialog)
{
    if (table_.entries.empty() || !OptionEnabled())
        return 0;
    const HMODULE module = keptModule(SelectedEntry().modulePath);
    if (!module)
        return 0;
    auto options = reinterpret_cast<GormOptionsFn>(GetProcAddress(module, ConverterOptionsEntry(kind_)));
    if (!options)
        return 0;
    std::vector<char> buffer(kOptionBufferSize, '\0');
    const std::string current = files_.empty() ? std::string() : files_.front();
    std::memcpy(buffer.data(), current.data(), std::min(current.size(), buffer.size() - 1));
    const int result = options(dialog, map_, buffer.data(), uint32_t(buffer.size()));
    buffer.back() = '\0'; // whatever the module did
    const std::string chosen(buffer.data());
    if (kind_ == ConverterKind::Import && chosen != current)
        files_ = chosen.empty() ? std::vector<std::string>{} : std::vector<std::string>{chosen};
    return result;
}

ConverterFileDialog::ConverterFileDialog(ConverterDialogModel &model, const std::string &title,
                                         QWidget *parent)
    : QDialog(parent), model_(model)
{
    setObjectName("GORMOPENDLG");
    setWindowTitle(QString::fromLocal8Bit(title.c_str()));
    files_ = new QFileDialog(this, Qt::Widget);
    files_->setWindowFlags(Qt::Widget);
    files_->setOption(QFileDialog::DontUseNativeDialog, true);
    files_->setFileMode(QFileDialog::AnyFile); // a typed address is taken as it stands
    if (model.Kind() == ConverterKind::Export) {
        files_->setAcceptMode(QFileDialog::AcceptSave);
    } else {
        files_->setAcceptMode(QFileDialog::AcceptOpen);
        files_->setOption(QFileDialog::ReadOnly, true);
    }
    QStringList filters;
    for (const auto &f : model.Filters())
        filters << nameFilter(f);
    files_->setNameFilters(filters);
    if (!filters.isEmpty())
        files_->selectNameFilter(filters[int(model.SelectedType())]);
    if (!model.Table().entries.empty())
        files_->setDefaultSuffix(defaultSuffix(model.SelectedEntry().pattern));

    option_ = new QPushButton(QStringLiteral("O&ption"), this);
    SetDialogItemId(option_, kOptionButtonId);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(option_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(files_);
    layout->addLayout(buttons);

    connect(files_, &QFileDialog::filterSelected, this, [this, filters](const QString &filter) {
        const qsizetype index = filters.indexOf(filter);
        if (model_.SelectType(index < 0 ? size_t(-1) : size_t(index)))
            files_->setDefaultSuffix(defaultSuffix(model_.SelectedEntry().pattern));
        showState();
    });
    connect(option_, &QPushButton::clicked, this, [this] {
        const QStringList typed = files_->selectedFiles();
        if (!typed.isEmpty())
            model_.SetFileNames({typed.front().toLocal8Bit().toStdString()});
        // The dialog's own window record lets the module tell the two forms
        // of its options entry apart.
        const HWND self = CreateHeadlessWindow(nullptr);
        model_.PressOption(self);
        DestroyWindow(self);
        if (model_.Kind() == ConverterKind::Import && !model_.FileNames().empty())
            files_->selectFile(QString::fromLocal8Bit(model_.FileNames().front().c_str()));
    });
    connect(files_, &QFileDialog::finished, this, [this](int result) {
        if (result != QDialog::Accepted) {
            done(IDCANCEL);
            return;
        }
        std::vector<std::string> names;
        for (const QString &f : files_->selectedFiles())
            names.push_back(f.toLocal8Bit().toStdString());
        model_.SetFileNames(names);
        done(names.empty() ? IDCANCEL : IDOK);
    });
    showState();
}

void ConverterFileDialog::showState()
{
    option_->setEnabled(!model_.Table().entries.empty() && model_.OptionEnabled());
}

int ConverterFileDialog::DoModal() { return RunModalDialog(*this, kTemplateId); }

bool RunConverterDialog(ConverterDialogModel &model, const std::string &title)
{
    ConverterFileDialog dialog(model, title);
    return dialog.DoModal() == IDOK && !model.FileNames().empty();
}
