// What the benchmarks share: the reference glasses as the data-file reader gives them, the run
// settings of the measured forward runs and a scratch folder for result files.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/Assemblage.h"
#include "core/Calculations.h"
#include "core/RunReporter.h"
#include "engines/Fr.h"
#include "io/AnalysesFile.h"
#include "io/CompositionText.h"
#include "io/FracFiles.h"
#include "models/RunState.h"

namespace varnodel::bench {

// The reference glasses read through the data-file reader, as a batch run gets them.
inline AnalysesData referenceGlassFile() {
    NullReporter quiet;
    return loadAnalysesFile(std::string(VARNODEL_TEST_DATA_DIR) + "/reference_glasses.csv",
                            std::string(tabCaption(Calculation::Fractional)), quiet);
}

// A run state with these minerals' models (display names) and every other mineral off,
// crystallising `percent` % in steps of `step` % of the melt; QFM buffer and the other
// defaults.
inline RunState forwardRunState(const std::vector<std::pair<Phase, std::string>>& models,
                                double percent, double step) {
    RunState state;
    state.slots.fill(nullptr);
    for (const auto& [mineral, name] : models)
        state.slots[static_cast<std::size_t>(mineral)] =
            state.registry().mineralSet(mineral).getByName(name);
    state.settings.parameters.stop.values[Stop::Crystallisation] = percent;
    state.settings.parameters.calculationStep = step;
    return state;
}

// The minerals of the measured forward run: olivine of Ford et al. (1983), plagioclase and
// clinopyroxene of Langmuir et al. (1992).
inline std::vector<std::pair<Phase, std::string>> fordLangmuirModels() {
    return {{Phase::Olivine, "Ford et al., 1983"},
            {Phase::Plagioclase, "Langmuir et al., 1992"},
            {Phase::Clinopyroxene, "Langmuir et al., 1992"}};
}

// A forward run's result rows, dropped.
class NoFracOutput : public FracOutput {
  public:
    void runHeader(const FracRunInfo&) override {}
    void startingComposition(const FracRunInfo&, const TAnalysis&) override {}
    void printedStep(const FracRunInfo&, const FracState&, const TAnalysis&, double,
                     bool) override {}
};

// What the models were asked in one run: liquidus temperatures, and the residual evaluations
// of their liquidus searches.
struct ModelWork {
    double liquidus = 0.0;
    double residuals = 0.0;

    void add(const RunContext& context) {
        liquidus += static_cast<double>(context.modelCalls);
        residuals += static_cast<double>(context.residualEvaluations);
    }
    void report(benchmark::State& bench) const {
        bench.counters["model_evaluations"] = liquidus;
        bench.counters["residual_evaluations"] = residuals;
    }
};

// The models' work in a forward run of `analysis` with the state's settings, no files written.
inline ModelWork forwardRunWork(const RunState& state, const TAssemblage& analysis) {
    RunSnapshot snapshot = state.snapshot();
    NullReporter quiet;
    NoFracOutput none;
    TFracThread engine(snapshot, analysis, none, quiet);
    engine.run();
    ModelWork work;
    work.add(snapshot.context());
    return work;
}

// A folder of its own under the system's temporary folder, removed with the object.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                ("varnodel_bench_" + name + "_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace varnodel::bench
