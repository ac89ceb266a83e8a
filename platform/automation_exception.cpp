#include "platform/automation_exception.h"

void ClearExcepInfo(EXCEPINFO *info)
{
    if (!info)
        return;
    SysFreeString(info->bstrSource);
    SysFreeString(info->bstrDescription);
    SysFreeString(info->bstrHelpFile);
    *info = EXCEPINFO{};
}

AutomationException::AutomationException(int32_t code, const std::string &text)
    : std::runtime_error(text), code_(code), text_(text)
{
}

// Out of line, so that the type's identity lives in this library alone.
AutomationException::~AutomationException() = default;

void AutomationException::Fill(EXCEPINFO *info, const std::string &source) const
{
    if (!info)
        return;
    ClearExcepInfo(info);
    if (code_ > 0 && code_ <= 0xFFFF)
        info->wCode = WORD(code_);
    else
        info->scode = code_ < 0 ? code_ : E_FAIL;
    info->bstrSource = source.empty() ? nullptr : BstrFromWindows1252(source);
    info->bstrDescription = BstrFromWindows1252(text_);
}

AutomationException SetNotSupportedError()
{
    return AutomationException(CTL_E_SETNOTSUPPORTED, "Set not supported (read-only property)");
}

void ThrowSetNotSupported() { throw SetNotSupportedError(); }
