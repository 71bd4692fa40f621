#include "engines/Diffusion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace varnodel {
namespace {

TEST(Diffusion, CoefficientAndTimeStep) {
    EXPECT_NEAR(std::log10(feMgDiffusivity(1273.0)), -5.5, 1e-14);
    // 1423 K: -5.5 - 13349.5267 x (1/1423 - 1/1273) = -4.394589...
    EXPECT_NEAR(std::log10(feMgDiffusivity(1423.0)), -4.3945889, 1e-6);
    for (double dr : {0.01, 0.37, 2.5}) {
        const double D = feMgDiffusivity(1273.0);
        EXPECT_DOUBLE_EQ(D * diffusionTimeStep(dr, D) / (dr * dr), 0.5) << dr;
    }
}

TEST(Diffusion, OlivineDensityByHand) {
    // Fo90 at 1473 K: t = 1448; 0.9 x 3.0317898 + 0.1 x 4.1772456.
    EXPECT_NEAR(olivineDensity(0.9, 1473.0), 3.1463354, 1e-6);
    EXPECT_NEAR(foFromOlivineFeO(0.0), 1.0, 1e-15);
}

TEST(Diffusion, IntervalsAndTemperatureSteps) {
    EXPECT_EQ(instantProgressInterval(5.0), 100u);
    EXPECT_EQ(instantProgressInterval(10.0), 200u);
    EXPECT_EQ(instantProgressInterval(50.0), 10100u);
    EXPECT_EQ(coolingRateProgressInterval(240.0), 16800u);
    EXPECT_EQ(temperatureStepCount(100.0), 10);
    EXPECT_EQ(temperatureStepCount(15.0), 2);
    EXPECT_EQ(temperatureStepCount(25.0), 2);
    EXPECT_DOUBLE_EQ(coolingStepSeconds(240.0), 3600.0);
}

TEST(Diffusion, ThinnedProfileKeepsTheHeadEveryFifthThenAStride) {
    const auto kept = thinProfile(2000);
    ASSERT_GE(kept.size(), 200u);
    EXPECT_EQ(kept[21], 21u);
    EXPECT_EQ(kept[22], 26u);
    EXPECT_EQ(kept[199], 911u);
    EXPECT_EQ(kept[200], 913u);  // s = 1 + round(1088 / 800) = 2
    EXPECT_EQ(kept.back(), 1999u);
    EXPECT_LE(thinProfile(20000).size(), kThinnedProfilePoints);
    EXPECT_EQ(thinProfile(15).size(), 15u);
}

TEST(Diffusion, ShellsKeepTheVolumeOfTheirOlivine) {
    std::vector<RimStep> steps{{0.01, 12.0, 3.3}, {0.03, 13.0, 3.4}};
    const double meltMass = 1e-8;  // g
    const RimGeometry g = stackShells(steps, 100.0, meltMass);
    const double shell = 4.0 / 3.0 * std::numbers::pi;
    const double v1 = shell * (std::pow(100.0, 3) - std::pow(steps[0].innerRadius, 3));
    EXPECT_NEAR(v1, 0.01 * meltMass * 1e12 / 3.3, 1e-9 * v1);
    EXPECT_DOUBLE_EQ(g.innerRadius, steps[1].innerRadius);
    EXPECT_NEAR(steps[0].thickness + steps[1].thickness, g.thickness, 1e-12);
    EXPECT_NEAR(g.meltDensity * shell * std::pow(g.innerRadius, 3) / 1e12, 0.97 * meltMass, 1e-20);
}

TEST(Diffusion, LinearAtInterpolatesExtrapolatesOrHolds) {
    const std::vector<double> xs{1.0, 2.0, 4.0}, ys{10.0, 20.0, 0.0};
    EXPECT_DOUBLE_EQ(linearAt(xs, ys, 3.0, Beyond::Hold), 10.0);
    EXPECT_DOUBLE_EQ(linearAt(xs, ys, 0.5, Beyond::Extrapolate), 5.0);
    EXPECT_DOUBLE_EQ(linearAt(xs, ys, 0.5, Beyond::Hold), 10.0);
    EXPECT_DOUBLE_EQ(linearAt(xs, ys, 5.0, Beyond::Hold), 0.0);
}

// A rim richer in FeO than the host, a melt richer still: the profile takes iron from the melt,
// and what it takes is what the melt loses.
TEST(Diffusion, MeltAndProfileConserveFeO) {
    Profile p;
    const double dr = 0.5, rIn = 100.0;
    for (int j = 0; j < 400; ++j) {
        p.x.push_back(rIn + j * dr);
        p.c.push_back(j <= 10 ? 14.0 - 0.3 * j : 9.0);
    }
    const double rho = 3.3;
    DiffusionRun run;
    run.dt = diffusionTimeStep(dr, feMgDiffusivity(1423.0));
    run.rimDensity = rho;
    run.meltVolumeDensity = 4.0 / 3.0 * std::numbers::pi * std::pow(rIn, 3) * 2.7;
    run.meltMass = run.meltVolumeDensity * 10.0;
    run.wall = WallRelation(10.0, 14.0, 8.0, 9.0);
    run.maxSteps = 20000;
    std::uint64_t reported = 0;
    run.progressInterval = 5000;
    run.onProgress = [&](const DiffusionProgress& at) {
        reported = at.steps;
        EXPECT_EQ(at.steps % 5000, 0u);
    };
    const double before = run.meltMass + profileFeOMass(p, rho);
    const DiffusionResult r = diffuseProfile(p, dr, run);
    EXPECT_EQ(r.steps, 20000u);
    EXPECT_TRUE(r.limitReached);
    EXPECT_EQ(reported, 20000u);
    EXPECT_LT(r.meltMass, run.meltMass);
    EXPECT_NEAR(r.meltMass + profileFeOMass(p, rho), before, 1e-6 * before);
    // The wall stands where the melt of the step before put it.
    EXPECT_LT(p.c[0], 14.0);
    EXPECT_GT(p.c[0], 9.0);

    // A wall target ends the run before its limit.
    Profile q = p;
    run.wallTarget = p.c[0] - 0.01;
    run.meltMass = r.meltMass;
    const DiffusionResult r2 = diffuseProfile(q, dr, run);
    EXPECT_FALSE(r2.limitReached);
    EXPECT_LE(q.c[0], run.wallTarget);
}

}  // namespace
}  // namespace varnodel
