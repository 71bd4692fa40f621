#include "models/_models_ilm.h"

#include <cmath>

#include "core/Errors.h"
#include "core/MoleConversions.h"

namespace varnodel {

namespace {
// ln D = a/T + b log fO2 + c + d X_Na2O + e X_K2O + f X_P2O5
// clang-format off
constexpr AriskinBarminaRows kIlmeniteRows{{
    //  a          b        c          d          e         f           multiplies
    { 18933.4,   0.8475,  -8.61,     35.4214,  28.9571,   -8.6859},  // X_FeO + X_Fe2O3 (Fe3+)
    {  2649.1,   0.0544,  -0.4271,   -1.8146,  20.6115,   -1.7339},  // X_FeO + X_Fe2O3 (Fe2+)
    {-14947.7,   0.1778,   9.4357,    0.1175,   3.4801,    2.6951},  // X_Al2O3
    {   904.8,   0.034,    0.1111,   -1.6455,  14.3103,   -6.8648},  // X_MgO
    { 12245.2,   0.0178,  -6.6774,    5.872,   25.2774,   -5.3331},  // X_TiO2
}};
// clang-format on

// Nielsen 1985: K of FeTiO3 = exp(8950/T - 3.3) on the product X_FeO X_TiO2; constant
// partitioning of Mg and Cr.
constexpr double kFeTiA = 8950.0;
constexpr double kFeTiB = -3.3;
constexpr double kMg = 1.57;
constexpr double kCr = 11.0;
}  // namespace

TModelIlmenite_Ariskin_Barmina_1999::TModelIlmenite_Ariskin_Barmina_1999()
    : ModelClone(kIlmeniteRows, Phase::Ilmenite, true) {
    displayName = "Ariskin & Barmina,1999";
    shortName = "Arisk99 ";
    tolerance = 0.01;
}

TModelIlmenite_Nielsen1985::TModelIlmenite_Nielsen1985() {
    displayName = "Nielsen, 1985";
    shortName = "Niels85 ";
    tolerance = 0.01;
}

TModelIlmenite_Nielsen1985::Components TModelIlmenite_Nielsen1985::components(
    const TAssemblage& assemblage, double T) {
    Oxides x = meltOf(assemblage).oxides;
    TMoleConversions().toTwoLattice(x);
    return {std::exp(kFeTiA / T + kFeTiB) * x[Ox::FeO] * x[Ox::TiO2], kMg * x[Ox::MgO],
            kCr * x[Ox::Cr2O3]};
}

void TModelIlmenite_Nielsen1985::Get_Temperature(const TAssemblage& assemblage, double& T) {
    if (residualMode) {
        const Components c = components(assemblage, T);
        T = 1.0 - c.ilmenite - c.geikielite - c.eskolaite;
        return;
    }
    T = solveLiquidus(assemblage);
}

// The published model gives the liquidus only; the ilmenite written back takes the three terms
// of the residual as the mole fractions of its end members, scaled to one.
void TModelIlmenite_Nielsen1985::Get_Mineral_Composition(TAssemblage& assemblage, double& value,
                                                         double T) {
    const Components c = components(assemblage, T);
    Oxides cations{};
    cations[Ox::FeO] = c.ilmenite;
    cations[Ox::MgO] = c.geikielite;
    cations[Ox::TiO2] = c.ilmenite + c.geikielite;
    cations[Ox::Cr2O3] = 2.0 * c.eskolaite;
    const double mgNumber = c.geikielite / (c.geikielite + c.ilmenite);
    const Oxides wt = cationFractionsToWtPercent(cations);
    bool finite = std::isfinite(mgNumber);
    for (double v : wt)
        finite = finite && std::isfinite(v);
    if (!finite) throw EModelError_GetT("The ilmenite of " + displayName + " is not finite");
    storeMineral(assemblage, Phase::Ilmenite, wt);
    value = mgNumber;
}

TModelIlmenite::TModelIlmenite() : TSetOfModels("Ilmenite", "Ilm") {
    add<TModelIlmenite_Ariskin_Barmina_1999>();
    add<TModelIlmenite_Nielsen1985>();
}

}  // namespace varnodel
