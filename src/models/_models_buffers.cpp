#include "models/_models_buffers.h"

namespace varnodel {

void registerBuffers(THash&) {}

}  // namespace varnodel
