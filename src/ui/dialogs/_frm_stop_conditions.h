// "Conditions for stopping calculations": the one condition that ends a forward run and its
// value.
#pragma once

#include <QRadioButton>
#include <array>

#include "ui/NumberEdit.h"
#include "ui/dialogs/DialogBase.h"

namespace varnodel::ui {

class Tfrm_Stop_conditions : public SettingsDialog {
    Q_OBJECT
  public:
    Tfrm_Stop_conditions(DialogContext& context, QWidget* parent = nullptr);
    void load() override;

  protected:
    void store() override;

  private:
    std::size_t checkedKind() const;

    // In the order in which closing looks for the checked one.
    std::array<QRadioButton*, kStopKinds> conditions_{};
    NumberEdit* Stop_value_;
};

}  // namespace varnodel::ui
