#include "models/_models_pig.h"

namespace varnodel {

TModelPigeonite::TModelPigeonite() : TSetOfModels("Pigeonite", "Pig") {}

}  // namespace varnodel
