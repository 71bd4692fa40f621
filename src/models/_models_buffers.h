// Oxygen buffers: ln fO2 = A / T + B.
#pragma once

#include "core/Model.h"

namespace varnodel {

// Fills the buffer table, keyed by display name, in registration order.
void registerBuffers(THash& table);

}  // namespace varnodel
