// Drawing: winding and culling, depth and stencil tests, multisampling, instancing,
// large constant records, sampling, lines, and updates and clears between draws.
#include <array>

#include "d3d11test.h"

namespace {

constexpr D3D11_DEPTH_STENCILOP_DESC kKeep{D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP,
                                           D3D11_COMPARISON_ALWAYS};
constexpr float kR[4] = {1, 0, 0, 1}, kG[4] = {0, 1, 0, 1}, kB[4] = {0, 0, 1, 1};

class Draw : public D3D11Test {
 protected:
  static constexpr UINT kSize = 16;

  void SetUp() override {
    D3D11Test::SetUp();
    target = MakeTarget(kSize, kSize);
    rtv = Rtv(target);
    const float black[4] = {0, 0, 0, 1};
    context->ClearRenderTargetView(rtv.Get(), black);
    Viewport(context.Get(), kSize, kSize);
  }
  uint32_t At(const std::vector<uint32_t>& texels, UINT x, UINT y) { return texels[y * kSize + x]; }
  void WithDepth(UINT samples = 1) {
    D3D11_TEXTURE2D_DESC td{
        kSize, kSize, 1, 1, DXGI_FORMAT_D24_UNORM_S8_UINT, {samples, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_DEPTH_STENCIL,
        0,     0};
    ASSERT_EQ(device->CreateTexture2D(&td, nullptr, depth.Put()), S_OK);
    ASSERT_EQ(device->CreateDepthStencilView(depth.Get(), nullptr, dsv.Put()), S_OK);
    context->ClearDepthStencilView(dsv.Get(), D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 1.0f, 0);
  }
  Com<ID3D11RasterizerState> Raster(D3D11_CULL_MODE cull, BOOL frontCcw, BOOL scissor = FALSE) {
    D3D11_RASTERIZER_DESC rd{D3D11_FILL_SOLID, cull, frontCcw, 0, 0, 0, TRUE, scissor, FALSE, FALSE};
    Com<ID3D11RasterizerState> rs;
    EXPECT_EQ(device->CreateRasterizerState(&rd, rs.Put()), S_OK);
    return rs;
  }

  Com<ID3D11Texture2D> target, depth;
  Com<ID3D11RenderTargetView> rtv;
  Com<ID3D11DepthStencilView> dsv;
};

TEST_F(Draw, ClockwiseIsFrontAndCullingFollowsTheRasterizerState) {
  // In clip space (y up): bottom-left, top-left, bottom-right is clockwise on screen.
  std::vector<ColorVertex> cw = {{{-1, -1, 0}, {1, 0, 0, 1}}, {{-1, 3, 0}, {1, 0, 0, 1}}, {{3, -1, 0}, {1, 0, 0, 1}}};
  std::vector<ColorVertex> ccw = {cw[0], cw[2], cw[1]};
  struct Case {
    D3D11_CULL_MODE cull;
    BOOL frontCcw;
    bool clockwise;
    bool drawn;
  } cases[] = {
      {D3D11_CULL_BACK, FALSE, true, true},   {D3D11_CULL_BACK, FALSE, false, false},
      {D3D11_CULL_FRONT, FALSE, true, false}, {D3D11_CULL_FRONT, FALSE, false, true},
      {D3D11_CULL_BACK, TRUE, true, false},   {D3D11_CULL_BACK, TRUE, false, true},
      {D3D11_CULL_NONE, FALSE, false, true},
  };
  for (const Case& c : cases) {
    const float black[4] = {0, 0, 0, 1};
    context->ClearRenderTargetView(rtv.Get(), black);
    BindColorPipeline(context.Get(), c.clockwise ? cw : ccw);
    Com<ID3D11RasterizerState> rs = Raster(c.cull, c.frontCcw);
    context->RSSetState(rs.Get());
    context->OMSetRenderTargets(1, rtv.Addr(), nullptr);
    context->Draw(3, 0);
    EXPECT_EQ(Read(target)[5 * kSize + 5], c.drawn ? kRed : kBlack)
        << "cull " << c.cull << " ccw-front " << c.frontCcw << " clockwise " << c.clockwise;
  }
}

TEST_F(Draw, ViewportPutsTheTopLeftOfTheTargetAtTheTopOfClipSpace) {
  // The upper half of clip space (y > 0) lands in the upper rows of the target.
  BindColorPipeline(context.Get(), Rect(-1, 0, 1, 1, 0, kG));
  context->OMSetRenderTargets(1, rtv.Addr(), nullptr);
  context->Draw(6, 0);
  auto texels = Read(target);
  EXPECT_EQ(At(texels, 3, 2), kGreen);
  EXPECT_EQ(At(texels, 3, 13), kBlack);
}

TEST_F(Draw, DepthLessKeepsTheNearestSurface) {
  WithDepth();
  std::vector<ColorVertex> v = Rect(-1, -1, 1, 1, 0.8f, kR);  // far, everywhere
  auto nearLeft = Rect(-1, -1, 0, 1, 0.3f, kG);               // near, left half
  auto middle = Rect(-1, -1, 1, 1, 0.5f, kB);                 // between, everywhere
  v.insert(v.end(), nearLeft.begin(), nearLeft.end());
  v.insert(v.end(), middle.begin(), middle.end());
  BindColorPipeline(context.Get(), v);
  D3D11_DEPTH_STENCIL_DESC dd{TRUE, D3D11_DEPTH_WRITE_MASK_ALL, D3D11_COMPARISON_LESS, FALSE, 0xff, 0xff, kKeep, kKeep};
  Com<ID3D11DepthStencilState> ds;
  ASSERT_EQ(device->CreateDepthStencilState(&dd, ds.Put()), S_OK);
  context->OMSetDepthStencilState(ds.Get(), 0);
  context->OMSetRenderTargets(1, rtv.Addr(), dsv.Get());
  context->Draw(18, 0);
  auto texels = Read(target);
  EXPECT_EQ(At(texels, 2, 8), kGreen);
  EXPECT_EQ(At(texels, 12, 8), kBlue);
}

TEST_F(Draw, StencilOperationsWithReferenceOne) {
  WithDepth();
  auto left = Rect(-1, -1, 0, 1, 0.5f, kR);
  auto all = Rect(-1, -1, 1, 1, 0.5f, kG);
  std::vector<ColorVertex> v = left;
  v.insert(v.end(), all.begin(), all.end());
  struct Case {
    D3D11_STENCIL_OP op;
    UINT8 cleared;
    bool leftPasses, rightPasses;  // stencil == 1 afterwards
  } cases[] = {{D3D11_STENCIL_OP_INCR, 0, true, false},      {D3D11_STENCIL_OP_INCR, 1, false, true},
               {D3D11_STENCIL_OP_DECR, 2, true, false},      {D3D11_STENCIL_OP_DECR, 1, false, true},
               {D3D11_STENCIL_OP_REPLACE, 7, true, false},   {D3D11_STENCIL_OP_INCR_SAT, 0, true, false},
               {D3D11_STENCIL_OP_DECR_SAT, 0, false, false}, {D3D11_STENCIL_OP_INVERT, 0xfe, true, false}};
  BindColorPipeline(context.Get(), v);
  for (const Case& c : cases) {
    const float black[4] = {0, 0, 0, 1};
    context->ClearRenderTargetView(rtv.Get(), black);
    context->ClearDepthStencilView(dsv.Get(), D3D11_CLEAR_STENCIL | D3D11_CLEAR_DEPTH, 1.0f, c.cleared);
    D3D11_DEPTH_STENCILOP_DESC mark{D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, c.op, D3D11_COMPARISON_ALWAYS};
    D3D11_DEPTH_STENCILOP_DESC test{D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP,
                                    D3D11_COMPARISON_EQUAL};
    D3D11_DEPTH_STENCIL_DESC markDesc{
        FALSE, D3D11_DEPTH_WRITE_MASK_ZERO, D3D11_COMPARISON_ALWAYS, TRUE, 0xff, 0xff, mark, mark};
    D3D11_DEPTH_STENCIL_DESC testDesc = markDesc;
    testDesc.FrontFace = testDesc.BackFace = test;
    Com<ID3D11DepthStencilState> markState, testState;
    ASSERT_EQ(device->CreateDepthStencilState(&markDesc, markState.Put()), S_OK);
    ASSERT_EQ(device->CreateDepthStencilState(&testDesc, testState.Put()), S_OK);
    context->OMSetRenderTargets(1, rtv.Addr(), dsv.Get());
    context->OMSetDepthStencilState(markState.Get(), 1);
    context->Draw(6, 0);  // the left half, red, changing the stencil
    const float black2[4] = {0, 0, 0, 1};
    context->ClearRenderTargetView(rtv.Get(), black2);
    context->OMSetDepthStencilState(testState.Get(), 1);
    context->Draw(6, 6);  // green wherever the stencil is 1
    auto texels = Read(target);
    EXPECT_EQ(At(texels, 3, 8), c.leftPasses ? kGreen : kBlack) << "op " << c.op << " from " << int(c.cleared);
    EXPECT_EQ(At(texels, 12, 8), c.rightPasses ? kGreen : kBlack) << "op " << c.op << " from " << int(c.cleared);
  }
}

TEST_F(Draw, DepthFailChangesTheStencilByFace) {
  // The engine's state: depth-fail INCR on front faces, DECR on back faces, ALWAYS.
  WithDepth();
  auto occluder = Rect(-1, -1, 1, 1, 0.2f, kR);
  auto front = Rect(-1, -1, 0, 1, 0.6f, kR);
  std::vector<ColorVertex> back = Rect(0, -1, 1, 1, 0.6f, kR);
  for (size_t i = 0; i < back.size(); i += 3) std::swap(back[i + 1], back[i + 2]);  // counter-clockwise
  std::vector<ColorVertex> v = occluder;
  v.insert(v.end(), front.begin(), front.end());
  v.insert(v.end(), back.begin(), back.end());
  BindColorPipeline(context.Get(), v);
  Com<ID3D11RasterizerState> noCull = Raster(D3D11_CULL_NONE, FALSE);
  context->RSSetState(noCull.Get());
  D3D11_DEPTH_STENCIL_DESC dd{TRUE, D3D11_DEPTH_WRITE_MASK_ALL, D3D11_COMPARISON_LESS, TRUE, 0xff, 0xff, kKeep, kKeep};
  dd.FrontFace = {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_INCR, D3D11_STENCIL_OP_KEEP, D3D11_COMPARISON_ALWAYS};
  dd.BackFace = {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_DECR, D3D11_STENCIL_OP_KEEP, D3D11_COMPARISON_ALWAYS};
  Com<ID3D11DepthStencilState> engineState;
  ASSERT_EQ(device->CreateDepthStencilState(&dd, engineState.Put()), S_OK);
  context->ClearDepthStencilView(dsv.Get(), D3D11_CLEAR_DEPTH | D3D11_CLEAR_STENCIL, 1.0f, 1);
  context->OMSetRenderTargets(1, rtv.Addr(), dsv.Get());
  context->OMSetDepthStencilState(engineState.Get(), 1);
  context->Draw(18, 0);
  // Now stencil is 2 on the left, 0 on the right: show where it equals 2 and 0.
  D3D11_DEPTH_STENCIL_DESC eq{FALSE, D3D11_DEPTH_WRITE_MASK_ZERO, D3D11_COMPARISON_ALWAYS, TRUE, 0xff, 0xff, kKeep,
                              kKeep};
  eq.FrontFace =
      eq.BackFace = {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_COMPARISON_EQUAL};
  Com<ID3D11DepthStencilState> eqState;
  ASSERT_EQ(device->CreateDepthStencilState(&eq, eqState.Put()), S_OK);
  const float black[4] = {0, 0, 0, 1};
  context->ClearRenderTargetView(rtv.Get(), black);
  BindColorPipeline(context.Get(), Rect(-1, -1, 1, 1, 0.5f, kG));
  context->OMSetDepthStencilState(eqState.Get(), 2);
  context->Draw(6, 0);
  auto texels = Read(target);
  EXPECT_EQ(At(texels, 3, 8), kGreen);
  EXPECT_EQ(At(texels, 12, 8), kBlack);
  context->ClearRenderTargetView(rtv.Get(), black);
  context->OMSetDepthStencilState(eqState.Get(), 0);
  context->Draw(6, 0);
  texels = Read(target);
  EXPECT_EQ(At(texels, 3, 8), kBlack);
  EXPECT_EQ(At(texels, 12, 8), kGreen);
}

TEST_F(Draw, MultisampledTargetResolvesWithBlendedEdges) {
  // Eight samples, as the engine asks: lowered to what the device offers, said once.
  Com<ID3D11Texture2D> msaa = MakeTarget(kSize, kSize, 8);
  Com<ID3D11RenderTargetView> msaaRtv = Rtv(msaa);
  WithDepth(8);
  const float black[4] = {0, 0, 0, 1};
  context->ClearRenderTargetView(msaaRtv.Get(), black);
  // A triangle whose long edge crosses pixel centres' neighbourhoods diagonally.
  std::vector<ColorVertex> tri = {
      {{-1, -1, 0.5f}, {1, 1, 1, 1}}, {{-1, 1, 0.5f}, {1, 1, 1, 1}}, {{1, -1, 0.5f}, {1, 1, 1, 1}}};
  BindColorPipeline(context.Get(), tri);
  context->OMSetRenderTargets(1, msaaRtv.Addr(), dsv.Get());
  context->Draw(3, 0);
  context->ResolveSubresource(target.Get(), 0, msaa.Get(), 0, DXGI_FORMAT_R8G8B8A8_UNORM);
  auto texels = Read(target);
  EXPECT_EQ(At(texels, 1, 14), kWhite);  // inside
  EXPECT_EQ(At(texels, 14, 1), kBlack);  // outside
  int partial = 0;
  for (uint32_t t : texels) partial += (t != kWhite && t != kBlack);
  EXPECT_GT(partial, 0) << "no edge texel got a blend of covered and uncovered samples";
}

TEST_F(Draw, InstancesCountFromZeroWithStartInstanceAndBaseVertex) {
  Com<ID3DBlob> vsCode = Compile("instanced.hlsl", "VS", "vs_5_0");
  Com<ID3D11VertexShader> vs = VertexShader(vsCode);
  Com<ID3D11PixelShader> ps = PixelShader("instanced.hlsl");
  const D3D11_INPUT_ELEMENT_DESC layoutDesc[] = {
      {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
      {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 1, 0, D3D11_INPUT_PER_INSTANCE_DATA, 1},
  };
  Com<ID3D11InputLayout> layout = Layout(layoutDesc, 2, vsCode);
  // Vertices 0-3 are a decoy far away; 4-7 a quad in the bottom-left quadrant.
  const float positions[8][3] = {{5, 5, 0},   {5, 6, 0},  {6, 5, 0},  {6, 6, 0},
                                 {-1, -1, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, 0}};
  const uint32_t indices[] = {0, 1, 2, 2, 1, 3};
  // Per-instance colours: entries 0 and 1 are skipped by a start instance of 2.
  const float colors[4][4] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}};
  // Instance 0 stays; instance 1 moves to the top-right quadrant.
  const float offsets[8][4] = {{0, 0, 0, 0}, {1, 1, 0, 0}};
  Com<ID3D11Buffer> vb = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, positions, sizeof(positions));
  Com<ID3D11Buffer> ib = MakeBuffer(D3D11_BIND_INDEX_BUFFER, indices, sizeof(indices));
  Com<ID3D11Buffer> instances = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, colors, sizeof(colors));
  Com<ID3D11Buffer> cb = MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, offsets, sizeof(offsets));
  ID3D11Buffer* vbs[] = {vb.Get(), instances.Get()};
  UINT strides[] = {12, 16}, offs[] = {0, 0};
  context->IASetInputLayout(layout.Get());
  context->IASetVertexBuffers(0, 2, vbs, strides, offs);
  context->IASetIndexBuffer(ib.Get(), DXGI_FORMAT_R32_UINT, 0);
  context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  context->VSSetShader(vs.Get(), nullptr, 0);
  context->VSSetConstantBuffers(0, 1, cb.Addr());
  context->PSSetShader(ps.Get(), nullptr, 0);
  context->OMSetRenderTargets(1, rtv.Addr(), nullptr);
  context->DrawIndexedInstanced(6, 2, 0, 4, 2);
  auto texels = Read(target);
  EXPECT_EQ(At(texels, 3, 12), kRed);    // instance 0: offsets[0], colors[2]
  EXPECT_EQ(At(texels, 12, 3), kGreen);  // instance 1: offsets[1], colors[3]
  EXPECT_EQ(At(texels, 12, 12), kBlack);
}

