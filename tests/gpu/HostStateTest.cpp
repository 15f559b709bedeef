// The pass works whatever state the host's scene left, and leaves the host's render
// target, depth-stencil surface, viewport and render states as they were.
#include <gtest/gtest.h>

#include "Bt601Reference.h"
#include "SoftwareScene.h"
#include "gpu/GPUVideoRender.h"

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 12;

Plane flatPlane(int width, int height, uint8_t value) {
    Plane plane;
    plane.width = width;
    plane.height = height;
    plane.bytes.assign(size_t(width) * size_t(height), value);
    return plane;
}

// Converts the planes into `dest` within a scene; returns the largest channel difference
// from the CPU's BT.601 conversion.
int conversionError(SoftwareScene &scene, const Plane &y, const Plane &cb, const Plane &cr,
                    IDirect3DTexture9 *dest) {
    ComRef<IDirect3DTexture9> texY(scene.planeTexture(y));
    ComRef<IDirect3DTexture9> texCb(scene.planeTexture(cb));
    ComRef<IDirect3DTexture9> texCr(scene.planeTexture(cr));
    GPUVideoRender render(scene.device(), effectPath("ycbcr2rgb.fxo"));
    render.setSize(y.width, y.height);
    scene.device()->BeginScene();
    render.render(texY.get(), texCb.get(), texCr.get(), dest);
    scene.device()->EndScene();
    return largestChannelDifference(scene.readTexture(dest),
                                    bt601Reference(y, cb, cr, y.width, y.height));
}

// Render states a scene may well leave behind, each of which would spoil the quad.
const std::pair<D3DRENDERSTATETYPE, DWORD> kHostileStates[] = {
    {D3DRS_CULLMODE, D3DCULL_CCW},   {D3DRS_ZENABLE, D3DZB_TRUE},
    {D3DRS_ZFUNC, D3DCMP_NEVER},     {D3DRS_ZWRITEENABLE, TRUE},
    {D3DRS_STENCILENABLE, TRUE},     {D3DRS_STENCILFUNC, D3DCMP_NEVER},
    {D3DRS_ALPHATESTENABLE, TRUE},   {D3DRS_ALPHAFUNC, D3DCMP_NEVER},
    {D3DRS_ALPHABLENDENABLE, TRUE},  {D3DRS_SRCBLEND, D3DBLEND_ZERO},
    {D3DRS_DESTBLEND, D3DBLEND_ONE}, {D3DRS_COLORWRITEENABLE, 0},
};

TEST(HostState, ConvertsUnderAHostileSceneStateAndRestoresTheHostsState) {
    SoftwareScene scene(40, 30);
    IDirect3DDevice9 *device = scene.device();
    Plane y = flatPlane(kWidth, kHeight, 145);
    Plane cb = flatPlane(kWidth / 2, kHeight / 2, 54);
    Plane cr = flatPlane(kWidth / 2, kHeight / 2, 34);
    ComRef<IDirect3DTexture9> dest(scene.rgbTarget(kWidth, kHeight, 0xFF0000FFu));

    ComRef<IDirect3DSurface9> hostTarget, hostDepth;
    device->GetRenderTarget(0, hostTarget.out());
    device->GetDepthStencilSurface(hostDepth.out());
    ASSERT_NE(hostDepth.get(), nullptr);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF102030u,
                  0.0f, 0);
    D3DVIEWPORT9 corner = {2, 3, 10, 8, 0.0f, 1.0f};
    device->SetViewport(&corner);
    for (const auto &state : kHostileStates) {
        device->SetRenderState(state.first, state.second);
    }

    EXPECT_LE(conversionError(scene, y, cb, cr, dest.get()), 2);

    ComRef<IDirect3DSurface9> targetAfter, depthAfter;
    device->GetRenderTarget(0, targetAfter.out());
    device->GetDepthStencilSurface(depthAfter.out());
    EXPECT_EQ(targetAfter.get(), hostTarget.get());
    EXPECT_EQ(depthAfter.get(), hostDepth.get());
    D3DVIEWPORT9 viewport = {};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.X, 0u);
    EXPECT_EQ(viewport.Y, 0u);
    EXPECT_EQ(viewport.Width, 40u);
    EXPECT_EQ(viewport.Height, 30u);
    for (const auto &state : kHostileStates) {
        DWORD value = 0xDEADBEEF;
        device->GetRenderState(state.first, &value);
        EXPECT_EQ(value, state.second) << "render state " << state.first;
    }
    Pixels back = scene.readBackBuffer();
    EXPECT_EQ(back.at(0, 0), 0xFF102030u);
    EXPECT_EQ(back.at(39, 29), 0xFF102030u);
}

TEST(HostState, WorksOnADeviceWithoutDepthStencilSurface) {
    SoftwareScene scene(kWidth, kHeight, false);
    IDirect3DDevice9 *device = scene.device();
    Plane y = flatPlane(kWidth, kHeight, 81);
    Plane cb = flatPlane(kWidth, kHeight, 90);
    Plane cr = flatPlane(kWidth, kHeight, 240);
    ComRef<IDirect3DTexture9> dest(scene.rgbTarget(kWidth, kHeight, 0xFF000000u));

    EXPECT_LE(conversionError(scene, y, cb, cr, dest.get()), 2);
    ComRef<IDirect3DSurface9> depthAfter;
    device->GetDepthStencilSurface(depthAfter.out());
    EXPECT_EQ(depthAfter.get(), nullptr);
}

// Every object the pass makes or borrows is given back: the surfaces of each render at
// once, the effect and the quad's buffer and declaration by the time the device goes (the
// device keeps the declaration and stream 0 it was last given, as Direct3D 9 does).
TEST(HostState, LeaksNothing) {
    const LONG before = SoftwareD3D9LiveObjects();
    {
        SoftwareScene scene(kWidth, kHeight);
        Plane y = flatPlane(kWidth, kHeight, 100);
        Plane chroma = flatPlane(kWidth / 2, kHeight, 128);
        ComRef<IDirect3DTexture9> texY(scene.planeTexture(y));
        ComRef<IDirect3DTexture9> texCb(scene.planeTexture(chroma));
        ComRef<IDirect3DTexture9> texCr(scene.planeTexture(chroma));
        ComRef<IDirect3DTexture9> dest(scene.rgbTarget(kWidth, kHeight, 0));
        GPUVideoRender render(scene.device(), effectPath("ycbcr2rgb.fxo"));
        render.setSize(kWidth, kHeight);
        scene.device()->BeginScene();
        render.render(texY.get(), texCb.get(), texCr.get(), dest.get());
        const LONG afterOneFrame = SoftwareD3D9LiveObjects();
        for (int frame = 0; frame < 3; ++frame) {
            render.render(texY.get(), texCb.get(), texCr.get(), dest.get());
        }
        scene.device()->EndScene();
        EXPECT_EQ(SoftwareD3D9LiveObjects(), afterOneFrame);
    }
    EXPECT_EQ(SoftwareD3D9LiveObjects(), before);
}

} // namespace
