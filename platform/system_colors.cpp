#include "platform/system_colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

COLORREF fromQt(const QColor &c) { return RGB(BYTE(c.red()), BYTE(c.green()), BYTE(c.blue())); }

} // namespace

COLORREF GetSysColor(int index)
{
    const bool palette = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) &&
                         QGuiApplication::platformName() != QLatin1String("offscreen");
    const QPalette p = palette ? QGuiApplication::palette() : QPalette();
    switch (index) {
    case COLOR_WINDOW:
        return palette ? fromQt(p.color(QPalette::Base)) : RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
        return palette ? fromQt(p.color(QPalette::Text)) : RGB(0, 0, 0);
    case COLOR_HIGHLIGHT:
        return palette ? fromQt(p.color(QPalette::Highlight)) : RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT:
        return palette ? fromQt(p.color(QPalette::HighlightedText)) : RGB(255, 255, 255);
    case COLOR_BTNFACE:
        return palette ? fromQt(p.color(QPalette::Button)) : RGB(240, 240, 240);
    case COLOR_INFOBK:
        return palette ? fromQt(p.color(QPalette::ToolTipBase)) : RGB(255, 255, 225);
    default:
        return RGB(0, 0, 0);
    }
}