TEST_F(Draw, TheEnginesConstantRecordOfTwoHundredMatrices) {
  struct Record {
    float world[200][16];
    float view[16], projection[16];
    float surface[4][4];
  };
  static_assert(sizeof(Record) == 12992);
  auto record = std::make_unique<Record>();
  auto identity = [](float* m, float tx) {
    std::fill(m, m + 16, 0.0f);
    m[0] = m[5] = m[10] = m[15] = 1.0f;
    m[3] = tx;  // transposed for the shader: the translation ends the first column
  };
  for (int j = 0; j < 200; ++j) identity(record->world[j], 10.0f);  // off screen
  identity(record->world[199], 1.0f);                               // the last one moves right
  identity(record->view, 0.0f);
  identity(record->projection, 0.0f);
  const float surface[4] = {0, 0, 1, 1};
  std::copy(surface, surface + 4, record->surface[3]);
  Com<ID3DBlob> vsCode = Compile("matrices.hlsl", "VS", "vs_5_0");
  Com<ID3D11VertexShader> vs = VertexShader(vsCode);
  Com<ID3D11PixelShader> ps = PixelShader("matrices.hlsl");
  Com<ID3D11InputLayout> layout = Layout(kPositionLayout, 1, vsCode);
  Com<ID3D11Buffer> cb = MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, nullptr, sizeof(Record));
  context->UpdateSubresource(cb.Get(), 0, nullptr, record.get(), 0, 0);
  const float quad[6][3] = {{-1, -1, 0}, {-1, 1, 0}, {0, -1, 0}, {0, -1, 0}, {-1, 1, 0}, {0, 1, 0}};
  Com<ID3D11Buffer> vb = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, quad, sizeof(quad));
  UINT stride = 12, offset = 0;
  context->IASetInputLayout(layout.Get());
  context->IASetVertexBuffers(0, 1, vb.Addr(), &stride, &offset);
  context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  context->VSSetShader(vs.Get(), nullptr, 0);
  context->VSSetConstantBuffers(0, 1, cb.Addr());
  context->PSSetShader(ps.Get(), nullptr, 0);
  context->PSSetConstantBuffers(0, 1, cb.Addr());
  context->OMSetRenderTargets(1, rtv.Addr(), nullptr);
  context->DrawInstanced(6, 200, 0, 0);
  auto texels = Read(target);
  EXPECT_EQ(At(texels, 12, 8), kBlue);  // instance 199, moved right
  EXPECT_EQ(At(texels, 3, 8), kBlack);
}

