// "Melt Oxidation State Model": the model that relates the melt's Fe3+/Fe2+ to fO2.
#pragma once

#include "ui/dialogs/CheckList.h"
#include "ui/dialogs/DialogBase.h"

namespace varnodel::ui {

class Tfrm_oxydation_state : public SettingsDialog {
    Q_OBJECT
  public:
    Tfrm_oxydation_state(DialogContext& context, QWidget* parent = nullptr);
    void load() override;
    CheckList* list() const { return lst_models_; }

  protected:
    void store() override;

  private:
    CheckList* lst_models_;
};

}  // namespace varnodel::ui
