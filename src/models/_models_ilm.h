// Ilmenite-melt equilibrium models.
#pragma once

#include "core/Model.h"

namespace varnodel {

// The ilmenite models in registration order.
class TModelIlmenite : public TSetOfModels {
  public:
    TModelIlmenite();
};

}  // namespace varnodel
