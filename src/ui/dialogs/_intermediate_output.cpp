#include "ui/dialogs/_intermediate_output.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/SettingsRules.h"

namespace varnodel::ui {

namespace {

struct Interval {
    const char* box;
    const char* caption;
    const char* edit;
    const char* unit;
    bool TParameters::*flag;
    double TParameters::*value;
};

const std::array<Interval, TIntermediate_output::kIntervals> kRows{{
    {"OutputFrac", "Use degree of crystallisation", "IntofFrac", " % (Interval of F)",
     &TParameters::outputByCrystallisation, &TParameters::outputCrystallisation},
    {"OutputFo", "Use Olivine composition", "IntOfFo", "mol % (Interval of Fo)",
     &TParameters::outputByFo, &TParameters::outputFo},
    {"OutputAn", "Use Plagioclase composition", "IntofPl", "mol % (Interval of An)",
     &TParameters::outputByAn, &TParameters::outputAn},
    {"OutputCpx", "Use Clinopyroxene composition", "IntofCpx", "mol % (Interval of Mg#)",
     &TParameters::outputByClinopyroxene, &TParameters::outputClinopyroxene},
    {"OutputOpx", "Use Orthopyroxene composition", "IntofOpx", "mol % (Interval of Mg#)",
     &TParameters::outputByOrthopyroxene, &TParameters::outputOrthopyroxene},
    {"OutputPig", "Use Pigeonite composition", "IntofPig", "mol % (Interval of Mg#)",
     &TParameters::outputByPigeonite, &TParameters::outputPigeonite},
    {"OutputTemp", "Use Temperature", "IntofTemp", "\u00b0C (Interval of T)",
     &TParameters::outputByTemperature, &TParameters::outputTemperature},
}};

}  // namespace

TIntermediate_output::TIntermediate_output(DialogContext& context, QWidget* parent)
    : SettingsDialog(context, "Conditions for Intermediate output", parent),
      traceDecimals_(new QSpinBox(this)) {
    auto* grid = new QGridLayout;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const Interval& row = kRows[i];
        boxes_[i] = new QCheckBox(row.caption, this);
        boxes_[i]->setObjectName(row.box);
        intervals_[i] = new NumberEdit(kOutputInterval, this);
        intervals_[i]->setObjectName(row.edit);
        const int r = static_cast<int>(i);
        grid->addWidget(boxes_[i], r, 0);
        grid->addWidget(intervals_[i], r, 1);
        grid->addWidget(new QLabel(QString::fromUtf8(row.unit), this), r, 2);
        connect(boxes_[i], &QCheckBox::clicked, this, [this, i](bool on) {
            parameters().*kRows[i].flag = on;
            load();
        });
        connect(intervals_[i], &NumberEdit::valueEdited, this,
                [this, i](double value) { parameters().*kRows[i].value = value; });
    }
    traceDecimals_->setObjectName("TraceDecimals");
    traceDecimals_->setRange(static_cast<int>(kTraceDecimals.min),
                             static_cast<int>(kTraceDecimals.max));
    // Below the grid, so that its long label leaves the grid's columns as they are.
    auto* decimals = new QHBoxLayout;
    decimals->addWidget(new QLabel("Decimals of trace elements (ppm) in the results:", this));
    decimals->addWidget(traceDecimals_);
    decimals->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(decimals);
    addCloseButtons(layout);
}

void TIntermediate_output::load() {
    const TParameters& p = parameters();
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        boxes_[i]->setChecked(p.*kRows[i].flag);
        intervals_[i]->setValue(p.*kRows[i].value);
    }
    traceDecimals_->setValue(p.traceDecimals);
}

void TIntermediate_output::store() {
    TParameters& p = parameters();
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        p.*kRows[i].flag = boxes_[i]->isChecked();
        if (p.*kRows[i].flag) p.*kRows[i].value = intervals_[i]->value();
    }
    p.traceDecimals = traceDecimals_->value();
}

}  // namespace varnodel::ui
