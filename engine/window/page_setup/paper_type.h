// One paper of a page's paper list, and the list: the papers the window's
// printer offers, in the printer's order, followed by the custom size that
// the page setup adds itself.
#pragma once

#include "platform/types.h"

#include <string>
#include <vector>

// Paper numbers are the system's paper codes; this one is a size of the
// user's own.
inline constexpr int PAPER_CUSTOM_NUMBER = 256;

class CPaperType {
public:
    CPaperType() = default;
    CPaperType(int number, std::string name, LONG width, LONG height, bool builtInCustom = false)
        : number(number), name(std::move(name)), width(width), height(height), builtInCustom(builtInCustom)
    {
    }

    // A size of the user's own (from the printer or the page setup's entry).
    bool IsCustomFormat() const { return number == PAPER_CUSTOM_NUMBER; }
    // The custom entry the page setup appends to every list.
    bool IsGormCustomFormat() const { return builtInCustom; }

    int number = 0;
    std::string name;
    // Tenths of a millimetre: as the printer reports them; for the custom
    // entry as the page set-up block has them, swapped whenever the page
    // turns while the custom entry is active.
    LONG width = 0;
    LONG height = 0;
    bool builtInCustom = false;
};

using CPaperTypesArr = std::vector<CPaperType>;
