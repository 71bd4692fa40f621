#include "models/_models_oxydations.h"

namespace varnodel {

void registerOxidationModels(TSetOfModels&) {}

}  // namespace varnodel
