// Trace-element partitioning models.
#pragma once

#include "core/Model.h"

namespace varnodel {

// Fills the set of trace-element models in registration order.
void registerTraceModels(TSetOfModels& set);

}  // namespace varnodel
