// Merging a map document into the open map of a window: the document is
// read through the map file's validated reader into a kernel of its own,
// and its objects are copied into the window's layers of the same numbers
// (layers the map lacks are made with the document's look). Identifiers
// are matched by code and name; the copies become the selection.
#pragma once

#include "engine/kernel/coords.h"
#include "platform/types.h"

#include <string>

class FileStream;

// atCopiedPlace keeps the document's coordinates; otherwise the top-left
// corner of what is merged lands on the point. The number of objects
// merged; -1 with the reason in error when the document cannot be read (the
// map is then unchanged).
int MergeMapStream(HWND window, FileStream &stream, bool atCopiedPlace, MAP_COORDPT point,
                   std::string *error);
