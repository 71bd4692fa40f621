// The "Crystallisation" tab: the models of the forward run, its run settings, the starting melt
// and the degree of fractionation of each mineral.
#pragma once

#include <QTableWidget>
#include <QWidget>

#include "models/RunState.h"
#include "ui/CompositionPanel.h"
#include "ui/CrystallisationSettings.h"
#include "ui/DialogId.h"
#include "ui/MineralModelsGrid.h"

namespace varnodel::ui {

class CrystallisationTab : public QWidget {
    Q_OBJECT
  public:
    CrystallisationTab(RunState& state, QWidget* parent = nullptr);
    void refresh();
    // The model controls are locked while a calculation runs.
    void setModelsEnabled(bool enabled);

    CompositionPanel* composition() const { return composition_; }

  Q_SIGNALS:
    void changed();
    void dialogRequested(varnodel::ui::DialogId id, int mineral);

  private:
    RunState& state_;
    MineralModelsGrid* models_;
    CrystallisationSettings* settings_;
    CompositionPanel* composition_;
    QTableWidget* fractionation_;
    bool refreshing_ = false;
};

}  // namespace varnodel::ui
