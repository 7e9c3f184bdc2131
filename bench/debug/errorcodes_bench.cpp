#include <benchmark/benchmark.h>

#include <cstdint>

#include "debug/errorcodes.h"

namespace {

// A spread of known codes from across the table, and codes it does not hold.
const uint32_t kKnown[] = {0x00000000, 0x00000057, 0x000005AA, 0x00002AF9, 0x80004005, 0x80070057,
                           0x80090308, 0x80040201, 0x8876086C, 0x887A0005, 0x887C0002, 0x88990001};
const uint32_t kUnknown[] = {0x12345678, 0x7FFFFFFF, 0xFFFFFFFF, 0x00003701, 0x087A0003, 0xDEADBEEF};

template <size_t N>
void Lookup(benchmark::State& state, const uint32_t (&codes)[N]) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(GetErrorCodeName(static_cast<HRESULT>(codes[i])));
    i = (i + 1) % N;
  }
}

void BM_GetErrorCodeNameKnown(benchmark::State& state) { Lookup(state, kKnown); }
void BM_GetErrorCodeNameUnknown(benchmark::State& state) { Lookup(state, kUnknown); }

}  // namespace

BENCHMARK(BM_GetErrorCodeNameKnown);
BENCHMARK(BM_GetErrorCodeNameUnknown);
