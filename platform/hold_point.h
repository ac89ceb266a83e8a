// Points in a program's worker threads where a test can hold work that is
// under way, so that it meets the work at a known step whatever the
// machine's load. No hook is set outside tests: a point then costs a
// locked read of an empty function.
#pragma once

#include "platform/types.h"

#include <functional>

// The point a drawing pass of a map window reaches once it has taken over
// the window's pending area, just before it draws.
inline constexpr const char *kDrawingPassHoldPoint = "drawing pass";
// The point a finished or stopped drawing pass reaches last, once it has
// told the window its end, before its thread takes the next pass.
inline constexpr const char *kDrawingPassEndHoldPoint = "drawing pass end";

// The hook runs on the worker's thread with the point's name and the event
// that asks the work to stop (0 when the work has none); a hook that holds
// the work must let it go once that event is set, or the thread that set it
// waits for ever. Returns the hook it replaces; an empty function removes it.
using HoldHook = std::function<void(const char *point, HANDLE stop)>;
HoldHook SetHoldHookForTesting(HoldHook hook);

// Runs the hook, if one is set.
void HoldPoint(const char *point, HANDLE stop);
