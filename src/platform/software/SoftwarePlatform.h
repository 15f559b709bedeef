// The software platform: our own implementations of the Windows interfaces the library
// uses, for Linux hosts, development and tests.
#pragma once

#include "Com.h"
#include "D3D9.h"
#include "D3DX9.h"
#include "MessageBox.h"
#include "Timer.h"
#include "Win32Threads.h"
#include "Win32Types.h"
#include "XAudio2.h"
