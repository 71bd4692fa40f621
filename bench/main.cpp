#include <benchmark/benchmark.h>

#include "BenchMain.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    varnodel::bench::registerLiquidusBenchmarks();
    varnodel::bench::registerForwardRunBenchmarks();
    varnodel::bench::registerBatchBenchmarks();
    // The melt liquidus association of every registered model for one analysis is measured
    // here once its engine (engines/MLA) is part of the program.
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
