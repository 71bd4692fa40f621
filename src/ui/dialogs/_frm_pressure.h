// "Pressure settings": the pressure path of a forward run - constant, a dP/dT gradient, or up
// to four steps of pressure reached at given degrees of crystallisation.
#pragma once

#include <QRadioButton>
#include <QTableWidget>

#include "ui/NumberEdit.h"
#include "ui/dialogs/DialogBase.h"

namespace varnodel::ui {

class Tfrm_pressure : public SettingsDialog {
    Q_OBJECT
  public:
    Tfrm_pressure(DialogContext& context, QWidget* parent = nullptr);
    void load() override;
    QTableWidget* steps() const { return Pressure_step_Grid_; }

  protected:
    void store() override;

  private:
    TPressureBlock& block() const { return state().composition.pressureBlock; }
    void readConstant();
    void readGradient();
    void readSteps();

    QRadioButton* Pressure_const_check_;
    QRadioButton* dPdT_check_;
    QRadioButton* pressure_steps_check_;
    NumberEdit* Pressure_const_;
    NumberEdit* dPdT_Edit_;
    QTableWidget* Pressure_step_Grid_;
    bool loading_ = false;
};

}  // namespace varnodel::ui
