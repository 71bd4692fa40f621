#include "models/_models_ol.h"

namespace varnodel {

TModelOlivine::TModelOlivine() : TSetOfModels("Olivine", "Olv") {}

}  // namespace varnodel
