// Small device-independent bitmaps for tests: a header with its colour
// table, and the pixel rows bottom-up, built from a function of (x, y) where
// y counts rows from the top of the picture.
#pragma once

#include "platform/stretch_dib.h"

#include <cstring>
#include <functional>
#include <vector>

struct TestDib {
    std::vector<uint8_t> info; // header and colour table
    std::vector<uint8_t> bits;
    int width = 0;
    int height = 0;
    int bitCount = 0;

    BITMAPINFO *Info() { return reinterpret_cast<BITMAPINFO *>(info.data()); }
    const BITMAPINFO *Info() const { return reinterpret_cast<const BITMAPINFO *>(info.data()); }

    // value(x, y): a colour index for 1 to 8 bits, 0x00RRGGBB for 24 bits.
    static TestDib Make(int width, int height, int bitCount, const std::function<uint32_t(int, int)> &value,
                        const std::vector<uint32_t> &colours = {})
    {
        TestDib d;
        d.width = width;
        d.height = height;
        d.bitCount = bitCount;
        d.info.assign(40 + 4 * colours.size(), 0);
        BITMAPINFOHEADER h{};
        h.biSize = 40;
        h.biWidth = width;
        h.biHeight = height;
        h.biPlanes = 1;
        h.biBitCount = WORD(bitCount);
        h.biCompression = BI_RGB;
        const int64_t row = DibRowBytes(width, bitCount);
        h.biSizeImage = DWORD(row * height);
        h.biClrUsed = DWORD(colours.size());
        std::memcpy(d.info.data(), &h, 40);
        for (size_t i = 0; i < colours.size(); ++i) {
            const RGBQUAD q{BYTE(colours[i]), BYTE(colours[i] >> 8), BYTE(colours[i] >> 16), 0};
            std::memcpy(d.info.data() + 40 + 4 * i, &q, 4);
        }
        d.bits.assign(size_t(row * height), 0);
        for (int y = 0; y < height; ++y) {
            uint8_t *r = d.bits.data() + (height - 1 - y) * row;
            for (int x = 0; x < width; ++x) {
                const uint32_t v = value(x, y);
                switch (bitCount) {
                case 1:
                    r[x / 8] |= uint8_t((v & 1) << (7 - x % 8));
                    break;
                case 2:
                    r[x / 4] |= uint8_t((v & 3) << (6 - 2 * (x % 4)));
                    break;
                case 4:
                    r[x / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    r[x] = uint8_t(v);
                    break;
                case 24:
                    r[3 * x] = uint8_t(v);
                    r[3 * x + 1] = uint8_t(v >> 8);
                    r[3 * x + 2] = uint8_t(v >> 16);
                    break;
                }
            }
        }
        return d;
    }
};
