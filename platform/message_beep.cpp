#include "platform/message_beep.h"

#include <QApplication>
#include <QGuiApplication>

#include <atomic>

namespace {
std::atomic<uint64_t> g_beeps{0};
}

BOOL MessageBeep(UINT)
{
    g_beeps.fetch_add(1, std::memory_order_relaxed);
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) &&
        QGuiApplication::platformName() != QLatin1String("offscreen"))
        QApplication::beep();
    return 1;
}

uint64_t MessageBeepCount() { return g_beeps.load(std::memory_order_relaxed); }

void MessageBeepCountReset() { g_beeps.store(0, std::memory_order_relaxed); }
