#include "ui/MineralModelsGrid.h"

#include <QComboBox>
#include <QHeaderView>

#include "ui/RunLabels.h"
#include "ui/TabParts.h"

namespace varnodel::ui {

namespace {

enum ModelColumn { kMineral, kModel, kP, kW, kTr, kModelColumns };

}  // namespace

MineralModelsGrid::MineralModelsGrid(RunState& state, QWidget* parent)
    : QTableWidget(static_cast<int>(kMineralCount), kModelColumns, parent), state_(state) {
    setObjectName("lst_models");
    setHorizontalHeaderLabels({"Mineral", "Model", "P", "W", "Tr"});
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(kModel, QHeaderView::Stretch);
    for (int c : {kP, kW, kTr})
        horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    const auto& sets = state_.registry().mineralSets();
    for (std::size_t s = 0; s < kMineralCount; ++s) {
        const int row = static_cast<int>(s);
        setItem(row, kMineral, new QTableWidgetItem(qText(kPhases[s + 1].name)));
        auto* choice = new QComboBox(this);
        choice->addItem("");
        for (const auto& model : sets[s]->models)
            choice->addItem(QString::fromStdString(model->displayName));
        setCellWidget(row, kModel, choice);
        connect(choice, &QComboBox::currentIndexChanged, this,
                [this, s](int index) { chooseModel(s + 1, index); });
        for (int c = kP; c < kModelColumns; ++c)
            setItem(row, c, new QTableWidgetItem());
    }
    resizeColumnToContents(kMineral);
    fitRows(this);
    connect(this, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { Q_EMIT dialogRequested(DialogId::Models, row + 1); });
}

void MineralModelsGrid::chooseModel(std::size_t mineral, int choice) {
    if (refreshing_) return;
    const auto& models = state_.registry().mineralSets()[mineral - 1]->models;
    for (const auto& model : models)
        model->selected = false;
    TModel* chosen = choice > 0 ? models[static_cast<std::size_t>(choice - 1)].get() : nullptr;
    if (chosen != nullptr) chosen->selected = true;
    state_.slots[mineral] = chosen;
    Q_EMIT changed();
}

void MineralModelsGrid::refresh() {
    refreshing_ = true;
    const auto& sets = state_.registry().mineralSets();
    for (std::size_t s = 0; s < kMineralCount; ++s) {
        const int row = static_cast<int>(s);
        const TModel* model = state_.slots[s + 1];
        int index = 0;
        for (std::size_t m = 0; m < sets[s]->models.size(); ++m)
            if (sets[s]->models[m].get() == model) index = static_cast<int>(m) + 1;
        static_cast<QComboBox*>(cellWidget(row, kModel))->setCurrentIndex(index);
        const TMineralOptions& options = state_.settings.minerals[s + 1];
        const bool has = model != nullptr;
        item(row, kP)->setText(has ? correctionMark(model->usesPressure, options.pressureCorrection)
                                   : "");
        item(row, kW)->setText(has ? correctionMark(model->usesWater, options.h2oCorrection) : "");
        item(row, kTr)->setText(has && model->hasTraces ? "Y" : "");
    }
    refreshing_ = false;
}

}  // namespace varnodel::ui
