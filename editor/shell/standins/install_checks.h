// The checks an installed map document gets (pen-parking layer, sorted
// internal layers, grid system, line styles, moved rasters). This form
// checks nothing: a document is used as it was read.
#pragma once

class TPMap;

void RunInstallationChecks(TPMap &map);
