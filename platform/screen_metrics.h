// The screen's size in pixels and millimetres and its resolution, as the
// device context of the screen reports them (GetDeviceCaps indexes). Under
// the offscreen platform, or without a GUI application, they are fixed, so
// that scales computed from them repeat in tests.
#pragma once

inline constexpr int HORZSIZE = 4; // millimetres
inline constexpr int VERTSIZE = 6;
inline constexpr int HORZRES = 8; // pixels
inline constexpr int VERTRES = 10;
inline constexpr int LOGPIXELSX = 88; // pixels per logical inch
inline constexpr int LOGPIXELSY = 90;

// The fixed screen: 1280 x 1024 pixels on 320 x 256 mm, 96 pixels per inch.
inline constexpr int kFixedScreenWidthPixels = 1280;
inline constexpr int kFixedScreenHeightPixels = 1024;
inline constexpr int kFixedScreenWidthMm = 320;
inline constexpr int kFixedScreenHeightMm = 256;
inline constexpr int kFixedScreenDpi = 96;

// The value for one of the indexes above; 0 for any other index.
int ScreenMetric(int index);
