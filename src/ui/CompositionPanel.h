// The starting melt of a tab: the composition grid, the sample name, the choice of another
// analysis of the loaded data file and the "Use whole  file" box that every tab shares.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>

#include "models/RunState.h"
#include "ui/CompositionGrid.h"

namespace varnodel::ui {

class CompositionPanel : public QWidget {
    Q_OBJECT
  public:
    CompositionPanel(RunState& state, QWidget* parent = nullptr);
    void refresh();

    CompositionGrid* grid() const { return grid_; }
    QCheckBox* wholeFile() const { return wholeFile_; }

  Q_SIGNALS:
    void changed();
    void selectAnalysis();

  private:
    RunState& state_;
    CompositionGrid* grid_;
    QLineEdit* name_;
    QCheckBox* wholeFile_;
};

}  // namespace varnodel::ui
