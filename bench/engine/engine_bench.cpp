// Engine construction (the threaded schedule) and demonstration frames at 1280x720.
#include <benchmark/benchmark.h>

#include <windows.h>
#include <zr_win32.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/demoscene.h"
#include "engine/engine.h"

namespace {

HWND MakeWindow(int width, int height) {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"ZrEngineBench";
    return RegisterClassExW(&wc);
  }();
  (void)atom;
  return CreateWindowExW(0, L"ZrEngineBench", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr, nullptr,
                         nullptr, nullptr);
}

// Resident memory in kilobytes.
long ResidentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return 0;
}

void BM_EngineConstruction(benchmark::State& state) {
  std::filesystem::current_path(ZR_APP_DIR);
  HWND window = MakeWindow(1280, 720);
  for (auto _ : state) {
    auto engine = std::make_unique<Engine>(window, 1280, 720);
    benchmark::DoNotOptimize(engine->GetPipeline()->Input_Layout);
    state.PauseTiming();  // the shutdown is not construction
    engine.reset();
    state.ResumeTiming();
  }
  DestroyWindow(window);
}
BENCHMARK(BM_EngineConstruction)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DemonstrationFrame(benchmark::State& state) {
  std::filesystem::current_path(ZR_APP_DIR);
  HWND window = MakeWindow(1280, 720);
  DemoScene demo;
  demo.SetUp(window, 1280, 720);
  for (int i = 0; i < 10; ++i) demo.RunFrame();
  const long before = ResidentKb();
  for (auto _ : state) demo.RunFrame();
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["rss_growth_kb"] = double(ResidentKb() - before);
  demo.TearDown();
  DestroyWindow(window);
}
BENCHMARK(BM_DemonstrationFrame)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();

}  // namespace
