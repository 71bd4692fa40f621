#include "ui/dialogs/SettingsDialogs.h"

namespace varnodel::ui {

SettingsDialogs::SettingsDialogs(RunState& state, QWidget* parent,
                                 std::function<void(const QString&)> message)
    : QObject(parent), context_{state, 1, std::move(message)} {
    intermediateOutput = new TIntermediate_output(context_, parent);
    density = new Tfrm_density(context_, parent);
    excludeMineral = new TExclude_Mineral(context_, parent);
    pressureCorrection = new Tpressure_correction(context_, parent);
    h2oCorrection = new Th2o_correction(context_, parent);
    kd = new Tfrm_Kd(context_, parent);
    models = new Tfrm_models(context_, *pressureCorrection, *h2oCorrection, *kd, parent);
    oxygenBuffers = new Tfrm_oxygen_buffers(context_, parent);
    oxidationState = new Tfrm_oxydation_state(context_, parent);
    traceElements = new TTraceElementsForm(context_, parent);
    stopConditions = new Tfrm_Stop_conditions(context_, parent);
    viscosity = new Tfrm_viscosity(context_, parent);
    fugacity = new Tfrm_fugacity(context_, *oxidationState, *oxygenBuffers, parent);
    pressure = new Tfrm_pressure(context_, parent);
    about = new TAboutBox(parent);
    for (SettingsDialog* dialog : std::initializer_list<SettingsDialog*>{
             intermediateOutput, density, excludeMineral, pressureCorrection, h2oCorrection, kd,
             models, oxygenBuffers, oxidationState, traceElements, stopConditions, viscosity,
             fugacity, pressure})
        connect(dialog, &SettingsDialog::stored, this, &SettingsDialogs::changed);
}

QDialog* SettingsDialogs::dialog(DialogId id) const {
    switch (id) {
        case DialogId::Models:
            return models;
        case DialogId::Kd:
            return kd;
        case DialogId::PressureCorrection:
            return pressureCorrection;
        case DialogId::H2oCorrection:
            return h2oCorrection;
        case DialogId::OxidationState:
            return oxidationState;
        case DialogId::OxygenBuffers:
            return oxygenBuffers;
        case DialogId::Fugacity:
            return fugacity;
        case DialogId::TraceElements:
            return traceElements;
        case DialogId::Viscosity:
            return viscosity;
        case DialogId::Density:
            return density;
        case DialogId::StopConditions:
            return stopConditions;
        case DialogId::Pressure:
            return pressure;
        case DialogId::IntermediateOutput:
            return intermediateOutput;
        case DialogId::ExcludeMineral:
            return excludeMineral;
        case DialogId::About:
            return about;
    }
    return nullptr;
}

void SettingsDialogs::show(DialogId id, std::size_t mineral) {
    if (mineral >= 1 && mineral <= kMineralCount) context_.mineral = mineral;
    QDialog* shown = dialog(id);
    // Shown again, a dialog reads the settings afresh.
    if (shown->isVisible()) shown->hide();
    openDialog(shown);
}

}  // namespace varnodel::ui
