// The "Melt Liquidus Association" tab: the models whose liquidus the association evaluates,
// mineral by mineral, the pressure and the melt.
#pragma once

#include <QTreeWidget>
#include <QWidget>

#include "io/SettingsFile.h"
#include "models/RunState.h"
#include "ui/CompositionPanel.h"
#include "ui/NumberEdit.h"

namespace varnodel::ui {

class MlaTab : public QWidget {
    Q_OBJECT
  public:
    MlaTab(RunState& state, MlaChoice& mla, QWidget* parent = nullptr);
    void refresh();
    void setModelsEnabled(bool enabled) { models_->setEnabled(enabled); }

    CompositionPanel* composition() const { return composition_; }

  Q_SIGNALS:
    void changed();

  private:
    RunState& state_;
    MlaChoice& mla_;
    QTreeWidget* models_;
    NumberEdit* pressure_;
    CompositionPanel* composition_;
    bool refreshing_ = false;
};

}  // namespace varnodel::ui
