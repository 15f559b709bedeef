// Textures, surfaces, buffers and render targets of the software device: the rules of
// pools, usages and locks, row pitch, reference counts and the live-object count.
#include <gtest/gtest.h>

#include <cstring>

#include "D3DTestSupport.h"

using namespace d3dtest;

namespace {

struct DeviceFixture : ::testing::Test {
    Ref<IDirect3DDevice9> device{CreateSoftwareDevice9(64, 32, FALSE)};
    void TearDown() override { SoftwareD3D9ClearFailures(); }

    HRESULT texture(UINT w, UINT h, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                    Ref<IDirect3DTexture9> &out, UINT levels = 1) {
        return device->CreateTexture(w, h, levels, usage, format, pool, out.out(), nullptr);
    }
};

ULONG countOf(IUnknown *object) {
    object->AddRef();
    return object->Release();
}

} // namespace

TEST_F(DeviceFixture, PoolsUsagesAndLocks) {
    Ref<IDirect3DTexture9> t;
    D3DLOCKED_RECT rect;
    EXPECT_EQ(D3DERR_INVALIDCALL,
              texture(8, 8, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t));
    EXPECT_EQ(nullptr, t.get());
    EXPECT_EQ(D3DERR_INVALIDCALL,
              texture(8, 8, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, t));
    EXPECT_EQ(D3DERR_NOTAVAILABLE,
              texture(8, 8, D3DUSAGE_RENDERTARGET, D3DFMT_L8, D3DPOOL_DEFAULT, t));
    EXPECT_EQ(D3DERR_INVALIDCALL, texture(0, 8, 0, D3DFMT_L8, D3DPOOL_MANAGED, t));
    EXPECT_EQ(D3DERR_NOTAVAILABLE, texture(8, 8, 0, D3DFMT_D24S8, D3DPOOL_MANAGED, t));
    EXPECT_EQ(D3DERR_INVALIDCALL, texture(8, 8, D3DUSAGE_DYNAMIC, D3DFMT_L8, D3DPOOL_MANAGED, t));

    // A render target, or any default-pool texture that is not dynamic, cannot be locked.
    ASSERT_EQ(D3D_OK, texture(8, 8, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, t));
    EXPECT_EQ(D3DERR_INVALIDCALL, t->LockRect(0, &rect, nullptr, 0));
    ASSERT_EQ(D3D_OK, texture(8, 8, 0, D3DFMT_L8, D3DPOOL_DEFAULT, t));
    EXPECT_EQ(D3DERR_INVALIDCALL, t->LockRect(0, &rect, nullptr, 0));
    ASSERT_EQ(D3D_OK, texture(8, 8, D3DUSAGE_DYNAMIC, D3DFMT_L8, D3DPOOL_DEFAULT, t));
    EXPECT_EQ(D3D_OK, t->LockRect(0, &rect, nullptr, 0));
    EXPECT_EQ(D3D_OK, t->UnlockRect(0));

    for (D3DPOOL pool : {D3DPOOL_MANAGED, D3DPOOL_SYSTEMMEM, D3DPOOL_SCRATCH}) {
        ASSERT_EQ(D3D_OK, texture(8, 8, 0, D3DFMT_L8, pool, t));
        EXPECT_EQ(D3D_OK, t->LockRect(0, &rect, nullptr, 0));
        EXPECT_EQ(D3DERR_INVALIDCALL, t->LockRect(0, &rect, nullptr, 0)); // already locked
        EXPECT_EQ(D3D_OK, t->UnlockRect(0));
        EXPECT_EQ(D3DERR_INVALIDCALL, t->UnlockRect(0));                  // not locked
        EXPECT_EQ(D3DERR_INVALIDCALL, t->LockRect(1, &rect, nullptr, 0)); // no such level
    }
    RECT outside = {4, 4, 9, 8};
    EXPECT_EQ(D3DERR_INVALIDCALL, t->LockRect(0, &rect, &outside, 0));
}

