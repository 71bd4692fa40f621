// The melt liquidus association of VG-2 with every registered mineral model (QFM), as
// `varnodel-cli mla` computes one analysis: "MLA/AllModels" writes its files, "MLA/AllModels/
// NoFiles" measures the engine alone. The counter models is the number of models evaluated;
// the others are as in frac_bench.cpp.
#include <benchmark/benchmark.h>

#include "BenchMain.h"
#include "BenchSupport.h"
#include "engines/MLA.h"
#include "io/MlaFiles.h"
#include "io/OutputSink.h"

namespace varnodel::bench {

namespace {

class NoMlaOutput : public MlaOutput {
  public:
    void startingComposition(const std::string&, const TAnalysis&) override {}
    void reportLine(const std::string&) override {}
    void mineralRow(const MlaMineralRow&) override {}
    void resultRow(const MlaResultRow&) override {}
};

void mla(benchmark::State& bench, bool withFiles) {
    const AnalysesData data = referenceGlassFile();
    RunState state;
    MlaModels every;
    std::size_t count = 0;
    for (std::size_t set = 0; set < kMineralCount; ++set) {
        const auto& models = state.registry().mineralSets()[set]->models;
        for (std::size_t k = 0; k < models.size(); ++k)
            every[set].push_back(k);
        count += models.size();
    }
    TAssemblage vg2 = data.analyses.front();
    vg2.pressureBlock = state.composition.pressureBlock;
    const PresentElements present{data.h2oPresent, data.presentTraces};

    ScratchFolder folder("mla");
    const std::string base = (folder.path() / "Varnodel_Output_MLA").string();
    NullReporter quiet;
    ModelWork work;
    for (auto _ : bench) {
        RunSnapshot snapshot = state.snapshot();
        DirectSink disk;
        MlaFiles files(base, present, quiet, disk);
        NoMlaOutput none;
        MlaOutput& output = withFiles ? static_cast<MlaOutput&>(files) : none;
        TMLAThread engine(snapshot, vg2, every, output, quiet);
        if (engine.run() != RunOutcome::Completed) {
            bench.SkipWithError("the liquidus association did not complete");
            return;
        }
        work = ModelWork{};
        work.add(snapshot.context());
    }
    bench.counters["models"] = static_cast<double>(count);
    work.report(bench);
}

}  // namespace

void registerMlaBenchmarks() {
    benchmark::RegisterBenchmark("MLA/AllModels", mla, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("MLA/AllModels/NoFiles", mla, false)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace varnodel::bench
