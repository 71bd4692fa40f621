#include "models/_models_opx.h"

namespace varnodel {

TModelOrthopyroxene::TModelOrthopyroxene() : TSetOfModels("Orthopyroxene", "Opx") {}

}  // namespace varnodel
