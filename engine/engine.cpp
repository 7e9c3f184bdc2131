#include "engine/engine.h"

#include <algorithm>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "debug/debugrenderer.h"
#include "debug/failuretrace.h"
#include "engine/constantvertex.h"

using namespace DirectX;

namespace {

template <typename T>
void SafeRelease(T*& object) {
  if (object) {
    object->Release();
    object = nullptr;
  }
}

uint32_t Count(size_t n) { return static_cast<uint32_t>(n); }

}  // namespace

std::vector<std::vector<PrimitiveDraw>> PlanDraws(const std::vector<Primitive*>& primitives) {
  std::vector<std::vector<PrimitiveDraw>> plans;
  plans.reserve(primitives.size());
  uint32_t firstIndex = 0, baseVertex = 0, firstInstance = 0;
  for (const Primitive* primitive : primitives) {
    const uint32_t indexCount = Count(primitive->Geometry.Indices.size());
    const uint32_t instanceCount = Count(primitive->Instances.size());
    std::vector<PrimitiveDraw>& draws = plans.emplace_back();
    uint32_t start = 0;
    do {
      const uint32_t count = std::min(instanceCount - start, MaxInstancesPerDraw);
      draws.push_back({indexCount, count, firstIndex, baseVertex, firstInstance + start, start});
      start += count;
    } while (start < instanceCount);
    firstIndex += indexCount;
    baseVertex += Count(primitive->Geometry.Vertices.size());
    firstInstance += instanceCount;
  }
  return plans;
}

// ---- Construction and shutdown -------------------------------------------------------------

Engine::Engine(HWND window, float width, float height, Schedule schedule)
    : Window(window),
      pPipeline(new pipeline_state_t{}),
      WindowWidth(width),
      WindowHeight(height),
      World(XMMatrixIdentity()),
      View{},
      Projection{},
      SampleCount(8),
      Sequential(schedule == Schedule::Sequential) {
  InitSync* sync = pPipeline->Sync = new InitSync{};
  sync->InitMutex = new std::mutex;
  sync->DeviceReady = new std::condition_variable;
  sync->VertexShaderReady = new std::condition_variable;
  sync->DepthBufferReady = new std::promise<bool>;
  sync->DeferredContextReady = new std::promise<bool>;

  StartStep(&Engine::InitDeviceAndSwapChain, pPipeline, Window, WindowWidth, WindowHeight, true, SampleCount);
  {
    // A step run in place signals under this mutex, and has signalled before any wait.
    std::unique_lock<std::mutex> lock(*sync->InitMutex, std::defer_lock);
    if (!Sequential) lock.lock();
    WaitFor(lock, sync->DeviceReady, DeviceSignalled);
    StartStep(&Engine::InitVertexShader, pPipeline);
    StartStep(&Engine::InitGeometryShaders, pPipeline);
    StartStep(&Engine::InitPixelShaders, pPipeline);
    StartStep(&Engine::InitRasterizerState, pPipeline);
    StartStep(&Engine::InitRenderTarget, pPipeline);
    StartStep(&Engine::InitDepthBuffer, pPipeline);
    StartStep(&Engine::InitDepthStencilState, pPipeline);
    StartStep(&Engine::InitConstantBuffers, pPipeline);
    StartStep(&Engine::InitSamplerState, pPipeline);
    StartStep(&Engine::InitDeferredContext, pPipeline);
    // The input layout is checked against the vertex shader's bytecode.
    WaitFor(lock, sync->VertexShaderReady, VertexShaderSignalled);
    StartStep(&Engine::InitInputLayout, pPipeline);
    sync->DepthBufferReady->get_future().wait();
    StartStep(&Engine::InitDepthStencilView, pPipeline);
  }
  // The viewport is recorded on the deferred context.
  sync->DeferredContextReady->get_future().wait();
  StartStep(&Engine::InitViewport, pPipeline);
  JoinSteps();
}

