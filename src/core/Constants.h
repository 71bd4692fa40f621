// Numbers that several layers use and that must agree wherever they appear.
#pragma once

#include "core/Composition.h"

namespace varnodel {

// Between the user's degrees Celsius and the engines' kelvin: 273, as the published models were
// fitted with, not 273.15.
inline constexpr double kCelsiusOffset = 273.0;

inline constexpr double kSecondsPerDay = 86400.0;

// The gas constant of every thermodynamic model, J/(mol K).
inline constexpr double kGasConstant = 8.314472;

// A and B of the H2O correction of a liquidus, dT = A x H2O^B (H2O in wt%).
struct H2OCorrectionCoefficients {
    double a = 0.0;
    double b = 0.0;
};

// The H2O correction "Faloon, Quellmark (2000)" of the H2O-correction dialog: the one the
// Quellmark (2001) models apply to their liquidus themselves.
inline constexpr H2OCorrectionCoefficients kQuellmarkH2OCorrection{74.403, 0.352};

// The plagioclase's own fit, its "Set default" in the H2O-correction dialog.
inline constexpr H2OCorrectionCoefficients kPlagioclaseH2OCorrection{121.75, 0.512};

// The default H2O correction of a mineral (the "Set default" of the H2O-correction dialog): a
// fit of its own for plagioclase, the olivine one for every other mineral.
constexpr H2OCorrectionCoefficients defaultH2OCorrection(Phase mineral) {
    return mineral == Phase::Plagioclase ? kPlagioclaseH2OCorrection : kQuellmarkH2OCorrection;
}

}  // namespace varnodel
