// The benchmark families, registered by main() before the run: they need the model registry
// and the data files, which static registration would build before main.
#pragma once

namespace varnodel::bench {

void registerLiquidusBenchmarks();
void registerForwardRunBenchmarks();
void registerReverseRunBenchmarks();
void registerBatchBenchmarks();
void registerMlaBenchmarks();
void registerProfileBenchmarks();
void registerIronLossBenchmarks();

}  // namespace varnodel::bench
