// The Windows platform: the real SDK headers for Win32, COM, the multimedia timer,
// Direct3D 9, D3DX 9 and XAudio2. Nothing here is emulated; this header only settles
// which XAudio2 interface layout the library's names stand for.
//
// The library speaks to XAudio2 2.5, a COM class with the interface layout of XAudio2
// 2.4 to 2.7. The DirectX SDK of June 2010 (used with MSVC) names that layout IXAudio2,
// IXAudio2SourceVoice, IXAudio2MasteringVoice. mingw-w64's xaudio2.h declares the 2.8
// interfaces under those names and the older layout as IXAudio27, IXAudio27SourceVoice,
// IXAudio27MasteringVoice, whose methods still take the unsuffixed voice types
// (IXAudio27::CreateSourceVoice takes IXAudio2SourceVoice**). So on mingw-w64 the 2.8
// declarations are switched off through their include guards and, while the header is
// read, the unsuffixed names are spelled as the 2.7 ones; afterwards they are plain
// typedefs of the 2.7 interfaces. The library's calls then compile and bind to the 2.7
// vtables, and __uuidof(IXAudio2) is the 2.7 interface id {8BCF1F58-...}.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

#include <windows.h>

#include <mmsystem.h>
#include <objbase.h>

#include <d3d9.h>
#include <d3dx9.h>

#if defined(__MINGW32__)

#define __IXAudio2_FWD_DEFINED__
#define __IXAudio2_INTERFACE_DEFINED__
#define __IXAudio2Voice_FWD_DEFINED__
#define __IXAudio2Voice_INTERFACE_DEFINED__
#define __IXAudio2SourceVoice_FWD_DEFINED__
#define __IXAudio2SourceVoice_INTERFACE_DEFINED__
#define __IXAudio2SubmixVoice_FWD_DEFINED__
#define __IXAudio2SubmixVoice_INTERFACE_DEFINED__
#define __IXAudio2MasteringVoice_FWD_DEFINED__
#define __IXAudio2MasteringVoice_INTERFACE_DEFINED__

#define IXAudio2 IXAudio27
#define IXAudio2Voice IXAudio27Voice
#define IXAudio2SourceVoice IXAudio27SourceVoice
#define IXAudio2SubmixVoice IXAudio27SubmixVoice
#define IXAudio2MasteringVoice IXAudio27MasteringVoice

#include <xaudio2.h>

#undef IXAudio2
#undef IXAudio2Voice
#undef IXAudio2SourceVoice
#undef IXAudio2SubmixVoice
#undef IXAudio2MasteringVoice

typedef IXAudio27 IXAudio2;
typedef IXAudio27Voice IXAudio2Voice;
typedef IXAudio27SourceVoice IXAudio2SourceVoice;
typedef IXAudio27SubmixVoice IXAudio2SubmixVoice;
typedef IXAudio27MasteringVoice IXAudio2MasteringVoice;

#else

#include <xaudio2.h>

#endif
