#include <benchmark/benchmark.h>

#include "BenchMain.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    varnodel::bench::registerLiquidusBenchmarks();
    varnodel::bench::registerForwardRunBenchmarks();
    varnodel::bench::registerReverseRunBenchmarks();
    varnodel::bench::registerBatchBenchmarks();
    varnodel::bench::registerMlaBenchmarks();
    varnodel::bench::registerProfileBenchmarks();
    varnodel::bench::registerIronLossBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