class Sampling : public Draw {
 protected:
  struct TexVertex {
    float pos[3];
    float uv[2];
  };
  void DrawTextured(ID3D11ShaderResourceView* image, ID3D11ShaderResourceView* cube, const float (&lookup)[4],
                    D3D11_FILTER filter, const char* entry = "PS") {
    Com<ID3DBlob> vsCode = Compile("texture.hlsl", "VS", "vs_5_0");
    Com<ID3D11VertexShader> vs = VertexShader(vsCode);
    Com<ID3D11PixelShader> ps = PixelShader("texture.hlsl", entry);
    const D3D11_INPUT_ELEMENT_DESC desc[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
        {"TEXCOORD", 0, DXGI_FORMAT_R32G32_FLOAT, 0, D3D11_APPEND_ALIGNED_ELEMENT, D3D11_INPUT_PER_VERTEX_DATA, 0},
    };
    Com<ID3D11InputLayout> layout = Layout(desc, 2, vsCode);
    // A full-target quad with texture coordinates 0 to 2: wrap repeats the texture.
    const TexVertex quad[6] = {{{-1, 1, 0}, {0, 0}},  {{1, 1, 0}, {2, 0}}, {{-1, -1, 0}, {0, 2}},
                               {{-1, -1, 0}, {0, 2}}, {{1, 1, 0}, {2, 0}}, {{1, -1, 0}, {2, 2}}};
    Com<ID3D11Buffer> vb = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, quad, sizeof(quad));
    Com<ID3D11Buffer> cb = MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, lookup, 16);
    D3D11_SAMPLER_DESC sd{filter,
                          D3D11_TEXTURE_ADDRESS_WRAP,
                          D3D11_TEXTURE_ADDRESS_WRAP,
                          D3D11_TEXTURE_ADDRESS_WRAP,
                          0,
                          0,
                          D3D11_COMPARISON_NEVER,
                          {244, 66, 188, 1},
                          0,
                          D3D11_FLOAT32_MAX};
    Com<ID3D11SamplerState> sampler;
    ASSERT_EQ(device->CreateSamplerState(&sd, sampler.Put()), S_OK);
    UINT stride = sizeof(TexVertex), offset = 0;
    context->IASetInputLayout(layout.Get());
    context->IASetVertexBuffers(0, 1, vb.Addr(), &stride, &offset);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->VSSetShader(vs.Get(), nullptr, 0);
    context->PSSetShader(ps.Get(), nullptr, 0);
    context->PSSetConstantBuffers(0, 1, cb.Addr());
    ID3D11ShaderResourceView* views[] = {image, cube};
    context->PSSetShaderResources(0, 2, views);
    context->PSSetSamplers(0, 1, sampler.Addr());
    Com<ID3D11RasterizerState> noCull = Raster(D3D11_CULL_NONE, FALSE);
    context->RSSetState(noCull.Get());
    context->OMSetRenderTargets(1, rtv.Addr(), nullptr);
    context->Draw(6, 0);
  }
};

