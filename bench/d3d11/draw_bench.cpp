// Draw throughput on a 64x64 target: a small indexed draw with one constant-buffer
// update per draw on the immediate context, and command lists recorded on a deferred
// context and executed one per draw, as the engine does (its bindings, two
// constant-buffer updates and one instanced draw per list).
#include <benchmark/benchmark.h>
#include <d3d11.h>
#include <d3dcompiler.h>

#include <cstring>

namespace {

const char kShader[] = R"(
cbuffer Tint : register(b0) { float4 color; float4 offset; };
cbuffer Light : register(b1) { float4 light[4]; };
float4 VS(float3 pos : POSITION) : SV_Position { return float4(pos + offset.xyz, 1.0f); }
float4 PS() : SV_Target { return color * light[0]; }
)";

struct Scene {
  ID3D11Device* device = nullptr;
  ID3D11DeviceContext* context = nullptr;
  ID3D11DeviceContext* deferred = nullptr;
  ID3D11Texture2D* target = nullptr;
  ID3D11RenderTargetView* rtv = nullptr;
  ID3D11VertexShader* vs = nullptr;
  ID3D11PixelShader* ps = nullptr;
  ID3D11InputLayout* layout = nullptr;
  ID3D11Buffer* vb = nullptr;
  ID3D11Buffer* ib = nullptr;
  ID3D11Buffer* cb = nullptr;
  ID3D11Buffer* light = nullptr;
  ID3D11RasterizerState* raster = nullptr;
  ID3D11DepthStencilState* depth = nullptr;
  D3D11_VIEWPORT viewport{0, 0, 64, 64, 0, 1};

