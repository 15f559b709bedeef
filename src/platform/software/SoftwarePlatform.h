// The software platform: our own implementations of the Windows interfaces the library
// uses, for Linux hosts, development and tests.
#pragma once

#include "Win32Types.h"
#include "Win32Threads.h"
#include "Timer.h"
#include "Com.h"
#include "MessageBox.h"
#include "XAudio2.h"
#include "D3D9.h"
#include "D3DX9.h"