TEST_F(Sampling, TwoDimensionalTextureWrapsAndPointFilters) {
  const uint32_t texels[4] = {kRed, kGreen, kBlue, kWhite};
  D3D11_TEXTURE2D_DESC td{
      2, 2, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D11_USAGE_IMMUTABLE, D3D11_BIND_SHADER_RESOURCE, 0, 0};
  D3D11_SUBRESOURCE_DATA init{texels, 8, 0};
  Com<ID3D11Texture2D> texture;
  ASSERT_EQ(device->CreateTexture2D(&td, &init, texture.Put()), S_OK);
  Com<ID3D11ShaderResourceView> srv;
  ASSERT_EQ(device->CreateShaderResourceView(texture.Get(), nullptr, srv.Put()), S_OK);
  const float lookup[4] = {0, 0, 0, 0};
  DrawTextured(srv.Get(), nullptr, lookup, D3D11_FILTER_MIN_MAG_MIP_POINT);
  auto out = Read(target);
  // Texel columns repeat every 8 pixels: 0 0 0 0 1 1 1 1 | 0 0 0 0 1 1 1 1 at 16 wide, uv 0..2.
  for (UINT x : {1u, 9u}) EXPECT_EQ(At(out, x, 1), kRed) << x;
  for (UINT x : {5u, 13u}) EXPECT_EQ(At(out, x, 1), kGreen) << x;
  EXPECT_EQ(At(out, 1, 5), kBlue);
  EXPECT_EQ(At(out, 13, 13), kWhite);
}

