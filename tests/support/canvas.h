// A small white image with a device context over it, shown as text rows:
// '.' white, '#' black, 'r' red, '?' anything else.
#pragma once

#include "platform/dc.h"

#include <QImage>

#include <initializer_list>
#include <string>

struct Canvas {
    QImage image;
    HDC dc;
    Canvas(int w, int h) : image(w, h, QImage::Format_RGB32)
    {
        image.fill(0xFFFFFFFFu);
        dc = CreateImageDC(&image);
    }
    ~Canvas() { DeleteDC(dc); }
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;
    std::string Art() const
    {
        std::string s;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y) & 0xFFFFFF;
                s += p == 0xFFFFFF ? '.' : p == 0 ? '#' : p == 0xFF0000 ? 'r' : '?';
            }
            s += '\n';
        }
        return s;
    }
    int Count() const
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
        return n;
    }
};

inline std::string Rows(std::initializer_list<const char *> rows)
{
    std::string s;
    for (const char *r : rows)
        (s += r) += '\n';
    return s;
}
