// One forward fractional crystallisation: VG-2 with olivine (Ford et al., 1983), plagioclase
// and clinopyroxene (Langmuir et al., 1992), QFM, to 50% crystallisation in steps of 0.01% of
// the melt. "ForwardRun" writes the result files as a run does (the main log is built and
// dropped); "ForwardRun/NoFiles" measures the engine alone. The counters: model_evaluations,
// the liquidus temperatures the engine asked the models for; residual_evaluations, the
// residuals their searches evaluated.
#include <benchmark/benchmark.h>

#include "BenchMain.h"
#include "BenchSupport.h"
#include "engines/Fr.h"
#include "io/FracFiles.h"
#include "io/OutputFiles.h"
#include "io/OutputSink.h"

namespace varnodel::bench {

namespace {

void forwardRun(benchmark::State& bench, bool withFiles) {
    const AnalysesData data = referenceGlassFile();
    const RunState state = forwardRunState(fordLangmuirModels(), 50.0, 0.01);
    TAssemblage vg2 = data.analyses.front();
    vg2.pressureBlock = state.composition.pressureBlock;
    const PresentElements present{data.h2oPresent, data.presentTraces};

    ScratchFolder folder("frac");
    const std::string base = (folder.path() / "Varnodel_Output_FRAC").string();
    PerPhase<bool> withModel{};
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        withModel[i] = state.slots[i] != nullptr;
    appendLine(base + ".csv", fracExportHeader(withModel, present));

    NullReporter quiet;
    ModelWork work;
    for (auto _ : bench) {
        RunSnapshot snapshot = state.snapshot();
        DirectSink disk;
        FracFiles files(base, present, quiet, disk, true);
        NoFracOutput none;
        FracOutput& output = withFiles ? static_cast<FracOutput&>(files) : none;
        TFracThread engine(snapshot, vg2, output, quiet);
        if (engine.run() != RunOutcome::Completed) {
            bench.SkipWithError("the forward run did not complete");
            return;
        }
        work = ModelWork{};
        work.add(snapshot.context());
    }
    work.report(bench);
}

}  // namespace

void registerForwardRunBenchmarks() {
    benchmark::RegisterBenchmark("ForwardRun", forwardRun, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ForwardRun/NoFiles", forwardRun, false)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace varnodel::bench
