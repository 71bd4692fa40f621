// Runs forward crystallisations of the reference glasses and records every printed step.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "core/MoleConversions.h"
#include "engines/Fr.h"
#include "support/RecordingReporter.h"
#include "support/ReferenceGlasses.h"

namespace varnodel::test {

struct PrintedStep {
    FracState state;
    TAnalysis melt;
    double pressure = 0.0;
    bool finalStep = false;
};

class RecordingFracOutput : public FracOutput {
  public:
    void runHeader(const FracRunInfo&) override { ++headers; }
    void startingComposition(const FracRunInfo&, const TAnalysis& melt) override {
        startingMelt = melt;
    }
    void printedStep(const FracRunInfo&, const FracState& state, const TAnalysis& melt,
                     double pressure, bool finalStep) override {
        steps.push_back({state, melt, pressure, finalStep});
        if (onPrint) onPrint(steps.size());
    }
    int headers = 0;
    TAnalysis startingMelt;
    std::vector<PrintedStep> steps;
    std::function<void(std::size_t)> onPrint;  // after each printed step, with their count
};

// A run state with the given models (display names per mineral, "" = none).
inline RunState stateWithModels(const std::vector<std::pair<Phase, std::string>>& models) {
    RunState state;
    state.slots.fill(nullptr);
    for (const auto& [mineral, name] : models)
        state.slots[static_cast<std::size_t>(mineral)] =
            state.registry().mineralSet(mineral).getByName(name);
    return state;
}

// The glass as a starting composition (wt%) at `pressureKbar`, with a share `fe3` of its iron
// as Fe2O3 (the same iron).
inline TAssemblage startingComposition(const ReferenceGlass& glass, double pressureKbar = 0.001,
                                       double fe3 = 0.0) {
    TAssemblage a;
    a.name = glass.name;
    TAnalysis melt = glass.melt;
    const double feOt = melt.oxides[Ox::FeO];
    melt.oxides[Ox::FeO] = feOt * (1.0 - fe3);
    melt.oxides[Ox::Fe2O3] = feOt * fe3 * 79.845 / 71.85;
    a.phases.push_back(melt);
    a.pressureBlock.pressure = pressureKbar;
    return a;
}

// Every step printed: by temperature, at an interval of 0 degrees.
inline void printEveryStep(TParameters& p) {
    p.outputByCrystallisation = false;
    p.outputByTemperature = true;
    p.outputTemperature = 0.0;
}

// One run on a snapshot of the state; the snapshot stays, so that a test can look at its models.
struct FracRun {
    RunSnapshot snap;
    RecordingFracOutput output;
    RecordingReporter reporter;
    RunOutcome outcome = RunOutcome::Completed;
};

inline std::unique_ptr<FracRun> runFrac(const RunState& state, const TAssemblage& start,
                                        std::stop_token stop = {},
                                        std::function<void(std::size_t)> onPrint = {}) {
    auto run = std::make_unique<FracRun>();
    run->snap = state.snapshot();
    run->output.onPrint = std::move(onPrint);
    TFracThread thread(run->snap, start, run->output, run->reporter, std::move(stop));
    run->outcome = thread.run();
    return run;
}

// Mass of every part of the system at a printed step.
inline double totalMass(const FracState& s) {
    double total = s.meltFraction + s.fluidFraction;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        total += s.crystalsInMagma[i] + s.crystalsInCumulate[i];
    return total;
}

// wt% of each oxide (and H2O) in the whole system: melt, crystals in the magma, cumulate, fluid.
inline std::array<double, kOxideCount + 1> systemComposition(const PrintedStep& step) {
    std::array<double, kOxideCount + 1> sum{};
    const auto add = [&](const TAnalysis& a, double mass) {
        for (std::size_t k = 0; k < kOxideCount; ++k)
            sum[k] += mass * a.oxides[k] * kOxides[k].massPerCation;
        sum[kOxideCount] += mass * a.volatile_.value * 18.0;
    };
    const FracState& s = step.state;
    add(step.melt, s.meltFraction);
    add(s.fluid, s.fluidFraction);
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        const std::string name(kPhases[i].name);
        if (s.crystalsInMagma[i] > 0) add(findPhase(s.crystals, name), s.crystalsInMagma[i]);
        if (s.crystalsInCumulate[i] > 0) add(findPhase(s.cumulate, name), s.crystalsInCumulate[i]);
    }
    return sum;
}

}  // namespace varnodel::test
