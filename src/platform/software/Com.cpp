#include "Com.h"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "XAudio2.h"

namespace {

// Threads now in the multithreaded apartment. While there is one, threads that never
// initialised COM may still create objects (the implicit MTA), as on Windows.
std::atomic<int> g_multithreadedThreads{0};

// The calling thread's apartment. A thread that ends still initialised leaves the MTA count.
struct Apartment {
    DWORD model = COINIT_MULTITHREADED;
    unsigned count = 0;

    ~Apartment() {
        if (count > 0 && model == COINIT_MULTITHREADED)
            g_multithreadedThreads.fetch_sub(1);
    }
};

thread_local Apartment t_apartment;

// Only the threading-model bit decides the apartment; the other COINIT flags do not.
DWORD apartmentModel(DWORD coInit) {
    return coInit & COINIT_APARTMENTTHREADED;
}

struct ClassRegistry {
    std::mutex lock;
    std::vector<std::pair<CLSID, SoftwareClassFactory>> classes;

    ClassRegistry() { registerStartupClasses(); }

    void registerStartupClasses() {
        classes.clear();
        classes.emplace_back(CLSID_XAudio25, softwareCreateFAudioEngine);
    }
};

ClassRegistry &registry() {
    static ClassRegistry instance;
    return instance;
}

SoftwareClassFactory findFactory(REFCLSID clsid) {
    ClassRegistry &classes = registry();
    std::lock_guard<std::mutex> guard(classes.lock);
    for (const auto &entry : classes.classes) {
        if (entry.first == clsid)
            return entry.second;
    }
    return nullptr;
}

} // namespace

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit) {
    if (reserved)
        return E_INVALIDARG;
    const DWORD model = apartmentModel(coInit);
    if (t_apartment.count > 0) {
        if (t_apartment.model != model)
            return RPC_E_CHANGED_MODE;
        ++t_apartment.count;
        return S_FALSE;
    }
    t_apartment.model = model;
    t_apartment.count = 1;
    if (model == COINIT_MULTITHREADED)
        g_multithreadedThreads.fetch_add(1);
    return S_OK;
}

void CoUninitialize() {
    if (t_apartment.count == 0)
        return;
    if (--t_apartment.count == 0 && t_apartment.model == COINIT_MULTITHREADED)
        g_multithreadedThreads.fetch_sub(1);
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsContext, REFIID iid,
                         LPVOID *object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (t_apartment.count == 0 && g_multithreadedThreads.load() == 0)
        return CO_E_NOTINITIALIZED;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    if ((clsContext & CLSCTX_INPROC_SERVER) == 0)
        return REGDB_E_CLASSNOTREG;
    SoftwareClassFactory factory = findFactory(clsid);
    if (!factory)
        return REGDB_E_CLASSNOTREG;
    return factory(iid, object);
}

void softwareRegisterClass(REFCLSID clsid, SoftwareClassFactory factory) {
    ClassRegistry &classes = registry();
    std::lock_guard<std::mutex> guard(classes.lock);
    for (auto entry = classes.classes.begin(); entry != classes.classes.end(); ++entry) {
        if (entry->first == clsid) {
            classes.classes.erase(entry);
            break;
        }
    }
    if (factory)
        classes.classes.emplace_back(clsid, std::move(factory));
}

void softwareResetClasses() {
    ClassRegistry &classes = registry();
    std::lock_guard<std::mutex> guard(classes.lock);
    classes.registerStartupClasses();
}

unsigned softwareComInitCount() {
    return t_apartment.count;
}
