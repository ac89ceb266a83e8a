// A projection module for tests: Forward adds (1000, 2000) and Backward
// subtracts it, and the state records the scales and datums it was given.
// Built twice: complete, and without StringBasedSetup.
#include "engine/view/projection/projection_module.h"
#include "platform/global_memory.h"

#include <cstring>

#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))

struct RecordingState {
    double forwardScale;
    double backwardScale;
    int32_t forwardDatum;
    int32_t backwardDatum;
    int32_t forwardScaleCalls;
    int32_t backwardScaleCalls;
    char text[64];
};

namespace {
RecordingState *Lock(HGLOBAL h) { return static_cast<RecordingState *>(GlobalLock(h)); }
} // namespace

MODULE_EXPORT HGLOBAL Constructor() { return GlobalAlloc(GHND, sizeof(RecordingState)); }
MODULE_EXPORT int32_t Destructor(HGLOBAL state) { return GlobalFree(state) == 0; }
MODULE_EXPORT int32_t Identify(char *buffer, int32_t length)
{
    if (length < 10)
        return 0;
    std::strcpy(buffer, "Recording");
    return 1;
}
MODULE_EXPORT int32_t Setup(HWND, HGLOBAL) { return 1; }
MODULE_EXPORT int32_t SetForwardScale(HGLOBAL state, double factor, int32_t datum)
{
    RecordingState *s = Lock(state);
    s->forwardScale = factor;
    s->forwardDatum = datum;
    ++s->forwardScaleCalls;
    GlobalUnlock(state);
    return 1;
}
MODULE_EXPORT int32_t SetBackwardScale(HGLOBAL state, double factor, int32_t datum)
{
    RecordingState *s = Lock(state);
    s->backwardScale = factor;
    s->backwardDatum = datum;
    ++s->backwardScaleCalls;
    GlobalUnlock(state);
    return 1;
}
MODULE_EXPORT int32_t GetProjInfo(HGLOBAL state, tagProjInfo *info)
{
    RecordingState *s = Lock(state);
    std::memset(info, 0, sizeof *info);
    info->baseKind = CS_SPHERIC;
    info->transformedKind = CS_CARTESIAN;
    std::strcpy(info->text, s->text);
    GlobalUnlock(state);
    return 1;
}
#ifndef WITHOUT_STRING_SETUP
MODULE_EXPORT int32_t StringBasedSetup(HGLOBAL state, const char *text)
{
    RecordingState *s = Lock(state);
    std::strncpy(s->text, text, sizeof s->text - 1);
    GlobalUnlock(state);
    return 1;
}
#endif
MODULE_EXPORT int32_t Forward(HGLOBAL, const MAP_COORDPT *source, MAP_COORDPT *destination, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        destination[i] = MAP_COORDPT{source[i].x + 1000, source[i].y + 2000};
    return count;
}
MODULE_EXPORT int32_t Backward(HGLOBAL, const MAP_COORDPT *source, MAP_COORDPT *destination, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        destination[i] = MAP_COORDPT{source[i].x - 1000, source[i].y - 2000};
    return count;
}
