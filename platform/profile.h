// Profile (INI) files with the semantics the engine expects of them:
// section and key names compare case-insensitively, the first match wins,
// values are trimmed and lose one pair of surrounding quotes. Texts are
// single-byte (Windows-1252) and are kept byte for byte.
//
// A file name without a folder names a file in the profile folder: the
// folder named by MAP_PROFILE_DIR, else ~/.config/krt. WIN.INI lives there
// too; its [intl] section answers the regional defaults below for every key
// that the file does not hold, never the process locale.
#pragma once

#include "platform/types.h"

#include <string>

// Reads a value. key null: the section's keys, each ended by a zero, the
// list ended by a further zero; section null: the names of all sections,
// likewise. Returns the number of characters placed, without the final zero
// (size - 1, or size - 2 for lists, when the buffer was too small).
DWORD GetPrivateProfileStringA(const char *section, const char *key, const char *defaultValue, char *buffer,
                               DWORD size, const char *fileName);
// The value's leading decimal number (as atoi reads it); the default when
// the key is missing.
UINT GetPrivateProfileIntA(const char *section, const char *key, int defaultValue, const char *fileName);
// value null deletes the key; key null deletes the section. The file is
// written atomically (a temporary file renamed over it).
BOOL WritePrivateProfileStringA(const char *section, const char *key, const char *value,
                                const char *fileName);

// The same on WIN.INI.
DWORD GetProfileStringA(const char *section, const char *key, const char *defaultValue, char *buffer,
                        DWORD size);
UINT GetProfileIntA(const char *section, const char *key, int defaultValue);
BOOL WriteProfileStringA(const char *section, const char *key, const char *value);

// The folder of profile files and the full path a profile name resolves to.
std::string ProfileFolder();
std::string ProfilePath(const char *fileName);
