#include "ui/CrystallisationTab.h"

#include <QHeaderView>
#include <QVBoxLayout>

#include "core/NumberFormat.h"
#include "ui/NumberEdit.h"
#include "ui/TabParts.h"

namespace varnodel::ui {

CrystallisationTab::CrystallisationTab(RunState& state, QWidget* parent)
    : CrystallisationRunTab(state, parent),
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
    auto* part = new QVBoxLayout;
    part->addWidget(fractionation_);
    setOwnPart(part);

    connect(fractionation_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (refreshing_ || item->column() != 1) return;
        const double value = parseBounded(item->text().toStdString());
        state_.settings.minerals[static_cast<std::size_t>(item->row()) + 1].fractionation = value;
        Q_EMIT changed();
    });
}

void CrystallisationTab::refreshOwnPart() {
    refreshing_ = true;
    for (std::size_t s = 0; s < kMineralCount; ++s)
        fractionation_->item(static_cast<int>(s), 1)
            ->setText(numberText(state_.settings.minerals[s + 1].fractionation));
    refreshing_ = false;
}

}  // namespace varnodel::ui
