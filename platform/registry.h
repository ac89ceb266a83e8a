// The registry: keys under three roots holding typed values. Key and value
// names are case-insensitive, a trailing backslash of a key path is ignored,
// subkeys enumerate in name order and values in the order they were created.
// Each root is kept in one text file, saved atomically after every change, in
// the folder named by MAP_REGISTRY_DIR (default ~/.config/map-editor/registry),
// so each test can have its own.
#pragma once

#include "platform/types.h"

using HKEY = uint32_t;
using REGSAM = DWORD;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_KEY_DELETED = 1018;
inline constexpr LONG ERROR_CANTWRITE = 1013;

// Opens an existing key (ERROR_FILE_NOT_FOUND when it is missing). An empty
// or null subkey opens the key itself again.
LONG RegOpenKeyExA(HKEY key, const char *subKey, DWORD options, REGSAM access, HKEY *result);
// Opens the key, creating it and any missing parents first. disposition
// (may be null) tells which happened. keyClass and security are not used.
LONG RegCreateKeyExA(HKEY key, const char *subKey, DWORD reserved, char *keyClass, DWORD options,
                     REGSAM access, const void *security, HKEY *result, DWORD *disposition);
LONG RegCloseKey(HKEY key);

// With data null only the type and size are given. When the data does not
// fit, ERROR_MORE_DATA and the size needed. A null or empty name is the key's
// default value.
LONG RegQueryValueExA(HKEY key, const char *name, DWORD *reserved, DWORD *type, BYTE *data, DWORD *dataSize);
LONG RegSetValueExA(HKEY key, const char *name, DWORD reserved, DWORD type, const BYTE *data, DWORD dataSize);
// nameLength: characters of the name buffer in, of the name out (without the
// terminating zero). ERROR_NO_MORE_ITEMS past the last value.
LONG RegEnumValueA(HKEY key, DWORD index, char *name, DWORD *nameLength, DWORD *reserved, DWORD *type,
                   BYTE *data, DWORD *dataSize);
LONG RegEnumKeyExA(HKEY key, DWORD index, char *name, DWORD *nameLength, DWORD *reserved, char *keyClass,
                   DWORD *classLength, void *lastWriteTime);
LONG RegDeleteValueA(HKEY key, const char *name);
// Deletes a key without subkeys (ERROR_ACCESS_DENIED when it has some).
LONG RegDeleteKeyA(HKEY key, const char *subKey);
