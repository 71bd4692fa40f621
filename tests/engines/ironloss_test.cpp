// The Fe-loss reconstruction: the minor elements of the host olivine, the reconstruction of an
// inclusion whose history is known (made here from a melt in equilibrium with its host), the
// rows every reconstruction must end on, and its failure and interrupt paths.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "core/MoleConversions.h"
#include "core/NumberFormat.h"
#include "engines/IronLoss.h"
#include "engines/StandInMineral.h"
#include "support/RecordingReporter.h"

namespace varnodel {
namespace {

class RecordingOutput : public IronLossOutput {
  public:
    void progressHeader() override { ++headers; }
    void progress(const IronLossProgress&) override { ++progressLines; }
    void resultRow(const IronLossRow& row) override { rows.push_back(row); }
    int headers = 0;
    int progressLines = 0;
    std::vector<IronLossRow> rows;
};

// A MORB-like inclusion melt, wt%.
TAnalysis inclusionMelt() {
    TAnalysis m;
    m.name = "melt";
    m.oxides = {49.8, 1.2, 16.2, 0.0, 7.0, 0.15, 7.6, 12.6, 2.5, 0.12, 0.12, 0.05};
    return m;
}

TAssemblage inclusion(const TAnalysis& melt, double hostFo, double finalFeO) {
    TAssemblage a;
    a.name = "MI";
    a.number = 1;
    a.phases.push_back(melt);
    a.meltInclusions.hostFo = shortestGeneral(hostFo);
    a.meltInclusions.wholeRockFeO = shortestGeneral(finalFeO);
    return a;
}

struct Reconstruction {
    RunSnapshot snap;
    RecordingOutput output;
    test::RecordingReporter reporter;
    RunOutcome outcome = RunOutcome::Completed;
    IronLossResult result;
};

std::unique_ptr<Reconstruction> reconstruct(const RunState& state, const TAssemblage& analysis,
                                            std::stop_token stop = {}) {
    auto r = std::make_unique<Reconstruction>();
    r->snap = state.snapshot();
    TIronLossThread thread(r->snap, analysis, r->output, r->reporter, std::move(stop));
    r->outcome = thread.run();
    r->result = thread.result();
    return r;
}

double total(const TAnalysis& wt) {
    return std::accumulate(wt.oxides.begin(), wt.oxides.end(), wt.volatile_.value);
}

// Set 3 at Fo 0.85 by hand: Ca = (-0.835775 x 0.7225 + 1.43271 x 0.85 - 0.604499) / 3, Mn =
// (-0.0420356 x 0.85 + 0.0406831) / 3, Cr = (0.00894163 x 0.85 - 0.006568) / 3.
struct MinorCase {
    OlivineMinorSet set;
    double fo;
    bool meltHasCr;
    double ca, mn, cr;  // expected fractions of the three-cation formula
};

class MinorElements : public ::testing::TestWithParam<MinorCase> {};

TEST_P(MinorElements, RebuildTheOlivineOnThreeCationsAndOneHundredWtPercent) {
    const MinorCase c = GetParam();
    TAnalysis melt;
    melt.oxides[Ox::MnO] = 0.002;
    melt.oxides[Ox::Cr2O3] = c.meltHasCr ? 0.001 : 0.0;
    // The model's olivine: its own Ca, Mn and Cr, in some total.
    TAnalysis olivine;
    olivine.oxides[Ox::SiO2] = 2.0;
    olivine.oxides[Ox::MgO] = 3.0;
    olivine.oxides[Ox::FeO] = 0.9;
    olivine.oxides[Ox::CaO] = 0.006;
    olivine.oxides[Ox::MnO] = 0.012;
    olivine.oxides[Ox::Cr2O3] = 0.0024;
    SetOlivineMinorElements(olivine, melt, c.fo, c.set);
    double mass = 0.0, cations = 0.0;
    for (std::size_t k = 0; k < kOxideCount; ++k) {
        mass += olivine.oxides[k] * kOxides[k].massPerCation;
        cations += olivine.oxides[k];
    }
    EXPECT_NEAR(mass, 100.0, 1e-9);
    const auto x = [&](std::size_t k) { return olivine.oxides[k] / cations; };
    EXPECT_NEAR(x(Ox::CaO), c.ca, 1e-12);
    EXPECT_NEAR(x(Ox::MnO), c.mn, 1e-12);
    EXPECT_NEAR(x(Ox::Cr2O3), c.cr, 1e-12);
    const double s = c.ca + c.mn + c.cr / 2.0;
    EXPECT_NEAR(x(Ox::MgO), (2.0 / 3.0 - s) * c.fo, 1e-12);
    EXPECT_NEAR(x(Ox::FeO), (2.0 / 3.0 - s) * (1.0 - c.fo), 1e-12);
    EXPECT_NEAR(x(Ox::SiO2), 1.0 / 3.0 - c.cr / 2.0, 1e-12);
}

// The model's own minor elements on the three-cation formula: 0.006, 0.012, 0.0024 of 5.9204.
constexpr double kModelCa = 0.006 / 5.9204, kModelMn = 0.012 / 5.9204, kModelCr = 0.0024 / 5.9204;

INSTANTIATE_TEST_SUITE_P(
    Sets, MinorElements,
    ::testing::Values(
        MinorCase{OlivineMinorSet::None, 0.85, true, kModelCa, kModelMn, kModelCr},
        MinorCase{OlivineMinorSet::Komatiites, 0.9, true, 0.001873, 0.000918, 0.001348},
        MinorCase{OlivineMinorSet::HighCaBoninites, 0.9, false, 0.001273, 0.000918, kModelCr},
        MinorCase{OlivineMinorSet::MorbBabb, 0.7, true, 0.00105223,
                  (-0.0420356 * 0.7 + 0.0406831) / 3.0, 0.00017},
        MinorCase{OlivineMinorSet::MorbBabb, 0.77, true,
                  (-0.835775 * 0.5929 + 1.43271 * 0.77 - 0.604499) / 3.0,
                  (-0.0420356 * 0.77 + 0.0406831) / 3.0, (0.00894163 * 0.77 - 0.006568) / 3.0},
        // Above Fo 96.8 the fits of Ca and Mn fall below zero: none.
        MinorCase{OlivineMinorSet::MorbBabb, 0.98, true, 0.0, 0.0,
                  (0.00894163 * 0.98 - 0.006568) / 3.0}));

// The independent check: a melt in equilibrium with its host (by the olivine model itself)
// crystallises olivine on the walls and gives FeO for MgO to the host, as a trapped inclusion
// does; reconstructed to its own FeO*, the melt comes back.
TEST(IronLoss, ReconstructsAnInclusionWhoseHistoryIsKnown) {
    RunState state;  // Ford et al. (1983), QFM
    RunSnapshot snap = state.snapshot();
    TAssemblage trapped = inclusion(inclusionMelt(), 0, 0);
    TMoleConversions conv;
    conv.wtToMoles(trapped.phases[0]);
    test::RecordingReporter quiet;
    OlivineMelt om(snap, trapped, quiet, OlivineMinorSet::None);
    om.equilibriumStep();
    const TAnalysis original = om.melt();
    const double hostFo = om.fo() * 100.0, feo = om.feoTotal();
    om.GetMeltAndOlivTdown(0.08);  // 8 % of olivine on the walls
    om.exchangeFeForMg(0.015);     // FeO out, MgO in (cation moles)
    TAnalysis measured = om.melt();
    conv.molesToWt(measured);
    ASSERT_LT(feoTotal(om.melt()), feo - 1.0);

    const auto r = reconstruct(state, inclusion(measured, hostFo, feo));
    ASSERT_EQ(r->outcome, RunOutcome::Completed) << ::testing::PrintToString(r->reporter.messages);
    ASSERT_EQ(r->output.rows.size(), 3u);
    TAnalysis want = original;
    conv.molesToWt(want);
    const TAnalysis& got = r->output.rows[2].melt;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        EXPECT_NEAR(got.oxides[k], want.oxides[k], 0.15) << kOxides[k].label;
    EXPECT_LT(r->output.rows[2].olivineFraction, 0.0);
}

// Every reconstruction ends on a melt in equilibrium with its host at the target FeO*, each row
// summing to 100 wt%; with H2O, a Kd option, the minor elements of MORB and a melt that lost
// FeO* as well as one that has too much.
struct EndCase {
    const char* name;
    double h2o;
    double hostFo;
    double finalFeO;
    OlivineMinorSet set;
    bool byKd;
};

class IronLossEnds : public ::testing::TestWithParam<EndCase> {};

TEST_P(IronLossEnds, OnTheHostAndTheTarget) {
    const EndCase c = GetParam();
    RunState state;
    state.settings.parameters.meltInclusions.olivineMinorSet = c.set;
    state.settings.parameters.olivineKdModelOption = c.byKd;
    state.settings.parameters.fixedKdOption = c.byKd;
    TAnalysis melt = inclusionMelt();
    melt.volatile_.value = c.h2o;
    const auto r = reconstruct(state, inclusion(melt, c.hostFo, c.finalFeO));
    ASSERT_EQ(r->outcome, RunOutcome::Completed) << ::testing::PrintToString(r->reporter.messages);
    ASSERT_EQ(r->output.rows.size(), 3u);
    for (const IronLossRow& row : r->output.rows)
        EXPECT_NEAR(total(row.melt), 100.0, 1e-9) << row.number;
    const IronLossRow& last = r->output.rows[2];
    EXPECT_LE(std::fabs(last.foCalc - last.foHost) * 100.0, 0.05);
    EXPECT_LE(std::fabs(last.feoTotal - c.finalFeO), 0.05);
    EXPECT_EQ(last.olivineFraction<0.0, c.finalFeO> 7.0);  // added back when FeO* was lost
    // What the profiles take over: the reconstructed melt and the measured liquidus.
    ASSERT_TRUE(r->result.melt && r->result.reheatingTemperature);
    EXPECT_NEAR(r->result.melt->oxides[Ox::MgO], last.melt.oxides[Ox::MgO], 1e-12);
    EXPECT_EQ(*r->result.reheatingTemperature, r->output.rows[0].T - 273.0);
    EXPECT_EQ(r->output.headers, 1);
    EXPECT_EQ(r->reporter.log.back(), "Inclusion No. 1 is done !");
}

INSTANTIATE_TEST_SUITE_P(
    Inclusions, IronLossEnds,
    ::testing::Values(EndCase{"LostIron", 0.0, 88.0, 9.0, OlivineMinorSet::None, false},
                      EndCase{"WetMorb", 2.0 / 18.0, 87.0, 8.5, OlivineMinorSet::MorbBabb, false},
                      EndCase{"TooMuchIron", 0.0, 84.0, 6.0, OlivineMinorSet::Komatiites, false},
                      EndCase{"ByKd", 0.0, 88.0, 9.0, OlivineMinorSet::None, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IronLoss, AFailingOlivineModelEndsTheRunWithItsText) {
    RunState state;
    test::addStandIn(state, Phase::Olivine).failAfter = 0;
    const auto r = reconstruct(state, inclusion(inclusionMelt(), 88, 9));
    EXPECT_EQ(r->outcome, RunOutcome::Failed);
    EXPECT_TRUE(r->output.rows.empty());
    EXPECT_EQ(r->reporter.messages,
              std::vector<std::string>{"Inconsistent set of models for olivine. Called from "
                                       "getFe2Fe3. Calculation aborted. Analysis MI"});
    EXPECT_TRUE(r->result.melt.has_value());
    EXPECT_FALSE(r->result.reheatingTemperature.has_value());
}

// The coarse addition of olivine does not look at the interrupt: an inclusion interrupted from
// the start still reaches 0.2 wt% below its target, then writes its last row.
// An interrupted reconstruction keeps the rows of the stages it finished (here the measured
// inclusion only) and hands no half-reconstructed melt on to the diffusion profiles.
TEST(IronLoss, AnInterruptedReconstructionWritesOnlyTheStagesItFinished) {
    RunState state;
    std::stop_source stop;
    stop.request_stop();
    const auto r = reconstruct(state, inclusion(inclusionMelt(), 88, 9), stop.get_token());
    EXPECT_EQ(r->outcome, RunOutcome::Interrupted);
    EXPECT_EQ(r->output.rows.size(), 1u);
    EXPECT_FALSE(r->result.melt.has_value());
    EXPECT_FALSE(r->result.reheatingTemperature.has_value());
}

TEST(IronLoss, ATargetNoOlivineReachesEndsTheRun) {
    RunState state;
    const auto r = reconstruct(state, inclusion(inclusionMelt(), 88, 60));
    EXPECT_EQ(r->outcome, RunOutcome::Failed);
    ASSERT_EQ(r->reporter.messages.size(), 1u);
    EXPECT_NE(r->reporter.messages[0].find("cannot be reached"), std::string::npos);
}

}  // namespace
}  // namespace varnodel
