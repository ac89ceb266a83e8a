// The colour chooser of the settings pages: Qt's colour dialog inside a
// dialog run through the platform's modal call, so a test hook answers it.
#pragma once

#include "platform/types.h"

class QWidget;

// The template number the hook sees for the colour chooser.
inline constexpr int kColourChooserTemplate = 0;

// Shows the chooser starting from the colour (any colour allowed); true and
// the chosen colour on OK, false and the colour untouched otherwise.
bool ChooseColour(QWidget *parent, COLORREF *colour);
