#include "engines/FrPressure.h"

#include <algorithm>

namespace varnodel {

namespace {
constexpr double kPressureFloor = 1.0;  // bar
constexpr double kDPdTTrigger = 1.0;    // degrees in the run's direction before it changes
}  // namespace

PressurePath::PressurePath(const TPressureBlock& block, PathDirection direction)
    : direction_(direction),
      pressure_(block.pressure * 1000.0),
      dPdT_(block.dPdT),
      dPdTMode_(block.dPdTMode),
      stepsMode_(block.stepsMode),
      steps_(block.steps) {
    // Slope from the starting pressure to row 1, in bar per unit fraction. Not from the table's
    // row 0 as entered: the settings file gives only the stages, and a slope from an empty row
    // (0 kbar) would send the path to the 1 bar floor before the first stage.
    const double p0 = block.pressure, f1 = steps_[1][1], p1 = steps_[1][0];
    if (stepsMode_ && f1 > 0.0 && f1 > steps_[0][1]) pressureSlope_ = (p1 - p0) * 1e5 / f1;
    steps_[0][0] = pressure_;
    previousPressure_ = pressure_;
    for (std::size_t r = 1; r < kPressureSteps; ++r) {
        steps_[r][0] *= 1000.0;
        steps_[r][1] /= 100.0;
    }
}

bool PressurePath::update(double progress, double leaderT) {
    const bool cooling = direction_ == PathDirection::Cooling;
    bool rowPassed = false;
    if (dPdTMode_ && !cooling && leaderT - previousLeaderT_ >= kDPdTTrigger) {
        pressure_ += (leaderT - previousLeaderT_) * dPdT_;
        previousLeaderT_ = leaderT;
    }
    if (dPdTMode_ && cooling && previousLeaderT_ - leaderT >= kDPdTTrigger) {
        pressure_ -= (previousLeaderT_ - leaderT) * dPdT_;
        previousLeaderT_ = leaderT;
        // Cooling moves the pressure one way only.
        if (dPdT_ > 0.0) pressure_ = std::min(pressure_, previousPressure_);
        if (dPdT_ < 0.0) pressure_ = std::max(pressure_, previousPressure_);
    }
    if (stepsMode_) {
        const int r = pressureRow_ - 1;
        if (pressureRow_ >= static_cast<int>(kPressureSteps) || rowFraction(r) <= 0.0) {
            stepsMode_ = false;
        } else {
            if (progress >= rowFraction(r)) {
                pressure_ = rowPressure(r);
                const bool nextDefined =
                    r + 1 < static_cast<int>(kPressureSteps) && rowFraction(r + 1) > 0.0;
                pressureSlope_ = nextDefined && rowFraction(r + 1) != rowFraction(r)
                                     ? (rowPressure(r + 1) - rowPressure(r)) /
                                           (rowFraction(r + 1) - rowFraction(r))
                                     : 0.0;
                ++pressureRow_;
                rowPassed = true;
                // Past the last defined row the pressure stays at that row's: interpolating
                // towards an empty row would send it to 0 (then the 1 bar floor).
                if (!nextDefined) stepsMode_ = false;
            }
            if (stepsMode_) {
                const int rp = pressureRow_ - 1;
                const double p = (progress - rowFraction(rp)) * pressureSlope_ + rowPressure(rp);
                if (rowPassed || pressureSlope_ == 0.0 || !cooling) {
                    pressure_ = p;
                } else if (pressureSlope_ < 0.0) {
                    pressure_ = std::min(p, previousPressure_);
                } else {
                    pressure_ = std::max(p, previousPressure_);
                }
            }
        }
    }
    pressure_ = std::max(pressure_, kPressureFloor);
    previousPressure_ = pressure_;
    return rowPassed;
}

}  // namespace varnodel
