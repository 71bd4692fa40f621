#include "ui/dialogs/_density_model.h"

#include "core/SettingsRules.h"

namespace varnodel::ui {

Tfrm_density::Tfrm_density(DialogContext& context, QWidget* parent)
    : TPropertyModelDialog(context, "Density models", "Choose model for melt density",
                           kDensityNames, parent) {}

void Tfrm_density::load() {
    choose(static_cast<int>(parameters().densityModel));
}

void Tfrm_density::store() {
    if (const int index = chosen(); index >= 0)
        parameters().densityModel = static_cast<DensityModel>(index);
}

}  // namespace varnodel::ui
