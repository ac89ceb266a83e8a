// A map window for the image tests: the display fixture's 64 x 48 window at
// one map unit per pixel, with a blue polyline across it at y = 24 and a
// red polygon (10, 10)-(30, 30), the polygon selected.
#pragma once

// First: the kernel's headers use a name that Qt's headers define as a macro.
#include "tests/engine/editing/display_fixture.h"

#include "engine/kernel/layers.h"
#include "platform/gdi_objects.h"

#include <QImage>

class MapImageTest : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        if (HasFatalFailure())
            return;
        LayerLook blue;
        blue.line = RGB(0, 0, 255);
        blue.width = 3;
        lineLayer = layer(blue);
        line = polyline({{0, 24}, {64, 24}}, lineLayer);
        LayerLook red;
        red.line = RGB(255, 0, 0);
        red.fill = RGB(255, 0, 0);
        polygonLayer = layer(red);
        square = polygon(kSquare, polygonLayer);
        select(square);
    }

    static int count(const QImage &image, QRgb colour)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return n;
    }

    OBJHANDLE lineLayer = 0, polygonLayer = 0, line = 0, square = 0;
};
