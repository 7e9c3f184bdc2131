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

// Argument 0: the threaded schedule; 1: the same steps one after another.
void BM_EngineConstruction(benchmark::State& state) {
  std::filesystem::current_path(ZR_APP_DIR);
  HWND window = MakeWindow(1280, 720);
  const auto schedule = state.range(0) ? Engine::Schedule::Sequential : Engine::Schedule::Threaded;
  state.SetLabel(state.range(0) ? "sequential" : "threaded");
  for (auto _ : state) {
    auto engine = std::make_unique<Engine>(window, 1280, 720, schedule);
    benchmark::DoNotOptimize(engine->GetPipeline()->Input_Layout);
    state.PauseTiming();  // the shutdown is not construction
    engine.reset();
    state.ResumeTiming();
  }
  DestroyWindow(window);
}
BENCHMARK(BM_EngineConstruction)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// Arguments: the target's width and height.
void BM_DemonstrationFrame(benchmark::State& state) {
  std::filesystem::current_path(ZR_APP_DIR);
  const int width = int(state.range(0)), height = int(state.range(1));
  HWND window = MakeWindow(width, height);
  DemoScene demo;
  demo.SetUp(window, float(width), float(height));
  for (int i = 0; i < 10; ++i) demo.RunFrame();
  // Resident memory once the first tenth of the frames has settled it, and its growth
  // over the other nine tenths.
  const int64_t settle = state.max_iterations / 10;
  int64_t frame = 0;
  long settled = ResidentKb();
  for (auto _ : state) {
    demo.RunFrame();
    if (++frame == settle) settled = ResidentKb();
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["rss_settled_kb"] = double(settled);
  state.counters["rss_growth_kb"] = double(ResidentKb() - settled);
  demo.TearDown();
  DestroyWindow(window);
}
BENCHMARK(BM_DemonstrationFrame)->Args({1280, 720})->Iterations(200)->Unit(benchmark::kMillisecond)->UseRealTime();
// Resident memory must stay flat over a long run; a small target keeps it short.
BENCHMARK(BM_DemonstrationFrame)->Args({320, 240})->Iterations(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
