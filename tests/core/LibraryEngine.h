// The audio engine the core tests give the library: a scripted one (no sound, no engine
// thread). The library keeps its engine for the life of the process, so there is one.
#pragma once

#include "quenvo.h"
#include "support/ScriptedXAudio2.h"

// Set once qnv_init has run in this process; the tests that need a fresh library look
// at it.
inline bool libraryInitialised = false;

// The engine, static because the library keeps a pointer to it after any test.
inline ScriptedXAudio2 &scriptedEngine() {
    static ScriptedXAudio2 engine;
    return engine;
}

// Runs qnv_init with the scripted engine installed, once per process. If an earlier
// qnv_init already gave the library an engine, that one stays in use.
inline void initialiseLibrary() {
    if (libraryInitialised)
        return;
    ScriptedXAudio2::Installation installed(scriptedEngine());
    qnv_init(nullptr);
    libraryInitialised = true;
}
