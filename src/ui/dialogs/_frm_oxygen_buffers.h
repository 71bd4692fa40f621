// "Oxygen Buffers": the buffer that fixes fO2 and its shift in log units; closing it puts the
// oxidation state on the buffer.
#pragma once

#include "ui/NumberEdit.h"
#include "ui/dialogs/CheckList.h"
#include "ui/dialogs/DialogBase.h"

namespace varnodel::ui {

class Tfrm_oxygen_buffers : public SettingsDialog {
    Q_OBJECT
  public:
    Tfrm_oxygen_buffers(DialogContext& context, QWidget* parent = nullptr);
    void load() override;
    CheckList* list() const { return lst_buffers_; }

  protected:
    void store() override;

  private:
    CheckList* lst_buffers_;
    NumberEdit* shift_;
};

}  // namespace varnodel::ui
