// Direct3D 11: the device, its contexts, resources, views, shaders, state objects,
// command lists and the debug interface.
#pragma once

#include <d3dcommon.h>
#include <dxgi.h>

#define D3D11_SDK_VERSION 7

// Limits and defaults.
#define D3D11_APPEND_ALIGNED_ELEMENT 0xffffffff
#define D3D11_FLOAT32_MAX 3.402823466e+38f
#define D3D11_MIN_DEPTH 0.0f
#define D3D11_MAX_DEPTH 1.0f
#define D3D11_DEFAULT_STENCIL_READ_MASK 0xff
#define D3D11_DEFAULT_STENCIL_WRITE_MASK 0xff
#define D3D11_DEFAULT_STENCIL_REFERENCE 0
#define D3D11_DEFAULT_DEPTH_BIAS 0
#define D3D11_DEFAULT_DEPTH_BIAS_CLAMP 0.0f
#define D3D11_DEFAULT_SLOPE_SCALED_DEPTH_BIAS 0.0f
#define D3D11_DEFAULT_MAX_ANISOTROPY 16
#define D3D11_DEFAULT_MIP_LOD_BIAS 0.0f
#define D3D11_DEFAULT_SAMPLE_MASK 0xffffffff
#define D3D11_DEFAULT_BLEND_FACTOR_RED 1.0f
#define D3D11_DEFAULT_BLEND_FACTOR_GREEN 1.0f
#define D3D11_DEFAULT_BLEND_FACTOR_BLUE 1.0f
#define D3D11_DEFAULT_BLEND_FACTOR_ALPHA 1.0f
#define D3D11_MAX_MAXANISOTROPY 16
#define D3D11_MIN_MAXANISOTROPY 0
#define D3D11_REQ_MAXANISOTROPY 16
#define D3D11_REQ_MIP_LEVELS 15
#define D3D11_REQ_TEXTURE1D_U_DIMENSION 16384
#define D3D11_REQ_TEXTURE1D_ARRAY_AXIS_DIMENSION 2048
#define D3D11_REQ_TEXTURE2D_U_OR_V_DIMENSION 16384
#define D3D11_REQ_TEXTURE2D_ARRAY_AXIS_DIMENSION 2048
#define D3D11_REQ_TEXTURE3D_U_V_OR_W_DIMENSION 2048
#define D3D11_REQ_TEXTURECUBE_DIMENSION 16384
#define D3D11_REQ_CONSTANT_BUFFER_ELEMENT_COUNT 4096
#define D3D11_REQ_BUFFER_RESOURCE_TEXEL_COUNT_2_TO_EXP 27
#define D3D11_REQ_RESOURCE_SIZE_IN_MEGABYTES_EXPRESSION_A_TERM 128
#define D3D11_REQ_RENDER_TO_BUFFER_WINDOW_WIDTH 16384
#define D3D11_COMMONSHADER_CONSTANT_BUFFER_API_SLOT_COUNT 14
#define D3D11_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT 128
#define D3D11_COMMONSHADER_SAMPLER_SLOT_COUNT 16
#define D3D11_IA_VERTEX_INPUT_RESOURCE_SLOT_COUNT 32
#define D3D11_IA_VERTEX_INPUT_STRUCTURE_ELEMENT_COUNT 32
#define D3D11_SIMULTANEOUS_RENDER_TARGET_COUNT 8
#define D3D11_VIEWPORT_AND_SCISSORRECT_OBJECT_COUNT_PER_PIPELINE 16
#define D3D11_VIEWPORT_BOUNDS_MAX 32767
#define D3D11_VIEWPORT_BOUNDS_MIN (-32768)
#define D3D11_MAX_MULTISAMPLE_SAMPLE_COUNT 32
#define D3D11_KEEP_RENDER_TARGETS_AND_DEPTH_STENCIL 0xffffffff
#define D3D11_KEEP_UNORDERED_ACCESS_VIEWS 0xffffffff
#define D3D11_1_UAV_SLOT_COUNT 64
#define D3D11_PS_CS_UAV_REGISTER_COUNT 8

typedef RECT D3D11_RECT;
typedef D3D_PRIMITIVE_TOPOLOGY D3D11_PRIMITIVE_TOPOLOGY;
#define D3D11_PRIMITIVE_TOPOLOGY_UNDEFINED D3D_PRIMITIVE_TOPOLOGY_UNDEFINED
#define D3D11_PRIMITIVE_TOPOLOGY_POINTLIST D3D_PRIMITIVE_TOPOLOGY_POINTLIST
#define D3D11_PRIMITIVE_TOPOLOGY_LINELIST D3D_PRIMITIVE_TOPOLOGY_LINELIST
#define D3D11_PRIMITIVE_TOPOLOGY_LINESTRIP D3D_PRIMITIVE_TOPOLOGY_LINESTRIP
#define D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST
#define D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP
#define D3D11_PRIMITIVE_TOPOLOGY_LINELIST_ADJ D3D_PRIMITIVE_TOPOLOGY_LINELIST_ADJ
#define D3D11_PRIMITIVE_TOPOLOGY_LINESTRIP_ADJ D3D_PRIMITIVE_TOPOLOGY_LINESTRIP_ADJ
#define D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST_ADJ D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST_ADJ
#define D3D11_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP_ADJ D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP_ADJ

typedef D3D_SRV_DIMENSION D3D11_SRV_DIMENSION;
#define D3D11_SRV_DIMENSION_UNKNOWN D3D_SRV_DIMENSION_UNKNOWN
#define D3D11_SRV_DIMENSION_BUFFER D3D_SRV_DIMENSION_BUFFER
#define D3D11_SRV_DIMENSION_TEXTURE1D D3D_SRV_DIMENSION_TEXTURE1D
#define D3D11_SRV_DIMENSION_TEXTURE1DARRAY D3D_SRV_DIMENSION_TEXTURE1DARRAY
#define D3D11_SRV_DIMENSION_TEXTURE2D D3D_SRV_DIMENSION_TEXTURE2D
#define D3D11_SRV_DIMENSION_TEXTURE2DARRAY D3D_SRV_DIMENSION_TEXTURE2DARRAY
#define D3D11_SRV_DIMENSION_TEXTURE2DMS D3D_SRV_DIMENSION_TEXTURE2DMS
#define D3D11_SRV_DIMENSION_TEXTURE2DMSARRAY D3D_SRV_DIMENSION_TEXTURE2DMSARRAY
#define D3D11_SRV_DIMENSION_TEXTURE3D D3D_SRV_DIMENSION_TEXTURE3D
#define D3D11_SRV_DIMENSION_TEXTURECUBE D3D_SRV_DIMENSION_TEXTURECUBE
#define D3D11_SRV_DIMENSION_TEXTURECUBEARRAY D3D_SRV_DIMENSION_TEXTURECUBEARRAY
#define D3D11_SRV_DIMENSION_BUFFEREX D3D_SRV_DIMENSION_BUFFEREX

typedef enum D3D11_CREATE_DEVICE_FLAG {
  D3D11_CREATE_DEVICE_SINGLETHREADED = 0x1,
  D3D11_CREATE_DEVICE_DEBUG = 0x2,
  D3D11_CREATE_DEVICE_SWITCH_TO_REF = 0x4,
  D3D11_CREATE_DEVICE_PREVENT_INTERNAL_THREADING_OPTIMIZATIONS = 0x8,
  D3D11_CREATE_DEVICE_BGRA_SUPPORT = 0x20,
  D3D11_CREATE_DEVICE_DEBUGGABLE = 0x40,
  D3D11_CREATE_DEVICE_PREVENT_ALTERING_LAYER_SETTINGS_FROM_REGISTRY = 0x80,
  D3D11_CREATE_DEVICE_DISABLE_GPU_TIMEOUT = 0x100,
  D3D11_CREATE_DEVICE_VIDEO_SUPPORT = 0x800
} D3D11_CREATE_DEVICE_FLAG;

typedef enum D3D11_USAGE {
  D3D11_USAGE_DEFAULT = 0,
  D3D11_USAGE_IMMUTABLE = 1,
  D3D11_USAGE_DYNAMIC = 2,
  D3D11_USAGE_STAGING = 3
} D3D11_USAGE;

typedef enum D3D11_BIND_FLAG {
  D3D11_BIND_VERTEX_BUFFER = 0x1L,
  D3D11_BIND_INDEX_BUFFER = 0x2L,
  D3D11_BIND_CONSTANT_BUFFER = 0x4L,
  D3D11_BIND_SHADER_RESOURCE = 0x8L,
  D3D11_BIND_STREAM_OUTPUT = 0x10L,
  D3D11_BIND_RENDER_TARGET = 0x20L,
  D3D11_BIND_DEPTH_STENCIL = 0x40L,
  D3D11_BIND_UNORDERED_ACCESS = 0x80L,
  D3D11_BIND_DECODER = 0x200L,
  D3D11_BIND_VIDEO_ENCODER = 0x400L
} D3D11_BIND_FLAG;

typedef enum D3D11_CPU_ACCESS_FLAG {
  D3D11_CPU_ACCESS_WRITE = 0x10000L,
  D3D11_CPU_ACCESS_READ = 0x20000L
} D3D11_CPU_ACCESS_FLAG;

