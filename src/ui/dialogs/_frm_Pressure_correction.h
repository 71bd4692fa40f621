// "Pressure correction models": the liquidus correction of the current mineral for pressure,
// in degrees per kbar; the correction is on exactly while the coefficient is not 0.
#pragma once

#include <QCheckBox>

#include "ui/NumberEdit.h"
#include "ui/dialogs/DialogBase.h"

namespace varnodel::ui {

class Tpressure_correction : public SettingsDialog {
    Q_OBJECT
  public:
    Tpressure_correction(DialogContext& context, QWidget* parent = nullptr);
    void load() override;

  protected:
    void store() override;

  private:
    NumberEdit* deg_kbar_;
    QCheckBox* correct_;
};

}  // namespace varnodel::ui
