// Pigeonite-melt equilibrium models.
#pragma once

#include "core/Model.h"

namespace varnodel {

// The pigeonite models in registration order.
class TModelPigeonite : public TSetOfModels {
  public:
    TModelPigeonite();
};

}  // namespace varnodel