typedef enum D3D11_RESOURCE_MISC_FLAG {
  D3D11_RESOURCE_MISC_GENERATE_MIPS = 0x1L,
  D3D11_RESOURCE_MISC_SHARED = 0x2L,
  D3D11_RESOURCE_MISC_TEXTURECUBE = 0x4L,
  D3D11_RESOURCE_MISC_DRAWINDIRECT_ARGS = 0x10L,
  D3D11_RESOURCE_MISC_BUFFER_ALLOW_RAW_VIEWS = 0x20L,
  D3D11_RESOURCE_MISC_BUFFER_STRUCTURED = 0x40L,
  D3D11_RESOURCE_MISC_RESOURCE_CLAMP = 0x80L,
  D3D11_RESOURCE_MISC_SHARED_KEYEDMUTEX = 0x100L,
  D3D11_RESOURCE_MISC_GDI_COMPATIBLE = 0x200L
} D3D11_RESOURCE_MISC_FLAG;

typedef enum D3D11_RESOURCE_DIMENSION {
  D3D11_RESOURCE_DIMENSION_UNKNOWN = 0,
  D3D11_RESOURCE_DIMENSION_BUFFER = 1,
  D3D11_RESOURCE_DIMENSION_TEXTURE1D = 2,
  D3D11_RESOURCE_DIMENSION_TEXTURE2D = 3,
  D3D11_RESOURCE_DIMENSION_TEXTURE3D = 4
} D3D11_RESOURCE_DIMENSION;

typedef enum D3D11_MAP {
  D3D11_MAP_READ = 1,
  D3D11_MAP_WRITE = 2,
  D3D11_MAP_READ_WRITE = 3,
  D3D11_MAP_WRITE_DISCARD = 4,
  D3D11_MAP_WRITE_NO_OVERWRITE = 5
} D3D11_MAP;

typedef enum D3D11_MAP_FLAG { D3D11_MAP_FLAG_DO_NOT_WAIT = 0x100000L } D3D11_MAP_FLAG;

typedef enum D3D11_CLEAR_FLAG { D3D11_CLEAR_DEPTH = 0x1L, D3D11_CLEAR_STENCIL = 0x2L } D3D11_CLEAR_FLAG;

typedef enum D3D11_DEVICE_CONTEXT_TYPE {
  D3D11_DEVICE_CONTEXT_IMMEDIATE = 0,
  D3D11_DEVICE_CONTEXT_DEFERRED = 1
} D3D11_DEVICE_CONTEXT_TYPE;

typedef enum D3D11_RLDO_FLAGS {
  D3D11_RLDO_SUMMARY = 0x1,
  D3D11_RLDO_DETAIL = 0x2,
  D3D11_RLDO_IGNORE_INTERNAL = 0x4
} D3D11_RLDO_FLAGS;

// Resources.
typedef struct D3D11_BUFFER_DESC {
  UINT ByteWidth;
  D3D11_USAGE Usage;
  UINT BindFlags;
  UINT CPUAccessFlags;
  UINT MiscFlags;
  UINT StructureByteStride;
} D3D11_BUFFER_DESC;

typedef struct D3D11_TEXTURE1D_DESC {
  UINT Width;
  UINT MipLevels;
  UINT ArraySize;
  DXGI_FORMAT Format;
  D3D11_USAGE Usage;
  UINT BindFlags;
  UINT CPUAccessFlags;
  UINT MiscFlags;
} D3D11_TEXTURE1D_DESC;

typedef struct D3D11_TEXTURE2D_DESC {
  UINT Width;
  UINT Height;
  UINT MipLevels;
  UINT ArraySize;
  DXGI_FORMAT Format;
  DXGI_SAMPLE_DESC SampleDesc;
  D3D11_USAGE Usage;
  UINT BindFlags;
  UINT CPUAccessFlags;
  UINT MiscFlags;
} D3D11_TEXTURE2D_DESC;

typedef struct D3D11_TEXTURE3D_DESC {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  DXGI_FORMAT Format;
  D3D11_USAGE Usage;
  UINT BindFlags;
  UINT CPUAccessFlags;
  UINT MiscFlags;
} D3D11_TEXTURE3D_DESC;

typedef struct D3D11_SUBRESOURCE_DATA {
  const void* pSysMem;
  UINT SysMemPitch;
  UINT SysMemSlicePitch;
} D3D11_SUBRESOURCE_DATA;

typedef struct D3D11_MAPPED_SUBRESOURCE {
  void* pData;
  UINT RowPitch;
  UINT DepthPitch;
} D3D11_MAPPED_SUBRESOURCE;

typedef struct D3D11_BOX {
  UINT left;
  UINT top;
  UINT front;
  UINT right;
  UINT bottom;
  UINT back;
} D3D11_BOX;

inline UINT D3D11CalcSubresource(UINT mipSlice, UINT arraySlice, UINT mipLevels) {
  return mipSlice + arraySlice * mipLevels;
}

// Views.
typedef struct D3D11_BUFFER_SRV {
  union {
    UINT FirstElement;
    UINT ElementOffset;
  };
  union {
    UINT NumElements;
    UINT ElementWidth;
  };
} D3D11_BUFFER_SRV;

typedef enum D3D11_BUFFEREX_SRV_FLAG { D3D11_BUFFEREX_SRV_FLAG_RAW = 0x1 } D3D11_BUFFEREX_SRV_FLAG;

typedef struct D3D11_BUFFEREX_SRV {
  UINT FirstElement;
  UINT NumElements;
  UINT Flags;
} D3D11_BUFFEREX_SRV;

typedef struct D3D11_TEX1D_SRV {
  UINT MostDetailedMip;
  UINT MipLevels;
} D3D11_TEX1D_SRV;

typedef struct D3D11_TEX1D_ARRAY_SRV {
  UINT MostDetailedMip;
  UINT MipLevels;
  UINT FirstArraySlice;
  UINT ArraySize;
} D3D11_TEX1D_ARRAY_SRV;

typedef struct D3D11_TEX2D_SRV {
  UINT MostDetailedMip;
  UINT MipLevels;
} D3D11_TEX2D_SRV;

typedef struct D3D11_TEX2D_ARRAY_SRV {
  UINT MostDetailedMip;
  UINT MipLevels;
  UINT FirstArraySlice;
  UINT ArraySize;
} D3D11_TEX2D_ARRAY_SRV;

typedef struct D3D11_TEX3D_SRV {
  UINT MostDetailedMip;
  UINT MipLevels;
} D3D11_TEX3D_SRV;

typedef struct D3D11_TEXCUBE_SRV {
  UINT MostDetailedMip;
  UINT MipLevels;
} D3D11_TEXCUBE_SRV;

typedef struct D3D11_TEXCUBE_ARRAY_SRV {
  UINT MostDetailedMip;
  UINT MipLevels;
  UINT First2DArrayFace;
  UINT NumCubes;
} D3D11_TEXCUBE_ARRAY_SRV;

typedef struct D3D11_TEX2DMS_SRV {
  UINT UnusedField_NothingToDefine;
} D3D11_TEX2DMS_SRV;

typedef struct D3D11_TEX2DMS_ARRAY_SRV {
  UINT FirstArraySlice;
  UINT ArraySize;
} D3D11_TEX2DMS_ARRAY_SRV;

typedef struct D3D11_SHADER_RESOURCE_VIEW_DESC {
  DXGI_FORMAT Format;
  D3D11_SRV_DIMENSION ViewDimension;
  union {
    D3D11_BUFFER_SRV Buffer;
    D3D11_TEX1D_SRV Texture1D;
    D3D11_TEX1D_ARRAY_SRV Texture1DArray;
    D3D11_TEX2D_SRV Texture2D;
    D3D11_TEX2D_ARRAY_SRV Texture2DArray;
    D3D11_TEX2DMS_SRV Texture2DMS;
    D3D11_TEX2DMS_ARRAY_SRV Texture2DMSArray;
    D3D11_TEX3D_SRV Texture3D;
    D3D11_TEXCUBE_SRV TextureCube;
    D3D11_TEXCUBE_ARRAY_SRV TextureCubeArray;
    D3D11_BUFFEREX_SRV BufferEx;
  };
} D3D11_SHADER_RESOURCE_VIEW_DESC;

typedef enum D3D11_RTV_DIMENSION {
  D3D11_RTV_DIMENSION_UNKNOWN = 0,
  D3D11_RTV_DIMENSION_BUFFER = 1,
  D3D11_RTV_DIMENSION_TEXTURE1D = 2,
  D3D11_RTV_DIMENSION_TEXTURE1DARRAY = 3,
  D3D11_RTV_DIMENSION_TEXTURE2D = 4,
  D3D11_RTV_DIMENSION_TEXTURE2DARRAY = 5,
  D3D11_RTV_DIMENSION_TEXTURE2DMS = 6,
  D3D11_RTV_DIMENSION_TEXTURE2DMSARRAY = 7,
  D3D11_RTV_DIMENSION_TEXTURE3D = 8
} D3D11_RTV_DIMENSION;

typedef struct D3D11_BUFFER_RTV {
  union {
    UINT FirstElement;
    UINT ElementOffset;
  };
  union {
    UINT NumElements;
    UINT ElementWidth;
  };
} D3D11_BUFFER_RTV;

typedef struct D3D11_TEX1D_RTV {
  UINT MipSlice;
} D3D11_TEX1D_RTV;

typedef struct D3D11_TEX1D_ARRAY_RTV {
  UINT MipSlice;
  UINT FirstArraySlice;
  UINT ArraySize;
} D3D11_TEX1D_ARRAY_RTV;

