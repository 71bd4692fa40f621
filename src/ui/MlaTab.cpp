#include "ui/MlaTab.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <algorithm>

#include "core/SettingsRules.h"
#include "ui/TabParts.h"

namespace varnodel::ui {

namespace {

enum CorrectionColumn { kMineral, kPressure, kWater, kCorrectionColumns };

}  // namespace

MlaTab::MlaTab(RunState& state, MlaChoice& mla, QWidget* parent)
    : QWidget(parent),
      state_(state),
      mla_(mla),
      models_(new QTreeWidget(this)),
      corrections_(new QTableWidget(static_cast<int>(kMineralCount), kCorrectionColumns, this)),
      pressure_(new NumberEdit(kInitialPressure, this)),
      oxidation_(new OxidationLinks(state, this)),
      composition_(new CompositionPanel(state, this)) {
    models_->setObjectName("mla_models");
    pressure_->setObjectName("PressureEdit");
    models_->setHeaderLabels({"Models of the liquidus association"});
    for (const auto& set : state_.registry().mineralSets()) {
        auto* mineral = new QTreeWidgetItem(models_, {QString::fromStdString(set->displayName)});
        for (const auto& model : set->models) {
            auto* item = new QTreeWidgetItem(mineral, {QString::fromStdString(model->displayName)});
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
        }
    }
    models_->expandAll();
    corrections_->setObjectName("LMA_Corr_Grid");
    corrections_->setHorizontalHeaderLabels({"Mineral", "P, deg/kbar", "H2O: dT = -A*H2O^B"});
    corrections_->verticalHeader()->hide();
    corrections_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    corrections_->horizontalHeader()->setStretchLastSection(true);
    corrections_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (std::size_t s = 0; s < kMineralCount; ++s)
        for (int c = 0; c < kCorrectionColumns; ++c)
            corrections_->setItem(
                static_cast<int>(s), c,
                new QTableWidgetItem(c == kMineral ? qText(kPhases[s + 1].name) : QString()));

    fitRows(corrections_);
    auto* side = new QGridLayout;
    side->addWidget(new QLabel("Corrections for  models ", this), 0, 0, 1, 2);
    side->addWidget(corrections_, 1, 0, 1, 2);
    side->addWidget(new QLabel("Pressure, kbar:", this), 2, 0);
    side->addWidget(pressure_, 2, 1);
    side->addWidget(oxidation_, 3, 0, 1, 2);
    side->setColumnStretch(1, 1);
    auto* layout = new QGridLayout(this);
    layout->addWidget(models_, 0, 0);
    layout->addLayout(side, 0, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->addWidget(composition_, 1, 0, 1, 2);
    layout->setRowStretch(2, 1);

    connect(models_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        QTreeWidgetItem* mineral = item->parent();
        if (refreshing_ || mineral == nullptr) return;
        const auto s = static_cast<std::size_t>(models_->indexOfTopLevelItem(mineral));
        const auto m = static_cast<std::size_t>(mineral->indexOfChild(item));
        auto& chosen = mla_.models[s];
        chosen.erase(std::remove(chosen.begin(), chosen.end(), m), chosen.end());
        if (item->checkState(0) == Qt::Checked) {
            chosen.push_back(m);
            std::sort(chosen.begin(), chosen.end());
        }
        Q_EMIT changed();
    });
    connect(corrections_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == kPressure) Q_EMIT dialogRequested(DialogId::PressureCorrection, row + 1);
        if (column == kWater) Q_EMIT dialogRequested(DialogId::H2oCorrection, row + 1);
    });
    connect(oxidation_, &OxidationLinks::dialogRequested, this, &MlaTab::dialogRequested);
    connect(pressure_, &NumberEdit::valueEdited, this, [this](double value) {
        state_.composition.pressureBlock.pressure = value;
        Q_EMIT changed();
    });
    connect(composition_, &CompositionPanel::changed, this, &MlaTab::changed);
}

void MlaTab::refresh() {
    refreshing_ = true;
    for (int s = 0; s < models_->topLevelItemCount(); ++s) {
        QTreeWidgetItem* mineral = models_->topLevelItem(s);
        const auto& chosen = mla_.models[static_cast<std::size_t>(s)];
        for (int m = 0; m < mineral->childCount(); ++m) {
            const bool on = std::find(chosen.begin(), chosen.end(), static_cast<std::size_t>(m)) !=
                            chosen.end();
            mineral->child(m)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
        }
    }
    for (std::size_t s = 0; s < kMineralCount; ++s) {
        const TMineralOptions& o = state_.settings.minerals[s + 1];
        const int row = static_cast<int>(s);
        corrections_->item(row, kPressure)
            ->setText(o.pressureCorrection ? numberText(o.pressureSlope) : "none");
        corrections_->item(row, kWater)
            ->setText(o.h2oCorrection ? "A = " + numberText(o.h2oA) + ", B = " + numberText(o.h2oB)
                                      : "none");
    }
    pressure_->setValue(state_.composition.pressureBlock.pressure);
    oxidation_->refresh();
    composition_->refresh();
    refreshing_ = false;
}

void MlaTab::setModelsEnabled(bool enabled) {
    models_->setEnabled(enabled);
    oxidation_->setModelsEnabled(enabled);
}

}  // namespace varnodel::ui