Engine::~Engine() {
  pipeline_state_t* p = pPipeline;
  SafeRelease(p->BackBuffer);
  SafeRelease(p->ConstVertexBuffer);
  SafeRelease(p->ConstLightBuffer);
  SafeRelease(p->Context);
  SafeRelease(p->DepthStencilBuffer);
  SafeRelease(p->DepthStencilState);
  SafeRelease(p->DepthStencilView);
  SafeRelease(p->IndexBuffer);
  SafeRelease(p->Input_Layout);
  SafeRelease(p->Pixel_Shader);
  SafeRelease(p->RasterState);
  SafeRelease(p->Render_Target);
  for (ID3D11Buffer*& buffer : p->VertexBuffer) SafeRelease(buffer);
  SafeRelease(p->Vertex_Shader);
  SafeRelease(p->SamplerState);
  SafeRelease(p->Pixel_Shader_Default);
  SafeRelease(p->Pixel_Shader_SkyBox);
  SafeRelease(p->InstanceBuffer);
  SafeRelease(p->Geometry_Shader);
  SafeRelease(p->ConstTessellationBuffer);
  SafeRelease(p->Grass_Geometry_Shader);
  SafeRelease(p->ConstGrassBuffer);
  SafeRelease(p->SwapChain);
  SafeRelease(p->DefferedContext);
  // What is still alive now has been leaked.
  if (!p->pDeviceDebug) ReportLiveObjects();
  SafeRelease(p->pDeviceDebug);
  SafeRelease(p->Device);

  delete p->Viewport;
  p->Viewport = nullptr;
  InitSync* sync = p->Sync;
  delete sync->InitMutex;
  delete sync->DeviceReady;
  delete sync->VertexShaderReady;
  delete sync->DepthBufferReady;
  delete sync->DeferredContextReady;
  delete sync;
  delete p;
  pPipeline = nullptr;

  // The bytecode is no Direct3D object, so it goes after the report.
  for (ID3DBlob** blob : {&VSPointer, &PSPointer, &PSPointer1, &PSPointer2, &GSPointer, &GSPointer1})
    SafeRelease(*blob);
}

template <typename Step, typename... Args>
void Engine::StartStep(Step step, Args... args) {
  if (Sequential)
    (this->*step)(args...);
  else
    pPipeline->Sync->Threads.emplace_back(step, this, args...);
}

void Engine::JoinSteps() {
  std::vector<std::thread>& threads = pPipeline->Sync->Threads;
  for (std::thread& thread : threads) thread.join();
  threads.clear();
}

void Engine::Signal(std::condition_variable* condition, bool& signalled) {
  {
    std::lock_guard<std::mutex> lock(*pPipeline->Sync->InitMutex);
    signalled = true;
  }
  condition->notify_all();
}

void Engine::WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable* condition, const bool& signalled) {
  if (!signalled) condition->wait(lock, [&] { return signalled; });
}

HRESULT Engine::D3DCompileFromFile(LPCWSTR fileName, const D3D_SHADER_MACRO* defines, ID3DInclude* include,
                                   LPCSTR entryPoint, LPCSTR target, UINT flags1, std::nullptr_t, ID3DBlob** code,
                                   ID3DBlob** errorMessages) {
  return ::D3DCompileFromFile(fileName, defines, include, entryPoint, target, flags1, 0, code, errorMessages);
}

HRESULT Engine::D3D11CreateDeviceAndSwapChain(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType, HMODULE software,
                                              UINT flags, const D3D_FEATURE_LEVEL* featureLevels, std::nullptr_t,
                                              UINT sdkVersion, const DXGI_SWAP_CHAIN_DESC* swapChainDesc,
                                              IDXGISwapChain** swapChain, ID3D11Device** device,
                                              D3D_FEATURE_LEVEL* featureLevel, ID3D11DeviceContext** context) {
  return ::D3D11CreateDeviceAndSwapChain(adapter, driverType, software, flags, featureLevels, 0, sdkVersion,
                                         swapChainDesc, swapChain, device, featureLevel, context);
}

pipeline_state_t* Engine::GetPipeline() { return pPipeline; }

void Engine::ReportLiveObjects() {
  if (!pPipeline->pDeviceDebug && pPipeline->Device)
    CHECK_HR(pPipeline->Device->QueryInterface(IID_PPV_ARGS(&pPipeline->pDeviceDebug)));
  if (pPipeline->pDeviceDebug) pPipeline->pDeviceDebug->ReportLiveDeviceObjects(D3D11_RLDO_DETAIL);
}