TEST_F(Sampling, SwizzledFormatsReadAsTheirChannels) {
  struct Case {
    DXGI_FORMAT format;
    std::vector<uint8_t> texel;  // one texel, repeated
    uint32_t expected;
  } cases[] = {
      {DXGI_FORMAT_B8G8R8A8_UNORM, {0, 0, 255, 255}, kRed},
      {DXGI_FORMAT_B8G8R8X8_UNORM, {255, 0, 0, 0}, kBlue},  // X ignored: alpha reads 1
      {DXGI_FORMAT_A8_UNORM, {255}, Rgba(0, 0, 0, 255)},
      {DXGI_FORMAT_B5G6R5_UNORM, {0x00, 0xF8}, kRed},                    // red in the top five bits
      {DXGI_FORMAT_B5G5R5A1_UNORM, {0x1F, 0x80}, kBlue},                 // blue in the low five, alpha on
      {DXGI_FORMAT_B4G4R4A4_UNORM, {0xF0, 0xF0}, Rgba(0, 255, 0, 255)},  // G in 4-7, A in 12-15
      {DXGI_FORMAT_R8G8_B8G8_UNORM, {255, 0, 0, 0}, kRed},               // R G0 B G1
      {DXGI_FORMAT_G8R8_G8B8_UNORM, {255, 0, 255, 0}, kGreen},           // G0 R G1 B
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> data;
    for (int i = 0; i < 16; ++i) data.insert(data.end(), c.texel.begin(), c.texel.end());
    const bool packed = c.format == DXGI_FORMAT_R8G8_B8G8_UNORM || c.format == DXGI_FORMAT_G8R8_G8B8_UNORM;
    UINT pitch = packed ? 8 : UINT(c.texel.size() * 4);
    D3D11_TEXTURE2D_DESC td{4, 4, 1, 1, c.format, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, 0};
    D3D11_SUBRESOURCE_DATA init{data.data(), pitch, 0};
    Com<ID3D11Texture2D> texture;
    ASSERT_EQ(device->CreateTexture2D(&td, &init, texture.Put()), S_OK) << c.format;
    Com<ID3D11ShaderResourceView> srv;
    ASSERT_EQ(device->CreateShaderResourceView(texture.Get(), nullptr, srv.Put()), S_OK);
    const float lookup[4] = {0, 0, 0, 0};
    DrawTextured(srv.Get(), nullptr, lookup, D3D11_FILTER_MIN_MAG_MIP_POINT);
    EXPECT_EQ(Read(target)[8 * kSize + 8], c.expected) << "format " << c.format;
  }
}

