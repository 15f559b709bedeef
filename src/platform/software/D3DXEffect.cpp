#include "D3DXEffect.h"

#include <cstring>

#include "FxStateTable.h"

namespace software::d3d {
namespace {

constexpr UINT kRegisterSetFloat4 = 2;
constexpr UINT kRegisterSetSampler = 3;

// Render states whose value is a float's bits rather than a number.
bool isFloatRenderState(DWORD state) {
    switch (state) {
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case 154: // point size
    case 155: // point size min
    case 166: // point size max
    case 158: // point scale A
    case 159: // point scale B
    case 160: // point scale C
    case D3DRS_SLOPESCALEDEPTHBIAS:
    case D3DRS_DEPTHBIAS:
        return true;
    default:
        return false;
    }
}

// The DWORD a state sets, converted from the type the file gives it.
DWORD stateValue(const FxState &state, DWORD renderState) {
    DWORD word = state.value.empty() ? 0 : state.value[0];
    if (state.type.type != kFxFloat || isFloatRenderState(renderState))
        return word;
    float number;
    std::memcpy(&number, &word, 4);
    return DWORD(int64_t(number));
}

float toFloat(DWORD word, DWORD type) {
    if (type == kFxFloat) {
        float number;
        std::memcpy(&number, &word, 4);
        return number;
    }
    if (type == kFxBool)
        return word != 0 ? 1.0f : 0.0f;
    return float(int32_t(word));
}

template <class T> void releaseAndClear(T *&object) {
    if (object)
        object->Release();
    object = nullptr;
}

// Replaces `shader` with one made from the state's bytecode.
template <class Shader, class Interface>
bool makeShader(IDirect3DDevice9 *device, const FxState &state, Shader *&shader, std::string &why) {
    releaseAndClear(shader);
    Interface *made = nullptr;
    if (FAILED(Shader::create(device, state.shader.data(), state.shader.size(), &made, &why)))
        return false;
    shader = static_cast<Shader *>(made);
    return true;
}

} // namespace

HRESULT SoftwareEffect::create(IDirect3DDevice9 *device, FxFile file, ID3DXEffect **ppEffect,
                               std::string &error) {
    auto *effect = new SoftwareEffect(device, std::move(file));
    HRESULT result = effect->createShaders(error);
    if (FAILED(result)) {
        effect->Release();
        return result;
    }
    *ppEffect = effect;
    return D3D_OK;
}

SoftwareEffect::SoftwareEffect(IDirect3DDevice9 *device, FxFile file)
    : ComObject(device), _device(device), _fx(std::move(file)) {
    _values.resize(_fx.parameters.size());
    for (size_t i = 0; i < _fx.parameters.size(); ++i) {
        const FxParameter &parameter = _fx.parameters[i];
        if (!isNumeric(parameter.type))
            continue;
        for (DWORD word : parameter.value)
            _values[i].numbers.push_back(toFloat(word, parameter.type.type));
    }
    // Like D3DX, an effect starts with its first technique selected.
    _technique = _fx.techniques.empty() ? -1 : 0;
}

HRESULT SoftwareEffect::createShaders(std::string &error) {
    _shaders.resize(_fx.techniques.size());
    for (size_t t = 0; t < _fx.techniques.size(); ++t) {
        const FxTechnique &technique = _fx.techniques[t];
        _shaders[t].resize(technique.passes.size());
        for (size_t p = 0; p < technique.passes.size(); ++p) {
            PassShaders &shaders = _shaders[t][p];
            for (const FxState &state : technique.passes[p].states) {
                FxStateKind kind = fxStateTarget(state.operation).kind;
                if (kind != FxStateKind::VertexShader && kind != FxStateKind::PixelShader)
                    continue;
                // A shader given only as an object, without its bytecode as a resource of
                // the pass, cannot be set: the pass fails in BeginPass.
                if (state.shader.empty()) {
                    shaders.complete = false;
                    continue;
                }
                std::string why;
                bool made = kind == FxStateKind::VertexShader
                                ? makeShader<SoftwareVertexShader, IDirect3DVertexShader9>(
                                      _device, state, shaders.vertex, why)
                                : makeShader<SoftwarePixelShader, IDirect3DPixelShader9>(
                                      _device, state, shaders.pixel, why);
                if (!made) {
                    error = "technique \"" + technique.name + "\", pass " + std::to_string(p) +
                            ": " + why;
                    return D3DXERR_INVALIDDATA;
                }
            }
        }
    }
    return D3D_OK;
}

void SoftwareEffect::onUnreferenced() {
    // Everything that holds the device goes before the effect's own reference to it,
    // which is dropped after this.
    if (_saved)
        restoreState();
    for (ParameterValue &value : _values)
        releaseAndClear(value.texture);
    for (std::vector<PassShaders> &passes : _shaders) {
        for (PassShaders &shaders : passes) {
            releaseAndClear(shaders.vertex);
            releaseAndClear(shaders.pixel);
        }
    }
}

int SoftwareEffect::findParameter(D3DXHANDLE handle) const {
    if (!handle)
        return -1;
    for (size_t i = 0; i < _fx.parameters.size(); ++i) {
        if (_fx.parameters[i].type.name.c_str() == handle)
            return int(i);
    }
    for (size_t i = 0; i < _fx.parameters.size(); ++i) {
        if (_fx.parameters[i].type.name == handle)
            return int(i);
    }
    return -1;
}

int SoftwareEffect::findTechnique(D3DXHANDLE handle) const {
    if (!handle)
        return -1;
    for (size_t i = 0; i < _fx.techniques.size(); ++i) {
        if (_fx.techniques[i].name.c_str() == handle)
            return int(i);
    }
    for (size_t i = 0; i < _fx.techniques.size(); ++i) {
        if (_fx.techniques[i].name == handle)
            return int(i);
    }
    return -1;
}

D3DXHANDLE SoftwareEffect::GetParameterByName(D3DXHANDLE hParameter, LPCSTR pName) {
    if (hParameter) // parameters have no members here
        return nullptr;
    int index = findParameter(pName);
    return index < 0 ? nullptr : _fx.parameters[size_t(index)].type.name.c_str();
}

D3DXHANDLE SoftwareEffect::GetTechnique(UINT Index) {
    return Index < _fx.techniques.size() ? _fx.techniques[Index].name.c_str() : nullptr;
}

D3DXHANDLE SoftwareEffect::GetTechniqueByName(LPCSTR pName) {
    int index = findTechnique(pName);
    return index < 0 ? nullptr : _fx.techniques[size_t(index)].name.c_str();
}

HRESULT SoftwareEffect::SetFloat(D3DXHANDLE hParameter, FLOAT f) {
    int index = findParameter(hParameter);
    if (index < 0 || _values[size_t(index)].numbers.empty())
        return D3DERR_INVALIDCALL;
    _values[size_t(index)].numbers[0] = f;
    return D3D_OK;
}

HRESULT SoftwareEffect::GetFloat(D3DXHANDLE hParameter, FLOAT *pf) {
    int index = findParameter(hParameter);
    if (!pf || index < 0 || _values[size_t(index)].numbers.empty())
        return D3DERR_INVALIDCALL;
    *pf = _values[size_t(index)].numbers[0];
    return D3D_OK;
}

HRESULT SoftwareEffect::SetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9 *pTexture) {
    int index = findParameter(hParameter);
    if (index < 0 || !isTexture(_fx.parameters[size_t(index)].type))
        return D3DERR_INVALIDCALL;
    IDirect3DBaseTexture9 *&slot = _values[size_t(index)].texture;
    if (pTexture)
        pTexture->AddRef();
    releaseAndClear(slot);
    slot = pTexture;
    return D3D_OK;
}