typedef struct D3D11_TEX2D_RTV {
  UINT MipSlice;
} D3D11_TEX2D_RTV;

typedef struct D3D11_TEX2DMS_RTV {
  UINT UnusedField_NothingToDefine;
} D3D11_TEX2DMS_RTV;

typedef struct D3D11_TEX2D_ARRAY_RTV {
  UINT MipSlice;
  UINT FirstArraySlice;
  UINT ArraySize;
} D3D11_TEX2D_ARRAY_RTV;

typedef struct D3D11_TEX2DMS_ARRAY_RTV {
  UINT FirstArraySlice;
  UINT ArraySize;
} D3D11_TEX2DMS_ARRAY_RTV;

typedef struct D3D11_TEX3D_RTV {
  UINT MipSlice;
  UINT FirstWSlice;
  UINT WSize;
} D3D11_TEX3D_RTV;

typedef struct D3D11_RENDER_TARGET_VIEW_DESC {
  DXGI_FORMAT Format;
  D3D11_RTV_DIMENSION ViewDimension;
  union {
    D3D11_BUFFER_RTV Buffer;
    D3D11_TEX1D_RTV Texture1D;
    D3D11_TEX1D_ARRAY_RTV Texture1DArray;
    D3D11_TEX2D_RTV Texture2D;
    D3D11_TEX2D_ARRAY_RTV Texture2DArray;
    D3D11_TEX2DMS_RTV Texture2DMS;
    D3D11_TEX2DMS_ARRAY_RTV Texture2DMSArray;
    D3D11_TEX3D_RTV Texture3D;
  };
} D3D11_RENDER_TARGET_VIEW_DESC;

typedef enum D3D11_DSV_DIMENSION {
  D3D11_DSV_DIMENSION_UNKNOWN = 0,
  D3D11_DSV_DIMENSION_TEXTURE1D = 1,
  D3D11_DSV_DIMENSION_TEXTURE1DARRAY = 2,
  D3D11_DSV_DIMENSION_TEXTURE2D = 3,
  D3D11_DSV_DIMENSION_TEXTURE2DARRAY = 4,
  D3D11_DSV_DIMENSION_TEXTURE2DMS = 5,
  D3D11_DSV_DIMENSION_TEXTURE2DMSARRAY = 6
} D3D11_DSV_DIMENSION;

typedef enum D3D11_DSV_FLAG { D3D11_DSV_READ_ONLY_DEPTH = 0x1L, D3D11_DSV_READ_ONLY_STENCIL = 0x2L } D3D11_DSV_FLAG;

typedef struct D3D11_TEX1D_DSV {
  UINT MipSlice;
} D3D11_TEX1D_DSV;

typedef struct D3D11_TEX1D_ARRAY_DSV {
  UINT MipSlice;
  UINT FirstArraySlice;
  UINT ArraySize;
} D3D11_TEX1D_ARRAY_DSV;

typedef struct D3D11_TEX2D_DSV {
  UINT MipSlice;
} D3D11_TEX2D_DSV;

typedef struct D3D11_TEX2D_ARRAY_DSV {
  UINT MipSlice;
  UINT FirstArraySlice;
  UINT ArraySize;
} D3D11_TEX2D_ARRAY_DSV;

typedef struct D3D11_TEX2DMS_DSV {
  UINT UnusedField_NothingToDefine;
} D3D11_TEX2DMS_DSV;

typedef struct D3D11_TEX2DMS_ARRAY_DSV {
  UINT FirstArraySlice;
  UINT ArraySize;
} D3D11_TEX2DMS_ARRAY_DSV;

typedef struct D3D11_DEPTH_STENCIL_VIEW_DESC {
  DXGI_FORMAT Format;
  D3D11_DSV_DIMENSION ViewDimension;
  UINT Flags;
  union {
    D3D11_TEX1D_DSV Texture1D;
    D3D11_TEX1D_ARRAY_DSV Texture1DArray;
    D3D11_TEX2D_DSV Texture2D;
    D3D11_TEX2D_ARRAY_DSV Texture2DArray;
    D3D11_TEX2DMS_DSV Texture2DMS;
    D3D11_TEX2DMS_ARRAY_DSV Texture2DMSArray;
  };
} D3D11_DEPTH_STENCIL_VIEW_DESC;

typedef enum D3D11_UAV_DIMENSION {
  D3D11_UAV_DIMENSION_UNKNOWN = 0,
  D3D11_UAV_DIMENSION_BUFFER = 1,
  D3D11_UAV_DIMENSION_TEXTURE1D = 2,
  D3D11_UAV_DIMENSION_TEXTURE1DARRAY = 3,
  D3D11_UAV_DIMENSION_TEXTURE2D = 4,
  D3D11_UAV_DIMENSION_TEXTURE2DARRAY = 5,
  D3D11_UAV_DIMENSION_TEXTURE3D = 8
} D3D11_UAV_DIMENSION;

typedef struct D3D11_BUFFER_UAV {
  UINT FirstElement;
  UINT NumElements;
  UINT Flags;
} D3D11_BUFFER_UAV;

typedef struct D3D11_TEX1D_UAV {
  UINT MipSlice;
} D3D11_TEX1D_UAV;

typedef struct D3D11_TEX1D_ARRAY_UAV {
  UINT MipSlice;
  UINT FirstArraySlice;
  UINT ArraySize;
} D3D11_TEX1D_ARRAY_UAV;

typedef struct D3D11_TEX2D_UAV {
  UINT MipSlice;
} D3D11_TEX2D_UAV;

typedef struct D3D11_TEX2D_ARRAY_UAV {
  UINT MipSlice;
  UINT FirstArraySlice;
  UINT ArraySize;
} D3D11_TEX2D_ARRAY_UAV;

typedef struct D3D11_TEX3D_UAV {
  UINT MipSlice;
  UINT FirstWSlice;
  UINT WSize;
} D3D11_TEX3D_UAV;

typedef struct D3D11_UNORDERED_ACCESS_VIEW_DESC {
  DXGI_FORMAT Format;
  D3D11_UAV_DIMENSION ViewDimension;
  union {
    D3D11_BUFFER_UAV Buffer;
    D3D11_TEX1D_UAV Texture1D;
    D3D11_TEX1D_ARRAY_UAV Texture1DArray;
    D3D11_TEX2D_UAV Texture2D;
    D3D11_TEX2D_ARRAY_UAV Texture2DArray;
    D3D11_TEX3D_UAV Texture3D;
  };
} D3D11_UNORDERED_ACCESS_VIEW_DESC;

// Input assembly.
typedef enum D3D11_INPUT_CLASSIFICATION {
  D3D11_INPUT_PER_VERTEX_DATA = 0,
  D3D11_INPUT_PER_INSTANCE_DATA = 1
} D3D11_INPUT_CLASSIFICATION;

typedef struct D3D11_INPUT_ELEMENT_DESC {
  LPCSTR SemanticName;
  UINT SemanticIndex;
  DXGI_FORMAT Format;
  UINT InputSlot;
  UINT AlignedByteOffset;
  D3D11_INPUT_CLASSIFICATION InputSlotClass;
  UINT InstanceDataStepRate;
} D3D11_INPUT_ELEMENT_DESC;

typedef struct D3D11_SO_DECLARATION_ENTRY {
  UINT Stream;
  LPCSTR SemanticName;
  UINT SemanticIndex;
  BYTE StartComponent;
  BYTE ComponentCount;
  BYTE OutputSlot;
} D3D11_SO_DECLARATION_ENTRY;

// Fixed-function state.
typedef enum D3D11_COMPARISON_FUNC {
  D3D11_COMPARISON_NEVER = 1,
  D3D11_COMPARISON_LESS = 2,
  D3D11_COMPARISON_EQUAL = 3,
  D3D11_COMPARISON_LESS_EQUAL = 4,
  D3D11_COMPARISON_GREATER = 5,
  D3D11_COMPARISON_NOT_EQUAL = 6,
  D3D11_COMPARISON_GREATER_EQUAL = 7,
  D3D11_COMPARISON_ALWAYS = 8
} D3D11_COMPARISON_FUNC;

typedef enum D3D11_DEPTH_WRITE_MASK {
  D3D11_DEPTH_WRITE_MASK_ZERO = 0,
  D3D11_DEPTH_WRITE_MASK_ALL = 1
} D3D11_DEPTH_WRITE_MASK;

typedef enum D3D11_STENCIL_OP {
  D3D11_STENCIL_OP_KEEP = 1,
  D3D11_STENCIL_OP_ZERO = 2,
  D3D11_STENCIL_OP_REPLACE = 3,
  D3D11_STENCIL_OP_INCR_SAT = 4,
  D3D11_STENCIL_OP_DECR_SAT = 5,
  D3D11_STENCIL_OP_INVERT = 6,
  D3D11_STENCIL_OP_INCR = 7,
  D3D11_STENCIL_OP_DECR = 8
} D3D11_STENCIL_OP;

typedef struct D3D11_DEPTH_STENCILOP_DESC {
  D3D11_STENCIL_OP StencilFailOp;
  D3D11_STENCIL_OP StencilDepthFailOp;
  D3D11_STENCIL_OP StencilPassOp;
  D3D11_COMPARISON_FUNC StencilFunc;
} D3D11_DEPTH_STENCILOP_DESC;

