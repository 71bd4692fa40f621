// "Trace Elements": the trace contents of the starting melt and, per element and mineral, how
// the partition coefficient is found - a constant Kd, the mineral's model or a trace-element
// model - with the Kd set files that keep a table for another session.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QTableWidget>
#include <vector>

#include "ui/NumberEdit.h"
#include "ui/dialogs/DialogBase.h"

namespace varnodel::ui {

class TTraceElementsForm : public SettingsDialog {
    Q_OBJECT
  public:
    TTraceElementsForm(DialogContext& context, QWidget* parent = nullptr);
    void load() override;

    QTableWidget* grid() const { return trace_elements_; }
    QGroupBox* panel() const { return TraceSet_; }
    NumberEdit* kdEdit() const { return Kd_value_; }
    QTableWidget* models() const { return TraceStringGrid_; }
    // A click on a grid cell, as the grid takes it.
    void clickCell(int row, int column);
    // A click on a row of the panel's model list.
    void chooseModel(int row);

    // "Load Kd's from file" and "Save this set" without their file dialogs.
    void loadKdSet(const QString& file);
    void saveKdSet(const QString& file);

  protected:
    void store() override {}

  private:
    QString mineralCell(std::size_t mineral, std::size_t element) const;
    void refreshMineral(std::size_t mineral);
    void setKd(double value);
    TAnalysis* melt() const;

    QTableWidget* trace_elements_;
    QGroupBox* TraceSet_;
    QLabel* TraceSetLabel_;
    NumberEdit* Kd_value_;
    QTableWidget* TraceStringGrid_;
    std::vector<const TModel*> panelModels_;
    std::size_t panelMineral_ = 0;  // 1-8 while the panel is open
    std::size_t panelElement_ = 0;  // 1-38
    bool loading_ = false;
};

}  // namespace varnodel::ui
