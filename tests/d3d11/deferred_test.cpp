// Deferred contexts and command lists: what state a list starts from and leaves behind,
// and that updates and clears recorded on a deferred context run in recording order.
#include "d3d11test.h"

namespace {

class Deferred : public D3D11Test {
 protected:
  static constexpr UINT kSize = 16;
  struct Tint {
    float color[4];
    float offset[4];
  };
  static constexpr Tint kRedLeft{{1, 0, 0, 1}, {0, 0, 0, 0}}, kGreenRight{{0, 1, 0, 1}, {1, 0, 0, 0}},
      kBlueRight{{0, 0, 1, 1}, {1, 0, 0, 0}};

  void SetUp() override {
    D3D11Test::SetUp();
    ASSERT_EQ(device->CreateDeferredContext(0, deferred.Put()), S_OK);
    target = MakeTarget(kSize, kSize);
    rtv = Rtv(target);
    const float black[4] = {0, 0, 0, 1};
    context->ClearRenderTargetView(rtv.Get(), black);
    Com<ID3DBlob> vsCode = Compile("tint.hlsl", "VS", "vs_5_0");
    vs = VertexShader(vsCode);
    ps = PixelShader("tint.hlsl");
    layout = Layout(kPositionLayout, 1, vsCode);
    // The left half of the target; the offset in the constant buffer moves it right.
    const float quad[6][3] = {{-1, -1, 0}, {-1, 1, 0}, {0, -1, 0}, {0, -1, 0}, {-1, 1, 0}, {0, 1, 0}};
    vb = MakeBuffer(D3D11_BIND_VERTEX_BUFFER, quad, sizeof(quad));
    cb = MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, &kRedLeft, sizeof(Tint));
  }
  void TearDown() override {
    deferred.Reset();
    D3D11Test::TearDown();
  }
  // Everything the tint draw needs, recorded on `ctx`.
  void Bind(ID3D11DeviceContext* ctx, ID3D11Buffer* constants) {
    UINT stride = 12, offset = 0;
    ctx->IASetInputLayout(layout.Get());
    ctx->IASetVertexBuffers(0, 1, vb.Addr(), &stride, &offset);
    ctx->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    ctx->VSSetShader(vs.Get(), nullptr, 0);
    ctx->PSSetShader(ps.Get(), nullptr, 0);
    ctx->VSSetConstantBuffers(0, 1, &constants);
    ctx->PSSetConstantBuffers(0, 1, &constants);
    ctx->OMSetRenderTargets(1, rtv.Addr(), nullptr);
    Viewport(ctx, kSize, kSize);
  }
  Com<ID3D11CommandList> Finish(BOOL restore) {
    Com<ID3D11CommandList> list;
    EXPECT_EQ(deferred->FinishCommandList(restore, list.Put()), S_OK);
    return list;
  }
  uint32_t Left() { return Read(target)[8 * kSize + 3]; }
  uint32_t Right() { return Read(target)[8 * kSize + 12]; }

  Com<ID3D11DeviceContext> deferred;
  Com<ID3D11Texture2D> target;
  Com<ID3D11RenderTargetView> rtv;
  Com<ID3D11VertexShader> vs;
  Com<ID3D11PixelShader> ps;
  Com<ID3D11InputLayout> layout;
  Com<ID3D11Buffer> vb, cb;
};

TEST_F(Deferred, ListFinishedWithTrueLeavesBindingsForTheNextList) {
  Bind(deferred.Get(), cb.Get());
  deferred->Draw(6, 0);
  Com<ID3D11CommandList> first = Finish(TRUE);
  deferred->UpdateSubresource(cb.Get(), 0, nullptr, &kGreenRight, 0, 0);
  deferred->Draw(6, 0);  // no bindings recorded in this list
  Com<ID3D11CommandList> second = Finish(TRUE);
  context->ExecuteCommandList(first.Get(), TRUE);
  context->ExecuteCommandList(second.Get(), TRUE);
  EXPECT_EQ(Left(), kRed);
  EXPECT_EQ(Right(), kGreen);
}

