// The "Reverse Crystallisation" tab: the models of the reverse run, its run settings, the
// conditions under which each mineral stops being added back, and the evolved starting melt.
#pragma once

#include <QTableWidget>

#include "ui/CrystallisationRunTab.h"

namespace varnodel::ui {

class ReverseTab : public CrystallisationRunTab {
    Q_OBJECT
  public:
    ReverseTab(RunState& state, QWidget* parent = nullptr);

  private:
    void refreshOwnPart() override;

    QTableWidget* exclusion_;
};

// The conditions under which `mineral` is excluded from a reverse run, as the tab lists them
// ("T = 1200 °C; MgO = 9 wt%"), or "none".
QString exclusionText(const TMineralOptions& options, std::size_t mineral);

}  // namespace varnodel::ui
