// COM: per-thread apartment bookkeeping and in-process object creation by class id.
//
// CoInitializeEx counts per thread, as on Windows: S_OK the first time, S_FALSE again in
// the same model, RPC_E_CHANGED_MODE in the other model (the thread keeps its model),
// E_INVALIDARG for a reserved pointer that is not null. Each successful call (S_OK or
// S_FALSE) is matched by one CoUninitialize.
// CoCreateInstance needs the calling thread to be initialised, or some thread of the
// process to be in the multithreaded apartment (the implicit MTA), else
// CO_E_NOTINITIALIZED. The XAudio2 class (CLSID_XAudio25 in XAudio2.h) is registered from
// the start and yields the FAudio-backed engine; tests may register another factory.
#pragma once

#include <functional>

#include "Win32Types.h"

#define COINIT_MULTITHREADED 0x0u
#define COINIT_APARTMENTTHREADED 0x2u

#define CLSCTX_INPROC_SERVER 0x1u
#define CLSCTX_INPROC_HANDLER 0x2u
#define CLSCTX_LOCAL_SERVER 0x4u
#define CLSCTX_ALL 0x17u

// The interface every COM object answers to.
inline constexpr GUID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
void CoUninitialize();

// Creates an object of class `clsid` and returns its `iid` interface in `*object`
// (null on failure). REGDB_E_CLASSNOTREG for an unknown class or a context without
// CLSCTX_INPROC_SERVER, CLASS_E_NOAGGREGATION with an outer object, E_NOINTERFACE when the
// class lacks the interface, E_POINTER for a null `object`.
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsContext, REFIID iid,
                         LPVOID *object);

// --- Class registration (tests) -------------------------------------------------------

// Makes a new object of one class and returns its `iid` interface in `*object`, or an
// error result (E_NOINTERFACE for an interface the class does not have). May be called
// from any thread.
using SoftwareClassFactory = std::function<HRESULT(REFIID iid, void **object)>;

// Registers `factory` for `clsid`, replacing what was there; an empty factory removes
// the class so CoCreateInstance reports REGDB_E_CLASSNOTREG.
void softwareRegisterClass(REFCLSID clsid, SoftwareClassFactory factory);

// Restores the classes registered at start-up (the FAudio XAudio2 engine) and nothing else.
void softwareResetClasses();

// The calling thread's COM initialisation count (0 when not initialised), for tests.
unsigned softwareComInitCount();
