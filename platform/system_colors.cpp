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
    if (!palette) {
        // Without a real palette the fixed colours; no palette is built for
        // them, as drawing asks for these once or twice per object.
        switch (index) {
        case COLOR_WINDOW:
            return RGB(255, 255, 255);
        case COLOR_WINDOWTEXT:
            return RGB(0, 0, 0);
        case COLOR_HIGHLIGHT:
            return RGB(0, 120, 215);
        case COLOR_HIGHLIGHTTEXT:
            return RGB(255, 255, 255);
        case COLOR_BTNFACE:
            return RGB(240, 240, 240);
        case COLOR_BTNSHADOW:
            return RGB(160, 160, 160);
        case COLOR_BTNTEXT:
            return RGB(0, 0, 0);
        case COLOR_BTNHIGHLIGHT:
            return RGB(255, 255, 255);
        case COLOR_INFOTEXT:
            return RGB(0, 0, 0);
        case COLOR_INFOBK:
            return RGB(255, 255, 225);
        default:
            return RGB(0, 0, 0);
        }
    }
    const QPalette p = QGuiApplication::palette();
    switch (index) {
    case COLOR_WINDOW:
        return fromQt(p.color(QPalette::Base));
    case COLOR_WINDOWTEXT:
        return fromQt(p.color(QPalette::Text));
    case COLOR_HIGHLIGHT:
        return fromQt(p.color(QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT:
        return fromQt(p.color(QPalette::HighlightedText));
    case COLOR_BTNFACE:
        return fromQt(p.color(QPalette::Button));
    case COLOR_BTNSHADOW:
        return fromQt(p.color(QPalette::Dark));
    case COLOR_BTNTEXT:
        return fromQt(p.color(QPalette::ButtonText));
    case COLOR_BTNHIGHLIGHT:
        return fromQt(p.color(QPalette::Light));
    case COLOR_INFOTEXT:
        return fromQt(p.color(QPalette::ToolTipText));
    case COLOR_INFOBK:
        return fromQt(p.color(QPalette::ToolTipBase));
    default:
        return RGB(0, 0, 0);
    }
}
