// What the benchmarks share: the reference glasses as the data-file reader gives them, the run
// settings of the measured forward runs and a scratch folder for result files.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/Assemblage.h"
#include "core/Calculations.h"
#include "core/RunReporter.h"
#include "io/AnalysesFile.h"
#include "io/CompositionText.h"
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