  bool Create() {
    if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &device,
                                 nullptr, &context)))
      return false;
    device->CreateDeferredContext(0, &deferred);
    D3D11_TEXTURE2D_DESC td{
        64, 64, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_RENDER_TARGET, 0, 0};
    device->CreateTexture2D(&td, nullptr, &target);
    device->CreateRenderTargetView(target, nullptr, &rtv);
    ID3DBlob *vsCode = nullptr, *psCode = nullptr;
    if (FAILED(D3DCompile(kShader, sizeof(kShader) - 1, "bench", nullptr, nullptr, "VS", "vs_5_0", 0, 0, &vsCode,
                          nullptr)) ||
        FAILED(D3DCompile(kShader, sizeof(kShader) - 1, "bench", nullptr, nullptr, "PS", "ps_5_0", 0, 0, &psCode,
                          nullptr)))
      return false;
    device->CreateVertexShader(vsCode->GetBufferPointer(), vsCode->GetBufferSize(), nullptr, &vs);
    device->CreatePixelShader(psCode->GetBufferPointer(), psCode->GetBufferSize(), nullptr, &ps);
    D3D11_INPUT_ELEMENT_DESC element{"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0};
    device->CreateInputLayout(&element, 1, vsCode->GetBufferPointer(), vsCode->GetBufferSize(), &layout);
    vsCode->Release();
    psCode->Release();
    const float quad[4][3] = {{-0.5f, -0.5f, 0}, {-0.5f, 0.5f, 0}, {0.5f, -0.5f, 0}, {0.5f, 0.5f, 0}};
    const uint32_t indices[6] = {0, 1, 2, 2, 1, 3};
    D3D11_BUFFER_DESC vd{sizeof(quad), D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
    D3D11_SUBRESOURCE_DATA vdata{quad, 0, 0};
    device->CreateBuffer(&vd, &vdata, &vb);
    D3D11_BUFFER_DESC id{sizeof(indices), D3D11_USAGE_DEFAULT, D3D11_BIND_INDEX_BUFFER, 0, 0, 0};
    D3D11_SUBRESOURCE_DATA idata{indices, 0, 0};
    device->CreateBuffer(&id, &idata, &ib);
    D3D11_BUFFER_DESC cd{32, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
    device->CreateBuffer(&cd, nullptr, &cb);
    cd.ByteWidth = 64;
    device->CreateBuffer(&cd, nullptr, &light);
    D3D11_RASTERIZER_DESC rd{D3D11_FILL_SOLID, D3D11_CULL_NONE, FALSE, 0, 0, 0, TRUE, FALSE, TRUE, TRUE};
    device->CreateRasterizerState(&rd, &raster);
    D3D11_DEPTH_STENCILOP_DESC keep{D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP,
                                    D3D11_COMPARISON_ALWAYS};
    D3D11_DEPTH_STENCIL_DESC dd{FALSE, D3D11_DEPTH_WRITE_MASK_ZERO, D3D11_COMPARISON_ALWAYS, FALSE, 0, 0, keep, keep};
    device->CreateDepthStencilState(&dd, &depth);
    return vs && ps && layout && vb && ib && cb && light;
  }
  void Bind(ID3D11DeviceContext* ctx) {
    UINT stride = 12, offset = 0;
    ctx->IASetInputLayout(layout);
    ctx->RSSetState(raster);
    ctx->OMSetDepthStencilState(depth, 1);
    ctx->OMSetRenderTargets(1, &rtv, nullptr);
    ctx->IASetVertexBuffers(0, 1, &vb, &stride, &offset);
    ctx->IASetIndexBuffer(ib, DXGI_FORMAT_R32_UINT, 0);
    ctx->VSSetConstantBuffers(0, 1, &cb);
    ctx->VSSetShader(vs, nullptr, 0);
    ctx->PSSetShader(ps, nullptr, 0);
    ctx->PSSetConstantBuffers(0, 1, &cb);
    ctx->PSSetConstantBuffers(1, 1, &light);
    ctx->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    ctx->RSSetViewports(1, &viewport);
  }
  // Waits until the GPU has done everything submitted so far.
  void Finish() {
    D3D11_TEXTURE2D_DESC td;
    target->GetDesc(&td);
    td.Width = td.Height = 1;
    td.Usage = D3D11_USAGE_STAGING;
    td.BindFlags = 0;
    td.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ID3D11Texture2D* staging = nullptr;
    device->CreateTexture2D(&td, nullptr, &staging);
    context->CopySubresourceRegion(staging, 0, 0, 0, 0, target, 0, nullptr);
    D3D11_MAPPED_SUBRESOURCE mapped;
    context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped);
    context->Unmap(staging, 0);
    staging->Release();
  }
  ~Scene() {
    for (IUnknown* o : std::initializer_list<IUnknown*>{depth, raster, light, cb, ib, vb, layout, ps, vs, rtv, target,
                                                        deferred, context, device})
      if (o) o->Release();
  }
};

void BM_IndexedDrawWithConstantUpdate(benchmark::State& state) {
  Scene s;
  if (!s.Create()) {
    state.SkipWithError("device setup failed");
    return;
  }
  s.Bind(s.context);
  float tint[8] = {1, 0, 0, 1, 0, 0, 0, 0};
  uint64_t n = 0;
  for (auto _ : state) {
    tint[4] = static_cast<float>(n++ % 8) * 0.01f;
    s.context->UpdateSubresource(s.cb, 0, nullptr, tint, 0, 0);
    s.context->DrawIndexed(6, 0, 0);
  }
  s.Finish();
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_IndexedDrawWithConstantUpdate)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_CommandListPerDraw(benchmark::State& state) {
  Scene s;
  if (!s.Create()) {
    state.SkipWithError("device setup failed");
    return;
  }
  float tint[8] = {0, 1, 0, 1, 0, 0, 0, 0};
  float light[16] = {1, 1, 1, 1};
  for (auto _ : state) {
    s.Bind(s.deferred);
    s.deferred->UpdateSubresource(s.cb, 0, nullptr, tint, 0, 0);
    s.deferred->UpdateSubresource(s.light, 0, nullptr, light, 0, 0);
    s.deferred->DrawIndexedInstanced(6, 1, 0, 0, 0);
    ID3D11CommandList* list = nullptr;
    s.deferred->FinishCommandList(TRUE, &list);
    s.context->ExecuteCommandList(list, TRUE);
    list->Release();
  }
  s.Finish();
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_CommandListPerDraw)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
