// The "Crystallisation" tab: the models of the forward run, its stop, pressure, step and
// oxidation settings, the starting melt, the degree of fractionation of each mineral and the
// cotectic and H2O-saturated starts.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QWidget>

#include "models/RunState.h"
#include "ui/CompositionPanel.h"
#include "ui/NumberEdit.h"

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

  private:
    void chooseModel(std::size_t mineral, int choice);

    RunState& state_;
    QTableWidget* models_;
    QComboBox* viscosity_;
    QComboBox* density_;
    QLabel* stop_;
    NumberEdit* pressure_;
    QLabel* pressureMode_;
    NumberEdit* step_;
    QLabel* oxidation_;
    CompositionPanel* composition_;
    QTableWidget* fractionation_;
    QCheckBox* cotectic_;
    QCheckBox* saturated_;
    bool refreshing_ = false;
};

}  // namespace varnodel::ui
