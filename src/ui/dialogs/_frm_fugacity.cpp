#include "ui/dialogs/_frm_fugacity.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/SettingsRules.h"

namespace varnodel::ui {

QString bufferWithShift(const TParameters& p) {
    const QString name = "'" + QString::fromStdString(p.bufferModel) + "'";
    if (p.bufferOffset > 0.0) return numberText(p.bufferOffset) + "+" + name;
    if (p.bufferOffset < 0.0) return name + numberText(p.bufferOffset);
    return name;
}

Tfrm_fugacity::Tfrm_fugacity(DialogContext& context, Tfrm_oxydation_state& models,
                             Tfrm_oxygen_buffers& buffers, QWidget* parent)
    : SettingsDialog(context, "Oxygen fugacity advanced options", parent),
      models_(models),
      buffers_(buffers),
      Oxigen_Buf_(new QRadioButton("Oxigen Buffers", this)),
      Fe3Fo_(new QRadioButton("Dependence from Olivine composition", this)),
      Fe_ratio_(new QRadioButton("Constant Fe2/Fe3 ratio", this)),
      Fe3_separate_(new QRadioButton("Closed system for oxygen", this)),
      A_Fe3Fo_(new NumberEdit(kOlivineEquation, this)),
      B_Fe3Fo_(new NumberEdit(kOlivineEquation, this)),
      Fe2_Fe3_const_(new NumberEdit(kFixedRatio, this)),
      modelLabel_(new QPushButton(this)),
      bufferLabel_(new QPushButton(this)) {
    Oxigen_Buf_->setObjectName("Oxigen_Buf");
    Fe3Fo_->setObjectName("Fe3Fo");
    Fe_ratio_->setObjectName("Fe_ratio");
    Fe3_separate_->setObjectName("Fe3_separate");
    A_Fe3Fo_->setObjectName("A_Fe3Fo");
    B_Fe3Fo_->setObjectName("B_Fe3Fo");
    Fe2_Fe3_const_->setObjectName("Fe2_Fe3_const");
    modelLabel_->setObjectName("lbl_oxydation_model");
    bufferLabel_->setObjectName("lbl_buffer");
    for (QPushButton* label : {modelLabel_, bufferLabel_}) {
        label->setFlat(true);
        label->setAutoDefault(false);
        label->setCursor(Qt::PointingHandCursor);
        label->setStyleSheet("text-decoration: underline; text-align: left;");
    }

    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(Oxigen_Buf_, row++, 0, 1, 4);
    grid->addWidget(new QLabel("Model:", this), row, 1);
    grid->addWidget(modelLabel_, row++, 2, 1, 2);
    grid->addWidget(new QLabel("Buffer:", this), row, 1);
    grid->addWidget(bufferLabel_, row++, 2, 1, 2);
    grid->addWidget(Fe3Fo_, row++, 0, 1, 4);
    grid->addWidget(new QLabel("Fe2/Fe3 =", this), row, 1);
    grid->addWidget(A_Fe3Fo_, row, 2);
    grid->addWidget(new QLabel("*Fo(%)+", this), row, 3);
    grid->addWidget(B_Fe3Fo_, row++, 4);
    grid->addWidget(Fe_ratio_, row, 0, 1, 2);
    grid->addWidget(Fe2_Fe3_const_, row++, 2);
    grid->addWidget(Fe3_separate_, row++, 0, 1, 4);
    grid->setColumnMinimumWidth(0, 16);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    addCloseButtons(layout);

    for (QRadioButton* mode : {Oxigen_Buf_, Fe3Fo_, Fe_ratio_, Fe3_separate_})
        connect(mode, &QRadioButton::toggled, this, &Tfrm_fugacity::enableEdits);
    connect(modelLabel_, &QPushButton::clicked, this, [this] { openDialog(&models_); });
    connect(bufferLabel_, &QPushButton::clicked, this, [this] { openDialog(&buffers_); });
    connect(&models_, &SettingsDialog::stored, this, &Tfrm_fugacity::refreshLabels);
    connect(&buffers_, &SettingsDialog::stored, this, &Tfrm_fugacity::refreshLabels);
}

void Tfrm_fugacity::refreshLabels() {
    QString model;
    for (const auto& m : state().registry().oxidationModels().models)
        if (m->shortName == parameters().oxidationModel)
            model = QString::fromStdString(m->displayName);
    modelLabel_->setText(model);
    bufferLabel_->setText(bufferWithShift(parameters()));
}

void Tfrm_fugacity::enableEdits() {
    A_Fe3Fo_->setEnabled(Fe3Fo_->isChecked());
    B_Fe3Fo_->setEnabled(Fe3Fo_->isChecked());
    Fe2_Fe3_const_->setEnabled(Fe_ratio_->isChecked());
}

void Tfrm_fugacity::load() {
    const TParameters& p = parameters();
    refreshLabels();
    A_Fe3Fo_->setValue(p.equationA);
    B_Fe3Fo_->setValue(p.equationB);
    Fe2_Fe3_const_->setValue(p.fixedRatio);
    const bool olivineAlone = olivineEquationBlocker(state().slots) == 0;
    Fe3Fo_->setEnabled(olivineAlone);
    QRadioButton* mode = Oxigen_Buf_;
    // With other minerals chosen since, the olivine equation cannot be kept: the buffer
    // takes its place, as a settings file would be refused.
    if (p.equationMode && olivineAlone) mode = Fe3Fo_;
    if (p.fixedRatioMode) mode = Fe_ratio_;
    if (p.closedSystemMode) mode = Fe3_separate_;
    mode->setChecked(true);
    enableEdits();
}

void Tfrm_fugacity::store() {
    TParameters& p = parameters();
    p.equationA = A_Fe3Fo_->value();
    p.equationB = B_Fe3Fo_->value();
    p.fixedRatio = Fe2_Fe3_const_->value();
    p.bufferMode = Oxigen_Buf_->isChecked();
    p.equationMode = Fe3Fo_->isChecked() && Fe3Fo_->isEnabled();
    p.fixedRatioMode = Fe_ratio_->isChecked();
    p.closedSystemMode = Fe3_separate_->isChecked();
    if (!p.equationMode && !p.fixedRatioMode && !p.closedSystemMode) p.bufferMode = true;
}

}  // namespace varnodel::ui