typedef struct D3D11_DEPTH_STENCIL_DESC {
  BOOL DepthEnable;
  D3D11_DEPTH_WRITE_MASK DepthWriteMask;
  D3D11_COMPARISON_FUNC DepthFunc;
  BOOL StencilEnable;
  UINT8 StencilReadMask;
  UINT8 StencilWriteMask;
  D3D11_DEPTH_STENCILOP_DESC FrontFace;
  D3D11_DEPTH_STENCILOP_DESC BackFace;
} D3D11_DEPTH_STENCIL_DESC;

typedef enum D3D11_FILL_MODE { D3D11_FILL_WIREFRAME = 2, D3D11_FILL_SOLID = 3 } D3D11_FILL_MODE;

typedef enum D3D11_CULL_MODE { D3D11_CULL_NONE = 1, D3D11_CULL_FRONT = 2, D3D11_CULL_BACK = 3 } D3D11_CULL_MODE;

typedef struct D3D11_RASTERIZER_DESC {
  D3D11_FILL_MODE FillMode;
  D3D11_CULL_MODE CullMode;
  BOOL FrontCounterClockwise;
  INT DepthBias;
  FLOAT DepthBiasClamp;
  FLOAT SlopeScaledDepthBias;
  BOOL DepthClipEnable;
  BOOL ScissorEnable;
  BOOL MultisampleEnable;
  BOOL AntialiasedLineEnable;
} D3D11_RASTERIZER_DESC;

typedef enum D3D11_BLEND {
  D3D11_BLEND_ZERO = 1,
  D3D11_BLEND_ONE = 2,
  D3D11_BLEND_SRC_COLOR = 3,
  D3D11_BLEND_INV_SRC_COLOR = 4,
  D3D11_BLEND_SRC_ALPHA = 5,
  D3D11_BLEND_INV_SRC_ALPHA = 6,
  D3D11_BLEND_DEST_ALPHA = 7,
  D3D11_BLEND_INV_DEST_ALPHA = 8,
  D3D11_BLEND_DEST_COLOR = 9,
  D3D11_BLEND_INV_DEST_COLOR = 10,
  D3D11_BLEND_SRC_ALPHA_SAT = 11,
  D3D11_BLEND_BLEND_FACTOR = 14,
  D3D11_BLEND_INV_BLEND_FACTOR = 15,
  D3D11_BLEND_SRC1_COLOR = 16,
  D3D11_BLEND_INV_SRC1_COLOR = 17,
  D3D11_BLEND_SRC1_ALPHA = 18,
  D3D11_BLEND_INV_SRC1_ALPHA = 19
} D3D11_BLEND;

typedef enum D3D11_BLEND_OP {
  D3D11_BLEND_OP_ADD = 1,
  D3D11_BLEND_OP_SUBTRACT = 2,
  D3D11_BLEND_OP_REV_SUBTRACT = 3,
  D3D11_BLEND_OP_MIN = 4,
  D3D11_BLEND_OP_MAX = 5
} D3D11_BLEND_OP;

typedef enum D3D11_COLOR_WRITE_ENABLE {
  D3D11_COLOR_WRITE_ENABLE_RED = 1,
  D3D11_COLOR_WRITE_ENABLE_GREEN = 2,
  D3D11_COLOR_WRITE_ENABLE_BLUE = 4,
  D3D11_COLOR_WRITE_ENABLE_ALPHA = 8,
  D3D11_COLOR_WRITE_ENABLE_ALL = 15
} D3D11_COLOR_WRITE_ENABLE;

typedef struct D3D11_RENDER_TARGET_BLEND_DESC {
  BOOL BlendEnable;
  D3D11_BLEND SrcBlend;
  D3D11_BLEND DestBlend;
  D3D11_BLEND_OP BlendOp;
  D3D11_BLEND SrcBlendAlpha;
  D3D11_BLEND DestBlendAlpha;
  D3D11_BLEND_OP BlendOpAlpha;
  UINT8 RenderTargetWriteMask;
} D3D11_RENDER_TARGET_BLEND_DESC;

typedef struct D3D11_BLEND_DESC {
  BOOL AlphaToCoverageEnable;
  BOOL IndependentBlendEnable;
  D3D11_RENDER_TARGET_BLEND_DESC RenderTarget[8];
} D3D11_BLEND_DESC;

typedef enum D3D11_FILTER {
  D3D11_FILTER_MIN_MAG_MIP_POINT = 0,
  D3D11_FILTER_MIN_MAG_POINT_MIP_LINEAR = 0x1,
  D3D11_FILTER_MIN_POINT_MAG_LINEAR_MIP_POINT = 0x4,
  D3D11_FILTER_MIN_POINT_MAG_MIP_LINEAR = 0x5,
  D3D11_FILTER_MIN_LINEAR_MAG_MIP_POINT = 0x10,
  D3D11_FILTER_MIN_LINEAR_MAG_POINT_MIP_LINEAR = 0x11,
  D3D11_FILTER_MIN_MAG_LINEAR_MIP_POINT = 0x14,
  D3D11_FILTER_MIN_MAG_MIP_LINEAR = 0x15,
  D3D11_FILTER_ANISOTROPIC = 0x55,
  D3D11_FILTER_COMPARISON_MIN_MAG_MIP_POINT = 0x80,
  D3D11_FILTER_COMPARISON_MIN_MAG_POINT_MIP_LINEAR = 0x81,
  D3D11_FILTER_COMPARISON_MIN_POINT_MAG_LINEAR_MIP_POINT = 0x84,
  D3D11_FILTER_COMPARISON_MIN_POINT_MAG_MIP_LINEAR = 0x85,
  D3D11_FILTER_COMPARISON_MIN_LINEAR_MAG_MIP_POINT = 0x90,
  D3D11_FILTER_COMPARISON_MIN_LINEAR_MAG_POINT_MIP_LINEAR = 0x91,
  D3D11_FILTER_COMPARISON_MIN_MAG_LINEAR_MIP_POINT = 0x94,
  D3D11_FILTER_COMPARISON_MIN_MAG_MIP_LINEAR = 0x95,
  D3D11_FILTER_COMPARISON_ANISOTROPIC = 0xd5,
  D3D11_FILTER_MINIMUM_MIN_MAG_MIP_POINT = 0x100,
  D3D11_FILTER_MINIMUM_MIN_MAG_POINT_MIP_LINEAR = 0x101,
  D3D11_FILTER_MINIMUM_MIN_POINT_MAG_LINEAR_MIP_POINT = 0x104,
  D3D11_FILTER_MINIMUM_MIN_POINT_MAG_MIP_LINEAR = 0x105,
  D3D11_FILTER_MINIMUM_MIN_LINEAR_MAG_MIP_POINT = 0x110,
  D3D11_FILTER_MINIMUM_MIN_LINEAR_MAG_POINT_MIP_LINEAR = 0x111,
  D3D11_FILTER_MINIMUM_MIN_MAG_LINEAR_MIP_POINT = 0x114,
  D3D11_FILTER_MINIMUM_MIN_MAG_MIP_LINEAR = 0x115,
  D3D11_FILTER_MINIMUM_ANISOTROPIC = 0x155,
  D3D11_FILTER_MAXIMUM_MIN_MAG_MIP_POINT = 0x180,
  D3D11_FILTER_MAXIMUM_MIN_MAG_POINT_MIP_LINEAR = 0x181,
  D3D11_FILTER_MAXIMUM_MIN_POINT_MAG_LINEAR_MIP_POINT = 0x184,
  D3D11_FILTER_MAXIMUM_MIN_POINT_MAG_MIP_LINEAR = 0x185,
  D3D11_FILTER_MAXIMUM_MIN_LINEAR_MAG_MIP_POINT = 0x190,
  D3D11_FILTER_MAXIMUM_MIN_LINEAR_MAG_POINT_MIP_LINEAR = 0x191,
  D3D11_FILTER_MAXIMUM_MIN_MAG_LINEAR_MIP_POINT = 0x194,
  D3D11_FILTER_MAXIMUM_MIN_MAG_MIP_LINEAR = 0x195,
  D3D11_FILTER_MAXIMUM_ANISOTROPIC = 0x1d5
} D3D11_FILTER;

typedef enum D3D11_TEXTURE_ADDRESS_MODE {
  D3D11_TEXTURE_ADDRESS_WRAP = 1,
  D3D11_TEXTURE_ADDRESS_MIRROR = 2,
  D3D11_TEXTURE_ADDRESS_CLAMP = 3,
  D3D11_TEXTURE_ADDRESS_BORDER = 4,
  D3D11_TEXTURE_ADDRESS_MIRROR_ONCE = 5
} D3D11_TEXTURE_ADDRESS_MODE;

typedef struct D3D11_SAMPLER_DESC {
  D3D11_FILTER Filter;
  D3D11_TEXTURE_ADDRESS_MODE AddressU;
  D3D11_TEXTURE_ADDRESS_MODE AddressV;
  D3D11_TEXTURE_ADDRESS_MODE AddressW;
  FLOAT MipLODBias;
  UINT MaxAnisotropy;
  D3D11_COMPARISON_FUNC ComparisonFunc;
  FLOAT BorderColor[4];
  FLOAT MinLOD;
  FLOAT MaxLOD;
} D3D11_SAMPLER_DESC;

