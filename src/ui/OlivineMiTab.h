// The "Olivine MI" tab: the Fe-loss reconstruction of a melt inclusion (host Fo, final FeO*) and
// the diffusion profiles around it (instant cooling or a cooling rate, reheating, the profiles'
// own starting melt), with the olivine model, its minor elements and the oxidation state that
// both share.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "core/Calculations.h"
#include "models/RunState.h"
#include "ui/CompositionGrid.h"
#include "ui/CompositionPanel.h"
#include "ui/DialogId.h"
#include "ui/NumberEdit.h"
#include "ui/OxidationLinks.h"

namespace varnodel::ui {

class OlivineMiTab : public QWidget {
    Q_OBJECT
  public:
    OlivineMiTab(RunState& state, QWidget* parent = nullptr);
    void refresh();
    void setModelsEnabled(bool enabled);

    // IronLoss while "Reconstruct MI composition" is chosen, else the profile of the cooling mode.
    Calculation calculation() const;
    CompositionPanel* composition() const { return composition_; }
    CompositionGrid* profileGrid() const { return profile_; }

  Q_SIGNALS:
    void changed();
    void dialogRequested(varnodel::ui::DialogId id, int mineral);
    // "Load last result" was ticked: the window reads the last profile's melt.
    void lastResultWanted();

  private:
    QWidget* buildIronLossGroup();
    QWidget* buildProfileGroup();
    NumberEdit* field(Bounds bounds, const QString& objectName, double TMeltInclusionSettings::*f);
    QPushButton* olivineLink(const QString& objectName);

    RunState& state_;
    QRadioButton* ironLoss_;
    QRadioButton* diffusion_;
    NumberEdit* hostFo_;
    NumberEdit* finalFeO_;
    QRadioButton* instant_;
    QRadioButton* rate_;
    NumberEdit* extent_;
    NumberEdit* coolingRate_;
    NumberEdit* radius_;
    NumberEdit* interval_;
    QCheckBox* reheating_;
    NumberEdit* tExp_;
    QCheckBox* loadLast_;
    QPushButton* density_;
    QComboBox* minorSet_;
    OxidationLinks* oxidation_;
    std::vector<QPushButton*> olivineLinks_;
    CompositionGrid* profile_;
    CompositionPanel* composition_;
    bool refreshing_ = false;
};

}  // namespace varnodel::ui