TEST_F(DeviceFixture, LevelsAndDescriptions) {
    Ref<IDirect3DTexture9> t;
    ASSERT_EQ(D3D_OK, texture(64, 16, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t, 0));
    EXPECT_EQ(7u, t->GetLevelCount()); // 64x16 down to 1x1
    D3DSURFACE_DESC desc;
    ASSERT_EQ(D3D_OK, t->GetLevelDesc(2, &desc));
    EXPECT_EQ(16u, desc.Width);
    EXPECT_EQ(4u, desc.Height);
    ASSERT_EQ(D3D_OK, t->GetLevelDesc(6, &desc));
    EXPECT_EQ(1u, desc.Width);
    EXPECT_EQ(1u, desc.Height);
    EXPECT_EQ(D3DERR_INVALIDCALL, t->GetLevelDesc(7, &desc));
    EXPECT_EQ(D3DERR_INVALIDCALL, texture(64, 16, 0, D3DFMT_L8, D3DPOOL_MANAGED, t, 8));

    ASSERT_EQ(D3D_OK,
              texture(640, 480, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, t));
    Ref<IDirect3DSurface9> level;
    ASSERT_EQ(D3D_OK, t->GetSurfaceLevel(0, level.out()));
    ASSERT_EQ(D3D_OK, level->GetDesc(&desc));
    EXPECT_EQ(D3DFMT_A8R8G8B8, desc.Format);
    EXPECT_EQ(DWORD(D3DUSAGE_RENDERTARGET), desc.Usage);
    EXPECT_EQ(D3DPOOL_DEFAULT, desc.Pool);
    EXPECT_EQ(640u, desc.Width);
    EXPECT_EQ(480u, desc.Height);
    EXPECT_EQ(D3DERR_INVALIDCALL, t->GetSurfaceLevel(1, level.out()));
    EXPECT_EQ(nullptr, level.get());
}

TEST_F(DeviceFixture, RowsArePitchedWiderThanTheyAre) {
    Ref<IDirect3DTexture9> t;
    ASSERT_EQ(D3D_OK, texture(30, 4, 0, D3DFMT_L8, D3DPOOL_MANAGED, t));
    D3DLOCKED_RECT rect;
    ASSERT_EQ(D3D_OK, t->LockRect(0, &rect, nullptr, 0));
    EXPECT_GT(rect.Pitch, 30);
    auto *base = static_cast<uint8_t *>(rect.pBits);
    // Fill the padding of every row; writing only the rows' 30 bytes must leave it.
    for (int y = 0; y < 4; ++y)
        std::memset(base + y * rect.Pitch, 0xEE, size_t(rect.Pitch));
    for (int y = 0; y < 4; ++y)
        std::memset(base + y * rect.Pitch, y + 1, 30);
    INT pitch = rect.Pitch;
    t->UnlockRect(0);
    RECT sub = {10, 2, 20, 4};
    ASSERT_EQ(D3D_OK, t->LockRect(0, &rect, &sub, D3DLOCK_READONLY));
    EXPECT_EQ(pitch, rect.Pitch);
    EXPECT_EQ(base + 2 * pitch + 10, rect.pBits);
    EXPECT_EQ(3, *static_cast<uint8_t *>(rect.pBits));
    EXPECT_EQ(0xEE, base[30]);
    EXPECT_EQ(0xEE, base[3 * pitch + pitch - 1]);
    t->UnlockRect(0);

    ASSERT_EQ(D3D_OK, texture(30, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t));
    ASSERT_EQ(D3D_OK, t->LockRect(0, &rect, nullptr, 0));
    EXPECT_GT(rect.Pitch, 120);
    t->UnlockRect(0);
}

TEST(DeviceLifetime, ReferenceCountsAndLiveObjects) {
    LONG before = SoftwareD3D9LiveObjects();
    IDirect3DDevice9 *device = CreateSoftwareDevice9(32, 32, TRUE);
    ASSERT_NE(nullptr, device);
    LONG withDevice = SoftwareD3D9LiveObjects();
    EXPECT_EQ(before + 3, withDevice); // device, back buffer, depth-stencil surface

    IDirect3DTexture9 *texture = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                            D3DPOOL_DEFAULT, &texture, nullptr));
    EXPECT_EQ(1u, countOf(texture));
    EXPECT_EQ(2u, countOf(device)); // the texture holds its device
    IDirect3DSurface9 *level = nullptr;
    ASSERT_EQ(D3D_OK, texture->GetSurfaceLevel(0, &level));
    EXPECT_EQ(2u, countOf(texture)); // a level's references are its texture's
    EXPECT_EQ(1u, level->Release());

    // Bound as render target, the texture outlives the host's references.
    ASSERT_EQ(D3D_OK, texture->GetSurfaceLevel(0, &level));
    ASSERT_EQ(D3D_OK, device->SetRenderTarget(0, level));
    level->Release();
    EXPECT_EQ(0u, texture->Release());
    IDirect3DSurface9 *current = nullptr;
    ASSERT_EQ(D3D_OK, device->GetRenderTarget(0, &current));
    EXPECT_EQ(level, current);
    D3DSURFACE_DESC desc;
    EXPECT_EQ(D3D_OK, current->GetDesc(&desc));
    EXPECT_EQ(16u, desc.Width);
    current->Release();
    EXPECT_EQ(withDevice + 2, SoftwareD3D9LiveObjects());

    IDirect3DSurface9 *back = nullptr;
    ASSERT_EQ(D3D_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
    ASSERT_EQ(D3D_OK, device->SetRenderTarget(0, back));
    back->Release();
    EXPECT_EQ(withDevice, SoftwareD3D9LiveObjects()); // the unbound texture is gone

    // The host may release its device before the objects made from it.
    IDirect3DSurface9 *plain = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                          &plain, nullptr));
    EXPECT_EQ(1u, device->Release());
    IDirect3DDevice9 *owner = nullptr;
    ASSERT_EQ(D3D_OK, plain->GetDevice(&owner));
    EXPECT_EQ(device, owner);
    owner->Release();
    EXPECT_EQ(0u, plain->Release());
    EXPECT_EQ(before, SoftwareD3D9LiveObjects());
}

