// "Models for viscosity" and, on the same pattern, the density dialog: a radio group of the
// two models of a melt property; closing sets the model index from the chosen name.
#pragma once

#include <QButtonGroup>
#include <span>
#include <string_view>

#include "ui/dialogs/DialogBase.h"

namespace varnodel::ui {

class TPropertyModelDialog : public SettingsDialog {
    Q_OBJECT
  public:
    QButtonGroup* choices() const { return group_; }

  protected:
    TPropertyModelDialog(DialogContext& context, const QString& caption, const QString& title,
                         std::span<const std::string_view> names, QWidget* parent);
    // The index of the model in the names' order, or -1 for none.
    int chosen() const;
    void choose(int index);

  private:
    std::span<const std::string_view> names_;
    QButtonGroup* group_;
};

class Tfrm_viscosity : public TPropertyModelDialog {
    Q_OBJECT
  public:
    Tfrm_viscosity(DialogContext& context, QWidget* parent = nullptr);
    void load() override;

  protected:
    void store() override;
};

}  // namespace varnodel::ui
