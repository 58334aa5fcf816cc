// Entry point of the core benchmarks; the benchmark files beside it only register their cases.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
