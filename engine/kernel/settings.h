// The engine's settings: value helpers of the engine's registry key, the
// settings key object of a map window, the profile helpers with their
// search-order letters, and WriteGormIni.
#pragma once

#include "platform/registry.h"
#include "platform/types.h"

#include <string>

// HKEY_CURRENT_USER\Software\KRT\Gorm 8.0
inline constexpr const char *GORM_REG_PATH = "Software\\KRT\\Gorm 8.0";
// The full path of a subkey must fit 128 characters with its terminator.
inline constexpr size_t GORM_REG_PATH_MAX = 128;

// Registry helpers of the engine key. The subkey is appended to the engine
// path after a backslash; null or empty names the engine key itself. Each
// returns 1 on success and 0 otherwise; getters open without creating.
int m_RegValueSet(const char *subkey, const char *name, const char *text);
int m_RegValueSet(const char *subkey, const char *name, double value);
int m_RegValueSet(const char *subkey, const char *name, int value);
int m_RegValueSet(const char *subkey, const char *name, const void *bytes, DWORD length);
int m_RegValueGet(const char *subkey, const char *name, char *buffer, DWORD bufferSize);
int m_RegValueGet(const char *subkey, const char *name, double *value);
int m_RegValueGet(const char *subkey, const char *name, int *value);
int m_RegValueGet(const char *subkey, const char *name, void *buffer, DWORD bufferSize, int rawFlag);

// Reads a value's bytes (at most outSize - 1, and at most 260) as a text that
// ends at the first zero byte or at the end of the stored bytes.
int RegStringGet(const char *subkey, const char *name, char *out, DWORD outSize);
// Writes the text's characters as REG_SZ without a terminating zero.
bool RegStringSet(const char *subkey, const char *name, const char *text);
// The name of the index-th subkey (at most outSize - 1 characters).
int RegKeyGet(const char *subkey, DWORD index, char *out, DWORD outSize);
// Deletes a subkey (without subkeys of its own) of the key.
int RegKeyDel(const char *subkey, const char *name);

// The settings key of a map window: a path and a root; sections are subkeys
// of the path.
struct SettingsRegKey {
    std::string path = GORM_REG_PATH;
    HKEY root = HKEY_CURRENT_USER;

    // REG_DWORD (isDouble 0) or 8-byte REG_BINARY (isDouble non-zero). The
    // getter leaves *value alone and returns 0 when the value is missing or
    // of another type; both create the section's key when missing.
    int GetValue(const char *section, const char *name, void *value, int isDouble) const;
    int SetValue(const char *section, const char *name, const void *value, int isDouble) const;
};

// Reads a REG_SZ value of a settings section: into out when given (any
// length), else into the buffer when it fits with its terminator.
int SettingsStringGet(const SettingsRegKey *key, const char *section, const char *name, char *buffer,
                      DWORD bufferSize, std::string *out = nullptr);

// Writes a REG_SZ value of a settings section, with its terminator.
int SettingsStringSet(const SettingsRegKey *key, const char *section, const char *name,
                      const std::string &text);

// Profile helpers. module: the module whose INI files the letters M, A, C and
// W name; file: a profile file for D (may be null); letters: the search order.
int GetOwnProfileString(const char *section, const char *key, const char *defaultValue, char *buffer,
                        DWORD bufferSize, HMODULE module, const char *file, const char *letters);
int GetOwnProfileInt(const char *section, const char *key, int defaultValue, HMODULE module, const char *file,
                     const char *letters);
int WriteOwnProfileString(const char *section, const char *key, const char *value, HMODULE module,
                          const char *file, const char *letters, const char *secondLetters);

// Writes one engine setting, chosen by code, to the library's profile. Codes
// 8, 9, 11, 12 and 13 take the value itself in the pointer argument.
int WriteGormIni(uint16_t code, const void *pointer);

// The module whose INI files are the engine's own profile (the engine
// library once it has started; 0, the program, before).
HMODULE GormModule();
void SetGormModule(HMODULE module);
