// Degrees of fractionation below 100%: crystals kept in the magma dissolve again when their
// mineral falls behind the leader, react peritectically, or end the run when no solution exists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "FracHarness.h"
#include "StandInMineral.h"

namespace varnodel {
namespace {

using test::PrintedStep;

// Every step printed, the melt closed for oxygen (so that the whole system keeps its
// composition to rounding), every mineral kept in the magma.
void keepEverythingInTheMagma(RunState& state, double stepPercent, double stopPercent) {
    TParameters& p = state.settings.parameters;
    p.calculationStep = stepPercent;
    p.stop.values[Stop::Crystallisation] = stopPercent;
    p.bufferMode = false;
    p.closedSystemMode = true;
    test::printEveryStep(p);
    for (auto& mineral : state.settings.minerals)
        mineral.fractionation = 0.0;
}

// Mass sums to 1 and the whole system keeps the starting melt's composition (oxides above
// 0.1 wt%) at every printed step.
void expectConserved(const test::FracRun& run) {
    const TAnalysis& start = run.output.startingMelt;
    for (const PrintedStep& step : run.output.steps) {
        EXPECT_NEAR(test::totalMass(step.state), 1.0, 1e-9);
        const auto now = test::systemComposition(step);
        for (std::size_t k = 0; k < kOxideCount; ++k) {
            const double wt = start.oxides[k] * kOxides[k].massPerCation;
            if (wt > 0.1) {
                EXPECT_NEAR(now[k] / wt, 1.0, 1e-5) << kOxides[k].label;
            }
        }
    }
}

// In the andesite plagioclase leads and olivine, kept in the magma, falls behind it after about
// a fifth of the melt has crystallised: olivine dissolves in increments of a twentieth of the
// step's mass, and that mass joins the melt before the leader crystallises.
TEST(FracFractionation, MineralLeftBehindDissolves) {
    RunState state = test::stateWithModels({{Phase::Olivine, "Ford et al., 1983"},
                                            {Phase::Plagioclase, "Langmuir et al., 1992"},
                                            {Phase::Clinopyroxene, "Langmuir et al., 1992"}});
    keepEverythingInTheMagma(state, 0.5, 23.0);
    const auto run = test::runFrac(state, test::startingComposition(test::referenceGlasses()[5]));
    for (const auto& m : run->reporter.messages)
        ADD_FAILURE() << m;
    ASSERT_EQ(run->outcome, RunOutcome::Completed);

    int resorptions = 0;
    const auto& steps = run->output.steps;
    for (std::size_t k = 1; k < steps.size(); ++k) {
        const FracState &q = steps[k - 1].state, &s = steps[k].state;
        double dissolved = 0.0;
        for (std::size_t i = 1; i < kPhaseCount; ++i) {
            const double lost = q.crystalsInMagma[i] - s.crystalsInMagma[i];
            if (i == s.leader || lost <= 0.0) continue;
            ++resorptions;
            dissolved += lost;
            const double increment = s.stepFraction * q.meltFraction / 20.0;
            const double increments = lost / increment;
            if (s.crystalsInMagma[i] > 0.0) {
                EXPECT_NEAR(increments, std::round(increments), 1e-6) << "step " << k;
                EXPECT_LE(increments, 100.0 + 1e-6);
            }
            EXPECT_EQ(s.peritecticAmount[i], 0.0);
        }
        // The step crystallises its share of the melt enlarged by what dissolved.
        EXPECT_NEAR(s.meltFraction, (q.meltFraction + dissolved) * (1.0 - s.stepFraction), 1e-12);
    }
    EXPECT_GT(resorptions, 0);
    expectConserved(*run);
}

// Olivine kept in the magma of the Kilauea basalt reacts with the melt once orthopyroxene leads
// (olivine + melt -> orthopyroxene): about one step's mass of olivine goes back into the melt.
// This caught a fault: after a reaction the engine gave the remaining olivine the new equilibrium
// composition without any exchange with the melt, so the whole system gained MgO and lost FeO
// (2e-4 of each, relative, per reaction). The remaining crystals now keep their composition.
TEST(FracFractionation, OlivineReactsPeritecticallyWithOrthopyroxene) {
    RunState state = test::stateWithModels(
        {{Phase::Olivine, "Ford et al., 1983"}, {Phase::Orthopyroxene, "Ariskin et al., 1993"}});
    keepEverythingInTheMagma(state, 0.5, 3.0);
    const auto run = test::runFrac(state, test::startingComposition(test::referenceGlasses()[3]));
    for (const auto& m : run->reporter.messages)
        ADD_FAILURE() << m;
    ASSERT_EQ(run->outcome, RunOutcome::Completed);

    int reactions = 0;
    const auto& steps = run->output.steps;
    for (std::size_t k = 1; k < steps.size(); ++k) {
        const FracState &q = steps[k - 1].state, &s = steps[k].state;
        const double reacted = s.peritecticAmount[1];
        if (reacted == 0.0) continue;
        ++reactions;
        ASSERT_EQ(s.leader, 4u);
        // The search starts from one step's mass and moves by at most a hundredth of it.
        const double first = std::min(s.stepFraction * q.meltFraction, q.crystalsInMagma[1]);
        EXPECT_NEAR(reacted, first, first / 100.0);
        EXPECT_LE(reacted, q.crystalsInMagma[1]);
        EXPECT_NEAR(s.crystalsInMagma[1], q.crystalsInMagma[1] - reacted, 1e-15);
        EXPECT_NEAR(s.meltFraction, q.meltFraction * (1.0 - s.stepFraction) + reacted, 1e-12);
        // The melt that took the olivine up is still saturated in orthopyroxene first.
        EXPECT_GT(s.T[4], s.T[1]);
    }
    EXPECT_GT(reactions, 0);
    expectConserved(*run);
}

// Two stand-ins whose liquidus rises as the melt loses MgO, the second (B) faster: A leads the
// first step and keeps its crystals in the magma, then B leads and leaves A further behind each
// step. Dissolving A would lower A's own liquidus, so nothing dissolves, and once A is more than
// 3e4 x step degrees behind the run stops: no solution for this degree of fractionation.
class NoSolution : public ::testing::Test {
  protected:
    void SetUp() override {
        TParameters& p = state.settings.parameters;
        p.calculationStep = 0.1;
        p.stop.values[Stop::Crystallisation] = 1.0;
        test::printEveryStep(p);
        state.slots.fill(nullptr);
        test::StandInMineral& a = test::addStandIn(state, Phase::Olivine);
        test::StandInMineral& b = test::addStandIn(state, Phase::Clinopyroxene);
        a.slope = -1000.0;
        b.slope = -11000.0;
        b.liquidus = a.liquidus - 5.0;
        // Both liquidus temperatures refer to the starting melt's MgO.
        const auto first = test::runFrac(state, start);
        a.referenceMgO = b.referenceMgO = first->output.startingMelt.oxides[Ox::MgO];
    }
    RunState state;
    TAssemblage start = test::startingComposition(test::referenceGlasses()[3]);
};

TEST_F(NoSolution, StopsTheRunWhenCrystalsKeptInTheMagmaFallTooFarBehind) {
    state.settings.minerals[1].fractionation = 0.0;
    const auto run = test::runFrac(state, start);
    const std::string text =
        "Calculations stopped as there is no solution possible for this degree of fractionation "
        "with the current set of models and parameters. You can try to increase degree of "
        "fractionation for each phase where it is < 100. Analysis " +
        start.name;
    EXPECT_EQ(run->reporter.messages, std::vector<std::string>{text});
    EXPECT_TRUE(run->snap.context().errorText.empty());

    const auto& steps = run->output.steps;
    ASSERT_GE(steps.size(), 4u);
    ASSERT_EQ(steps[0].state.leader, 1u);
    const double kept = steps[0].state.crystalsInMagma[1];
    EXPECT_NEAR(kept, 0.001, 1e-15);
    for (std::size_t k = 1; k < steps.size(); ++k) {
        const FracState& s = steps[k].state;
        EXPECT_EQ(s.leader, 3u);
        EXPECT_EQ(s.crystalsInMagma[1], kept) << "nothing of A dissolves";
        EXPECT_EQ(steps[k].finalStep, k + 1 == steps.size());
    }
    const FracState& last = steps.back().state;
    EXPECT_GT(last.T[3] - last.T[1], 3e4 * last.stepFraction);
    EXPECT_LT(1.0 - last.meltFraction, 0.01);
}

// With every mineral fractionated wholly no crystals stay in the magma: no resorption, no
// reaction, no verdict of no solution.
TEST_F(NoSolution, NeverWhenEveryMineralIsFractionatedWholly) {
    const auto run = test::runFrac(state, start);
    EXPECT_TRUE(run->reporter.messages.empty());
    EXPECT_EQ(run->outcome, RunOutcome::Completed);
    const FracState& last = run->output.steps.back().state;
    EXPECT_GE(1.0 - last.meltFraction, 0.01);
    EXPECT_GT(last.T[3] - last.T[1], 3e4 * last.stepFraction);
    for (const auto& step : run->output.steps) {
        EXPECT_EQ(step.state.crystalsInMagma[1], 0.0);
        EXPECT_EQ(step.state.peritecticAmount[1], 0.0);
    }
}

}  // namespace
}  // namespace varnodel
