#include "models/_models_ilm.h"

namespace varnodel {

TModelIlmenite::TModelIlmenite() : TSetOfModels("Ilmenite", "Ilm") {}

}  // namespace varnodel
