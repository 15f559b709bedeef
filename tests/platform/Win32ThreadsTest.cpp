// Win32 kernel objects of the software platform: the Win32 semantics the library's
// feeder and decode threads rely on.
#include <gtest/gtest.h>

#include <atomic>

#include "Platform.h"

namespace {

// Generous limit for "this must happen": long enough never to flake on a loaded machine.
constexpr DWORD kLongWait = 10000;

struct HandleGuard {
    explicit HandleGuard(HANDLE h) : handle(h) {}
    ~HandleGuard() {
        if (handle)
            CloseHandle(handle);
    }
    HANDLE handle;
};

// Runs `body` on a Win32 thread and returns its handle.
template <class Body> HANDLE runThread(Body *body) {
    return CreateThread(
        nullptr, 0, [](LPVOID p) -> DWORD { return (*static_cast<Body *>(p))(); }, body, 0,
        nullptr);
}

// Two threads wait on `event` for up to `waitMs` each, and the event is set once: how
// many of them woke.
int waitersWokenByOneSet(HANDLE event, DWORD waitMs) {
    std::atomic<int> woke{0};
    auto waiter = [&]() -> DWORD {
        if (WaitForSingleObject(event, waitMs) == WAIT_OBJECT_0)
            ++woke;
        return 0;
    };
    HandleGuard first(runThread(&waiter));
    HandleGuard second(runThread(&waiter));
    SetEvent(event);
    // Both threads end before `woke` and `waiter` go out of scope, whatever the checks say.
    EXPECT_EQ(WaitForSingleObject(first.handle, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second.handle, INFINITE), WAIT_OBJECT_0);
    return woke.load();
}

TEST(Win32Events, AutoResetSignalStaysUntilExactlyOneWaitConsumesIt) {
    HandleGuard event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    ASSERT_NE(event.handle, nullptr);
    EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_TIMEOUT);

    // Signalled with nobody waiting: the signal is kept, not lost.
    ASSERT_TRUE(SetEvent(event.handle));
    ASSERT_TRUE(SetEvent(event.handle)); // a second set does not count twice
    EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_TIMEOUT);

    // Two waiters, one signal: exactly one wakes.
    EXPECT_EQ(waitersWokenByOneSet(event.handle, 300), 1);
}

TEST(Win32Events, ManualResetReleasesEveryWaitUntilReset) {
    HandleGuard event(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    ASSERT_NE(event.handle, nullptr);
    EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_OBJECT_0);
    ASSERT_TRUE(ResetEvent(event.handle));
    EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_TIMEOUT);

    EXPECT_EQ(waitersWokenByOneSet(event.handle, kLongWait), 2);
}

