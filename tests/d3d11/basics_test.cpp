// Devices, object lifetimes, resources, views, state objects and refused descriptions.
#include <atomic>
#include <thread>

#include "d3d11test.h"

namespace {

using Basics = D3D11Test;

TEST_F(Basics, ClearAndReadBackThroughAStagingCopy) {
  Com<ID3D11Texture2D> target = MakeTarget(4, 3);
  Com<ID3D11RenderTargetView> rtv = Rtv(target);
  const float color[4] = {1.0f, 0.5f, 0.0f, 1.0f};
  context->ClearRenderTargetView(rtv.Get(), color);
  for (uint32_t texel : Read(target)) EXPECT_EQ(texel, Rgba(255, 128, 0, 255));
}

TEST_F(Basics, BuffersKeepInitialDataThroughCopiesAndMaps) {
  struct Case {
    D3D11_USAGE usage;
    UINT bind;
  } cases[] = {{D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER},
               {D3D11_USAGE_IMMUTABLE, D3D11_BIND_INDEX_BUFFER},
               {D3D11_USAGE_DYNAMIC, D3D11_BIND_VERTEX_BUFFER},
               {D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER}};
  std::vector<uint32_t> data(64);
  for (uint32_t i = 0; i < data.size(); ++i) data[i] = i * 2654435761u;
  for (const Case& c : cases) {
    Com<ID3D11Buffer> source = MakeBuffer(c.bind, data.data(), 256, c.usage);
    D3D11_BUFFER_DESC sd{256, D3D11_USAGE_STAGING, 0, D3D11_CPU_ACCESS_READ, 0, 0};
    Com<ID3D11Buffer> staging;
    ASSERT_EQ(device->CreateBuffer(&sd, nullptr, staging.Put()), S_OK);
    context->CopyResource(staging.Get(), source.Get());
    D3D11_MAPPED_SUBRESOURCE mapped{};
    ASSERT_EQ(context->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped), S_OK);
    EXPECT_EQ(std::memcmp(mapped.pData, data.data(), 256), 0) << "usage " << c.usage;
    context->Unmap(staging.Get(), 0);
  }
}

TEST_F(Basics, DynamicBufferWriteDiscardReplacesContents) {
  std::vector<uint8_t> zeros(64, 0), ones(64, 0xAB);
  Com<ID3D11Buffer> dynamic = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, zeros.data(), 64, D3D11_USAGE_DYNAMIC);
  D3D11_MAPPED_SUBRESOURCE mapped{};
  ASSERT_EQ(context->Map(dynamic.Get(), 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped), S_OK);
  std::memcpy(mapped.pData, ones.data(), 64);
  context->Unmap(dynamic.Get(), 0);
  D3D11_BUFFER_DESC sd{64, D3D11_USAGE_STAGING, 0, D3D11_CPU_ACCESS_READ, 0, 0};
  Com<ID3D11Buffer> staging;
  ASSERT_EQ(device->CreateBuffer(&sd, nullptr, staging.Put()), S_OK);
  context->CopyResource(staging.Get(), dynamic.Get());
  ASSERT_EQ(context->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped), S_OK);
  EXPECT_EQ(std::memcmp(mapped.pData, ones.data(), 64), 0);
  context->Unmap(staging.Get(), 0);
  // Reading a dynamic buffer, or discarding a staging one, is refused.
  EXPECT_EQ(context->Map(dynamic.Get(), 0, D3D11_MAP_READ, 0, &mapped), E_INVALIDARG);
  EXPECT_EQ(context->Map(staging.Get(), 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped), E_INVALIDARG);
}

