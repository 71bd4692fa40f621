// The pressure path of a run: constant, changing with the leader's temperature (dP/dT), or
// interpolated between the rows of the pressure-steps table by the run's progress (degree of
// crystallisation, or in a reverse run the added fraction). A forward run cools the melt, a
// reverse run heats it: the dP/dT path follows the leader in the run's direction.
#pragma once

#include "core/Assemblage.h"

namespace varnodel {

enum class PathDirection {
    Cooling,  // the pressure moves after 1 degree of cooling and never moves back
    Heating,  // after 1 degree of heating; no bound from the previous pressure
};

class PressurePath {
  public:
    // Takes the block as entered (kbar, %) and scales it: bar and fractions.
    explicit PressurePath(const TPressureBlock& block,
                          PathDirection direction = PathDirection::Cooling);

    double pressure() const { return pressure_; }  // bar

    // After each step: `progress` = 1 - meltFraction (forward) or the added fraction (reverse),
    // `leaderT` in kelvin. Returns true when a row of the steps table was passed (the step is
    // then printed).
    bool update(double progress, double leaderT);

    // The leader temperature at the start of the stepping (dP/dT mode).
    void startAt(double leaderT) { previousLeaderT_ = leaderT; }

  private:
    double rowPressure(int row) const { return steps_[row][0]; }
    double rowFraction(int row) const { return steps_[row][1]; }

    PathDirection direction_;
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
