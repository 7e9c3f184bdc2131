// pipeline_state_t: every Direct3D object of the engine in one record, read through a
// pointer by the engine, the primitives, the debug line renderer and the view frustum.
// InitSync: what the threaded construction of the pipeline (and of each primitive) shares.
#pragma once

#include <d3d11.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

struct InitSync {
  // Held by the engine's constructor while it waits for the two signals below.
  std::mutex* InitMutex = nullptr;
  // Signalled (all waiters) when the device, the contexts and the swap chain exist.
  std::condition_variable* DeviceReady = nullptr;
  // Signalled (all waiters) when the vertex shader and its bytecode exist.
  std::condition_variable* VertexShaderReady = nullptr;
  // Set to true when the depth texture exists; a fresh promise before every rebuild.
  std::promise<bool>* DepthBufferReady = nullptr;
  // Set to true when the deferred context exists.
  std::promise<bool>* DeferredContextReady = nullptr;
  // Every worker started by the engine or by a primitive's constructor; whoever starts
  // workers joins and removes all of them before it returns.
  std::vector<std::thread> Threads;
};

struct pipeline_state_t {
  IDXGISwapChain* SwapChain = nullptr;
  ID3D11Device* Device = nullptr;
  ID3D11DeviceContext* Context = nullptr;
  ID3D11DeviceContext* DefferedContext = nullptr;
  ID3D11InputLayout* Input_Layout = nullptr;
  ID3D11VertexShader* Vertex_Shader = nullptr;
  ID3D11GeometryShader* Geometry_Shader = nullptr;
  ID3D11GeometryShader* Grass_Geometry_Shader = nullptr;
  ID3D11PixelShader* Pixel_Shader_Default = nullptr;
  ID3D11PixelShader* Pixel_Shader = nullptr;
  ID3D11PixelShader* Pixel_Shader_SkyBox = nullptr;
  ID3D11RenderTargetView* Render_Target = nullptr;
  ID3D11Texture2D* DepthStencilBuffer = nullptr;
  ID3D11Texture2D* BackBuffer = nullptr;
  ID3D11DepthStencilState* DepthStencilState = nullptr;
  ID3D11DepthStencilView* DepthStencilView = nullptr;
  ID3D11RasterizerState* RasterState = nullptr;
  // Only element 0 is ever made.
  ID3D11Buffer* VertexBuffer[1024] = {};
  ID3D11Buffer* IndexBuffer = nullptr;
  ID3D11Buffer* InstanceBuffer = nullptr;
  ID3D11Buffer* ConstVertexBuffer = nullptr;
  ID3D11Buffer* ConstTessellationBuffer = nullptr;
  ID3D11Buffer* ConstGrassBuffer = nullptr;
  ID3D11Buffer* ConstLightBuffer = nullptr;
  // Obtained on demand for the live-object report.
  ID3D11Debug* pDeviceDebug = nullptr;
  ID3D11SamplerState* SamplerState = nullptr;
  // Owned by the record.
  D3D11_VIEWPORT* Viewport = nullptr;
  // Owned by the record.
  InitSync* Sync = nullptr;
};
