// Every published coefficient of the pyroxene and Fe-Ti oxide models, checked one by one: each
// model's residual at a trial temperature against the same expression written out here from the
// published tables (value, sign, the component it multiplies, the pressure term), so that a slip
// in any one coefficient shows. The pressure is 5 kbar so that every volume or pressure term
// counts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/MoleConversions.h"
#include "models/ModelRegistry.h"
#include "support/ReferenceGlasses.h"

namespace varnodel {
namespace {

constexpr double kP = 5000.0;  // bar

TModel& modelNamed(const ModelRegistry& registry, Phase mineral, const std::string& name) {
    for (const auto& m : registry.mineralSet(mineral).models)
        if (m->displayName == name) return *m;
    throw std::runtime_error("no model " + name);
}

double residual(TModel& model, const TAssemblage& assemblage, double T) {
    model.residualMode = true;
    model.Get_Temperature(assemblage, T);
    model.residualMode = false;
    return T;
}

// The MORB glass at 5 kbar, a tenth of its iron ferric, with 0.05 wt% Cr2O3.
TAssemblage morb() {
    TAssemblage a = test::meltAssemblage(test::referenceGlasses().front(), 0.1, 0.0, kP);
    a.phases[0].oxides[Ox::Cr2O3] = 0.05 / 75.99;
    return a;
}

// --- the two-lattice pyroxenes --------------------------------------------------------------

struct Pair {
    double A, B, dV;
    // ln D = (A + dV·0.0239·P/1.986)/T + B (Ariskin et al. 1993: dV in cm3, R in cal).
    double at(double T) const { return std::exp((A + dV * 0.0239 * kP / 1.986) / T + B); }
};

struct TwoLatticeCase {
    Phase mineral;
    const char* name;
    Pair mg, fe, ca;
    double alConstant;  // 0: D_Al from `al`
    Pair al;
};

// Ariskin et al. 1986, 1993; Nielsen & Drake 1979; Bolikhovskaya et al. 1995, 1996.
const TwoLatticeCase kTwoLattice[] = {
    {Phase::Clinopyroxene,
     "Ariskin et al., 1986",
     {8521, -5.16, 0},
     {13535, -9.87, 0},
     {2408, -1.24, 0},
     0.2,
     {}},
    {Phase::Clinopyroxene,
     "Ariskin et al., 1993",
     {8521, -5.16, 2.8},
     {13535, -9.87, 2.8},
     {2408, -1.24, 2.8},
     0.2,
     {}},
    {Phase::Clinopyroxene,
     "Nielsen & Drake, 1979",
     {6360, -3.59, 0},
     {4709, -3.904, 0},
     {4194, -2.53, 0},
     0.0,
     {23350, -18.54, 0}},
    {Phase::Orthopyroxene,
     "Nielsen & Drake, 1979",
     {5351, -2.553, 0},
     {4488, -3.182, 0},
     {28240, -20.684, 0},
     0.0,
     {29990, -23.65, 0}},
    {Phase::Orthopyroxene,
     "Ariskin et al., 1993",
     {8870, -4.9, 3.6},
     {5698, -3.93, 3.6},
     {3409, -3.69, 3.6},
     0.1,
     {}},
    {Phase::Orthopyroxene,
     "Bolikhovskaya et al., 1995",
     {7208, -3.71, 3.2},
     {6386, -4.39, 2.4},
     {11950, -10.4, 10.0},
     0.1,
     {}},
    {Phase::Pigeonite,
     "Ariskin et al., 1986",
     {8502, -4.74, 0},
     {5865, -4.04, 0},
     {4371, -4.02, 0},
     0.1,
     {}},
    {Phase::Pigeonite,
     "Ariskin et al., 1993",
     {8502, -4.74, 2.4},
     {5865, -4.04, 2.4},
     {4371, -4.02, 2.4},
     0.1,
     {}},
    {Phase::Pigeonite,
     "Bolikhovskaya et al., 1996",
     {8448, -4.72, 3.1},
     {5770, -3.99, 3.1},
     {6137, -5.26, 3.1},
     0.1,
     {}},
};

class TwoLatticeCoefficients : public ::testing::TestWithParam<TwoLatticeCase> {};

// r = 0.5 − (D_Ca·X_Ca + D_Mg·X_Mg + D_Fe·X_Fe)·X_Si/2 − D_Al·X_Al/2 and the pyroxene's
// Mg# = D_Mg·X_Mg/(D_Mg·X_Mg + D_Fe·X_Fe), at three temperatures.
TEST_P(TwoLatticeCoefficients, ResidualAndMgNumber) {
    const TwoLatticeCase& c = GetParam();
    const ModelRegistry registry;
    TModel& model = modelNamed(registry, c.mineral, c.name);
    TAssemblage a = morb();
    Oxides x = meltOf(a).oxides;
    TMoleConversions().toTwoLattice(x);
    for (double T : {1350.0, 1450.0, 1550.0}) {
        const double dAl = c.alConstant > 0.0 ? c.alConstant : c.al.at(T);
        const double expected =
            0.5 -
            (c.ca.at(T) * x[Ox::CaO] + c.mg.at(T) * x[Ox::MgO] + c.fe.at(T) * x[Ox::FeO]) *
                x[Ox::SiO2] / 2.0 -
            dAl * x[Ox::Al2O3] / 2.0;
        EXPECT_NEAR(residual(model, a, T), expected, 1e-12) << c.name << " at " << T;
        double mgNumber = 0.0;
        model.Get_Mineral_Composition(a, mgNumber, T);
        const double mg = c.mg.at(T) * x[Ox::MgO], fe = c.fe.at(T) * x[Ox::FeO];
        EXPECT_NEAR(mgNumber, mg / (mg + fe), 1e-12) << c.name << " at " << T;
    }
}

INSTANTIATE_TEST_SUITE_P(Pyroxenes, TwoLatticeCoefficients, ::testing::ValuesIn(kTwoLattice),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

// --- the Langmuir clinopyroxenes ------------------------------------------------------------

// Weaver & Langmuir 1990 (no pressure term) and Langmuir et al. 1992 (P in bar in the
// numerators, D_Fe = D_Mg·exp(−1.43)):
// r = 1 − 2·(D_Na·X_Na + D_Mg·X_Mg + D_Fe·X_Fe) − D_Ti·X_Ti − D_Ca·X_Ca − 1.33·D_Al·X_Al.
TEST(LangmuirCoefficients, ResidualOfBothClinopyroxenes) {
    const ModelRegistry registry;
    TAssemblage a = morb();
    Oxides x = meltOf(a).oxides;
    TMoleConversions().toLangmuirComponents(x);
    const auto r = [&](double T, double P, bool langmuir1992) {
        const auto d = [&](double A, double dP, double B) {
            return std::exp((A + (langmuir1992 ? dP * P : 0.0)) / T + B);
        };
        const double dMg = d(8745, 0.0484, -5.25);
        const double dFe = langmuir1992 ? dMg * std::exp(-1.43) : 0.24 * dMg;
        return 1.0 -
               2.0 * (d(11713, 0.168, -10.3) * x[Ox::Na2O] + dMg * x[Ox::MgO] + dFe * x[Ox::FeO]) -
               d(2381, 0.122, -2.92) * x[Ox::TiO2] - d(4106, 0.00875, -1.73) * x[Ox::CaO] -
               1.33 * d(5568, 0.157, -5.3) * x[Ox::Al2O3];
    };
    // These models keep their melt components for the evaluations of one liquidus search, so
    // they are checked through their liquidus: the root of r, halved here to 1e-9 K.
    const auto root = [&](bool langmuir1992) {
        double lo = 1000.0, hi = 2000.0;  // r < 0 below the liquidus
        for (int i = 0; i < 60; ++i)
            (r((lo + hi) / 2, kP, langmuir1992) < 0 ? lo : hi) = (lo + hi) / 2;
        return (lo + hi) / 2;
    };
    TModel& weaver = modelNamed(registry, Phase::Clinopyroxene, "Weaver & Langmuir, 1990");
    TModel& langmuir = modelNamed(registry, Phase::Clinopyroxene, "Langmuir et al., 1992");
    double T = 0.0;
    weaver.Get_Temperature(a, T);
    EXPECT_NEAR(T, root(false), weaver.tolerance);
    langmuir.Get_Temperature(a, T);
    EXPECT_NEAR(T, root(true), langmuir.tolerance);
    // The pressure terms move the liquidus by tens of degrees at 5 kbar.
    EXPECT_GT(std::fabs(root(true) - root(false)), 10.0);
}

// --- the Fe-Ti oxides -----------------------------------------------------------------------

// Ariskin & Barmina 1999 ilmenite: a melt without Fe2O3 is at log fO2 = −30;
// r = 1 − Σ exp(a/T + b·log fO2 + c + d·X_Na2O + e·X_K2O + f·X_P2O5)·(its melt fraction).
TEST(OxideCoefficients, AriskinBarminaIlmeniteRows) {
    const ModelRegistry registry;
    const TAssemblage a = test::meltAssemblage(test::referenceGlasses().front());
    Oxides x = meltOf(a).oxides;
    TMoleConversions().normalize(x);
    const double rows[5][6] = {
        {18933.4, 0.8475, -8.61, 35.4214, 28.9571, -8.6859},
        {2649.1, 0.0544, -0.4271, -1.8146, 20.6115, -1.7339},
        {-14947.7, 0.1778, 9.4357, 0.1175, 3.4801, 2.6951},
        {904.8, 0.034, 0.1111, -1.6455, 14.3103, -6.8648},
        {12245.2, 0.0178, -6.6774, 5.872, 25.2774, -5.3331},
    };
    const double fractions[5] = {x[Ox::FeO], x[Ox::FeO], x[Ox::Al2O3], x[Ox::MgO], x[Ox::TiO2]};
    TModel& ilmenite = modelNamed(registry, Phase::Ilmenite, "Ariskin & Barmina,1999");
    for (double T : {1250.0, 1373.0}) {
        double expected = 1.0;
        for (int i = 0; i < 5; ++i)
            expected -= std::exp(rows[i][0] / T + rows[i][1] * -30.0 + rows[i][2] +
                                 rows[i][3] * x[Ox::Na2O] + rows[i][4] * x[Ox::K2O] +
                                 rows[i][5] * x[Ox::P2O5]) *
                        fractions[i];
        EXPECT_NEAR(residual(ilmenite, a, T), expected, 1e-12) << T;
    }
}

// Nielsen 1985 ilmenite on the two-lattice fractions:
// r = 1 − exp(8950/T − 3.3)·X_FeO·X_TiO2 − 1.57·X_MgO − 11.0·X_Cr2O3.
TEST(OxideCoefficients, NielsenIlmenite) {
    const ModelRegistry registry;
    const TAssemblage a = morb();
    Oxides x = meltOf(a).oxides;
    TMoleConversions().toTwoLattice(x);
    TModel& ilmenite = modelNamed(registry, Phase::Ilmenite, "Nielsen, 1985");
    for (double T : {1250.0, 1373.0}) {
        const double expected = 1.0 - std::exp(8950.0 / T - 3.3) * x[Ox::FeO] * x[Ox::TiO2] -
                                1.57 * x[Ox::MgO] - 11.0 * x[Ox::Cr2O3];
        EXPECT_NEAR(residual(ilmenite, a, T), expected, 1e-12) << T;
    }
}

// Nielsen 1985 spinel, every term: X_Al from the normalised melt, the rest on the two-lattice
// fractions; Mg_sp = (−895/T + 0.89)·X_MgO/(X_MgO + X_FeO);
// r = 2/3 − D_Fe3·X_Fe2O3 − D_Cr·X_Cr2O3 − 2·D_Ti·X_TiO2·(X_MgO/Mg_sp)² − D_Al·X_Al².
TEST(OxideCoefficients, NielsenSpinelEveryTerm) {
    const ModelRegistry registry;
    const TAssemblage a = morb();
    Oxides n = meltOf(a).oxides;
    TMoleConversions().normalize(n);
    Oxides x = meltOf(a).oxides;
    TMoleConversions().toTwoLattice(x);
    TModel& spinel = modelNamed(registry, Phase::Spinel, "Nielsen, 1985");
    for (double T : {1300.0, 1500.0}) {
        const double mgSp = (-895.0 / T + 0.89) * x[Ox::MgO] / (x[Ox::MgO] + x[Ox::FeO]);
        const double dAl =
            T > 1448.5 ? std::exp(-4000.0 / T + 5.2) : std::exp(-59718.0 / T + 43.67);
        const double ratio = x[Ox::MgO] / mgSp;
        const double expected = 2.0 / 3.0 - std::exp(8800.0 / T - 4.95) * x[Ox::Fe2O3] -
                                std::exp(11261.0 / T - 1.89) * x[Ox::Cr2O3] -
                                2.0 * std::exp(25000.0 / T - 17.6) * x[Ox::TiO2] * ratio * ratio -
                                dAl * n[Ox::Al2O3] * n[Ox::Al2O3];
        EXPECT_NEAR(residual(spinel, a, T), expected, 1e-12) << T;
    }
}

}  // namespace
}  // namespace varnodel
