#include "models/_models_traces.h"

namespace varnodel {

void registerTraceModels(TSetOfModels&) {}

}  // namespace varnodel