HRESULT SoftwareEffect::GetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9 **ppTexture) {
    int index = findParameter(hParameter);
    if (!ppTexture || index < 0 || !isTexture(_fx.parameters[size_t(index)].type))
        return D3DERR_INVALIDCALL;
    *ppTexture = _values[size_t(index)].texture;
    if (*ppTexture)
        (*ppTexture)->AddRef();
    return D3D_OK;
}

HRESULT SoftwareEffect::SetTechnique(D3DXHANDLE hTechnique) {
    int index = findTechnique(hTechnique);
    if (index < 0 || _begun)
        return D3DERR_INVALIDCALL;
    _technique = index;
    return D3D_OK;
}

D3DXHANDLE SoftwareEffect::GetCurrentTechnique() {
    return _technique < 0 ? nullptr : _fx.techniques[size_t(_technique)].name.c_str();
}

HRESULT SoftwareEffect::Begin(UINT *pPasses, DWORD Flags) {
    HRESULT injected;
    if (injectedFailure(SoftwareD3D9Call::EffectBegin, &injected))
        return injected;
    if (_technique < 0 || _begun)
        return D3DERR_INVALIDCALL;
    if ((Flags & D3DXFX_DONOTSAVESTATE) == 0)
        saveState();
    _begun = true;
    if (pPasses)
        *pPasses = UINT(_fx.techniques[size_t(_technique)].passes.size());
    return D3D_OK;
}

