#include "ui/MlaTab.h"

#include <QGridLayout>
#include <QLabel>
#include <algorithm>

#include "core/SettingsRules.h"

namespace varnodel::ui {

MlaTab::MlaTab(RunState& state, MlaChoice& mla, QWidget* parent)
    : QWidget(parent),
      state_(state),
      mla_(mla),
      models_(new QTreeWidget(this)),
      pressure_(new NumberEdit(kInitialPressure, this)),
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
    auto* layout = new QGridLayout(this);
    layout->addWidget(models_, 0, 0, 3, 1);
    layout->addWidget(new QLabel("Pressure, kbar:", this), 0, 1);
    layout->addWidget(pressure_, 0, 2);
    layout->setRowStretch(1, 1);
    layout->addWidget(composition_, 3, 0, 1, 3);

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
    pressure_->setValue(state_.composition.pressureBlock.pressure);
    composition_->refresh();
    refreshing_ = false;
}

}  // namespace varnodel::ui