TEST(Win32Events, AWaitBlocksUntilAnotherThreadSetsTheEvent) {
    HandleGuard event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    std::atomic<bool> setter_ran{false};
    auto setter = [&]() -> DWORD {
        Sleep(20);
        setter_ran = true;
        SetEvent(event.handle);
        return 0;
    };
    HandleGuard thread(runThread(&setter));
    EXPECT_EQ(WaitForSingleObject(event.handle, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(setter_ran.load());
    WaitForSingleObject(thread.handle, kLongWait);
}

TEST(Win32Mutexes, OwnerReentersAndMustReleaseEachAcquisition) {
    HandleGuard mutex(CreateMutexW(nullptr, TRUE, nullptr));
    ASSERT_NE(mutex.handle, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex.handle, 0), WAIT_OBJECT_0); // owner again: depth 2

    auto tryTake = [&]() -> DWORD {
        const DWORD result = WaitForSingleObject(mutex.handle, 0);
        if (result == WAIT_OBJECT_0)
            ReleaseMutex(mutex.handle);
        return result;
    };
    auto resultFromOtherThread = [&] {
        HandleGuard thread(runThread(&tryTake));
        WaitForSingleObject(thread.handle, kLongWait);
        DWORD code = 0;
        GetExitCodeThread(thread.handle, &code);
        return code;
    };

    EXPECT_EQ(resultFromOtherThread(), WAIT_TIMEOUT);
    ASSERT_TRUE(ReleaseMutex(mutex.handle));
    EXPECT_EQ(resultFromOtherThread(), WAIT_TIMEOUT); // still held once
    ASSERT_TRUE(ReleaseMutex(mutex.handle));
    EXPECT_EQ(resultFromOtherThread(), WAIT_OBJECT_0);
    EXPECT_FALSE(ReleaseMutex(mutex.handle)); // not owned any more
}

TEST(Win32Mutexes, OnlyTheOwnerMayReleaseAndAnEndedOwnerAbandonsIt) {
    HandleGuard mutex(CreateMutexW(nullptr, FALSE, nullptr));
    auto takeAndEnd = [&]() -> DWORD { return WaitForSingleObject(mutex.handle, kLongWait); };
    HandleGuard owner(runThread(&takeAndEnd));
    ASSERT_EQ(WaitForSingleObject(owner.handle, kLongWait), WAIT_OBJECT_0);
    DWORD ownerResult = 0;
    GetExitCodeThread(owner.handle, &ownerResult);
    EXPECT_EQ(ownerResult, WAIT_OBJECT_0);

    EXPECT_EQ(WaitForSingleObject(mutex.handle, kLongWait), WAIT_ABANDONED);
    EXPECT_TRUE(ReleaseMutex(mutex.handle));
    EXPECT_EQ(WaitForSingleObject(mutex.handle, 0), WAIT_OBJECT_0); // plain again
    EXPECT_TRUE(ReleaseMutex(mutex.handle));

    auto releaseForeign = [&]() -> DWORD { return ReleaseMutex(mutex.handle); };
    ASSERT_EQ(WaitForSingleObject(mutex.handle, 0), WAIT_OBJECT_0);
    HandleGuard stranger(runThread(&releaseForeign));
    WaitForSingleObject(stranger.handle, kLongWait);
    DWORD strangerResult = TRUE;
    GetExitCodeThread(stranger.handle, &strangerResult);
    EXPECT_EQ(strangerResult, static_cast<DWORD>(FALSE));
    EXPECT_TRUE(ReleaseMutex(mutex.handle));
}

TEST(Win32Threads, WaitOnAThreadReturnsWhenItEndsWithItsExitCode) {
    HandleGuard gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<DWORD> seenId{0};
    auto body = [&]() -> DWORD {
        seenId = GetCurrentThreadId();
        WaitForSingleObject(gate.handle, INFINITE);
        return 42;
    };
    DWORD id = 0;
    HandleGuard thread(CreateThread(
        nullptr, 0, [](LPVOID p) -> DWORD { return (*static_cast<decltype(body) *>(p))(); }, &body,
        0, &id));
    ASSERT_NE(thread.handle, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread.handle, 30), WAIT_TIMEOUT);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread.handle, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    SetEvent(gate.handle);
    EXPECT_EQ(WaitForSingleObject(thread.handle, kLongWait), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread.handle, 0), WAIT_OBJECT_0); // stays signalled
    ASSERT_TRUE(GetExitCodeThread(thread.handle, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(seenId.load(), id);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(GetCurrentThreadId(), GetCurrentThreadId());
}

TEST(Win32Threads, AThreadOutlivesItsClosedHandle) {
    HandleGuard gate(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    HandleGuard done(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    auto body = [&]() -> DWORD {
        WaitForSingleObject(gate.handle, INFINITE);
        SetEvent(done.handle);
        return 0;
    };
    HANDLE thread = runThread(&body);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
    SetEvent(gate.handle);
    EXPECT_EQ(WaitForSingleObject(done.handle, kLongWait), WAIT_OBJECT_0);
}

TEST(Win32Handles, ClosedAndMadeUpHandlesAreRefused) {
    const size_t before = softwareOpenHandleCount();
    HANDLE event = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    EXPECT_EQ(softwareOpenHandleCount(), before + 2);

    // A handle of another kind is refused by the calls for events and mutexes.
    EXPECT_FALSE(SetEvent(mutex));
    EXPECT_FALSE(ResetEvent(mutex));
    EXPECT_FALSE(ReleaseMutex(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0); // the event was not touched

    EXPECT_TRUE(CloseHandle(event));
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(event));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(mutex));
    EXPECT_EQ(softwareOpenHandleCount(), before);

    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0x7), 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(nullptr));
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeThread(mutex, &code));
}

TEST(Win32Handles, InjectedFailuresHitTheChosenCallOnly) {
    softwareFailKernelCall(SoftwareKernelCall::CreateEvent, 1);
    HandleGuard first(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    HandleGuard mutex(CreateMutexW(nullptr, FALSE, nullptr)); // other kinds are unaffected
    HandleGuard second(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    HandleGuard third(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    EXPECT_NE(first.handle, nullptr);
    EXPECT_NE(mutex.handle, nullptr);
    EXPECT_EQ(second.handle, nullptr);
    EXPECT_NE(third.handle, nullptr);

    std::atomic<int> ran{0};
    auto body = [&]() -> DWORD {
        ++ran;
        return 0;
    };
    softwareFailKernelCall(SoftwareKernelCall::CreateThread);
    const size_t before = softwareOpenHandleCount();
    EXPECT_EQ(runThread(&body), nullptr);
    EXPECT_EQ(softwareOpenHandleCount(), before);
    HandleGuard thread(runThread(&body));
    ASSERT_NE(thread.handle, nullptr);
    WaitForSingleObject(thread.handle, kLongWait);
    EXPECT_EQ(ran.load(), 1);

    softwareFailKernelCall(SoftwareKernelCall::CreateMutex);
    softwareClearKernelFaults();
    HandleGuard kept(CreateMutexW(nullptr, FALSE, nullptr));
    EXPECT_NE(kept.handle, nullptr);
}

TEST(Win32Threads, SuspendedOrMissingStartRoutinesAreRefused) {
    auto body = []() -> DWORD { return 0; };
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(CreateThread(
                  nullptr, 0,
                  [](LPVOID p) -> DWORD { return (*static_cast<decltype(body) *>(p))(); }, &body,
                  CREATE_SUSPENDED, nullptr),
              nullptr);
}

} // namespace
