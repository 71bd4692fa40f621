// The "Melt Liquidus Association" tab: the models whose liquidus the association evaluates,
// mineral by mineral, their liquidus corrections, the oxidation state, the pressure and the melt.
#pragma once

#include <QTableWidget>
#include <QTreeWidget>
#include <QWidget>

#include "io/SettingsFile.h"
#include "models/RunState.h"
#include "ui/CompositionPanel.h"
#include "ui/DialogId.h"
#include "ui/NumberEdit.h"
#include "ui/OxidationLinks.h"

namespace varnodel::ui {

class MlaTab : public QWidget {
    Q_OBJECT
  public:
    MlaTab(RunState& state, MlaChoice& mla, QWidget* parent = nullptr);
    void refresh();
    void setModelsEnabled(bool enabled);

    CompositionPanel* composition() const { return composition_; }

  Q_SIGNALS:
    void changed();
    void dialogRequested(varnodel::ui::DialogId id, int mineral);

  private:
    RunState& state_;
    MlaChoice& mla_;
    QTreeWidget* models_;
    QTableWidget* corrections_;
    NumberEdit* pressure_;
    OxidationLinks* oxidation_;
    CompositionPanel* composition_;
    bool refreshing_ = false;
};

}  // namespace varnodel::ui
