#include "debug/debugrenderer.h"

#include "debug/failuretrace.h"
#include "engine/constantvertex.h"

namespace {

constexpr Vertex BlankVertex{};

}  // namespace

DebugRenderer::DebugRenderer(pipeline_state_t* pipeline)
    : Pipeline(pipeline), Vertices{}, GpuBuffer{}, VertexCount(0), View{}, Projection{} {
  CreateGpuBuffer();
}

DebugRenderer::~DebugRenderer() {
  for (uint32_t i = 0; i < MaxVertices; ++i) {
    Vertices[i] = BlankVertex;
    if (GpuBuffer[i]) {
      GpuBuffer[i]->Release();
      GpuBuffer[i] = nullptr;
    }
  }
  VertexCount = 0;
}

void DebugRenderer::CreateGpuBuffer() {
  if (!Pipeline || !Pipeline->Device) return;
  D3D11_BUFFER_DESC VertexBufferDesc{};
  VertexBufferDesc.ByteWidth = sizeof(Vertices);
  VertexBufferDesc.Usage = D3D11_USAGE_DEFAULT;
  VertexBufferDesc.BindFlags = D3D11_BIND_VERTEX_BUFFER;
  VertexBufferDesc.CPUAccessFlags = 0;
  VertexBufferDesc.MiscFlags = 0;
  VertexBufferDesc.StructureByteStride = 0;
  D3D11_SUBRESOURCE_DATA SR{};
  SR.pSysMem = Vertices;
  SR.SysMemPitch = 0;
  SR.SysMemSlicePitch = 0;
  CHECK_HR(Pipeline->Device->CreateBuffer(&VertexBufferDesc, &SR, &GpuBuffer[0]));
}

void DebugRenderer::AddLine(const Vertex& start, const Vertex& end) {
  if (VertexCount + 2 > MaxVertices) Draw();
  Vertices[VertexCount] = start;
  Vertices[VertexCount + 1] = end;
  VertexCount += 2;
}

void DebugRenderer::SetMatrices(const DirectX::XMMATRIX& view, const DirectX::XMMATRIX& projection) {
  View = view;
  Projection = projection;
}

void DebugRenderer::Draw() {
  pipeline_state_t* p = Pipeline;
  if (!p || !GpuBuffer[0] || !p->DefferedContext || !p->Context) {
    Clear();
    return;
  }
  ID3D11DeviceContext* context = p->DefferedContext;

  ConstantVertex constants;
  for (DirectX::XMMATRIX& world : constants.World) world = DirectX::XMMatrixIdentity();
  constants.View = DirectX::XMMatrixTranspose(View);
  constants.Projection = DirectX::XMMatrixTranspose(Projection);
  constants.Surface = SurfaceParams({1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0});

  if (p->ConstVertexBuffer) context->UpdateSubresource(p->ConstVertexBuffer, 0, nullptr, &constants, 0, 0);
  context->UpdateSubresource(GpuBuffer[0], 0, nullptr, Vertices, 0, 0);
  UINT Stride = sizeof(Vertex);
  UINT Offset = 0;
  if (p->DepthStencilView) context->ClearDepthStencilView(p->DepthStencilView, D3D11_CLEAR_DEPTH, 1.0f, 0);
  if (p->Viewport) context->RSSetViewports(1, p->Viewport);
  context->IASetInputLayout(p->Input_Layout);
  context->RSSetState(p->RasterState);
  context->OMSetDepthStencilState(p->DepthStencilState, 1);
  context->OMSetRenderTargets(1, &p->Render_Target, p->DepthStencilView);
  context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_LINELIST);
  context->IASetVertexBuffers(0, 1, &GpuBuffer[0], &Stride, &Offset);
  context->VSSetConstantBuffers(0, 1, &p->ConstVertexBuffer);
  context->PSSetConstantBuffers(0, 1, &p->ConstVertexBuffer);
  context->PSSetConstantBuffers(1, 1, &p->ConstLightBuffer);
  context->PSSetSamplers(0, 1, &p->SamplerState);
  context->PSSetShader(p->Pixel_Shader_Default, nullptr, 0);
  context->VSSetShader(p->Vertex_Shader, nullptr, 0);
  context->Draw(VertexCount, 0);

  ID3D11CommandList* Commands = nullptr;
  context->FinishCommandList(TRUE, &Commands);
  if (Commands) {
    p->Context->ExecuteCommandList(Commands, TRUE);
    Commands->Release();
  }
  Clear();
}

void DebugRenderer::Clear() {
  for (Vertex& v : Vertices) v = BlankVertex;
  VertexCount = 0;
}
