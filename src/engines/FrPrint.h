// Which steps of a run are printed: by temperature, by the composition numbers, by degree of
// crystallisation (or, in a reverse run, of added minerals), and whenever the assemblage
// changes. It takes plain values, so that a run cooling or heating the melt decides alike.
#pragma once

#include "core/Parameters.h"
#include "engines/FrState.h"

namespace varnodel {

class PrintDecision {
  public:
    // `parameters` as scaled by the engine (fractions, not %); a copy is kept.
    explicit PrintDecision(const TParameters& parameters) : parameters_(parameters) {}

    // Tests the step after its bookkeeping: `leaderT` the leading mineral's liquidus (K),
    // `composition` and `inAssemblage` per mineral (composition numbers as fractions),
    // `progress` the degree of crystallisation (forward) or the added fraction (reverse);
    // `requested` is a print asked for during the step. Each test that fires updates its
    // remembered value.
    bool decide(double leaderT, const PerPhase<double>& composition,
                const PerPhase<bool>& inAssemblage, double progress, bool requested);

  private:
    TParameters parameters_;
    double lastTemperature_ = 0.0;
    PerPhase<double> lastComposition_{};
    double lastCrystallisationMark_ = 0.0;
    int outsideCount_ = 8;  // minerals outside the assemblage
};

}  // namespace varnodel
