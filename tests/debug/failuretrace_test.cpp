#include "debug/failuretrace.h"

#include <gtest/gtest.h>
#include <zr_win32.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// The sink runs on the thread that sent the text, so each thread sees its own lines.
thread_local std::wstring tDebugOutput;

void CaptureDebugOutput(const wchar_t* text, void*) { tDebugOutput += text; }

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class FailureTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    tDebugOutput.clear();
    zr::win32::SetDebugOutputSink(CaptureDebugOutput, nullptr);
    zr::win32::SetMessageBoxAnswer(IDNO);
  }
  void TearDown() override {
    zr::win32::SetDebugOutputSink(nullptr, nullptr);
    zr::win32::SetMessageBoxAnswer(0);
  }

  // Runs the trace with the box shown and returns what reached standard error, where the
  // scripted box writes its caption and text.
  static std::string TraceWithBox(const WCHAR* file, DWORD line, HRESULT status, const WCHAR* call) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(TraceFailure(file, line, status, call, true), status);
    return ::testing::internal::GetCapturedStderr();
  }
};

constexpr const char* kCaption = "Unexpected error encountered";
constexpr const char* kQuestion = "Do you want to debug the application?";

struct TraceCase {
  const char* Label;
  const WCHAR* File;
  DWORD Line;
  HRESULT Status;
  const WCHAR* Call;
  const WCHAR* DebugLine;
  const char* Box;
};

const TraceCase kTraceCases[] = {
    {"everything", L"engine.cpp", 42, static_cast<HRESULT>(0x80070057), L"Device->CreateBuffer(&Desc, NULL, &Buffer)",
     L"engine.cpp(42): Device->CreateBuffer(&Desc, NULL, &Buffer) hr=E_INVALIDARG (0x80070057)\n",
     "File: engine.cpp\nLine: 42\nError Code: E_INVALIDARG (0x80070057)\n"
     "Calling: Device->CreateBuffer(&Desc, NULL, &Buffer)\nDo you want to debug the application?"},
    {"null file", nullptr, 7, static_cast<HRESULT>(0x887A0005), L"SwapChain->Present(0, 0)",
     L"SwapChain->Present(0, 0) hr=DXGI_ERROR_DEVICE_REMOVED (0x887a0005)\n",
     "File: \nLine: 7\nError Code: DXGI_ERROR_DEVICE_REMOVED (0x887a0005)\n"
     "Calling: SwapChain->Present(0, 0)\nDo you want to debug the application?"},
    {"null call", L"a.cpp", 1, E_FAIL, nullptr, L"a.cpp(1): hr=E_FAIL (0x80004005)\n",
     "File: a.cpp\nLine: 1\nError Code: E_FAIL (0x80004005)\nDo you want to debug the application?"},
    {"empty call", L"a.cpp", 1, E_FAIL, L"", L"a.cpp(1): hr=E_FAIL (0x80004005)\n",
     "File: a.cpp\nLine: 1\nError Code: E_FAIL (0x80004005)\nDo you want to debug the application?"},
    {"nothing but the status", nullptr, 0, S_OK, nullptr, L"hr=S_OK (0x00000000)\n",
     "File: \nLine: 0\nError Code: S_OK (0x00000000)\nDo you want to debug the application?"},
    {"success code", L"b.cpp", 3, S_FALSE, L"Query()", L"b.cpp(3): Query() hr=S_FALSE (0x00000001)\n",
     "File: b.cpp\nLine: 3\nError Code: S_FALSE (0x00000001)\nCalling: Query()\n"
     "Do you want to debug the application?"},
    {"unknown code, largest line", L"c.cpp", 4294967295u, static_cast<HRESULT>(0x12345678), L"f()",
     L"c.cpp(4294967295): f() hr=Unknown error. (0x12345678)\n",
     "File: c.cpp\nLine: 4294967295\nError Code: Unknown error. (0x12345678)\nCalling: f()\n"
     "Do you want to debug the application?"},
};

TEST_F(FailureTrace, WritesTheDebuggerLineAndTheBox) {
  for (const TraceCase& c : kTraceCases) {
    SCOPED_TRACE(c.Label);
    tDebugOutput.clear();
    const std::string stderrText = TraceWithBox(c.File, c.Line, c.Status, c.Call);
    EXPECT_EQ(tDebugOutput, c.DebugLine);
    EXPECT_NE(stderrText.find(kCaption), std::string::npos) << stderrText;
    EXPECT_NE(stderrText.find(c.Box), std::string::npos) << stderrText;
  }
}

TEST_F(FailureTrace, WithoutTheBoxWritesOnlyTheDebuggerLine) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(TraceFailure(L"d.cpp", 9, E_FAIL, L"g()", false), E_FAIL);
  const std::string stderrText = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(tDebugOutput, L"d.cpp(9): g() hr=E_FAIL (0x80004005)\n");
  EXPECT_EQ(stderrText.find(kCaption), std::string::npos) << stderrText;
  EXPECT_EQ(stderrText.find(kQuestion), std::string::npos) << stderrText;
}

