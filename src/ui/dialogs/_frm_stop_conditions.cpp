#include "ui/dialogs/_frm_stop_conditions.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/SettingsRules.h"

namespace varnodel::ui {

namespace {

struct Condition {
    const char* object;
    const char* caption;
    std::size_t kind;  // in the stop block
};

constexpr std::array<Condition, kStopKinds> kConditions{{
    {"Frac_degree", "percent of crystallisation", Stop::Crystallisation},
    {"Stop_ol", "olivine composition", Stop::Fo},
    {"last_pl", "plagioclase composition", Stop::An},
    {"Last_Cpx", "Clynopyroxene composition", Stop::Clinopyroxene},
    {"Last_Opx", "Orthopyroxene composition", Stop::Orthopyroxene},
    {"Last_Pig", "Pigeonite composition", Stop::Pigeonite},
    {"Last_Temp", "Temperature", Stop::Temperature},
    {"Last_Melt", "melt MgO content", Stop::MeltMgO},
}};

Bounds boundsOf(std::size_t kind) {
    return kind == Stop::Temperature ? kStopTemperature : kEntryDefault;
}

}  // namespace

Tfrm_Stop_conditions::Tfrm_Stop_conditions(DialogContext& context, QWidget* parent)
    : SettingsDialog(context, "Conditions for stopping calculations", parent),
      Stop_value_(new NumberEdit(kEntryDefault, this)) {
    Stop_value_->setObjectName("Stop_value");
    Stop_value_->setText("0");
    auto* group = new QGroupBox("Stop calculations at", this);
    auto* column = new QVBoxLayout(group);
    for (std::size_t i = 0; i < kConditions.size(); ++i) {
        conditions_[i] = new QRadioButton(kConditions[i].caption, group);
        conditions_[i]->setObjectName(kConditions[i].object);
        column->addWidget(conditions_[i]);
        connect(conditions_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Stop_value_->setBounds(boundsOf(kConditions[i].kind));
        });
    }
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(group);
    auto* side = new QVBoxLayout;
    side->addWidget(Stop_value_);
    side->addStretch();
    addCloseButtons(side);
    layout->addLayout(side);
    connect(Stop_value_, &QLineEdit::returnPressed, this, &QDialog::accept);
}

std::size_t Tfrm_Stop_conditions::checkedKind() const {
    for (std::size_t i = 0; i < kConditions.size(); ++i)
        if (conditions_[i]->isChecked()) return kConditions[i].kind;
    return Stop::Crystallisation;
}

void Tfrm_Stop_conditions::load() {
    const TStopBlock& stop = parameters().stop;
    std::size_t shown = 0;
    for (std::size_t i = kConditions.size(); i-- > 0;)
        if (stop.flags[kConditions[i].kind]) shown = i;
    conditions_[shown]->setChecked(true);
    Stop_value_->setBounds(boundsOf(kConditions[shown].kind));
    Stop_value_->setValue(stop.values[kConditions[shown].kind]);
}

void Tfrm_Stop_conditions::store() {
    TStopBlock& stop = parameters().stop;
    const std::size_t kind = checkedKind();
    stop.values[kind] = Stop_value_->value();
    stop.flags.fill(false);
    stop.flags[kind] = true;
}

}  // namespace varnodel::ui
