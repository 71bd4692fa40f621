// Runs forward crystallisations of the reference glasses and records every printed step.
#pragma once

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
    }
    int headers = 0;
    TAnalysis startingMelt;
    std::vector<PrintedStep> steps;
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

}  // namespace varnodel::test
