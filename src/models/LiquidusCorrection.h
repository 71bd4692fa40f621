// The user's per-mineral corrections of a model's liquidus temperature for the H2O of the melt
// and for pressure, shared by every engine.
#pragma once

#include "core/Constants.h"
#include "core/Parameters.h"

namespace varnodel {

// Both in degrees, as magnitudes: the engines form the corrected liquidus as
//   T = T_model - water + pressure
// (H2O lowers the liquidus, a positive slope raises it with pressure); see `corrected`.
struct LiquidusCorrection {
    double water = 0.0;  // dT = A x H2O^B, H2O in wt%; 0 when off or the melt is dry
    double pressure =
        0.0;  // dT = (P - 1 bar) x slope / 1000, slope in degrees per kbar; 0 when off

    double corrected(double modelT) const { return modelT - water + pressure; }
};

// The corrections of one mineral for a melt with `h2oWtPercent` H2O (wt%, i.e. the molar H2O
// value x 18) at `pressureBar`.
LiquidusCorrection liquidusCorrection(const TMineralOptions& options, double h2oWtPercent,
                                      double pressureBar);

}  // namespace varnodel