TEST_F(Basics, ViewsKeepTheirResourceAliveAndObjectsDieAtTheirLastRelease) {
  Com<ID3D11Texture2D> target = MakeTarget(2, 2);
  ID3D11RenderTargetView* rtv = nullptr;
  ASSERT_EQ(device->CreateRenderTargetView(target.Get(), nullptr, &rtv), S_OK);
  target.Reset();  // the view still holds the texture
  ID3D11Resource* resource = nullptr;
  rtv->GetResource(&resource);
  ASSERT_NE(resource, nullptr);
  D3D11_RESOURCE_DIMENSION dim;
  resource->GetType(&dim);
  EXPECT_EQ(dim, D3D11_RESOURCE_DIMENSION_TEXTURE2D);
  EXPECT_EQ(resource->Release(), 0u);  // only the view's private reference is left
  const float white[4] = {1, 1, 1, 1};
  context->ClearRenderTargetView(rtv, white);
  EXPECT_EQ(rtv->AddRef(), 2u);
  EXPECT_EQ(rtv->Release(), 1u);
  EXPECT_EQ(rtv->Release(), 0u);
}

TEST_F(Basics, QueryInterfaceAnswersForTheInterfacesAnObjectHas) {
  Com<ID3D11Texture2D> texture = MakeTarget(2, 2);
  Com<ID3D11Resource> resource;
  EXPECT_EQ(texture->QueryInterface(__uuidof(ID3D11Resource), reinterpret_cast<void**>(resource.Put())), S_OK);
  Com<ID3D11Buffer> buffer;
  EXPECT_EQ(texture->QueryInterface(__uuidof(ID3D11Buffer), reinterpret_cast<void**>(buffer.Put())), E_NOINTERFACE);
  Com<ID3D11Debug> debug;
  EXPECT_EQ(device->QueryInterface(IID_PPV_ARGS(debug.Put())), S_OK);
  EXPECT_EQ(debug->ReportLiveDeviceObjects(D3D11_RLDO_DETAIL), S_OK);
  Com<ID3D11Device> parent;
  texture->GetDevice(parent.Put());
  EXPECT_EQ(parent.Get(), device.Get());
}

TEST_F(Basics, EqualStateDescriptionsGiveOneObject) {
  D3D11_RASTERIZER_DESC r{D3D11_FILL_SOLID, D3D11_CULL_BACK, FALSE, 0, 0, 0, TRUE, FALSE, TRUE, TRUE};
  Com<ID3D11RasterizerState> r1, r2, r3;
  ASSERT_EQ(device->CreateRasterizerState(&r, r1.Put()), S_OK);
  ASSERT_EQ(device->CreateRasterizerState(&r, r2.Put()), S_OK);
  r.CullMode = D3D11_CULL_NONE;
  ASSERT_EQ(device->CreateRasterizerState(&r, r3.Put()), S_OK);
  EXPECT_EQ(r1.Get(), r2.Get());
  EXPECT_NE(r1.Get(), r3.Get());
  // Stencil operations do not matter with stencil off: normalised away.
  D3D11_DEPTH_STENCIL_DESC d{TRUE, D3D11_DEPTH_WRITE_MASK_ALL, D3D11_COMPARISON_LESS, FALSE, 0xff, 0xff, {}, {}};
  d.FrontFace =
      d.BackFace = {D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_STENCIL_OP_KEEP, D3D11_COMPARISON_ALWAYS};
  Com<ID3D11DepthStencilState> d1, d2;
  ASSERT_EQ(device->CreateDepthStencilState(&d, d1.Put()), S_OK);
  d.FrontFace.StencilDepthFailOp = D3D11_STENCIL_OP_INCR;
  ASSERT_EQ(device->CreateDepthStencilState(&d, d2.Put()), S_OK);
  EXPECT_EQ(d1.Get(), d2.Get());
  D3D11_RASTERIZER_DESC back;
  r1->GetDesc(&back);
  EXPECT_EQ(back.CullMode, D3D11_CULL_BACK);
}

