// Manual- and auto-reset events, for a drawing thread that a window stops by
// signalling it. An event handle is an opaque pointer: events live only in
// this process and are never stored.
#pragma once

#include "platform/types.h"

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// attributes and name are accepted for the callers' sake and ignored: events
// are not shared between processes here.
HANDLE CreateEventA(const void *attributes, BOOL manualReset, BOOL initialState, const char *name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
// WAIT_OBJECT_0 when the event is (or becomes) signalled within the time;
// an auto-reset event is reset by the wait that sees it.
DWORD WaitForSingleObject(HANDLE event, DWORD milliseconds);
// Closes an event made by CreateEventA.
BOOL CloseEventHandle(HANDLE event);
