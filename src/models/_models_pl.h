// Plagioclase-melt equilibrium models.
#pragma once

#include "core/Model.h"

namespace varnodel {

// The plagioclase models in registration order.
class TModelPlagioclase : public TSetOfModels {
  public:
    TModelPlagioclase();
};

}  // namespace varnodel
