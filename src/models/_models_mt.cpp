#include "models/_models_mt.h"

namespace varnodel {

TModelMagnetite::TModelMagnetite() : TSetOfModels("Magnetite", "Mgt") {}

}  // namespace varnodel
