// Every settings dialog, made once and kept hidden until a tab or a menu asks for it; they all
// work on one run state.
#pragma once

#include <QObject>
#include <QWidget>

#include "ui/DialogId.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/DialogBase.h"
#include "ui/dialogs/_density_model.h"
#include "ui/dialogs/_exclude_mineral_form.h"
#include "ui/dialogs/_frm_Kd.h"
#include "ui/dialogs/_frm_Pressure_correction.h"
#include "ui/dialogs/_frm_fugacity.h"
#include "ui/dialogs/_frm_h2o_correction.h"
#include "ui/dialogs/_frm_models.h"
#include "ui/dialogs/_frm_oxydation_state.h"
#include "ui/dialogs/_frm_oxygen_buffers.h"
#include "ui/dialogs/_frm_pressure.h"
#include "ui/dialogs/_frm_stop_conditions.h"
#include "ui/dialogs/_frm_trace_elements.h"
#include "ui/dialogs/_frm_viscosity.h"
#include "ui/dialogs/_intermediate_output.h"

namespace varnodel::ui {

class SettingsDialogs : public QObject {
    Q_OBJECT
  public:
    // `parent` owns the dialogs; `message` shows what a dialog could not do (a Kd set file).
    SettingsDialogs(RunState& state, QWidget* parent,
                    std::function<void(const QString&)> message = {});

    // Opens the dialog `id`; the mineral dialogs (models, corrections, exclusion) for `mineral`
    // (1-8), or for the mineral of the last such call when it is 0.
    void show(DialogId id, std::size_t mineral = 0);
    QDialog* dialog(DialogId id) const;
    std::size_t mineral() const { return context_.mineral; }

    TIntermediate_output* intermediateOutput;
    Tfrm_density* density;
    TExclude_Mineral* excludeMineral;
    Tpressure_correction* pressureCorrection;
    Th2o_correction* h2oCorrection;
    Tfrm_Kd* kd;
    Tfrm_models* models;
    Tfrm_oxygen_buffers* oxygenBuffers;
    Tfrm_oxydation_state* oxidationState;
    TTraceElementsForm* traceElements;
    Tfrm_Stop_conditions* stopConditions;
    Tfrm_viscosity* viscosity;
    Tfrm_fugacity* fugacity;
    Tfrm_pressure* pressure;
    TAboutBox* about;

  Q_SIGNALS:
    // A dialog has written the run settings: the window redraws from them.
    void changed();

  private:
    DialogContext context_;
};

}  // namespace varnodel::ui
