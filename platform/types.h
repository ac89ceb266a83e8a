// Basic types of the platform layer. Handles are 32-bit ids in the layer's
// tables, never pointers, because the engine keeps some of them inside stored
// 32-bit words.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = uint32_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// Handle ids: 0 is never a valid handle.
using HWND = uint32_t;
using HGLOBAL = uint32_t;
using HDC = uint32_t;
using HGDIOBJ = uint32_t;
using HPEN = uint32_t;
using HBRUSH = uint32_t;
using HFONT = uint32_t;
using HBITMAP = uint32_t;
using HRGN = uint32_t;
using HMODULE = uint32_t;
using HINSTANCE = uint32_t;

// A private heap lives only in this process, so its handle is an opaque
// pointer to the heap's record.
using HANDLE = void *;

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b)
{
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE((c >> 16) & 0xFF); }

constexpr WORD LOWORD(uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }

// Cursor, icon and menu handles: ids in the tables of resources.h and menu.h.
using HCURSOR = uint32_t;
using HICON = uint32_t;
using HMENU = uint32_t;
// Task handles exist only in signatures kept for compatibility.
using HTASK = uint32_t;
