#include "ui/dialogs/_frm_Pressure_correction.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/SettingsRules.h"

namespace varnodel::ui {

Tpressure_correction::Tpressure_correction(DialogContext& context, QWidget* parent)
    : SettingsDialog(context, "Pressure correction models", parent),
      deg_kbar_(new NumberEdit(kPressureSlope, this)),
      correct_(new QCheckBox("Correct for Pressure", this)) {
    deg_kbar_->setObjectName("deg_kbar");
    correct_->setObjectName("Correct_for_Pressure");
    auto* row = new QHBoxLayout;
    row->addWidget(deg_kbar_);
    row->addWidget(new QLabel("deg/kbar", this));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(correct_);
    layout->addLayout(row);
    addCloseButtons(layout);
    connect(deg_kbar_, &QLineEdit::textChanged, this,
            [this] { correct_->setChecked(deg_kbar_->value() != 0.0); });
    connect(correct_, &QCheckBox::clicked, this, [this](bool on) {
        if (!on) deg_kbar_->setText("0");
    });
}

void Tpressure_correction::load() {
    deg_kbar_->setValue(mineralOptions().pressureSlope);
    correct_->setChecked(mineralOptions().pressureCorrection);
}

void Tpressure_correction::store() {
    setPressureCorrection(mineralOptions(), deg_kbar_->value());
}

}  // namespace varnodel::ui
