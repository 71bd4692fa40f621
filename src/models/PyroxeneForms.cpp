#include "models/PyroxeneForms.h"

#include <cmath>
#include <string>

#include "core/Errors.h"
#include "core/MoleConversions.h"

namespace varnodel {

double Arrhenius::at(double T, double P) const {
    // Without a volume term the pressure is not read at all, so that such a model cannot be
    // upset by it.
    const double numerator = dV == 0.0 ? A : A + dV * 0.0239 * P / 1.986;
    return std::exp(numerator / T + B);
}

// --- the pyroxene written back --------------------------------------------------------------

void TPyroxeneModel::Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) {
    const std::string failure = "No " + std::string(phaseName(mineral_)) + " composition from " +
                                displayName +
                                ": the temperature or the melt is not a finite number";
    if (!std::isfinite(T)) throw EModelError_GetT(failure);
    const Oxides fractions = pyroxeneFractions(assemblage, T);
    for (double f : fractions)
        if (!std::isfinite(f)) throw EModelError_GetT(failure);
    const double mgNumber = fractions[Ox::MgO] / (fractions[Ox::MgO] + fractions[Ox::FeO]);
    if (!std::isfinite(mgNumber)) throw EModelError_GetT(failure);
    storeMineral(assemblage, mineral_, cationFractionsToWtPercent(fractions));
    value = mgNumber;
}

void TPyroxeneModel::checkLiquidus(double T) const {
    if (!std::isfinite(T) || T <= 0.0)
        throw EModelError_GetT("The liquidus temperature of " + displayName +
                               " is not a finite number above 0 K");
}

// --- the two-lattice form -------------------------------------------------------------------

double nielsenDivisor(const Oxides& cationMoles) {
    const double fe2 = cationMoles[Ox::FeO];
    const double q = 51.0 - 50.0 * fe2 / (fe2 + cationMoles[Ox::Fe2O3]);
    return q > 5.0 ? 2.3125 : q;
}

TTwoLatticePyroxene::Uptake TTwoLatticePyroxene::uptake(const TAssemblage& assemblage,
                                                        double T) const {
    const Oxides moles = meltOf(assemblage).oxides;
    Oxides x = moles;
    TMoleConversions().toTwoLattice(x);
    const double P = assemblage.pressure;
    const TwoLatticeRow& row = *row_;
    Uptake u{};
    u.mg = row.mg.at(T, P) * x[Ox::MgO];
    u.fe = row.fe.at(T, P) * x[Ox::FeO];
    u.ca = row.ca.at(T, P) * x[Ox::CaO];
    u.al = (row.alConstant > 0.0 ? row.alConstant : row.al.at(T, P)) * x[Ox::Al2O3];
    u.xSi = x[Ox::SiO2];
    if (!row.minor.empty()) {
        const double q = nielsenDivisor(moles);
        for (const LatticeTerm& term : row.minor) {
            double share = 0.5 * term.D.at(T, P) * x[term.oxide];
            if (term.withSilica) share *= u.xSi;
            if (term.byDivisor) share /= q;
            u.minor[term.oxide] += share;
        }
    }
    return u;
}

void TTwoLatticePyroxene::Get_Temperature(const TAssemblage& assemblage, double& T) {
    if (residualMode) {
        const Uptake u = uptake(assemblage, T);
        double r = 0.5 - (u.ca + u.mg + u.fe) * u.xSi / 2.0 - u.al / 2.0;
        for (double share : u.minor)
            r -= share;
        T = r;
        return;
    }
    T = solveLiquidus(assemblage);
}

Oxides TTwoLatticePyroxene::pyroxeneFractions(const TAssemblage& assemblage, double T) const {
    const Uptake u = uptake(assemblage, T);
    Oxides f = u.minor;
    f[Ox::MgO] += 0.5 * u.mg * u.xSi;
    f[Ox::FeO] += 0.5 * u.fe * u.xSi;
    f[Ox::CaO] += 0.5 * u.ca * u.xSi;
    f[Ox::Al2O3] += u.al;
    f[Ox::SiO2] += 0.5 - u.al / 2.0;
    return f;
}

}  // namespace varnodel
