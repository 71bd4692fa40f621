// Magnetite-melt equilibrium models.
#pragma once

#include "core/Model.h"

namespace varnodel {

// The magnetite models in registration order.
class TModelMagnetite : public TSetOfModels {
  public:
    TModelMagnetite();
};

}  // namespace varnodel
