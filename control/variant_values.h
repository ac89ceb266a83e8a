// The library's exported helpers for automation values, shared by its
// automation classes: strings and numbers out of VARIANTs that may refer to
// other VARIANTs.
#pragma once

#include "platform/automation_variant.h"

#include <string>

#define KRTMAP_EXPORT __attribute__((visibility("default")))

// A string VARIANT of the text (Windows-1252); an empty text gives " ".
KRTMAP_EXPORT Variant VariantSetString(const std::string &text);
// 1 and the text when the VARIANT (or the VARIANT it refers to) holds a
// string, directly or by reference; 0 and out unchanged otherwise.
KRTMAP_EXPORT int VariantGetString(const VARIANT &value, std::string *out);
// 1 and the number for a 16-bit integer (sign-extended), a 32-bit integer or
// a string that begins with a decimal number, each directly or by
// reference; 0 and out unchanged otherwise.
KRTMAP_EXPORT int VariantGetLong(const VARIANT &value, int32_t *out);
