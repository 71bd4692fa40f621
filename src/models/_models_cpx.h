// Clinopyroxene-melt equilibrium models.
#pragma once

#include "core/Model.h"

namespace varnodel {

// The clinopyroxene models in registration order.
class TModelClinopyroxene : public TSetOfModels {
  public:
    TModelClinopyroxene();
};

}  // namespace varnodel
