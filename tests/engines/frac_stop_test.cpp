// The stop conditions of a forward run: each kind ends the run at the first step that meets it.
#include <gtest/gtest.h>

#include <limits>

#include "FracHarness.h"

namespace varnodel {
namespace {

using test::PrintedStep;

struct StopCase {
    const char* name;
    std::size_t kind;
    Phase mineral;
    const char* model;
    std::size_t glass;
    double distance;  // of the limit from the first step's value, in the user's units
};

// What a stop kind tests, in the user's units (%, wt%, degrees Celsius, mol%).
double measure(const StopCase& c, const PrintedStep& p) {
    const FracState& s = p.state;
    const auto i = static_cast<std::size_t>(c.mineral);
    switch (c.kind) {
        case Stop::Crystallisation:
            return 100.0 * (1.0 - s.meltFraction);
        case Stop::MeltMgO:
            return p.melt.oxides[Ox::MgO] * kOxides[Ox::MgO].massPerCation;
        case Stop::Temperature:
            return s.T[s.leader] - 273.0;
        default:
            return s.inAssemblage[i] ? 100.0 * s.composition[i]
                                     : std::numeric_limits<double>::infinity();
    }
}

bool met(const StopCase& c, const PrintedStep& p, double limit) {
    return c.kind == Stop::Crystallisation ? measure(c, p) >= limit : measure(c, p) <= limit;
}

// One mineral, coarse steps, every step printed, the given stop (and 30% crystallised as a
// backstop).
std::unique_ptr<test::FracRun> runWithStop(const StopCase& c, std::size_t kind, double limit) {
    RunState state = test::stateWithModels({{c.mineral, c.model}});
    TParameters& p = state.settings.parameters;
    p.calculationStep = 0.5;
    test::printEveryStep(p);
    p.stop.flags.fill(false);
    p.stop.flags[Stop::Crystallisation] = true;
    p.stop.values[Stop::Crystallisation] = 30.0;
    p.stop.flags[kind] = true;
    p.stop.values[kind] = limit;
    return test::runFrac(state, test::startingComposition(test::referenceGlasses()[c.glass]));
}

class FracStopKind : public ::testing::TestWithParam<StopCase> {};

// The run ends at the first step that meets the limit: every earlier step (all are printed)
// misses it. The limit lies a few steps beyond the value at the first step of the same run
// stopped at once.
TEST_P(FracStopKind, EndsAtTheFirstStepThatMeetsTheLimit) {
    const StopCase& c = GetParam();
    const auto first = runWithStop(c, Stop::Crystallisation, 0.0);
    ASSERT_EQ(first->output.steps.size(), 1u);
    const double limit = c.kind == Stop::Crystallisation
                             ? c.distance
                             : measure(c, first->output.steps[0]) - c.distance;

    const auto run = runWithStop(c, c.kind, limit);
    for (const auto& m : run->reporter.messages)
        ADD_FAILURE() << m;
    EXPECT_EQ(run->outcome, RunOutcome::Completed);
    const auto& steps = run->output.steps;
    ASSERT_GE(steps.size(), 3u);
    EXPECT_TRUE(steps.back().finalStep);
    EXPECT_TRUE(met(c, steps.back(), limit));
    for (std::size_t k = 0; k + 1 < steps.size(); ++k)
        EXPECT_FALSE(steps[k].finalStep || met(c, steps[k], limit)) << "step " << k;
}

INSTANTIATE_TEST_SUITE_P(
    FracStop, FracStopKind,
    ::testing::Values(
        StopCase{"Crystallisation", Stop::Crystallisation, Phase::Olivine, "Ford et al., 1983", 6,
                 3.0},
        StopCase{"MeltMgO", Stop::MeltMgO, Phase::Olivine, "Ford et al., 1983", 6, 0.3},
        StopCase{"Temperature", Stop::Temperature, Phase::Plagioclase, "Langmuir et al., 1992", 0,
                 8.0},
        StopCase{"Fo", Stop::Fo, Phase::Olivine, "Ford et al., 1983", 6, 0.5},
        StopCase{"An", Stop::An, Phase::Plagioclase, "Langmuir et al., 1992", 0, 0.5},
        StopCase{"Clinopyroxene", Stop::Clinopyroxene, Phase::Clinopyroxene,
                 "Langmuir et al., 1992", 2, 0.5},
        StopCase{"Orthopyroxene", Stop::Orthopyroxene, Phase::Orthopyroxene, "Ariskin et al., 1993",
                 3, 0.5},
        StopCase{"Pigeonite", Stop::Pigeonite, Phase::Pigeonite, "Ariskin et al., 1993", 3, 0.5}),
    [](const auto& info) { return std::string(info.param.name); });

// The stop temperature is entered in degrees Celsius and compared after adding 273 (not
// 273.15): at the liquidus in those terms the run stops before anything crystallises; 0.1
// degree below it (above it with 273.15) the first step crystallises, and the run stops after
// it, its olivine having cooled the melt by more than that.
TEST(FracStop, TemperatureIsComparedAfterAdding273) {
    const StopCase c{"", Stop::Temperature, Phase::Olivine, "Ford et al., 1983", 6, 0.0};
    const double liquidus = runWithStop(c, Stop::Crystallisation, 0.0)->output.steps[0].state.T[1];
    const auto atLiquidus = runWithStop(c, Stop::Temperature, liquidus - 273.0 + 0.01);
    ASSERT_EQ(atLiquidus->output.steps.size(), 1u);
    EXPECT_EQ(atLiquidus->output.steps[0].state.meltFraction, 1.0);

    const auto below = runWithStop(c, Stop::Temperature, liquidus - 273.0 - 0.1);
    ASSERT_EQ(below->output.steps.size(), 1u);
    EXPECT_NEAR(below->output.steps[0].state.meltFraction, 0.995, 1e-12);
}

TEST(FracStop, DefaultSettingsStopAfterTheFirstStep) {
    RunState state;  // olivine alone, the default melt, a 0% crystallisation stop
    const auto run = test::runFrac(state, state.composition);
    EXPECT_EQ(run->outcome, RunOutcome::Completed);
    ASSERT_EQ(run->output.steps.size(), 1u);
    EXPECT_TRUE(run->output.steps[0].finalStep);
    EXPECT_EQ(run->output.steps[0].state.meltFraction, 1.0);
}

// A mineral that never led is not tested for its limit, even with its flag set: plagioclase
// stays far behind olivine in the komatiite, and its composition number (-0.01 while it has
// none) would meet any An limit. The stop block comes with the analysis and replaces the run's.
TEST(FracStop, AMineralThatNeverLedIsNotTestedForItsLimit) {
    RunState state = test::stateWithModels(
        {{Phase::Olivine, "Ford et al., 1983"}, {Phase::Plagioclase, "Langmuir et al., 1992"}});
    state.settings.parameters.calculationStep = 0.5;
    TAssemblage start = test::startingComposition(test::referenceGlasses()[6]);
    start.hasStopBlock = true;
    start.stop.values[Stop::Crystallisation] = 3.0;
    start.stop.flags[Stop::Crystallisation] = true;
    start.stop.values[Stop::An] = 99.0;
    start.stop.flags[Stop::An] = true;

    const auto run = test::runFrac(state, start);
    const FracState& last = run->output.steps.back().state;
    EXPECT_FALSE(last.inAssemblage[2]);
    EXPECT_EQ(last.composition[2], -0.01);
    EXPECT_GE(1.0 - last.meltFraction, 0.03);
    EXPECT_LT(1.0 - last.meltFraction, 0.035);
}

}  // namespace
}  // namespace varnodel
