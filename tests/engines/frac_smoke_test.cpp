#include <gtest/gtest.h>

#include "FracHarness.h"

namespace varnodel {
namespace {

TEST(FracSmoke, PlagioclaseAndClinopyroxeneOnVG2) {
    RunState state = test::stateWithModels({{Phase::Plagioclase, "Langmuir et al., 1992"},
                                            {Phase::Clinopyroxene, "Langmuir et al., 1992"}});
    state.settings.parameters.stop.values[Stop::Crystallisation] = 30.0;
    state.settings.parameters.calculationStep = 0.1;
    RunSnapshot snap = state.snapshot();
    test::RecordingFracOutput output;
    test::RecordingReporter reporter;
    const auto glass = test::referenceGlasses()[0];
    TFracThread thread(snap, test::startingComposition(glass), output, reporter);
    const RunOutcome outcome = thread.run();
    for (const auto& m : reporter.messages)
        ADD_FAILURE() << m;
    EXPECT_EQ(outcome, RunOutcome::Completed);
    ASSERT_FALSE(output.steps.empty());
    for (const auto& step : output.steps) {
        std::printf("%6.2f %8.2f L%zu An=%5.3f Cpx=%5.3f P=%g\n",
                    100 * (1 - step.state.meltFraction), step.state.T[step.state.leader] - 273,
                    step.state.leader, step.state.composition[2], step.state.composition[3],
                    step.pressure);
    }
    for (std::size_t i = 0; i < reporter.debug.size() && i < 10; ++i)
        std::printf("debug: %s\n", reporter.debug[i].c_str());
    std::printf("model calls %llu debug lines %zu\n", (unsigned long long)thread.modelEvaluations(),
                reporter.debug.size());
}

}  // namespace
}  // namespace varnodel
