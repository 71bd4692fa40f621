// What the forward and the reverse tab share: the mineral models, the run settings and the
// starting melt, with a part of each tab's own beside the settings.
#pragma once

#include <QGridLayout>
#include <QWidget>

#include "models/RunState.h"
#include "ui/CompositionPanel.h"
#include "ui/CrystallisationSettings.h"
#include "ui/DialogId.h"
#include "ui/MineralModelsGrid.h"

namespace varnodel::ui {

class CrystallisationRunTab : public QWidget {
    Q_OBJECT
  public:
    void refresh();
    // The model controls are locked while a calculation runs.
    void setModelsEnabled(bool enabled);

    CompositionPanel* composition() const { return composition_; }

  Q_SIGNALS:
    void changed();
    void dialogRequested(varnodel::ui::DialogId id, int mineral);

  protected:
    CrystallisationRunTab(RunState& state, QWidget* parent);
    // Puts the tab's own part to the right of the settings.
    void setOwnPart(QLayout* part);
    virtual void refreshOwnPart() = 0;

    RunState& state_;

  private:
    MineralModelsGrid* models_;
    CrystallisationSettings* settings_;
    CompositionPanel* composition_;
    QGridLayout* top_;
};

}  // namespace varnodel::ui
