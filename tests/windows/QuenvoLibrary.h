// Quenvo.dll as a game loads it: LoadLibrary, then GetProcAddress for each of the 18
// exported names. The host calls the library through these pointers only.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "quenvo.h"

struct QuenvoExports {
    decltype(&qnv_init) init = nullptr;
    decltype(&qnv_update) update = nullptr;
    decltype(&qnv_contrCreate) contrCreate = nullptr;
    decltype(&qnv_contrFree) contrFree = nullptr;
    decltype(&qnv_contrAddVorbis) contrAddVorbis = nullptr;
    decltype(&qnv_contrAddTheora) contrAddTheora = nullptr;
    decltype(&qnv_contrPlay) contrPlay = nullptr;
    decltype(&qnv_contrPause) contrPause = nullptr;
    decltype(&qnv_contrStop) contrStop = nullptr;
    decltype(&qnv_contrSetLength) contrSetLength = nullptr;
    decltype(&qnv_contrStatus) contrStatus = nullptr;
    decltype(&qnv_vorbisCreate) vorbisCreate = nullptr;
    decltype(&qnv_vorbisStatus) vorbisStatus = nullptr;
    decltype(&qnv_vorbisFree) vorbisFree = nullptr;
    decltype(&qnv_theoraCreate) theoraCreate = nullptr;
    decltype(&qnv_theoraInfo) theoraInfo = nullptr;
    decltype(&qnv_theoraStatus) theoraStatus = nullptr;
    decltype(&qnv_theoraFree) theoraFree = nullptr;
};

class QuenvoLibrary {
public:
    // Loads the DLL by its bare name, so Windows looks next to the host first.
    explicit QuenvoLibrary(const wchar_t *dllName = L"Quenvo.dll");
    ~QuenvoLibrary();
    QuenvoLibrary(const QuenvoLibrary &) = delete;
    QuenvoLibrary &operator=(const QuenvoLibrary &) = delete;

    bool loaded() const { return _module != nullptr; }
    // True when the DLL loaded and every one of the 18 names resolved.
    bool complete() const { return loaded() && _missing.empty(); }
    // The names GetProcAddress did not find.
    const std::vector<std::string> &missingNames() const { return _missing; }
    const QuenvoExports &api() const { return _api; }

private:
    template <typename Function> void resolve(Function &slot, const char *name);

    HMODULE _module = nullptr;
    QuenvoExports _api;
    std::vector<std::string> _missing;
};
