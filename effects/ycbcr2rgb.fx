// Y'CbCr (BT.601, limited range) to RGB: the same effect as ycbcr2rgb.vsh/ycbcr2rgb.psh,
// for hosts that compile effects with fxc:
//
//     fxc /T fx_2_0 /Fo ycbcr2rgb.fxo ycbcr2rgb.fx
//
// The library draws one quad in clip space (position float3, texcoord0 float2, v = 0 at
// the top) and feeds the parameters below; see README.md for the whole contract.

texture g_texY;  // Y' plane, one 8-bit channel, frame size
texture g_texCb; // Cb plane, possibly subsampled
texture g_texCr; // Cr plane, same size as Cb
float width;     // frame width in pixels
float height;    // frame height in pixels

sampler2D g_sampY = sampler_state {
    Texture = <g_texY>;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
    AddressU = CLAMP;
    AddressV = CLAMP;
};
sampler2D g_sampCb = sampler_state {
    Texture = <g_texCb>;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
    AddressU = CLAMP;
    AddressV = CLAMP;
};
sampler2D g_sampCr = sampler_state {
    Texture = <g_texCr>;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
    AddressU = CLAMP;
    AddressV = CLAMP;
};

struct QuadVertex {
    float4 position : POSITION;
    float2 texcoord : TEXCOORD0;
};

// Direct3D 9 puts pixel centres half a pixel off texel centres: moving the quad left and
// up by half a pixel makes every pixel sample its own texel centre.
QuadVertex quadVS(float3 position : POSITION, float2 texcoord : TEXCOORD0) {
    QuadVertex output;
    output.position = float4(position.x - 1.0 / width, position.y + 1.0 / height, position.z, 1.0);
    output.texcoord = texcoord;
    return output;
}

float4 ycbcr2rgbPS(float2 texcoord : TEXCOORD0) : COLOR0 {
    float3 ycbcr = float3(tex2D(g_sampY, texcoord).x, tex2D(g_sampCb, texcoord).x,
                          tex2D(g_sampCr, texcoord).x);
    ycbcr += float3(-16.0 / 255.0, -128.0 / 255.0, -128.0 / 255.0);
    float3 rgb;
    rgb.r = dot(ycbcr, float3(1.164, 0.0, 1.596));
    rgb.g = dot(ycbcr, float3(1.164, -0.392, -0.813));
    rgb.b = dot(ycbcr, float3(1.164, 2.017, 0.0));
    return float4(rgb, 1.0);
}

technique ycbcr2rgb {
    pass p0 {
        // The host's state is whatever its scene left; the quad needs none of it.
        CullMode = NONE;
        ZEnable = FALSE;
        ZWriteEnable = FALSE;
        StencilEnable = FALSE;
        AlphaTestEnable = FALSE;
        AlphaBlendEnable = FALSE;
        ScissorTestEnable = FALSE;
        ColorWriteEnable = RED | GREEN | BLUE | ALPHA;
        VertexShader = compile vs_2_0 quadVS();
        PixelShader = compile ps_2_0 ycbcr2rgbPS();
    }
}
