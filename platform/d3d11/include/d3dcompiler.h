// The HLSL shader compiler: D3DCompileFromFile and D3DCompile, blobs, compile flags.
//
// Shaders compile to SPIR-V; the code blob holds the SPIR-V together with the reflection
// the device needs (the container of platform/d3d11/compiler/shader_container.h).
#pragma once

#include <d3dcommon.h>

// ---- Compile flags (first flags argument) --------------------------------------------------
#define D3DCOMPILE_DEBUG (1 << 0)
#define D3DCOMPILE_SKIP_VALIDATION (1 << 1)
#define D3DCOMPILE_SKIP_OPTIMIZATION (1 << 2)
#define D3DCOMPILE_PACK_MATRIX_ROW_MAJOR (1 << 3)
#define D3DCOMPILE_PACK_MATRIX_COLUMN_MAJOR (1 << 4)
#define D3DCOMPILE_PARTIAL_PRECISION (1 << 5)
#define D3DCOMPILE_FORCE_VS_SOFTWARE_NO_OPT (1 << 6)
#define D3DCOMPILE_FORCE_PS_SOFTWARE_NO_OPT (1 << 7)
#define D3DCOMPILE_NO_PRESHADER (1 << 8)
#define D3DCOMPILE_AVOID_FLOW_CONTROL (1 << 9)
#define D3DCOMPILE_PREFER_FLOW_CONTROL (1 << 10)
#define D3DCOMPILE_ENABLE_STRICTNESS (1 << 11)
#define D3DCOMPILE_ENABLE_BACKWARDS_COMPATIBILITY (1 << 12)
#define D3DCOMPILE_IEEE_STRICTNESS (1 << 13)
#define D3DCOMPILE_OPTIMIZATION_LEVEL0 (1 << 14)
#define D3DCOMPILE_OPTIMIZATION_LEVEL1 0
#define D3DCOMPILE_OPTIMIZATION_LEVEL2 ((1 << 14) | (1 << 15))
#define D3DCOMPILE_OPTIMIZATION_LEVEL3 (1 << 15)
#define D3DCOMPILE_RESERVED16 (1 << 16)
#define D3DCOMPILE_RESERVED17 (1 << 17)
#define D3DCOMPILE_WARNINGS_ARE_ERRORS (1 << 18)
#define D3DCOMPILE_RESOURCES_MAY_ALIAS (1 << 19)
#define D3DCOMPILE_ENABLE_UNBOUNDED_DESCRIPTOR_TABLES (1 << 20)
#define D3DCOMPILE_ALL_RESOURCES_BOUND (1 << 21)
#define D3DCOMPILE_DEBUG_NAME_FOR_SOURCE (1 << 22)
#define D3DCOMPILE_DEBUG_NAME_FOR_BINARY (1 << 23)

// ---- Effect flags (second flags argument) --------------------------------------------------
// Effects are not compiled here: any of these gives E_INVALIDARG.
#define D3DCOMPILE_EFFECT_CHILD_EFFECT (1 << 0)
#define D3DCOMPILE_EFFECT_ALLOW_SLOW_OPS (1 << 1)

// A blob of `size` bytes, zero-filled, with one reference.
HRESULT WINAPI D3DCreateBlob(SIZE_T size, ID3DBlob** blob);

// Compiles the entry point `entryPoint` of the HLSL source `sourceData` (`sourceSize`
// bytes; `sourceName` names it in messages and anchors standard-include lookups) for
// `target`: vs, hs, ds, gs, ps or cs, as _4_0, _4_1 or _5_0 (hs and ds: _5_0 only).
// On success *code receives the compiled shader. *errorMessages, where given, receives
// the compiler's messages as one zero-terminated string (errors on failure, warnings on
// success), or null when there are none.
//   E_INVALIDARG  a null argument, an unknown target or flag
//   E_FAIL        the source does not compile (messages say why)
HRESULT WINAPI D3DCompile(LPCVOID sourceData, SIZE_T sourceSize, LPCSTR sourceName, const D3D_SHADER_MACRO* defines,
                          ID3DInclude* include, LPCSTR entryPoint, LPCSTR target, UINT flags1, UINT flags2,
                          ID3DBlob** code, ID3DBlob** errorMessages);

// Reads `fileName` (a Windows path: '\' or '/' separates, relative paths start at the
// current directory) and compiles it as D3DCompile does, with the file's path as the
// source name. A missing file gives HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), a missing
// directory on its path HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND).
HRESULT WINAPI D3DCompileFromFile(LPCWSTR fileName, const D3D_SHADER_MACRO* defines, ID3DInclude* include,
                                  LPCSTR entryPoint, LPCSTR target, UINT flags1, UINT flags2, ID3DBlob** code,
                                  ID3DBlob** errorMessages);
