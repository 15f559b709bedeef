// Test hooks of the software Direct3D 9 device and effect runtime: a count of live objects
// for leak checks, injected failures of chosen calls, and a record of draws. The library
// never uses them; tests do.
#pragma once

#include "D3D9.h"

// Objects of the device and the effect runtime alive in the process (devices, textures,
// surfaces, vertex buffers and declarations, shaders, effects, buffers).
LONG SoftwareD3D9LiveObjects();

// The calls a test can make fail.
enum class SoftwareD3D9Call {
    CreateTexture,
    LockRect, // IDirect3DTexture9::LockRect and IDirect3DSurface9::LockRect
    GetSurfaceLevel,
    CreateVertexBuffer,
    CreateVertexDeclaration,
    VertexBufferLock,
    CreateEffect, // D3DXCreateEffectFromFileW and D3DXCreateEffect
    EffectBegin,  // ID3DXEffect::Begin; any code, S_FALSE included, is returned as is
};

// Makes the nth call (1 = the next one) of that kind in the process return result instead
// of doing its work. One pending failure per kind; a later call replaces it.
void SoftwareD3D9FailCall(SoftwareD3D9Call call, UINT nth, HRESULT result);

// Forgets every pending failure.
void SoftwareD3D9ClearFailures();

// DrawPrimitive calls on this device that reached the rasteriser, since its creation.
UINT SoftwareD3D9DrawCount(IDirect3DDevice9 *device);

// Render target 0 at the device's last draw (no reference added), or null before any.
IDirect3DSurface9 *SoftwareD3D9LastDrawTarget(IDirect3DDevice9 *device);
