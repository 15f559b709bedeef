#include "QuenvoLibrary.h"

QuenvoLibrary::QuenvoLibrary(const wchar_t *dllName) : _module(LoadLibraryW(dllName)) {
    if (!_module)
        return;
    resolve(_api.init, "qnv_init");
    resolve(_api.update, "qnv_update");
    resolve(_api.contrCreate, "qnv_contrCreate");
    resolve(_api.contrFree, "qnv_contrFree");
    resolve(_api.contrAddVorbis, "qnv_contrAddVorbis");
    resolve(_api.contrAddTheora, "qnv_contrAddTheora");
    resolve(_api.contrPlay, "qnv_contrPlay");
    resolve(_api.contrPause, "qnv_contrPause");
    resolve(_api.contrStop, "qnv_contrStop");
    resolve(_api.contrSetLength, "qnv_contrSetLength");
    resolve(_api.contrStatus, "qnv_contrStatus");
    resolve(_api.vorbisCreate, "qnv_vorbisCreate");
    resolve(_api.vorbisStatus, "qnv_vorbisStatus");
    resolve(_api.vorbisFree, "qnv_vorbisFree");
    resolve(_api.theoraCreate, "qnv_theoraCreate");
    resolve(_api.theoraInfo, "qnv_theoraInfo");
    resolve(_api.theoraStatus, "qnv_theoraStatus");
    resolve(_api.theoraFree, "qnv_theoraFree");
}

// The library's engine and media threads live as long as the process (there is no
// shutdown export), so the DLL is deliberately left loaded.
QuenvoLibrary::~QuenvoLibrary() = default;

template <typename Function> void QuenvoLibrary::resolve(Function &slot, const char *name) {
    FARPROC address = GetProcAddress(_module, name);
    if (!address) {
        _missing.push_back(name);
        return;
    }
    slot = reinterpret_cast<Function>(reinterpret_cast<void *>(address));
}
