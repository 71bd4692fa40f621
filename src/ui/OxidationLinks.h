// The melt's oxidation settings as two links: the initial oxidation state (opens the advanced
// oxygen-fugacity options) and the oxidation-state model (opens the model list).
#pragma once

#include <QPushButton>
#include <QWidget>

#include "models/RunState.h"
#include "ui/DialogId.h"

namespace varnodel::ui {

class OxidationLinks : public QWidget {
    Q_OBJECT
  public:
    OxidationLinks(const RunState& state, QWidget* parent = nullptr);
    void refresh();
    // The model link is locked while a calculation runs, like every model choice.
    void setModelsEnabled(bool enabled) { model_->setEnabled(enabled); }

  Q_SIGNALS:
    void dialogRequested(varnodel::ui::DialogId id, int mineral);

  private:
    const RunState& state_;
    QPushButton* mode_;
    QPushButton* model_;
};

}  // namespace varnodel::ui
