// Window class names: the platform's window records carry no class, so the
// windows that others must find by class (a debug viewer, a server window)
// are given one here, and FindWindowA looks them up.
#pragma once

#include "platform/types.h"

#include <string>

// Gives the window a class name (case-insensitive, as in the system);
// FALSE for a bad handle or an empty name. Naming it again replaces the name.
BOOL SetWindowClassName(HWND hwnd, const char *className);
// The class name of the window; empty when it has none or is not a window.
std::string GetWindowClassName(HWND hwnd);

// The first live window, in order of naming, whose class is className; 0
// when none. windowName is matched against nothing (the records have no
// titles) and must be null for a match.
HWND FindWindowA(const char *className, const char *windowName);
