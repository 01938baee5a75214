// Message boxes. Nothing is shown here: each box is written to the standard error
// stream as one line and kept in a log (message_box_testing.h), and is answered as a
// user pressing Enter would answer it.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Logs the box and writes the line
//   MessageBoxA caption="<caption>" type=0x<type, 8 hex digits> text="<text>"
// to stderr, with '\', '"' and control characters in the texts escaped as \\, \", \n,
// \r, \t and \xHH (a null text or caption counts as empty). Returns the default button
// of the type: the first, or the second or third under MB_DEFBUTTON2 or MB_DEFBUTTON3
// (IDOK for MB_OK). owner is not used.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

}  // namespace w32
