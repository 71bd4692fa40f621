#include "models/_models_cpx.h"

namespace varnodel {

TModelClinopyroxene::TModelClinopyroxene() : TSetOfModels("Clinopyroxene", "Cpx") {}

}  // namespace varnodel