TEST_F(FailureTrace, ReturnsTheStatusWhateverTheAnswer) {
  // No debugger is attached, so answering Yes reaches DebugBreak, which must come back.
  for (int answer : {IDYES, IDNO, IDCANCEL}) {
    for (HRESULT status : {E_FAIL, S_OK, static_cast<HRESULT>(0xFFFFFFFF)}) {
      SCOPED_TRACE(testing::Message() << "answer " << answer << " status " << status);
      zr::win32::SetMessageBoxAnswer(answer);
      ::testing::internal::CaptureStderr();
      EXPECT_EQ(TraceFailure(L"e.cpp", 5, status, L"h()", true), status);
      ::testing::internal::GetCapturedStderr();
    }
  }
}

// Over-long texts are cut to their buffers; the parts after them survive.
TEST_F(FailureTrace, CutsOverLongFileAndCallText) {
  struct Length {
    size_t File, Call;        // given
    size_t BoxFile, BoxCall;  // what the box keeps
  };
  const Length lengths[] = {
      {259, 1013, 259, 1013},  // exactly fits
      {260, 1014, 259, 1013},  // one too many
      {5000, 5000, 259, 1013},
  };
  for (const Length& l : lengths) {
    SCOPED_TRACE(testing::Message() << "file " << l.File << " call " << l.Call);
    const std::wstring file(l.File, L'f');
    const std::wstring call(l.Call, L'c');
    tDebugOutput.clear();
    const std::string stderrText = TraceWithBox(file.c_str(), 42, E_FAIL, call.c_str());

    const std::string box = "File: " + std::string(l.BoxFile, 'f') + "\nLine: 42\nError Code: E_FAIL (0x80004005)\n" +
                            "Calling: " + std::string(l.BoxCall, 'c') + "\n" + kQuestion;
    EXPECT_NE(stderrText.find(box), std::string::npos);
    EXPECT_EQ(stderrText.find(std::string(l.BoxFile + 1, 'f')), std::string::npos);
    EXPECT_EQ(stderrText.find(std::string(l.BoxCall + 1, 'c')), std::string::npos);

    // The debugger line keeps the line number even when the file name must be cut.
    const size_t debugFile = std::min<size_t>(l.File, 2999 - 14);
    EXPECT_EQ(Narrow(tDebugOutput),
              std::string(debugFile, 'f') + "(42): " + std::string(l.Call, 'c') + " hr=E_FAIL (0x80004005)\n");
  }
}

TEST_F(FailureTrace, RunsOnSeveralThreadsAtOnce) {
  constexpr int kThreads = 8;
  std::vector<std::thread> threads;
  std::vector<std::wstring> seen(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &seen] {
      const std::wstring file = L"worker" + std::to_wstring(t) + L".cpp";
      for (int i = 0; i < 20; ++i) {
        TraceFailure(file.c_str(), static_cast<DWORD>(i), E_INVALIDARG, L"Create()", i % 5 == 0);
      }
      seen[t] = tDebugOutput;
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    std::wstring expected;
    for (int i = 0; i < 20; ++i) {
      expected += L"worker" + std::to_wstring(t) + L".cpp(" + std::to_wstring(i) +
                  L"): Create() hr=E_INVALIDARG (0x80070057)\n";
    }
    EXPECT_EQ(seen[t], expected) << "thread " << t;
  }
}

int gCalls = 0;
HRESULT Counted(HRESULT status) {
  ++gCalls;
  return status;
}
HRESULT Compile(const WCHAR*, int flags) { return flags == 3 ? E_FAIL : S_OK; }

TEST_F(FailureTrace, CheckedCallTracesAFailureAndGoesOn) {
  gCalls = 0;
  bool wentOn = false;
  ::testing::internal::CaptureStderr();
  const int line = __LINE__ + 1;
  CHECK_HR(Counted(E_OUTOFMEMORY));
  wentOn = true;
  const std::string stderrText = ::testing::internal::GetCapturedStderr();

  EXPECT_TRUE(wentOn);
  EXPECT_EQ(gCalls, 1);
  const std::wstring file = ZR_WIDE_TEXT(__FILE__);
  EXPECT_EQ(tDebugOutput,
            file + L"(" + std::to_wstring(line) + L"): Counted(E_OUTOFMEMORY) hr=E_OUTOFMEMORY (0x8007000e)\n");
  EXPECT_NE(stderrText.find("Line: " + std::to_string(line) +
                            "\nError Code: E_OUTOFMEMORY (0x8007000e)\n"
                            "Calling: Counted(E_OUTOFMEMORY)\n" +
                            kQuestion),
            std::string::npos)
      << stderrText;
}

TEST_F(FailureTrace, CheckedCallReportsTheCallAsWritten) {
  CHECK_HR(Compile(L"VertexShader.hlsl", 1 | 2));
  const std::wstring text = tDebugOutput;
  EXPECT_NE(text.find(L"): Compile(L\"VertexShader.hlsl\", 1 | 2) hr=E_FAIL (0x80004005)\n"), std::wstring::npos)
      << Narrow(text);
}

TEST_F(FailureTrace, CheckedCallPassesSuccessSilently) {
  gCalls = 0;
  ::testing::internal::CaptureStderr();
  CHECK_HR(Counted(S_OK));
  CHECK_HR(Counted(S_FALSE));
  CHECK_HR(Counted(static_cast<HRESULT>(0x087A0001)));
  const std::string stderrText = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(gCalls, 3);
  EXPECT_EQ(tDebugOutput, L"");
  EXPECT_EQ(stderrText.find(kCaption), std::string::npos);
}

}  // namespace
