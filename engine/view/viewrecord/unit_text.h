// Coordinates, lengths, areas and angles as text with their units, and
// typed values read back.
#pragma once

#include "engine/view/viewrecord/presentation_manager.h"

#include <string>

// Buffers given to these functions hold at least 200 characters.
int PM_UnitValueToText(int unit, int32_t value, char *text);
int PM_TextToUnitValue(int unit, int32_t *value, const char *text);
// A length or an area of the view in the target unit, "%15.2f" and the
// unit's short name; decimal ',' prints a decimal comma.
int PM_MeasureToTextIn(const PresentationManager *view, int unit, double value, char decimal, char *text);
bool PM_Unit2Stringf(int unit, std::string *out);
// Degrees, minutes, seconds and hundredths: 12°30'0.0". Angles between -1
// and 0 keep their minus sign.
void PM_DegreesToText(double degrees, char *text);
// Degrees, minutes and seconds text to a value in units of the factor (units
// per degree), rounded; "-0°30'" is negative. A text without minutes or
// seconds reads them as 0. 1.
int PM_TextToDegreesValue(int32_t *value, double factor, const char *text);
