#include "ui/CompositionPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace varnodel::ui {

CompositionPanel::CompositionPanel(RunState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      grid_(new CompositionGrid(this)),
      name_(new QLineEdit(this)),
      wholeFile_(new QCheckBox("Use whole  file", this)) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* select = new QPushButton("Select another analysis", this);
    select->setObjectName("cmd_analyses");
    name_->setObjectName("Sample_Name");
    wholeFile_->setObjectName("chk_all_file");
    layout->addWidget(new QLabel("Starting composition, wt%:", this), 0, 0, 1, 4);
    layout->addWidget(grid_, 1, 0, 1, 4);
    layout->addWidget(new QLabel("Sample:", this), 2, 0);
    layout->addWidget(name_, 2, 1);
    layout->addWidget(select, 2, 2);
    layout->addWidget(wholeFile_, 2, 3);

    connect(grid_, &CompositionGrid::edited, this, [this] {
        TAnalysis melt = meltOf(state_.composition);
        grid_->storeInto(melt);
        storePhase(state_.composition.phases, melt, phaseName(Phase::Melt));
        Q_EMIT changed();
    });
    connect(name_, &QLineEdit::editingFinished, this, [this] {
        state_.composition.name = name_->text().toStdString();
        Q_EMIT changed();
    });
    connect(wholeFile_, &QCheckBox::toggled, this, [this](bool on) {
        if (state_.options.wholeFile == on) return;
        state_.options.wholeFile = on;
        Q_EMIT changed();
    });
    connect(select, &QPushButton::clicked, this, &CompositionPanel::selectAnalysis);
}

void CompositionPanel::refresh() {
    grid_->show(meltOf(state_.composition));
    name_->setText(QString::fromStdString(state_.composition.name));
    const QSignalBlocker quiet(wholeFile_);
    wholeFile_->setChecked(state_.options.wholeFile);
}

}  // namespace varnodel::ui
