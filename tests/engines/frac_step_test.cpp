// The size of a step when an oxide leads, and the degassing of an H2O-rich melt.
#include <gtest/gtest.h>

#include <cmath>

#include "FracHarness.h"

namespace varnodel {
namespace {

// On an oxygen buffer two log units above Ni-NiO magnetite (Ariskin & Barmina, 1999) is the
// liquidus mineral of the Hawaiian basalt, and clinopyroxene takes over now and then. On
// consecutive magnetite-led steps the crystallised mass alternates between a tenth of the base
// step and the base step; the first oxide step after a silicate one takes the tenth.
TEST(FracStep, OxideLedStepsAlternateBetweenATenthAndTheWholeBaseStep) {
    RunState state = test::stateWithModels({{Phase::Magnetite, "Ariskin, Barmina 1999"},
                                            {Phase::Clinopyroxene, "Langmuir et al., 1992"}});
    TParameters& p = state.settings.parameters;
    p.bufferModel = "Ni-NiO";
    p.bufferOffset = 2.0;
    p.calculationStep = 1.0;
    p.stop.values[Stop::Crystallisation] = 3.0;
    test::printEveryStep(p);
    const auto run = test::runFrac(state, test::startingComposition(test::referenceGlasses()[2]));
    ASSERT_EQ(run->outcome, RunOutcome::Completed);

    const double base = 0.01;
    const auto& steps = run->output.steps;
    ASSERT_GE(steps.size(), 5u);
    // The first three steps: magnetite throughout.
    const double expected[] = {0.1 * base, base, 0.1 * base};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(steps[k].state.leader, 8u);
        EXPECT_DOUBLE_EQ(steps[k].state.stepFraction, expected[k]) << "step " << k;
    }
    double melt = 1.0, previousStep = base;
    int oxideAfterSilicate = 0, silicateSteps = 0;
    for (const auto& step : steps) {
        const FracState& s = step.state;
        const bool oxide = s.leader >= 6;
        const double size = !oxide ? base : previousStep > 0.1 * base ? 0.1 * base : base;
        EXPECT_DOUBLE_EQ(s.stepFraction, size);
        EXPECT_NEAR(melt - s.meltFraction, size * melt, 1e-15);
        if (oxide && previousStep == base && &step != &steps.front()) ++oxideAfterSilicate;
        if (!oxide) ++silicateSteps;
        previousStep = s.stepFraction;
        melt = s.meltFraction;
    }
    EXPECT_GT(oxideAfterSilicate, 0);
    EXPECT_GT(silicateSteps, 0);
}

// A MORB with 6 wt% H2O at 1 kbar holds about 3.3 wt% (Moore et al., 1998): the rest leaves as
// a pure H2O fluid at set-up, and each step's crystals (which hold none) push the melt over its
// solubility again by 1 / (1 - step), which degasses after the step is printed.
TEST(FracStep, H2ORichMeltDegassesToItsSolubility) {
    test::ReferenceGlass glass = test::referenceGlasses()[0];
    glass.melt.volatile_.value = 6.0;
    RunState state = test::stateWithModels(
        {{Phase::Olivine, "Ford et al., 1983"}, {Phase::Plagioclase, "Langmuir et al., 1992"}});
    TParameters& p = state.settings.parameters;
    p.calculationStep = 0.5;
    p.stop.values[Stop::Crystallisation] = 8.0;
    // Closed for oxygen, so that no exchange with a buffer moves the H2O per 100 g of melt.
    p.bufferMode = false;
    p.closedSystemMode = true;
    test::printEveryStep(p);
    const auto run = test::runFrac(state, test::startingComposition(glass, 1.0));
    for (const auto& m : run->reporter.messages)
        ADD_FAILURE() << m;
    const auto& steps = run->output.steps;
    ASSERT_GE(steps.size(), 10u);

    // Set-up leaves the melt exactly at its solubility.
    const double solubility = steps[0].state.h2oSolubility;
    const double fluidAtSetUp = steps[0].state.fluidFraction;
    const TAnalysis& start = run->output.startingMelt;
    EXPECT_NEAR(start.volatile_.value / solubility, 1.0, 1e-12);
    EXPECT_GT(fluidAtSetUp, 0.02);
    EXPECT_NEAR(18.0 * solubility, 3.3, 0.1);

    // H2O of the whole system (wt%, melt and fluid) as set up.
    const double h2o = (1.0 - fluidAtSetUp) * start.volatile_.value * 18.0 + fluidAtSetUp * 100.0;
    double fluid = 0.0;
    for (const auto& step : steps) {
        const FracState& s = step.state;
        EXPECT_NEAR(test::totalMass(s), 1.0, 1e-9);
        EXPECT_NEAR(step.melt.volatile_.value / s.h2oSolubility, 1.0 / (1.0 - s.stepFraction),
                    1e-9);
        EXPECT_GE(s.fluidFraction, fluid);
        fluid = s.fluidFraction;
        EXPECT_NEAR(test::systemComposition(step)[kOxideCount] / h2o, 1.0, 1e-9);
    }
    EXPECT_GT(fluid, fluidAtSetUp + 0.001);
}

}  // namespace
}  // namespace varnodel
