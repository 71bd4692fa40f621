// The "Crystallisation" tab: the models of the forward run, its run settings, the starting melt
// and the degree of fractionation of each mineral.
#pragma once

#include <QTableWidget>

#include "ui/CrystallisationRunTab.h"

namespace varnodel::ui {

class CrystallisationTab : public CrystallisationRunTab {
    Q_OBJECT
  public:
    CrystallisationTab(RunState& state, QWidget* parent = nullptr);

  private:
    void refreshOwnPart() override;

    QTableWidget* fractionation_;
    bool refreshing_ = false;
};

}  // namespace varnodel::ui
