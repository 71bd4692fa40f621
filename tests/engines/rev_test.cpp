// The reverse run against the forward one and against its own bookkeeping: a melt that a forward
// run fractionated comes back to where it started, the masses and every oxide add up at every
// step, and the conditions that end or shape a run (targets, exclusions, pressure stages) act in
// the step they should.
#include "engines/rev.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engines/FracHarness.h"
#include "support/NonNumberText.h"
#include "support/RecordingReporter.h"

namespace varnodel {
namespace {

using test::RecordingReporter;

struct RevPrinted {
    RevState state;
    TAnalysis melt;  // molar form
    double pressure = 0.0;
};

class RecordingRevOutput : public RevOutput {
  public:
    void runHeader(const RevRunInfo&) override { ++headers; }
    void startingComposition(const RevRunInfo&, const TAnalysis& melt) override {
        startingMelt = melt;
    }
    void stepNotices(const RevRunInfo&, const RevState& state) override {
        for (std::size_t i = 1; i < kPhaseCount; ++i)
            if (state.excludedNow[i]) excludedAtStep.push_back({i, steps.size()});
    }
    void printedStep(const RevRunInfo&, const RevState& state, const TAnalysis& melt,
                     double pressure) override {
        steps.push_back({state, melt, pressure});
    }
    int headers = 0;
    TAnalysis startingMelt;
    std::vector<RevPrinted> steps;
    std::vector<std::pair<std::size_t, std::size_t>> excludedAtStep;  // mineral, printed before
};

struct RevRun {
    RunSnapshot snap;
    RecordingRevOutput output;
    RecordingReporter reporter;
    RunOutcome outcome = RunOutcome::Completed;
    double finalPressure = 0.0;
};

std::unique_ptr<RevRun> runRev(const RunState& state, const TAssemblage& start) {
    auto run = std::make_unique<RevRun>();
    run->snap = state.snapshot();
    TReverseThread thread(run->snap, start, run->output, run->reporter);
    run->outcome = thread.run();
    run->finalPressure = thread.pressure();
    return run;
}

double wt(const TAnalysis& molar, std::size_t oxide) {
    return molar.oxides[oxide] * kOxides[oxide].massPerCation;
}

// A melt (wt%) as the analysis of a run.
TAssemblage analysisOf(const std::string& name, const Oxides& oxides) {
    TAssemblage a;
    a.name = name;
    TAnalysis melt;
    melt.oxides = oxides;
    melt.name = "melt";
    a.phases.push_back(melt);
    a.pressureBlock.pressure = 0.001;
    return a;
}

// Two picrites: a Hawaiian one and a primitive MORB (wt%, total iron as FeO).
const Oxides kHawaiianPicrite{47.5, 1.8, 10.5, 0.0, 11.5, 0.17, 16.5, 8.8, 1.7, 0.35, 0.2, 0.15};
const Oxides kMorbPicrite{48.5, 0.8, 14.0, 0.0, 8.8, 0.15, 14.0, 11.5, 1.8, 0.05, 0.07, 0.08};

void printEveryStep(TParameters& p) {
    p.outputByCrystallisation = false;
    p.outputByTemperature = true;
    p.outputTemperature = 0.0;
}

void stopAt(TParameters& p, std::size_t kind, double value) {
    p.stop.flags.fill(false);
    p.stop.flags[kind] = true;
    p.stop.values[kind] = value;
}

struct RoundTrip {
    const char* name;
    const Oxides* melt;
    const char* olivine;
    bool buffer;  // QFM; otherwise a fixed Fe2/Fe3 of 7
};

class ReverseRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// Forward with olivine alone to 15 % crystallisation, then reverse from its last melt back to
// its starting MgO: the starting melt, the 15 % and the first temperature come back.
TEST_P(ReverseRoundTrip, GivesBackTheStartingMelt) {
    const RoundTrip& c = GetParam();
    RunState state = test::stateWithModels({{Phase::Olivine, c.olivine}});
    TParameters& p = state.settings.parameters;
    p.calculationStep = 0.05;
    if (!c.buffer) {
        p.bufferMode = false;
        p.fixedRatioMode = true;
        p.fixedRatio = 7.0;
    }
    printEveryStep(p);
    stopAt(p, Stop::Crystallisation, 15.0);
    const auto forward = test::runFrac(state, analysisOf("picrite", *c.melt));
    ASSERT_EQ(forward->outcome, RunOutcome::Completed) << forward->reporter.messages.front();
    ASSERT_FALSE(forward->output.steps.empty());
    const TAnalysis& start = forward->output.startingMelt;
    const double firstT = forward->output.steps.front().state.T[1];

    TAnalysis evolved = forward->output.steps.back().melt;
    TMoleConversions().molesToWt(evolved);
    TAssemblage back = analysisOf("evolved", evolved.oxides);
    stopAt(p, Stop::MeltMgO, wt(start, Ox::MgO));
    const auto reverse = runRev(state, back);
    ASSERT_EQ(reverse->outcome, RunOutcome::Completed);
    const RevPrinted& last = reverse->output.steps.back();
    ASSERT_TRUE(last.state.finalStep);

    for (std::size_t k = 0; k < kOxideCount; ++k)
        EXPECT_NEAR(wt(last.melt, k), wt(start, k), 0.05) << kOxides[k].label;
    EXPECT_NEAR(last.state.added[1] / last.state.totalMass * 100.0, 15.0, 0.3);
    EXPECT_NEAR(last.state.T[1], firstT, 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    PicritesModelsAndOxidation, ReverseRoundTrip,
    ::testing::Values(RoundTrip{"HawaiianFordQfm", &kHawaiianPicrite, "Ford et al., 1983", true},
                      RoundTrip{"MorbFordRatio", &kMorbPicrite, "Ford et al., 1983", false},
                      RoundTrip{"HawaiianBeattieRatio", &kHawaiianPicrite, "Beattie, 1993", false},
                      RoundTrip{"MorbBeattieQfm", &kMorbPicrite, "Beattie, 1993", true}),
    [](const auto& info) { return std::string(info.param.name); });

// A MORB glass with olivine, plagioclase and clinopyroxene: at every printed step the starting
// melt and the added minerals make up M, and M times the melt holds the starting melt plus every
// mineral added (each oxide); no number in the log is not finite, and without ferric iron no
// fO2 is written.
TEST(ReverseRun, MassAndEveryOxideAddUp) {
    RunState state = test::stateWithModels({{Phase::Olivine, "Ford et al., 1983"},
                                            {Phase::Plagioclase, "Langmuir et al., 1992"},
                                            {Phase::Clinopyroxene, "Langmuir et al., 1992"}});
    TParameters& p = state.settings.parameters;
    p.calculationStep = 0.1;
    // Without ferric iron no oxygen comes or goes with the iron split: the oxides must add up
    // to the last digit.
    p.bufferModel = "Fe3=0";
    printEveryStep(p);
    stopAt(p, Stop::Crystallisation, 20.0);
    const auto glasses = test::referenceGlasses();
    const auto run = runRev(state, analysisOf("VG-2", glasses.front().melt.oxides));
    ASSERT_EQ(run->outcome, RunOutcome::Completed);
    const auto& steps = run->output.steps;
    ASSERT_GT(steps.size(), 100u);

    std::array<double, kOxideCount> system{};  // g per 100 g of the starting melt
    for (std::size_t k = 0; k < kOxideCount; ++k)
        system[k] = 100.0 * wt(run->output.startingMelt, k) / 100.0;
    std::size_t leaders = 0;
    for (std::size_t s = 0; s < steps.size(); ++s) {
        const RevState& st = steps[s].state;
        double minerals = 0.0;
        for (double a : st.added)
            minerals += a;
        EXPECT_NEAR(1.0 + minerals, st.totalMass, 1e-12) << "step " << s;
        for (std::size_t k = 0; k < kOxideCount; ++k)
            EXPECT_NEAR(st.totalMass * wt(steps[s].melt, k), system[k], 1e-6 * 100.0)
                << "step " << s << kOxides[k].label;
        if (s + 1 == steps.size()) break;
        // What this step added: its leader's mineral, the growth of its added mass.
        const std::size_t l = st.leader;
        leaders |= std::size_t{1} << l;
        const double amount = steps[s + 1].state.added[l] - st.added[l];
        const TAnalysis mineral = findPhase(st.minerals, kPhases[l].name);
        for (std::size_t k = 0; k < kOxideCount; ++k)
            system[k] += amount * wt(mineral, k);
    }
    EXPECT_GT(std::popcount(leaders), 1) << "more than one mineral added";
    for (const auto& line : run->reporter.log) {
        EXPECT_FALSE(test::hasNonNumberToken(line)) << line;
        EXPECT_EQ(line.find("Lg(fO2)"), std::string::npos) << line;
    }
}

struct Edge : ::testing::Test {
    Edge() : state(test::stateWithModels({{Phase::Olivine, "Ford et al., 1983"}})) {
        printEveryStep(state.settings.parameters);
        state.settings.parameters.calculationStep = 0.5;
    }
    RunState state;
    TAssemblage vg2 = analysisOf("VG-2", test::referenceGlasses().front().melt.oxides);
};

// A temperature target already passed ends the run in its first step, which is printed as
// the final one.
TEST_F(Edge, TargetAlreadyReachedEndsAfterTheFirstStep) {
    stopAt(state.settings.parameters, Stop::Temperature, 800.0);
    const auto run = runRev(state, vg2);
    ASSERT_EQ(run->output.steps.size(), 1u);
    EXPECT_TRUE(run->output.steps[0].state.finalStep);
    EXPECT_EQ(run->output.steps[0].state.added[1], 0.0);
}

// The pressure jumps to the stage's 5 kbar in the step in which the added fraction first
// reaches 10 %.
TEST_F(Edge, StagedPressureJumpsWhenTheStageIsReached) {
    TPressureBlock& b = vg2.pressureBlock;
    b.pressure = 1.0;
    b.stepsMode = true;
    b.steps[1] = {5.0, 10.0};
    stopAt(state.settings.parameters, Stop::Crystallisation, 12.0);
    const auto run = runRev(state, vg2);
    const auto& steps = run->output.steps;
    ASSERT_GT(steps.size(), 2u);
    for (std::size_t s = 1; s < steps.size(); ++s) {
        // A step shows the pressure the previous step's addition left.
        const double addedBefore = steps[s - 1].state.addedFraction();
        const double before = steps[s - 1].pressure;
        const double now = steps[s].pressure;
        if (steps[s].state.addedFraction() >= 0.10 && addedBefore < 0.10) {
            EXPECT_EQ(now, 5000.0) << "step " << s;
        } else if (steps[s].state.addedFraction() < 0.10) {
            EXPECT_LT(now, 5000.0) << "step " << s;
            EXPECT_GE(now, before) << "step " << s;
        }
    }
    EXPECT_EQ(run->finalPressure, 5000.0);
}

// Plagioclase excluded at An 78: the step in which An reaches 78 mol% says so and is printed;
// plagioclase is never added after it.
TEST(ReverseExclusion, PlagioclaseLeavesAfterTheStepThatReachesItsLimit) {
    RunState state = test::stateWithModels(
        {{Phase::Olivine, "Ford et al., 1983"}, {Phase::Plagioclase, "Langmuir et al., 1992"}});
    TParameters& p = state.settings.parameters;
    p.calculationStep = 0.2;
    p.outputByCrystallisation = true;
    p.outputCrystallisation = 5.0;
    stopAt(p, Stop::Crystallisation, 35.0);
    auto& plg = state.settings.minerals[2];
    plg.exclusionFlags[Exclusion::Composition] = true;
    plg.otherSettings[Exclusion::Composition] = 78.0;
    const auto glasses = test::referenceGlasses();
    const auto run = runRev(state, analysisOf("VG-2", glasses.front().melt.oxides));
    ASSERT_EQ(run->outcome, RunOutcome::Completed);
    const auto& steps = run->output.steps;

    std::size_t plgStep = steps.size();
    for (const auto& [mineral, printedBefore] : run->output.excludedAtStep)
        if (mineral == 2) plgStep = printedBefore;
    ASSERT_LT(plgStep, steps.size()) << "plagioclase was never excluded";
    const RevState& excludedIn = steps[plgStep].state;
    EXPECT_TRUE(excludedIn.excludedNow[2]);
    EXPECT_GE(excludedIn.composition[2], 0.78);
    EXPECT_LT(steps[plgStep - 1].state.composition[2], 0.78);
    // It drops out after that step: what it was given up to then stays, nothing more comes.
    ASSERT_LT(plgStep + 1, steps.size());
    for (std::size_t s = plgStep + 1; s < steps.size(); ++s) {
        EXPECT_FALSE(steps[s].state.active[2]) << "step " << s;
        EXPECT_NE(steps[s].state.leader, 2u) << "step " << s;
        EXPECT_EQ(steps[s].state.added[2], steps[plgStep + 1].state.added[2]) << "step " << s;
    }
}

// A spinel limit is reported, once, but never takes spinel out.
TEST(ReverseExclusion, SpinelIsNeverRemoved) {
    RunState state = test::stateWithModels({{Phase::Spinel, "Nielsen, 1985"}});
    TParameters& p = state.settings.parameters;
    p.calculationStep = 0.5;
    printEveryStep(p);
    stopAt(p, Stop::Crystallisation, 3.0);
    auto& spl = state.settings.minerals[6];
    spl.exclusionFlags[Exclusion::MeltMgO] = true;
    spl.otherSettings[Exclusion::MeltMgO] = 0.0;  // met at once
    const auto glasses = test::referenceGlasses();
    const auto run = runRev(state, analysisOf("VG-2", glasses.front().melt.oxides));
    ASSERT_EQ(run->outcome, RunOutcome::Completed) << run->reporter.messages.front();
    const auto& steps = run->output.steps;
    ASSERT_GT(steps.size(), 3u);
    EXPECT_EQ(run->output.excludedAtStep,
              (std::vector<std::pair<std::size_t, std::size_t>>{{6, 0}}));
    EXPECT_TRUE(steps.back().state.active[6]);
    EXPECT_TRUE(steps.back().state.finalStep);
    EXPECT_GT(steps.back().state.added[6], steps[1].state.added[6]);
}

// With no mineral chosen the loop does not run: the report and the starting melt only.
TEST(ReverseRun, NoMineralChosenWritesOnlyTheReport) {
    RunState state = test::stateWithModels({});
    const auto glasses = test::referenceGlasses();
    const auto run = runRev(state, analysisOf("VG-2", glasses.front().melt.oxides));
    EXPECT_EQ(run->outcome, RunOutcome::Completed);
    EXPECT_EQ(run->output.headers, 1);
    EXPECT_TRUE(run->output.steps.empty());
    EXPECT_GT(wt(run->output.startingMelt, Ox::SiO2), 45.0);
}

}  // namespace
}  // namespace varnodel
