// The error that an operation raises through the automation boundary: a
// number and a text. The one type is shared by the engine, the control and
// the outside modules, so its type information lives in the platform
// library and a throw in one library is caught by type in another.
#pragma once

#include <stdexcept>
#include <string>

// The numbers the raster operations raise.
inline constexpr int kErrorWrongFileOrFormat = 1050;
inline constexpr int kErrorBothDimensionAndResolution = 1051;
inline constexpr int kErrorRasterSettings = 1052;

class __attribute__((visibility("default"))) DispatchException : public std::runtime_error {
public:
    DispatchException(int number, const std::string &text);
    ~DispatchException() override;

    int Number() const noexcept { return number_; }
    std::string Text() const { return what(); }

private:
    int number_;
};

// The fixed text of a number: 1050 "Wrong file name or file format", 1051
// "It is not allowed to assign both dimension and resolution for the same
// coordinate"; empty for any other (1052 carries the collected messages).
std::string DispatchErrorText(int number);

// Throws the exception with the number's fixed text, or with the text given
// when it is not empty.
[[noreturn]] void ThrowDispatchException(int number, const std::string &text = {});
