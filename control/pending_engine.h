// Engine operations the control calls that the engine does not offer yet
// (clipboard and image export, buffer zones, the legend and circle dialogs,
// presentations). Each stand-in has the engine function's name and
// arguments, reports itself to the debug viewer and gives the answer the
// control treats as "not done": when the engine function lands, its call
// replaces the stand-in here and nothing else in the control changes.
#pragma once

#include "engine/kernel/coords.h"
#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <cstdint>

namespace pending {

// Image export of a map area: these call the engine's functions
// (engine/window/image_export); parameters are the four export settings in
// the engine's order, or null.
int ExClipBitmapPgon(HWND window, const MAP_COORDRECT *rect, int size);
int DIBFileExportRect(HWND window, const char *file, const MAP_COORDRECT *rect, int size, int format,
                      const int16_t parameters[4]);
// The clipboard's copy, delayed rendering and paste: the engine's own.
int DstrEditCopy(HWND window, int mode);
int DstrEditPaste(HWND window);
int DstrEditRenderCopy(HWND window, UINT format, int flag);
// The paste-special choice: 0 done or cancelled, 1 to 3 what the next
// click pastes.
int DstrEditPasteSpecial(HWND window);
int PastePage(HWND window);
// Buffer zones: 0, none made.
int map_create_buffer2(HWND window, int32_t size, int32_t segments, int32_t endings, int32_t corners,
                       int32_t type, int32_t parallelLength, int32_t calculation);
int map_create_buffer(HWND window);
// Dialogs and their re-definition of selected objects: 0 (cancelled, or
// nothing selected to re-define).
int ReDefLegend(HWND window);
int ReDefCircle(HWND window);
int PresentationWizard(HWND window);
int genCSVfile(HWND window);
// Presentations following their data sheets.
int PresOnSheetChange(HWND window, WPARAM wParam, LPARAM lParam);

} // namespace pending
