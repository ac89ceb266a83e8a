#include "platform/message_box.h"

#include "platform/text_codec.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

std::mutex &hookMutex()
{
    static std::mutex m;
    return m;
}

MessageBoxHook &currentHook()
{
    static MessageBoxHook hook;
    return hook;
}

// Buttons of each MB_ type, in the order they show.
std::vector<int> buttonsOf(UINT type)
{
    switch (type & 0x0F) {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {IDOK};
    }
}

bool canShowWidgets()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;
    const QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}

int showQtBox(const MessageBoxRequest &r)
{
    QMessageBox box;
    box.setWindowTitle(FromWindows1252(r.caption));
    box.setText(FromWindows1252(r.text));
    switch (r.type & 0xF0) {
    case MB_ICONHAND:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Map {
        int id;
        QMessageBox::StandardButton button;
    };
    static constexpr Map kMap[] = {
        {IDOK, QMessageBox::Ok},       {IDCANCEL, QMessageBox::Cancel}, {IDABORT, QMessageBox::Abort},
        {IDRETRY, QMessageBox::Retry}, {IDIGNORE, QMessageBox::Ignore}, {IDYES, QMessageBox::Yes},
        {IDNO, QMessageBox::No},
    };
    const int def = DefaultMessageBoxAnswer(r.type);
    for (int id : buttonsOf(r.type))
        for (const Map &m : kMap)
            if (m.id == id) {
                box.addButton(m.button);
                if (id == def)
                    box.setDefaultButton(m.button);
            }
    const int chosen = box.exec();
    for (const Map &m : kMap)
        if (m.button == chosen)
            return m.id;
    return (r.type & 0x0F) == MB_OK ? IDOK : IDCANCEL;
}

} // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    std::lock_guard lock(hookMutex());
    MessageBoxHook old = std::move(currentHook());
    currentHook() = std::move(hook);
    return old;
}

int DefaultMessageBoxAnswer(UINT type)
{
    const std::vector<int> buttons = buttonsOf(type);
    size_t index = (type >> 8) & 0x0F;
    return buttons[index < buttons.size() ? index : 0];
}

int MessageBoxA(HWND owner, const char *text, const char *caption, UINT type)
{
    MessageBoxRequest r{owner, text ? text : "", caption ? caption : "Error", type};
    MessageBoxHook hook;
    {
        std::lock_guard lock(hookMutex());
        hook = currentHook();
    }
    if (hook)
        return hook(r);
    if (canShowWidgets())
        return showQtBox(r);
    std::fprintf(stderr, "[message box] %s: %s\n", r.caption.c_str(), r.text.c_str());
    return DefaultMessageBoxAnswer(type);
}
