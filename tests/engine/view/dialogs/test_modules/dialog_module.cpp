// A projection module for the dialog tests, built in several variants that
// differ in name, in the kinds of their two sides and in their parameter
// text. Forward adds (1000, 2000) and Backward subtracts it.
#include "engine/view/projection/projection_module.h"
#include "platform/global_memory.h"

#include <cstring>

#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))

struct DialogModuleState {
    char text[64];
    int32_t setups;
};

MODULE_EXPORT HGLOBAL Constructor()
{
    HGLOBAL h = GlobalAlloc(GHND, sizeof(DialogModuleState));
    auto *s = static_cast<DialogModuleState *>(GlobalLock(h));
    std::strcpy(s->text, MODULE_TEXT);
    GlobalUnlock(h);
    return h;
}
MODULE_EXPORT int32_t Destructor(HGLOBAL state) { return GlobalFree(state) == 0; }
MODULE_EXPORT int32_t Identify(char *buffer, int32_t length)
{
    if (length <= int32_t(std::strlen(MODULE_NAME)))
        return 0;
    std::strcpy(buffer, MODULE_NAME);
    return 1;
}
MODULE_EXPORT int32_t Setup(HWND, HGLOBAL state)
{
    auto *s = static_cast<DialogModuleState *>(GlobalLock(state));
    ++s->setups;
    std::strcpy(s->text, "after setup");
    GlobalUnlock(state);
    return 1;
}
MODULE_EXPORT int32_t SetForwardScale(HGLOBAL, double, int32_t) { return 1; }
MODULE_EXPORT int32_t SetBackwardScale(HGLOBAL, double, int32_t) { return 1; }
MODULE_EXPORT int32_t GetProjInfo(HGLOBAL state, tagProjInfo *info)
{
    auto *s = static_cast<DialogModuleState *>(GlobalLock(state));
    std::memset(info, 0, sizeof *info);
    info->baseKind = MODULE_BASE_KIND;
    info->transformedKind = MODULE_TRANSFORMED_KIND;
    info->hasSetup = MODULE_HAS_SETUP;
    std::strcpy(info->text, s->text);
    GlobalUnlock(state);
    return 1;
}
MODULE_EXPORT int32_t StringBasedSetup(HGLOBAL state, const char *text)
{
    auto *s = static_cast<DialogModuleState *>(GlobalLock(state));
    std::strncpy(s->text, text, sizeof s->text - 1);
    GlobalUnlock(state);
    return 1;
}
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