TEST_F(Sampling, CubeMapFacesAlongTheAxes) {
  const uint32_t faceColors[6] = {kRed, kGreen, kBlue, kWhite, Rgba(255, 255, 0), Rgba(0, 255, 255)};
  std::vector<uint32_t> faces[6];
  D3D11_SUBRESOURCE_DATA init[6];
  for (int f = 0; f < 6; ++f) {
    faces[f].assign(16, faceColors[f]);
    init[f] = {faces[f].data(), 16, 0};
  }
  D3D11_TEXTURE2D_DESC td{4,
                          4,
                          1,
                          6,
                          DXGI_FORMAT_R8G8B8A8_UNORM,
                          {1, 0},
                          D3D11_USAGE_DEFAULT,
                          D3D11_BIND_SHADER_RESOURCE,
                          0,
                          D3D11_RESOURCE_MISC_TEXTURECUBE};
  Com<ID3D11Texture2D> cube;
  ASSERT_EQ(device->CreateTexture2D(&td, init, cube.Put()), S_OK);
  Com<ID3D11ShaderResourceView> srv;
  ASSERT_EQ(device->CreateShaderResourceView(cube.Get(), nullptr, srv.Put()), S_OK);
  const float directions[6][4] = {{1, 0, 0, 0},  {-1, 0, 0, 0}, {0, 1, 0, 0},
                                  {0, -1, 0, 0}, {0, 0, 1, 0},  {0, 0, -1, 0}};
  for (int f = 0; f < 6; ++f) {
    DrawTextured(nullptr, srv.Get(), directions[f], D3D11_FILTER_MIN_MAG_MIP_LINEAR, "PSCube");
    EXPECT_EQ(Read(target)[8 * kSize + 8], faceColors[f]) << "face " << f;
  }
}

