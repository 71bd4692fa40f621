// The pressure path of a forward run: constant, changing with the leader's temperature (dP/dT),
// or interpolated between the rows of the pressure-steps table by degree of crystallisation.
#pragma once

#include "core/Assemblage.h"

namespace varnodel {

class PressurePath {
  public:
    // Takes the block as entered (kbar, %) and scales it: bar and fractions.
    explicit PressurePath(const TPressureBlock& block);

    double pressure() const { return pressure_; }  // bar

    // After each step: `crystallised` = 1 - meltFraction, `leaderT` in kelvin. Returns true when
    // a row of the steps table was passed (the step is then printed).
    bool update(double crystallised, double leaderT);

    // The leader temperature at the start of the stepping (dP/dT mode).
    void startAt(double leaderT) { previousLeaderT_ = leaderT; }

  private:
    double rowPressure(int row) const { return steps_[row][0]; }
    double rowFraction(int row) const { return steps_[row][1]; }

    double pressure_;
    double dPdT_;
    bool dPdTMode_;
    bool stepsMode_;
    std::array<std::array<double, 2>, kPressureSteps> steps_;
    int pressureRow_ = 2;
    double pressureSlope_ = 0.0;
    double previousPressure_;
    double previousLeaderT_ = 0.0;
};

}  // namespace varnodel
