// How a forward run ends or goes on when a model fails, a value is not a number, or the user
// interrupts it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stop_token>

#include "FracHarness.h"
#include "StandInMineral.h"

namespace varnodel {
namespace {

using test::StandInMineral;

const test::ReferenceGlass& kilauea() {
    static const test::ReferenceGlass glass = test::referenceGlasses()[3];
    return glass;
}

RunState coarseRun(double stopPercent) {
    RunState state;
    state.slots.fill(nullptr);
    TParameters& p = state.settings.parameters;
    p.calculationStep = 0.5;
    p.stop.values[Stop::Crystallisation] = stopPercent;
    return state;
}

void expectNothingNotANumber(const test::FracRun& run) {
    for (const auto& step : run.output.steps) {
        EXPECT_TRUE(std::isfinite(step.state.T[step.state.leader]));
        EXPECT_TRUE(std::isfinite(step.state.meltFraction));
        for (double v : step.melt.oxides)
            EXPECT_TRUE(std::isfinite(v));
    }
}

// A model that fails only takes its mineral out of the run: the step at which it fails is
// printed, its temperature stays as it last was, it is never called again, and the others go
// on. Only the first step (olivine joins), the failure and the last step are printed here.
TEST(FracFailure, AFailingModelDropsItsMineralAndTheRunGoesOn) {
    RunState state = coarseRun(3.0);
    state.settings.parameters.outputByCrystallisation = false;
    state.slots[1] = state.registry().mineralSet(Phase::Olivine).getByName("Ford et al., 1983");
    StandInMineral& failing = test::addStandIn(state, Phase::Clinopyroxene);
    failing.liquidus = 1000.0;  // far below olivine: it never leads
    failing.slope = 0.0;
    failing.failAfter = 30;
    const auto run = test::runFrac(state, test::startingComposition(kilauea()));

    EXPECT_EQ(run->outcome, RunOutcome::Completed);
    EXPECT_TRUE(run->reporter.messages.empty());
    EXPECT_EQ(
        std::count(run->reporter.debug.begin(), run->reporter.debug.end(), "Stand-in has failed"),
        1);
    EXPECT_EQ(test::standInOf(run->snap, Phase::Clinopyroxene).temperatureCalls, 31);
    EXPECT_EQ(run->snap.slots[3], nullptr);

    const auto& steps = run->output.steps;
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_FALSE(steps[0].state.excluded[3]);
    EXPECT_TRUE(steps[1].state.excluded[3]);
    EXPECT_FALSE(steps[1].finalStep);
    EXPECT_EQ(steps[1].state.T[3], 1000.0);
    EXPECT_TRUE(steps[2].finalStep);
    EXPECT_GE(1.0 - steps[2].state.meltFraction, 0.03);
}

// When the only mineral's model fails - by an error or by a temperature that is not a number -
// the run ends with the "No minerals left" message, shown once, and prints nothing more.
class NoMineralsLeft : public ::testing::TestWithParam<bool> {};

TEST_P(NoMineralsLeft, WhenTheOnlyMineralFails) {
    RunState state = coarseRun(10.0);
    test::printEveryStep(state.settings.parameters);
    StandInMineral& only = test::addStandIn(state, Phase::Olivine);
    (GetParam() ? only.failAfter : only.nanTemperatureAfter) = 40;
    const auto run = test::runFrac(state, test::startingComposition(kilauea()));

    EXPECT_EQ(run->outcome, RunOutcome::Failed);
    EXPECT_EQ(run->reporter.messages,
              std::vector<std::string>{"No minerals left in calculations with " + kilauea().name +
                                       ". Calculation aborted."});
    ASSERT_FALSE(run->output.steps.empty());
    EXPECT_FALSE(run->output.steps.back().finalStep);
    EXPECT_LT(1.0 - run->output.steps.back().state.meltFraction, 0.1);
    expectNothingNotANumber(*run);
}

INSTANTIATE_TEST_SUITE_P(FracFailure, NoMineralsLeft, ::testing::Bool());

// A composition that is not a number ends the run with the floating-point message; no row of
// garbage is printed.
TEST(FracFailure, AValueThatIsNotANumberEndsTheRun) {
    RunState state = coarseRun(10.0);
    test::printEveryStep(state.settings.parameters);
    test::addStandIn(state, Phase::Olivine).nanCompositionAfter = 20;
    const auto run = test::runFrac(state, test::startingComposition(kilauea()));

    EXPECT_EQ(run->outcome, RunOutcome::Failed);
    EXPECT_EQ(run->reporter.messages,
              std::vector<std::string>{"A floating point math error with " + kilauea().name +
                                       ". Calculation aborted."});
    ASSERT_FALSE(run->output.steps.empty());
    EXPECT_FALSE(run->output.steps.back().finalStep);
    expectNothingNotANumber(*run);
}

// An interrupt ends the run after the current step: asked for while the third step is printed,
// or in the middle of the fourth (by a model call), the run prints nothing more, and the
// interrupted step is complete.
TEST(FracFailure, InterruptEndsTheRunAfterTheCurrentStep) {
    RunState state = coarseRun(10.0);
    test::printEveryStep(state.settings.parameters);
    StandInMineral& model = test::addStandIn(state, Phase::Olivine);
    const TAssemblage start = test::startingComposition(kilauea());

    std::stop_source atPrint;
    const auto printed = test::runFrac(state, start, atPrint.get_token(), [&](std::size_t n) {
        if (n == 3) atPrint.request_stop();
    });
    EXPECT_EQ(printed->outcome, RunOutcome::Interrupted);
    EXPECT_TRUE(printed->reporter.messages.empty());
    ASSERT_EQ(printed->output.steps.size(), 3u);
    EXPECT_FALSE(printed->output.steps.back().finalStep);

    // The calls the first three steps and the set-up make; the next one is in the fourth step.
    const long calls = test::standInOf(printed->snap, Phase::Olivine).temperatureCalls;
    std::stop_source midStep;
    model.onTemperature = [&](long n) {
        if (n == calls + 1) midStep.request_stop();
    };
    const auto inStep = test::runFrac(state, start, midStep.get_token());
    EXPECT_EQ(inStep->outcome, RunOutcome::Interrupted);
    ASSERT_EQ(inStep->output.steps.size(), 4u);
    EXPECT_NEAR(inStep->output.steps.back().state.meltFraction, std::pow(0.995, 4), 1e-12);

    std::stop_source before;
    before.request_stop();
    const auto none = test::runFrac(state, start, before.get_token());
    EXPECT_EQ(none->outcome, RunOutcome::Interrupted);
    EXPECT_TRUE(none->output.steps.empty());
    EXPECT_EQ(none->output.headers, 1);
}

}  // namespace
}  // namespace varnodel
