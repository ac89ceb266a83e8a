#include "platform/wait_cursor.h"

#include <QCursor>
#include <QGuiApplication>

WaitCursor::WaitCursor()
{
    if (qGuiApp) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        shown_ = true;
    }
}

WaitCursor::~WaitCursor()
{
    if (shown_ && qGuiApp)
        QGuiApplication::restoreOverrideCursor();
}

bool WaitCursor::Showing()
{
    const QCursor *cursor = qGuiApp ? QGuiApplication::overrideCursor() : nullptr;
    return cursor && cursor->shape() == Qt::WaitCursor;
}
