// What a forward run does when a model gives what no magma can: crystals that need more of a
// component than the melt holds, a mineral with a negative oxide, a liquidus below absolute
// zero, an H2O solubility that does not exist, a failure inside the iron split or the trace
// elements. The mineral leaves the run, or the run ends with its reason; no exception escapes
// and no mass is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "FracHarness.h"
#include "StandInMineral.h"

namespace varnodel {
namespace {

using test::StandInMineral;

const test::ReferenceGlass& glass(std::size_t i) {
    static const auto glasses = test::referenceGlasses();
    return glasses.at(i);
}

// A coarse run to `stopPercent`, every step printed, with the given models.
RunState coarseRun(const std::vector<std::pair<Phase, std::string>>& models, double stopPercent) {
    RunState state = test::stateWithModels(models);
    TParameters& p = state.settings.parameters;
    p.calculationStep = 1.0;
    p.stop.values[Stop::Crystallisation] = stopPercent;
    test::printEveryStep(p);
    return state;
}

std::unique_ptr<test::FracRun> runMelt(const RunState& state, const std::string& name,
                                       const TAnalysis& wt, double pressureKbar = 0.001) {
    return test::runFrac(state, test::startingComposition({name, wt}, pressureKbar, 0.1));
}

TAnalysis withoutOxide(const TAnalysis& wt, std::size_t oxide) {
    TAnalysis m = wt;
    m.oxides[oxide] = 0.0;
    return m;
}

bool debugHas(const test::FracRun& run, const std::string& line) {
    return std::find(run.reporter.debug.begin(), run.reporter.debug.end(), line) !=
           run.reporter.debug.end();
}

std::string noneLeft(const std::string& sample) {
    return "No minerals left in calculations with " + sample + ". Calculation aborted.";
}

// Crystals that exhaust the melt's chromium take its Cr2O3 a little below zero; the Cr2O3 floor
// at the end of the step sets it to 0 and the mineral stays in the run.
TEST(FracImpossible, CrystalsThatExhaustTheChromiumStay) {
    RunState state = coarseRun({}, 5.0);
    StandInMineral& standIn = test::addStandIn(state, Phase::Spinel);
    standIn.cr2o3 = 5.0;
    TAnalysis melt = glass(0).melt;
    melt.oxides[Ox::Cr2O3] = 0.02;  // far less than a 1% step of the crystals takes
    const auto run = runMelt(state, "low Cr", melt);
    EXPECT_EQ(run->outcome, RunOutcome::Completed);
    ASSERT_FALSE(run->output.steps.empty());
    EXPECT_FALSE(run->output.steps.back().state.excluded[static_cast<std::size_t>(Phase::Spinel)]);
    for (const auto& step : run->output.steps)
        EXPECT_GE(step.melt.oxides[Ox::Cr2O3], 0.0);
    EXPECT_EQ(run->output.steps.back().melt.oxides[Ox::Cr2O3], 0.0);
}

// The Weaver & Langmuir (1990) plagioclase takes its anorthite from the melt's Al2O3, so it
// writes CaO into a plagioclase grown from a melt without any: crystallising it would leave the
// melt with negative CaO. Plagioclase leaves; the olivine beside it goes on, and the melt keeps
// no CaO at all.
TEST(FracImpossible, CrystalsThatTakeMoreThanTheMeltHoldsLeaveTheRun) {
    const TAnalysis noCaO = withoutOxide(glass(4).melt, Ox::CaO);  // BCR-2G: plagioclase leads
    const auto alone =
        runMelt(coarseRun({{Phase::Plagioclase, "Weaver&Langmuir, 1990"}}, 5.0), "no CaO", noCaO);
    EXPECT_EQ(alone->outcome, RunOutcome::Failed);
    EXPECT_EQ(alone->reporter.messages, std::vector<std::string>{noneLeft("no CaO")});
    EXPECT_TRUE(debugHas(*alone,
                         "Weaver&Langmuir, 1990: crystallising plagioclase would leave a "
                         "melt with negative CaO; plagioclase leaves the calculation"));
    EXPECT_TRUE(alone->output.steps.empty());

    const auto beside = runMelt(coarseRun({{Phase::Olivine, "Ford et al., 1983"},
                                           {Phase::Plagioclase, "Weaver&Langmuir, 1990"}},
                                          5.0),
                                "no CaO", noCaO);
    EXPECT_EQ(beside->outcome, RunOutcome::Completed);
    ASSERT_FALSE(beside->output.steps.empty());
    for (const auto& step : beside->output.steps) {
        EXPECT_EQ(step.melt.oxides[Ox::CaO], 0.0);
        EXPECT_EQ(step.state.crystalsInCumulate[2], 0.0);
        EXPECT_NEAR(test::totalMass(step.state), 1.0, 1e-12);
    }
    EXPECT_TRUE(beside->output.steps.back().state.excluded[2]);
}

// The Langmuir et al. (1992) clinopyroxene counts CaSiO3 as the melt's CaO less half its Al2O3
// not balanced by Na2O: in a rhyolite that component is negative, and so is the CaO of the
// pyroxene written from it. Such a mineral is the model's failure.
TEST(FracImpossible, AMineralWithANegativeOxideIsItsModelsFailure) {
    const TAnalysis rhyolite = [] {
        TAnalysis m;
        m.name = "melt";
        m.oxides = {75.0, 0.2, 13.0, 0.0, 1.5, 0.05, 0.3, 1.2, 4.0, 4.5, 0.05, 0.0};
        return m;
    }();
    const auto run = runMelt(coarseRun({{Phase::Clinopyroxene, "Langmuir et al., 1992"}}, 5.0),
                             "rhyolite", rhyolite);
    EXPECT_EQ(run->outcome, RunOutcome::Failed);
    EXPECT_EQ(run->reporter.messages, std::vector<std::string>{noneLeft("rhyolite")});
    EXPECT_TRUE(debugHas(*run, "Langmuir et al., 1992 gave a clinopyroxene with negative CaO"));
}

// A leader that leaves the run in the middle of its own mass balance crystallises nothing in
// that step: the mass of the step is not booked as crystals without a composition. With the
// melt closed for oxygen every oxide of the whole system is then conserved.
TEST(FracImpossible, ALeaderThatFailsInItsMassBalanceCrystallisesNothing) {
    RunState state = coarseRun({}, 6.0);
    state.settings.parameters.bufferMode = false;
    state.settings.parameters.closedSystemMode = true;
    StandInMineral& olivine = test::addStandIn(state, Phase::Olivine);
    olivine.slope = 0.0;
    olivine.failAfter = 60;  // in the mass balance of the third step
    StandInMineral& other = test::addStandIn(state, Phase::Clinopyroxene);
    other.liquidus = 1400.0;
    other.slope = 0.0;
    const auto run = test::runFrac(state, test::startingComposition(glass(3)));

    EXPECT_EQ(run->outcome, RunOutcome::Completed);
    EXPECT_TRUE(debugHas(*run, "Stand-in has failed"));
    const auto& steps = run->output.steps;
    ASSERT_GE(steps.size(), 4u);
    const double olivineMass = steps.back().state.crystalsInCumulate[1];
    EXPECT_GT(olivineMass, 0.0);
    std::array<double, kOxideCount + 1> start{};
    for (std::size_t k = 0; k < kOxideCount; ++k)
        start[k] = run->output.startingMelt.oxides[k] * kOxides[k].massPerCation;
    for (const auto& step : steps) {
        const auto now = test::systemComposition(step);
        for (std::size_t k = 0; k < kOxideCount; ++k)
            EXPECT_NEAR(now[k], start[k], 1e-9 * std::max(1.0, start[k])) << kOxides[k].label;
        // The olivine that did crystallise keeps a real composition in the cumulate.
        if (step.state.crystalsInCumulate[1] > 0.0) {
            const TAnalysis ol = findPhase(step.state.cumulate, "olivine");
            EXPECT_GT(ol.oxides[Ox::SiO2], 0.0);
        }
    }
    EXPECT_TRUE(steps.back().state.excluded[1]);
    EXPECT_EQ(steps.back().state.crystalsInCumulate[1], olivineMass);
}

// A leader whose composition fails in the phase checks of its step leaves before its mass
// balance: nothing of it crystallises and the run goes on with the others. (In a rhyolite the
// Langmuir et al. (1992) clinopyroxene leads and writes negative CaO; the ilmenite goes on.)
TEST(FracImpossible, ALeaderThatFailsInThePhaseChecksCrystallisesNothing) {
    RunState state = coarseRun({{Phase::Clinopyroxene, "Langmuir et al., 1992"},
                                {Phase::Ilmenite, "Ariskin & Barmina,1999"}},
                               3.0);
    state.settings.parameters.bufferMode = false;
    state.settings.parameters.closedSystemMode = true;
    TAnalysis rhyolite;
    rhyolite.name = "melt";
    rhyolite.oxides = {75.0, 0.2, 13.0, 0.0, 1.5, 0.05, 0.3, 1.2, 4.0, 4.5, 0.05, 0.0};
    const auto run = runMelt(state, "rhyolite", rhyolite);
    EXPECT_TRUE(debugHas(*run, "Langmuir et al., 1992 gave a clinopyroxene with negative CaO"));
    ASSERT_FALSE(run->output.steps.empty());
    std::array<double, kOxideCount + 1> start{};
    for (std::size_t k = 0; k < kOxideCount; ++k)
        start[k] = run->output.startingMelt.oxides[k] * kOxides[k].massPerCation;
    for (const auto& step : run->output.steps) {
        EXPECT_EQ(step.state.crystalsInCumulate[3], 0.0);
        const auto now = test::systemComposition(step);
        for (std::size_t k = 0; k < kOxideCount; ++k)
            EXPECT_NEAR(now[k], start[k], 1e-9 * std::max(1.0, start[k])) << kOxides[k].label;
    }
}

// A liquidus below absolute zero is no temperature: the model has failed (here the Brisande &
// Gerya (1998) plagioclase, 50 degrees lower per wt% H2O, in a melt with 30 wt% H2O).
TEST(FracImpossible, ALiquidusBelowAbsoluteZeroIsTheModelsFailure) {
    TAnalysis wet = glass(0).melt;
    wet.volatile_.value = 30.0;
    const auto run =
        runMelt(coarseRun({{Phase::Plagioclase, "Brisande&Gerya, 1998"}}, 5.0), "30 H2O", wet);
    EXPECT_EQ(run->outcome, RunOutcome::Failed);
    EXPECT_EQ(run->reporter.messages, std::vector<std::string>{noneLeft("30 H2O")});
    EXPECT_TRUE(
        debugHas(*run, "Brisande&Gerya, 1998 gave a liquidus temperature below absolute zero"));
}

// Moore et al. (1998) have no H2O solubility for a melt at a liquidus of 60 K: the run cannot go
// on, and says why, naming the leader's temperature and model.
TEST(FracImpossible, NoH2OSolubilityEndsTheRunWithItsReason) {
    RunState state = coarseRun({}, 5.0);
    StandInMineral& olivine = test::addStandIn(state, Phase::Olivine);
    olivine.liquidus = 60.0;
    olivine.slope = 0.0;
    const auto run = test::runFrac(state, test::startingComposition(glass(3)));
    EXPECT_EQ(run->outcome, RunOutcome::Failed);
    EXPECT_EQ(run->reporter.messages,
              std::vector<std::string>{
                  "Moore et al., 1998: no finite H2O solubility of the melt at -213.0 C, the "
                  "liquidus of olivine (Stand-in). Analysis " +
                  glass(3).name});
    EXPECT_TRUE(run->output.steps.empty());
}

// In the olivine-equation mode the iron split asks the olivine model for its Fo. An olivine that
// cannot give one there has failed like one without a liquidus: it leaves the run.
TEST(FracImpossible, AnOlivineThatFailsInTheIronSplitLeavesTheRun) {
    RunState state = coarseRun({}, 5.0);
    TParameters& p = state.settings.parameters;
    p.bufferMode = false;
    p.equationMode = true;
    p.equationA = 0.05;
    p.equationB = 4.0;
    test::addStandIn(state, Phase::Olivine).compositionFailAfter = 0;  // the first call
    const auto run = test::runFrac(state, test::startingComposition(glass(3)));
    EXPECT_EQ(run->outcome, RunOutcome::Failed);
    EXPECT_EQ(run->reporter.messages, std::vector<std::string>{noneLeft(glass(3).name)});
    EXPECT_TRUE(debugHas(*run, "Stand-in has no composition"));
    EXPECT_EQ(test::standInOf(run->snap, Phase::Olivine).compositionCalls, 1);
}

// The H2O of the olivine-plagioclase cotectic comes from the "Quellmark, 2001" models; in a melt
// without Al2O3 and alkalis their plagioclase has no liquidus. The melt keeps its H2O, the
// message box says why, and the olivine crystallises.
TEST(FracImpossible, NoCotecticH2OKeepsTheMeltsH2O) {
    RunState state = coarseRun({{Phase::Olivine, "Ford et al., 1983"}}, 3.0);
    state.settings.parameters.cotecticOption = true;
    TAnalysis noFeldspar;
    noFeldspar.name = "melt";
    noFeldspar.oxides[Ox::SiO2] = 45.0;
    noFeldspar.oxides[Ox::FeO] = 10.0;
    noFeldspar.oxides[Ox::MgO] = 40.0;
    noFeldspar.oxides[Ox::CaO] = 5.0;
    noFeldspar.volatile_.value = 0.5;
    const auto run = runMelt(state, "no feldspar", noFeldspar, 2.0);  // no degassing
    EXPECT_EQ(run->outcome, RunOutcome::Completed);
    ASSERT_EQ(run->reporter.messages.size(), 1u);
    EXPECT_TRUE(run->reporter.messages[0].starts_with("no feldspar: Quellmark, 2001: "))
        << run->reporter.messages[0];
    ASSERT_FALSE(run->output.steps.empty());
    EXPECT_NEAR(run->output.startingMelt.volatile_.value * 18.0, 0.5, 1e-12);
}

// The Beattie (1993) Ni of olivine rests on D_Mg; a melt without MgO has none. The failing trace
// model takes its mineral out of the run.
TEST(FracImpossible, AFailingTraceModelTakesItsMineralOut) {
    RunState state = coarseRun({{Phase::Olivine, "Ford et al., 1983"}}, 5.0);
    constexpr std::size_t kNi = 5;  // 0-based
    state.settings.active.traces[kNi] = true;
    state.settings.minerals[1].traceChoices[kNi] = "Beatt91 ";
    TAnalysis fayalite;
    fayalite.name = "melt";
    fayalite.oxides[Ox::SiO2] = 50.0;
    fayalite.oxides[Ox::FeO] = 50.0;
    fayalite.traces[kNi].value = 100.0;
    const auto run = runMelt(state, "fayalite", fayalite);
    EXPECT_EQ(run->outcome, RunOutcome::Failed);
    EXPECT_EQ(run->reporter.messages, std::vector<std::string>{noneLeft("fayalite")});
    EXPECT_TRUE(debugHas(*run,
                         "Beattie, 1993: the partition coefficient of Ni is not a number; "
                         "olivine leaves the calculation"));
}

// The Beattie (1993) Ni of olivine is 3.346 D_Mg - 3.665, and D_Mg of an olivine from a rhyolite
// with 0.3 wt% MgO is in the hundreds: a step of 1 % would take more Ni than the melt holds.
// The olivine leaves, and no negative Ni reaches the melt or the cumulate.
TEST(FracImpossible, CrystalsWithANegativeTraceLeaveTheRun) {
    RunState state = coarseRun({{Phase::Olivine, "Nielsen 1985"},
                                {Phase::Plagioclase, "Langmuir et al., 1992"},
                                {Phase::Clinopyroxene, "Langmuir et al., 1992"}},
                               10.0);
    constexpr std::size_t kNi = 5;  // 0-based
    state.settings.active.traces[kNi] = true;
    state.settings.minerals[1].traceChoices[kNi] = "Beatt91 ";
    TAnalysis rhyolite;
    rhyolite.name = "melt";
    rhyolite.oxides = {75.0, 0.2, 13.0, 0.0, 1.5, 0.05, 0.3, 1.2, 4.0, 4.5, 0.05, 0.0};
    rhyolite.traces[kNi].value = 60.0;
    const auto run = runMelt(state, "rhyolite", rhyolite);
    for (const auto& step : run->output.steps) {
        EXPECT_GE(step.melt.traces[kNi].value, 0.0);
        if (step.state.crystalsInCumulate[1] > 0.0) {
            EXPECT_GE(findPhase(step.state.cumulate, "olivine").traces[kNi].value, 0.0);
        }
    }
    EXPECT_TRUE(debugHas(*run,
                         "Nielsen 1985: crystallising olivine would leave a melt with "
                         "negative Ni; olivine leaves the calculation"));
}

}  // namespace
}  // namespace varnodel
