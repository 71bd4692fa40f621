// Olivine-melt equilibrium models.
#pragma once

#include "core/Model.h"

namespace varnodel {

// The olivine models in registration order.
class TModelOlivine : public TSetOfModels {
  public:
    TModelOlivine();
};

}  // namespace varnodel
