// Oxidation state of the melt: the published Fe3+/Fe2+ equations.
#pragma once

#include "core/Model.h"

namespace varnodel {

// Fills the set of oxidation-state models in registration order.
void registerOxidationModels(TSetOfModels& set);

}  // namespace varnodel
