// "Oxygen fugacity advanced options": how the melt's Fe2/Fe3 is fixed - on a buffer, from the
// olivine composition, as a constant ratio or by a closed system for oxygen.
#pragma once

#include <QPushButton>
#include <QRadioButton>

#include "ui/NumberEdit.h"
#include "ui/dialogs/DialogBase.h"
#include "ui/dialogs/_frm_oxydation_state.h"
#include "ui/dialogs/_frm_oxygen_buffers.h"

namespace varnodel::ui {

class Tfrm_fugacity : public SettingsDialog {
    Q_OBJECT
  public:
    Tfrm_fugacity(DialogContext& context, Tfrm_oxydation_state& models,
                  Tfrm_oxygen_buffers& buffers, QWidget* parent = nullptr);
    void load() override;

  protected:
    void store() override;

  private:
    void refreshLabels();
    void enableEdits();

    Tfrm_oxydation_state& models_;
    Tfrm_oxygen_buffers& buffers_;
    QRadioButton* Oxigen_Buf_;
    QRadioButton* Fe3Fo_;
    QRadioButton* Fe_ratio_;
    QRadioButton* Fe3_separate_;
    NumberEdit* A_Fe3Fo_;
    NumberEdit* B_Fe3Fo_;
    NumberEdit* Fe2_Fe3_const_;
    QPushButton* modelLabel_;
    QPushButton* bufferLabel_;
};

// The buffer as the dialog names it: 'QFM', 1+'QFM' for a shift of 1, 'QFM'-1 for one of -1.
QString bufferWithShift(const TParameters& parameters);

}  // namespace varnodel::ui
