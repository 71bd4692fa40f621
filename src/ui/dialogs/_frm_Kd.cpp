#include "ui/dialogs/_frm_Kd.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/SettingsRules.h"

namespace varnodel::ui {

Tfrm_Kd::Tfrm_Kd(DialogContext& context, QWidget* parent)
    : SettingsDialog(context, "Choose Kd model", parent),
      Kd_const_(new QRadioButton("Constant Kd", this)),
      Kd_equation_(new QRadioButton("Ln(Kd) =A/T(K)+B*P(kb)/T(K)+C", this)),
      SD94_(new QRadioButton("Sobolev, Quellmark, 1994", this)),
      Toplis05_(new QRadioButton("Toplis, 2005", this)),
      Kd_value_(new NumberEdit(kEntryDefault, this)),
      Kd_A_(new NumberEdit(kLnKd, this)),
      Kd_B_(new NumberEdit(kLnKd, this)),
      Kd_C_(new NumberEdit(kLnKd, this)) {
    Kd_const_->setObjectName("Kd_const");
    Kd_equation_->setObjectName("Kd_equation");
    SD94_->setObjectName("SD94");
    Toplis05_->setObjectName("Toplis05");
    Kd_value_->setObjectName("Kd_value");
    Kd_A_->setObjectName("Kd_A");
    Kd_B_->setObjectName("Kd_B");
    Kd_C_->setObjectName("Kd_C");

    auto* group = new QGroupBox("Select model for Olivine", this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(Kd_const_, 0, 0);
    grid->addWidget(Kd_value_, 0, 1, 1, 2);
    grid->addWidget(Kd_equation_, 1, 0, 1, 3);
    int column = 0;
    for (auto [name, edit] : {std::pair{"A", Kd_A_}, {"B", Kd_B_}, {"C", Kd_C_}}) {
        auto* cell = new QHBoxLayout;
        cell->addWidget(new QLabel(name, group));
        cell->addWidget(edit);
        grid->addLayout(cell, 2, column++);
    }
    grid->addWidget(SD94_, 3, 0, 1, 3);
    grid->addWidget(Toplis05_, 4, 0, 1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    addCloseButtons(layout);
}

void Tfrm_Kd::load() {
    const TParameters& p = parameters();
    QRadioButton* mode = Kd_const_;
    if (p.lnKdOption) mode = Kd_equation_;
    if (p.sobolevQuellmarkOption) mode = SD94_;
    if (p.toplisOption) mode = Toplis05_;
    mode->setChecked(true);
    Kd_value_->setValue(p.kdFeMg);
    Kd_A_->setValue(p.lnKdA);
    Kd_B_->setValue(p.lnKdB);
    Kd_C_->setValue(p.lnKdC);
}

void Tfrm_Kd::store() {
    TParameters& p = parameters();
    p.fixedKdOption = Kd_const_->isChecked();
    p.lnKdOption = Kd_equation_->isChecked();
    p.sobolevQuellmarkOption = SD94_->isChecked();
    p.toplisOption = Toplis05_->isChecked();
    if (p.fixedKdOption) p.kdFeMg = Kd_value_->value();
    if (p.lnKdOption) {
        p.lnKdA = Kd_A_->value();
        p.lnKdB = Kd_B_->value();
        p.lnKdC = Kd_C_->value();
    }
    // A mode counts only with "Use Kd for composition", which the models dialog sets.
    reconcileKdModes(p);
}

}  // namespace varnodel::ui