// ---- Device, swap chain and fixed state ----------------------------------------------------

void Engine::InitDeviceAndSwapChain(pipeline_state_t* Pipeline, HWND window, float width, float height, bool windowed,
                                    int32_t sampleCount) {
  DXGI_SWAP_CHAIN_DESC SwapChainDesc{};
  SwapChainDesc.BufferDesc.Width = static_cast<UINT>(width);
  SwapChainDesc.BufferDesc.Height = static_cast<UINT>(height);
  SwapChainDesc.BufferDesc.RefreshRate.Numerator = 60;
  SwapChainDesc.BufferDesc.RefreshRate.Denominator = 1;
  SwapChainDesc.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  SwapChainDesc.BufferDesc.ScanlineOrdering = DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED;
  SwapChainDesc.BufferDesc.Scaling = DXGI_MODE_SCALING_UNSPECIFIED;
  SwapChainDesc.SampleDesc.Count = static_cast<UINT>(sampleCount);
  SwapChainDesc.SampleDesc.Quality = 0;
  SwapChainDesc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  SwapChainDesc.BufferCount = 1;
  SwapChainDesc.OutputWindow = window;
  SwapChainDesc.Windowed = windowed;
  SwapChainDesc.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
  SwapChainDesc.Flags = DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH;
  const UINT CreationFlag = D3D11_CREATE_DEVICE_BGRA_SUPPORT | D3D11_CREATE_DEVICE_DEBUG;

  CHECK_HR(D3D11CreateDeviceAndSwapChain(NULL, D3D_DRIVER_TYPE_HARDWARE, NULL, CreationFlag, NULL, NULL,
                                         D3D11_SDK_VERSION, &SwapChainDesc, &pPipeline->SwapChain, &Pipeline->Device,
                                         NULL, &Pipeline->Context));
  Signal(Pipeline->Sync->DeviceReady, DeviceSignalled);
}

void Engine::InitDeferredContext(pipeline_state_t* Pipeline) {
  if (pPipeline->Device) CHECK_HR(pPipeline->Device->CreateDeferredContext(0, &Pipeline->DefferedContext));
  Pipeline->Sync->DeferredContextReady->set_value(true);
}

void Engine::InitRenderTarget(pipeline_state_t* Pipeline) {
  if (pPipeline->SwapChain)
    CHECK_HR(pPipeline->SwapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), (LPVOID*)&Pipeline->BackBuffer));
  if (Pipeline->Device && Pipeline->BackBuffer)
    CHECK_HR(Pipeline->Device->CreateRenderTargetView(Pipeline->BackBuffer, NULL, &Pipeline->Render_Target));
}

void Engine::InitDepthBuffer(pipeline_state_t* Pipeline) {
  D3D11_TEXTURE2D_DESC DepthDesc{};
  DepthDesc.Width = static_cast<UINT>(WindowWidth);
  DepthDesc.Height = static_cast<UINT>(WindowHeight);
  DepthDesc.MipLevels = 1;
  DepthDesc.ArraySize = 1;
  DepthDesc.Format = DXGI_FORMAT_D24_UNORM_S8_UINT;
  DepthDesc.SampleDesc.Count = static_cast<UINT>(SampleCount);
  DepthDesc.SampleDesc.Quality = 0;
  DepthDesc.Usage = D3D11_USAGE_DEFAULT;
  DepthDesc.BindFlags = D3D11_BIND_DEPTH_STENCIL;
  DepthDesc.CPUAccessFlags = 0;
  DepthDesc.MiscFlags = 0;
  if (Pipeline->Device) CHECK_HR(Pipeline->Device->CreateTexture2D(&DepthDesc, NULL, &Pipeline->DepthStencilBuffer));
  Pipeline->Sync->DepthBufferReady->set_value(true);
}

void Engine::InitDepthStencilView(pipeline_state_t* Pipeline) {
  if (Pipeline->Device && Pipeline->DepthStencilBuffer)
    CHECK_HR(
        Pipeline->Device->CreateDepthStencilView(Pipeline->DepthStencilBuffer, nullptr, &Pipeline->DepthStencilView));
}

