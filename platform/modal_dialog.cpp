#include "platform/modal_dialog.h"

#include "platform/clipboard.h"
#include "platform/message_box.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <mutex>

namespace {

std::mutex &hookMutex()
{
    static std::mutex m;
    return m;
}

ModalDialogHook &currentHook()
{
    static ModalDialogHook hook;
    return hook;
}

} // namespace

ModalDialogHook SetModalDialogHook(ModalDialogHook hook)
{
    std::lock_guard lock(hookMutex());
    ModalDialogHook old = std::move(currentHook());
    currentHook() = std::move(hook);
    return old;
}

bool CanShowDialogs()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;
    const QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}

int RunModalDialog(QDialog &dialog, int templateId)
{
    ModalDialogHook hook;
    {
        std::lock_guard lock(hookMutex());
        hook = currentHook();
    }
    int result = IDCANCEL;
    // Nothing renders clipboard data behind the dialog's back.
    const ClipboardRenderBlock block;
    if (hook)
        result = hook(dialog, templateId);
    else if (CanShowDialogs())
        result = dialog.exec();
    return result == QDialog::Rejected ? IDCANCEL : result;
}

void SetDialogItemId(QWidget *control, int id)
{
    if (control)
        control->setObjectName(QString::number(id));
}

QWidget *DialogItem(const QWidget *dialog, int id)
{
    if (!dialog)
        return nullptr;
    return dialog->findChild<QWidget *>(QString::number(id));
}
