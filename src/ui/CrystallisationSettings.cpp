#include "ui/CrystallisationSettings.h"

#include <QGridLayout>
#include <QLabel>

#include "core/SettingsRules.h"
#include "ui/RunLabels.h"
#include "ui/TabParts.h"

namespace varnodel::ui {

QPushButton* CrystallisationSettings::link(const QString& objectName, DialogId id) {
    QPushButton* button = dialogLink(objectName, this);
    connect(button, &QPushButton::clicked, this, [this, id] { Q_EMIT dialogRequested(id, 0); });
    return button;
}

CrystallisationSettings::CrystallisationSettings(RunState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      viscosity_(link("viscosity_model", DialogId::Viscosity)),
      density_(link("density_model", DialogId::Density)),
      stop_(link("Condition", DialogId::StopConditions)),
      pressure_(new NumberEdit(kInitialPressure, this)),
      pressureMode_(link("Pressure_adv", DialogId::Pressure)),
      step_(new NumberEdit(kCalculationStep, this)),
      oxidation_(new OxidationLinks(state, this)),
      cotectic_(new QCheckBox("As Pl-Ol cotectic", this)),
      saturated_(new QCheckBox("H2O saturated", this)) {
    pressure_->setObjectName("PressureEdit");
    step_->setObjectName("CalcStepEdit1");
    cotectic_->setObjectName("Cotectic");
    saturated_->setObjectName("H2Osaturated");
    QPushButton* output = link("Intermediate_output", DialogId::IntermediateOutput);
    output->setText("Intermediate output ");
    QPushButton* traces = link("trace_included", DialogId::TraceElements);
    traces->setText("Set trace Elements");

    auto* form = new QGridLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    const auto add = [&](const QString& label, QWidget* field) {
        form->addWidget(new QLabel(label, this), row, 0);
        form->addWidget(field, row++, 1);
    };
    add("Viscosity:", viscosity_);
    add("Density:", density_);
    add("Stop:", stop_);
    add("Pressure, kbar:", pressure_);
    add("Pressure:", pressureMode_);
    add("Calculation step, %:", step_);
    form->addWidget(output, row++, 0, 1, 2);
    form->addWidget(oxidation_, row++, 0, 1, 2);
    form->addWidget(traces, row++, 0, 1, 2);
    form->addWidget(cotectic_, row++, 0, 1, 2);
    form->addWidget(saturated_, row++, 0, 1, 2);
    form->setRowStretch(row, 1);
    form->setColumnStretch(1, 1);

    connect(oxidation_, &OxidationLinks::dialogRequested, this,
            &CrystallisationSettings::dialogRequested);
    connect(pressure_, &NumberEdit::valueEdited, this, [this](double value) {
        state_.composition.pressureBlock.pressure = value;
        Q_EMIT changed();
    });
    connect(step_, &NumberEdit::valueEdited, this, [this](double value) {
        state_.settings.parameters.calculationStep = value;
        Q_EMIT changed();
    });
    connect(cotectic_, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_) return;
        state_.settings.parameters.cotecticOption = on;
        if (on) applyCotecticSwitch(state_.settings);
        Q_EMIT changed();
    });
    connect(saturated_, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_) return;
        state_.settings.parameters.h2oSaturatedOption = on;
        Q_EMIT changed();
    });
}

void CrystallisationSettings::refresh() {
    refreshing_ = true;
    const TParameters& p = state_.settings.parameters;
    viscosity_->setText(qText(kViscosityNames[static_cast<std::size_t>(p.viscosityModel)]));
    density_->setText(qText(kDensityNames[static_cast<std::size_t>(p.densityModel)]));
    stop_->setText(stopLabel(state_));
    pressure_->setValue(state_.composition.pressureBlock.pressure);
    pressureMode_->setText(pressureModeLabel(state_.composition.pressureBlock));
    step_->setValue(p.calculationStep);
    oxidation_->refresh();
    cotectic_->setChecked(p.cotecticOption);
    saturated_->setChecked(p.h2oSaturatedOption);
    refreshing_ = false;
}

void CrystallisationSettings::setModelsEnabled(bool enabled) {
    viscosity_->setEnabled(enabled);
    density_->setEnabled(enabled);
    oxidation_->setModelsEnabled(enabled);
}

}  // namespace varnodel::ui
