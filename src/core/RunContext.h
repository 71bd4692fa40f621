// The working context of one run: its copy of the settings and the values that the engine and
// the models share within a step. Each run (and each registry clone) has its own.
#pragma once

#include <cstdint>
#include <string>

#include "core/Parameters.h"

namespace varnodel {

struct RunContext {
    RunSettings settings;
    double olPlGap = 0.0;  // olivine-plagioclase liquidus gap left by the H2O estimate, K
    double lgfO2 = 0.0;
    double density = 0.0;
    double thermalExpansion = 0.0;
    double viscosity = 0.0;
    std::uint32_t modelCalls = 0;           // mineral temperature computations
    std::uint64_t residualEvaluations = 0;  // of the liquidus searches
    std::string errorText;                  // the reason a run ends with FatalError
};

}  // namespace varnodel
