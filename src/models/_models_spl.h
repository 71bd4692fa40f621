// Spinel-melt equilibrium models.
#pragma once

#include "core/Model.h"

namespace varnodel {

// The spinel models in registration order.
class TModelSpinel : public TSetOfModels {
  public:
    TModelSpinel();
};

}  // namespace varnodel