TEST_F(Sampling, BlockCompressedMipLevels) {
  // BC1 blocks of one colour: colour0 = colour1 = the 5-6-5 value, all indices 0.
  auto block = [](uint16_t c) {
    return std::array<uint8_t, 8>{uint8_t(c), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 8), 0, 0, 0, 0};
  };
  const uint16_t levelColors[3] = {0xF800, 0x07E0, 0x001F};  // red, green, blue
  const uint32_t expected[3] = {kRed, kGreen, kBlue};
  std::vector<uint8_t> levels[3];
  D3D11_SUBRESOURCE_DATA init[3];
  for (int l = 0; l < 3; ++l) {
    UINT blocks = std::max(1u, (8u >> l) / 4);
    for (UINT b = 0; b < blocks * blocks; ++b) {
      auto bytes = block(levelColors[l]);
      levels[l].insert(levels[l].end(), bytes.begin(), bytes.end());
    }
    init[l] = {levels[l].data(), blocks * 8, 0};
  }
  D3D11_TEXTURE2D_DESC td{8, 8, 3, 1, DXGI_FORMAT_BC1_UNORM, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE,
                          0, 0};
  Com<ID3D11Texture2D> texture;
  ASSERT_EQ(device->CreateTexture2D(&td, init, texture.Put()), S_OK);
  Com<ID3D11ShaderResourceView> srv;
  ASSERT_EQ(device->CreateShaderResourceView(texture.Get(), nullptr, srv.Put()), S_OK);
  for (int l = 0; l < 3; ++l) {
    const float lookup[4] = {0, 0, 0, float(l)};
    DrawTextured(srv.Get(), nullptr, lookup, D3D11_FILTER_MIN_MAG_MIP_POINT);
    EXPECT_EQ(Read(target)[3 * kSize + 3], expected[l]) << "level " << l;
  }
}

TEST_F(Draw, LineListDrawsOneRow) {
  // A horizontal line through the centre of row 4 (clip y = 1 - 9/16).
  const float y = 1.0f - 9.0f / kSize;
  std::vector<ColorVertex> line = {{{-1, y, 0}, {0, 1, 0, 1}}, {{1, y, 0}, {0, 1, 0, 1}}};
  BindColorPipeline(context.Get(), line);
  context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_LINELIST);
  context->OMSetRenderTargets(1, rtv.Addr(), nullptr);
  context->Draw(2, 0);
  auto texels = Read(target);
  int lit = 0;
  for (UINT x = 0; x < kSize; ++x) lit += At(texels, x, 4) == kGreen;
  EXPECT_GE(lit, int(kSize) - 1);
  for (UINT row : {0u, 2u, 6u, 12u})
    for (UINT x = 0; x < kSize; ++x) EXPECT_EQ(At(texels, x, row), kBlack) << x << "," << row;
}

