// The "Reducing Points" dialog: the method and threshold of map reduction,
// kept per user under "Settings\Reducing", and the reduction of every
// selected polyline and polygon as one undo step. ReducingPointsModel holds
// the logic; ReduceDlg builds the dialog over it.
#pragma once

#include "platform/types.h"

#include <string>

class QDialog;

inline constexpr int kReducingDialogId = 101;
inline constexpr int kReducingRecursiveId = 1011;
inline constexpr int kReducingLinearId = 1012;
inline constexpr int kReducingThresholdId = 1013;
inline constexpr int kReducingHelpId = 57670;
inline constexpr uint16_t kUndoReducing = 253;

class ReducingPointsModel {
public:
    // The decimal character of WIN.INI's "intl" and the stored settings:
    // the threshold printed with two digits, the method.
    void Load();

    char decimal() const { return decimal_; }
    const std::string &thresholdText() const { return thresholdText_; }
    bool linear() const { return linear_; }
    void setThresholdText(std::string text) { thresholdText_ = std::move(text); }
    void setLinear(bool linear) { linear_ = linear; }

    // The typed threshold: the first decimal character read as a point.
    double threshold() const;

    struct Outcome {
        int changed = 0;         // objects whose points were replaced
        bool notReduced = false; // some object would have become too small
    };
    // What OK does: stores the method (and a threshold above 0), reduces
    // the selected polylines and polygons, closes step 253 when something
    // changed and warns when some objects were left as they were.
    Outcome Apply(HWND window) const;

private:
    char decimal_ = '.';
    std::string thresholdText_;
    bool linear_ = false;
};

// Runs the dialog on the map window; 1.
int ReduceDlg(HWND window);
