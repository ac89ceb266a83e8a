// Child windows: a window record placed at a rectangle of its parent's
// client area, with a text, shown on screen as a label (QLabel) over the
// parent's widget when the parent has one. A headless parent gets headless
// children, which behave the same apart from the label.
#pragma once

#include "platform/types.h"
#include "platform/window.h"

#include <string>

class QLabel;
class QWidget;

inline constexpr UINT WM_CREATE = 0x0001;

// The widget that shows a window (a surface widget registers itself); null
// for a headless window. A null widget removes the entry.
void SetWindowWidget(HWND hwnd, QWidget *widget);
QWidget *GetWindowWidget(HWND hwnd);

// Makes the child at the rectangle (parent client coordinates). The handler
// receives WM_CREATE first, with the child in place; -1 from it fails the
// creation: the child goes again without WM_DESTROY and the result is 0.
// 0 also for a bad parent. The child's parent (GetParent) and window text
// are set. DestroyWindow sends WM_DESTROY to the handler,
// then removes the label.
HWND CreateChildWindow(HWND parent, const RECT &rect, const std::string &text, WNDPROC handler);
// The child's rectangle in its parent's client coordinates (rect may be
// null); FALSE for a handle that is not a child window.
BOOL GetChildWindowRect(HWND hwnd, RECT *rect);
// The text of a child window, its window text and its label's; FALSE /
// empty for any other handle.
BOOL SetChildWindowText(HWND hwnd, const char *text);
std::string GetChildWindowText(HWND hwnd);
// The colours its label shows the text in.
BOOL SetChildWindowColors(HWND hwnd, COLORREF text, COLORREF background);
// The label that shows the child; null for a headless parent or a handle
// that is not a child window.
QLabel *ChildWindowLabel(HWND hwnd);
