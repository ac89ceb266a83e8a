// Draws the single-line styles 0-61 at widths 1, 3 and 8, each on a zigzag
// polyline and a closed polygon, into one PNG in the build folder.
// Usage: line_style_gallery [output.png]
#include "engine/view/linestyle/line_style.h"
#include "platform/dc.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const char *output = argc > 1 ? argv[1] : GALLERY_OUTPUT;

    const int widths[] = {1, 3, 8};
    const int cellW = 330, cellH = 64, labelW = 40;
    const int styles = 62;
    QImage image(labelW + 3 * cellW, styles * cellH + 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        for (int i = 0; i < 3; ++i)
            p.drawText(labelW + i * cellW + 4, 16, QStringLiteral("width %1").arg(widths[i]));
        for (int s = 0; s < styles; ++s)
            p.drawText(4, 24 + s * cellH + cellH / 2 + 4, QString::number(s));
    }
    HDC dc = CreateImageDC(&image);
    for (int s = 0; s < styles; ++s) {
        for (int i = 0; i < 3; ++i) {
            const int x0 = labelW + i * cellW + 12, y0 = 24 + s * cellH + 10;
            const POINT zigzag[] = {
                {x0, y0 + 36}, {x0 + 50, y0}, {x0 + 100, y0 + 40}, {x0 + 150, y0 + 4}, {x0 + 200, y0 + 30}};
            const POINT polygon[] = {
                {x0 + 225, y0 + 2}, {x0 + 300, y0 + 8}, {x0 + 280, y0 + 42}, {x0 + 240, y0 + 30}};
            LineStyleContext ctx;
            LineStyleContextInit(&ctx, s, dc, RGB(20, 40, 160), widths[i], 0);
            LineStyleDrawPolyline(&ctx, zigzag, 5, dc);
            LineStyleDrawPolygon(&ctx, 0, polygon, 4, dc);
            LineStyleContextRelease(&ctx);
        }
    }
    DeleteDC(dc);
    if (!image.save(QString::fromLocal8Bit(output))) {
        std::fprintf(stderr, "cannot write %s\n", output);
        return 1;
    }
    std::printf("%s\n", output);
    return 0;
}
