#include "ui/dialogs/_frm_pressure.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QVBoxLayout>

#include "core/NumberFormat.h"
#include "core/SettingsRules.h"

namespace varnodel::ui {

namespace {

enum StepColumn { kStep, kPressure, kDegree, kStepColumns };

}  // namespace

Tfrm_pressure::Tfrm_pressure(DialogContext& context, QWidget* parent)
    : SettingsDialog(context, "Pressure settings", parent),
      Pressure_const_check_(new QRadioButton("Keep pressure constant, kbar:", this)),
      dPdT_check_(new QRadioButton("dP/dT gradient, bar/degree", this)),
      pressure_steps_check_(new QRadioButton("Set pressure steps", this)),
      Pressure_const_(new NumberEdit(kInitialPressure, this)),
      dPdT_Edit_(new NumberEdit(kDpDt, this)),
      Pressure_step_Grid_(new QTableWidget(static_cast<int>(kPressureSteps), kStepColumns, this)) {
    Pressure_const_check_->setObjectName("Pressure_const_check");
    dPdT_check_->setObjectName("dPdT_check");
    pressure_steps_check_->setObjectName("pressure_steps_check");
    Pressure_const_->setObjectName("Pressure_const");
    dPdT_Edit_->setObjectName("dPdT_Edit");
    Pressure_step_Grid_->setObjectName("Pressure_step_Grid");
    Pressure_step_Grid_->horizontalHeader()->hide();
    Pressure_step_Grid_->verticalHeader()->hide();
    Pressure_step_Grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    compactRows(Pressure_step_Grid_);
    Pressure_step_Grid_->setFixedHeight(
        Pressure_step_Grid_->verticalHeader()->defaultSectionSize() *
            static_cast<int>(kPressureSteps) +
        4);

    auto* group = new QGroupBox("Advanced settings", this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(Pressure_const_check_, 0, 0);
    grid->addWidget(Pressure_const_, 0, 1);
    grid->addWidget(dPdT_check_, 1, 0);
    grid->addWidget(dPdT_Edit_, 1, 1);
    grid->addWidget(pressure_steps_check_, 2, 0);
    grid->addWidget(Pressure_step_Grid_, 3, 0, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    addCloseButtons(layout);

    connect(Pressure_const_check_, &QRadioButton::clicked, this, [this] {
        block().dPdTMode = block().stepsMode = false;
        load();
    });
    connect(dPdT_check_, &QRadioButton::clicked, this, [this] {
        block().dPdTMode = true;
        block().stepsMode = false;
        load();
    });
    connect(pressure_steps_check_, &QRadioButton::clicked, this, [this] {
        block().dPdTMode = false;
        block().stepsMode = true;
        load();
    });
    connect(Pressure_const_, &QLineEdit::editingFinished, this, &Tfrm_pressure::readConstant);
    connect(dPdT_Edit_, &QLineEdit::editingFinished, this, &Tfrm_pressure::readGradient);
    connect(Pressure_step_Grid_, &QTableWidget::itemChanged, this, [this] {
        if (!loading_) readSteps();
    });
}

void Tfrm_pressure::readConstant() {
    block().pressure = Pressure_const_->value();
}

void Tfrm_pressure::readGradient() {
    block().dPdT = dPdT_Edit_->value();
}

// Row 1 is where the path starts, the current pressure; the steps follow.
void Tfrm_pressure::readSteps() {
    auto cell = [this](int row, int column, Bounds bounds) {
        const QTableWidgetItem* item = Pressure_step_Grid_->item(row, column);
        return item == nullptr ? 0.0
                               : parseBounded(item->text().toStdString(), bounds.min, bounds.max);
    };
    block().pressure = cell(1, kPressure, kInitialPressure);
    for (std::size_t r = 1; r + 1 < kPressureSteps; ++r) {
        const int row = static_cast<int>(r) + 1;
        block().steps[r] = {cell(row, kPressure, kEntryDefault), cell(row, kDegree, kEntryDefault)};
    }
}

void Tfrm_pressure::load() {
    const TPressureBlock& p = block();
    loading_ = true;
    Pressure_const_->setValue(p.pressure);
    dPdT_Edit_->setValue(p.dPdT);
    auto set = [this](int row, int column, const QString& text, bool editable) {
        auto* item = new QTableWidgetItem(text);
        if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        Pressure_step_Grid_->setItem(row, column, item);
    };
    set(0, kStep, "Step", false);
    set(0, kPressure, "P,kb", false);
    set(0, kDegree, "F,%", false);
    set(1, kStep, "1", false);
    set(1, kPressure, numberText(p.pressure), true);
    set(1, kDegree, "0", false);
    for (std::size_t r = 1; r + 1 < kPressureSteps; ++r) {
        const int row = static_cast<int>(r) + 1;
        const bool given = p.steps[r][1] > 0.0;
        set(row, kStep, QString::number(row), false);
        set(row, kPressure, given ? numberText(p.steps[r][0]) : QString(), true);
        set(row, kDegree, given ? numberText(p.steps[r][1]) : QString(), true);
    }
    QRadioButton* mode = Pressure_const_check_;
    if (p.stepsMode) mode = pressure_steps_check_;
    if (p.dPdTMode) mode = dPdT_check_;
    mode->setChecked(true);
    loading_ = false;
}

void Tfrm_pressure::store() {
    if (pressure_steps_check_->isChecked())
        readSteps();
    else if (dPdT_check_->isChecked())
        readGradient();
    else
        readConstant();
}

}  // namespace varnodel::ui
