// DrawPrimitive: vertex fetch through the declaration and stream sources, the vertex
// shader over the vertices, primitive assembly, and rasterisation with the pixel shader.
#include <cstring>

#include "Rasteriser.h"
#include "SoftwareDevice.h"

namespace software::d3d {
namespace {

constexpr UINT kMaxPrimitiveCount = 0xFFFFF;

// Where one vertex shader input comes from.
struct InputFetch {
    uint16_t slot;
    const uint8_t *data = nullptr; // first vertex of the draw; null: the input's default
    UINT stride = 0;
    BYTE type = D3DDECLTYPE_FLOAT4;
};

void decodeElement(const uint8_t *p, BYTE type, float out[4]) {
    out[0] = out[1] = out[2] = 0.0f;
    out[3] = 1.0f;
    if (type == D3DDECLTYPE_D3DCOLOR) {
        // Bytes B, G, R, A.
        out[0] = p[2] / 255.0f;
        out[1] = p[1] / 255.0f;
        out[2] = p[0] / 255.0f;
        out[3] = p[3] / 255.0f;
        return;
    }
    std::memcpy(out, p, declTypeSize(type));
}

UINT vertexCountOf(D3DPRIMITIVETYPE type, UINT primitives) {
    switch (type) {
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return primitives + 2;
    case D3DPT_TRIANGLELIST:
        return primitives * 3;
    default:
        return 0;
    }
}

// The vertex shader output that feeds a pixel shader input.
RegisterName vertexOutputFor(const InputDeclaration &input) {
    if (input.usage == D3DDECLUSAGE_COLOR)
        return {RegisterFile::AttrOut, input.usageIndex};
    return {RegisterFile::TexCrdOut, input.usageIndex};
}

// Where each vertex shader input comes from; every read the draw will make is checked
// against its buffer first.
HRESULT planFetches(const ShaderProgram &vs, const SoftwareVertexDeclaration &declaration,
                    const StreamSource *streams, UINT startVertex, UINT vertexCount,
                    std::vector<InputFetch> &fetches) {
    for (const InputDeclaration &input : vs.inputs) {
        InputFetch fetch{input.slot};
        for (const D3DVERTEXELEMENT9 &element : declaration.elements()) {
            if (element.Usage != input.usage || element.UsageIndex != input.usageIndex)
                continue;
            const StreamSource &stream = streams[element.Stream];
            if (!stream.buffer)
                return D3DERR_INVALIDCALL;
            const std::vector<uint8_t> &bytes = stream.buffer.get()->bytes();
            uint64_t first =
                uint64_t(stream.offset) + uint64_t(startVertex) * stream.stride + element.Offset;
            uint64_t end =
                first + uint64_t(vertexCount - 1) * stream.stride + declTypeSize(element.Type);
            if (end > bytes.size())
                return D3DERR_INVALIDCALL;
            fetch = {input.slot, bytes.data() + first, stream.stride, element.Type};
            break;
        }
        fetches.push_back(fetch);
    }
    return D3D_OK;
}

// Runs the vertex shader over the vertices, kLanes at a time; `varyingSources` names the
// output slot of each varying (-1: none, which reads 0).
std::vector<ClipVertex> shadeVertices(const ShaderProgram &vs, const float (*constants)[4],
                                      size_t constantCount, const std::vector<InputFetch> &fetches,
                                      UINT vertexCount, const std::vector<int> &varyingSources) {
    ShaderMachine machine(vs);
    machine.loadConstants(constants, constantCount);
    const int positionSlot = vs.slotOf({RegisterFile::RastOut, 0});
    auto output = [&](int slot, int component, int lane) {
        return slot >= 0 ? machine.slot(slot).c[component][lane] : 0.0f;
    };
    std::vector<ClipVertex> vertices(vertexCount);
    for (UINT base = 0; base < vertexCount; base += kLanes) {
        int lanes = int(std::min<UINT>(kLanes, vertexCount - base));
        for (const InputFetch &fetch : fetches) {
            RegisterLanes &reg = machine.slot(fetch.slot);
            for (int i = 0; i < lanes; ++i) {
                float value[4] = {0, 0, 0, 1};
                if (fetch.data)
                    decodeElement(fetch.data + size_t(base + i) * fetch.stride, fetch.type, value);
                for (int k = 0; k < 4; ++k)
                    reg.c[k][i] = value[k];
            }
        }
        machine.run(lanes, nullptr);
        for (int i = 0; i < lanes; ++i) {
            ClipVertex &vertex = vertices[base + i];
            for (int k = 0; k < 4; ++k) {
                vertex.position[k] = output(positionSlot, k, i);
                for (size_t v = 0; v < varyingSources.size(); ++v)
                    vertex.varyings[v][k] = output(varyingSources[v], k, i);
            }
        }
    }
    return vertices;
}

TextureSampler samplerOf(const Binding<SoftwareTexture> &texture, const DWORD *states) {
    TextureSampler sampler;
    if (texture)
        sampler.texture = &texture.get()->level(0).memory();
    sampler.addressU = states[D3DSAMP_ADDRESSU];
    sampler.addressV = states[D3DSAMP_ADDRESSV];
    sampler.linear = states[D3DSAMP_MAGFILTER] == D3DTEXF_LINEAR;
    D3DCOLOR border = states[D3DSAMP_BORDERCOLOR];
    sampler.border[0] = ((border >> 16) & 0xFF) / 255.0f;
    sampler.border[1] = ((border >> 8) & 0xFF) / 255.0f;
    sampler.border[2] = (border & 0xFF) / 255.0f;
    sampler.border[3] = (border >> 24) / 255.0f;
    return sampler;
}

void drawPrimitives(PixelStage &stage, D3DPRIMITIVETYPE type, UINT count,
                    const std::vector<ClipVertex> &vertices) {
    for (UINT p = 0; p < count; ++p) {
        switch (type) {
        case D3DPT_TRIANGLESTRIP:
            // Every other triangle of a strip is flipped so that all keep one winding.
            if (p % 2 == 0)
                drawTriangle(stage, vertices[p], vertices[p + 1], vertices[p + 2]);
            else
                drawTriangle(stage, vertices[p + 1], vertices[p], vertices[p + 2]);
            break;
        case D3DPT_TRIANGLEFAN:
            drawTriangle(stage, vertices[0], vertices[p + 1], vertices[p + 2]);
            break;
        default:
            drawTriangle(stage, vertices[3 * p], vertices[3 * p + 1], vertices[3 * p + 2]);
            break;
        }
    }
}

} // namespace

HRESULT SoftwareDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                      UINT PrimitiveCount) {
    // Fixed-function vertex and pixel processing are not emulated: a draw needs both
    // shaders.
    if (!_declaration || !_vertexShader || !_pixelShader || !_renderTarget)
        return D3DERR_INVALIDCALL;
    // The primitive limit Direct3D 9 hardware reports (MaxPrimitiveCount); it also bounds
    // the memory one draw takes for its shaded vertices.
    if (PrimitiveCount > kMaxPrimitiveCount)
        return D3DERR_INVALIDCALL;
    const UINT vertexCount = vertexCountOf(PrimitiveType, PrimitiveCount);
    if (vertexCount == 0)
        return D3DERR_INVALIDCALL;
    if (PrimitiveCount == 0)
        return D3D_OK;

    const ShaderProgram &vs = _vertexShader.get()->program();
    const ShaderProgram &ps = _pixelShader.get()->program();
    std::vector<InputFetch> fetches;
    HRESULT planned =
        planFetches(vs, *_declaration.get(), _streams, StartVertex, vertexCount, fetches);
    if (FAILED(planned))
        return planned;
    ++_drawCount;
    _lastDrawTarget = _renderTarget.get();

    // Pixel shader inputs become varyings of the vertex shader's outputs.
    PixelStage stage;
    std::vector<int> varyingSources;
    for (const InputDeclaration &input : ps.inputs) {
        if (varyingSources.size() == size_t(kMaxVaryings))
            break;
        stage.inputs.push_back({input.slot, int(varyingSources.size()), input.mask});
        varyingSources.push_back(vs.slotOf(vertexOutputFor(input)));
    }
    std::vector<ClipVertex> vertices = shadeVertices(vs, _vertexConstants, kVertexConstantCount,
                                                     fetches, vertexCount, varyingSources);

    TextureSampler samplers[kSamplerCount];
    for (DWORD s = 0; s < kSamplerCount; ++s)
        samplers[s] = samplerOf(_textures[s], _samplerStates[s]);
    ShaderMachine pixelMachine(ps);
    pixelMachine.loadConstants(_pixelConstants, kPixelConstantCount);
    // A depth-stencil surface smaller than the viewport would be written out of bounds;
    // Direct3D 9 leaves that undefined, here it is not used.
    SurfaceMemory *depth = _depthStencil ? &_depthStencil.get()->memory() : nullptr;
    if (depth && (depth->width() < _viewport.X + _viewport.Width ||
                  depth->height() < _viewport.Y + _viewport.Height))
        depth = nullptr;
    stage.machine = &pixelMachine;
    stage.samplers = samplers;
    stage.colorSlot = ps.slotOf({RegisterFile::ColorOut, 0});
    stage.depthSlot = ps.slotOf({RegisterFile::DepthOut, 0});
    stage.output = OutputState::fromRenderStates(_renderStates, depth);
    stage.target = &_renderTarget.get()->memory();
    stage.depthStencil = depth;
    stage.viewport = _viewport;
    stage.cullMode = _renderStates[D3DRS_CULLMODE];
    drawPrimitives(stage, PrimitiveType, PrimitiveCount, vertices);
    return D3D_OK;
}

} // namespace software::d3d
