#include "ui/dialogs/_exclude_mineral_form.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "core/SettingsRules.h"

namespace varnodel::ui {

namespace {

struct Limit {
    const char* box;
    const char* caption;  // the composition's takes the mineral's label
    const char* edit;
    const char* unit;
    Bounds bounds;
};

constexpr std::array<Limit, 4> kLimits{{
    {"Temperature", "at T =", "LastT", "\u00b0C", kExclusionTemperature},
    {"MeltMgO", "At Melt MgO =", "LastMg", "wt %", kEntryDefault},
    {"Fo_content", " at Fo =", "LastFo", "mol %", kEntryDefault},
    {"Composition", "", "FinalComp", "mol %", kEntryDefault},
}};

}  // namespace

TExclude_Mineral::TExclude_Mineral(DialogContext& context, QWidget* parent)
    : SettingsDialog(context, "Exclude mineral", parent) {
    auto* grid = new QGridLayout;
    for (std::size_t i = 0; i < kLimits.size(); ++i) {
        const Limit& limit = kLimits[i];
        boxes_[i] = new QCheckBox(QString::fromUtf8(limit.caption), this);
        boxes_[i]->setObjectName(limit.box);
        limits_[i] = new NumberEdit(limit.bounds, this);
        limits_[i]->setObjectName(limit.edit);
        units_[i] = new QLabel(QString::fromUtf8(limit.unit), this);
        const int r = static_cast<int>(i);
        grid->addWidget(boxes_[i], r, 0);
        grid->addWidget(limits_[i], r, 1);
        grid->addWidget(units_[i], r, 2);
        connect(boxes_[i], &QCheckBox::toggled, limits_[i], &QWidget::setEnabled);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    addCloseButtons(layout);
}

void TExclude_Mineral::load() {
    const std::size_t m = mineral();
    setWindowTitle("Conditions for exclusion of " + qText(kPhases[m].name));
    boxes_[Exclusion::Composition]->setText(qText(kPhases[m].compositionLabel).trimmed());
    // Ilmenite and magnetite are never tested against olivine or a composition of their own.
    const bool oxide = m == static_cast<std::size_t>(Phase::Ilmenite) ||
                       m == static_cast<std::size_t>(Phase::Magnetite);
    const TMineralOptions& options = mineralOptions();
    for (std::size_t i = 0; i < kLimits.size(); ++i) {
        const bool shown = !oxide || (i != Exclusion::Fo && i != Exclusion::Composition);
        boxes_[i]->setVisible(shown);
        limits_[i]->setVisible(shown);
        units_[i]->setVisible(shown);
        boxes_[i]->setChecked(options.exclusionFlags[i]);
        limits_[i]->setEnabled(options.exclusionFlags[i]);
        limits_[i]->setValue(options.otherSettings[i]);
    }
}

void TExclude_Mineral::store() {
    TMineralOptions& options = mineralOptions();
    for (std::size_t i = 0; i < kLimits.size(); ++i) {
        if (!boxes_[i]->isVisibleTo(this)) continue;  // a row this mineral does not offer
        options.exclusionFlags[i] = boxes_[i]->isChecked();
        options.otherSettings[i] = limits_[i]->value();
    }
}

}  // namespace varnodel::ui
