#include "ui/dialogs/_frm_viscosity.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/SettingsRules.h"

namespace varnodel::ui {

TPropertyModelDialog::TPropertyModelDialog(DialogContext& context, const QString& caption,
                                           const QString& title,
                                           std::span<const std::string_view> names, QWidget* parent)
    : SettingsDialog(context, caption, parent), names_(names), group_(new QButtonGroup(this)) {
    auto* box = new QGroupBox(title, this);
    auto* column = new QVBoxLayout(box);
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto* button = new QRadioButton(qText(names[i]), box);
        group_->addButton(button, static_cast<int>(i));
        column->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    addCloseButtons(layout);
}

// By the text, not the position: the index is that of the name the user saw.
int TPropertyModelDialog::chosen() const {
    const QAbstractButton* button = group_->checkedButton();
    if (button == nullptr) return -1;
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (button->text() == qText(names_[i])) return static_cast<int>(i);
    return -1;
}

void TPropertyModelDialog::choose(int index) {
    if (QAbstractButton* button = group_->button(index)) button->setChecked(true);
}

Tfrm_viscosity::Tfrm_viscosity(DialogContext& context, QWidget* parent)
    : TPropertyModelDialog(context, "Models for viscosity", "Choose model for melt viscosity",
                           kViscosityNames, parent) {}

void Tfrm_viscosity::load() {
    choose(static_cast<int>(parameters().viscosityModel));
}

void Tfrm_viscosity::store() {
    if (const int index = chosen(); index >= 0)
        parameters().viscosityModel = static_cast<ViscosityModel>(index);
}

}  // namespace varnodel::ui