void Engine::InitDepthStencilState(pipeline_state_t* Pipeline) {
  D3D11_DEPTH_STENCIL_DESC DepthDesc{};
  DepthDesc.DepthEnable = TRUE;
  DepthDesc.DepthWriteMask = D3D11_DEPTH_WRITE_MASK_ALL;
  DepthDesc.DepthFunc = D3D11_COMPARISON_LESS;
  DepthDesc.StencilEnable = TRUE;
  DepthDesc.StencilReadMask = 0xFF;
  DepthDesc.StencilWriteMask = 0xFF;
  DepthDesc.FrontFace.StencilFailOp = D3D11_STENCIL_OP_KEEP;
  DepthDesc.FrontFace.StencilDepthFailOp = D3D11_STENCIL_OP_INCR;
  DepthDesc.FrontFace.StencilPassOp = D3D11_STENCIL_OP_KEEP;
  DepthDesc.FrontFace.StencilFunc = D3D11_COMPARISON_ALWAYS;
  DepthDesc.BackFace.StencilFailOp = D3D11_STENCIL_OP_KEEP;
  DepthDesc.BackFace.StencilDepthFailOp = D3D11_STENCIL_OP_DECR;
  DepthDesc.BackFace.StencilPassOp = D3D11_STENCIL_OP_KEEP;
  DepthDesc.BackFace.StencilFunc = D3D11_COMPARISON_ALWAYS;
  if (Pipeline->Device) CHECK_HR(Pipeline->Device->CreateDepthStencilState(&DepthDesc, &Pipeline->DepthStencilState));
}

void Engine::InitRasterizerState(pipeline_state_t* Pipeline) {
  D3D11_RASTERIZER_DESC RasterDesc{};
  RasterDesc.FillMode = D3D11_FILL_SOLID;
  RasterDesc.CullMode = D3D11_CULL_BACK;
  RasterDesc.FrontCounterClockwise = FALSE;
  RasterDesc.DepthBias = 0;
  RasterDesc.DepthBiasClamp = 0.0f;
  RasterDesc.SlopeScaledDepthBias = 0.0f;
  RasterDesc.DepthClipEnable = TRUE;
  RasterDesc.ScissorEnable = FALSE;
  RasterDesc.MultisampleEnable = TRUE;
  RasterDesc.AntialiasedLineEnable = TRUE;
  if (Pipeline->Device) CHECK_HR(Pipeline->Device->CreateRasterizerState(&RasterDesc, &Pipeline->RasterState));
}

void Engine::InitSamplerState(pipeline_state_t*) {
  D3D11_SAMPLER_DESC SamplerDesc{};
  SamplerDesc.Filter = D3D11_FILTER_MIN_MAG_MIP_LINEAR;
  SamplerDesc.AddressU = D3D11_TEXTURE_ADDRESS_WRAP;
  SamplerDesc.AddressV = D3D11_TEXTURE_ADDRESS_WRAP;
  SamplerDesc.AddressW = D3D11_TEXTURE_ADDRESS_WRAP;
  SamplerDesc.MipLODBias = 0;
  SamplerDesc.MaxAnisotropy = 0;
  SamplerDesc.ComparisonFunc = D3D11_COMPARISON_NEVER;
  // Never sampled with wrap addressing.
  SamplerDesc.BorderColor[0] = 244;
  SamplerDesc.BorderColor[1] = 66;
  SamplerDesc.BorderColor[2] = 188;
  SamplerDesc.BorderColor[3] = 1;
  SamplerDesc.MinLOD = 0;
  SamplerDesc.MaxLOD = D3D11_FLOAT32_MAX;
  if (pPipeline->Device) CHECK_HR(pPipeline->Device->CreateSamplerState(&SamplerDesc, &pPipeline->SamplerState));
}

void Engine::InitViewport(pipeline_state_t* Pipeline) {
  delete Pipeline->Viewport;
  Pipeline->Viewport = new D3D11_VIEWPORT{0.0f, 0.0f, WindowWidth, WindowHeight, 0.0f, 1.0f};
  if (Pipeline->DefferedContext) Pipeline->DefferedContext->RSSetViewports(1, Pipeline->Viewport);
}

