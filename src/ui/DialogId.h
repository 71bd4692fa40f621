// The settings dialogs a tab or a menu can ask the main window to open. A tab emits the id; the
// main window owns the dialogs and shows the one asked for, then refreshes every tab.
#pragma once

namespace varnodel::ui {

enum class DialogId {
    Models,              // Tfrm_models
    Kd,                  // Tfrm_Kd
    PressureCorrection,  // Tpressure_correction
    H2oCorrection,       // Th2o_correction
    OxidationState,      // Tfrm_oxydation_state
    OxygenBuffers,       // Tfrm_oxygen_buffers
    Fugacity,            // Tfrm_fugacity
    TraceElements,       // TTraceElementsForm
    Viscosity,           // Tfrm_viscosity
    Density,             // Tfrm_density
    StopConditions,      // Tfrm_Stop_conditions
    Pressure,            // Tfrm_pressure
    IntermediateOutput,  // TIntermediate_output
    ExcludeMineral,      // TExclude_Mineral
    About,
};

}  // namespace varnodel::ui
