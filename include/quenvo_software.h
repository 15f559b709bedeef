// Quenvo on Linux: the software Direct3D 9 device that a host gives to qnv_init.
//
// The device implements the Direct3D 9 subset declared in software/D3D9.h (found through
// the include path of the platform library, src/platform): textures and surfaces in
// memory, render targets, vertex buffers and declarations, triangle-strip drawing that
// runs vs_2_0/ps_2_0 shaders in an interpreter, and GetRenderTargetData. Host code written
// against it is the same as on Windows. A host reads a texture back the Direct3D 9 way:
//
//     IDirect3DSurface9 *level = nullptr, *copy = nullptr;
//     texture->GetSurfaceLevel(0, &level);
//     device->CreateOffscreenPlainSurface(w, h, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, 0);
//     device->GetRenderTargetData(level, copy);
//     D3DLOCKED_RECT rect;
//     copy->LockRect(&rect, nullptr, D3DLOCK_READONLY);   // rows of rect.Pitch bytes
//
// Threading: like a Direct3D 9 device created without D3DCREATE_MULTITHREADED, a device
// and its objects must be used by one thread at a time.
//
// Limitations: there is no fixed-function pipeline (DrawPrimitive needs a vertex and a
// pixel shader, vs_2_0 and ps_2_0 without flow control or relative addressing); triangles
// are the only primitives; triangles are not clipped, so one with a vertex behind the
// viewer (w <= 0) is not drawn; textures are L8, A8, A8R8G8B8 and X8R8G8B8, sampled from
// level 0 with the magnification filter; there is one render target.
#pragma once

#include "software/D3D9.h"

// Makes a device whose back buffer (render target 0) is width by height A8R8G8B8, cleared
// to black, with a D3DFMT_D24S8 depth-stencil surface of the same size when depthStencil
// is true. Returns null when width or height is 0. The caller owns the one reference.
IDirect3DDevice9 *CreateSoftwareDevice9(UINT width, UINT height, BOOL depthStencil);
