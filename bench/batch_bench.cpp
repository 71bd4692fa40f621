// A batch through the calculation dispatcher, as `varnodel-cli frac --data ... --quiet --jobs N`
// runs it: the seven reference glasses repeated to 200 analyses, result files written to a
// scratch folder, the main log dropped; on one thread and on two. The counters are the models'
// work in the whole batch (see frac_bench.cpp).
#include <benchmark/benchmark.h>

#include "BenchMain.h"
#include "BenchSupport.h"
#include "ui/CalcThread.h"

namespace varnodel::bench {

namespace {

constexpr std::size_t kBatchAnalyses = 200;

// Each analysis: olivine (Ford et al., 1983), plagioclase and clinopyroxene (Langmuir et al.,
// 1992), QFM, to 20% crystallisation in steps of 0.2% - a quick exploratory run, short
// enough that a batch of 200 is measured in seconds.
constexpr double kBatchPercent = 20.0;
constexpr double kBatchStep = 0.2;

void batch(benchmark::State& bench) {
    const AnalysesData data = referenceGlassFile();
    RunState state = forwardRunState(fordLangmuirModels(), kBatchPercent, kBatchStep);
    state.analyses.clear();
    for (std::size_t k = 0; k < kBatchAnalyses; ++k)
        state.analyses.push_back(data.analyses[k % data.analyses.size()]);
    state.options.wholeFile = true;
    state.settings.active = activeElements(data);
    ScratchFolder folder("batch");
    state.options.outputDirectory = folder.path().string();
    const PresentElements present{data.h2oPresent, data.presentTraces};

    NullReporter quiet;
    for (auto _ : bench) {
        TVarnodelCalcThread dispatcher(Calculation::Fractional, state, present, quiet);
        dispatcher.setJobs(static_cast<unsigned>(bench.range(0)));
        const DispatchResult result = dispatcher.execute();
        if (result.notStarted || result.failed > 0 ||
            result.analyses != static_cast<int>(kBatchAnalyses)) {
            bench.SkipWithError("the batch did not run every analysis");
            return;
        }
    }
    bench.counters["analyses"] = static_cast<double>(kBatchAnalyses);
    // Each analysis runs on models cloned for it alone, so the models' work of the batch is
    // the sum of its analyses' own, whatever the number of jobs.
    ModelWork work;
    for (TAssemblage analysis : state.analyses) {
        analysis.pressureBlock = state.composition.pressureBlock;
        analysis.hasStopBlock = analysis.hasStopBlock && state.options.stopFromFile;
        const ModelWork one = forwardRunWork(state, analysis);
        work.liquidus += one.liquidus;
        work.residuals += one.residuals;
    }
    work.report(bench);
}

}  // namespace

void registerBatchBenchmarks() {
    // Real time: the analyses of a parallel batch run on the dispatcher's own threads.
    benchmark::RegisterBenchmark("Batch200", batch)
        ->ArgName("jobs")
        ->Arg(1)
        ->Arg(2)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

}  // namespace varnodel::bench
