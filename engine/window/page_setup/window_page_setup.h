// The page of a map window at the window record's construction and attach:
// the page set-up block filled from the default printer, and the page
// object created, placed and given the page values kept in the registry.
#pragma once

#include "engine/kernel/window_record.h"

// Allocates the record's page set-up block (96 zeroed bytes) and fills it
// from the record's printer; without a printer the block stays zero, which
// every reader takes as the custom page of 2101 x 2969 with margins of 127.
void WindowPageSetupCreate(_WNDRES *rec);

// Creates the window's page object, places it at (0, 0) with an extension
// of 100000 x 200000, fits it to the paper, then applies the page values of
// the registry over it (no undo step, nothing saved). 0 when the page
// cannot be created.
int WindowPageAttach(_WNDRES *rec);