bool Engine::Resize(float width, float height) {
  if (width == WindowWidth && height == WindowHeight) return false;
  WindowWidth = width;
  WindowHeight = height;
  RebuildTargets();
  return true;
}

void Engine::RebuildTargets() {
  pipeline_state_t* p = pPipeline;
  if (p->SwapChain) {
    if (p->DefferedContext) p->DefferedContext->OMSetRenderTargets(0, nullptr, nullptr);
    SafeRelease(p->Render_Target);
    SafeRelease(p->DepthStencilBuffer);
    SafeRelease(p->DepthStencilView);
    SafeRelease(p->BackBuffer);
    CHECK_HR(pPipeline->SwapChain->ResizeBuffers(0, (UINT)WindowWidth, (UINT)WindowHeight, DXGI_FORMAT_UNKNOWN, 0));
    delete p->Sync->DepthBufferReady;
    p->Sync->DepthBufferReady = new std::promise<bool>;
    StartStep(&Engine::InitDepthBuffer, p);
    StartStep(&Engine::InitRenderTarget, p);
    p->Sync->DepthBufferReady->get_future().wait();
    StartStep(&Engine::InitDepthStencilView, p);
  }
  JoinSteps();
}

// ---- Shaders and input layout --------------------------------------------------------------

void Engine::InitVertexShader(pipeline_state_t* Pipeline) {
  ID3DBlob* VSError = nullptr;
  CHECK_HR(D3DCompileFromFile(L"VertexShader.hlsl", NULL, NULL, "VS", "vs_5_0", D3DCOMPILE_DEBUG, NULL, &VSPointer,
                              &VSError));
  SafeRelease(VSError);
  if (Pipeline->Device && VSPointer)
    CHECK_HR(Pipeline->Device->CreateVertexShader(VSPointer->GetBufferPointer(), VSPointer->GetBufferSize(), NULL,
                                                  &Pipeline->Vertex_Shader));
  Signal(Pipeline->Sync->VertexShaderReady, VertexShaderSignalled);
}

void Engine::InitGeometryShaders(pipeline_state_t* Pipeline) {
  ID3DBlob* GSError = nullptr;
  ID3DBlob* GSError1 = nullptr;
  CHECK_HR(D3DCompileFromFile(L"GeometryShader.hlsl", NULL, NULL, "GS", "gs_5_0", D3DCOMPILE_DEBUG, NULL, &GSPointer,
                              &GSError));
  SafeRelease(GSError);
  if (Pipeline->Device && GSPointer)
    CHECK_HR(Pipeline->Device->CreateGeometryShader(GSPointer->GetBufferPointer(), GSPointer->GetBufferSize(), NULL,
                                                    &Pipeline->Geometry_Shader));
  CHECK_HR(D3DCompileFromFile(L"GrassGeometryShader.hlsl", NULL, NULL, "GS", "gs_5_0", D3DCOMPILE_DEBUG, NULL,
                              &GSPointer1, &GSError1));
  SafeRelease(GSError1);
  if (Pipeline->Device && GSPointer1)
    CHECK_HR(Pipeline->Device->CreateGeometryShader(GSPointer1->GetBufferPointer(), GSPointer1->GetBufferSize(), NULL,
                                                    &Pipeline->Grass_Geometry_Shader));
}

