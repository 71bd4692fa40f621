#include "ui/OxidationLinks.h"

#include <QVBoxLayout>

#include "ui/RunLabels.h"
#include "ui/TabParts.h"

namespace varnodel::ui {

OxidationLinks::OxidationLinks(const RunState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      mode_(dialogLink("lst_buffers_models", this)),
      model_(dialogLink("lst_oxydation_models", this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mode_);
    layout->addWidget(model_);
    connect(mode_, &QPushButton::clicked, this,
            [this] { Q_EMIT dialogRequested(DialogId::Fugacity, 0); });
    connect(model_, &QPushButton::clicked, this,
            [this] { Q_EMIT dialogRequested(DialogId::OxidationState, 0); });
}

void OxidationLinks::refresh() {
    mode_->setText(oxidationLabel(state_));
    model_->setText(oxidationModelLabel(state_));
}

}  // namespace varnodel::ui
