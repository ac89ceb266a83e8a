// The editor's message boxes: each shows its text through the platform's
// message box (which tests answer through its hook) and returns the answer.
// Texts are Windows-1252.
#pragma once

#include <string>

void InfoMessage(const std::string &text);
void ErrorMessage(const std::string &text);
// True for Yes.
bool AskYesNo(const std::string &text);
// IDYES, IDNO or IDCANCEL.
int AskYesNoCancel(const std::string &text);
