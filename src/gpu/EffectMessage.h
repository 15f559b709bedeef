// The text of the "Fx Compile Error" box.
#pragma once

#include <string>

#include "Platform.h"

// The effect loader's own message when it gave one (its bytes up to the first NUL, read as
// Latin-1); otherwise a sentence naming the file and the result code, because a missing
// file comes back with no message at all.
std::wstring effectLoadMessage(ID3DXBuffer *errors, const std::wstring &effectFile, HRESULT hr);
