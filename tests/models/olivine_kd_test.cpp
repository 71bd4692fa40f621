// The olivine of a chosen Fe-Mg exchange coefficient: its four Kd options and the Toplis (2005)
// relation.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/Errors.h"
#include "models/ModelRegistry.h"
#include "models/TModelOlivine_Kd.h"
#include "support/ReferenceGlasses.h"

namespace varnodel {
namespace {

// A melt in cation moles with as much Fe2+ as Mg.
TAssemblage equalFeMg() {
    TAnalysis melt;
    melt.name = "melt";
    melt.oxides[Ox::SiO2] = 0.8;
    melt.oxides[Ox::Al2O3] = 0.3;
    melt.oxides[Ox::FeO] = 0.12;
    melt.oxides[Ox::MgO] = 0.12;
    melt.oxides[Ox::CaO] = 0.2;
    melt.oxides[Ox::Na2O] = 0.05;
    TAssemblage a;
    a.phases.push_back(melt);
    return a;
}

TAssemblage kilauea(double h2o = 0.0, double pressureBar = 1.0) {
    for (const auto& g : test::referenceGlasses())
        if (g.name == "KL2-G Kilauea basalt glass")
            return test::meltAssemblage(g, 0.1, h2o, pressureBar);
    throw std::runtime_error("KL2-G missing");
}

double foAt(TModelOlivine_Kd& model, TAssemblage& a, double T) {
    double fo = -1.0;
    model.Get_Mineral_Composition(a, fo, T);
    return fo;
}

TEST(OlivineKd, IsAnInternalModelOutsideTheOlivineSet) {
    const TModelOlivine_Kd model;
    EXPECT_EQ(model.displayName, "for internal use");
    EXPECT_EQ(model.shortName, "don't use it");
    EXPECT_TRUE(model.isDefault);
    EXPECT_TRUE(model.usesWater);
    EXPECT_FALSE(model.usesPressure);
    EXPECT_FALSE(model.hasTraces);
    EXPECT_EQ(model.tolerance, 0.0001);
    const ModelRegistry registry;
    EXPECT_EQ(registry.mineralSet(Phase::Olivine).getByName("for internal use"), nullptr);

    // No liquidus of its own: the call leaves T as it was.
    TModelOlivine_Kd kdModel;
    double T = 1234.5;
    kdModel.Get_Temperature(equalFeMg(), T);
    EXPECT_EQ(T, 1234.5);
}

TEST(OlivineKd, ConstantKdIsTheDefaultOption) {
    TModelOlivine_Kd model;
    TAssemblage a = equalFeMg();
    // Nothing chosen: "Kd = const" with its default 0.3, Fo = 1 / (1 + 0.3).
    EXPECT_NEAR(foAt(model, a, 1500.0), 1.0 / 1.3, 1e-15);

    model.context().settings.parameters.fixedKdOption = true;
    model.context().settings.parameters.kdFeMg = 0.25;
    EXPECT_NEAR(foAt(model, a, 1500.0), 1.0 / 1.25, 1e-15);

    // The olivine written back: three cations, Mg and Fe by Fo, 100 wt%.
    const TAnalysis olivine = findPhase(a.phases, "olivine");
    const double si = olivine.oxides[Ox::SiO2] / 60.08;
    const double mg = olivine.oxides[Ox::MgO] / 40.3;
    const double fe = olivine.oxides[Ox::FeO] / 71.85;
    EXPECT_NEAR(si / (si + mg + fe), 1.0 / 3.0, 1e-12);
    EXPECT_NEAR(mg / (mg + fe), 0.8, 1e-12);
    EXPECT_NEAR(olivine.oxides[Ox::SiO2] + olivine.oxides[Ox::MgO] + olivine.oxides[Ox::FeO], 100.0,
                1e-9);
}

TEST(OlivineKd, LnKdEquationTakesPressureInKbar) {
    TModelOlivine_Kd model;
    TParameters& p = model.context().settings.parameters;
    p.lnKdOption = true;
    TAssemblage a = equalFeMg();
    // Defaults A = 0, B = 0, C = -1.204: Kd = exp(-1.204) = 0.2999918.
    EXPECT_NEAR(model.exchangeCoefficient(a, 1500.0), 0.2999918, 1e-7);
    EXPECT_NEAR(foAt(model, a, 1500.0), 1.0 / (1.0 + std::exp(-1.204)), 1e-15);

    // ln Kd = A/T + B P(kbar)/T + C: 1000/1500 + 10 x 5/1500 - 1.9 = -1.2 at 5000 bar.
    p.lnKdA = 1000.0;
    p.lnKdB = 10.0;
    p.lnKdC = -1.9;
    a.pressure = 5000.0;
    EXPECT_NEAR(model.exchangeCoefficient(a, 1500.0), std::exp(-1.2), 1e-15);
}

TEST(OlivineKd, SobolevQuellmark1994IsLinearInCelsius) {
    TModelOlivine_Kd model;
    model.context().settings.parameters.sobolevQuellmarkOption = true;
    const TAssemblage a = equalFeMg();
    EXPECT_NEAR(model.exchangeCoefficient(a, 1473.0), 0.29136, 1e-12);  // 0.0001853 x 1200 + 0.069
    EXPECT_NEAR(model.exchangeCoefficient(a, 273.0), 0.069, 1e-15);
}

// Toplis (2005), Contrib. Mineral. Petrol. 149, eqs. 11-12, with SiO2 and Na2O + K2O in mol%:
// X = 0.5, N = 0.03, 1 wt% H2O: psi = (0.46/0.5 - 0.93) x 3 + (9.69 - 5.33/0.5) = -1.0, so
// Si* = 50 - 1.0 x 3 + 0.8 = 47.8. X = 0.7, N = 0.05, dry: psi = (11 - 5.5/0.3) exp(-0.65) =
// -3.8283357, Si* = 70 + 5 psi = 50.8583215.
TEST(OlivineKd, ToplisAdjustedSilicaIsThePublishedRelation) {
    EXPECT_NEAR(toplisAdjustedSilica(0.5, 0.03, 1.0), 47.8, 1e-12);
    EXPECT_NEAR(toplisAdjustedSilica(0.7, 0.05, 0.0), 50.85832151876275, 1e-12);
    // Without alkalis only the silica and the water are left, on either side of X = 0.6.
    EXPECT_NEAR(toplisAdjustedSilica(0.6, 0.0, 2.0), 61.6, 1e-12);
    EXPECT_NEAR(toplisAdjustedSilica(0.65, 0.0, 0.0), 65.0, 1e-12);
}

// KL2-G (10 % ferric iron): oxide mole fractions X = 0.53498148, N = 0.02748402, Si* = 49.07547,
// melt Mg# m = 0.57607584 (cation moles); the root of ln K + (6766/T + 7.34)/R - ln(0.036 Si* -
// 0.22) - 0.035 (P - 1)/(R T) - 3000/(R T) (K/m - 1 - K)/(K/m + 1 - K) found by 200 halvings:
// 0.31612746 at 1473 K and 1 bar; 0.33401916 at 5001 bar with 2 wt% H2O (Si* 50.67547).
TEST(OlivineKd, ToplisKdIsTheRootOfTheRelation) {
    TModelOlivine_Kd model;
    model.context().settings.parameters.toplisOption = true;
    TAssemblage dry = kilauea();
    const double kd = model.exchangeCoefficient(dry, 1473.0);
    EXPECT_NEAR(kd, 0.31612746, 1e-4);  // the halving's tolerance
    TAssemblage wet = kilauea(2.0, 5001.0);
    EXPECT_NEAR(model.exchangeCoefficient(wet, 1473.0), 0.33401916, 1e-4);

    // Fo by the same Kd from the melt's Fe2+ and Mg.
    const Oxides melt = meltOf(dry).oxides;
    EXPECT_NEAR(foAt(model, dry, 1473.0), melt[Ox::MgO] / (melt[Ox::MgO] + kd * melt[Ox::FeO]),
                1e-15);
}

TEST(OlivineKd, ToplisRootStaysInItsBracket) {
    TModelOlivine_Kd model;
    model.context().settings.parameters.toplisOption = true;
    const TAssemblage a = kilauea();
    for (double T : {300.0, 800.0, 1473.0, 2500.0}) {
        const double kd = model.exchangeCoefficient(a, T);
        EXPECT_GE(kd, 0.0001);
        EXPECT_LE(kd, 0.9999);
    }
    // At 50 K the relation is positive over the whole bracket: the halving ends at its end.
    EXPECT_NEAR(model.exchangeCoefficient(a, 50.0), 0.9999, 0.0001);
}

TEST(OlivineKd, MeltWithoutMgONamesTheModel) {
    TModelOlivine_Kd model;
    model.context().settings.parameters.toplisOption = true;
    TAssemblage a = kilauea();
    a.phases[0].oxides[Ox::MgO] = 0.0;
    double fo = 0.0;
    try {
        model.Get_Mineral_Composition(a, fo, 1473.0);
        FAIL() << "expected EModelError_GetT";
    } catch (const EModelError_GetT& e) {
        EXPECT_NE(std::string(e.what()).find("for internal use"), std::string::npos);
    }

    // The constant Kd on a melt with neither Fe2+ nor Mg has no olivine either.
    TModelOlivine_Kd constant;
    a.phases[0].oxides[Ox::FeO] = 0.0;
    EXPECT_THROW(constant.Get_Mineral_Composition(a, fo, 1473.0), EModelError_GetT);
}

}  // namespace
}  // namespace varnodel
