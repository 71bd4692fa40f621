// The texts with which the tabs show a setting that a dialog edits: the stop condition, the
// pressure mode, the oxidation state, a model's correction marks.
#pragma once

#include <QString>

#include "models/RunState.h"

namespace varnodel::ui {

// "Stop at " + value + unit, or "Use stop conditions from data file".
QString stopLabel(const RunState& state);
// " Keep constant", "dP/dT = " + value, or " dP/dF".
QString pressureModeLabel(const TPressureBlock& pressure);
// "Initial oxidation state: " and the mode: the buffer with its shift, a fixed ratio, a closed
// system, or the olivine equation.
QString oxidationLabel(const RunState& state);
// "Oxidation model: " and the chosen oxidation-state model, or "press to select".
QString oxidationModelLabel(const RunState& state);
// A model's mark for pressure or H2O: "Y" when the model accounts for it, "c" when a correction
// is set, "Yc" for both, empty for neither.
QString correctionMark(bool model, bool correction);

}  // namespace varnodel::ui
