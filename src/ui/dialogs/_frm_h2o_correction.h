// "Correction for H2O content": the coefficients A and B of the current mineral's liquidus
// correction for H2O, dT = -A x H2O(wt%)^B; the correction is on while either is not 0.
#pragma once

#include <QCheckBox>

#include "ui/NumberEdit.h"
#include "ui/dialogs/DialogBase.h"

namespace varnodel::ui {

class Th2o_correction : public SettingsDialog {
    Q_OBJECT
  public:
    Th2o_correction(DialogContext& context, QWidget* parent = nullptr);
    void load() override;

  protected:
    void store() override;

  private:
    void setCoefficients(const char* a, const char* b);

    NumberEdit* a_;
    NumberEdit* b_;
    QCheckBox* Model_coeff_;
};

}  // namespace varnodel::ui
