#include "platform/screen_metrics.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace {

int Fixed(int index)
{
    switch (index) {
    case HORZSIZE:
        return kFixedScreenWidthMm;
    case VERTSIZE:
        return kFixedScreenHeightMm;
    case HORZRES:
        return kFixedScreenWidthPixels;
    case VERTRES:
        return kFixedScreenHeightPixels;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return kFixedScreenDpi;
    default:
        return 0;
    }
}

} // namespace

int ScreenMetric(int index)
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app || QGuiApplication::platformName() == QLatin1String("offscreen"))
        return Fixed(index);
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return Fixed(index);
    const QSize px = screen->size() * screen->devicePixelRatio();
    const QSizeF mm = screen->physicalSize();
    switch (index) {
    case HORZSIZE:
        return mm.width() > 0 ? int(std::lround(mm.width())) : Fixed(index);
    case VERTSIZE:
        return mm.height() > 0 ? int(std::lround(mm.height())) : Fixed(index);
    case HORZRES:
        return px.width();
    case VERTRES:
        return px.height();
    case LOGPIXELSX:
        return int(std::lround(screen->logicalDotsPerInchX()));
    case LOGPIXELSY:
        return int(std::lround(screen->logicalDotsPerInchY()));
    default:
        return 0;
    }
}
