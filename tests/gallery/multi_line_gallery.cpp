// Draws the multi-line styles 62-73 at widths 3 (5 for 63 and 65), 8 and 16,
// each on a zigzag with sharp and gentle turns drawn with polygonal and with
// rounded corner flags (rounded ends), and on a closed polygon, into one PNG
// in the build folder. The background is grey so that white bands show.
// Usage: multi_line_gallery [output.png]
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

    const int cellW = 720, cellH = 120, labelW = 40, firstStyle = 62, styles = 12;
    QImage image(labelW + 3 * cellW, styles * cellH + 24, QImage::Format_RGB32);
    image.fill(QColor(200, 200, 200));
    {
        QPainter p(&image);
        for (int i = 0; i < 3; ++i)
            p.drawText(labelW + i * cellW + 4, 16,
                       i == 0 ? QStringLiteral("width 3 (5 for 63, 65)")
                              : QStringLiteral("width %1").arg(i == 1 ? 8 : 16));
        for (int s = 0; s < styles; ++s)
            p.drawText(4, 24 + s * cellH + cellH / 2 + 4, QString::number(firstStyle + s));
    }
    HDC dc = CreateImageDC(&image);
    for (int s = 0; s < styles; ++s) {
        const int style = firstStyle + s;
        for (int i = 0; i < 3; ++i) {
            const int width = i == 0 ? (style == 63 || style == 65 ? 5 : 3) : i == 1 ? 8 : 16;
            const int x0 = labelW + i * cellW + 20, y0 = 24 + s * cellH + 16;
            // Sharp turns first, then gentle ones.
            const POINT zigzag[] = {{x0, y0 + 80},       {x0 + 40, y0},       {x0 + 70, y0 + 84},
                                    {x0 + 110, y0 + 10}, {x0 + 190, y0 + 50}, {x0 + 260, y0 + 30}};
            const POINT polygon[] = {
                {x0 + 580, y0 + 4}, {x0 + 680, y0 + 14}, {x0 + 650, y0 + 84}, {x0 + 600, y0 + 50}};
            for (int k = 0; k < 2; ++k) {
                POINT shifted[6];
                for (int j = 0; j < 6; ++j)
                    shifted[j] = {zigzag[j].x + k * 285, zigzag[j].y};
                LineStyleContext ctx;
                LineStyleContextInit(&ctx, style, dc, RGB(200, 30, 30), width,
                                     k == 0 ? 0 : kLineRoundedCorners);
                LineStyleDrawPolyline(&ctx, shifted, 6, dc);
                if (k == 1)
                    LineStyleDrawPolygon(&ctx, 0, polygon, 4, dc);
                LineStyleContextRelease(&ctx);
            }
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
