// Engine: owns every Direct3D object of the system in one pipeline_state_t, builds it on
// worker threads at construction, holds the scene's buffers, and renders and presents
// the frames.
#pragma once

#include <DirectXMath.h>
#include <d3d11.h>
#include <d3dcompiler.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/pipeline.h"
#include "scene/primitive.h"
#include "scene/vertex.h"
#include "view/lights.h"

// One instanced indexed draw of a primitive (or of a part of its instances, since one
// draw places at most MaxInstancesPerDraw of them).
struct PrimitiveDraw {
  uint32_t IndexCount;
  uint32_t InstanceCount;
  uint32_t FirstIndex;        // into the scene's index buffer
  uint32_t BaseVertex;        // into the scene's vertex buffer
  uint32_t FirstInstance;     // into the scene's instance numbering
  uint32_t FirstOwnInstance;  // the primitive's own instance the draw starts at
};

// The draws of each primitive, in order, over the scene buffers SetScene builds from the
// same primitives: primitive i starts at the sums of the index, vertex and instance
// counts of the primitives before it. A primitive without instances gets one draw of
// zero instances.
std::vector<std::vector<PrimitiveDraw>> PlanDraws(const std::vector<Primitive*>& primitives);

class Engine {
 public:
  // How the constructor runs the initialisation steps: each on its own worker thread,
  // ordered only where one needs another's result, or one after another on the
  // constructor's thread in the same order (a baseline for measuring the schedule).
  enum class Schedule { Threaded, Sequential };

  // Builds every pipeline object; returns when the pipeline is complete.
  Engine(HWND window, float width, float height, Schedule schedule = Schedule::Threaded);
  // Releases every Direct3D object, with a live-object report before the device goes.
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  pipeline_state_t* GetPipeline();
  // Borrows the primitives, in drawing order, and builds the vertex, index and instance
  // buffers from them.
  void SetScene(std::vector<Primitive*> primitives);
  // Appends the lights; nothing is cleared.
  void SetLights(std::vector<DirectionalLight*> directionalLights, std::vector<PointLight*> pointLights,
                 std::vector<SpotLight*> spotLights);
  void SetViewMatrix(DirectX::XMMATRIX view);
  void SetProjectionMatrix(DirectX::XMMATRIX projection);
  // Draws the primitives given to SetScene (the same, in the same order) and their axes.
  void RenderFrame(std::vector<Primitive*> primitives);
  void PresentFrame();
  // Rebuilds the size-dependent targets; false when the size did not change. The viewport
  // keeps the size it had at start-up.
  bool Resize(float width, float height);
  // A detailed report of the device's live objects to the debugger output.
  void ReportLiveObjects();

  // The initialisation steps: the constructor runs them on worker threads, each needing
  // only what the schedule has made before it starts.
  void InitDeviceAndSwapChain(pipeline_state_t* Pipeline, HWND window, float width, float height, bool windowed,
                              int32_t sampleCount);
  void InitVertexShader(pipeline_state_t* Pipeline);
  void InitGeometryShaders(pipeline_state_t* Pipeline);
  void InitPixelShaders(pipeline_state_t* Pipeline);
  void InitRasterizerState(pipeline_state_t* Pipeline);
  void InitRenderTarget(pipeline_state_t* Pipeline);
  void InitDepthBuffer(pipeline_state_t* Pipeline);
  void InitDepthStencilState(pipeline_state_t* Pipeline);
  void InitConstantBuffers(pipeline_state_t* Pipeline);
  void InitSamplerState(pipeline_state_t* Pipeline);
  void InitDeferredContext(pipeline_state_t* Pipeline);
  void InitInputLayout(pipeline_state_t* Pipeline);
  void InitDepthStencilView(pipeline_state_t* Pipeline);
  void InitViewport(pipeline_state_t* Pipeline);

  // The scene buffers, built by SetScene.
  void InitVertexBuffer(pipeline_state_t* Pipeline, std::vector<Mesh> meshes);
  void InitIndexBuffer(pipeline_state_t* Pipeline, std::vector<Mesh> meshes);
  void InitInstanceBuffer(pipeline_state_t* Pipeline, std::vector<Primitive*> primitives);

  HWND Window;
  pipeline_state_t* pPipeline;
  float WindowWidth;
  float WindowHeight;
  DirectX::XMMATRIX World;
  DirectX::XMMATRIX View;
  DirectX::XMMATRIX Projection;
  ID3DBlob* VSPointer = nullptr;
  ID3DBlob* PSPointer = nullptr;
  ID3DBlob* PSPointer1 = nullptr;
  ID3DBlob* PSPointer2 = nullptr;
  ID3DBlob* GSPointer = nullptr;
  ID3DBlob* GSPointer1 = nullptr;
  std::vector<Primitive*> Primitives;
  std::vector<DirectionalLight*> DirectionalLights;
  std::vector<PointLight*> PointLights;
  std::vector<SpotLight*> SpotLights;
  int32_t SampleCount;
  DirectX::XMFLOAT3 CameraPosition{0, 0, 0};

 private:
  // Releases and recreates the four size-dependent objects for the current size.
  void RebuildTargets();
  // Starts a step on a worker thread kept in the pipeline's thread list, or runs it to
  // completion here when the schedule is sequential.
  template <typename Step, typename... Args>
  void StartStep(Step step, Args... args);
  void JoinSteps();
  // Signals one of the two conditions; a wait made after the signal still sees it.
  void Signal(std::condition_variable* condition, bool& signalled);
  void WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable* condition, const bool& signalled);

  // What the sites below pass as NULL for a count or for no flags, as on Windows.
  static HRESULT D3DCompileFromFile(LPCWSTR fileName, const D3D_SHADER_MACRO* defines, ID3DInclude* include,
                                    LPCSTR entryPoint, LPCSTR target, UINT flags1, std::nullptr_t noFlags2,
                                    ID3DBlob** code, ID3DBlob** errorMessages);
  static HRESULT D3D11CreateDeviceAndSwapChain(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType, HMODULE software,
                                               UINT flags, const D3D_FEATURE_LEVEL* featureLevels,
                                               std::nullptr_t noFeatureLevelCount, UINT sdkVersion,
                                               const DXGI_SWAP_CHAIN_DESC* swapChainDesc, IDXGISwapChain** swapChain,
                                               ID3D11Device** device, D3D_FEATURE_LEVEL* featureLevel,
                                               ID3D11DeviceContext** context);

  // Set under InitMutex when DeviceReady and VertexShaderReady have been signalled.
  bool DeviceSignalled = false;
  bool VertexShaderSignalled = false;
  bool Sequential = false;
};
