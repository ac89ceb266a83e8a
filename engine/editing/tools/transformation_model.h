// What the "Transformation" dialog reads, parses and applies: a typed
// rotation, scaling and shift of the selection about a centre (the nail's,
// or the selection's middle), applied on OK as one undo step.
#pragma once

#include "engine/kernel/kernel_types.h"
#include "platform/types.h"

#include <string>

// What the dialog shows and reads.
struct TransformationValues {
    int32_t centreX = 0, centreY = 0;
    int32_t shiftX = 0, shiftY = 0;
    double scaleX = 1.0, scaleY = 1.0;
    double angle = 0.0;
    bool rotateFree = true;
    bool scaleFree = true;
};

class TransformationModel {
public:
    explicit TransformationModel(HWND window);

    HWND Window() const { return window_; }
    OBJHANDLE Nail() const { return nail_; }
    // From the nail, or the selection's (else the whole map's) middle.
    const TransformationValues &Initial() const { return initial_; }

    // Coordinates and shifts in the view's unit.
    std::string CoordinateText(int32_t value) const;
    // false when the text is not a coordinate.
    bool ParseCoordinate(const std::string &text, int32_t *value) const;
    // Three fraction digits, trailing zeros and point dropped, with the
    // window's decimal character.
    std::string NumberText(double value) const;
    // The first decimal character read as a point; text that is not a
    // number reads as 0. A scale of 0 becomes 1.
    double ParseNumber(const std::string &text) const;
    double ParseScale(const std::string &text) const;

    // OK: stores centre, shift, scale and angle in the nail (and its
    // switches from the check boxes), transforms the selection with what
    // the check boxes leave and closes one undo step 252. The result of the
    // transformation (0 when an object was left as it was).
    int Apply(const TransformationValues &values);

private:
    HWND window_;
    OBJHANDLE nail_ = 0;
    char decimal_ = '.';
    int unit_ = 0;
    TransformationValues initial_;
};
