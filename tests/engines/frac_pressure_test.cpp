// The pressure path of a forward run: by steps of the degree of crystallisation, or with the
// leader's temperature (dP/dT).
#include <gtest/gtest.h>

#include <cmath>

#include "FracHarness.h"
#include "engines/FrPressure.h"

namespace varnodel {
namespace {

constexpr double kT = 1500.0;  // a leader temperature for the steps mode, which ignores it

// 5 kbar at the start, 3 kbar at 20% crystallised, 1 kbar at 40%.
TPressureBlock threeRows() {
    TPressureBlock block;
    block.pressure = 5.0;
    block.stepsMode = true;
    block.steps[0] = {5.0, 0.0};
    block.steps[1] = {3.0, 20.0};
    block.steps[2] = {1.0, 40.0};
    return block;
}

// 2 kbar, changing by 100 bar per degree of the leader's temperature.
TPressureBlock twoKbarAt100BarPerDegree() {
    TPressureBlock block;
    block.pressure = 2.0;
    block.dPdTMode = true;
    block.dPdT = 100.0;
    return block;
}

// Between rows the pressure follows the straight line through them (-2000 bar over 0.2); a row
// is passed exactly when the degree of crystallisation reaches its fraction; crystals dissolving
// back do not move the pressure back; past the last defined row the pressure stays at that
// row's (interpolating towards the empty row after it would send it to 0).
TEST(PressurePath, StepsModePassesEachRowWhenCrystallisationReachesIt) {
    PressurePath path(threeRows());
    EXPECT_EQ(path.pressure(), 5000.0);
    EXPECT_FALSE(path.update(0.1, kT));
    EXPECT_NEAR(path.pressure(), 4000.0, 1e-9);
    EXPECT_FALSE(path.update(0.05, kT));
    EXPECT_NEAR(path.pressure(), 4000.0, 1e-9);
    EXPECT_FALSE(path.update(std::nextafter(0.2, 0.0), kT));
    EXPECT_TRUE(path.update(0.2, kT));
    EXPECT_NEAR(path.pressure(), 3000.0, 1e-9);
    EXPECT_FALSE(path.update(0.25, kT));
    EXPECT_NEAR(path.pressure(), 2500.0, 1e-9);
    EXPECT_TRUE(path.update(0.4, kT));
    EXPECT_EQ(path.pressure(), 1000.0);
    EXPECT_FALSE(path.update(0.6, kT));
    EXPECT_EQ(path.pressure(), 1000.0);

    // Without a first row there is nothing to follow.
    TPressureBlock empty;
    empty.pressure = 2.0;
    empty.stepsMode = true;
    PressurePath stays(empty);
    EXPECT_FALSE(stays.update(0.5, kT));
    EXPECT_EQ(stays.pressure(), 2000.0);
}

TEST(PressurePath, NeverBelowOneBar) {
    TPressureBlock steps;
    steps.pressure = 0.5;
    steps.stepsMode = true;
    steps.steps[0] = {0.5, 0.0};
    steps.steps[1] = {0.0, 10.0};
    PressurePath toZero(steps);
    EXPECT_TRUE(toZero.update(0.1, kT));
    EXPECT_EQ(toZero.pressure(), 1.0);

    TPressureBlock slope;
    slope.pressure = 0.2;
    slope.dPdTMode = true;
    slope.dPdT = 100.0;
    PressurePath cooling(slope);
    cooling.startAt(kT);
    cooling.update(0.0, kT - 50.0);
    EXPECT_EQ(cooling.pressure(), 1.0);
}

// dP/dT in bar per degree: the pressure changes only once the leader has cooled by a whole
// degree since the last change, by the whole cooling since then, and never on heating.
TEST(PressurePath, DPdTModeChangesAfterEachDegreeOfCooling) {
    TPressureBlock block = twoKbarAt100BarPerDegree();
    PressurePath path(block);
    path.startAt(1500.0);
    EXPECT_FALSE(path.update(0.0, 1499.5));
    EXPECT_EQ(path.pressure(), 2000.0);
    path.update(0.0, 1499.0);
    EXPECT_EQ(path.pressure(), 1900.0);
    path.update(0.0, 1498.2);
    EXPECT_EQ(path.pressure(), 1900.0);
    path.update(0.0, 1497.9);
    EXPECT_NEAR(path.pressure(), 1790.0, 1e-9);
    path.update(0.0, 1510.0);
    EXPECT_NEAR(path.pressure(), 1790.0, 1e-9);

    // A negative dP/dT raises the pressure on cooling.
    block.dPdT = -50.0;
    PressurePath rising(block);
    rising.startAt(1500.0);
    rising.update(0.0, 1498.0);
    EXPECT_EQ(rising.pressure(), 2100.0);
}

// A reverse run heats the melt: the same path in the other direction, after each whole degree
// of heating (2000 bar + 1.5 x 100 at 1501.5 K), and the added fraction moves the steps.
TEST(PressurePath, HeatingMovesThePressureWithTheLeaderGoingUp) {
    PressurePath path(twoKbarAt100BarPerDegree(), PathDirection::Heating);
    path.startAt(1500.0);
    const struct {
        double leaderT, bar;
    } along[] = {{1500.5, 2000.0}, {1501.5, 2150.0}, {1490.0, 2150.0}};
    for (const auto& at : along) {
        path.update(0.0, at.leaderT);
        EXPECT_NEAR(path.pressure(), at.bar, 1e-9) << at.leaderT;
    }

    PressurePath steps(threeRows(), PathDirection::Heating);
    EXPECT_TRUE(steps.update(0.2, kT));
    EXPECT_NEAR(steps.pressure(), 3000.0, 1e-9);
    steps.update(0.3, kT);
    EXPECT_NEAR(steps.pressure(), 2000.0, 1e-9);
}

// In a run, passing a row asks for the next step to be printed, at the row's pressure: with no
// other output than that, the printed steps are the first (olivine joins), the two after the
// rows and the last.
TEST(PressurePath, PassingARowPrintsTheNextStep) {
    RunState state = test::stateWithModels({{Phase::Olivine, "Ford et al., 1983"}});
    TParameters& p = state.settings.parameters;
    p.calculationStep = 0.5;
    p.stop.values[Stop::Crystallisation] = 5.0;
    p.outputByCrystallisation = false;
    TAssemblage start = test::startingComposition(test::referenceGlasses()[3], 1.0);
    TPressureBlock& block = start.pressureBlock;
    block.stepsMode = true;
    block.steps[0] = {1.0, 0.0};
    block.steps[1] = {3.0, 2.0};
    block.steps[2] = {2.0, 4.0};
    const auto run = test::runFrac(state, start);
    const auto& steps = run->output.steps;
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].pressure, 1000.0);
    for (std::size_t k : {1, 2}) {
        const FracState& s = steps[k].state;
        const double row = k == 1 ? 0.02 : 0.04;
        // Olivine alone, no H2O: each step crystallises its share of the melt.
        const double before = s.meltFraction / (1.0 - s.stepFraction);
        EXPECT_GE(1.0 - before, row);
        EXPECT_LT(1.0 - before / (1.0 - s.stepFraction), row);
        const double expected =
            k == 1 ? 3000.0 + (1.0 - before - row) * (2000.0 - 3000.0) / 0.02 : 2000.0;
        EXPECT_NEAR(steps[k].pressure, expected, 1e-6);
    }
    EXPECT_EQ(steps[3].pressure, 2000.0);
}

}  // namespace
}  // namespace varnodel
