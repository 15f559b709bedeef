// COM apartments and object creation. Each case runs on a fresh thread so that the
// apartment of the test runner's own thread never leaks between cases.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Platform.h"

namespace {

template <class Body> void onFreshThread(Body body) {
    std::thread(body).join();
}

// The engine made as the library makes it: the XAudio2 class, in process, IID_IXAudio27.
HRESULT createEngine(IXAudio2 **engine) {
    return CoCreateInstance(CLSID_XAudio25, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio27,
                            reinterpret_cast<void **>(engine));
}

TEST(ComApartments, SameModelCountsAndTheOtherModelIsRefused) {
    onFreshThread([] {
        EXPECT_EQ(softwareComInitCount(), 0u);
        int reserved = 0;
        EXPECT_EQ(CoInitializeEx(&reserved, COINIT_APARTMENTTHREADED), E_INVALIDARG);
        EXPECT_EQ(softwareComInitCount(), 0u);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
        // The host thread is single-threaded: the library's multithreaded request fails
        // and does not count, so one CoUninitialize per success balances the thread.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        EXPECT_EQ(softwareComInitCount(), 2u);
        CoUninitialize();
        CoUninitialize();
        EXPECT_EQ(softwareComInitCount(), 0u);
        // Once fully uninitialised the thread may choose again.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
        CoUninitialize();
        CoUninitialize(); // one too many: harmless
        EXPECT_EQ(softwareComInitCount(), 0u);
    });
}

TEST(ComApartments, ApartmentsArePerThread) {
    onFreshThread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        onFreshThread([] { EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK); });
        CoUninitialize();
    });
}

TEST(ComCreation, XAudio2ClassYieldsTheEngineInterfaceOnly) {
    onFreshThread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        IXAudio2 *engine = nullptr;
        ASSERT_EQ(createEngine(&engine), S_OK);
        ASSERT_NE(engine, nullptr);
        EXPECT_EQ(engine->Release(), 0u);

        void *object = reinterpret_cast<void *>(0x1);
        const GUID otherInterface = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
        EXPECT_EQ(CoCreateInstance(CLSID_XAudio25, nullptr, CLSCTX_INPROC_SERVER, otherInterface,
                                   &object),
                  E_NOINTERFACE);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(
            CoCreateInstance(otherInterface, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio27, &object),
            REGDB_E_CLASSNOTREG);
        EXPECT_EQ(
            CoCreateInstance(CLSID_XAudio25, nullptr, CLSCTX_LOCAL_SERVER, IID_IXAudio27, &object),
            REGDB_E_CLASSNOTREG);
        auto *outer = reinterpret_cast<IUnknown *>(engine); // never called
        EXPECT_EQ(
            CoCreateInstance(CLSID_XAudio25, outer, CLSCTX_INPROC_SERVER, IID_IXAudio27, &object),
            CLASS_E_NOAGGREGATION);
        EXPECT_EQ(
            CoCreateInstance(CLSID_XAudio25, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio27, nullptr),
            E_POINTER);
        CoUninitialize();
    });
}

TEST(ComCreation, SingleThreadedHostThreadCanStillCreateTheEngine) {
    onFreshThread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
        IXAudio2 *engine = nullptr;
        ASSERT_EQ(createEngine(&engine), S_OK);
        engine->Release();
        CoUninitialize();
    });
}

TEST(ComCreation, NeedsCOMOnTheThreadOrAMultithreadedApartmentInTheProcess) {
    onFreshThread([] {
        void *object = nullptr;
        EXPECT_EQ(
            CoCreateInstance(CLSID_XAudio25, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio27, &object),
            CO_E_NOTINITIALIZED);
        EXPECT_EQ(object, nullptr);
    });

    // While another thread is in the multithreaded apartment, an uninitialised thread
    // belongs to it implicitly.
    std::atomic<bool> entered{false};
    std::atomic<bool> leave{false};
    std::thread member([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        entered = true;
        while (!leave.load())
            std::this_thread::yield();
        CoUninitialize();
    });
    while (!entered.load())
        std::this_thread::yield();
    onFreshThread([] {
        IXAudio2 *engine = nullptr;
        EXPECT_EQ(createEngine(&engine), S_OK);
        if (engine)
            engine->Release();
    });
    leave = true;
    member.join();
}

TEST(ComCreation, RegisteredFactoriesReplaceAndRestore) {
    onFreshThread([] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        const GUID testClass = {0xCAFEF00D, 0x1, 0x2, {9, 9, 9, 9, 9, 9, 9, 9}};
        int made = 0;
        softwareRegisterClass(testClass, [&made](REFIID, void **object) {
            ++made;
            *object = &made;
            return S_OK;
        });
        void *object = nullptr;
        EXPECT_EQ(CoCreateInstance(testClass, nullptr, CLSCTX_ALL, IID_IXAudio27, &object), S_OK);
        EXPECT_EQ(object, &made);
        EXPECT_EQ(made, 1);

        softwareRegisterClass(CLSID_XAudio25, nullptr);
        EXPECT_EQ(
            CoCreateInstance(CLSID_XAudio25, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio27, &object),
            REGDB_E_CLASSNOTREG);

        softwareResetClasses();
        EXPECT_EQ(CoCreateInstance(testClass, nullptr, CLSCTX_ALL, IID_IXAudio27, &object),
                  REGDB_E_CLASSNOTREG);
        IXAudio2 *engine = nullptr;
        ASSERT_EQ(createEngine(&engine), S_OK);
        engine->Release();
        CoUninitialize();
    });
}

} // namespace