TEST_F(DeviceFixture, SetRenderTargetResetsTheViewport) {
    D3DVIEWPORT9 small = {4, 2, 10, 6, 0.25f, 0.75f};
    ASSERT_EQ(D3D_OK, device->SetViewport(&small));
    D3DVIEWPORT9 vp;
    device->GetViewport(&vp);
    EXPECT_EQ(4u, vp.X);
    EXPECT_EQ(0.75f, vp.MaxZ);
    D3DVIEWPORT9 tooWide = {60, 0, 10, 4, 0, 1};
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetViewport(&tooWide));

    Ref<IDirect3DTexture9> t;
    ASSERT_EQ(D3D_OK, texture(20, 10, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, t));
    Ref<IDirect3DSurface9> level, back;
    t->GetSurfaceLevel(0, level.out());
    device->GetRenderTarget(0, back.out());
    ASSERT_EQ(D3D_OK, device->SetRenderTarget(0, level.get()));
    device->GetViewport(&vp);
    EXPECT_EQ(0u, vp.X);
    EXPECT_EQ(0u, vp.Y);
    EXPECT_EQ(20u, vp.Width);
    EXPECT_EQ(10u, vp.Height);
    EXPECT_EQ(0.0f, vp.MinZ);
    EXPECT_EQ(1.0f, vp.MaxZ);
    ASSERT_EQ(D3D_OK, device->SetRenderTarget(0, back.get()));
    device->GetViewport(&vp);
    EXPECT_EQ(64u, vp.Width);
    EXPECT_EQ(32u, vp.Height);

    // Only render-target surfaces, only target 0, never none.
    Ref<IDirect3DTexture9> plain;
    ASSERT_EQ(D3D_OK, texture(8, 8, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, plain));
    Ref<IDirect3DSurface9> plainLevel;
    plain->GetSurfaceLevel(0, plainLevel.out());
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetRenderTarget(0, plainLevel.get()));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetRenderTarget(0, nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetRenderTarget(1, level.get()));
    Ref<IDirect3DSurface9> none;
    EXPECT_EQ(D3DERR_NOTFOUND, device->GetRenderTarget(1, none.out()));
}

TEST_F(DeviceFixture, DepthStencilSurfaces) {
    Ref<IDirect3DSurface9> depth;
    EXPECT_EQ(D3DERR_NOTFOUND, device->GetDepthStencilSurface(depth.out()));
    EXPECT_EQ(nullptr, depth.get());
    EXPECT_EQ(D3D_OK, device->SetDepthStencilSurface(nullptr));

    Ref<IDirect3DDevice9> withDepth(CreateSoftwareDevice9(8, 8, TRUE));
    ASSERT_EQ(D3D_OK, withDepth->GetDepthStencilSurface(depth.out()));
    D3DSURFACE_DESC desc;
    depth->GetDesc(&desc);
    EXPECT_EQ(D3DFMT_D24S8, desc.Format);
    EXPECT_EQ(8u, desc.Width);
    DWORD zenable = 0;
    withDepth->GetRenderState(D3DRS_ZENABLE, &zenable);
    EXPECT_EQ(DWORD(D3DZB_TRUE), zenable);
    device->GetRenderState(D3DRS_ZENABLE, &zenable);
    EXPECT_EQ(DWORD(D3DZB_FALSE), zenable);

    EXPECT_EQ(D3D_OK, withDepth->SetDepthStencilSurface(nullptr));
    Ref<IDirect3DSurface9> none;
    EXPECT_EQ(D3DERR_NOTFOUND, withDepth->GetDepthStencilSurface(none.out()));
    EXPECT_EQ(D3D_OK, withDepth->SetDepthStencilSurface(depth.get()));
    Ref<IDirect3DSurface9> back;
    withDepth->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.out());
    EXPECT_EQ(D3DERR_INVALIDCALL, withDepth->SetDepthStencilSurface(back.get()));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
}

