#include "ui/CrystallisationRunTab.h"

#include <QVBoxLayout>

namespace varnodel::ui {

CrystallisationRunTab::CrystallisationRunTab(RunState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      models_(new MineralModelsGrid(state, this)),
      settings_(new CrystallisationSettings(state, this)),
      composition_(new CompositionPanel(state, this)),
      top_(new QGridLayout) {
    top_->addWidget(models_, 0, 0, Qt::AlignTop);
    top_->addWidget(settings_, 0, 1);
    top_->setColumnStretch(0, 3);
    top_->setColumnStretch(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top_);
    layout->addWidget(composition_);
    layout->addStretch();

    connect(models_, &MineralModelsGrid::dialogRequested, this,
            &CrystallisationRunTab::dialogRequested);
    connect(settings_, &CrystallisationSettings::dialogRequested, this,
            &CrystallisationRunTab::dialogRequested);
    connect(models_, &MineralModelsGrid::changed, this, &CrystallisationRunTab::changed);
    connect(settings_, &CrystallisationSettings::changed, this, &CrystallisationRunTab::changed);
    connect(composition_, &CompositionPanel::changed, this, &CrystallisationRunTab::changed);
}

void CrystallisationRunTab::setOwnPart(QLayout* part) {
    top_->addLayout(part, 0, 2, Qt::AlignTop);
}

void CrystallisationRunTab::refresh() {
    models_->refresh();
    settings_->refresh();
    refreshOwnPart();
    composition_->refresh();
}

void CrystallisationRunTab::setModelsEnabled(bool enabled) {
    models_->setEnabled(enabled);
    settings_->setModelsEnabled(enabled);
}

}  // namespace varnodel::ui
