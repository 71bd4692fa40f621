#include "models/_models_spl.h"

namespace varnodel {

TModelSpinel::TModelSpinel() : TSetOfModels("Spinel", "Spl") {}

}  // namespace varnodel
