#include "models/_models_opx.h"

#include <cmath>

#include "core/Constants.h"
#include "core/MoleConversions.h"

namespace varnodel {

TModelOrthopyroxene::TModelOrthopyroxene() : TSetOfModels("Orthopyroxene", "Opx") {
    add<TModelOrthopyroxene_Ariskin1993>();
    add<TModelOrthopyroxene_Beattie1993>();
    add<TModelOrthopyroxene_Bolikhovskaya1996>();
    add<TModelOrthopyroxene_Nielsen_Drake1979>();
}

namespace {

// --- two-lattice models ---------------------------------------------------------------------

// clang-format off
//                                          Mg: A,     B,    dV     Fe: A,     B,    dV     Ca: A,      B,     dV   D_Al
constexpr TwoLatticeRow kAriskin1993        {{8870,  -4.9,  3.6}, {5698,  -3.93, 3.6}, { 3409,  -3.69,  3.6}, 0.1};
constexpr TwoLatticeRow kBolikhovskaya1996  {{7208,  -3.71, 3.2}, {6386,  -4.39, 2.4}, {11950, -10.4,  10.0}, 0.1};
//                                          Mg: A,     B          Fe: A,     B          Ca: A,      B              D_Al: A,   B
constexpr TwoLatticeRow kNielsenDrake1979   {{5351,  -2.553},     {4488,  -3.182},     {28240, -20.684},     0.0, {29990, -23.65}};
// clang-format on

// --- Beattie 1993 ---------------------------------------------------------------------------

constexpr double kR = kGasConstant;

// Beattie (1993) gives the orthopyroxene liquidus through D_Mg as for olivine, with D_Mg fixed by
// the cations of the pyroxene's M sites, which make half of its cations: 0.5 = Σ D_i·X_i with
// D_i = a_i + b_i·D_Mg, so D_Mg = (0.5 − Σ a_i·X_i) / Σ b_i·X_i. The published orthopyroxene
// fit is not carried here, so the a and b are set from orthopyroxene-melt partitioning in
// basalts: Fe-Mg exchange 0.28, D_Mn about a third and D_Cr half of D_Mg, and nearly constant
// D_Ca 0.1, D_Ti 0.15 and D_Al 0.05 for the octahedral Al (as much again sits on the
// tetrahedral site). Basalts then give 1110-1190 C and Mg# 0.65-0.81.
// clang-format off
//                         SiO2  TiO2  Al2O3 Fe2O3 FeO   MnO   MgO  CaO  Na2O K2O  P2O5 Cr2O3
constexpr Oxides kBeattieA{0,    0.15, 0.05, 0,    0,    0,    0,   0.1, 0,   0,   0,   0};
constexpr Oxides kBeattieB{0,    0,    0,    0,    0.28, 0.35, 1.0, 0,   0,   0,   0,   0.5};
// clang-format on

struct BeattieMelt {
    Oxides X;  // cation fractions
    double dMg;
};

BeattieMelt beattieMelt(const TAssemblage& assemblage) {
    BeattieMelt melt{meltOf(assemblage).oxides, 0.0};
    TMoleConversions().normalize(melt.X);
    double sumA = 0.0;
    double sumB = 0.0;
    for (std::size_t i = Ox::TiO2; i < kOxideCount; ++i) {
        sumA += kBeattieA[i] * melt.X[i];
        sumB += kBeattieB[i] * melt.X[i];
    }
    melt.dMg = (0.5 - sumA) / sumB;
    return melt;
}

}  // namespace

TModelOrthopyroxene_Ariskin1993::TModelOrthopyroxene_Ariskin1993()
    : ModelClone(Phase::Orthopyroxene, kAriskin1993) {
    displayName = "Ariskin et al., 1993";
    shortName = "Arisk93 ";
    usesPressure = true;
    tolerance = 0.0001;
}

TModelOrthopyroxene_Bolikhovskaya1996::TModelOrthopyroxene_Bolikhovskaya1996()
    : ModelClone(Phase::Orthopyroxene, kBolikhovskaya1996) {
    displayName = "Bolikhovskaya et al., 1995";
    shortName = "Bolikh95";
    usesPressure = true;
}

TModelOrthopyroxene_Nielsen_Drake1979::TModelOrthopyroxene_Nielsen_Drake1979()
    : ModelClone(Phase::Orthopyroxene, kNielsenDrake1979) {
    displayName = "Nielsen & Drake, 1979";
    shortName = "Niels79 ";
}

TModelOrthopyroxene_Beattie1993::TModelOrthopyroxene_Beattie1993()
    : ModelClone(Phase::Orthopyroxene) {
    displayName = "Beattie, 1983";
    shortName = "Beatt83 ";
    usesPressure = true;
}

// T = (125900/R + 6.5e-6·(P − 1)·1e5/R) / (67.92/R − 3.5·ln(1 − X_Al) − 7·ln(1 − X_Ti)
//      + 2·ln(2·X_NM) + 2·ln(2·X_Si) + 2·ln D_Mg), P in bar. The factors 2 on the modifier and
// silica fractions make their activities one in a melt of MgSiO3 composition, as 1.5 and 3 do
// for Mg2SiO4 in the olivine.
void TModelOrthopyroxene_Beattie1993::Get_Temperature(const TAssemblage& assemblage, double& T) {
    const BeattieMelt melt = beattieMelt(assemblage);
    const Oxides& X = melt.X;
    const double modifiers = X[Ox::FeO] + X[Ox::MnO] + X[Ox::MgO] + X[Ox::CaO];
    const double liquidus =
        (125900.0 / kR + 6.5e-06 * (assemblage.pressure - 1.0) * 100000.0 / kR) /
        (67.92 / kR - 3.5 * std::log(1.0 - X[Ox::Al2O3]) - 7.0 * std::log(1.0 - X[Ox::TiO2]) +
         2.0 * std::log(2.0 * modifiers) + 2.0 * std::log(2.0 * X[Ox::SiO2]) +
         2.0 * std::log(melt.dMg));
    checkLiquidus(liquidus);
    T = liquidus;
}

// The M-site cations D_i·X_i (half of the pyroxene); Al as much again on the tetrahedral site,
// Si the rest of it. D_Mg does not depend on T, so neither does the pyroxene.
Oxides TModelOrthopyroxene_Beattie1993::pyroxeneFractions(const TAssemblage& assemblage,
                                                          double) const {
    const BeattieMelt melt = beattieMelt(assemblage);
    Oxides f{};
    for (std::size_t i = Ox::TiO2; i < kOxideCount; ++i)
        f[i] = (kBeattieA[i] + kBeattieB[i] * melt.dMg) * melt.X[i];
    const double octahedralAl = f[Ox::Al2O3];
    f[Ox::Al2O3] = 2.0 * octahedralAl;
    f[Ox::SiO2] = 0.5 - octahedralAl;
    return f;
}

}  // namespace varnodel
