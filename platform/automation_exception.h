// The one exception of automation code: a member that fails throws it, and
// Invoke hands it to the caller as DISP_E_EXCEPTION with an EXCEPINFO. It is
// defined in this library with default visibility, so that a library loaded
// by class id throws the same type that the layer catches.
#pragma once

#include "platform/automation_bstr.h"
#include "platform/automation_unknown.h"

#include <stdexcept>
#include <string>

// What a failed call tells its caller. Either wCode (an error number of the
// class, as 1000) or scode (a result code) is set, never both.
struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    SCODE scode;
};

// Frees the strings of the record and zeroes it.
void ClearExcepInfo(EXCEPINFO *info);

// A control's "property cannot be set" error, number 383 of the control
// facility.
inline constexpr int kSetNotSupportedNumber = 383;
inline constexpr HRESULT CTL_E_SETNOTSUPPORTED = MakeHresult(0x800A0000u | kSetNotSupportedNumber);

class __attribute__((visibility("default"))) AutomationException : public std::runtime_error {
public:
    // code: a class's own error number (1 to 0xFFFF, given as wCode) or a
    // failure result code (negative, given as scode). text in Windows-1252.
    AutomationException(int32_t code, const std::string &text);
    ~AutomationException() override;

    int32_t code() const { return code_; }
    const std::string &text() const { return text_; }
    // Fills the record (its strings new; source may be empty).
    void Fill(EXCEPINFO *info, const std::string &source) const;

private:
    int32_t code_;
    std::string text_;
};

// The error of a put on a read-only property, and its throw.
AutomationException SetNotSupportedError();
[[noreturn]] void ThrowSetNotSupported();
