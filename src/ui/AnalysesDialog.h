// "Select analyse": the analyses of the loaded data file, one row each; a double click on a row
// makes that analysis the starting composition.
#pragma once

#include <QDialog>
#include <QTableWidget>

#include "io/CompositionText.h"
#include "models/RunState.h"

namespace varnodel::ui {

class AnalysesDialog : public QDialog {
    Q_OBJECT
  public:
    AnalysesDialog(RunState& state, QWidget* parent = nullptr);
    // Fills the grid from the run state's list of analyses and the elements present.
    void load(const PresentElements& present);
    QTableWidget* grid() const { return grid_; }

  Q_SIGNALS:
    void chosen();

  private:
    RunState& state_;
    QTableWidget* grid_;
};

}  // namespace varnodel::ui
