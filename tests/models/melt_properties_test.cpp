#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "core/Errors.h"
#include "models/MeltProperties.h"
#include "support/ReferenceGlasses.h"

namespace varnodel {
namespace {

// Expected values below were computed once with an independent Python script from the published
// formulas, for the reference glasses as cation moles (test::meltAssemblage), 10% of the iron
// as Fe2O3 unless said otherwise.
TAnalysis glassMelt(std::size_t glass, double fe3 = 0.1, double h2o = 0.0) {
    return test::meltAssemblage(test::referenceGlasses().at(glass), fe3, h2o).phases.front();
}
constexpr std::size_t kMorb = 0, kColumbiaRiver = 4, kKomatiite = 6;

// Juan de Fuca MORB glass: oxide mole fractions give M = 63.259 g/mol; Lange & Carmichael
// (1987) densities of basaltic liquids at 1200 degrees C lie around 2.6-2.75 g/cm3.
TEST(MeltProperties, LangeCarmichaelDensityOfAMorb) {
    const double rho = densityLangeCarmichael1987(glassMelt(kMorb).oxides, 1473.0);
    EXPECT_NEAR(rho, 2.7012664885742397, 1e-12);
    EXPECT_GT(rho, 2.6);
    EXPECT_LT(rho, 2.75);
}

// At the reference temperature of the volumes no dV/dT term contributes.
TEST(MeltProperties, LangeCarmichaelAt1773KUsesTheTabulatedVolumes) {
    EXPECT_NEAR(densityLangeCarmichael1987(glassMelt(kMorb).oxides, 1773.0), 2.6496876153823132,
                1e-12);
}

TEST(MeltProperties, NelsonCarmichaelDensityAndExpansionOfAMorb) {
    const MeltDensity d = densityNelsonCarmichael1979(glassMelt(kMorb).oxides, 1473.0);
    EXPECT_NEAR(d.density, 2.6950626779011433, 1e-12);
    EXPECT_NEAR(d.thermalExpansion, 1.1753511763055562e-4, 1e-17);
}

// Bottinga & Weill 1972 on real melts, one per SiO2 row (X = SiO2 oxide mole fraction).
struct BottingaWeillGlass {
    std::size_t glass;
    double x;  // for the reader: the row it falls in
    double lnEta;
};

class BottingaWeillRows : public ::testing::TestWithParam<BottingaWeillGlass> {};

TEST_P(BottingaWeillRows, LnViscosityAt1200C) {
    EXPECT_NEAR(viscosityBottingaWeill1972(glassMelt(GetParam().glass).oxides, 1473.0),
                GetParam().lnEta, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    MeltProperties, BottingaWeillRows,
    ::testing::Values(BottingaWeillGlass{kColumbiaRiver, 0.5958, 7.160503908610624},  // X >= 0.55
                      BottingaWeillGlass{kMorb, 0.5363, 6.810932065387784},  // 0.45 <= X < 0.55
                      BottingaWeillGlass{kKomatiite, 0.4380, 3.797639452245458}));  // X < 0.45

// Bottinga & Weill (1972) viscosities of MORB liquids at 1200 degrees C are some 10^2.5 to 10^3
// poise.
TEST(MeltProperties, BottingaWeillMorbInThePublishedRange) {
    const double lnEta = viscosityBottingaWeill1972(glassMelt(kMorb).oxides, 1473.0);
    EXPECT_GT(lnEta, 2.5 * std::numbers::ln10);
    EXPECT_LT(lnEta, 3.0 * std::numbers::ln10);
}

// Two-oxide melts on the row boundaries, t = 1200 degrees C:
//   X = 0.55 (SiO2 + CaO), first row:  0.55 (-0.0146 t + 29.72) + 0.45 (-0.0088 t + 7.07) = 5.1395
//   X = 0.45 (SiO2 + MgO), middle row: 0.45 (-0.0144 t + 27.56) + 0.55 (2.78)              = 6.155
//   X = 0.44 (SiO2 + MgO), last row:   0.44 (-0.0056 t + 12.01) + 0.56 (-0.0121 t + 17.0) = 3.7164
TEST(MeltProperties, BottingaWeillRowBoundaries) {
    struct Case {
        Oxides melt;
        double lnEta;
    };
    const Case cases[] = {
        {{0.55, 0, 0, 0, 0, 0, 0, 0.45}, 5.1395},
        {{0.45, 0, 0, 0, 0, 0, 0.55}, 6.155},
        {{0.44, 0, 0, 0, 0, 0, 0.56}, 3.7164},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(viscosityBottingaWeill1972(c.melt, 1473.0), c.lnEta, 1e-12) << c.melt[0];
}

// Giordano & Dingwell 2003 on the MORB at 1200 degrees C (t = 1200):
//   SM = 31.2010 mol%; A = -2.23369, B = 13.3202, C = 16.8266;
//   y = B C / (C + SM) + A = 2.43310 = log10 of the viscosity in Pa s;
//   ln of the viscosity in poise = (y + 1) ln 10 = 7.90500 (about 2700 poise).
TEST(MeltProperties, GiordanoDingwellMorbInPoise) {
    const double lnEta = viscosityGiordanoDingwell2003(glassMelt(kMorb), 1473.0);
    EXPECT_NEAR(lnEta, 7.904997286065465, 1e-12);
    EXPECT_GT(lnEta, 3.0 * std::numbers::ln10);
    EXPECT_LT(lnEta, 4.0 * std::numbers::ln10);
}

TEST(MeltProperties, GiordanoDingwellDependsOnTotalIronOnly) {
    const double reduced = viscosityGiordanoDingwell2003(glassMelt(kMorb, 0.0), 1473.0);
    for (double fe3 : {0.1, 0.3, 1.0})
        EXPECT_NEAR(viscosityGiordanoDingwell2003(glassMelt(kMorb, fe3), 1473.0), reduced, 1e-12)
            << fe3;
}

TEST(MeltProperties, ViscosityFallsWithTemperature) {
    const TAnalysis melt = glassMelt(kMorb);
    EXPECT_LT(viscosityBottingaWeill1972(melt.oxides, 1573.0),
              viscosityBottingaWeill1972(melt.oxides, 1473.0));
    EXPECT_LT(viscosityGiordanoDingwell2003(melt, 1573.0),
              viscosityGiordanoDingwell2003(melt, 1473.0));
}

TEST(MeltProperties, NoNumberForAnEmptyMeltOrAnUndefinedTemperature) {
    const TAnalysis empty;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(densityLangeCarmichael1987(empty.oxides, 1473.0), EFloatingPointError);
    EXPECT_THROW(densityNelsonCarmichael1979(empty.oxides, 1473.0), EFloatingPointError);
    EXPECT_THROW(viscosityBottingaWeill1972(empty.oxides, 1473.0), EFloatingPointError);
    EXPECT_THROW(viscosityGiordanoDingwell2003(empty, 1473.0), EFloatingPointError);
    const TAnalysis melt = glassMelt(kMorb);
    EXPECT_THROW(densityLangeCarmichael1987(melt.oxides, nan), EFloatingPointError);
    EXPECT_THROW(densityNelsonCarmichael1979(melt.oxides, nan), EFloatingPointError);
    EXPECT_THROW(viscosityBottingaWeill1972(melt.oxides, nan), EFloatingPointError);
    EXPECT_THROW(viscosityGiordanoDingwell2003(melt, nan), EFloatingPointError);
}

}  // namespace
}  // namespace varnodel
