#include "editor/shell/support/messages.h"

#include "platform/message_box.h"

void InfoMessage(const std::string &text)
{
    MessageBoxA(0, text.c_str(), "Information", MB_OK | MB_ICONINFORMATION);
}

void ErrorMessage(const std::string &text) { MessageBoxA(0, text.c_str(), "Error", MB_OK | MB_ICONERROR); }

bool AskYesNo(const std::string &text)
{
    return MessageBoxA(0, text.c_str(), "Confirm", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

int AskYesNoCancel(const std::string &text)
{
    return MessageBoxA(0, text.c_str(), "Confirm", MB_YESNOCANCEL | MB_ICONQUESTION);
}
