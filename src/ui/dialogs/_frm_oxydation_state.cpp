#include "ui/dialogs/_frm_oxydation_state.h"

#include <QVBoxLayout>

namespace varnodel::ui {

Tfrm_oxydation_state::Tfrm_oxydation_state(DialogContext& context, QWidget* parent)
    : SettingsDialog(context, "Melt Oxidation State Model", parent),
      lst_models_(new CheckList(this)) {
    lst_models_->setObjectName("lst_models");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lst_models_);
    addCloseButtons(layout);
}

void Tfrm_oxydation_state::load() {
    QStringList names;
    int checked = -1;
    const auto& models = state().registry().oxidationModels().models;
    for (std::size_t i = 0; i < models.size(); ++i) {
        names << QString::fromStdString(models[i]->displayName);
        if (models[i]->shortName == parameters().oxidationModel) checked = static_cast<int>(i);
    }
    lst_models_->fill(names, checked);
}

void Tfrm_oxydation_state::store() {
    const int row = lst_models_->checkedRow();
    if (row < 0) return;
    parameters().oxidationModel =
        state().registry().oxidationModels().models[static_cast<std::size_t>(row)]->shortName;
}

}  // namespace varnodel::ui
