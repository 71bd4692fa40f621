// "Conditions for Intermediate output": which changes of a forward run print a step, and at
// which interval each; and the decimals of the trace elements in the result tables.
#pragma once

#include <QCheckBox>
#include <QSpinBox>
#include <array>

#include "ui/NumberEdit.h"
#include "ui/dialogs/DialogBase.h"

namespace varnodel::ui {

class TIntermediate_output : public SettingsDialog {
    Q_OBJECT
  public:
    static constexpr std::size_t kIntervals = 7;

    TIntermediate_output(DialogContext& context, QWidget* parent = nullptr);
    void load() override;

  protected:
    void store() override;

  private:
    std::array<QCheckBox*, kIntervals> boxes_{};
    std::array<NumberEdit*, kIntervals> intervals_{};
    QSpinBox* traceDecimals_;  // of the trace-element fields of the result tables
};

}  // namespace varnodel::ui
