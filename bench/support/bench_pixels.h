// Pictures compared pixel by pixel, for the benchmarks that draw against
// Qt's drawing (see bench_check.h).
#pragma once

#include "bench/support/bench_check.h"

#include <QImage>
#include <QRect>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

// The pixels of area (the whole picture when empty) in which a and b differ
// by more than channelTolerance in red, green or blue; -1 when the pictures
// differ in size or area does not lie within them.
inline int64_t DifferingPixels(const QImage &a, const QImage &b, int channelTolerance = 0, QRect area = {})
{
    if (a.size() != b.size())
        return -1;
    if (area.isEmpty())
        area = a.rect();
    if (!a.rect().contains(area))
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    int64_t differing = 0;
    for (int row = area.top(); row <= area.bottom(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = area.left(); col <= area.right(); ++col)
            differing += std::abs(qRed(p[col]) - qRed(q[col])) > channelTolerance ||
                         std::abs(qGreen(p[col]) - qGreen(q[col])) > channelTolerance ||
                         std::abs(qBlue(p[col]) - qBlue(q[col])) > channelTolerance;
    }
    return differing;
}

// Pixels that two drawings of the same shapes by different rasterisers do
// not share: a pixel of one picture counts when no pixel of the other within
// reach pixels (in x and y) has its colour to within channelTolerance; the
// sum over both pictures. Lines placed half a pixel apart, or drawn 4- and
// 8-connected, thus match at a reach of 1, while a missing or extra shape
// does not. -1 when the sizes differ.
inline int64_t UnmatchedPixels(const QImage &a, const QImage &b, int reach, int channelTolerance = 0)
{
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    const auto near = [channelTolerance](QRgb p, QRgb q) {
        return std::abs(qRed(p) - qRed(q)) <= channelTolerance &&
               std::abs(qGreen(p) - qGreen(q)) <= channelTolerance &&
               std::abs(qBlue(p) - qBlue(q)) <= channelTolerance;
    };
    const auto oneWay = [&](const QImage &from, const QImage &to) {
        int64_t unmatched = 0;
        for (int row = 0; row < from.height(); ++row) {
            const auto *p = reinterpret_cast<const QRgb *>(from.constScanLine(row));
            const auto *same = reinterpret_cast<const QRgb *>(to.constScanLine(row));
            for (int col = 0; col < from.width(); ++col) {
                if (near(p[col], same[col]))
                    continue;
                bool found = false;
                for (int r = std::max(0, row - reach); r <= std::min(to.height() - 1, row + reach) && !found;
                     ++r) {
                    const auto *q = reinterpret_cast<const QRgb *>(to.constScanLine(r));
                    for (int c = std::max(0, col - reach);
                         c <= std::min(to.width() - 1, col + reach) && !found; ++c)
                        found = near(p[col], q[c]);
                }
                unmatched += !found;
            }
        }
        return unmatched;
    };
    return oneWay(x, y) + oneWay(y, x);
}

// The pixels of a picture that are not the background colour.
inline int64_t InkedPixels(const QImage &image, QRgb background = 0xFFFFFFFFu)
{
    const QImage x = image.convertToFormat(QImage::Format_RGB32);
    int64_t inked = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            inked += (p[col] | 0xFF000000u) != (background | 0xFF000000u);
    }
    return inked;
}

// Our picture against the reference's: at most allowedShare of the pixels of
// area may differ by more than channelTolerance (CheckResult's rules).
inline bool CheckPixels(benchmark::State *state, const std::string &topic, const QImage &ours,
                        const QImage &reference, int channelTolerance, double allowedShare, QRect area = {})
{
    if (area.isEmpty())
        area = reference.rect();
    const int64_t differing = DifferingPixels(ours, reference, channelTolerance, area);
    if (differing < 0)
        return CheckResult(state, topic, "picture size", ours.width() * 100000.0 + ours.height(),
                           reference.width() * 100000.0 + reference.height());
    return CheckShare(state, topic, "pixels differing by more than " + std::to_string(channelTolerance),
                      double(differing), double(area.width()) * area.height(), allowedShare);
}
