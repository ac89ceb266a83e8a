// The identity of the fake map control that the editor's tests create in
// place of the real one: its own class id and ProgID. Its free-standing
// objects answer the same ProgIDs as the real control's ("KRTLib.KRTPoint",
// ...), so a test registers only one of the two libraries.
#pragma once

#include "platform/automation_guid.h"

inline constexpr CLSID kFakeMapClsid = {
    0x6F1E2A10, 0x7C3B, 0x4D5E, {0x9A, 0x0B, 0x1C, 0x2D, 0x3E, 0x4F, 0x50, 0x61}};
inline constexpr const char *kFakeMapProgId = "FakeKrt.Map";