TEST_F(Basics, InvalidDescriptionsAreRefused) {
  const D3D11_BUFFER_DESC buffers[] = {
      {0, D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0},     // empty
      {20, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0},  // not 16-byte multiple
      {16, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER | D3D11_BIND_VERTEX_BUFFER, 0, 0, 0},
      {16, D3D11_USAGE_DEFAULT, D3D11_BIND_DEPTH_STENCIL, 0, 0, 0},                      // no such buffer
      {16, D3D11_USAGE_DEFAULT, 0x100000, 0, 0, 0},                                      // unknown flag
      {16, D3D11_USAGE_DYNAMIC, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0},                      // dynamic, no CPU write
      {16, D3D11_USAGE_STAGING, D3D11_BIND_VERTEX_BUFFER, D3D11_CPU_ACCESS_READ, 0, 0},  // staging bound
      {16, D3D11_USAGE_IMMUTABLE, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0},                    // immutable, no data
      {16, static_cast<D3D11_USAGE>(9), D3D11_BIND_VERTEX_BUFFER, 0, 0, 0},
  };
  for (const auto& desc : buffers) {
    ID3D11Buffer* out = nullptr;
    EXPECT_EQ(device->CreateBuffer(&desc, nullptr, &out), E_INVALIDARG) << desc.ByteWidth << " " << desc.BindFlags;
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(device->CreateBuffer(nullptr, nullptr, nullptr), E_INVALIDARG);

  auto tex = [](UINT w, UINT h, UINT arr, DXGI_FORMAT f, UINT bind, UINT misc = 0, UINT mips = 1, UINT samples = 1) {
    return D3D11_TEXTURE2D_DESC{w, h, mips, arr, f, {samples, 0}, D3D11_USAGE_DEFAULT, bind, 0, misc};
  };
  const D3D11_TEXTURE2D_DESC textures[] = {
      tex(4, 4, 1, DXGI_FORMAT_UNKNOWN, D3D11_BIND_SHADER_RESOURCE),
      tex(0, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_SHADER_RESOURCE),
      tex(4, 4, 0, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_SHADER_RESOURCE),
      tex(4, 4, 1, static_cast<DXGI_FORMAT>(1000), D3D11_BIND_SHADER_RESOURCE),
      tex(4, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_DEPTH_STENCIL),
      tex(4, 4, 1, DXGI_FORMAT_BC1_UNORM, D3D11_BIND_RENDER_TARGET),
      tex(4, 4, 1, DXGI_FORMAT_D24_UNORM_S8_UINT, D3D11_BIND_RENDER_TARGET),
      tex(4, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_VERTEX_BUFFER),
      tex(4, 4, 5, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_SHADER_RESOURCE, D3D11_RESOURCE_MISC_TEXTURECUBE),
      tex(4, 8, 6, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_SHADER_RESOURCE, D3D11_RESOURCE_MISC_TEXTURECUBE),
      tex(4, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_SHADER_RESOURCE, 0, 4),   // more mips than 4x4 has
      tex(4, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_RENDER_TARGET, 0, 2, 4),  // multisampled with mips
      tex(6, 4, 1, DXGI_FORMAT_BC1_UNORM, D3D11_BIND_SHADER_RESOURCE),              // not whole blocks
      tex(32768, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_SHADER_RESOURCE),
  };
  for (const auto& desc : textures) {
    ID3D11Texture2D* out = nullptr;
    EXPECT_EQ(device->CreateTexture2D(&desc, nullptr, &out), E_INVALIDARG)
        << desc.Width << "x" << desc.Height << " format " << desc.Format << " bind " << desc.BindFlags;
    EXPECT_EQ(out, nullptr);
  }

  D3D11_SAMPLER_DESC sampler{D3D11_FILTER_MIN_MAG_MIP_LINEAR,
                             static_cast<D3D11_TEXTURE_ADDRESS_MODE>(0),
                             D3D11_TEXTURE_ADDRESS_WRAP,
                             D3D11_TEXTURE_ADDRESS_WRAP,
                             0,
                             0,
                             D3D11_COMPARISON_NEVER,
                             {0, 0, 0, 0},
                             0,
                             D3D11_FLOAT32_MAX};
  ID3D11SamplerState* s = nullptr;
  EXPECT_EQ(device->CreateSamplerState(&sampler, &s), E_INVALIDARG);
  sampler.AddressU = D3D11_TEXTURE_ADDRESS_WRAP;
  sampler.MaxAnisotropy = 17;
  EXPECT_EQ(device->CreateSamplerState(&sampler, &s), E_INVALIDARG);
  D3D11_RASTERIZER_DESC raster{
      static_cast<D3D11_FILL_MODE>(1), D3D11_CULL_BACK, FALSE, 0, 0, 0, TRUE, FALSE, FALSE, FALSE};
  ID3D11RasterizerState* r = nullptr;
  EXPECT_EQ(device->CreateRasterizerState(&raster, &r), E_INVALIDARG);
  D3D11_DEPTH_STENCIL_DESC depth{
      TRUE, D3D11_DEPTH_WRITE_MASK_ALL, static_cast<D3D11_COMPARISON_FUNC>(0), FALSE, 0xff, 0xff, {}, {}};
  ID3D11DepthStencilState* d = nullptr;
  EXPECT_EQ(device->CreateDepthStencilState(&depth, &d), E_INVALIDARG);
  EXPECT_EQ(device->CreateDepthStencilState(nullptr, &d), E_INVALIDARG);
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(r, nullptr);
  EXPECT_EQ(d, nullptr);

  // A view of a resource that was not made for it.
  Com<ID3D11Texture2D> plain = MakeTarget(4, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_BIND_SHADER_RESOURCE);
  ID3D11RenderTargetView* rtv = nullptr;
  EXPECT_EQ(device->CreateRenderTargetView(plain.Get(), nullptr, &rtv), E_INVALIDARG);
  ID3D11DepthStencilView* dsv = nullptr;
  EXPECT_EQ(device->CreateDepthStencilView(plain.Get(), nullptr, &dsv), E_INVALIDARG);
  EXPECT_EQ(device->CreateShaderResourceView(nullptr, nullptr, nullptr), E_INVALIDARG);
}

TEST_F(Basics, ShadersAndLayoutsCheckTheirBytecode) {
  Com<ID3DBlob> vs = Compile("color.hlsl", "VS", "vs_5_0");
  Com<ID3DBlob> ps = Compile("color.hlsl", "PS", "ps_5_0");
  const uint8_t garbage[64] = {1, 2, 3};
  ID3D11VertexShader* v = nullptr;
  EXPECT_EQ(device->CreateVertexShader(garbage, sizeof(garbage), nullptr, &v), E_INVALIDARG);
  EXPECT_EQ(device->CreateVertexShader(ps->GetBufferPointer(), ps->GetBufferSize(), nullptr, &v), E_INVALIDARG);
  EXPECT_EQ(v, nullptr);
  ID3D11InputLayout* layout = nullptr;
  // The shader reads COLOR, which this layout lacks.
  EXPECT_EQ(device->CreateInputLayout(kPositionLayout, 1, vs->GetBufferPointer(), vs->GetBufferSize(), &layout),
            E_INVALIDARG);
  EXPECT_EQ(layout, nullptr);
  D3D11_INPUT_ELEMENT_DESC duplicate[] = {kColorLayout[0], kColorLayout[1], kColorLayout[1]};
  EXPECT_EQ(device->CreateInputLayout(duplicate, 3, vs->GetBufferPointer(), vs->GetBufferSize(), &layout),
            E_INVALIDARG);
  // Semantic names match whatever their case.
  D3D11_INPUT_ELEMENT_DESC lower[] = {kColorLayout[0], kColorLayout[1]};
  lower[1].SemanticName = "color";
  Com<ID3D11InputLayout> ok;
  EXPECT_EQ(device->CreateInputLayout(lower, 2, vs->GetBufferPointer(), vs->GetBufferSize(), ok.Put()), S_OK);
}

// The formats DDS files bring, each created with data and viewed for sampling.
TEST_F(Basics, EveryTextureFileFormatCanBeCreatedAndViewed) {
  const DXGI_FORMAT formats[] = {
      DXGI_FORMAT_R8G8B8A8_UNORM,    DXGI_FORMAT_B8G8R8A8_UNORM,     DXGI_FORMAT_B8G8R8X8_UNORM,
      DXGI_FORMAT_R10G10B10A2_UNORM, DXGI_FORMAT_R16G16_UNORM,       DXGI_FORMAT_R32_FLOAT,
      DXGI_FORMAT_B5G5R5A1_UNORM,    DXGI_FORMAT_B5G6R5_UNORM,       DXGI_FORMAT_B4G4R4A4_UNORM,
      DXGI_FORMAT_R8_UNORM,          DXGI_FORMAT_R16_UNORM,          DXGI_FORMAT_R8G8_UNORM,
      DXGI_FORMAT_A8_UNORM,          DXGI_FORMAT_BC1_UNORM,          DXGI_FORMAT_BC2_UNORM,
      DXGI_FORMAT_BC3_UNORM,         DXGI_FORMAT_BC4_UNORM,          DXGI_FORMAT_BC4_SNORM,
      DXGI_FORMAT_BC5_UNORM,         DXGI_FORMAT_BC5_SNORM,          DXGI_FORMAT_R8G8_B8G8_UNORM,
      DXGI_FORMAT_G8R8_G8B8_UNORM,   DXGI_FORMAT_R16G16B16A16_UNORM, DXGI_FORMAT_R16G16B16A16_SNORM,
      DXGI_FORMAT_R16_FLOAT,         DXGI_FORMAT_R16G16_FLOAT,       DXGI_FORMAT_R16G16B16A16_FLOAT,
      DXGI_FORMAT_R32G32_FLOAT,      DXGI_FORMAT_R32G32B32A32_FLOAT,
  };
  std::vector<uint8_t> data(8 * 8 * 16, 0x5A);
  for (DXGI_FORMAT f : formats) {
    D3D11_TEXTURE2D_DESC desc{8, 8, 2, 1, f, {1, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, 0};
    D3D11_SUBRESOURCE_DATA init[2] = {{data.data(), 8 * 16, 0}, {data.data(), 4 * 16, 0}};
    Com<ID3D11Texture2D> texture;
    EXPECT_EQ(device->CreateTexture2D(&desc, init, texture.Put()), S_OK) << "format " << f;
    if (!texture) continue;
    Com<ID3D11ShaderResourceView> srv;
    EXPECT_EQ(device->CreateShaderResourceView(texture.Get(), nullptr, srv.Put()), S_OK) << "format " << f;
    D3D11_SHADER_RESOURCE_VIEW_DESC vd;
    srv->GetDesc(&vd);
    EXPECT_EQ(vd.ViewDimension, D3D11_SRV_DIMENSION_TEXTURE2D);
    EXPECT_EQ(vd.Texture2D.MipLevels, 2u);
  }
}

TEST_F(Basics, ViewDimensionsOfEveryTextureKind) {
  std::vector<uint8_t> data(16 * 16 * 4 * 6, 0);
  auto init = [&](size_t n) { return std::vector<D3D11_SUBRESOURCE_DATA>(n, {data.data(), 64, 64 * 16}); };
  D3D11_TEXTURE1D_DESC d1{16, 1, 3, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE, 0, 0};
  Com<ID3D11Texture1D> t1;
  ASSERT_EQ(device->CreateTexture1D(&d1, init(3).data(), t1.Put()), S_OK);
  D3D11_TEXTURE2D_DESC cube{16,
                            16,
                            0,
                            12,
                            DXGI_FORMAT_R8G8B8A8_UNORM,
                            {1, 0},
                            D3D11_USAGE_DEFAULT,
                            D3D11_BIND_SHADER_RESOURCE,
                            0,
                            D3D11_RESOURCE_MISC_TEXTURECUBE};
  Com<ID3D11Texture2D> tc;
  ASSERT_EQ(device->CreateTexture2D(&cube, nullptr, tc.Put()), S_OK);
  tc->GetDesc(&cube);
  EXPECT_EQ(cube.MipLevels, 5u);  // 0 asks for the whole chain
  D3D11_TEXTURE3D_DESC d3{8, 8, 4, 1, DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_USAGE_DEFAULT, D3D11_BIND_SHADER_RESOURCE,
                          0, 0};
  Com<ID3D11Texture3D> t3;
  ASSERT_EQ(device->CreateTexture3D(&d3, init(1).data(), t3.Put()), S_OK);
  struct Case {
    ID3D11Resource* resource;
    D3D11_SRV_DIMENSION expected;
  } cases[] = {{t1.Get(), D3D11_SRV_DIMENSION_TEXTURE1DARRAY},
               {tc.Get(), D3D11_SRV_DIMENSION_TEXTURECUBEARRAY},
               {t3.Get(), D3D11_SRV_DIMENSION_TEXTURE3D}};
  for (const Case& c : cases) {
    Com<ID3D11ShaderResourceView> srv;
    ASSERT_EQ(device->CreateShaderResourceView(c.resource, nullptr, srv.Put()), S_OK);
    D3D11_SHADER_RESOURCE_VIEW_DESC vd;
    srv->GetDesc(&vd);
    EXPECT_EQ(vd.ViewDimension, c.expected);
  }
  D3D11_SHADER_RESOURCE_VIEW_DESC one{DXGI_FORMAT_R8G8B8A8_UNORM, D3D11_SRV_DIMENSION_TEXTURECUBE, {}};
  one.TextureCube = {1, 2};
  Com<ID3D11ShaderResourceView> faces;
  EXPECT_EQ(device->CreateShaderResourceView(tc.Get(), &one, faces.Put()), S_OK);
  one.TextureCube = {4, 2};  // past the last level
  EXPECT_EQ(device->CreateShaderResourceView(tc.Get(), &one, faces.Put()), E_INVALIDARG);
}

TEST_F(Basics, FourteenThreadsCreateObjectsAtOnce) {
  Com<ID3DBlob> vs = Compile("color.hlsl", "VS", "vs_5_0");
  Com<ID3DBlob> ps = Compile("color.hlsl", "PS", "ps_5_0");
  std::atomic<int> failures{0};
  std::vector<ID3D11RasterizerState*> states(14, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 14; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 4; ++round) {
        Com<ID3D11Buffer> cb;
        D3D11_BUFFER_DESC bd{256, D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
        if (device->CreateBuffer(&bd, nullptr, cb.Put()) != S_OK) ++failures;
        D3D11_TEXTURE2D_DESC td{
            16, 16, 1, 1, DXGI_FORMAT_D24_UNORM_S8_UINT, {8, 0}, D3D11_USAGE_DEFAULT, D3D11_BIND_DEPTH_STENCIL, 0, 0};
        Com<ID3D11Texture2D> depth;
        Com<ID3D11DepthStencilView> dsv;
        if (device->CreateTexture2D(&td, nullptr, depth.Put()) != S_OK ||
            device->CreateDepthStencilView(depth.Get(), nullptr, dsv.Put()) != S_OK)
          ++failures;
        Com<ID3D11VertexShader> v;
        Com<ID3D11PixelShader> p;
        Com<ID3D11InputLayout> layout;
        if (device->CreateVertexShader(vs->GetBufferPointer(), vs->GetBufferSize(), nullptr, v.Put()) != S_OK ||
            device->CreatePixelShader(ps->GetBufferPointer(), ps->GetBufferSize(), nullptr, p.Put()) != S_OK ||
            device->CreateInputLayout(kColorLayout, 2, vs->GetBufferPointer(), vs->GetBufferSize(), layout.Put()) !=
                S_OK)
          ++failures;
        D3D11_SAMPLER_DESC sd{D3D11_FILTER_MIN_MAG_MIP_LINEAR,
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
        if (device->CreateSamplerState(&sd, sampler.Put()) != S_OK) ++failures;
        Com<ID3D11DeviceContext> deferred;
        if (device->CreateDeferredContext(0, deferred.Put()) != S_OK) ++failures;
      }
      D3D11_RASTERIZER_DESC rd{D3D11_FILL_SOLID, D3D11_CULL_BACK, FALSE, 0, 0, 0, TRUE, FALSE, TRUE, TRUE};
      if (device->CreateRasterizerState(&rd, &states[t]) != S_OK) ++failures;
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  for (ID3D11RasterizerState* s : states) {
    EXPECT_EQ(s, states[0]);
    if (s) s->Release();
  }
}

}  // namespace
