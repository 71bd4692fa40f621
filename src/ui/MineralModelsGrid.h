// The model list of the crystallisation runs ("Mineral Model P W Tr"): one row per mineral, its
// model chosen in place, the pressure, H2O and trace marks; a double click on a row asks for the
// models dialog of that mineral.
#pragma once

#include <QTableWidget>

#include "models/RunState.h"
#include "ui/DialogId.h"

namespace varnodel::ui {

class MineralModelsGrid : public QTableWidget {
    Q_OBJECT
  public:
    MineralModelsGrid(RunState& state, QWidget* parent = nullptr);
    void refresh();

  Q_SIGNALS:
    void changed();
    void dialogRequested(varnodel::ui::DialogId id, int mineral);

  private:
    void chooseModel(std::size_t mineral, int choice);

    RunState& state_;
    bool refreshing_ = false;
};

}  // namespace varnodel::ui
