// The control's own registry helpers for the values its tools keep under
// the engine's settings key: a 32-bit value (REG_DWORD) or an 8-byte binary
// value, in a subkey of the window record's settings key.
#pragma once

#include "control/variant_values.h"
#include "platform/types.h"

struct SettingsRegKey;

// Reads a REG_DWORD (size 0: data is a 32-bit integer) or a REG_BINARY
// (size above 0: at most size bytes are read, never more than the caller's
// buffer holds). 1 when the value was read; 0 when it is missing, of
// another type, or the arguments are null.
KRTMAP_EXPORT int ControlRegValueGet(const SettingsRegKey *key, const char *subkey, const char *name,
                                     void *data, DWORD size);
// Writes a REG_DWORD of 4 bytes, or with byteForm an 8-byte REG_BINARY. 1 on
// success.
KRTMAP_EXPORT int ControlRegValueSet(const SettingsRegKey *key, const char *subkey, const char *name,
                                     const void *data, int byteForm);
