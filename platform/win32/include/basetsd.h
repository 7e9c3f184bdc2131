// Base types of the Windows API, with the widths a 64-bit Windows program relies on.
// Wide characters are the platform's wchar_t, so L"" literals and the wide C
// runtime (swprintf, wcslen, %ls) work unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define APIENTRY
#define CALLBACK
#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT
#define __stdcall
#define __cdecl
#define DECLSPEC_NOVTABLE

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef NULL
#define NULL nullptr
#endif

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned char UINT8;
typedef uint16_t WORD;
typedef uint16_t USHORT;
typedef uint16_t UINT16;
typedef uint32_t DWORD;
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef int32_t INT;
typedef int32_t INT32;
typedef uint32_t UINT;
typedef uint32_t UINT32;
typedef int64_t INT64;
typedef int64_t LONGLONG;
typedef uint64_t UINT64;
typedef uint64_t ULONGLONG;
typedef uint64_t DWORD64;
typedef float FLOAT;
typedef char CHAR;
typedef wchar_t WCHAR;
typedef short SHORT;
typedef size_t SIZE_T;
typedef intptr_t SSIZE_T;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef ULONG_PTR DWORD_PTR;
typedef LONG HRESULT;
typedef int errno_t;

typedef void VOID;
typedef void* PVOID;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BOOL* LPBOOL;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef UINT* LPUINT;
typedef LONG* LPLONG;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef const CHAR* PCSTR;
typedef WCHAR* LPWSTR;
typedef WCHAR* PWSTR;
typedef const WCHAR* LPCWSTR;
typedef const WCHAR* PCWSTR;
typedef void* HANDLE;
typedef HANDLE* PHANDLE;

typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef WORD ATOM;

#define DECLARE_HANDLE(name) \
  struct name##__ {          \
    int unused;              \
  };                         \
  typedef struct name##__* name
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HINSTANCE);
DECLARE_HANDLE(HICON);
DECLARE_HANDLE(HBRUSH);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HMONITOR);
DECLARE_HANDLE(HDC);
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;

typedef struct _LARGE_INTEGER {
  LONGLONG QuadPart;
} LARGE_INTEGER;

typedef struct _LUID {
  DWORD LowPart;
  LONG HighPart;
} LUID;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *LPRECT;

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *LPPOINT;

#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define MAKELONG(a, b) ((LONG)(((WORD)(((DWORD_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((DWORD_PTR)(b)) & 0xffff))) << 16))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
