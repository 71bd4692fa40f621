// Magnetite-melt equilibrium models.
#pragma once

#include "core/Model.h"
#include "models/AriskinBarmina1999Form.h"

namespace varnodel {

// Ariskin & Barmina 1999, Contrib. Mineral. Petrol. 134: titanomagnetite at 1 atm; T in kelvin,
// melt in cation fractions, fO2 from the melt's Fe2+/Fe3+.
class TModelMagnetite_Ariskin_Barmina1999
    : public ModelClone<TModelMagnetite_Ariskin_Barmina1999, AriskinBarmina1999Form> {
  public:
    TModelMagnetite_Ariskin_Barmina1999();
};

// The magnetite models in registration order.
class TModelMagnetite : public TSetOfModels {
  public:
    TModelMagnetite();
};

}  // namespace varnodel