TEST_F(DeviceFixture, GetRenderTargetDataCopiesIntoSystemMemory) {
    Ref<IDirect3DSurface9> back, copy, wrongPool, wrongSize;
    device->GetRenderTarget(0, back.out());
    ASSERT_EQ(D3D_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0));
    D3DRECT corner = {0, 0, 2, 1};
    ASSERT_EQ(D3D_OK, device->Clear(1, &corner, D3DCLEAR_TARGET, 0x80102030, 1.0f, 0));
    ASSERT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(64, 32, D3DFMT_A8R8G8B8,
                                                          D3DPOOL_SYSTEMMEM, copy.out(), nullptr));
    ASSERT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(64, 32, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                                          wrongPool.out(), nullptr));
    ASSERT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(
                          32, 32, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, wrongSize.out(), nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->GetRenderTargetData(back.get(), wrongPool.get()));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->GetRenderTargetData(back.get(), wrongSize.get()));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->GetRenderTargetData(copy.get(), copy.get()));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->GetRenderTargetData(wrongPool.get(), copy.get()));
    ASSERT_EQ(D3D_OK, device->GetRenderTargetData(back.get(), copy.get()));
    D3DLOCKED_RECT rect;
    ASSERT_EQ(D3D_OK, copy->LockRect(&rect, nullptr, D3DLOCK_READONLY));
    auto pixel = [&](int x, int y) {
        uint32_t value;
        std::memcpy(&value, static_cast<uint8_t *>(rect.pBits) + y * rect.Pitch + 4 * x, 4);
        return value;
    };
    EXPECT_EQ(0x80102030u, pixel(0, 0));
    EXPECT_EQ(0x80102030u, pixel(1, 0));
    EXPECT_EQ(0xFF336699u, pixel(2, 0));
    EXPECT_EQ(0xFF336699u, pixel(0, 1));
    EXPECT_EQ(0xFF336699u, pixel(63, 31));
    copy->UnlockRect();

    // The back buffer is not lockable; off-screen surfaces are, but not in the managed pool.
    EXPECT_EQ(D3DERR_INVALIDCALL, back->LockRect(&rect, nullptr, 0));
    Ref<IDirect3DSurface9> managed;
    EXPECT_EQ(D3DERR_INVALIDCALL,
              device->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                  managed.out(), nullptr));
    EXPECT_EQ(D3D_OK, wrongPool->LockRect(&rect, nullptr, 0));
    wrongPool->UnlockRect();
}

TEST_F(DeviceFixture, InjectedFailures) {
    Ref<IDirect3DTexture9> a, b, c;
    SoftwareD3D9FailCall(SoftwareD3D9Call::CreateTexture, 2, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(D3D_OK, texture(8, 8, 0, D3DFMT_L8, D3DPOOL_MANAGED, a));
    EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY, texture(8, 8, 0, D3DFMT_L8, D3DPOOL_MANAGED, b));
    EXPECT_EQ(nullptr, b.get());
    EXPECT_EQ(D3D_OK, texture(8, 8, 0, D3DFMT_L8, D3DPOOL_MANAGED, c)); // once only

    D3DLOCKED_RECT rect;
    SoftwareD3D9FailCall(SoftwareD3D9Call::LockRect, 1, E_OUTOFMEMORY);
    EXPECT_EQ(E_OUTOFMEMORY, a->LockRect(0, &rect, nullptr, 0));
    EXPECT_EQ(D3DERR_INVALIDCALL, a->UnlockRect(0)); // the failed lock locked nothing
    EXPECT_EQ(D3D_OK, a->LockRect(0, &rect, nullptr, 0));
    a->UnlockRect(0);

    Ref<IDirect3DSurface9> level;
    SoftwareD3D9FailCall(SoftwareD3D9Call::GetSurfaceLevel, 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DERR_INVALIDCALL, a->GetSurfaceLevel(0, level.out()));
    EXPECT_EQ(nullptr, level.get());
    EXPECT_EQ(1u, countOf(a.get()));

    SoftwareD3D9FailCall(SoftwareD3D9Call::LockRect, 1, E_FAIL);
    SoftwareD3D9ClearFailures();
    EXPECT_EQ(D3D_OK, a->LockRect(0, &rect, nullptr, 0));
    a->UnlockRect(0);
}

