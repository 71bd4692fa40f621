// One reverse crystallisation: VG-2 with olivine (Ford et al., 1983), plagioclase and
// clinopyroxene (Langmuir et al., 1992), QFM, back 30 % in steps of 0.01 % of the melt - the
// mirror of "ForwardRun". "ReverseRun" writes the result files as a run does (the main log is
// built and dropped); "ReverseRun/NoFiles" measures the engine alone.
#include <benchmark/benchmark.h>

#include "BenchMain.h"
#include "BenchSupport.h"
#include "engines/rev.h"
#include "io/OutputFiles.h"
#include "io/OutputSink.h"
#include "io/RevFiles.h"

namespace varnodel::bench {

namespace {

class NoRevOutput : public RevOutput {
  public:
    void runHeader(const RevRunInfo&) override {}
    void startingComposition(const RevRunInfo&, const TAnalysis&) override {}
    void stepNotices(const RevRunInfo&, const RevState&) override {}
    void printedStep(const RevRunInfo&, const RevState&, const TAnalysis&, double) override {}
};

void reverseRun(benchmark::State& bench, bool withFiles) {
    const AnalysesData data = referenceGlassFile();
    const RunState state = forwardRunState(fordLangmuirModels(), 30.0, 0.01);
    TAssemblage vg2 = data.analyses.front();
    vg2.pressureBlock = state.composition.pressureBlock;
    const PresentElements present{data.h2oPresent, data.presentTraces};

    ScratchFolder folder("rev");
    const std::string base = (folder.path() / "Varnodel_Output_REV").string();
    PerPhase<bool> withModel{};
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        withModel[i] = state.slots[i] != nullptr;
    appendLine(base + ".csv", revResultsHeader(withModel, present));

    NullReporter quiet;
    std::uint64_t evaluations = 0;
    for (auto _ : bench) {
        RunSnapshot snapshot = state.snapshot();
        DirectSink disk;
        RevFiles files(base, present, quiet, disk, true);
        NoRevOutput none;
        RevOutput& output = withFiles ? static_cast<RevOutput&>(files) : none;
        TReverseThread engine(snapshot, vg2, output, quiet);
        if (engine.run() != RunOutcome::Completed) {
            bench.SkipWithError("the reverse run did not complete");
            return;
        }
        evaluations = engine.modelEvaluations();
    }
    bench.counters["model_evaluations"] = static_cast<double>(evaluations);
}

}  // namespace

void registerReverseRunBenchmarks() {
    benchmark::RegisterBenchmark("ReverseRun", reverseRun, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ReverseRun/NoFiles", reverseRun, false)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace varnodel::bench