void Engine::InitPixelShaders(pipeline_state_t* Pipeline) {
  ID3DBlob* PSError = nullptr;
  ID3DBlob* PSError1 = nullptr;
  ID3DBlob* PSError2 = nullptr;
  CHECK_HR(D3DCompileFromFile(L"LightPixelShader.hlsl", NULL, NULL, "PS", "ps_5_0",
                              D3DCOMPILE_DEBUG | D3DCOMPILE_SKIP_OPTIMIZATION, NULL, &PSPointer, &PSError));
  SafeRelease(PSError);
  if (Pipeline->Device && PSPointer)
    CHECK_HR(Pipeline->Device->CreatePixelShader(PSPointer->GetBufferPointer(), PSPointer->GetBufferSize(), NULL,
                                                 &Pipeline->Pixel_Shader));
  CHECK_HR(D3DCompileFromFile(L"PixelShaderSkybox.hlsl", NULL, NULL, "PS", "ps_5_0",
                              D3DCOMPILE_DEBUG | D3DCOMPILE_SKIP_OPTIMIZATION, NULL, &PSPointer1, &PSError1));
  SafeRelease(PSError1);
  if (Pipeline->Device && PSPointer1)
    CHECK_HR(Pipeline->Device->CreatePixelShader(PSPointer1->GetBufferPointer(), PSPointer1->GetBufferSize(), NULL,
                                                 &Pipeline->Pixel_Shader_SkyBox));
  CHECK_HR(D3DCompileFromFile(L"DefaultPixelShader.hlsl", NULL, NULL, "PS", "ps_5_0",
                              D3DCOMPILE_DEBUG | D3DCOMPILE_SKIP_OPTIMIZATION, NULL, &PSPointer2, &PSError2));
  SafeRelease(PSError2);
  if (Pipeline->Device && PSPointer2)
    CHECK_HR(Pipeline->Device->CreatePixelShader(PSPointer2->GetBufferPointer(), PSPointer2->GetBufferSize(), NULL,
                                                 &Pipeline->Pixel_Shader_Default));
}

