// Dynamic modules: LoadLibrary, GetProcAddress and FreeLibrary over dlopen,
// dlsym and dlclose. A module handle is a 32-bit id with a load count: loading
// the same library again gives the same id, and it is unloaded when the count
// falls to zero.
#pragma once

#include "platform/types.h"

#include <string>

using FARPROC = void (*)();

// A name with a folder ("/" or "\") loads exactly that file. A bare name is
// looked for in the program's folder, then the current folder, then the
// system's library path. 0 when it cannot be loaded.
HMODULE LoadLibraryA(const char *fileName);
// The entry point's address, or null.
FARPROC GetProcAddress(HMODULE module, const char *name);
BOOL FreeLibrary(HMODULE module);
// The module's full path, cut to size - 1 characters with its terminating
// zero; returns the characters written (0 for a bad handle). Module 0 is the
// program itself.
DWORD GetModuleFileNameA(HMODULE module, char *buffer, DWORD size);

// The full path of the library or program that holds the address; empty
// when it cannot be found.
std::string ModulePathOf(const void *address);
// The folder, with a trailing "/", of the library or program that holds the
// address (a function or object of it); empty when it cannot be found.
std::string ModuleFolderOf(const void *address);
