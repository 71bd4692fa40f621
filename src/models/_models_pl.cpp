#include "models/_models_pl.h"

namespace varnodel {

TModelPlagioclase::TModelPlagioclase() : TSetOfModels("Plagioclase", "Plg") {}

}  // namespace varnodel