typedef struct D3D11_VIEWPORT {
  FLOAT TopLeftX;
  FLOAT TopLeftY;
  FLOAT Width;
  FLOAT Height;
  FLOAT MinDepth;
  FLOAT MaxDepth;
} D3D11_VIEWPORT;

// Queries, counters and feature support.
typedef enum D3D11_QUERY {
  D3D11_QUERY_EVENT = 0,
  D3D11_QUERY_OCCLUSION = 1,
  D3D11_QUERY_TIMESTAMP = 2,
  D3D11_QUERY_TIMESTAMP_DISJOINT = 3,
  D3D11_QUERY_PIPELINE_STATISTICS = 4,
  D3D11_QUERY_OCCLUSION_PREDICATE = 5,
  D3D11_QUERY_SO_STATISTICS = 6,
  D3D11_QUERY_SO_OVERFLOW_PREDICATE = 7
} D3D11_QUERY;

typedef struct D3D11_QUERY_DESC {
  D3D11_QUERY Query;
  UINT MiscFlags;
} D3D11_QUERY_DESC;

typedef enum D3D11_COUNTER { D3D11_COUNTER_DEVICE_DEPENDENT_0 = 0x40000000 } D3D11_COUNTER;

typedef enum D3D11_COUNTER_TYPE {
  D3D11_COUNTER_TYPE_FLOAT32 = 0,
  D3D11_COUNTER_TYPE_UINT16 = 1,
  D3D11_COUNTER_TYPE_UINT32 = 2,
  D3D11_COUNTER_TYPE_UINT64 = 3
} D3D11_COUNTER_TYPE;

typedef struct D3D11_COUNTER_DESC {
  D3D11_COUNTER Counter;
  UINT MiscFlags;
} D3D11_COUNTER_DESC;

typedef struct D3D11_COUNTER_INFO {
  D3D11_COUNTER LastDeviceDependentCounter;
  UINT NumSimultaneousCounters;
  UINT8 NumDetectableParallelUnits;
} D3D11_COUNTER_INFO;

typedef enum D3D11_FEATURE {
  D3D11_FEATURE_THREADING = 0,
  D3D11_FEATURE_DOUBLES = 1,
  D3D11_FEATURE_FORMAT_SUPPORT = 2,
  D3D11_FEATURE_FORMAT_SUPPORT2 = 3,
  D3D11_FEATURE_D3D10_X_HARDWARE_OPTIONS = 4
} D3D11_FEATURE;

typedef struct D3D11_FEATURE_DATA_THREADING {
  BOOL DriverConcurrentCreates;
  BOOL DriverCommandLists;
} D3D11_FEATURE_DATA_THREADING;

typedef enum D3D11_FORMAT_SUPPORT {
  D3D11_FORMAT_SUPPORT_BUFFER = 0x1,
  D3D11_FORMAT_SUPPORT_IA_VERTEX_BUFFER = 0x2,
  D3D11_FORMAT_SUPPORT_IA_INDEX_BUFFER = 0x4,
  D3D11_FORMAT_SUPPORT_SO_BUFFER = 0x8,
  D3D11_FORMAT_SUPPORT_TEXTURE1D = 0x10,
  D3D11_FORMAT_SUPPORT_TEXTURE2D = 0x20,
  D3D11_FORMAT_SUPPORT_TEXTURE3D = 0x40,
  D3D11_FORMAT_SUPPORT_TEXTURECUBE = 0x80,
  D3D11_FORMAT_SUPPORT_SHADER_LOAD = 0x100,
  D3D11_FORMAT_SUPPORT_SHADER_SAMPLE = 0x200,
  D3D11_FORMAT_SUPPORT_SHADER_SAMPLE_COMPARISON = 0x400,
  D3D11_FORMAT_SUPPORT_SHADER_SAMPLE_MONO_TEXT = 0x800,
  D3D11_FORMAT_SUPPORT_MIP = 0x1000,
  D3D11_FORMAT_SUPPORT_MIP_AUTOGEN = 0x2000,
  D3D11_FORMAT_SUPPORT_RENDER_TARGET = 0x4000,
  D3D11_FORMAT_SUPPORT_BLENDABLE = 0x8000,
  D3D11_FORMAT_SUPPORT_DEPTH_STENCIL = 0x10000,
  D3D11_FORMAT_SUPPORT_CPU_LOCKABLE = 0x20000,
  D3D11_FORMAT_SUPPORT_MULTISAMPLE_RESOLVE = 0x40000,
  D3D11_FORMAT_SUPPORT_DISPLAY = 0x80000,
  D3D11_FORMAT_SUPPORT_CAST_WITHIN_BIT_LAYOUT = 0x100000,
  D3D11_FORMAT_SUPPORT_MULTISAMPLE_RENDERTARGET = 0x200000,
  D3D11_FORMAT_SUPPORT_MULTISAMPLE_LOAD = 0x400000,
  D3D11_FORMAT_SUPPORT_SHADER_GATHER = 0x800000,
  D3D11_FORMAT_SUPPORT_BACK_BUFFER_CAST = 0x1000000,
  D3D11_FORMAT_SUPPORT_TYPED_UNORDERED_ACCESS_VIEW = 0x2000000,
  D3D11_FORMAT_SUPPORT_SHADER_GATHER_COMPARISON = 0x4000000,
  D3D11_FORMAT_SUPPORT_DECODER_OUTPUT = 0x8000000,
  D3D11_FORMAT_SUPPORT_VIDEO_PROCESSOR_OUTPUT = 0x10000000,
  D3D11_FORMAT_SUPPORT_VIDEO_PROCESSOR_INPUT = 0x20000000,
  D3D11_FORMAT_SUPPORT_VIDEO_ENCODER = 0x40000000
} D3D11_FORMAT_SUPPORT;

// Interfaces.
struct ID3D11Device;
struct ID3D11ClassLinkage;

struct DECLSPEC_NOVTABLE ID3D11DeviceChild : public IUnknown {
  virtual void STDMETHODCALLTYPE GetDevice(ID3D11Device** device) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, UINT* dataSize, void* data) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, UINT dataSize, const void* data) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID guid, const IUnknown* data) = 0;
};
ZR_DECLARE_UUID(ID3D11DeviceChild, "1841e5c8-16b0-489b-bcc8-44cfb0d5deae");

struct DECLSPEC_NOVTABLE ID3D11DepthStencilState : public ID3D11DeviceChild {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_DEPTH_STENCIL_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11DepthStencilState, "03823efb-8d8f-4e1c-9aa2-f64bb2cbfdf1");

struct DECLSPEC_NOVTABLE ID3D11BlendState : public ID3D11DeviceChild {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_BLEND_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11BlendState, "75b68faa-347d-4159-8f45-a0640f01cd9a");

struct DECLSPEC_NOVTABLE ID3D11RasterizerState : public ID3D11DeviceChild {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_RASTERIZER_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11RasterizerState, "9bb4ab81-ab1a-4d8f-b506-fc04200b6ee7");

struct DECLSPEC_NOVTABLE ID3D11Resource : public ID3D11DeviceChild {
  virtual void STDMETHODCALLTYPE GetType(D3D11_RESOURCE_DIMENSION* resourceDimension) = 0;
  virtual void STDMETHODCALLTYPE SetEvictionPriority(UINT evictionPriority) = 0;
  virtual UINT STDMETHODCALLTYPE GetEvictionPriority() = 0;
};
ZR_DECLARE_UUID(ID3D11Resource, "dc8e63f3-d12b-4952-b47b-5e45026a862d");

struct DECLSPEC_NOVTABLE ID3D11Buffer : public ID3D11Resource {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_BUFFER_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11Buffer, "48570b85-d1ee-4fcd-a250-eb350722b037");

struct DECLSPEC_NOVTABLE ID3D11Texture1D : public ID3D11Resource {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_TEXTURE1D_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11Texture1D, "f8fb5c27-c6b3-4f75-a4c8-439af2ef564c");

struct DECLSPEC_NOVTABLE ID3D11Texture2D : public ID3D11Resource {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_TEXTURE2D_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11Texture2D, "6f15aaf2-d208-4e89-9ab4-489535d34f9c");

struct DECLSPEC_NOVTABLE ID3D11Texture3D : public ID3D11Resource {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_TEXTURE3D_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11Texture3D, "037e866e-f56d-4357-a8af-9dabbe6e250e");

struct DECLSPEC_NOVTABLE ID3D11View : public ID3D11DeviceChild {
  virtual void STDMETHODCALLTYPE GetResource(ID3D11Resource** resource) = 0;
};
ZR_DECLARE_UUID(ID3D11View, "839d1216-bb2e-412b-b7f4-a9dbebe08ed1");

struct DECLSPEC_NOVTABLE ID3D11ShaderResourceView : public ID3D11View {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_SHADER_RESOURCE_VIEW_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11ShaderResourceView, "b0e06fe0-8192-4e1a-b1ca-36d7414710b2");

struct DECLSPEC_NOVTABLE ID3D11RenderTargetView : public ID3D11View {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_RENDER_TARGET_VIEW_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11RenderTargetView, "dfdba067-0b8d-4865-875b-d7b4516cc164");

struct DECLSPEC_NOVTABLE ID3D11DepthStencilView : public ID3D11View {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_DEPTH_STENCIL_VIEW_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11DepthStencilView, "9fdac92a-1876-48c3-afad-25b94f84a9b6");

