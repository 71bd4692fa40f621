#include "models/LiquidusCorrection.h"

#include <cmath>

namespace varnodel {

LiquidusCorrection liquidusCorrection(const TMineralOptions& options, double h2oWtPercent,
                                      double pressureBar) {
    LiquidusCorrection dT;
    if (options.h2oCorrection && h2oWtPercent > 0.0)
        dT.water = options.h2oA * std::pow(h2oWtPercent, options.h2oB);
    if (options.pressureCorrection)
        dT.pressure = (pressureBar - 1.0) * options.pressureSlope / 1000.0;
    return dT;
}

}  // namespace varnodel
