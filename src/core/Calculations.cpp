#include "core/Calculations.h"

#include <string>

#include "core/Errors.h"

namespace varnodel {

const CalculationInfo& calculationInfo(Calculation calculation) {
    for (const CalculationInfo& info : kCalculations)
        if (info.calculation == calculation) return info;
    throw EInputError("Unknown calculation " + std::to_string(static_cast<int>(calculation)));
}

Calculation calculationOfMode(std::string_view mode) {
    for (const CalculationInfo& info : kCalculations)
        if (info.mode == mode) return info.calculation;
    throw EInputError("Unknown calculation \"" + std::string(mode) + "\"");
}

}  // namespace varnodel
