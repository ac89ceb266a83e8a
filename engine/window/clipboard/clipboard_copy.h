// Copying a map window's selection, whole map or page to the clipboard with
// delayed rendering: a copy announces the engine's formats and remembers
// what was copied (the command, a private copy of the selection list and
// the undo position); a format is rendered from the document as it stood at
// the copy when a program asks for it. Also the older copy export with the
// format "Map".
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

// The registered names of the engine's clipboard formats.
inline constexpr const char *kNativeClipboardFormat = "KRT Gorm 5.0";
inline constexpr const char *kMapClipboardFormat = "Map";

// Copy commands.
inline constexpr unsigned COPY_CUT = 201;
inline constexpr unsigned COPY_SELECTION = 202;
inline constexpr unsigned COPY_MAP = 203;
inline constexpr unsigned COPY_PAGE = 210;

extern "C" {

// Starts a copy of the command's kind. 1 when done, or when nothing is
// selected for a selection copy (the clipboard is then left as it was); 0
// for an unknown command, a window without document, a clipboard another
// window holds (with a message; a cut then deletes nothing) or a selection
// copy that cannot be taken.
long DstrEditCopy(HWND window, unsigned command);
// Renders one announced format onto the clipboard (the owner's answer to
// WM_RENDERFORMAT; reserved is not used). 1 when rendered, also for a
// format the engine does not make or an empty saved selection; 0 when there
// is no pending copy, no saved selection, the undo history cannot reach the
// copy's step or a copied object is gone. The document is always left as
// it was found.
long DstrEditRenderCopy(HWND window, UINT format, long reserved);
// The older copy: the given objects, the selection (count 0 and no
// objects, or a count below 0xFFFFFFFF without objects) or the whole map
// (count 0xFFFFFFFF without objects); format bits 1 "Map", 2 CF_TEXT, 0
// all. Bits 4 (CF_BITMAP) and 8 (CF_METAFILEPICT) name formats no renderer
// answers, so they are not offered. 1; 0 for a window without document or
// a clipboard another window holds.
int map_edit_Copy(HWND window, const OBJHANDLE *objects, unsigned long count, unsigned long formatBits);

} // extern "C"

// The text description of an object, a group, the selection list or the
// Layers root, in a movable global block; 0 when memory runs out.
HGLOBAL OBJectInfoText(OBJectKernel *kernel, OBJHANDLE object);
// Deletes the selection for a cut as one undo step (code 305).
void DeleteSelectionForCut(HWND window);
// The native stream of the command in a global block; 0 when the stream
// could not be had.
HGLOBAL RenderNativeClipboardData(HWND window, int command);