HRESULT SoftwareEffect::BeginPass(UINT Pass) {
    if (!_begun || _pass >= 0)
        return D3DERR_INVALIDCALL;
    const FxTechnique &technique = _fx.techniques[size_t(_technique)];
    if (Pass >= technique.passes.size())
        return D3DERR_INVALIDCALL;
    const PassShaders &shaders = _shaders[size_t(_technique)][Pass];
    if (!shaders.complete)
        return D3DERR_INVALIDCALL;
    applyPass(technique.passes[Pass], shaders);
    _pass = int(Pass);
    return D3D_OK;
}

HRESULT SoftwareEffect::CommitChanges() {
    if (_pass < 0)
        return D3DERR_INVALIDCALL;
    commit(_shaders[size_t(_technique)][size_t(_pass)]);
    return D3D_OK;
}

HRESULT SoftwareEffect::EndPass() {
    if (_pass < 0)
        return D3DERR_INVALIDCALL;
    _pass = -1;
    return D3D_OK;
}

HRESULT SoftwareEffect::End() {
    if (!_begun)
        return D3D_OK;
    _pass = -1;
    _begun = false;
    if (_saved)
        restoreState();
    return D3D_OK;
}

HRESULT SoftwareEffect::GetDevice(IDirect3DDevice9 **ppDevice) {
    return handOutDevice(_device, ppDevice);
}

void SoftwareEffect::applyPass(const FxPass &pass, const PassShaders &shaders) {
    for (const FxState &state : pass.states) {
        FxStateTarget target = fxStateTarget(state.operation);
        if (target.kind == FxStateKind::RenderState)
            _device->SetRenderState(D3DRENDERSTATETYPE(target.number),
                                    stateValue(state, target.number));
    }
    if (shaders.vertex)
        _device->SetVertexShader(shaders.vertex);
    if (shaders.pixel)
        _device->SetPixelShader(shaders.pixel);
    commit(shaders);
}

void SoftwareEffect::commit(const PassShaders &shaders) {
    if (shaders.vertex)
        uploadConstants(shaders.vertex->program(), true);
    if (shaders.pixel) {
        uploadConstants(shaders.pixel->program(), false);
        bindSamplers(shaders.pixel->program());
    }
}

void SoftwareEffect::uploadConstants(const ShaderProgram &program, bool vertex) {
    for (const ConstantTableEntry &entry : program.constantTable) {
        if (entry.registerSet != kRegisterSetFloat4 || entry.registerCount == 0)
            continue;
        int index = findParameter(entry.name.c_str());
        if (index < 0 || _values[size_t(index)].numbers.empty())
            continue;
        const FxValueType &type = _fx.parameters[size_t(index)].type;
        const std::vector<float> &numbers = _values[size_t(index)].numbers;
        // One register per row (per column for column-major matrices), zero-filled.
        bool byColumns = type.cls == kFxMatrixColumns;
        DWORD lines = byColumns ? type.columns : type.rows;
        DWORD width = byColumns ? type.rows : type.columns;
        std::vector<float> registers(size_t(entry.registerCount) * 4, 0.0f);
        for (DWORD line = 0; line < lines && line < entry.registerCount; ++line) {
            for (DWORD k = 0; k < width; ++k) {
                size_t source =
                    byColumns ? size_t(k) * type.columns + line : size_t(line) * type.columns + k;
                if (source < numbers.size())
                    registers[size_t(line) * 4 + k] = numbers[source];
            }
        }
        if (vertex)
            _device->SetVertexShaderConstantF(entry.registerIndex, registers.data(),
                                              entry.registerCount);
        else
            _device->SetPixelShaderConstantF(entry.registerIndex, registers.data(),
                                             entry.registerCount);
    }
}