void Engine::InitInputLayout(pipeline_state_t* Pipeline) {
  const D3D11_INPUT_ELEMENT_DESC InputLayout[4] = {
      {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
      {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
      {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
      {"NORMAL", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
  };
  if (Pipeline->Device && VSPointer)
    CHECK_HR(Pipeline->Device->CreateInputLayout(InputLayout, 4, VSPointer->GetBufferPointer(),
                                                 VSPointer->GetBufferSize(), &Pipeline->Input_Layout));
}

// ---- Buffers -------------------------------------------------------------------------------

void Engine::InitConstantBuffers(pipeline_state_t* Pipeline) {
  if (!Pipeline->Device) return;
  auto describe = [](UINT byteWidth) {
    D3D11_BUFFER_DESC desc{};
    desc.ByteWidth = byteWidth;
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags = D3D11_BIND_CONSTANT_BUFFER;
    desc.CPUAccessFlags = 0;
    desc.MiscFlags = 0;
    desc.StructureByteStride = 0;
    return desc;
  };
  const D3D11_BUFFER_DESC ConstVertexBufferDesc = describe(sizeof(ConstantVertex));
  const D3D11_BUFFER_DESC ConstLightBufferDesc = describe(sizeof(ConstantLights));
  const D3D11_BUFFER_DESC ConstTessellationBufferDesc = describe(16);
  const D3D11_BUFFER_DESC ConstGrassBufferDesc = describe(16);
  CHECK_HR(Pipeline->Device->CreateBuffer(&ConstVertexBufferDesc, NULL, &Pipeline->ConstVertexBuffer));
  CHECK_HR(Pipeline->Device->CreateBuffer(&ConstLightBufferDesc, NULL, &Pipeline->ConstLightBuffer));
  CHECK_HR(Pipeline->Device->CreateBuffer(&ConstTessellationBufferDesc, NULL, &Pipeline->ConstTessellationBuffer));
  CHECK_HR(Pipeline->Device->CreateBuffer(&ConstGrassBufferDesc, NULL, &Pipeline->ConstGrassBuffer));
}

void Engine::SetScene(std::vector<Primitive*> primitives) {
  Primitives.clear();
  std::vector<Mesh> meshes;
  meshes.reserve(primitives.size());
  for (Primitive* primitive : primitives) {
    Primitives.push_back(primitive);
    meshes.push_back(primitive->GetMesh());
  }
  InitVertexBuffer(pPipeline, meshes);
  InitIndexBuffer(pPipeline, meshes);
  InitInstanceBuffer(pPipeline, primitives);
}

void Engine::InitVertexBuffer(pipeline_state_t* Pipeline, std::vector<Mesh> meshes) {
  std::vector<Vertex> vertices;
  for (const Mesh& mesh : meshes) vertices.insert(vertices.end(), mesh.Vertices.begin(), mesh.Vertices.end());
  D3D11_BUFFER_DESC VertexBufferDesc{};
  VertexBufferDesc.ByteWidth = Count(sizeof(Vertex) * vertices.size());
  VertexBufferDesc.Usage = D3D11_USAGE_DYNAMIC;
  VertexBufferDesc.BindFlags = D3D11_BIND_VERTEX_BUFFER;
  VertexBufferDesc.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
  D3D11_SUBRESOURCE_DATA SR{};
  SR.pSysMem = vertices.data();
  // A second scene replaces the first one's buffer.
  SafeRelease(Pipeline->VertexBuffer[0]);
  if (Pipeline->Device) CHECK_HR(Pipeline->Device->CreateBuffer(&VertexBufferDesc, &SR, &Pipeline->VertexBuffer[0]));
}

void Engine::InitIndexBuffer(pipeline_state_t* Pipeline, std::vector<Mesh> meshes) {
  std::vector<uint32_t> indices;
  for (const Mesh& mesh : meshes) indices.insert(indices.end(), mesh.Indices.begin(), mesh.Indices.end());
  D3D11_BUFFER_DESC IndexBufferDesc{};
  IndexBufferDesc.ByteWidth = Count(sizeof(uint32_t) * indices.size());
  IndexBufferDesc.Usage = D3D11_USAGE_DEFAULT;
  IndexBufferDesc.BindFlags = D3D11_BIND_INDEX_BUFFER;
  D3D11_SUBRESOURCE_DATA SR{};
  SR.pSysMem = indices.data();
  SafeRelease(Pipeline->IndexBuffer);
  if (Pipeline->Device) CHECK_HR(Pipeline->Device->CreateBuffer(&IndexBufferDesc, &SR, &Pipeline->IndexBuffer));
}

void Engine::InitInstanceBuffer(pipeline_state_t* Pipeline, std::vector<Primitive*> primitives) {
  std::vector<uint32_t> instances;
  for (const Primitive* primitive : primitives)
    for (uint32_t j = 0; j < primitive->Instances.size(); ++j) instances.push_back(j);
  D3D11_BUFFER_DESC InstanceBufferDesc{};
  InstanceBufferDesc.ByteWidth = Count(sizeof(uint32_t) * instances.size());
  InstanceBufferDesc.Usage = D3D11_USAGE_DEFAULT;
  InstanceBufferDesc.BindFlags = D3D11_BIND_VERTEX_BUFFER;
  D3D11_SUBRESOURCE_DATA SR{};
  SR.pSysMem = instances.data();
  SafeRelease(Pipeline->InstanceBuffer);
  if (Pipeline->Device) CHECK_HR(Pipeline->Device->CreateBuffer(&InstanceBufferDesc, &SR, &Pipeline->InstanceBuffer));
}

void Engine::SetLights(std::vector<DirectionalLight*> directionalLights, std::vector<PointLight*> pointLights,
                       std::vector<SpotLight*> spotLights) {
  DirectionalLights.insert(DirectionalLights.end(), directionalLights.begin(), directionalLights.end());
  PointLights.insert(PointLights.end(), pointLights.begin(), pointLights.end());
  SpotLights.insert(SpotLights.end(), spotLights.begin(), spotLights.end());
}

void Engine::SetViewMatrix(XMMATRIX view) { View = view; }

void Engine::SetProjectionMatrix(XMMATRIX projection) { Projection = projection; }

// ---- Frames --------------------------------------------------------------------------------

void Engine::RenderFrame(std::vector<Primitive*> primitives) {
  pipeline_state_t* p = pPipeline;
  ID3D11DeviceContext* context = p->DefferedContext;
  if (!context || !p->Context) return;

  DebugRenderer Debugger(p);
  const float Color[4] = {84, 84, 84, 255};
  const float RatioColor[4] = {Color[0] / 255, Color[1] / 255, Color[2] / 255, Color[3] / 255};
  if (p->Render_Target) context->ClearRenderTargetView(p->Render_Target, RatioColor);

  const std::vector<std::vector<PrimitiveDraw>> plans = PlanDraws(primitives);
  UINT Stride = sizeof(Vertex);
  UINT Offset = 0;
  ID3D11ShaderResourceView* pNull = nullptr;
  ConstantVertex constants;
  for (size_t i = 0; i < primitives.size(); ++i) {
    Primitive& primitive = *primitives[i];
    context->IASetInputLayout(p->Input_Layout);
    context->RSSetState(p->RasterState);
    context->OMSetDepthStencilState(p->DepthStencilState, 1);
    context->OMSetRenderTargets(1, &p->Render_Target, p->DepthStencilView);
    context->IASetVertexBuffers(0, 1, &p->VertexBuffer[0], &Stride, &Offset);
    context->IASetIndexBuffer(p->IndexBuffer, DXGI_FORMAT_R32_UINT, 0);
    context->VSSetConstantBuffers(0, 1, &p->ConstVertexBuffer);
    context->PSSetSamplers(0, 1, &p->SamplerState);
    context->VSSetShader(p->Vertex_Shader, nullptr, 0);
    context->PSSetShader(p->Pixel_Shader_SkyBox, nullptr, 0);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    // The sky (first) is drawn behind everything; the depth is cleared after it.
    if (i == 1 && p->DepthStencilView) context->ClearDepthStencilView(p->DepthStencilView, D3D11_CLEAR_DEPTH, 1.0f, 0);
    if (i >= 1) context->PSSetShader(p->Pixel_Shader, nullptr, 0);

    const ConstantLights lights = PackLights(DirectionalLights, SpotLights, PointLights, CameraPosition);
    bool lightsUploaded = false;
    for (const PrimitiveDraw& draw : plans[i]) {
      constants.Surface = SurfaceParams();
      for (uint32_t j = 0; j < draw.InstanceCount; ++j)
        constants.World[j] = XMMatrixTranspose(XMMatrixMultiply(primitive.Instances[draw.FirstOwnInstance + j], World));
      constants.View = XMMatrixTranspose(View);
      constants.Projection = XMMatrixTranspose(Projection);
      if (i < Primitives.size()) constants.Surface = Primitives[i]->GetSurfaceParams();

      if (p->ConstVertexBuffer) context->UpdateSubresource(p->ConstVertexBuffer, 0, nullptr, &constants, 0, 0);
      if (!lightsUploaded) {
        if (p->ConstLightBuffer) context->UpdateSubresource(p->ConstLightBuffer, 0, nullptr, &lights, 0, 0);
        context->PSSetConstantBuffers(0, 1, &p->ConstVertexBuffer);
        context->PSSetConstantBuffers(1, 1, &p->ConstLightBuffer);
        context->PSSetShaderResources(0, 1, primitive.GetTextureView());
        lightsUploaded = true;
      }
      context->DrawIndexedInstanced(draw.IndexCount, draw.InstanceCount, draw.FirstIndex,
                                    static_cast<INT>(draw.BaseVertex), draw.FirstInstance);
    }

    ID3D11CommandList* Commands = nullptr;
    context->FinishCommandList(TRUE, &Commands);
    if (Commands) {
      p->Context->ExecuteCommandList(Commands, TRUE);
      Commands->Release();
    }
    context->PSSetShaderResources(0, 1, &pNull);

    // The instances' local axes, drawn over the primitive.
    Debugger.SetMatrices(View, Projection);
    for (const XMMATRIX& instance : primitive.Instances) {
      XMFLOAT3 Position;
      XMStoreFloat3(&Position, instance.r[3]);
      const XMFLOAT4 axisColors[3] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}};
      for (int a = 0; a < 3; ++a) {
        XMFLOAT3 end;
        XMStoreFloat3(&end, XMVectorAdd(instance.r[3], XMVectorScale(instance.r[a], 1.0f)));
        const Vertex start{Position, axisColors[a], {1, 1}, {1, 1, 1}};
        const Vertex finish{end, axisColors[a], {1, 1}, {1, 1, 1}};
        Debugger.AddLine(start, finish);
      }
    }
    Debugger.Draw();
  }
}

void Engine::PresentFrame() {
  if (pPipeline->SwapChain) pPipeline->SwapChain->Present(0, 0);
}
