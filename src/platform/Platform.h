// The one header through which the library reaches the platform: the real Windows SDK,
// Direct3D 9, D3DX 9 and XAudio2 headers on Windows, the software platform elsewhere.
// Library code uses the Windows names and never asks which platform it runs on.
#pragma once

#ifdef _WIN32
#include "windows/WindowsPlatform.h"
#else
#include "software/SoftwarePlatform.h"
#endif
