#include "platform/draw_icon.h"

#include "platform/dc.h"
#include "platform/resources.h"

#include <QImage>

using gdi::DeviceContext;

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon)
{
    DeviceContext *dc = gdi::FindDC(hdc);
    const QImage image = IconImage(icon).convertToFormat(QImage::Format_ARGB32);
    if (!dc || image.isNull())
        return FALSE;
    if (!dc->Begin())
        return TRUE;
    for (int j = 0; j < image.height(); ++j) {
        const int64_t ty = int64_t(y) + j;
        if (ty < 0 || ty >= dc->height)
            continue;
        const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(j));
        for (int i = 0; i < image.width(); ++i) {
            const int64_t tx = int64_t(x) + i;
            const QRgb s = row[i];
            const int a = qAlpha(s);
            if (tx < 0 || tx >= dc->width || a == 0)
                continue;
            uint32_t &d = dc->Row(int(ty))[tx];
            // Blend over the target (an opaque icon pixel replaces it).
            const int r = (qRed(s) * a + qRed(d) * (255 - a)) / 255;
            const int g = (qGreen(s) * a + qGreen(d) * (255 - a)) / 255;
            const int b = (qBlue(s) * a + qBlue(d) * (255 - a)) / 255;
            d = qRgb(r, g, b);
        }
    }
    return TRUE;
}
