// Orthopyroxene-melt equilibrium models.
#pragma once

#include "core/Model.h"

namespace varnodel {

// The orthopyroxene models in registration order.
class TModelOrthopyroxene : public TSetOfModels {
  public:
    TModelOrthopyroxene();
};

}  // namespace varnodel
