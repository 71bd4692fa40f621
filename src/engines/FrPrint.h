// Which steps of a forward run are printed: by temperature, by the composition numbers, by
// degree of crystallisation, and whenever the assemblage changes.
#pragma once

#include "core/Parameters.h"
#include "engines/FrState.h"

namespace varnodel {

class PrintDecision {
  public:
    // `parameters` as scaled by the engine (fractions, not %); a copy is kept.
    explicit PrintDecision(const TParameters& parameters) : parameters_(parameters) {}

    // Tests the step after its bookkeeping; `requested` is a print asked for during the step.
    // Each test that fires updates its remembered value.
    bool decide(const FracState& state, bool requested);

  private:
    TParameters parameters_;
    double lastTemperature_ = 0.0;
    PerPhase<double> lastComposition_{};
    double lastCrystallisationMark_ = 0.0;
    int outsideCount_ = 8;  // minerals outside the assemblage
};

}  // namespace varnodel