struct DECLSPEC_NOVTABLE ID3D11UnorderedAccessView : public ID3D11View {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_UNORDERED_ACCESS_VIEW_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11UnorderedAccessView, "28acf509-7f5c-48f6-8611-f316010a6380");

struct DECLSPEC_NOVTABLE ID3D11VertexShader : public ID3D11DeviceChild {};
ZR_DECLARE_UUID(ID3D11VertexShader, "3b301d64-d678-4289-8897-22f8928b72f3");

struct DECLSPEC_NOVTABLE ID3D11HullShader : public ID3D11DeviceChild {};
ZR_DECLARE_UUID(ID3D11HullShader, "8e5c6061-628a-4c8e-8264-bbe45cb3d5dd");

struct DECLSPEC_NOVTABLE ID3D11DomainShader : public ID3D11DeviceChild {};
ZR_DECLARE_UUID(ID3D11DomainShader, "f582c508-0f36-490c-9977-31eece268cfa");

struct DECLSPEC_NOVTABLE ID3D11GeometryShader : public ID3D11DeviceChild {};
ZR_DECLARE_UUID(ID3D11GeometryShader, "38325b96-effb-4022-ba02-2e795b70275c");

struct DECLSPEC_NOVTABLE ID3D11PixelShader : public ID3D11DeviceChild {};
ZR_DECLARE_UUID(ID3D11PixelShader, "ea82e40d-51dc-4f33-93d4-db7c9125ae8c");

struct DECLSPEC_NOVTABLE ID3D11ComputeShader : public ID3D11DeviceChild {};
ZR_DECLARE_UUID(ID3D11ComputeShader, "4f5b196e-c2bd-495e-bd01-1fded38e4969");

struct DECLSPEC_NOVTABLE ID3D11InputLayout : public ID3D11DeviceChild {};
ZR_DECLARE_UUID(ID3D11InputLayout, "e4819ddc-4cf0-4025-bd26-5de82a3e07b7");

struct DECLSPEC_NOVTABLE ID3D11SamplerState : public ID3D11DeviceChild {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_SAMPLER_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11SamplerState, "da6fea51-564c-4487-9810-f0d0f9b4e3a5");

struct DECLSPEC_NOVTABLE ID3D11Asynchronous : public ID3D11DeviceChild {
  virtual UINT STDMETHODCALLTYPE GetDataSize() = 0;
};
ZR_DECLARE_UUID(ID3D11Asynchronous, "4b35d0cd-1e15-4258-9c98-1b1333f6dd3b");

struct DECLSPEC_NOVTABLE ID3D11Query : public ID3D11Asynchronous {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_QUERY_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11Query, "d6c00747-87b7-425e-b84d-44d108560afd");

struct DECLSPEC_NOVTABLE ID3D11Predicate : public ID3D11Query {};
ZR_DECLARE_UUID(ID3D11Predicate, "9eb576dd-9f77-4d86-81aa-8bab5fe490e2");

struct DECLSPEC_NOVTABLE ID3D11Counter : public ID3D11Asynchronous {
  virtual void STDMETHODCALLTYPE GetDesc(D3D11_COUNTER_DESC* desc) = 0;
};
ZR_DECLARE_UUID(ID3D11Counter, "6e8c49fb-a371-4770-b440-29086022b741");

// Class linkage is not offered: shaders are always created with no linkage, and
// these interfaces are only named in the signatures that take them.
struct DECLSPEC_NOVTABLE ID3D11ClassInstance : public ID3D11DeviceChild {};
ZR_DECLARE_UUID(ID3D11ClassInstance, "a6cd7faa-b0b7-4a2f-9436-8662a65797cb");

struct DECLSPEC_NOVTABLE ID3D11ClassLinkage : public ID3D11DeviceChild {};
ZR_DECLARE_UUID(ID3D11ClassLinkage, "ddf57cba-9543-46e4-a12b-f207a0fe7fed");

struct DECLSPEC_NOVTABLE ID3D11CommandList : public ID3D11DeviceChild {
  virtual UINT STDMETHODCALLTYPE GetContextFlags() = 0;
};
ZR_DECLARE_UUID(ID3D11CommandList, "a24bc4d1-769e-43f7-8013-98ff566c18e2");

