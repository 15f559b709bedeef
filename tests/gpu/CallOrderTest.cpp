// The order of the pass's device and effect calls for one frame.
#include <gtest/gtest.h>

#include "FakeD3D.h"
#include "FakeEffect.h"

namespace {

using Calls = std::vector<std::string>;

// Everything a frame does before the effect's Begin.
const Calls kBeforeBegin = {
    "GetRenderTarget",           "SetTexture(g_texY)",      "SetTexture(g_texCb)",
    "SetTexture(g_texCr)",       "SetFloat(width, 36)",     "SetFloat(height, 20)",
    "SetRenderTarget(0, other)", "GetDepthStencilSurface",  "SetDepthStencilSurface(null)",
    "SetVertexDeclaration",      "SetTechnique(ycbcr2rgb)", "Begin(0)",
};

Calls joined(Calls head, const Calls &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

struct Frame {
    FakeDevice device;
    FakeTexture dest;
    FakeEffect effect{device.calls};

    void render() {
        GPUVideoRenderWithEffect pass(&device, &effect);
        effect.AddRef(); // the pass releases its reference when it goes
        pass.setSize(36, 20);
        device.calls.clear();
        pass.render(nullptr, nullptr, nullptr, &dest);
    }
};

TEST(CallOrder, EveryPassDrawsTheStripOnceBetweenBeginPassAndEndPass) {
    Frame frame;
    frame.device.hasDepthStencil = true;
    frame.effect.passes = 2;
    frame.render();
    const Calls pass = {"SetStreamSource(0, 0, 20)", "DrawPrimitive(5, 0, 2)", "EndPass"};
    EXPECT_EQ(frame.device.calls,
              joined(kBeforeBegin, joined(joined({"BeginPass(0)"}, pass),
                                          joined(joined({"BeginPass(1)"}, pass),
                                                 {"End", "SetDepthStencilSurface(ds)",
                                                  "SetRenderTarget(0, rt)"}))));
    EXPECT_EQ(frame.device.depthStencil.releases, 1);
    EXPECT_EQ(frame.dest.level.releases, 1);
    EXPECT_EQ(frame.device.renderTarget.releases, 1);
    EXPECT_EQ(frame.effect.references, 1) << "the pass keeps or drops one reference too many";
}

TEST(CallOrder, BeginOtherThanSOkRunsNoPassAndNoEnd) {
    for (HRESULT result : {S_FALSE, HRESULT(2), E_FAIL}) {
        SCOPED_TRACE(result);
        Frame frame;
        frame.effect.passes = 3;
        frame.effect.beginResult = result;
        frame.render();
        EXPECT_EQ(frame.device.calls,
                  joined(kBeforeBegin, {"SetDepthStencilSurface(null)", "SetRenderTarget(0, rt)"}));
    }
}

TEST(CallOrder, ZeroPassesBeginAndEndOnly) {
    Frame frame;
    frame.effect.passes = 0;
    frame.render();
    EXPECT_EQ(frame.device.calls, joined(kBeforeBegin, {"End", "SetDepthStencilSurface(null)",
                                                        "SetRenderTarget(0, rt)"}));
    EXPECT_EQ(frame.device.depthStencil.releases, 0);
}

} // namespace
