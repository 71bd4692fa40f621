// "Conditions for exclusion of" a mineral: the limits past which a reverse run stops adding the
// current mineral.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <array>

#include "ui/NumberEdit.h"
#include "ui/dialogs/DialogBase.h"

namespace varnodel::ui {

class TExclude_Mineral : public SettingsDialog {
    Q_OBJECT
  public:
    TExclude_Mineral(DialogContext& context, QWidget* parent = nullptr);
    void load() override;

  protected:
    void store() override;

  private:
    // Indexed by the exclusion condition.
    std::array<QCheckBox*, 4> boxes_{};
    std::array<NumberEdit*, 4> limits_{};
    std::array<QLabel*, 4> units_{};
};

}  // namespace varnodel::ui
