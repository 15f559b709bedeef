// Win32 threads and synchronisation objects over POSIX threads: CreateThread, auto- and
// manual-reset events, re-entrant mutexes owned by a thread, WaitForSingleObject and
// CloseHandle, with the Win32 results.
//
// Handles are opaque numbers, never reused within a process, so a stale or made-up handle
// is refused (FALSE / WAIT_FAILED) instead of touching freed memory. A thread handle stays
// valid after the thread ends until it is closed; closing it does not stop the thread.
// Every function may be called from any thread.
#pragma once

#include "Win32Types.h"

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES *LPSECURITY_ATTRIBUTES;
typedef DWORD(WINAPI *LPTHREAD_START_ROUTINE)(LPVOID parameter);

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 0x00000103u
#define CREATE_SUSPENDED 0x00000004u

// Starts `start(parameter)` on a new thread and returns its handle, or null when the
// thread cannot be made. `stackSize` is advisory. CREATE_SUSPENDED is refused (null):
// there is no ResumeThread here. `threadId`, when not null, receives the new thread's id.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags, DWORD *threadId);

// An event; an auto-reset one (manualReset FALSE) stays signalled until exactly one wait
// consumes it. Named events are not shared between callers: the name is ignored.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                    LPCWSTR name);

// A mutex owned by one thread at a time and re-entrant for it: each successful wait by the
// owner needs its own ReleaseMutex. `initialOwner` makes the calling thread the owner.
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);

BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// FALSE when the calling thread does not own the mutex.
BOOL ReleaseMutex(HANDLE mutex);

// Waits for an event to be signalled, a mutex to be free (or already owned by the caller)
// or a thread to end. WAIT_OBJECT_0, WAIT_TIMEOUT after `milliseconds` (INFINITE: no limit),
// WAIT_ABANDONED when a mutex's owner thread ended without releasing it (the caller then
// owns it), WAIT_FAILED for a handle that is not open.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// FALSE for a handle that is not open.
BOOL CloseHandle(HANDLE handle);

// STILL_ACTIVE while the thread runs, then the start routine's result.
BOOL GetExitCodeThread(HANDLE thread, DWORD *exitCode);

void Sleep(DWORD milliseconds);

// A small number unique to the calling thread for the life of the process (never 0).
DWORD GetCurrentThreadId();

// --- Test control ------------------------------------------------------------------

// The kernel calls whose failure a test can provoke.
enum class SoftwareKernelCall { CreateThread, CreateEvent, CreateMutex };

// Makes a later call of `call` fail with a null handle: the one after `callsToSkip`
// successful calls of it. One pending failure per call kind; a new request replaces it.
void softwareFailKernelCall(SoftwareKernelCall call, unsigned callsToSkip = 0);

// Cancels every pending failure requested by softwareFailKernelCall.
void softwareClearKernelFaults();

// The number of handles open now (threads, events and mutexes), for leak checks.
size_t softwareOpenHandleCount();