TEST_F(DeviceFixture, VertexBuffersAndDeclarations) {
    Ref<IDirect3DVertexBuffer9> buffer;
    ASSERT_EQ(D3D_OK, device->CreateVertexBuffer(80, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                                 D3DPOOL_DEFAULT, buffer.out(), nullptr));
    void *data = nullptr;
    ASSERT_EQ(D3D_OK, buffer->Lock(0, 0, &data, D3DLOCK_DISCARD));
    std::memset(data, 0xAB, 80);
    EXPECT_EQ(D3DERR_INVALIDCALL, buffer->Lock(0, 0, &data, 0));
    EXPECT_EQ(D3D_OK, buffer->Unlock());
    EXPECT_EQ(D3DERR_INVALIDCALL, buffer->Unlock());
    EXPECT_EQ(D3DERR_INVALIDCALL, buffer->Lock(40, 41, &data, 0));
    EXPECT_EQ(D3DERR_INVALIDCALL, buffer->Lock(80, 0, &data, 0));
    ASSERT_EQ(D3D_OK, buffer->Lock(40, 40, &data, 0));
    EXPECT_EQ(0xAB, *static_cast<uint8_t *>(data));
    buffer->Unlock();
    EXPECT_EQ(D3DERR_INVALIDCALL,
              device->CreateVertexBuffer(0, 0, 0, D3DPOOL_DEFAULT, buffer.out(), nullptr));

    const D3DVERTEXELEMENT9 layout[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    Ref<IDirect3DVertexDeclaration9> declaration;
    ASSERT_EQ(D3D_OK, device->CreateVertexDeclaration(layout, declaration.out()));
    D3DVERTEXELEMENT9 back[3];
    UINT count = 3;
    ASSERT_EQ(D3D_OK, declaration->GetDeclaration(back, &count));
    EXPECT_EQ(3u, count);
    EXPECT_EQ(12, back[1].Offset);
    EXPECT_EQ(0xFF, back[2].Stream);
    const D3DVERTEXELEMENT9 badType[] = {{0, 0, 99, 0, 0, 0}, D3DDECL_END()};
    EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateVertexDeclaration(badType, declaration.out()));

    SoftwareD3D9FailCall(SoftwareD3D9Call::CreateVertexBuffer, 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY,
              device->CreateVertexBuffer(80, 0, 0, D3DPOOL_DEFAULT, buffer.out(), nullptr));
    SoftwareD3D9FailCall(SoftwareD3D9Call::CreateVertexDeclaration, 1, E_OUTOFMEMORY);
    EXPECT_EQ(E_OUTOFMEMORY, device->CreateVertexDeclaration(layout, declaration.out()));
    SoftwareD3D9FailCall(SoftwareD3D9Call::VertexBufferLock, 1, D3DERR_INVALIDCALL);
    ASSERT_EQ(D3D_OK, device->CreateVertexBuffer(80, 0, 0, D3DPOOL_DEFAULT, buffer.out(), nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, buffer->Lock(0, 0, &data, D3DLOCK_DISCARD));
    EXPECT_EQ(nullptr, data);
}

TEST_F(DeviceFixture, DefaultStatesAndScenes) {
    DWORD value = 0;
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(DWORD(D3DCULL_CCW), value);
    device->GetRenderState(D3DRS_COLORWRITEENABLE, &value);
    EXPECT_EQ(0xFu, value);
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(0u, value);
    device->GetSamplerState(3, D3DSAMP_ADDRESSU, &value);
    EXPECT_EQ(DWORD(D3DTADDRESS_WRAP), value);
    device->GetSamplerState(3, D3DSAMP_MAGFILTER, &value);
    EXPECT_EQ(DWORD(D3DTEXF_POINT), value);
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetSamplerState(16, D3DSAMP_ADDRESSU, 1));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetTexture(16, nullptr));

    EXPECT_EQ(D3DERR_INVALIDCALL, device->EndScene());
    EXPECT_EQ(D3D_OK, device->BeginScene());
    EXPECT_EQ(D3DERR_INVALIDCALL, device->BeginScene());
    EXPECT_EQ(D3D_OK, device->EndScene());
    EXPECT_EQ(D3D_OK, device->Present(nullptr, nullptr, nullptr, nullptr));

    float constants[8] = {1, 2, 3, 4, 5, 6, 7, 8}, back[8] = {};
    EXPECT_EQ(D3D_OK, device->SetPixelShaderConstantF(222, constants, 2));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetPixelShaderConstantF(223, constants, 2));
    EXPECT_EQ(D3D_OK, device->GetPixelShaderConstantF(222, back, 2));
    EXPECT_EQ(8.0f, back[7]);
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetVertexShaderConstantF(255, constants, 2));
}
