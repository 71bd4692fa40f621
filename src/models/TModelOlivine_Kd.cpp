#include "models/TModelOlivine_Kd.h"

#include <cmath>

#include "core/Constants.h"
#include "core/Errors.h"
#include "core/MoleConversions.h"
#include "models/_models_ol.h"

namespace varnodel {

namespace {
constexpr double kR = kGasConstant;
constexpr double kKdLow = 0.0001;  // the bracket of the Toplis relation
constexpr double kKdHigh = 0.9999;
}  // namespace

TModelOlivine_Kd::TModelOlivine_Kd() {
    displayName = "for internal use";
    shortName = "don't use it";
    isDefault = true;
    usesWater = true;
    tolerance = 0.0001;
}

double toplisAdjustedSilica(double x, double n, double h2oWtPercent) {
    const double alkalis = 100.0 * n;  // mol%
    const double psi = x <= 0.6 ? (0.46 / (1.0 - x) - 0.93) * alkalis + (9.69 - 5.33 / (1.0 - x))
                                : (11.0 - 5.5 / (1.0 - x)) * std::exp(-13.0 * n);
    return 100.0 * x + psi * alkalis + 0.8 * h2oWtPercent;
}

double TModelOlivine_Kd::exchangeCoefficient(const TAssemblage& assemblage, double T) {
    const TParameters& p = context().settings.parameters;
    // The options exclude each other; with none set the dialog's default, "Kd = const", holds.
    if (p.fixedKdOption || !(p.lnKdOption || p.sobolevQuellmarkOption || p.toplisOption))
        return p.kdFeMg;
    if (p.lnKdOption)
        return std::exp(p.lnKdA / T + p.lnKdB * (assemblage.pressure / 1000.0) / T + p.lnKdC);
    if (p.sobolevQuellmarkOption) return 0.0001853 * (T - kCelsiusOffset) + 0.069;

    // Toplis (2005), eq. 10 with the Fo of the olivine written through Kd and the melt's Mg#:
    // 1 - 2 Fo = (K/m - 1 - K) / (K/m + 1 - K).
    const TAnalysis melt = meltOf(assemblage);
    const double m = melt.oxides[Ox::MgO] / (melt.oxides[Ox::MgO] + melt.oxides[Ox::FeO]);
    Oxides x = melt.oxides;
    TMoleConversions conversions;
    conversions.cationsToOxides(x);
    conversions.normalize(x);
    const double silica = toplisAdjustedSilica(x[Ox::SiO2], x[Ox::Na2O] + x[Ox::K2O],
                                               melt.volatile_.value * kVolatileMass);
    const double P = assemblage.pressure;
    const auto f = [&](double K) {
        const double value = std::log(K) + (6766.0 / T + 7.34) / kR -
                             std::log(0.036 * silica - 0.22) - 0.035 * (P - 1.0) / (kR * T) -
                             (3000.0 / kR) / T * (K / m - 1.0 - K) / (K / m + 1.0 - K);
        if (!std::isfinite(value))
            throw EModelError_GetT("The Fe-Mg exchange coefficient of " + displayName +
                                   " after Toplis (2005) is not a finite number");
        return value;
    };
    return halveBracket(f, tolerance, kKdHigh, kKdLow).x;
}

void TModelOlivine_Kd::Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) {
    const double kd = exchangeCoefficient(assemblage, T);
    const Oxides melt = meltOf(assemblage).oxides;
    value = storeOlivine(assemblage, *this, melt[Ox::MgO] / (melt[Ox::MgO] + kd * melt[Ox::FeO]));
}

}  // namespace varnodel
