// The "Reverse Crystallisation" tab: the models of the reverse run, its run settings, the
// conditions under which each mineral stops being added back, and the evolved starting melt.
#pragma once

#include <QTableWidget>
#include <QWidget>

#include "models/RunState.h"
#include "ui/CompositionPanel.h"
#include "ui/CrystallisationSettings.h"
#include "ui/DialogId.h"
#include "ui/MineralModelsGrid.h"

namespace varnodel::ui {

class ReverseTab : public QWidget {
    Q_OBJECT
  public:
    ReverseTab(RunState& state, QWidget* parent = nullptr);
    void refresh();
    void setModelsEnabled(bool enabled);

    CompositionPanel* composition() const { return composition_; }

  Q_SIGNALS:
    void changed();
    void dialogRequested(varnodel::ui::DialogId id, int mineral);

  private:
    RunState& state_;
    MineralModelsGrid* models_;
    CrystallisationSettings* settings_;
    QTableWidget* exclusion_;
    CompositionPanel* composition_;
};

// The conditions under which `mineral` is excluded from a reverse run, as the tab lists them
// ("T = 1200 °C; MgO = 9 wt%"), or "none".
QString exclusionText(const TMineralOptions& options, std::size_t mineral);

}  // namespace varnodel::ui
