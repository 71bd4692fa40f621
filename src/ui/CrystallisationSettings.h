// The settings the forward and the reverse run share, beside their model lists: melt viscosity
// and density, stop condition, pressure and its path, step, intermediate output, oxidation,
// trace elements and the cotectic and H2O-saturated starts. Settings kept in dialogs are links.
#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <QWidget>

#include "models/RunState.h"
#include "ui/DialogId.h"
#include "ui/NumberEdit.h"
#include "ui/OxidationLinks.h"

namespace varnodel::ui {

class CrystallisationSettings : public QWidget {
    Q_OBJECT
  public:
    CrystallisationSettings(RunState& state, QWidget* parent = nullptr);
    void refresh();
    void setModelsEnabled(bool enabled);

  Q_SIGNALS:
    void changed();
    void dialogRequested(varnodel::ui::DialogId id, int mineral);

  private:
    QPushButton* link(const QString& objectName, DialogId id);

    RunState& state_;
    QPushButton* viscosity_;
    QPushButton* density_;
    QPushButton* stop_;
    NumberEdit* pressure_;
    QPushButton* pressureMode_;
    NumberEdit* step_;
    OxidationLinks* oxidation_;
    QCheckBox* cotectic_;
    QCheckBox* saturated_;
    bool refreshing_ = false;
};

}  // namespace varnodel::ui
