#include "ui/ReverseTab.h"

#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include "core/NumberFormat.h"
#include "ui/NumberEdit.h"
#include "ui/TabParts.h"

namespace varnodel::ui {

namespace {

// Olivine is never excluded: the grid starts with plagioclase.
constexpr std::size_t kFirstExcludable = 2;

}  // namespace

QString exclusionText(const TMineralOptions& options, std::size_t mineral) {
    QStringList parts;
    const auto& limit = options.otherSettings;
    const auto& on = options.exclusionFlags;
    if (on[Exclusion::Temperature])
        parts << "T = " + numberText(limit[Exclusion::Temperature]) + " \u00b0C";
    if (on[Exclusion::MeltMgO]) parts << "MgO = " + numberText(limit[Exclusion::MeltMgO]) + " wt%";
    // Ilmenite and magnetite have neither row in the exclusion dialog.
    const bool oxide = mineral == static_cast<std::size_t>(Phase::Ilmenite) ||
                       mineral == static_cast<std::size_t>(Phase::Magnetite);
    if (!oxide && on[Exclusion::Fo]) parts << "Fo = " + numberText(limit[Exclusion::Fo]) + " mol%";
    if (!oxide && on[Exclusion::Composition])
        parts << qText(kPhases[mineral].compositionLabel).trimmed() + " = " +
                     numberText(limit[Exclusion::Composition]) + " mol%";
    return parts.isEmpty() ? QString("none") : parts.join("; ");
}

ReverseTab::ReverseTab(RunState& state, QWidget* parent)
    : CrystallisationRunTab(state, parent),
      exclusion_(
          new QTableWidget(static_cast<int>(kMineralCount - kFirstExcludable + 1), 2, this)) {
    exclusion_->setObjectName("Exclusion_Grid");
    exclusion_->setHorizontalHeaderLabels({"Mineral", "Excluded at"});
    exclusion_->verticalHeader()->hide();
    exclusion_->horizontalHeader()->setStretchLastSection(true);
    exclusion_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    exclusion_->setToolTip("Double-click a mineral to set when it stops being added back");
    for (int row = 0; row < exclusion_->rowCount(); ++row) {
        const std::size_t mineral = kFirstExcludable + static_cast<std::size_t>(row);
        exclusion_->setItem(row, 0, new QTableWidgetItem(qText(kPhases[mineral].name)));
        exclusion_->setItem(row, 1, new QTableWidgetItem());
    }
    exclusion_->resizeColumnToContents(0);
    fitRows(exclusion_);
    auto* part = new QVBoxLayout;
    part->addWidget(new QLabel("Exclusion of minerals:", this));
    part->addWidget(exclusion_);
    setOwnPart(part);

    connect(exclusion_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        Q_EMIT dialogRequested(DialogId::ExcludeMineral, static_cast<int>(kFirstExcludable) + row);
    });
}

void ReverseTab::refreshOwnPart() {
    for (int row = 0; row < exclusion_->rowCount(); ++row) {
        const std::size_t mineral = kFirstExcludable + static_cast<std::size_t>(row);
        exclusion_->item(row, 1)->setText(
            exclusionText(state_.settings.minerals[mineral], mineral));
    }
}

}  // namespace varnodel::ui
