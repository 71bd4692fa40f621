#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engines/Profile_CR.h"
#include "engines/Profile_IC.h"
#include "engines/StandInMineral.h"

#include "io/ProfileFiles.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

using test::RecordingReporter;
using test::ScratchDir;

struct ProfileCase {
    RunState state;
    RecordingReporter reporter;
    DirectSink disk;

    TMeltInclusionSettings& mi() { return state.settings.parameters.meltInclusions; }

    template <class Engine>
    RunOutcome run(const std::string& base, ProfileResult* result = nullptr) {
        RunSnapshot snap = state.snapshot();
        ProfileFiles files(base, reporter, disk);
        TAnalysis melt = meltOf(state.composition);
        melt.name = "MI-1";
        Engine engine(snap, melt, std::nullopt, files, reporter, {});
        const RunOutcome outcome = engine.run();
        if (result != nullptr) *result = engine.result();
        return outcome;
    }
};

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

double feoStar(const TAnalysis& wt) {
    return wt.oxides[Ox::FeO] + wt.oxides[Ox::Fe2O3] * 71.85 / 79.845;
}

// A small inclusion of the default melt, with an olivine of constant exchange coefficient that
// keeps it quick: every stage, the files, and "Load last result" reading back what the run wrote.
TEST(ProfileInstantCooling, StagesFilesAndLastResult) {
    ScratchDir dir("profile_ic");
    ProfileCase c;
    test::StandInMineral& olivine = test::addStandIn(c.state, Phase::Olivine);
    olivine.referenceMgO = 0.25;
    olivine.liquidus = 1520.0;
    c.mi().inclusionRadius = 60.0;
    c.mi().coolingInterval = 30.0;
    c.mi().finalExtent = 10.0;
    ProfileResult r;
    const std::string base = (dir.path() / "Varnodel_Output_PIC").string();
    ASSERT_EQ(c.run<TInstThread>(base, &r), RunOutcome::Completed) << c.reporter.messages.at(0);

    // Re-equilibration takes iron from the melt: at T_end > chosen extent > full.
    EXPECT_GT(feoStar(r.atEnd.melt), feoStar(r.chosen.melt));
    EXPECT_GT(feoStar(r.chosen.melt), feoStar(r.full.melt));
    EXPECT_NEAR(r.full.fo, r.trapped.fo, 2e-4);
    EXPECT_NEAR(r.trapped.T - r.atEnd.T, 30.0, 1e-9);
    EXPECT_GT(r.timeSteps, 0u);
    EXPECT_EQ(r.start.size(), r.end.size());
    // The wall came down to the olivine of the chosen melt; the far host did not move.
    EXPECT_LT(r.end.front(), r.start.c.front());
    EXPECT_NEAR(r.end.back(), r.start.c.back(), 1e-6);
    for (double v : r.end)
        ASSERT_TRUE(std::isfinite(v));
    // 20 % re-equilibration: a progress line every 100 x round((20 x 247.5 - 2275) / 100) = 2700.
    const std::string every = "No. of steps: 2700;";
    const bool progressAt2700 =
        std::any_of(c.reporter.log.begin(), c.reporter.log.end(),
                    [&](const std::string& l) { return l.rfind(every, 0) == 0; });
    EXPECT_EQ(progressAt2700, r.timeSteps >= 2700);
    EXPECT_EQ(c.reporter.log.back(), "End calculations");

    const std::string csv = dir.read("Varnodel_Output_PIC.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n')), profileResultHeader());
    EXPECT_EQ(lineCount(csv), 1 + std::max(r.rimSteps + 1, r.start.size()));
    const std::string params = dir.read("Varnodel_Output_PIC_calc_param.csv");
    EXPECT_NE(params.find("Modelling diffusion profiles around MI in olivine. Instant cooling\n"),
              std::string::npos);
    EXPECT_NE(params.find("Extent of re-equilibration: 10.00 %\n"), std::string::npos);
    EXPECT_NE(params.find("Inclusion radius: 60.00 micron\n"), std::string::npos);

    const auto last = lastResultPath(dir.path());
    const LastResultStart start = readLastResultStart(last);
    EXPECT_NEAR(start.radius, r.start.x.front(), 5e-5);
    EXPECT_EQ(start.melt.name, "MI-1");
    for (std::size_t k = 0; k < kOxideCount; ++k)
        EXPECT_NEAR(start.melt.oxides[k], r.chosen.melt.oxides[k], 5e-4) << k;
    const Profile loaded = readLastResultProfile(last);
    ASSERT_EQ(loaded.size(), r.start.size());
    EXPECT_NEAR(loaded.c.back(), r.end.back(), 5e-5);
}

TEST(ProfileInstantCooling, LastResultFailureTexts) {
    ScratchDir dir("profile_last");
    const auto missing = lastResultPath(dir.path());
    EXPECT_THROW(
        {
            try {
                readLastResultStart(missing);
            } catch (const EInputError& e) {
                EXPECT_STREQ(e.what(),
                             "File LAST_RES.DAT with the results of the previous calculation does "
                             "not exist. You must perfrom calculations once at least to use this "
                             "option.");
                throw;
            }
        },
        EInputError);
    dir.write("LAST_RES.DAT", "  1.0000 x\n");
    try {
        readLastResultStart(missing);
        ADD_FAILURE();
    } catch (const EInputError& e) {
        EXPECT_STREQ(e.what(),
                     "Cannot retrieve the results of the previous calculation from file "
                     "LAST_RES.DAT. Contact authors if this problem persists.");
    }
}

// The failures that end a run before or while it crystallises its rim, with their texts.
TEST(ProfileInstantCooling, ReheatingAndRimLimits) {
    ScratchDir dir("profile_fail");
    const std::string base = (dir.path() / "out_PIC").string();
    {
        ProfileCase c;
        c.mi().simulateReheating = true;
        c.mi().reheatingTemperature = 100.0;
        EXPECT_EQ(c.run<TInstThread>(base), RunOutcome::Failed);
        ASSERT_EQ(c.reporter.messages.size(), 1u);
        EXPECT_EQ(c.reporter.messages[0],
                  " The experimental reheating temperature is lower than the temperature at the "
                  "end of the cooling interval. Increase the value of the cooling interval and "
                  "restart calculations.");
    }
    {
        // A liquidus that hardly falls as olivine crystallises from a melt rich enough in MgO
        // to go on: 5000 rim steps do not reach the end of the cooling interval.
        ProfileCase c;
        test::StandInMineral& olivine = test::addStandIn(c.state, Phase::Olivine);
        olivine.slope = 1.0;
        c.state.composition.phases[0].oxides[Ox::MgO] = 35.0;
        c.mi().coolingInterval = 10.0;
        EXPECT_EQ(c.run<TInstThread>(base), RunOutcome::Failed);
        ASSERT_EQ(c.reporter.messages.size(), 1u);
        EXPECT_EQ(c.reporter.messages[0],
                  "The number of rim steps exceeded 5,000. Decrease the coolinginterval and start "
                  "again. Also contact TQ. Current calculation aborted.");
    }
}

// Cooling at a rate: steps of 10 degrees, each diffusing for the time it takes to cool through.
// (An olivine of constant exchange coefficient keeps it quick.)
TEST(ProfileCoolingRate, StepsProfilesAndZeroRate) {
    ScratchDir dir("profile_cr");
    const std::string base = (dir.path() / "Varnodel_Output_PCR").string();
    ProfileCase c;
    test::StandInMineral& olivine = test::addStandIn(c.state, Phase::Olivine);
    olivine.referenceMgO = 0.25;
    olivine.liquidus = 1520.0;
    c.mi().inclusionRadius = 60.0;
    c.mi().coolingInterval = 25.0;  // two steps
    ProfileResult r;
    ASSERT_EQ(c.run<TCRThread>(base, &r), RunOutcome::Completed) << c.reporter.messages.at(0);
    // 10 / 240 days a step.
    EXPECT_NEAR(r.totalDays, 20.0 / 240.0, 1e-12);
    const std::string pr = dir.read("Varnodel_Output_PCR_PR.csv");
    EXPECT_EQ(pr.substr(0, pr.find('\n')),
              "Profile_X_1,Profile_FeO_1,Profile_X_2,Profile_FeO_2,Profile_FeO_end");
    const std::string comp = dir.read("Varnodel_Output_PCR_COMP.csv");
    EXPECT_EQ(lineCount(comp), 4u);  // header, trapped melt, two steps
    EXPECT_NE(comp.find("  0.000000,MI-1\n"), std::string::npos);
    const std::string params = dir.read("Varnodel_Output_PCR_calc_param.csv");
    EXPECT_NE(params.find("Cooling rate: 240.00 oC/day\n"), std::string::npos);

    ProfileCase zero;
    zero.mi().coolingRate = 0.0;
    EXPECT_EQ(zero.run<TCRThread>(base), RunOutcome::Failed);
    EXPECT_EQ(zero.reporter.messages.at(0),
              "A floating point math error occurred. Current calculation aborted. Call Microsoft "
              "to complain.");
}

}  // namespace
}  // namespace varnodel
