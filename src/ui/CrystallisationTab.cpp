#include "ui/CrystallisationTab.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "core/NumberFormat.h"
#include "core/SettingsRules.h"
#include "ui/RunLabels.h"

namespace varnodel::ui {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

enum ModelColumn { kMineral, kModel, kP, kW, kTr, kModelColumns };

}  // namespace

CrystallisationTab::CrystallisationTab(RunState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      models_(new QTableWidget(static_cast<int>(kMineralCount), kModelColumns, this)),
      viscosity_(new QComboBox(this)),
      density_(new QComboBox(this)),
      stop_(new QLabel(this)),
      pressure_(new NumberEdit(kInitialPressure, this)),
      pressureMode_(new QLabel(this)),
      step_(new NumberEdit(kCalculationStep, this)),
      oxidation_(new QLabel(this)),
      composition_(new CompositionPanel(state, this)),
      fractionation_(new QTableWidget(static_cast<int>(kMineralCount), 2, this)),
      cotectic_(new QCheckBox("As Pl-Ol cotectic", this)),
      saturated_(new QCheckBox("H2O saturated", this)) {
    models_->setObjectName("lst_models");
    pressure_->setObjectName("PressureEdit");
    step_->setObjectName("CalcStepEdit1");
    stop_->setObjectName("Condition");
    oxidation_->setObjectName("lst_oxydation_models");
    fractionation_->setObjectName("FracPerGrid");
    cotectic_->setObjectName("Cotectic");
    saturated_->setObjectName("H2Osaturated");

    models_->setHorizontalHeaderLabels({"Mineral", "Model", "P", "W", "Tr"});
    models_->verticalHeader()->hide();
    models_->horizontalHeader()->setSectionResizeMode(kModel, QHeaderView::Stretch);
    fractionation_->setHorizontalHeaderLabels({"Mineral", "%fr"});
    fractionation_->verticalHeader()->hide();
    const auto& sets = state_.registry().mineralSets();
    for (std::size_t s = 0; s < kMineralCount; ++s) {
        const int row = static_cast<int>(s);
        const QString mineral = text(kPhases[s + 1].name);
        models_->setItem(row, kMineral, new QTableWidgetItem(mineral));
        auto* choice = new QComboBox(models_);
        choice->addItem("");
        for (const auto& model : sets[s]->models)
            choice->addItem(QString::fromStdString(model->displayName));
        models_->setCellWidget(row, kModel, choice);
        connect(choice, &QComboBox::currentIndexChanged, this,
                [this, s](int index) { chooseModel(s + 1, index); });
        for (int c = kP; c < kModelColumns; ++c)
            models_->setItem(row, c, new QTableWidgetItem());
        fractionation_->setItem(row, 0, new QTableWidgetItem(mineral));
        fractionation_->setItem(row, 1, new QTableWidgetItem());
    }
    for (const auto name : kViscosityNames)
        viscosity_->addItem(text(name));
    for (const auto name : kDensityNames)
        density_->addItem(text(name));

    auto* form = new QGridLayout;
    int row = 0;
    form->addWidget(new QLabel("Viscosity:", this), row, 0);
    form->addWidget(viscosity_, row++, 1);
    form->addWidget(new QLabel("Density:", this), row, 0);
    form->addWidget(density_, row++, 1);
    form->addWidget(stop_, row++, 0, 1, 2);
    form->addWidget(new QLabel("Pressure, kbar:", this), row, 0);
    form->addWidget(pressure_, row++, 1);
    form->addWidget(new QLabel("Pressure:", this), row, 0);
    form->addWidget(pressureMode_, row++, 1);
    form->addWidget(new QLabel("Calculation step, %:", this), row, 0);
    form->addWidget(step_, row++, 1);
    form->addWidget(oxidation_, row++, 0, 1, 2);
    form->addWidget(cotectic_, row++, 0, 1, 2);
    form->addWidget(saturated_, row++, 0, 1, 2);
    auto* top = new QGridLayout;
    top->addWidget(models_, 0, 0);
    top->addLayout(form, 0, 1);
    top->addWidget(fractionation_, 0, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(composition_);

    connect(viscosity_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (refreshing_) return;
        state_.settings.parameters.viscosityModel = static_cast<ViscosityModel>(index);
        Q_EMIT changed();
    });
    connect(density_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (refreshing_) return;
        state_.settings.parameters.densityModel = static_cast<DensityModel>(index);
        Q_EMIT changed();
    });
    connect(pressure_, &NumberEdit::valueEdited, this, [this](double value) {
        state_.composition.pressureBlock.pressure = value;
        Q_EMIT changed();
    });
    connect(step_, &NumberEdit::valueEdited, this, [this](double value) {
        state_.settings.parameters.calculationStep = value;
        Q_EMIT changed();
    });
    connect(fractionation_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (refreshing_ || item->column() != 1) return;
        const double value = parseBounded(item->text().toStdString());
        state_.settings.minerals[static_cast<std::size_t>(item->row()) + 1].fractionation = value;
        Q_EMIT changed();
    });
    connect(cotectic_, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_) return;
        state_.settings.parameters.cotecticOption = on;
        if (on) applyCotecticSwitch(state_.settings);
        Q_EMIT changed();
    });
    connect(saturated_, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_) return;
        state_.settings.parameters.h2oSaturatedOption = on;
        Q_EMIT changed();
    });
    connect(composition_, &CompositionPanel::changed, this, &CrystallisationTab::changed);
}

