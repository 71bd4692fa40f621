#include "ui/CalcThread.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

// A window may go on editing the settings while a batch runs: the batch keeps the ones it
// started with, for every analysis, and writes where it was told to.
TEST(Dispatcher, ABatchRunsOnTheSettingsItStartedWith) {
    const auto results = [](bool editDuringRun) {
        test::ScratchDir dir("dispatcher");
        RunState state;
        state.options.outputDirectory = dir.path().string();
        state.settings.parameters.stop.values[0] = 2.0;  // % crystallised
        TAssemblage second = state.composition;
        second.name = "Second";
        state.analyses = {state.composition, second};
        state.options.wholeFile = true;
        test::RecordingReporter reporter;
        TVarnodelCalcThread dispatcher(Calculation::Fractional, state,
                                       PresentElements::from(state.settings.active), reporter);
        if (editDuringRun) {
            dispatcher.onAnalysis([&state](int k, int, const std::string&) {
                if (k != 1) return;
                state.settings.parameters.stop.values[0] = 10.0;
                state.slots[static_cast<std::size_t>(Phase::Olivine)] = nullptr;
                state.composition.pressureBlock.pressure = 5.0;
                state.options.outputName = "Elsewhere";
                state.analyses.clear();
            });
        }
        const DispatchResult result = dispatcher.execute();
        EXPECT_EQ(result.analyses, 2);
        EXPECT_EQ(result.failed, 0);
        EXPECT_TRUE(reporter.messages.empty());
        // Each row ends with the time it was written, which no two runs share.
        std::istringstream table(dir.read("Varnodel_Output_FRAC.csv"));
        std::string rows;
        for (std::string line; std::getline(table, line);)
            rows += line.substr(0, line.rfind(',')) + '\n';
        return rows;
    };
    const std::string plain = results(false);
    EXPECT_NE(plain.find("Second"), std::string::npos);
    EXPECT_EQ(results(true), plain);
}

// The profile modes start only from a melt with SiO2 above 1 wt%; without one they say so and
// write no file.
TEST(Dispatcher, ProfileModesNeedAStartingMelt) {
    for (Calculation mode : {Calculation::ProfileIC, Calculation::ProfileCR}) {
        test::ScratchDir dir("dispatcher_profile");
        RunState state;
        state.options.outputDirectory = dir.path().string();
        state.profileComposition.phases = {TAnalysis{}};
        state.profileComposition.phases[0].oxides[Ox::SiO2] = 1.0;
        test::RecordingReporter reporter;
        TVarnodelCalcThread dispatcher(mode, state, PresentElements::from(state.settings.active),
                                       reporter);
        const DispatchResult result = dispatcher.execute();
        EXPECT_EQ(result.analyses, 0);
        ASSERT_FALSE(reporter.log.empty());
        EXPECT_EQ(reporter.log.back(), "Set the melt composition for calulation, please");
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

}  // namespace
}  // namespace varnodel
