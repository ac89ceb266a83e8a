// Message boxes. Tests (and any caller that must not block) install a hook
// that sees the request and gives the answer; without a hook the box is a
// QMessageBox when a screen is there, and otherwise the text goes to standard
// error and the default button answers.
#pragma once

#include "platform/types.h"

#include <functional>
#include <string>

inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_OKCANCEL = 0x00000001;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
inline constexpr UINT MB_YESNOCANCEL = 0x00000003;
inline constexpr UINT MB_YESNO = 0x00000004;
inline constexpr UINT MB_RETRYCANCEL = 0x00000005;
inline constexpr UINT MB_ICONHAND = 0x00000010;
inline constexpr UINT MB_ICONSTOP = MB_ICONHAND;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x00000020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONINFORMATION = 0x00000040;
inline constexpr UINT MB_ICONASTERISK = MB_ICONINFORMATION;
inline constexpr UINT MB_DEFBUTTON2 = 0x00000100;
inline constexpr UINT MB_DEFBUTTON3 = 0x00000200;
inline constexpr UINT MB_SYSTEMMODAL = 0x00001000;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

struct MessageBoxRequest {
    HWND owner;
    std::string text;    // Windows-1252, as the caller passed it
    std::string caption; // Windows-1252
    UINT type;
};

using MessageBoxHook = std::function<int(const MessageBoxRequest &)>;

// Installs a hook (an empty one removes it); returns the previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

int MessageBoxA(HWND owner, const char *text, const char *caption, UINT type);

// The button that answers when nobody can: the default button of the type.
int DefaultMessageBoxAnswer(UINT type);