TEST_F(Draw, ConstantBufferUpdatedBetweenTwoDraws) {
  Com<ID3DBlob> vsCode = Compile("tint.hlsl", "VS", "vs_5_0");
  Com<ID3D11VertexShader> vs = VertexShader(vsCode);
  Com<ID3D11PixelShader> ps = PixelShader("tint.hlsl");
  Com<ID3D11InputLayout> layout = Layout(kPositionLayout, 1, vsCode);
  const float quad[6][3] = {{-1, -1, 0}, {-1, 1, 0}, {0, -1, 0}, {0, -1, 0}, {-1, 1, 0}, {0, 1, 0}};
  Com<ID3D11Buffer> vb = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, quad, sizeof(quad));
  Com<ID3D11Buffer> cb = MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, nullptr, 32);
  UINT stride = 12, offset = 0;
  context->IASetInputLayout(layout.Get());
  context->IASetVertexBuffers(0, 1, vb.Addr(), &stride, &offset);
  context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  context->VSSetShader(vs.Get(), nullptr, 0);
  context->PSSetShader(ps.Get(), nullptr, 0);
  context->VSSetConstantBuffers(0, 1, cb.Addr());
  context->PSSetConstantBuffers(0, 1, cb.Addr());
  context->OMSetRenderTargets(1, rtv.Addr(), nullptr);
  const float first[8] = {1, 0, 0, 1, 0, 0, 0, 0}, second[8] = {0, 0, 1, 1, 1, 0, 0, 0};
  context->UpdateSubresource(cb.Get(), 0, nullptr, first, 0, 0);
  context->Draw(6, 0);
  context->UpdateSubresource(cb.Get(), 0, nullptr, second, 0, 0);
  context->Draw(6, 0);
  auto texels = Read(target);
  EXPECT_EQ(At(texels, 3, 8), kRed);
  EXPECT_EQ(At(texels, 12, 8), kBlue);
  // The buffer keeps the last contents after the work is submitted.
  D3D11_BUFFER_DESC sd{32, D3D11_USAGE_STAGING, 0, D3D11_CPU_ACCESS_READ, 0, 0};
  Com<ID3D11Buffer> staging;
  ASSERT_EQ(device->CreateBuffer(&sd, nullptr, staging.Put()), S_OK);
  context->CopyResource(staging.Get(), cb.Get());
  D3D11_MAPPED_SUBRESOURCE mapped{};
  ASSERT_EQ(context->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped), S_OK);
  EXPECT_EQ(std::memcmp(mapped.pData, second, 32), 0);
  context->Unmap(staging.Get(), 0);
}

// Clears and vertex-buffer updates between draws on the bound targets take effect in
// order (they are done inside the render pass, which goes on around them).
TEST_F(Draw, ClearsAndVertexUpdatesBetweenDrawsKeepTheirOrder) {
  WithDepth();
  BindColorPipeline(context.Get(), Rect(-1, -1, 1, 1, 0.3f, kR));
  D3D11_DEPTH_STENCIL_DESC dd{TRUE, D3D11_DEPTH_WRITE_MASK_ALL, D3D11_COMPARISON_LESS, FALSE, 0xff, 0xff, kKeep, kKeep};
  Com<ID3D11DepthStencilState> ds;
  ASSERT_EQ(device->CreateDepthStencilState(&dd, ds.Put()), S_OK);
  context->OMSetDepthStencilState(ds.Get(), 0);
  context->OMSetRenderTargets(1, rtv.Addr(), dsv.Get());
  context->Draw(6, 0);
  // Without the depth clear, nothing after the red square (at 0.3) would pass.
  context->ClearDepthStencilView(dsv.Get(), D3D11_CLEAR_DEPTH, 1.0f, 0);
  const auto green = Rect(-1, -1, 1, 1, 0.5f, kG);
  context->UpdateSubresource(colorVb.Get(), 0, nullptr, green.data(), 0, 0);
  context->Draw(6, 0);
  // The colour clear hides the green; the left half is drawn again, nearer than it.
  const float black[4] = {0, 0, 0, 1};
  context->ClearRenderTargetView(rtv.Get(), black);
  const auto blueLeft = Rect(-1, -1, 0, 1, 0.4f, kB);
  context->UpdateSubresource(colorVb.Get(), 0, nullptr, blueLeft.data(), 0, 0);
  context->Draw(6, 0);
  const auto texels = Read(target);
  EXPECT_EQ(At(texels, 2, 8), kBlue);
  EXPECT_EQ(At(texels, 12, 8), kBlack);
}

}  // namespace