void CrystallisationTab::chooseModel(std::size_t mineral, int choice) {
    if (refreshing_) return;
    const auto& models = state_.registry().mineralSets()[mineral - 1]->models;
    for (const auto& model : models)
        model->selected = false;
    TModel* chosen = choice > 0 ? models[static_cast<std::size_t>(choice - 1)].get() : nullptr;
    if (chosen != nullptr) chosen->selected = true;
    state_.slots[mineral] = chosen;
    Q_EMIT changed();
}

void CrystallisationTab::refresh() {
    refreshing_ = true;
    const auto& sets = state_.registry().mineralSets();
    for (std::size_t s = 0; s < kMineralCount; ++s) {
        const int row = static_cast<int>(s);
        const TModel* model = state_.slots[s + 1];
        int index = 0;
        for (std::size_t m = 0; m < sets[s]->models.size(); ++m)
            if (sets[s]->models[m].get() == model) index = static_cast<int>(m) + 1;
        auto* choice = static_cast<QComboBox*>(models_->cellWidget(row, kModel));
        choice->setCurrentIndex(index);
        const TMineralOptions& options = state_.settings.minerals[s + 1];
        const bool has = model != nullptr;
        models_->item(row, kP)->setText(
            has ? correctionMark(model->usesPressure, options.pressureCorrection) : "");
        models_->item(row, kW)->setText(
            has ? correctionMark(model->usesWater, options.h2oCorrection) : "");
        models_->item(row, kTr)->setText(has && model->hasTraces ? "Y" : "");
        fractionation_->item(row, 1)->setText(numberText(options.fractionation));
    }
    const TParameters& p = state_.settings.parameters;
    viscosity_->setCurrentIndex(static_cast<int>(p.viscosityModel));
    density_->setCurrentIndex(static_cast<int>(p.densityModel));
    stop_->setText(stopLabel(state_));
    pressure_->setValue(state_.composition.pressureBlock.pressure);
    pressureMode_->setText(pressureModeLabel(state_.composition.pressureBlock));
    step_->setValue(p.calculationStep);
    oxidation_->setText(oxidationLabel(state_));
    cotectic_->setChecked(p.cotecticOption);
    saturated_->setChecked(p.h2oSaturatedOption);
    composition_->refresh();
    refreshing_ = false;
}

void CrystallisationTab::setModelsEnabled(bool enabled) {
    models_->setEnabled(enabled);
    viscosity_->setEnabled(enabled);
    density_->setEnabled(enabled);
}

}  // namespace varnodel::ui