struct DECLSPEC_NOVTABLE ID3D11DeviceContext : public ID3D11DeviceChild {
  virtual void STDMETHODCALLTYPE VSSetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer* const* constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE PSSetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView* const* shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE PSSetShader(ID3D11PixelShader* pixelShader, ID3D11ClassInstance* const* classInstances,
                                             UINT numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE PSSetSamplers(UINT startSlot, UINT numSamplers,
                                               ID3D11SamplerState* const* samplers) = 0;
  virtual void STDMETHODCALLTYPE VSSetShader(ID3D11VertexShader* vertexShader,
                                             ID3D11ClassInstance* const* classInstances, UINT numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE DrawIndexed(UINT indexCount, UINT startIndexLocation, INT baseVertexLocation) = 0;
  virtual void STDMETHODCALLTYPE Draw(UINT vertexCount, UINT startVertexLocation) = 0;
  virtual HRESULT STDMETHODCALLTYPE Map(ID3D11Resource* resource, UINT subresource, D3D11_MAP mapType, UINT mapFlags,
                                        D3D11_MAPPED_SUBRESOURCE* mappedResource) = 0;
  virtual void STDMETHODCALLTYPE Unmap(ID3D11Resource* resource, UINT subresource) = 0;
  virtual void STDMETHODCALLTYPE PSSetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer* const* constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE IASetInputLayout(ID3D11InputLayout* inputLayout) = 0;
  virtual void STDMETHODCALLTYPE IASetVertexBuffers(UINT startSlot, UINT numBuffers, ID3D11Buffer* const* vertexBuffers,
                                                    const UINT* strides, const UINT* offsets) = 0;
  virtual void STDMETHODCALLTYPE IASetIndexBuffer(ID3D11Buffer* indexBuffer, DXGI_FORMAT format, UINT offset) = 0;
  virtual void STDMETHODCALLTYPE DrawIndexedInstanced(UINT indexCountPerInstance, UINT instanceCount,
                                                      UINT startIndexLocation, INT baseVertexLocation,
                                                      UINT startInstanceLocation) = 0;
  virtual void STDMETHODCALLTYPE DrawInstanced(UINT vertexCountPerInstance, UINT instanceCount,
                                               UINT startVertexLocation, UINT startInstanceLocation) = 0;
  virtual void STDMETHODCALLTYPE GSSetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer* const* constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE GSSetShader(ID3D11GeometryShader* shader, ID3D11ClassInstance* const* classInstances,
                                             UINT numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY topology) = 0;
  virtual void STDMETHODCALLTYPE VSSetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView* const* shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE VSSetSamplers(UINT startSlot, UINT numSamplers,
                                               ID3D11SamplerState* const* samplers) = 0;
  virtual void STDMETHODCALLTYPE Begin(ID3D11Asynchronous* async) = 0;
  virtual void STDMETHODCALLTYPE End(ID3D11Asynchronous* async) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetData(ID3D11Asynchronous* async, void* data, UINT dataSize,
                                            UINT getDataFlags) = 0;
  virtual void STDMETHODCALLTYPE SetPredication(ID3D11Predicate* predicate, BOOL predicateValue) = 0;
  virtual void STDMETHODCALLTYPE GSSetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView* const* shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE GSSetSamplers(UINT startSlot, UINT numSamplers,
                                               ID3D11SamplerState* const* samplers) = 0;
  virtual void STDMETHODCALLTYPE OMSetRenderTargets(UINT numViews, ID3D11RenderTargetView* const* renderTargetViews,
                                                    ID3D11DepthStencilView* depthStencilView) = 0;
  virtual void STDMETHODCALLTYPE OMSetRenderTargetsAndUnorderedAccessViews(
      UINT numRTVs, ID3D11RenderTargetView* const* renderTargetViews, ID3D11DepthStencilView* depthStencilView,
      UINT uavStartSlot, UINT numUAVs, ID3D11UnorderedAccessView* const* unorderedAccessViews,
      const UINT* uavInitialCounts) = 0;
  virtual void STDMETHODCALLTYPE OMSetBlendState(ID3D11BlendState* blendState, const FLOAT blendFactor[4],
                                                 UINT sampleMask) = 0;
  virtual void STDMETHODCALLTYPE OMSetDepthStencilState(ID3D11DepthStencilState* depthStencilState,
                                                        UINT stencilRef) = 0;
  virtual void STDMETHODCALLTYPE SOSetTargets(UINT numBuffers, ID3D11Buffer* const* targets, const UINT* offsets) = 0;
  virtual void STDMETHODCALLTYPE DrawAuto() = 0;
  virtual void STDMETHODCALLTYPE DrawIndexedInstancedIndirect(ID3D11Buffer* bufferForArgs,
                                                              UINT alignedByteOffsetForArgs) = 0;
  virtual void STDMETHODCALLTYPE DrawInstancedIndirect(ID3D11Buffer* bufferForArgs, UINT alignedByteOffsetForArgs) = 0;
  virtual void STDMETHODCALLTYPE Dispatch(UINT threadGroupCountX, UINT threadGroupCountY, UINT threadGroupCountZ) = 0;
  virtual void STDMETHODCALLTYPE DispatchIndirect(ID3D11Buffer* bufferForArgs, UINT alignedByteOffsetForArgs) = 0;
  virtual void STDMETHODCALLTYPE RSSetState(ID3D11RasterizerState* rasterizerState) = 0;
  virtual void STDMETHODCALLTYPE RSSetViewports(UINT numViewports, const D3D11_VIEWPORT* viewports) = 0;
  virtual void STDMETHODCALLTYPE RSSetScissorRects(UINT numRects, const D3D11_RECT* rects) = 0;
  virtual void STDMETHODCALLTYPE CopySubresourceRegion(ID3D11Resource* dstResource, UINT dstSubresource, UINT dstX,
                                                       UINT dstY, UINT dstZ, ID3D11Resource* srcResource,
                                                       UINT srcSubresource, const D3D11_BOX* srcBox) = 0;
  virtual void STDMETHODCALLTYPE CopyResource(ID3D11Resource* dstResource, ID3D11Resource* srcResource) = 0;
  virtual void STDMETHODCALLTYPE UpdateSubresource(ID3D11Resource* dstResource, UINT dstSubresource,
                                                   const D3D11_BOX* dstBox, const void* srcData, UINT srcRowPitch,
                                                   UINT srcDepthPitch) = 0;
  virtual void STDMETHODCALLTYPE CopyStructureCount(ID3D11Buffer* dstBuffer, UINT dstAlignedByteOffset,
                                                    ID3D11UnorderedAccessView* srcView) = 0;
  virtual void STDMETHODCALLTYPE ClearRenderTargetView(ID3D11RenderTargetView* renderTargetView,
                                                       const FLOAT colorRGBA[4]) = 0;
  virtual void STDMETHODCALLTYPE ClearUnorderedAccessViewUint(ID3D11UnorderedAccessView* unorderedAccessView,
                                                              const UINT values[4]) = 0;
  virtual void STDMETHODCALLTYPE ClearUnorderedAccessViewFloat(ID3D11UnorderedAccessView* unorderedAccessView,
                                                               const FLOAT values[4]) = 0;
  virtual void STDMETHODCALLTYPE ClearDepthStencilView(ID3D11DepthStencilView* depthStencilView, UINT clearFlags,
                                                       FLOAT depth, UINT8 stencil) = 0;
  virtual void STDMETHODCALLTYPE GenerateMips(ID3D11ShaderResourceView* shaderResourceView) = 0;
  virtual void STDMETHODCALLTYPE SetResourceMinLOD(ID3D11Resource* resource, FLOAT minLOD) = 0;
  virtual FLOAT STDMETHODCALLTYPE GetResourceMinLOD(ID3D11Resource* resource) = 0;
  virtual void STDMETHODCALLTYPE ResolveSubresource(ID3D11Resource* dstResource, UINT dstSubresource,
                                                    ID3D11Resource* srcResource, UINT srcSubresource,
                                                    DXGI_FORMAT format) = 0;
  virtual void STDMETHODCALLTYPE ExecuteCommandList(ID3D11CommandList* commandList, BOOL restoreContextState) = 0;
  virtual void STDMETHODCALLTYPE HSSetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView* const* shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE HSSetShader(ID3D11HullShader* hullShader, ID3D11ClassInstance* const* classInstances,
                                             UINT numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE HSSetSamplers(UINT startSlot, UINT numSamplers,
                                               ID3D11SamplerState* const* samplers) = 0;
  virtual void STDMETHODCALLTYPE HSSetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer* const* constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE DSSetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView* const* shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE DSSetShader(ID3D11DomainShader* domainShader,
                                             ID3D11ClassInstance* const* classInstances, UINT numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE DSSetSamplers(UINT startSlot, UINT numSamplers,
                                               ID3D11SamplerState* const* samplers) = 0;
  virtual void STDMETHODCALLTYPE DSSetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer* const* constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE CSSetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView* const* shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE CSSetUnorderedAccessViews(UINT startSlot, UINT numUAVs,
                                                           ID3D11UnorderedAccessView* const* unorderedAccessViews,
                                                           const UINT* uavInitialCounts) = 0;
  virtual void STDMETHODCALLTYPE CSSetShader(ID3D11ComputeShader* computeShader,
                                             ID3D11ClassInstance* const* classInstances, UINT numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE CSSetSamplers(UINT startSlot, UINT numSamplers,
                                               ID3D11SamplerState* const* samplers) = 0;
  virtual void STDMETHODCALLTYPE CSSetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer* const* constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE VSGetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer** constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE PSGetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView** shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE PSGetShader(ID3D11PixelShader** pixelShader, ID3D11ClassInstance** classInstances,
                                             UINT* numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE PSGetSamplers(UINT startSlot, UINT numSamplers, ID3D11SamplerState** samplers) = 0;
  virtual void STDMETHODCALLTYPE VSGetShader(ID3D11VertexShader** vertexShader, ID3D11ClassInstance** classInstances,
                                             UINT* numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE PSGetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer** constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE IAGetInputLayout(ID3D11InputLayout** inputLayout) = 0;
  virtual void STDMETHODCALLTYPE IAGetVertexBuffers(UINT startSlot, UINT numBuffers, ID3D11Buffer** vertexBuffers,
                                                    UINT* strides, UINT* offsets) = 0;
  virtual void STDMETHODCALLTYPE IAGetIndexBuffer(ID3D11Buffer** indexBuffer, DXGI_FORMAT* format, UINT* offset) = 0;
  virtual void STDMETHODCALLTYPE GSGetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer** constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE GSGetShader(ID3D11GeometryShader** geometryShader,
                                             ID3D11ClassInstance** classInstances, UINT* numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE IAGetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY* topology) = 0;
  virtual void STDMETHODCALLTYPE VSGetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView** shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE VSGetSamplers(UINT startSlot, UINT numSamplers, ID3D11SamplerState** samplers) = 0;
  virtual void STDMETHODCALLTYPE GetPredication(ID3D11Predicate** predicate, BOOL* predicateValue) = 0;
  virtual void STDMETHODCALLTYPE GSGetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView** shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE GSGetSamplers(UINT startSlot, UINT numSamplers, ID3D11SamplerState** samplers) = 0;
  virtual void STDMETHODCALLTYPE OMGetRenderTargets(UINT numViews, ID3D11RenderTargetView** renderTargetViews,
                                                    ID3D11DepthStencilView** depthStencilView) = 0;
  virtual void STDMETHODCALLTYPE OMGetRenderTargetsAndUnorderedAccessViews(
      UINT numRTVs, ID3D11RenderTargetView** renderTargetViews, ID3D11DepthStencilView** depthStencilView,
      UINT uavStartSlot, UINT numUAVs, ID3D11UnorderedAccessView** unorderedAccessViews) = 0;
  virtual void STDMETHODCALLTYPE OMGetBlendState(ID3D11BlendState** blendState, FLOAT blendFactor[4],
                                                 UINT* sampleMask) = 0;
  virtual void STDMETHODCALLTYPE OMGetDepthStencilState(ID3D11DepthStencilState** depthStencilState,
                                                        UINT* stencilRef) = 0;
  virtual void STDMETHODCALLTYPE SOGetTargets(UINT numBuffers, ID3D11Buffer** targets) = 0;
  virtual void STDMETHODCALLTYPE RSGetState(ID3D11RasterizerState** rasterizerState) = 0;
  virtual void STDMETHODCALLTYPE RSGetViewports(UINT* numViewports, D3D11_VIEWPORT* viewports) = 0;
  virtual void STDMETHODCALLTYPE RSGetScissorRects(UINT* numRects, D3D11_RECT* rects) = 0;
  virtual void STDMETHODCALLTYPE HSGetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView** shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE HSGetShader(ID3D11HullShader** hullShader, ID3D11ClassInstance** classInstances,
                                             UINT* numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE HSGetSamplers(UINT startSlot, UINT numSamplers, ID3D11SamplerState** samplers) = 0;
  virtual void STDMETHODCALLTYPE HSGetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer** constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE DSGetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView** shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE DSGetShader(ID3D11DomainShader** domainShader, ID3D11ClassInstance** classInstances,
                                             UINT* numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE DSGetSamplers(UINT startSlot, UINT numSamplers, ID3D11SamplerState** samplers) = 0;
  virtual void STDMETHODCALLTYPE DSGetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer** constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE CSGetShaderResources(UINT startSlot, UINT numViews,
                                                      ID3D11ShaderResourceView** shaderResourceViews) = 0;
  virtual void STDMETHODCALLTYPE CSGetUnorderedAccessViews(UINT startSlot, UINT numUAVs,
                                                           ID3D11UnorderedAccessView** unorderedAccessViews) = 0;
  virtual void STDMETHODCALLTYPE CSGetShader(ID3D11ComputeShader** computeShader, ID3D11ClassInstance** classInstances,
                                             UINT* numClassInstances) = 0;
  virtual void STDMETHODCALLTYPE CSGetSamplers(UINT startSlot, UINT numSamplers, ID3D11SamplerState** samplers) = 0;
  virtual void STDMETHODCALLTYPE CSGetConstantBuffers(UINT startSlot, UINT numBuffers,
                                                      ID3D11Buffer** constantBuffers) = 0;
  virtual void STDMETHODCALLTYPE ClearState() = 0;
  virtual void STDMETHODCALLTYPE Flush() = 0;
  virtual D3D11_DEVICE_CONTEXT_TYPE STDMETHODCALLTYPE GetType() = 0;
  virtual UINT STDMETHODCALLTYPE GetContextFlags() = 0;
  virtual HRESULT STDMETHODCALLTYPE FinishCommandList(BOOL restoreDeferredContextState,
                                                      ID3D11CommandList** commandList) = 0;
};
ZR_DECLARE_UUID(ID3D11DeviceContext, "c0bfa96c-e089-44fb-8eaf-26f8796190da");

struct DECLSPEC_NOVTABLE ID3D11Device : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateBuffer(const D3D11_BUFFER_DESC* desc,
                                                 const D3D11_SUBRESOURCE_DATA* initialData, ID3D11Buffer** buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateTexture1D(const D3D11_TEXTURE1D_DESC* desc,
                                                    const D3D11_SUBRESOURCE_DATA* initialData,
                                                    ID3D11Texture1D** texture1D) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateTexture2D(const D3D11_TEXTURE2D_DESC* desc,
                                                    const D3D11_SUBRESOURCE_DATA* initialData,
                                                    ID3D11Texture2D** texture2D) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateTexture3D(const D3D11_TEXTURE3D_DESC* desc,
                                                    const D3D11_SUBRESOURCE_DATA* initialData,
                                                    ID3D11Texture3D** texture3D) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateShaderResourceView(ID3D11Resource* resource,
                                                             const D3D11_SHADER_RESOURCE_VIEW_DESC* desc,
                                                             ID3D11ShaderResourceView** srView) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateUnorderedAccessView(ID3D11Resource* resource,
                                                              const D3D11_UNORDERED_ACCESS_VIEW_DESC* desc,
                                                              ID3D11UnorderedAccessView** uaView) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateRenderTargetView(ID3D11Resource* resource,
                                                           const D3D11_RENDER_TARGET_VIEW_DESC* desc,
                                                           ID3D11RenderTargetView** rtView) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateDepthStencilView(ID3D11Resource* resource,
                                                           const D3D11_DEPTH_STENCIL_VIEW_DESC* desc,
                                                           ID3D11DepthStencilView** depthStencilView) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateInputLayout(const D3D11_INPUT_ELEMENT_DESC* inputElementDescs,
                                                      UINT numElements, const void* shaderBytecodeWithInputSignature,
                                                      SIZE_T bytecodeLength, ID3D11InputLayout** inputLayout) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateVertexShader(const void* shaderBytecode, SIZE_T bytecodeLength,
                                                       ID3D11ClassLinkage* classLinkage,
                                                       ID3D11VertexShader** vertexShader) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateGeometryShader(const void* shaderBytecode, SIZE_T bytecodeLength,
                                                         ID3D11ClassLinkage* classLinkage,
                                                         ID3D11GeometryShader** geometryShader) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateGeometryShaderWithStreamOutput(
      const void* shaderBytecode, SIZE_T bytecodeLength, const D3D11_SO_DECLARATION_ENTRY* soDeclaration,
      UINT numEntries, const UINT* bufferStrides, UINT numStrides, UINT rasterizedStream,
      ID3D11ClassLinkage* classLinkage, ID3D11GeometryShader** geometryShader) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreatePixelShader(const void* shaderBytecode, SIZE_T bytecodeLength,
                                                      ID3D11ClassLinkage* classLinkage,
                                                      ID3D11PixelShader** pixelShader) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateHullShader(const void* shaderBytecode, SIZE_T bytecodeLength,
                                                     ID3D11ClassLinkage* classLinkage,
                                                     ID3D11HullShader** hullShader) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateDomainShader(const void* shaderBytecode, SIZE_T bytecodeLength,
                                                       ID3D11ClassLinkage* classLinkage,
                                                       ID3D11DomainShader** domainShader) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateComputeShader(const void* shaderBytecode, SIZE_T bytecodeLength,
                                                        ID3D11ClassLinkage* classLinkage,
                                                        ID3D11ComputeShader** computeShader) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateClassLinkage(ID3D11ClassLinkage** linkage) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateBlendState(const D3D11_BLEND_DESC* blendStateDesc,
                                                     ID3D11BlendState** blendState) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateDepthStencilState(const D3D11_DEPTH_STENCIL_DESC* depthStencilDesc,
                                                            ID3D11DepthStencilState** depthStencilState) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateRasterizerState(const D3D11_RASTERIZER_DESC* rasterizerDesc,
                                                          ID3D11RasterizerState** rasterizerState) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateSamplerState(const D3D11_SAMPLER_DESC* samplerDesc,
                                                       ID3D11SamplerState** samplerState) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateQuery(const D3D11_QUERY_DESC* queryDesc, ID3D11Query** query) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreatePredicate(const D3D11_QUERY_DESC* predicateDesc,
                                                    ID3D11Predicate** predicate) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateCounter(const D3D11_COUNTER_DESC* counterDesc, ID3D11Counter** counter) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateDeferredContext(UINT contextFlags, ID3D11DeviceContext** deferredContext) = 0;
  virtual HRESULT STDMETHODCALLTYPE OpenSharedResource(HANDLE resource, REFIID returnedInterface,
                                                       void** resourceOut) = 0;
  virtual HRESULT STDMETHODCALLTYPE CheckFormatSupport(DXGI_FORMAT format, UINT* formatSupport) = 0;
  virtual HRESULT STDMETHODCALLTYPE CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT sampleCount,
                                                                  UINT* numQualityLevels) = 0;
  virtual void STDMETHODCALLTYPE CheckCounterInfo(D3D11_COUNTER_INFO* counterInfo) = 0;
  virtual HRESULT STDMETHODCALLTYPE CheckCounter(const D3D11_COUNTER_DESC* desc, D3D11_COUNTER_TYPE* type,
                                                 UINT* activeCounters, LPSTR name, UINT* nameLength, LPSTR units,
                                                 UINT* unitsLength, LPSTR description, UINT* descriptionLength) = 0;
  virtual HRESULT STDMETHODCALLTYPE CheckFeatureSupport(D3D11_FEATURE feature, void* featureSupportData,
                                                        UINT featureSupportDataSize) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID guid, UINT* dataSize, void* data) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID guid, UINT dataSize, const void* data) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID guid, const IUnknown* data) = 0;
  virtual D3D_FEATURE_LEVEL STDMETHODCALLTYPE GetFeatureLevel() = 0;
  virtual UINT STDMETHODCALLTYPE GetCreationFlags() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDeviceRemovedReason() = 0;
  virtual void STDMETHODCALLTYPE GetImmediateContext(ID3D11DeviceContext** immediateContext) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetExceptionMode(UINT raiseFlags) = 0;
  virtual UINT STDMETHODCALLTYPE GetExceptionMode() = 0;
};
ZR_DECLARE_UUID(ID3D11Device, "db6f6ddb-ac77-4e88-8253-819df9bbf140");

#define D3D11_DEBUG_FEATURE_FLUSH_PER_RENDER_OP 0x1
#define D3D11_DEBUG_FEATURE_FINISH_PER_RENDER_OP 0x2
#define D3D11_DEBUG_FEATURE_PRESENT_PER_RENDER_OP 0x4

struct DECLSPEC_NOVTABLE ID3D11Debug : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetFeatureMask(UINT mask) = 0;
  virtual UINT STDMETHODCALLTYPE GetFeatureMask() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPresentPerRenderOpDelay(UINT milliseconds) = 0;
  virtual UINT STDMETHODCALLTYPE GetPresentPerRenderOpDelay() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSwapChain(IDXGISwapChain* swapChain) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSwapChain(IDXGISwapChain** swapChain) = 0;
  virtual HRESULT STDMETHODCALLTYPE ValidateContext(ID3D11DeviceContext* context) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReportLiveDeviceObjects(D3D11_RLDO_FLAGS flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE ValidateContextForDispatch(ID3D11DeviceContext* context) = 0;
};
ZR_DECLARE_UUID(ID3D11Debug, "79cf2233-7536-4948-9d36-1e4692dc5760");

#define D3D11_ERROR_FILE_NOT_FOUND ((HRESULT)0x887C0002L)
#define D3D11_ERROR_TOO_MANY_UNIQUE_STATE_OBJECTS ((HRESULT)0x887C0001L)
#define D3D11_ERROR_TOO_MANY_UNIQUE_VIEW_OBJECTS ((HRESULT)0x887C0003L)
#define D3D11_ERROR_DEFERRED_CONTEXT_MAP_WITHOUT_INITIAL_DISCARD ((HRESULT)0x887C0004L)

// Creates a device and its immediate context on the best adapter (no window needed).
STDAPI D3D11CreateDevice(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType, HMODULE software, UINT flags,
                         const D3D_FEATURE_LEVEL* featureLevels, UINT numFeatureLevels, UINT sdkVersion,
                         ID3D11Device** device, D3D_FEATURE_LEVEL* featureLevel,
                         ID3D11DeviceContext** immediateContext);

// Creates a device as D3D11CreateDevice does, and a swap chain for the described window.
STDAPI D3D11CreateDeviceAndSwapChain(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType, HMODULE software, UINT flags,
                                     const D3D_FEATURE_LEVEL* featureLevels, UINT numFeatureLevels, UINT sdkVersion,
                                     const DXGI_SWAP_CHAIN_DESC* swapChainDesc, IDXGISwapChain** swapChain,
                                     ID3D11Device** device, D3D_FEATURE_LEVEL* featureLevel,
                                     ID3D11DeviceContext** immediateContext);
