// "Density models": the model of the melt's density.
#pragma once

#include "ui/dialogs/_frm_viscosity.h"

namespace varnodel::ui {

class Tfrm_density : public TPropertyModelDialog {
    Q_OBJECT
  public:
    Tfrm_density(DialogContext& context, QWidget* parent = nullptr);
    void load() override;

  protected:
    void store() override;
};

}  // namespace varnodel::ui
