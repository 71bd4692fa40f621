#include "ui/dialogs/_frm_models.h"

#include <QHeaderView>
#include <QVBoxLayout>

#include "ui/RunLabels.h"

namespace varnodel::ui {

namespace {

enum Column { kMark, kName, kPressure, kWater, kTraces, kColumns };

}  // namespace

Tfrm_models::Tfrm_models(DialogContext& context, Tpressure_correction& pressure,
                         Th2o_correction& h2o, Tfrm_Kd& kd, QWidget* parent)
    : SettingsDialog(context, "MINERAL models", parent),
      pressure_(pressure),
      h2o_(h2o),
      kd_(kd),
      lst_calculations_models_(new QTableWidget(0, kColumns, this)),
      Kd_checkbox_(new QCheckBox("Use Kd for composition", this)) {
    lst_calculations_models_->setObjectName("lst_calculations_models");
    Kd_checkbox_->setObjectName("Kd_checkbox");
    lst_calculations_models_->setHorizontalHeaderLabels({"x", "Model", "P", "W", "Tr"});
    lst_calculations_models_->verticalHeader()->hide();
    lst_calculations_models_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lst_calculations_models_->setSelectionMode(QAbstractItemView::NoSelection);
    QHeaderView* header = lst_calculations_models_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(kName, QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Select models for calculations:", this));
    layout->addWidget(lst_calculations_models_);
    layout->addWidget(Kd_checkbox_);
    addCloseButtons(layout);
    compactRows(lst_calculations_models_);
    resize(520, 480);

    connect(lst_calculations_models_, &QTableWidget::cellClicked, this, &Tfrm_models::clickCell);
    connect(lst_calculations_models_, &QTableWidget::cellDoubleClicked, this,
            &Tfrm_models::clickCell);
    connect(&pressure_, &SettingsDialog::stored, this, &Tfrm_models::refreshMarks);
    connect(&h2o_, &SettingsDialog::stored, this, &Tfrm_models::refreshMarks);
    connect(Kd_checkbox_, &QCheckBox::clicked, this, [this](bool on) {
        TParameters& p = parameters();
        p.olivineKdModelOption = on;
        if (on) {
            openDialog(&kd_);
        } else {
            p.fixedKdOption = p.lnKdOption = p.sobolevQuellmarkOption = p.toplisOption = false;
        }
    });
}

const TSetOfModels& Tfrm_models::set() const {
    return state().registry().mineralSet(static_cast<Phase>(mineral()));
}

void Tfrm_models::load() {
    const TSetOfModels& models = set();
    setWindowTitle("Select models for <" + QString::fromStdString(models.displayName) + ">");
    Kd_checkbox_->setVisible(models.displayName == "Olivine");
    Kd_checkbox_->setChecked(parameters().olivineKdModelOption);
    marked_ = -1;
    lst_calculations_models_->setRowCount(static_cast<int>(models.models.size()));
    for (std::size_t i = 0; i < models.models.size(); ++i) {
        const TModel& model = *models.models[i];
        const int row = static_cast<int>(i);
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem;
            if (!model.unavailable.empty()) {
                item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
                item->setToolTip(QString::fromStdString(model.unavailable));
            }
            lst_calculations_models_->setItem(row, c, item);
        }
        lst_calculations_models_->item(row, kName)
            ->setText(QString::fromStdString(model.displayName));
        if (&model == state().slots[mineral()]) marked_ = row;
    }
    refreshMarks();
}

void Tfrm_models::refreshMarks() {
    const TSetOfModels& models = set();
    const TMineralOptions& options = mineralOptions();
    for (int row = 0; row < lst_calculations_models_->rowCount(); ++row) {
        const TModel& model = *models.models[static_cast<std::size_t>(row)];
        const bool marked = row == marked_;
        auto cell = [&](int column, const QString& text) {
            lst_calculations_models_->item(row, column)->setText(text);
        };
        cell(kMark, marked ? "Y" : "");
        cell(kPressure, correctionMark(model.usesPressure, marked && options.pressureCorrection));
        cell(kWater, correctionMark(model.usesWater, marked && options.h2oCorrection));
        cell(kTraces, model.hasTraces ? "Y" : "");
    }
}

void Tfrm_models::clickCell(int row, int column) {
    const TSetOfModels& models = set();
    if (row < 0 || row >= static_cast<int>(models.models.size())) return;
    const TModel& model = *models.models[static_cast<std::size_t>(row)];
    if (!model.unavailable.empty()) {
        if (context_.message)
            context_.message(QString::fromStdString(model.displayName + ": " + model.unavailable));
        return;
    }
    marked_ = column == kName && row == marked_ ? -1 : row;
    // The trace elements that the mineral's model computes follow the model clicked.
    auto& choices = mineralOptions().traceChoices;
    for (std::string& choice : choices)
        if (choice == "Model") choice = "Kd";
    if (model.hasTraces)
        for (std::size_t e = 0; e < kTraceCount; ++e)
            if (model.forTrace[e]) choices[e] = "Model";
    refreshMarks();
    if (column == kPressure) openDialog(&pressure_);
    if (column == kWater) openDialog(&h2o_);
}

void Tfrm_models::store() {
    const TSetOfModels& models = set();
    TModel*& slot = state().slots[mineral()];
    slot = nullptr;
    for (std::size_t i = 0; i < models.models.size(); ++i) {
        const bool chosen = static_cast<int>(i) == marked_;
        models.models[i]->selected = chosen;
        if (chosen) slot = models.models[i].get();
    }
}

}  // namespace varnodel::ui