TEST_F(Deferred, ListFinishedWithFalseLeavesTheNextListNothingToDrawWith) {
  Bind(deferred.Get(), cb.Get());
  deferred->Draw(6, 0);
  Com<ID3D11CommandList> first = Finish(FALSE);
  deferred->UpdateSubresource(cb.Get(), 0, nullptr, &kGreenRight, 0, 0);
  deferred->Draw(6, 0);
  Com<ID3D11CommandList> second = Finish(FALSE);
  context->ExecuteCommandList(first.Get(), TRUE);
  context->ExecuteCommandList(second.Get(), TRUE);
  EXPECT_EQ(Left(), kRed);
  EXPECT_EQ(Right(), kBlack);
  Com<ID3D11VertexShader> bound;
  deferred->VSGetShader(bound.Put(), nullptr, nullptr);
  EXPECT_FALSE(bound);
}

TEST_F(Deferred, ImmediateContextGetsItsOwnBindingsBackAfterExecuting) {
  Com<ID3D11Buffer> immediateCb = MakeBuffer(D3D11_BIND_CONSTANT_BUFFER, &kBlueRight, sizeof(Tint));
  Bind(context.Get(), immediateCb.Get());
  Bind(deferred.Get(), cb.Get());  // the list binds its own buffer: red on the left
  deferred->Draw(6, 0);
  Com<ID3D11CommandList> list = Finish(TRUE);
  context->ExecuteCommandList(list.Get(), TRUE);
  context->Draw(6, 0);  // with the immediate context's buffer: blue on the right
  EXPECT_EQ(Left(), kRed);
  EXPECT_EQ(Right(), kBlue);
  // Executed with FALSE, the immediate context is left cleared: a draw does nothing.
  const float black[4] = {0, 0, 0, 1};
  context->ClearRenderTargetView(rtv.Get(), black);
  context->ExecuteCommandList(list.Get(), FALSE);
  context->Draw(6, 0);
  EXPECT_EQ(Left(), kRed);
  EXPECT_EQ(Right(), kBlack);
}

TEST_F(Deferred, TwoConstantBufferUpdatesBetweenTwoDrawsOfOneList) {
  Bind(deferred.Get(), cb.Get());
  deferred->UpdateSubresource(cb.Get(), 0, nullptr, &kRedLeft, 0, 0);
  deferred->Draw(6, 0);
  deferred->UpdateSubresource(cb.Get(), 0, nullptr, &kGreenRight, 0, 0);
  deferred->Draw(6, 0);
  Com<ID3D11CommandList> list = Finish(TRUE);
  context->ExecuteCommandList(list.Get(), TRUE);
  EXPECT_EQ(Left(), kRed);
  EXPECT_EQ(Right(), kGreen);
  // A list runs again as recorded.
  const float black[4] = {0, 0, 0, 1};
  context->ClearRenderTargetView(rtv.Get(), black);
  context->ExecuteCommandList(list.Get(), TRUE);
  EXPECT_EQ(Left(), kRed);
  EXPECT_EQ(Right(), kGreen);
}

TEST_F(Deferred, ClearRecordedBeforeAnyListWaitsForTheNextList) {
  const float white[4] = {1, 1, 1, 1};
  deferred->ClearRenderTargetView(rtv.Get(), white);
  EXPECT_EQ(Left(), kBlack);  // nothing has run yet
  Bind(deferred.Get(), cb.Get());
  deferred->Draw(6, 0);
  Com<ID3D11CommandList> list = Finish(TRUE);
  context->ExecuteCommandList(list.Get(), TRUE);
  EXPECT_EQ(Left(), kRed);
  EXPECT_EQ(Right(), kWhite);
}

TEST_F(Deferred, ObjectsNamedByAListLiveAsLongAsTheList) {
  ID3D11Buffer* temporary = nullptr;
  D3D11_BUFFER_DESC desc{sizeof(Tint), D3D11_USAGE_DEFAULT, D3D11_BIND_CONSTANT_BUFFER, 0, 0, 0};
  D3D11_SUBRESOURCE_DATA init{&kGreenRight, 0, 0};
  ASSERT_EQ(device->CreateBuffer(&desc, &init, &temporary), S_OK);
  Bind(deferred.Get(), temporary);
  deferred->Draw(6, 0);
  Com<ID3D11CommandList> list = Finish(FALSE);
  EXPECT_EQ(temporary->Release(), 0u);  // the application's last reference
  context->ExecuteCommandList(list.Get(), TRUE);
  EXPECT_EQ(Right(), kGreen);
  EXPECT_EQ(deferred->GetType(), D3D11_DEVICE_CONTEXT_DEFERRED);
  EXPECT_EQ(context->GetType(), D3D11_DEVICE_CONTEXT_IMMEDIATE);
}

}  // namespace
