// The Fe-loss reconstruction of 100 melt inclusions (the four of tests/data/melt_inclusions.csv,
// each with 25 hosts and targets around its own), Ford et al. (1983) on QFM, as
// `varnodel-cli ironloss` computes them without files. The counter s_per_inclusion is the time
// of one reconstruction.
#include <benchmark/benchmark.h>

#include "BenchMain.h"
#include "BenchSupport.h"
#include "core/NumberFormat.h"
#include "engines/IronLoss.h"

namespace varnodel::bench {

namespace {

class NoIronLossOutput : public IronLossOutput {
  public:
    void progressHeader() override {}
    void progress(const IronLossProgress&) override {}
    void resultRow(const IronLossRow&) override {}
};

std::vector<TAssemblage> hundredInclusions() {
    NullReporter quiet;
    const AnalysesData data = loadAnalysesFile(
        std::string(VARNODEL_TEST_DATA_DIR) + "/melt_inclusions.csv", "Olivine MI", quiet);
    std::vector<TAssemblage> inclusions;
    for (int k = 0; k < 100; ++k) {
        TAssemblage a = data.analyses[static_cast<std::size_t>(k) % data.analyses.size()];
        const int spread = k / static_cast<int>(data.analyses.size());  // 0..24
        a.meltInclusions.hostFo =
            shortestGeneral(hostFoOf(a) + 0.1 * static_cast<double>(spread % 5 - 2));
        a.meltInclusions.wholeRockFeO =
            shortestGeneral(finalFeOOf(a) + 0.1 * static_cast<double>(spread / 5 - 2));
        a.number = k + 1;
        inclusions.push_back(a);
    }
    return inclusions;
}

void reconstructions(benchmark::State& bench) {
    const std::vector<TAssemblage> inclusions = hundredInclusions();
    RunState state;
    NullReporter quiet;
    NoIronLossOutput none;
    for (auto _ : bench) {
        for (const TAssemblage& inclusion : inclusions) {
            RunSnapshot snapshot = state.snapshot();
            TIronLossThread engine(snapshot, inclusion, none, quiet);
            if (engine.run() != RunOutcome::Completed) {
                bench.SkipWithError(
                    ("the reconstruction of " + inclusion.name + " failed").c_str());
                return;
            }
        }
    }
    bench.counters["s_per_inclusion"] = benchmark::Counter(
        static_cast<double>(inclusions.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

void registerIronLossBenchmarks() {
    benchmark::RegisterBenchmark("IronLoss/HundredInclusions", reconstructions)
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
}

}  // namespace varnodel::bench
