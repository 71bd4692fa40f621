#include "ui/CrystallisationTab.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "core/NumberFormat.h"
#include "ui/NumberEdit.h"
#include "ui/TabParts.h"

namespace varnodel::ui {

CrystallisationTab::CrystallisationTab(RunState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      models_(new MineralModelsGrid(state, this)),
      settings_(new CrystallisationSettings(state, this)),
      composition_(new CompositionPanel(state, this)),
      fractionation_(new QTableWidget(static_cast<int>(kMineralCount), 2, this)) {
    fractionation_->setObjectName("FracPerGrid");
    fractionation_->setHorizontalHeaderLabels({"Mineral", "%fr"});
    fractionation_->verticalHeader()->hide();
    for (std::size_t s = 0; s < kMineralCount; ++s) {
        const int row = static_cast<int>(s);
        auto* mineral = new QTableWidgetItem(qText(kPhases[s + 1].name));
        mineral->setFlags(mineral->flags() & ~Qt::ItemIsEditable);
        fractionation_->setItem(row, 0, mineral);
        fractionation_->setItem(row, 1, new QTableWidgetItem());
    }
    fractionation_->resizeColumnToContents(0);
    fractionation_->setColumnWidth(1, fontMetrics().horizontalAdvance("100.000") + 12);
    fractionation_->setFixedWidth(fractionation_->horizontalHeader()->length() +
                                  2 * fractionation_->frameWidth());
    fitRows(fractionation_);

    auto* top = new QGridLayout;
    top->addWidget(models_, 0, 0, Qt::AlignTop);
    top->addWidget(settings_, 0, 1);
    top->addWidget(fractionation_, 0, 2, Qt::AlignTop);
    top->setColumnStretch(0, 3);
    top->setColumnStretch(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(composition_);
    layout->addStretch();

    connect(fractionation_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (refreshing_ || item->column() != 1) return;
        const double value = parseBounded(item->text().toStdString());
        state_.settings.minerals[static_cast<std::size_t>(item->row()) + 1].fractionation = value;
        Q_EMIT changed();
    });
    connect(models_, &MineralModelsGrid::dialogRequested, this,
            &CrystallisationTab::dialogRequested);
    connect(settings_, &CrystallisationSettings::dialogRequested, this,
            &CrystallisationTab::dialogRequested);
    connect(models_, &MineralModelsGrid::changed, this, &CrystallisationTab::changed);
    connect(settings_, &CrystallisationSettings::changed, this, &CrystallisationTab::changed);
    connect(composition_, &CompositionPanel::changed, this, &CrystallisationTab::changed);
}

void CrystallisationTab::refresh() {
    refreshing_ = true;
    models_->refresh();
    settings_->refresh();
    for (std::size_t s = 0; s < kMineralCount; ++s)
        fractionation_->item(static_cast<int>(s), 1)
            ->setText(numberText(state_.settings.minerals[s + 1].fractionation));
    composition_->refresh();
    refreshing_ = false;
}

void CrystallisationTab::setModelsEnabled(bool enabled) {
    models_->setEnabled(enabled);
    settings_->setModelsEnabled(enabled);
}

}  // namespace varnodel::ui