void SoftwareEffect::bindSamplers(const ShaderProgram &program) {
    for (const ConstantTableEntry &entry : program.constantTable) {
        if (entry.registerSet != kRegisterSetSampler)
            continue;
        int index = findParameter(entry.name.c_str());
        if (index < 0 || !isSampler(_fx.parameters[size_t(index)].type))
            continue;
        for (const FxState &state : _fx.parameters[size_t(index)].samplerStates) {
            FxStateTarget target = fxStateTarget(state.operation);
            if (target.kind == FxStateKind::Texture) {
                int texture = findParameter(state.parameterName.c_str());
                _device->SetTexture(entry.registerIndex,
                                    texture < 0 ? nullptr : _values[size_t(texture)].texture);
            } else if (target.kind == FxStateKind::SamplerState) {
                _device->SetSamplerState(entry.registerIndex, D3DSAMPLERSTATETYPE(target.number),
                                         stateValue(state, 0));
            }
        }
    }
}

void SoftwareEffect::saveState() {
    _saved = std::make_unique<SavedState>();
    _device->GetVertexShader(&_saved->vertexShader);
    _device->GetPixelShader(&_saved->pixelShader);
    const FxTechnique &technique = _fx.techniques[size_t(_technique)];
    for (size_t p = 0; p < technique.passes.size(); ++p) {
        for (const FxState &state : technique.passes[p].states) {
            FxStateTarget target = fxStateTarget(state.operation);
            if (target.kind != FxStateKind::RenderState)
                continue;
            DWORD value = 0;
            _device->GetRenderState(D3DRENDERSTATETYPE(target.number), &value);
            _saved->renderStates.emplace_back(D3DRENDERSTATETYPE(target.number), value);
        }
        const PassShaders &shaders = _shaders[size_t(_technique)][p];
        if (shaders.vertex)
            saveShaderInputs(shaders.vertex->program());
        if (shaders.pixel)
            saveShaderInputs(shaders.pixel->program());
    }
}

void SoftwareEffect::saveShaderInputs(const ShaderProgram &program) {
    const bool vertex = program.kind == ShaderKind::Vertex;
    for (const ConstantTableEntry &entry : program.constantTable) {
        if (entry.registerSet == kRegisterSetFloat4) {
            SavedState::Constants constants{vertex, entry.registerIndex,
                                            std::vector<float>(entry.registerCount * 4u)};
            float *values = constants.values.data();
            HRESULT got = vertex ? _device->GetVertexShaderConstantF(entry.registerIndex, values,
                                                                     entry.registerCount)
                                 : _device->GetPixelShaderConstantF(entry.registerIndex, values,
                                                                    entry.registerCount);
            if (SUCCEEDED(got))
                _saved->constants.push_back(std::move(constants));
        } else if (entry.registerSet == kRegisterSetSampler) {
            SavedState::Sampler sampler{entry.registerIndex, nullptr, {}};
            if (FAILED(_device->GetTexture(entry.registerIndex, &sampler.texture)))
                continue;
            for (DWORD state = 1; state < kSamplerStateCount; ++state)
                _device->GetSamplerState(entry.registerIndex, D3DSAMPLERSTATETYPE(state),
                                         &sampler.states[state]);
            _saved->samplers.push_back(sampler);
        }
    }
}

void SoftwareEffect::restoreState() {
    std::unique_ptr<SavedState> saved = std::move(_saved);
    // Restored in reverse, so that a state saved twice ends with its first value.
    for (auto it = saved->renderStates.rbegin(); it != saved->renderStates.rend(); ++it)
        _device->SetRenderState(it->first, it->second);
    for (auto it = saved->constants.rbegin(); it != saved->constants.rend(); ++it) {
        UINT count = UINT(it->values.size() / 4);
        if (it->vertex)
            _device->SetVertexShaderConstantF(it->start, it->values.data(), count);
        else
            _device->SetPixelShaderConstantF(it->start, it->values.data(), count);
    }
    for (auto it = saved->samplers.rbegin(); it != saved->samplers.rend(); ++it) {
        _device->SetTexture(it->index, it->texture);
        for (DWORD state = 1; state < kSamplerStateCount; ++state)
            _device->SetSamplerState(it->index, D3DSAMPLERSTATETYPE(state), it->states[state]);
        releaseAndClear(it->texture);
    }
    _device->SetVertexShader(saved->vertexShader);
    _device->SetPixelShader(saved->pixelShader);
    releaseAndClear(saved->vertexShader);
    releaseAndClear(saved->pixelShader);
}

} // namespace software::d3d
