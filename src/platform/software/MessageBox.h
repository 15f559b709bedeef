// MessageBoxW for hosts without a desktop: the box is written to standard error as UTF-8
// ("caption: text") and answered with IDOK at once. Tests can capture the boxes instead.
#pragma once

#include <string>
#include <vector>

#include "Win32Types.h"

#define MB_OK 0x00000000u
#define MB_ICONERROR 0x00000010u
#define MB_ICONWARNING 0x00000030u
#define MB_ICONEXCLAMATION MB_ICONWARNING
#define MB_ICONINFORMATION 0x00000040u
#define IDOK 1

// Shows the box and returns IDOK. A null caption reads "Error", as on Windows; a null
// text reads as empty.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// --- Test control ------------------------------------------------------------------

struct SoftwareMessageBox {
    std::wstring caption;
    std::wstring text;
    UINT type;
};

// While capturing, boxes are recorded (and not written to standard error).
void softwareCaptureMessageBoxes(bool capture);

// Returns the boxes recorded so far, oldest first, and forgets them.
std::vector<SoftwareMessageBox> softwareTakeMessageBoxes();
