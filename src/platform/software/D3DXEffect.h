// ID3DXEffect over a parsed fx_2_0 file: parameters with their values, techniques whose
// passes set render states and shaders on the device, and the binding of parameters to
// shader registers through each shader's constant table.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "D3D9Object.h"
#include "D3D9Shader.h"
#include "D3DX9.h"
#include "FxFile.h"
#include "SoftwareDevice.h"

namespace software::d3d {

class SoftwareEffect final : public ComObject<ID3DXEffect> {
public:
    // Makes the effect and its shaders; on failure says why.
    static HRESULT create(IDirect3DDevice9 *device, FxFile file, ID3DXEffect **ppEffect,
                          std::string &error);

    D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE hParameter, LPCSTR pName) override;
    D3DXHANDLE STDMETHODCALLTYPE GetTechnique(UINT Index) override;
    D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(LPCSTR pName) override;
    HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE hParameter, FLOAT f) override;
    HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE hParameter, FLOAT *pf) override;
    HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE hParameter,
                                         IDirect3DBaseTexture9 *pTexture) override;
    HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE hParameter,
                                         IDirect3DBaseTexture9 **ppTexture) override;
    HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE hTechnique) override;
    D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() override;
    HRESULT STDMETHODCALLTYPE Begin(UINT *pPasses, DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE BeginPass(UINT Pass) override;
    HRESULT STDMETHODCALLTYPE CommitChanges() override;
    HRESULT STDMETHODCALLTYPE EndPass() override;
    HRESULT STDMETHODCALLTYPE End() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9 **ppDevice) override;

protected:
    void onUnreferenced() override;

private:
    struct PassShaders {
        SoftwareVertexShader *vertex = nullptr;
        SoftwarePixelShader *pixel = nullptr;
        bool complete = true; // every shader state of the pass has its bytecode
    };

    struct ParameterValue {
        std::vector<float> numbers;
        IDirect3DBaseTexture9 *texture = nullptr;
    };

    // The device state a technique's passes change, as it was at Begin.
    struct SavedState {
        std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> renderStates;
        IDirect3DVertexShader9 *vertexShader = nullptr;
        IDirect3DPixelShader9 *pixelShader = nullptr;
        struct Sampler {
            DWORD index;
            IDirect3DBaseTexture9 *texture;
            DWORD states[kSamplerStateCount];
        };
        std::vector<Sampler> samplers;
        struct Constants {
            bool vertex;
            UINT start;
            std::vector<float> values;
        };
        std::vector<Constants> constants;
    };

    SoftwareEffect(IDirect3DDevice9 *device, FxFile file);
    HRESULT createShaders(std::string &error);

    int findParameter(D3DXHANDLE handle) const;
    int findTechnique(D3DXHANDLE handle) const;
    void applyPass(const FxPass &pass, const PassShaders &shaders);
    void commit(const PassShaders &shaders);
    void uploadConstants(const ShaderProgram &program, bool vertex);
    void bindSamplers(const ShaderProgram &program);
    void saveState();
    void saveShaderInputs(const ShaderProgram &program);
    void restoreState();

    IDirect3DDevice9 *_device;
    FxFile _fx;
    std::vector<ParameterValue> _values;
    std::vector<std::vector<PassShaders>> _shaders; // per technique, per pass
    int _technique = -1;
    bool _begun = false;
    int _pass = -1;
    std::unique_ptr<SavedState> _saved;
};

} // namespace software::d3d
