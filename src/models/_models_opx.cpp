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

// Beattie (1993) fixes D_Mg by the cation balance of the pyroxene's M sites, half of its cations:
// 0.5 = Σ D_i·X_i over Mg, Fe, Mn and Ca with D_i = a_i + b_i·D_Mg, so
//   D_Mg = (0.5 − (−0.089·X_Ca − 0.025·X_Mn + 0.129·X_Fe)) / (X_Mg + 0.072·X_Ca + 0.352·X_Mn
//          + 0.264·X_Fe),
// X the melt's cation fractions and Fe all of its iron (his fit takes the iron of the glass
// analyses as one FeO).
struct BeattieCation {
    double a;
    double b;
};
constexpr BeattieCation kBeattieMg{0.0, 1.0};
constexpr BeattieCation kBeattieFe{0.129, 0.264};
constexpr BeattieCation kBeattieMn{-0.025, 0.352};
constexpr BeattieCation kBeattieCa{-0.089, 0.072};

struct BeattieMelt {
    Oxides X;    // cation fractions
    double xFe;  // all the iron, ferrous and ferric
    double dMg;

    double d(const BeattieCation& c) const { return c.a + c.b * dMg; }
};

BeattieMelt beattieMelt(const TAssemblage& assemblage) {
    BeattieMelt melt{meltOf(assemblage).oxides, 0.0, 0.0};
    TMoleConversions().normalize(melt.X);
    const Oxides& X = melt.X;
    melt.xFe = X[Ox::FeO] + X[Ox::Fe2O3];
    const double a =
        kBeattieFe.a * melt.xFe + kBeattieMn.a * X[Ox::MnO] + kBeattieCa.a * X[Ox::CaO];
    const double b = kBeattieMg.b * X[Ox::MgO] + kBeattieFe.b * melt.xFe +
                     kBeattieMn.b * X[Ox::MnO] + kBeattieCa.b * X[Ox::CaO];
    melt.dMg = (0.5 - a) / b;
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
//      + 2·ln(2·X_NM) + 2·ln(2·X_Si) + 2·ln D_Mg), P in bar: the direct form of the Beattie
// olivine with this pyroxene's constants. Beside his published thermometer, term by term:
//  - 125900/R and the volume term 6.5e-6 m3/mol · (P − 1 bar) are his; R is 8.314472 here
//    against his 8.3144 (9e-6 relative, far below a kelvin);
//  - 67.92/R, 2·ln D_Mg (with the D_Mg above) and −3.5·ln(1 − X_Al) − 7·ln(1 − X_Ti) are his;
//  - 2·ln(2·X_NM) is his, but X_NM counts ferrous iron only (as in the olivine), where his
//    counts all the iron: at Fe2/Fe3 = 4 the reference glasses come out 13-24 K higher;
//  - 2·ln(2·X_Si) is not in his thermometer, which has no silica term; it is zero at
//    X_Si = 0.5 and moves the reference glasses by −41 (andesite, X_Si 0.59) to +77 K
//    (komatiite, 0.41), the basalts by −12 to +19 K.
// Together: basalts 13-35 K above his thermometer, the andesite 26 K below, the komatiite 89 K
// above.
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

// The M-site cations D_i·X_i of Mg, Fe (as ferrous), Mn and Ca, which make 0.5 by the choice of
// D_Mg; the other half is the tetrahedral silica. D_Mg does not depend on T, so neither does the
// pyroxene.
Oxides TModelOrthopyroxene_Beattie1993::pyroxeneFractions(const TAssemblage& assemblage,
                                                          double) const {
    const BeattieMelt melt = beattieMelt(assemblage);
    Oxides f{};
    f[Ox::MgO] = melt.d(kBeattieMg) * melt.X[Ox::MgO];
    f[Ox::FeO] = melt.d(kBeattieFe) * melt.xFe;
    f[Ox::MnO] = melt.d(kBeattieMn) * melt.X[Ox::MnO];
    f[Ox::CaO] = melt.d(kBeattieCa) * melt.X[Ox::CaO];
    f[Ox::SiO2] = 0.5;
    return f;
}

}  // namespace varnodel
