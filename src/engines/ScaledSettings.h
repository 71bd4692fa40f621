// The run's settings in the units the engines and models compute with. The user enters
// percentages, degrees Celsius and the equation mode's A for Fo in %; a run works with
// fractions, kelvin and Fo as a fraction. The scaled values are made once, from what was entered,
// and never written back: the reports keep reading the entered ones.
#pragma once

#include "core/Parameters.h"
#include "models/RunState.h"

namespace varnodel {

struct ScaledSettings {
    RunSettings values;
};

// `entered` in the units of a run: the equation mode's A x 100; the calculation step, the six
// stop values and the six output intervals given in % / 100; the stop temperature + 273. The
// stop MgO and the output temperature interval keep their units.
ScaledSettings scaleSettings(const RunSettings& entered);

// For the life of a run, the models of a snapshot read the scaled settings (the oxidation state
// reads the equation's A, the olivine Kd its options): the guard puts them into the snapshot's
// context and puts the entered ones back when the run ends, so that a snapshot can serve the
// next analysis.
class ScaledRunSettings {
  public:
    ScaledRunSettings(RunSnapshot& snapshot, const RunSettings& entered);
    ~ScaledRunSettings();
    ScaledRunSettings(const ScaledRunSettings&) = delete;
    ScaledRunSettings& operator=(const ScaledRunSettings&) = delete;

  private:
    RunSnapshot& snapshot_;
    RunSettings entered_;
};

}  // namespace varnodel
