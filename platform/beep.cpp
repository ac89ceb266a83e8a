#include "platform/beep.h"

#include <QApplication>

#include <mutex>
#include <utility>

namespace {

std::mutex &sinkMutex()
{
    static std::mutex m;
    return m;
}

BeepSink &installedSink()
{
    static BeepSink sink;
    return sink;
}

void defaultBeep(UINT)
{
    // QApplication::beep belongs to the GUI thread's application.
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) &&
        QGuiApplication::platformName() != QLatin1String("offscreen"))
        QApplication::beep();
}

} // namespace

BOOL MessageBeep(UINT type)
{
    BeepSink sink;
    {
        std::lock_guard lock(sinkMutex());
        sink = installedSink();
    }
    // Called outside the lock, so that a sink may beep or swap sinks itself.
    if (sink)
        sink(type);
    else
        defaultBeep(type);
    return TRUE;
}

BeepSink SetBeepSink(BeepSink sink)
{
    std::lock_guard lock(sinkMutex());
    return std::exchange(installedSink(), std::move(sink));
}
