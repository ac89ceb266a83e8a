#include "platform/dispatch_exception.h"

DispatchException::DispatchException(int number, const std::string &text)
    : std::runtime_error(text), number_(number)
{
}

// Out of line, so that the type's information has one home.
DispatchException::~DispatchException() = default;

std::string DispatchErrorText(int number)
{
    switch (number) {
    case kErrorWrongFileOrFormat:
        return "Wrong file name or file format";
    case kErrorBothDimensionAndResolution:
        return "It is not allowed to assign both dimension and resolution for the same coordinate";
    default:
        return {};
    }
}

void ThrowDispatchException(int number, const std::string &text)
{
    throw DispatchException(number, text.empty() ? DispatchErrorText(number) : text);
}
