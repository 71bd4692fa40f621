// "MINERAL models": the model of the current mineral, chosen from its set, with the marks of the
// pressure, H2O and trace-element corrections; the olivine box "Use Kd for composition".
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QTableWidget>

#include "ui/dialogs/DialogBase.h"
#include "ui/dialogs/_frm_Kd.h"
#include "ui/dialogs/_frm_Pressure_correction.h"
#include "ui/dialogs/_frm_h2o_correction.h"

namespace varnodel::ui {

class Tfrm_models : public SettingsDialog {
    Q_OBJECT
  public:
    Tfrm_models(DialogContext& context, Tpressure_correction& pressure, Th2o_correction& h2o,
                Tfrm_Kd& kd, QWidget* parent = nullptr);
    void load() override;

    QTableWidget* grid() const { return lst_calculations_models_; }
    // A click on a cell, as the grid takes it.
    void clickCell(int row, int column);

  protected:
    void store() override;

  private:
    const TSetOfModels& set() const;
    void refreshMarks();

    Tpressure_correction& pressure_;
    Th2o_correction& h2o_;
    Tfrm_Kd& kd_;
    QTableWidget* lst_calculations_models_;
    QCheckBox* Kd_checkbox_;
    int marked_ = -1;  // the row marked "Y" in column 0
};

}  // namespace varnodel::ui
