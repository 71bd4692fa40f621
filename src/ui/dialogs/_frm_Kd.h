// "Choose Kd model": how olivine is formed from the melt when "Use Kd for composition" is on:
// a constant Fe-Mg Kd, the Ln(Kd) equation, or one of two published Kd models.
#pragma once

#include <QRadioButton>

#include "ui/NumberEdit.h"
#include "ui/dialogs/DialogBase.h"

namespace varnodel::ui {

class Tfrm_Kd : public SettingsDialog {
    Q_OBJECT
  public:
    Tfrm_Kd(DialogContext& context, QWidget* parent = nullptr);
    void load() override;

  protected:
    void store() override;

  private:
    QRadioButton* Kd_const_;
    QRadioButton* Kd_equation_;
    QRadioButton* SD94_;
    QRadioButton* Toplis05_;
    NumberEdit* Kd_value_;
    NumberEdit* Kd_A_;
    NumberEdit* Kd_B_;
    NumberEdit* Kd_C_;
};

}  // namespace varnodel::ui
