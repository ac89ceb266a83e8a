// Helpers shared by the map file's writer, reader and the selection kernel.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <string>

struct _WNDRES;

// The window's page object: the first page on its page layer; 0 none.
OBJHANDLE MapFilePageObject(HWND window, OBJectKernel *kernel);
// Stores the document's file name in the window record (at most 127
// characters), where the record has the field.
void MapFileSetWindowFileName(_WNDRES *rec, const std::string &name);
// The window record's file name; empty where the record has no field.
std::string MapFileWindowFileName(const _WNDRES *rec);
