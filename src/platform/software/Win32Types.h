// The Win32 and COM base types of the software platform: the same names, sizes and
// values as the Windows SDK, for the subset the library and its hosts use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t INT;
typedef uint32_t UINT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int32_t BOOL;
typedef float FLOAT;
typedef int32_t INT32;
typedef uint32_t UINT32;
typedef int64_t INT64;
typedef uint64_t UINT64;
typedef uint64_t ULONGLONG;
typedef int64_t LONGLONG;
typedef uintptr_t UINT_PTR;
typedef size_t SIZE_T;
typedef int32_t HRESULT;
typedef void *HANDLE;
typedef void *HWND;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef char CHAR;
typedef const char *LPCSTR;
typedef char *LPSTR;
typedef wchar_t WCHAR;
typedef const wchar_t *LPCWSTR;
typedef wchar_t *LPWSTR;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define WINAPI
#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

#define MAKE_HRESULT_VALUE(v) ((HRESULT)(uint32_t)(v))
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL MAKE_HRESULT_VALUE(0x80004001u)
#define E_NOINTERFACE MAKE_HRESULT_VALUE(0x80004002u)
#define E_POINTER MAKE_HRESULT_VALUE(0x80004003u)
#define E_FAIL MAKE_HRESULT_VALUE(0x80004005u)
#define E_UNEXPECTED MAKE_HRESULT_VALUE(0x8000FFFFu)
#define E_ACCESSDENIED MAKE_HRESULT_VALUE(0x80070005u)
#define E_HANDLE MAKE_HRESULT_VALUE(0x80070006u)
#define E_OUTOFMEMORY MAKE_HRESULT_VALUE(0x8007000Eu)
#define E_INVALIDARG MAKE_HRESULT_VALUE(0x80070057u)
#define REGDB_E_CLASSNOTREG MAKE_HRESULT_VALUE(0x80040154u)
#define CLASS_E_NOAGGREGATION MAKE_HRESULT_VALUE(0x80040110u)
#define RPC_E_CHANGED_MODE MAKE_HRESULT_VALUE(0x80010106u)
#define CO_E_NOTINITIALIZED MAKE_HRESULT_VALUE(0x800401F0u)

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID &REFGUID;
typedef const IID &REFIID;
typedef const CLSID &REFCLSID;

inline bool operator==(const GUID &a, const GUID &b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}
inline bool operator!=(const GUID &a, const GUID &b) {
    return !(a == b);
}
inline bool IsEqualGUID(const GUID &a, const GUID &b) {
    return a == b;
}

// The root of every COM interface, with the Windows vtable order.
struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;
};
typedef IUnknown *LPUNKNOWN;
